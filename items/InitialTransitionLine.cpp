#include "InitialTransitionLine.h"

#include "ConnectorGeometry.h"
#include "InitialTransition.h"
#include "StateItem.h"

#include <QPainter>
#include <QtGlobal>

InitialTransitionLine::InitialTransitionLine(QGraphicsItem *parent)
    : QObject(nullptr), QGraphicsLineItem(parent)
{
}

void InitialTransitionLine::setDot(InitialTransition *dot)
{
    m_dot = dot;
}

void InitialTransitionLine::attachState(StateItem *state)
{
    if (!m_dot) {
        qDebug("FATAL ERROR: Initial State Item is called before setting the Initial Transition dot item");
        return;
    }
    m_state = state;
    updateGeometry();
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setFlag(QGraphicsItem::ItemStacksBehindParent, true);
    setPen(connectorPen());
}

void InitialTransitionLine::detach()
{
    m_active = false;
    m_state = nullptr;
    update();
}

void InitialTransitionLine::setActive(bool active)
{
    m_active = active && m_state && m_dot;
    update();
}

bool InitialTransitionLine::updateGeometry()
{
    if (!m_state || !m_dot)
        return false;
    const QPointF dotCentre = m_dot->pos() + QPointF(InitialTransition::Diameter / 2,
                                                     InitialTransition::Diameter / 2);
    const QPointF stateCentre = itemCentre(m_state->pos(), m_state->width(), m_state->height());
    QLineF newLine;
    if (!clippedConnector(dotCentre, stateCentre, m_state->polygon(), m_state->pos(), &newLine))
        return false;
    if (newLine != line()) {
        prepareGeometryChange();
        setLine(newLine);
    }
    m_arrowHead = ::arrowHead(newLine);
    return true;
}

QRectF InitialTransitionLine::boundingRect() const
{
    return connectorBoundingRect(line(), pen().widthF());
}

QPainterPath InitialTransitionLine::shape() const
{
    return connectorShape(line(), m_arrowHead, pen());
}

void InitialTransitionLine::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (!m_active || !m_state || !m_dot)
        return;
    if (m_dot->collidesWithItem(m_state, Qt::IntersectsItemShape))
        return;
    // The dot may sit inside the state's outline without touching it; with
    // no edge to end at there is nothing to draw.
    if (!updateGeometry())
        return;

    paintConnector(painter, pen(), line(), m_arrowHead, isSelected());
}
