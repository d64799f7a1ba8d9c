#include "FloatingLinkItem.h"

#include "DiagramItem.h"
#include "ItemLayout.h"
#include "LabelBoxItem.h"

#include <QFontMetricsF>
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

QRect floatingLinkTextRect(int width, const LabelMetrics &m)
{
    const double a = m.averageCharWidth;
    return QRect(static_cast<int>(3 * a), static_cast<int>(a / 2), static_cast<int>(width - 6 * a),
                 static_cast<int>(m.lineHeight));
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
    if (m_label.isEmpty())
        return;
    const QFont font = diagramItemFont(this);
    painter->setFont(font);
    painter->setPen(readableTextColour(m_colour));
    painter->drawText(floatingLinkTextRect(m_width, labelMetrics(font)), Qt::AlignCenter | Qt::TextDontClip,
                      m_label);
}

void FloatingLinkItem::updateSize()
{
    // The formula's size, wider where the drawn label needs more.
    const QFont font = diagramItemFont(this);
    QSize size = labelBoxSize(m_label, labelMetrics(font));
    if (!m_label.isEmpty())
        size.setWidth(tagWidthFor(size.width(), {m_label}, QFontMetricsF(font)));
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
