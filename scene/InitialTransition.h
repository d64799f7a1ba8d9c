#pragma once

// The black dot that marks the initial state of a state machine. Each
// diagram owns one; it is in the scene only while a state is initial.

#include <QGraphicsItem>
#include <QObject>

class InitialTransitionLine;
class QGraphicsDropShadowEffect;
class StateItem;

class InitialTransition : public QObject, public QGraphicsItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)


public:
    static constexpr int Diameter = 20;

    explicit InitialTransition(QGraphicsItem *parent = nullptr);
    ~InitialTransition() override;

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    QRectF boundingRect() const override;

    StateItem *state() const { return m_state; }
    bool isActive() const { return m_active; }
    QGraphicsDropShadowEffect *shadow() const { return m_shadow; }

    void attachState(StateItem *state);
    void detach();
    // Activation needs an attached state; without one the dot stays inactive.
    void setActive(bool active);
    // Moves the dot above the attached state when it is not there already.
    void updatePosition();
    // The arrow that starts at the dot: told whenever the dot moves.
    // Set by InitialTransitionLine::setDot.
    void setLine(InitialTransitionLine *line) { m_line = line; }

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    StateItem *m_state = nullptr;
    InitialTransitionLine *m_line = nullptr;
    bool m_active = false;
    QGraphicsDropShadowEffect *m_shadow = nullptr;   // owned by the item once set as its effect
};
