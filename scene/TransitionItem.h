#pragma once

// The box of a transition between two states: a small rectangle carrying the
// transition's label, condition and action. Two TransitionLine connectors
// join it to its states (start state -> box, box -> end state with an arrow
// head). A self transition (start state == end state) is placed to the right
// of its state. The box owns neither its lines nor its states.

#include "BoxItem.h"
#include "ItemTypes.h"
#include "ProjectRecords.h"

#include <QPointF>

class QGraphicsDropShadowEffect;
class StateItem;
class TransitionLine;

class TransitionItem : public BoxItem
{
    Q_OBJECT

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
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    QPointF midPos() const { return m_midPos; }

    QString label() const override { return m_label; }
    void setLabel(const QString &label);
    QString description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    QString condition() const { return m_condition; }
    void setCondition(const QString &condition);

    static QColor defaultBackgroundColour();

    StateItem *startItem() const { return m_startItem; }
    StateItem *endItem() const { return m_endItem; }
    bool isSelfTransition() const { return m_isSelfTransition; }

    TransitionLine *startLine() const { return m_startLine; }
    void setStartLine(TransitionLine *line) { m_startLine = line; }
    TransitionLine *endLine() const { return m_endLine; }
    void setEndLine(TransitionLine *line) { m_endLine = line; }
    // Takes both lines out of the scene the box is in.
    void removeLines();

    QGraphicsDropShadowEffect *shadow() const { return m_shadow; }

    // True when this is an ordinary transition whose two states overlap; the
    // box and its lines are then not drawn.
    bool statesOverlap() const;

    // Recomputes both lines and repaints the box. Called when the box or one
    // of its states moves: the box caches its rendering, and whether it is
    // drawn depends on where its states are.
    void refreshConnectors();

    // As the file stores it; the middle point is not taken from the record.
    void applyRecord(const TransitionRecord &record);
    TransitionRecord toRecord() const;
    ItemRecord record() const override { return toRecord(); }
    void restoreRecord(const ItemRecord &record) override;

protected:
    QColor fallbackColour() const override { return defaultBackgroundColour(); }
    QSize fittedSize(const TextMetrics &metrics) const override;
    void geometryChanged() override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    QPointF m_midPos;
    QString m_label;
    QString m_description;
    QString m_condition;
    StateItem *m_startItem = nullptr;
    StateItem *m_endItem = nullptr;
    TransitionLine *m_startLine = nullptr;
    TransitionLine *m_endLine = nullptr;
    QGraphicsDropShadowEffect *m_shadow = nullptr;   // owned by the item once set as its effect
    bool m_isSelfTransition = false;
};
