#include "FloatingLinkItem.h"

#include "DiagramItem.h"
#include "LabelBoxItem.h"

#include <QPainter>

QPolygonF floatingLinkPentagon(int direction, int width, int height)
{
    const int depth = FloatingLinkItem::PointDepth;
    const int middle = height / 2;
    QPolygonF pentagon;
    if (direction == FloatingLinkItem::Outgoing) {
        pentagon << QPointF(0, middle) << QPointF(depth, 0) << QPointF(width, 0)
                 << QPointF(width, height) << QPointF(depth, height);
    } else if (direction == FloatingLinkItem::Incoming) {
        pentagon << QPointF(width, middle) << QPointF(width - depth, 0) << QPointF(0, 0)
                 << QPointF(0, height) << QPointF(width - depth, height);
    }
    return pentagon;
}

QColor floatingLinkColour(int direction)
{
    if (direction == FloatingLinkItem::Outgoing)
        return QColor(255, 0, 0);
    if (direction == FloatingLinkItem::Incoming)
        return QColor(0, 255, 0);
    return QColor();
}

FloatingLinkItem::FloatingLinkItem(double x, double y, int direction, const QString &label)
    : m_direction(direction)
    , m_label(label)
    , m_colour(floatingLinkColour(direction))
    , m_pen(QBrush(Qt::black), 1, Qt::SolidLine)
{
    setPos(x, y);
    setFlags(ItemIsMovable | ItemIsSelectable);
    setAcceptHoverEvents(true);
    updateSize();
}

QRectF FloatingLinkItem::boundingRect() const
{
    return QRectF(0, 0, m_width, m_height);
}

void FloatingLinkItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (!m_colour.isValid())
        return;
    painter->setBrush(QBrush(m_colour, Qt::SolidPattern));
    painter->setPen(m_pen);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->drawPolygon(m_polygon);
    drawBoxLabel(painter, this, m_label);
}

void FloatingLinkItem::updateSize()
{
    const QSize size = labelBoxSize(m_label, labelMetrics(diagramItemFont(this)));
    if (size.width() != m_width || size.height() != m_height) {
        prepareGeometryChange();
        m_width = size.width();
        m_height = size.height();
    }
    m_polygon = floatingLinkPentagon(m_direction, m_width, m_height);
    update();
}

void FloatingLinkItem::setLabel(const QString &label)
{
    m_label = label;
    updateSize();
}

QVariant FloatingLinkItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemSceneHasChanged)
        updateSize();
    return QGraphicsItem::itemChange(change, value);
}
