#include "TransitionLine.h"

#include "ConnectorGeometry.h"
#include "ItemTypes.h"
#include "StateItem.h"
#include "TransitionItem.h"

#include <QPainter>

namespace {
// Centre and outline of either end of a transition line.
QPointF centreOf(const QGraphicsItem *item)
{
    if (item->type() == ItemType::State) {
        const auto *state = static_cast<const StateItem *>(item);
        return itemCentre(state->pos(), state->width(), state->height());
    }
    if (item->type() == ItemType::Transition) {
        const auto *box = static_cast<const TransitionItem *>(item);
        return itemCentre(box->pos(), box->width(), box->height());
    }
    return item->pos();
}

QPolygonF outlineOf(const QGraphicsItem *item)
{
    if (item->type() == ItemType::State)
        return static_cast<const StateItem *>(item)->polygon();
    if (item->type() == ItemType::Transition)
        return static_cast<const TransitionItem *>(item)->polygon();
    return QPolygonF();
}
}

TransitionLine::TransitionLine(QGraphicsItem *startGraphic, QGraphicsItem *endGraphic, QObject *parent)
    : QObject(parent), QGraphicsLineItem(nullptr), m_startGraphic(startGraphic), m_endGraphic(endGraphic)
{
    if (startGraphic && endGraphic) {
        if (startGraphic->type() == ItemType::State && endGraphic->type() == ItemType::Transition) {
            m_lineType = 1;
            m_state = static_cast<StateItem *>(startGraphic);
            m_transition = static_cast<TransitionItem *>(endGraphic);
        } else if (startGraphic->type() == ItemType::Transition && endGraphic->type() == ItemType::State) {
            m_lineType = 2;
            m_transition = static_cast<TransitionItem *>(startGraphic);
            m_state = static_cast<StateItem *>(endGraphic);
        }
    }
    updateGeometry();
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setFlag(QGraphicsItem::ItemStacksBehindParent, true);
    setPen(connectorPen());
}

bool TransitionLine::updateGeometry()
{
    const bool had = m_hasGeometry;
    QLineF centres;
    if (m_lineType != 0) {
        // The two lines of a self transition share their centres; each runs
        // beside the centre line, on its own side, so that they read as a loop.
        const qreal spread = m_transition->isSelfTransition() ? Connector::SelfTransitionSpread : 0.0;
        centres = sidewaysShifted(centreOf(m_startGraphic), centreOf(m_endGraphic), spread);
    }
    m_hasGeometry = m_lineType != 0
                    && placeClippedConnector(this, centres.p1(), centres.p2(), outlineOf(m_endGraphic),
                                             m_endGraphic->pos(), &m_arrowHead);
    if (had != m_hasGeometry)
        update();
    return m_hasGeometry;
}

bool TransitionLine::hidden() const
{
    if (!m_transition || m_transition->isSelfTransition())
        return false;
    // Overlapping items leave no sensible outline to clip at.
    return m_transition->statesOverlap()
           || itemsCollide(m_startGraphic, m_endGraphic);
}

QRectF TransitionLine::boundingRect() const
{
    return connectorBoundingRect(line(), pen().widthF());
}

QPainterPath TransitionLine::shape() const
{
    return connectorShape(line(), m_arrowHead, pen());
}

void TransitionLine::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (hidden())
        return;
    // When the centre line does not cross the outline (one item inside the
    // other) there is no point to end at, so nothing is drawn.
    if (!m_hasGeometry)
        return;

    paintConnector(painter, pen(), line(), m_lineType == 2 ? m_arrowHead : QPolygonF(),
                   isSelected());
}
