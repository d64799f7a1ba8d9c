#pragma once

// What a running simulation shows on a state-machine canvas: a thick outline
// around the active state, the transition that fired in the last cycle (its
// box and both connectors, or the initial-state arrow), a dot on every
// state with a breakpoint and, while coverage is shown, a grey veil over
// the states and transitions never reached. All of it is drawn by overlay items this object
// adds to the scene and owns; the diagram's own items are never changed, so
// nothing of it is saved. removeAll() takes every overlay item out again, and
// isOverlay() tells them apart for anything that walks the scene's items
// (an export, for instance).

#include <QColor>
#include <QLineF>
#include <QList>
#include <QObject>
#include <QPainterPath>
#include <QPointer>
#include <QPolygonF>
#include <QRectF>

class Canvas;
class QGraphicsEllipseItem;
class QGraphicsItem;
class QGraphicsPathItem;
class StateItem;
class TransitionItem;

class SimulationHighlighter : public QObject
{
    Q_OBJECT
public:
    // Drawn in colours no diagram item uses.
    static QColor activeColour();
    static QColor breakpointColour();
    // The item data key that marks an overlay item.
    static constexpr int OverlayKey = 0x4b53;

    // The highlighter lives as long as the canvas unless deleted earlier.
    explicit SimulationHighlighter(Canvas *canvas);
    ~SimulationHighlighter() override;

    Canvas *canvas() const { return m_canvas; }
    // The highlighter of a canvas, or null when none is showing anything there.
    static SimulationHighlighter *of(const Canvas *canvas);

    // The active state and the transition fired into it; null for none.
    void showActive(StateItem *state, TransitionItem *fired);
    // The same when the initial transition was taken into `state`.
    void showInitial(StateItem *state);
    void setBreakpoints(const QList<StateItem *> &states);
    // Greys these states and transitions (and the lines of the
    // transitions); empty lists take the veil away.
    void setUnreached(const QList<StateItem *> &states, const QList<TransitionItem *> &transitions);
    static QColor unreachedColour();
    bool unreachedShown() const { return m_unreached != nullptr; }
    // Takes every overlay item out of the scene.
    void removeAll();

    StateItem *activeState() const { return m_activeState; }
    TransitionItem *firedTransition() const { return m_firedTransition; }
    bool initialShown() const { return m_initialShown; }
    // The overlay items now in the scene.
    QList<QGraphicsItem *> overlayItems() const;

    static bool isOverlay(const QGraphicsItem *item);

private:
    QGraphicsPathItem *pathItem(QGraphicsPathItem **slot, qreal width);
    void dropPath(QGraphicsPathItem **slot);
    void dropBreakpoints();
    void mark(QGraphicsItem *item);

    QPointer<Canvas> m_canvas;
    QGraphicsPathItem *m_stateOutline = nullptr;
    QGraphicsPathItem *m_transitionOutline = nullptr;
    QList<QGraphicsEllipseItem *> m_breakpoints;
    QGraphicsPathItem *m_unreached = nullptr;
    StateItem *m_activeState = nullptr;
    TransitionItem *m_firedTransition = nullptr;
    bool m_initialShown = false;
};

// Pure geometry of the overlay, in scene coordinates.
namespace SimulationOutline {
// A rounded rectangle `margin` outside `rect`.
QPainterPath around(const QRectF &rect, qreal xRadius, qreal yRadius, qreal margin);
// A polygon's outline together with any valid lines.
QPainterPath connection(const QPolygonF &box, const QList<QLineF> &lines);
// The veil over states (their rounded rectangles) and transitions (their
// boxes, and their lines where they lie outside `allStates`) never reached.
QPainterPath veil(const QList<QRectF> &states, const QList<QPolygonF> &boxes, const QList<QLineF> &lines,
                  const QList<QRectF> &allStates);
// The dot of a breakpoint at a state's top left corner.
QRectF breakpointDot(const QRectF &stateRect);
} // namespace SimulationOutline
