#pragma once

// The arrow from the initial-state dot to the outline of the initial state.
// Each diagram owns one, paired with its dot right after both are created.
// The dot and the attached state recompute the arrow whenever they move or
// the state changes size; painting only draws what was computed.

#include <QGraphicsLineItem>
#include <QObject>
#include <QPolygonF>

class InitialTransition;
class StateItem;

class InitialTransitionLine : public QObject, public QGraphicsLineItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)


public:
    explicit InitialTransitionLine(QGraphicsItem *parent = nullptr);
    ~InitialTransitionLine() override;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    bool isActive() const { return m_active; }
    StateItem *state() const { return m_state; }
    InitialTransition *dot() const { return m_dot; }
    QPolygonF arrowHead() const { return m_arrowHead; }

    void setDot(InitialTransition *dot);
    // Needs the dot: without it nothing is attached and a debug message is logged.
    void attachState(StateItem *state);
    void detach();
    void setActive(bool active);

    // Recomputes the line (dot centre to the state's outline) and the arrow
    // head. Returns false (nothing is drawn) when nothing can be computed.
    bool updateGeometry();
    bool hasGeometry() const { return m_hasGeometry; }

private:
    bool m_active = false;
    StateItem *m_state = nullptr;
    InitialTransition *m_dot = nullptr;
    QPolygonF m_arrowHead;
    bool m_hasGeometry = false;
};
