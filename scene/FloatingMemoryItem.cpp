#include "FloatingMemoryItem.h"

#include "DiagramItem.h"
#include "ItemLayout.h"
#include "LabelBoxItem.h"
#include "MemoryItem.h"
#include "ProcessItem.h"

#include <QFontMetricsF>
#include <QPainter>

FloatingMemoryItem::FloatingMemoryItem(double x, double y)
    : m_polygon(QPolygonF(QRectF(0, 0, 100, 64)))
    , m_pen(QBrush(Qt::black), 1, Qt::SolidLine)
{
    setPos(x, y);
    setFlags(ItemIsMovable | ItemIsSelectable);
}

QRectF FloatingMemoryItem::boundingRect() const
{
    return QRectF(0, 0, m_width, m_height);
}

void FloatingMemoryItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QColor fill =
        m_backgroundColour.isValid() ? m_backgroundColour : MemoryItem::fallbackColour();
    const QFont font = diagramItemFont(this);
    painter->setFont(font);
    // The band as a memory item's; the texts centred across the tag (which
    // may be wider than the formula's) in a colour that reads on the fill.
    paintMemoryBand(painter, m_width, m_height, fill, QString(), QString(),
                    labelMetrics(font).averageCharWidth);
    painter->setPen(readableTextColour(fill));
    const int flags = Qt::AlignCenter | Qt::TextDontClip;
    painter->drawText(QRect(0, 10, m_width, 21), flags, m_label);
    painter->drawText(QRect(0, 30, m_width, 21), flags, m_datatype);
}

void FloatingMemoryItem::updateSize()
{
    const QFont font = diagramItemFont(this);
    const int width = tagWidthFor(memoryItemWidth(m_label, m_datatype, labelMetrics(font).averageCharWidth),
                                  {m_label, m_datatype}, QFontMetricsF(font));
    if (width != m_width) {
        prepareGeometryChange();
        m_width = width;
    }
    m_polygon = QPolygonF(QRectF(0, 0, m_width, m_height));
    update();
}

void FloatingMemoryItem::setLabel(const QString &label)
{
    m_label = label;
    updateSize();
}

void FloatingMemoryItem::setDatatype(const QString &datatype)
{
    m_datatype = datatype;
    updateSize();
}

void FloatingMemoryItem::setBackgroundColour(const QColor &colour)
{
    m_backgroundColour = colour;
    update();
}

QVariant FloatingMemoryItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemSceneHasChanged)
        updateSize();
    return QGraphicsItem::itemChange(change, value);
}
