#include "InitialTransition.h"

#include "CachedDropShadowEffect.h"
#include "InitialTransitionLine.h"
#include "StateItem.h"

#include <QPainter>
#include <QtMath>

InitialTransition::InitialTransition(QGraphicsItem *parent)
    : QObject(nullptr), QGraphicsItem(parent)
{
    auto *shadow = new CachedDropShadowEffect;
    m_shadow = shadow;
    m_shadow->setBlurRadius(50);
    // The dot, and so its shadow, shows only while it marks a state.
    shadow->setOutlineSource([this] {
        return ShadowOutline{m_active && m_state ? ShadowOutline::Ellipse : ShadowOutline::None,
                             boundingRect(), 0, 0, 0, true};
    });
    setGraphicsEffect(m_shadow);
    setCacheMode(QGraphicsItem::DeviceCoordinateCache);
    setFlag(QGraphicsItem::ItemSendsGeometryChanges, true);
}

InitialTransition::~InitialTransition()
{
    if (m_line)
        m_line->setDot(nullptr);
}

QVariant InitialTransition::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionHasChanged && m_line)
        m_line->updateGeometry();
    return QGraphicsItem::itemChange(change, value);
}

QRectF InitialTransition::boundingRect() const
{
    return QRectF(0, 0, Diameter, Diameter);
}

void InitialTransition::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (!m_active || !m_state)
        return;
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QBrush(Qt::black, Qt::SolidPattern));
    painter->drawEllipse(boundingRect());
}

void InitialTransition::contextMenuEvent(QGraphicsSceneContextMenuEvent *)
{
    // The dot has no context menu.
}

void InitialTransition::attachState(StateItem *state)
{
    m_state = state;
}

void InitialTransition::detach()
{
    m_active = false;
    m_state = nullptr;
    update();
}

void InitialTransition::setActive(bool active)
{
    if (active && !m_state) {
        m_active = false;
    } else {
        m_active = active;
        updatePosition();
    }
    update();
}

void InitialTransition::updatePosition()
{
    if (!m_active || !m_state)
        return;
    const QPointF target(m_state->x() + m_state->width() / 2 - Diameter / 2,
                         m_state->y() - m_state->height() / 2);
    if (qAbs(target.x() - x()) <= 1e-12 && qAbs(target.y() - y()) <= 1e-12)
        return;
    setPos(target);
}
