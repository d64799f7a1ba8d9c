#include "FloatingMemoryItem.h"

#include "DiagramItem.h"
#include "LabelBoxItem.h"
#include "MemoryItem.h"
#include "ProcessItem.h"

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
    paintMemoryBand(painter, m_width, m_height, fill, m_label, m_datatype,
                    labelMetrics(font).averageCharWidth);
}

void FloatingMemoryItem::updateSize()
{
    const int width = memoryItemWidth(m_label, m_datatype,
                                      labelMetrics(diagramItemFont(this)).averageCharWidth);
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
