#pragma once

// One state of a state-machine diagram: a rounded rectangle with the state's
// label on a title band, a separator line and the state's action code below.
// The state knows the transitions attached to it (it does not own them),
// carries the machine's initial-state flag and owns its property dialog,
// which is built the first time the properties are opened.

#include <QColor>
#include <QGraphicsItem>
#include <QList>
#include <QObject>
#include <QPen>
#include <QPolygonF>
#include <QString>
#include <QTextOption>

#include <memory>

#include "ItemTypes.h"
#include "LabelCheck.h"
#include "ProjectRecords.h"

class QGraphicsDropShadowEffect;
class QMenu;
class StateProperties;
class TransitionItem;

class StateItem : public QObject, public QGraphicsItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)


public:
    // Lets qgraphicsitem_cast<StateItem *> tell this kind apart.
    enum { Type = ItemType::State };
    static constexpr int DefaultWidth = 280;
    static constexpr int DefaultHeight = 150;

    StateItem(QMenu *contextMenu, qreal x, qreal y, QGraphicsItem *parent = nullptr);
    ~StateItem() override;

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    int type() const override;

    // Attached transitions. Ordinary ones are listed on both of their states,
    // self transitions only in selfTransitions().
    const QList<TransitionItem *> &transitions() const { return m_transitions; }
    const QList<TransitionItem *> &selfTransitions() const { return m_selfTransitions; }
    void addTransition(TransitionItem *t);
    void removeTransition(TransitionItem *t);   // first occurrence; unknown t is ignored
    // Like addTransition, at a given position of its list (clamped).
    void insertTransition(int index, TransitionItem *t);

    int level() const { return m_level; }
    void setLevel(int level) { m_level = level; }
    int parentId() const { return m_parentId; }
    void setParentId(int id) { m_parentId = id; }
    int grandParentId() const { return m_grandParentId; }
    void setGrandParentId(int id) { m_grandParentId = id; }

    int width() const { return m_width; }
    int height() const { return m_height; }
    void setWidth(int width);     // also rebuilds the outline
    void setHeight(int height);   // also rebuilds the outline
    qreal xRadius() const { return m_xRadius; }
    qreal yRadius() const { return m_yRadius; }

    QString label() const { return m_label; }
    void setLabel(const QString &label);
    QString action() const { return m_action; }
    void setAction(const QString &action);
    QString description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    QString initialDescription() const { return m_initialDescription; }
    void setInitialDescription(const QString &text) { m_initialDescription = text; }
    QString initialCondition() const { return m_initialCondition; }
    void setInitialCondition(const QString &text) { m_initialCondition = text; }

    // Invalid until chosen; the first paint replaces an invalid colour by the
    // default fill and keeps it.
    QColor backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const QColor &colour);
    static QColor defaultBackgroundColour();

    const QPolygonF &polygon() const { return m_polygon; }
    void rebuildPolygon();

    QPen borderPen() const { return m_borderPen; }
    QPen initialPen() const { return m_initialPen; }
    QMenu *contextMenu() const { return m_contextMenu; }
    QTextOption actionTextOption() const { return m_actionTextOption; }
    QGraphicsDropShadowEffect *shadow() const { return m_shadow; }
    // The property dialog, or null while it has never been opened.
    StateProperties *propertiesDialog() const { return m_propertiesDialog.get(); }

    bool isInitialState() const { return m_initial; }
    void setInitialState(bool initial);

    // Dotted outline while the state is marked, solid otherwise.
    void setMarked();
    void clearMarked();

    void applyRecord(const StateRecord &record);
    StateRecord toRecord() const;

    // Resizes the state to its label and action text.
    void fitToText();
    // Runs the property dialog; initialLocked is true when another state of
    // the same diagram already is the initial state, labelCheck judges the
    // label on OK. Returns true when accepted; the caller compares
    // isInitialState() before and after.
    bool openProperties(bool initialLocked, const LabelCheck &labelCheck = {});

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;
    // A moved state brings its transitions up to date (see TransitionItem::refreshConnectors).
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    void setOutlineStyle(Qt::PenStyle style);
    // Takes the new size with its outline.
    void resizeBox(int width, int height);
    StateProperties *dialog();

    QList<TransitionItem *> m_transitions;
    QList<TransitionItem *> m_selfTransitions;
    int m_parentId = 0;
    int m_grandParentId = 0;
    int m_level = 0;
    int m_width = DefaultWidth;
    int m_height = DefaultHeight;
    qreal m_xRadius = 12.0;
    qreal m_yRadius = 12.0;
    QString m_label;
    QString m_action;
    QString m_description;
    QString m_initialDescription;
    QString m_initialCondition;
    QColor m_backgroundColour;
    QPolygonF m_polygon;
    QPen m_borderPen;
    QPen m_initialPen;
    QMenu *m_contextMenu = nullptr;
    QTextOption m_actionTextOption;
    QGraphicsDropShadowEffect *m_shadow = nullptr;   // owned by the item once set as its effect
    std::unique_ptr<StateProperties> m_propertiesDialog;
    bool m_initial = false;
};
