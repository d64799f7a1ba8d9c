#include "SimulationHighlighter.h"

#include "Canvas.h"
#include "InitialTransitionLine.h"
#include "StateItem.h"
#include "TransitionItem.h"
#include "TransitionLine.h"

#include <QBrush>
#include <QGraphicsEllipseItem>
#include <QGraphicsPathItem>
#include <QPainterPathStroker>
#include <QPen>

namespace {

const qreal StateMargin = 4.0;
const qreal StateWidth = 6.0;
const qreal TransitionWidth = 5.0;
const qreal DotSize = 16.0;
const qreal VeilLineWidth = 5.0;

QLineF sceneLine(const QGraphicsLineItem *line)
{
    if (!line || !line->scene())
        return QLineF();
    return QLineF(line->mapToScene(line->line().p1()), line->mapToScene(line->line().p2()));
}

} // namespace

namespace SimulationOutline {

QPainterPath around(const QRectF &rect, qreal xRadius, qreal yRadius, qreal margin)
{
    QPainterPath path;
    path.addRoundedRect(rect.adjusted(-margin, -margin, margin, margin), xRadius + margin, yRadius + margin);
    return path;
}

QPainterPath connection(const QPolygonF &box, const QList<QLineF> &lines)
{
    QPainterPath path;
    if (!box.isEmpty())
        path.addPolygon(box);
    for (const QLineF &line : lines) {
        if (line.isNull())
            continue;
        path.moveTo(line.p1());
        path.lineTo(line.p2());
    }
    return path;
}

QPainterPath veil(const QList<QRectF> &states, const QList<QPolygonF> &boxes, const QList<QLineF> &lines,
                  const QList<QRectF> &allStates)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const QRectF &rect : states)
        path.addRoundedRect(rect, 8, 8);
    for (const QPolygonF &box : boxes)
        path.addPolygon(box);
    // Connector lines run to the states' centres under them: only their
    // visible parts, outside every state, are veiled.
    QPainterPath linePath;
    for (const QLineF &line : lines) {
        if (line.isNull())
            continue;
        linePath.moveTo(line.p1());
        linePath.lineTo(line.p2());
    }
    QPainterPathStroker stroker;
    stroker.setWidth(VeilLineWidth);
    QPainterPath covered;
    for (const QRectF &rect : allStates)
        covered.addRect(rect);
    return path.united(stroker.createStroke(linePath).subtracted(covered));
}

QRectF breakpointDot(const QRectF &stateRect)
{
    return QRectF(stateRect.left() - DotSize / 2, stateRect.top() - DotSize / 2, DotSize, DotSize);
}

} // namespace SimulationOutline

QColor SimulationHighlighter::activeColour()
{
    // Orange: states and transitions are grey, their texts black, red or
    // blue, memory bands purple, link tags red and green.
    return QColor(255, 140, 0);
}

QColor SimulationHighlighter::unreachedColour()
{
    // The canvas's white, mostly opaque: what lies under it looks faded.
    return QColor(240, 240, 240, 200);
}

QColor SimulationHighlighter::breakpointColour()
{
    return QColor(200, 30, 90);
}

SimulationHighlighter::SimulationHighlighter(Canvas *canvas) : QObject(canvas), m_canvas(canvas)
{
}

SimulationHighlighter::~SimulationHighlighter()
{
    removeAll();
}

SimulationHighlighter *SimulationHighlighter::of(const Canvas *canvas)
{
    return canvas ? canvas->findChild<SimulationHighlighter *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

bool SimulationHighlighter::isOverlay(const QGraphicsItem *item)
{
    return item && item->data(OverlayKey).toBool();
}

QList<QGraphicsItem *> SimulationHighlighter::overlayItems() const
{
    QList<QGraphicsItem *> items;
    if (m_stateOutline)
        items << m_stateOutline;
    if (m_transitionOutline)
        items << m_transitionOutline;
    for (QGraphicsEllipseItem *dot : m_breakpoints)
        items << dot;
    if (m_unreached)
        items << m_unreached;
    return items;
}

void SimulationHighlighter::mark(QGraphicsItem *item)
{
    item->setData(OverlayKey, true);
    item->setAcceptedMouseButtons(Qt::NoButton);
    item->setAcceptHoverEvents(false);
    // Above every diagram item, whatever their stacking values.
    item->setZValue(1e9);
    m_canvas->addItem(item);
}

QGraphicsPathItem *SimulationHighlighter::pathItem(QGraphicsPathItem **slot, qreal width)
{
    if (!*slot) {
        *slot = new QGraphicsPathItem;
        QPen pen(activeColour(), width);
        pen.setJoinStyle(Qt::RoundJoin);
        pen.setCapStyle(Qt::RoundCap);
        (*slot)->setPen(pen);
        (*slot)->setBrush(Qt::NoBrush);
        mark(*slot);
    }
    return *slot;
}

void SimulationHighlighter::dropPath(QGraphicsPathItem **slot)
{
    if (*slot && m_canvas) {
        m_canvas->removeItem(*slot);
        delete *slot;
    }
    *slot = nullptr;
}

void SimulationHighlighter::showActive(StateItem *state, TransitionItem *fired)
{
    m_activeState = m_canvas ? state : nullptr;
    m_firedTransition = m_canvas ? fired : nullptr;
    m_initialShown = false;
    if (!m_activeState) {
        dropPath(&m_stateOutline);
    } else {
        const QRectF rect = state->mapRectToScene(state->boundingRect());
        pathItem(&m_stateOutline, StateWidth)
            ->setPath(SimulationOutline::around(rect, state->xRadius(), state->yRadius(), StateMargin));
    }
    if (!m_firedTransition) {
        dropPath(&m_transitionOutline);
        return;
    }
    const QPolygonF box = fired->mapToScene(QRectF(fired->rect()));
    pathItem(&m_transitionOutline, TransitionWidth)
        ->setPath(SimulationOutline::connection(box, { sceneLine(fired->startLine()), sceneLine(fired->endLine()) }));
}

void SimulationHighlighter::showInitial(StateItem *state)
{
    showActive(state, nullptr);
    InitialTransitionLine *arrow = m_canvas ? m_canvas->initialLine() : nullptr;
    if (!state || !arrow || !arrow->scene())
        return;
    pathItem(&m_transitionOutline, TransitionWidth)->setPath(SimulationOutline::connection({}, { sceneLine(arrow) }));
    m_initialShown = true;
}

void SimulationHighlighter::setBreakpoints(const QList<StateItem *> &states)
{
    dropBreakpoints();
    if (!m_canvas)
        return;
    for (StateItem *state : states) {
        auto *dot = new QGraphicsEllipseItem(
            SimulationOutline::breakpointDot(state->mapRectToScene(state->boundingRect())));
        dot->setPen(QPen(Qt::white, 2));
        dot->setBrush(breakpointColour());
        mark(dot);
        m_breakpoints << dot;
    }
}

void SimulationHighlighter::setUnreached(const QList<StateItem *> &states, const QList<TransitionItem *> &transitions)
{
    dropPath(&m_unreached);
    if (!m_canvas || (states.isEmpty() && transitions.isEmpty()))
        return;
    QList<QRectF> rects;
    for (StateItem *state : states)
        rects << state->mapRectToScene(state->boundingRect());
    QList<QPolygonF> boxes;
    QList<QLineF> lines;
    for (TransitionItem *transition : transitions) {
        boxes << transition->mapToScene(QRectF(transition->rect()));
        lines << sceneLine(transition->startLine()) << sceneLine(transition->endLine());
    }
    QList<QRectF> allStates;
    for (StateItem *state : m_canvas->states())
        allStates << state->mapRectToScene(state->boundingRect());
    m_unreached = new QGraphicsPathItem(SimulationOutline::veil(rects, boxes, lines, allStates));
    m_unreached->setPen(Qt::NoPen);
    m_unreached->setBrush(unreachedColour());
    mark(m_unreached);
    // Under the active state's outline and the breakpoints.
    m_unreached->setZValue(1e9 - 1);
}

void SimulationHighlighter::dropBreakpoints()
{
    for (QGraphicsEllipseItem *dot : qAsConst(m_breakpoints)) {
        if (m_canvas) {
            m_canvas->removeItem(dot);
            delete dot;
        }
    }
    m_breakpoints.clear();
}

void SimulationHighlighter::removeAll()
{
    dropPath(&m_stateOutline);
    dropPath(&m_transitionOutline);
    dropPath(&m_unreached);
    dropBreakpoints();
    m_activeState = nullptr;
    m_firedTransition = nullptr;
    m_initialShown = false;
}
