#pragma once

// The box of a transition between two states: a small rectangle carrying the
// transition's label, condition and action. Two TransitionLine connectors
// join it to its states (start state -> box, box -> end state with an arrow
// head). A self transition (start state == end state) is placed to the right
// of its state. The box owns neither its lines nor its states.

#include <QColor>
#include <QGraphicsRectItem>
#include <QObject>
#include <QPointF>
#include <QPolygonF>
#include <QString>
#include <QTextOption>

#include <memory>

#include "ItemTypes.h"
#include "ProjectRecords.h"

class QGraphicsDropShadowEffect;
class QMenu;
class StateItem;
class TransitionLine;
class TransitionProperties;

class TransitionItem : public QObject, public QGraphicsRectItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)


public:
    // Lets qgraphicsitem_cast<TransitionItem *> tell this kind apart.
    enum { Type = ItemType::Transition };
    static constexpr int DefaultWidth = 150;
    static constexpr int DefaultHeight = 75;

    // Computes midPos and places the box; for a self transition pass the
    // same state twice (its existing self transitions decide the height).
    TransitionItem(QMenu *contextMenu, StateItem *startItem, StateItem *endItem,
                   QGraphicsItem *parent = nullptr);
    ~TransitionItem() override;

    int type() const override;
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    QPointF midPos() const { return m_midPos; }

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

    QString label() const { return m_label; }
    void setLabel(const QString &label);
    QString action() const { return m_action; }
    void setAction(const QString &action);
    QString description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    QString condition() const { return m_condition; }
    void setCondition(const QString &condition);

    QColor backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const QColor &colour);
    static QColor defaultBackgroundColour();

    StateItem *startItem() const { return m_startItem; }
    StateItem *endItem() const { return m_endItem; }
    bool isSelfTransition() const { return m_isSelfTransition; }
    QMenu *contextMenu() const { return m_contextMenu; }
    // The property dialog, or null while it has never been opened.
    TransitionProperties *propertiesDialog() const { return m_propertiesDialog.get(); }

    const QPolygonF &polygon() const { return m_polygon; }
    void rebuildPolygon();

    TransitionLine *startLine() const { return m_startLine; }
    void setStartLine(TransitionLine *line) { m_startLine = line; }
    TransitionLine *endLine() const { return m_endLine; }
    void setEndLine(TransitionLine *line) { m_endLine = line; }
    // Takes both lines out of the scene the box is in.
    void removeLines();

    QTextOption textOption() const { return m_textOption; }
    QGraphicsDropShadowEffect *shadow() const { return m_shadow; }

    // True when this is an ordinary transition whose two states overlap; the
    // box and its lines are then not drawn.
    bool statesOverlap() const;

    // Recomputes both lines and repaints the box. Called when the box or one
    // of its states moves: the box caches its rendering, and whether it is
    // drawn depends on where its states are.
    void refreshConnectors();

    void setMarked();
    void clearMarked();

    void applyRecord(const TransitionRecord &record);
    TransitionRecord toRecord() const;

    void fitToText();
    // Runs the property dialog; returns true when it was accepted.
    bool openProperties();

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    void setOutlineStyle(Qt::PenStyle style);
    // Takes the new size with its rectangle and outline.
    void resizeBox(int width, int height);
    TransitionProperties *dialog();

    QPointF m_midPos;
    int m_level = 0;
    int m_parentId = 0;
    int m_grandParentId = 0;
    int m_width = DefaultWidth;
    int m_height = DefaultHeight;
    QString m_label;
    QString m_action;
    QString m_description;
    QString m_condition;
    QColor m_backgroundColour;
    StateItem *m_startItem = nullptr;
    StateItem *m_endItem = nullptr;
    QMenu *m_contextMenu = nullptr;
    std::unique_ptr<TransitionProperties> m_propertiesDialog;
    QPolygonF m_polygon;
    TransitionLine *m_startLine = nullptr;
    TransitionLine *m_endLine = nullptr;
    QTextOption m_textOption;
    QGraphicsDropShadowEffect *m_shadow = nullptr;   // owned by the item once set as its effect
    bool m_isSelfTransition = false;
};
