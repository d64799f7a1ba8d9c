#include "BoxItem.h"

#include "ItemLayout.h"

BoxItem::BoxItem(QMenu *contextMenu, int width, int height, QGraphicsItem *parent)
    : DiagramItem(contextMenu, parent), m_width(width), m_height(height)
{
    m_textOption.setAlignment(Qt::AlignLeft);
    m_textOption.setWrapMode(QTextOption::NoWrap);
    m_polygon = closedRectangle(m_width, m_height);
    m_pen = boxOutlinePen(Qt::SolidLine);
}

QRectF BoxItem::boundingRect() const
{
    return QRectF(0, 0, m_width, m_height);
}

QPainterPath BoxItem::shape() const
{
    return rectItemShape(boundingRect(), m_pen);
}

void BoxItem::setOutlineStyle(Qt::PenStyle style)
{
    prepareGeometryChange();
    m_pen = boxOutlinePen(style);
    update();
}

void BoxItem::resizeBox(int width, int height)
{
    prepareGeometryChange();
    m_width = width;
    m_height = height;
    rebuildPolygon();
}

void BoxItem::takeStoredGeometry(int width, int height, const QVector<QPointF> &polygon)
{
    prepareGeometryChange();
    m_width = width;
    m_height = height;
    m_polygon = storedOutline(polygon, width, height);
    geometryChanged();
}

void BoxItem::setWidth(int width)
{
    if (width != m_width)
        resizeBox(width, m_height);
}

void BoxItem::setHeight(int height)
{
    if (height != m_height)
        resizeBox(m_width, height);
}

void BoxItem::setSize(int width, int height)
{
    resizeBox(width, height);
    update();
}

void BoxItem::setAction(const QString &action)
{
    m_action = action;
    update();
}

void BoxItem::setBackgroundColour(const QColor &colour)
{
    m_backgroundColour = colour;
    update();
}

QColor BoxItem::shownColour() const
{
    return m_backgroundColour.isValid() ? m_backgroundColour : fallbackColour();
}

void BoxItem::rebuildPolygon()
{
    m_polygon = closedRectangle(m_width, m_height);
    geometryChanged();
}

void BoxItem::fitToText()
{
    const QSize size = fittedSize(diagramMetrics());
    resizeBox(size.width(), size.height());
    update();
}
