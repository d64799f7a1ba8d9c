#include "LinkItem.h"

#include "ConnectorGeometry.h"
#include "LinkLine.h"
#include "LinkProperties.h"
#include "ProcessItem.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>
#include <QPainter>

QFont diagramItemFont(const QGraphicsItem *item)
{
    if (item && item->scene())
        return item->scene()->font();
    return QApplication::font();
}

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
        return QSize(LinkItem::DefaultWidth, LinkItem::DefaultHeight);
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

QPointF midPointOfCentres(const QPointF &firstPos, int firstWidth, int firstHeight,
                          const QPointF &secondPos, int secondWidth, int secondHeight)
{
    const QPointF first = itemCentre(firstPos, firstWidth, firstHeight);
    const QPointF second = itemCentre(secondPos, secondWidth, secondHeight);
    return (first + second) / 2;
}

LinkItem::LinkItem(QMenu *contextMenu, ProcessItem *startItem, ProcessItem *endItem)
    : m_startItem(startItem)
    , m_endItem(endItem)
    , m_polygon(QPolygonF(QRectF(0, 0, DefaultWidth, DefaultHeight)))
    , m_contextMenu(contextMenu)
    , m_pen(QBrush(Qt::black), 1, Qt::SolidLine)
{
    if (m_startItem && m_endItem)
        m_midPos = midPointOfCentres(m_startItem->pos(), m_startItem->width(),
                                     m_startItem->height(), m_endItem->pos(),
                                     m_endItem->width(), m_endItem->height());
    setPos(boxTopLeft(m_midPos, m_width, m_height));
    setFlags(ItemIsMovable | ItemIsSelectable | ItemSendsGeometryChanges);
    setAcceptHoverEvents(true);
}

LinkItem::~LinkItem()
{
    if (m_startItem)
        m_startItem->removeLink(this);
    if (m_endItem)
        m_endItem->removeLink(this);
    if (m_startLine)
        m_startLine->linkDestroyed();
    if (m_endLine)
        m_endLine->linkDestroyed();
}

QRectF LinkItem::boundingRect() const
{
    return QRectF(0, 0, m_width, m_height);
}

bool LinkItem::isHidden() const
{
    return !m_startItem || !m_endItem || m_startItem->collidesWithItem(m_endItem);
}

void LinkItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (isHidden())
        return;
    painter->setPen(m_pen);
    if (!m_backgroundColour.isValid())
        m_backgroundColour = defaultColour();
    painter->setBrush(QBrush(m_backgroundColour, Qt::SolidPattern));
    painter->drawRect(boundingRect());
    if (m_label.isEmpty())
        return;
    const QFont font = diagramItemFont(this);
    painter->setFont(font);
    painter->drawText(labelBoxTextRect(m_label, labelMetrics(font)),
                      Qt::AlignCenter | Qt::TextDontClip, m_label);
}

void LinkItem::setMarked()
{
    prepareGeometryChange();
    m_pen.setStyle(Qt::DotLine);
    update();
}

void LinkItem::clearMarked()
{
    prepareGeometryChange();
    m_pen.setStyle(Qt::SolidLine);
    update();
}

void LinkItem::removeLines()
{
    // Deleting a line clears our pointer to it (lineDestroyed).
    delete m_startLine;
    delete m_endLine;
}

void LinkItem::detach()
{
    if (m_startItem)
        m_startItem->removeLink(this);
    if (m_endItem)
        m_endItem->removeLink(this);
    m_startItem = nullptr;
    m_endItem = nullptr;
    removeLines();
    update();
}

void LinkItem::rebuildPolygon()
{
    m_polygon = QPolygonF(QRectF(0, 0, m_width, m_height));
}

void LinkItem::updateSize()
{
    const QSize size = labelBoxSize(m_label, labelMetrics(diagramItemFont(this)));
    if (size.width() != m_width || size.height() != m_height) {
        prepareGeometryChange();
        m_width = size.width();
        m_height = size.height();
        updateLines();
    }
    rebuildPolygon();
}

void LinkItem::setLabel(const QString &label)
{
    m_label = label;
    updateSize();
    update();
}

void LinkItem::setBackgroundColour(const QColor &colour)
{
    m_backgroundColour = colour;
    update();
}

void LinkItem::applyRecord(const LinkRecord &record)
{
    m_level = record.level;
    m_parentId = record.parentId;
    m_grandParentId = record.grandParentId;
    m_label = record.label;
    m_description = record.description;
    m_datatype = record.datatype;
    m_backgroundColour = QColor(record.backgroundColour);
    m_polygon = QPolygonF(record.polygon);
    setPos(record.xCoord, record.yCoord);
    updateSize();
    update();
}

LinkRecord LinkItem::toRecord() const
{
    LinkRecord record;
    record.level = m_level;
    record.parentId = m_parentId;
    record.grandParentId = m_grandParentId;
    record.xCoord = pos().x();
    record.yCoord = pos().y();
    record.label = m_label;
    record.description = m_description;
    record.datatype = m_datatype;
    if (m_startItem)
        record.startItem = m_startItem->label();
    if (m_endItem)
        record.endItem = m_endItem->label();
    record.backgroundColour =
        (m_backgroundColour.isValid() ? m_backgroundColour : defaultColour()).name();
    record.polygon = m_polygon;
    return record;
}

bool LinkItem::openProperties()
{
    if (!m_propertiesDialog)
        m_propertiesDialog = std::make_unique<LinkProperties>();
    LinkProperties *dialog = m_propertiesDialog.get();
    dialog->setLabel(m_label);
    dialog->setDescription(m_description);
    dialog->setDatatype(m_datatype);
    dialog->setBackgroundColour(m_backgroundColour);
    dialog->setPickedColour(m_backgroundColour);
    dialog->refresh();
    if (dialog->exec() != QDialog::Accepted)
        return false;

    m_label = dialog->label();
    m_description = dialog->description();
    m_datatype = dialog->datatype();
    m_backgroundColour = dialog->backgroundColour();
    updateSize();
    update();
    return true;
}

void LinkItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    if (m_contextMenu)
        m_contextMenu->exec(event->screenPos());
}

QVariant LinkItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionHasChanged)
        updateLines();
    else if (change == ItemSceneHasChanged)
        updateSize();
    return QGraphicsItem::itemChange(change, value);
}

void LinkItem::processDestroyed(ProcessItem *process)
{
    if (m_startItem == process)
        m_startItem = nullptr;
    if (m_endItem == process)
        m_endItem = nullptr;
    for (LinkLine *line : {m_startLine, m_endLine}) {
        if (line && line->process() == process)
            line->processDestroyed();
    }
}

void LinkItem::lineDestroyed(LinkLine *line)
{
    if (m_startLine == line)
        m_startLine = nullptr;
    if (m_endLine == line)
        m_endLine = nullptr;
}

void LinkItem::updateLines()
{
    if (m_startLine)
        m_startLine->updateGeometry();
    if (m_endLine)
        m_endLine->updateGeometry();
}
