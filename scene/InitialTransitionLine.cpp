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

InitialTransitionLine::~InitialTransitionLine()
{
    detach();
    setDot(nullptr);
}

void InitialTransitionLine::setDot(InitialTransition *dot)
{
    if (m_dot && m_dot != dot)
        m_dot->setLine(nullptr);
    m_dot = dot;
    if (m_dot)
        m_dot->setLine(this);
}

void InitialTransitionLine::attachState(StateItem *state)
{
    if (!m_dot) {
        qDebug("FATAL ERROR: Initial State Item is called before setting the Initial Transition dot item");
        return;
    }
    if (m_state && m_state != state)
        m_state->setInitialLine(nullptr);
    m_state = state;
    if (m_state)
        m_state->setInitialLine(this);
    updateGeometry();
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setFlag(QGraphicsItem::ItemStacksBehindParent, true);
    setPen(connectorPen());
}

void InitialTransitionLine::detach()
{
    m_active = false;
    if (m_state)
        m_state->setInitialLine(nullptr);
    m_state = nullptr;
    m_hasGeometry = false;
    update();
}

void InitialTransitionLine::setActive(bool active)
{
    m_active = active && m_state && m_dot;
    update();
}

bool InitialTransitionLine::updateGeometry()
{
    const bool had = m_hasGeometry;
    m_hasGeometry = false;
    if (m_state && m_dot) {
        const QPointF dotCentre = m_dot->pos() + QPointF(InitialTransition::Diameter / 2,
                                                         InitialTransition::Diameter / 2);
        const QPointF stateCentre = itemCentre(m_state->pos(), m_state->width(), m_state->height());
        m_hasGeometry = placeClippedConnector(this, dotCentre, stateCentre, m_state->polygon(),
                                              m_state->pos(), &m_arrowHead);
    }
    if (had != m_hasGeometry)
        update();
    return m_hasGeometry;
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
    if (!m_hasGeometry)
        return;

    paintConnector(painter, pen(), line(), m_arrowHead, isSelected());
}
