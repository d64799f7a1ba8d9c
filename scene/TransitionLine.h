#pragma once

// A connector of a transition: either from the start state to the box
// (lineType 1, no arrow head) or from the box to the end state (lineType 2,
// arrow head on the state's outline). Its two items recompute its geometry
// whenever one of them moves or changes size (TransitionItem::refreshConnectors);
// painting only draws what was computed.

#include <QGraphicsLineItem>
#include <QObject>
#include <QPolygonF>

class StateItem;
class TransitionItem;

class TransitionLine : public QObject, public QGraphicsLineItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)


public:
    // (state, box) gives lineType 1, (box, state) gives lineType 2.
    TransitionLine(QGraphicsItem *startGraphic, QGraphicsItem *endGraphic, QObject *parent = nullptr);

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    StateItem *state() const { return m_state; }
    TransitionItem *transition() const { return m_transition; }
    QGraphicsItem *startGraphic() const { return m_startGraphic; }
    QGraphicsItem *endGraphic() const { return m_endGraphic; }
    int lineType() const { return m_lineType; }
    QPolygonF arrowHead() const { return m_arrowHead; }

    // Recomputes the line from the current positions of its items. Returns
    // false (and leaves the line as it was, not drawn) when the centre line
    // does not cross the outline it is clipped at.
    bool updateGeometry();
    // Whether the last update found a line to draw.
    bool hasGeometry() const { return m_hasGeometry; }

private:
    bool hidden() const;

    StateItem *m_state = nullptr;
    TransitionItem *m_transition = nullptr;
    QGraphicsItem *m_startGraphic = nullptr;
    QGraphicsItem *m_endGraphic = nullptr;
    int m_lineType = 0;
    QPolygonF m_arrowHead;
    bool m_hasGeometry = false;
};
