#include "LabelBoxItem.h"

#include "ConnectorGeometry.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>
#include <QPainter>

LabelMetrics labelMetrics(const QFont &font)
{
    const QFontMetricsF metrics(font);
    LabelMetrics m;
    m.averageCharWidth = metrics.averageCharWidth();
    m.lineHeight = metrics.height();
    return m;
}

QSize labelBoxSize(const QString &label, const LabelMetrics &m)
{
    if (label.isEmpty())
        return QSize(LabelBoxItem::DefaultWidth, LabelBoxItem::DefaultHeight);
    const double a = m.averageCharWidth;
    const double labelWidth = label.length() * a + 8 * a;
    return QSize(static_cast<int>(labelWidth + 6 * a), static_cast<int>(m.lineHeight + a));
}

QRect labelBoxTextRect(const QString &label, const LabelMetrics &m)
{
    const double a = m.averageCharWidth;
    const double labelWidth = label.length() * a + 8 * a;
    return QRect(static_cast<int>(3 * a), static_cast<int>(a / 2),
                 static_cast<int>(labelWidth), static_cast<int>(m.lineHeight));
}

void drawBoxLabel(QPainter *painter, const QGraphicsItem *item, const QString &label)
{
    if (label.isEmpty())
        return;
    const QFont font = diagramItemFont(item);
    painter->setFont(font);
    painter->drawText(labelBoxTextRect(label, labelMetrics(font)),
                      Qt::AlignCenter | Qt::TextDontClip, label);
}

QPointF midPointOfCentres(const QPointF &firstPos, int firstWidth, int firstHeight,
                          const QPointF &secondPos, int secondWidth, int secondHeight)
{
    const QPointF first = itemCentre(firstPos, firstWidth, firstHeight);
    const QPointF second = itemCentre(secondPos, secondWidth, secondHeight);
    return (first + second) / 2;
}

LabelBoxItem::LabelBoxItem(QMenu *contextMenu, const QPointF &midPos, const QColor &colour)
    : DiagramItem(contextMenu)
    , m_midPos(midPos)
    , m_backgroundColour(colour)
    , m_polygon(QPolygonF(QRectF(0, 0, DefaultWidth, DefaultHeight)))
    , m_pen(QBrush(Qt::black), 1, Qt::SolidLine)
{
    // Centred at the default size; a label then widens the box to the right.
    setPos(boxTopLeft(m_midPos, m_width, m_height));
    setFlags(ItemIsMovable | ItemIsSelectable | ItemSendsGeometryChanges);
    setAcceptHoverEvents(true);
}

QRectF LabelBoxItem::boundingRect() const
{
    return QRectF(0, 0, m_width, m_height);
}

void LabelBoxItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (isHidden())
        return;
    painter->setPen(m_pen);
    painter->setBrush(QBrush(shownColour(), Qt::SolidPattern));
    painter->drawRect(boundingRect());
    drawBoxLabel(painter, this, m_label);
}

void LabelBoxItem::setOutlineStyle(Qt::PenStyle style)
{
    prepareGeometryChange();
    m_pen.setStyle(style);
    update();
}

void LabelBoxItem::rebuildPolygon()
{
    m_polygon = QPolygonF(QRectF(0, 0, m_width, m_height));
}

void LabelBoxItem::updateSize()
{
    const QSize size = labelBoxSize(m_label, labelMetrics(diagramFont()));
    if (size.width() != m_width || size.height() != m_height) {
        prepareGeometryChange();
        m_width = size.width();
        m_height = size.height();
    }
    // The lines are clipped at the outline: it has to fit the new size
    // before they are placed again (an outline read from a file may not).
    const QPolygonF before = m_polygon;
    rebuildPolygon();
    if (m_polygon != before)
        updateLines();
}

void LabelBoxItem::setLabel(const QString &label)
{
    m_label = label;
    updateSize();
    update();
}

void LabelBoxItem::setBackgroundColour(const QColor &colour)
{
    m_backgroundColour = colour;
    update();
}

QVariant LabelBoxItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionHasChanged)
        updateLines();
    else if (change == ItemSceneHasChanged)
        updateSize();
    return QGraphicsItem::itemChange(change, value);
}
