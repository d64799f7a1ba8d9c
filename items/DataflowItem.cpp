#include "DataflowItem.h"

#include "ConnectorGeometry.h"
#include "DataflowLine.h"
#include "DataflowProperties.h"
#include "LinkItem.h"
#include "MemoryItem.h"
#include "ProcessItem.h"

#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>
#include <QPainter>

DataflowItem::DataflowItem(QMenu *contextMenu, QGraphicsItem *first, QGraphicsItem *second)
    : m_contextMenu(contextMenu)
    , m_polygon(QPolygonF(QRectF(0, 0, DefaultWidth, DefaultHeight)))
    , m_pen(QBrush(Qt::black), 1, Qt::SolidLine)
{
    if (qgraphicsitem_cast<ProcessItem *>(first) && qgraphicsitem_cast<MemoryItem *>(second)) {
        m_lineType = ProcessToMemory;
        m_process = qgraphicsitem_cast<ProcessItem *>(first);
        m_memory = qgraphicsitem_cast<MemoryItem *>(second);
    } else if (qgraphicsitem_cast<MemoryItem *>(first)
               && qgraphicsitem_cast<ProcessItem *>(second)) {
        m_lineType = MemoryToProcess;
        m_memory = qgraphicsitem_cast<MemoryItem *>(first);
        m_process = qgraphicsitem_cast<ProcessItem *>(second);
    }
    if (m_process && m_memory) {
        m_midPos = midPointOfCentres(m_process->pos(), m_process->width(), m_process->height(),
                                     m_memory->pos(), m_memory->width(), m_memory->height());
        m_label = m_memory->label();
        m_datatype = m_memory->datatype();
    }
    // Centred at the default size; a label then widens the box to the right.
    setPos(boxTopLeft(m_midPos, m_width, m_height));
    setFlags(ItemIsMovable | ItemIsSelectable | ItemSendsGeometryChanges);
    setAcceptHoverEvents(true);
    updateSize();
}

DataflowItem::~DataflowItem()
{
    if (m_process)
        m_process->removeDataflow(this);
    if (m_memory)
        m_memory->removeDataflow(this);
    if (m_startLine)
        m_startLine->dataflowDestroyed();
    if (m_endLine)
        m_endLine->dataflowDestroyed();
}

QGraphicsItem *DataflowItem::startGraphic() const
{
    if (m_lineType == ProcessToMemory)
        return m_process;
    if (m_lineType == MemoryToProcess)
        return m_memory;
    return nullptr;
}

QGraphicsItem *DataflowItem::endGraphic() const
{
    if (m_lineType == ProcessToMemory)
        return m_memory;
    if (m_lineType == MemoryToProcess)
        return m_process;
    return nullptr;
}

QRectF DataflowItem::boundingRect() const
{
    return QRectF(0, 0, m_width, m_height);
}

bool DataflowItem::isHidden() const
{
    return !m_process || !m_memory || m_process->collidesWithItem(m_memory);
}

void DataflowItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
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

void DataflowItem::setMarked()
{
    prepareGeometryChange();
    m_pen.setStyle(Qt::DotLine);
    update();
}

void DataflowItem::clearMarked()
{
    prepareGeometryChange();
    m_pen.setStyle(Qt::SolidLine);
    update();
}

void DataflowItem::removeLines()
{
    // Deleting a line clears our pointer to it (lineDestroyed).
    delete m_startLine;
    delete m_endLine;
}

void DataflowItem::detach()
{
    if (m_process)
        m_process->removeDataflow(this);
    if (m_memory)
        m_memory->removeDataflow(this);
    m_process = nullptr;
    m_memory = nullptr;
    removeLines();
    update();
}

void DataflowItem::rebuildPolygon()
{
    m_polygon = QPolygonF(QRectF(0, 0, m_width, m_height));
}

void DataflowItem::updateSize()
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

void DataflowItem::setLabel(const QString &label)
{
    m_label = label;
    updateSize();
    update();
}

void DataflowItem::setBackgroundColour(const QColor &colour)
{
    m_backgroundColour = colour;
    update();
}

void DataflowItem::applyRecord(const DataflowRecord &record)
{
    m_level = record.level;
    m_parentId = record.parentId;
    m_grandParentId = record.grandParentId;
    // With both ends known the direction is fixed by them; a different
    // stored value would swap the ends on the next save.
    if (!m_process || !m_memory)
        m_lineType = record.lineType;
    m_label = record.label;
    m_description = record.description;
    m_datatype = record.datatype;
    m_backgroundColour = QColor(record.backgroundColour);
    m_polygon = QPolygonF(record.polygon);
    setPos(record.xCoord, record.yCoord);
    updateSize();
    update();
}

DataflowRecord DataflowItem::toRecord() const
{
    DataflowRecord record;
    record.level = m_level;
    record.parentId = m_parentId;
    record.grandParentId = m_grandParentId;
    record.lineType = m_lineType;
    record.xCoord = pos().x();
    record.yCoord = pos().y();
    record.label = m_label;
    record.description = m_description;
    record.datatype = m_datatype;
    const QString processLabel = m_process ? m_process->label() : QString();
    const QString memoryLabel = m_memory ? m_memory->label() : QString();
    if (m_lineType == ProcessToMemory) {
        record.startItem = processLabel;
        record.endItem = memoryLabel;
    } else if (m_lineType == MemoryToProcess) {
        record.startItem = memoryLabel;
        record.endItem = processLabel;
    }
    record.backgroundColour =
        (m_backgroundColour.isValid() ? m_backgroundColour : defaultColour()).name();
    record.polygon = m_polygon;
    return record;
}

bool DataflowItem::openProperties()
{
    if (!m_propertiesDialog)
        m_propertiesDialog = std::make_unique<DataflowProperties>();
    DataflowProperties *dialog = m_propertiesDialog.get();
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

void DataflowItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    if (m_contextMenu)
        m_contextMenu->exec(event->screenPos());
}

QVariant DataflowItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionHasChanged)
        updateLines();
    else if (change == ItemSceneHasChanged)
        updateSize();
    return QGraphicsItem::itemChange(change, value);
}

void DataflowItem::processDestroyed(ProcessItem *process)
{
    if (m_process != process)
        return;
    m_process = nullptr;
    for (DataflowLine *line : {m_startLine, m_endLine}) {
        if (line && line->process() == process)
            line->endDestroyed();
    }
}

void DataflowItem::memoryDestroyed(MemoryItem *memory)
{
    if (m_memory != memory)
        return;
    m_memory = nullptr;
    for (DataflowLine *line : {m_startLine, m_endLine}) {
        if (line && line->memory() == memory)
            line->endDestroyed();
    }
}

void DataflowItem::lineDestroyed(DataflowLine *line)
{
    if (m_startLine == line)
        m_startLine = nullptr;
    if (m_endLine == line)
        m_endLine = nullptr;
}

void DataflowItem::updateLines()
{
    if (m_startLine)
        m_startLine->updateGeometry();
    if (m_endLine)
        m_endLine->updateGeometry();
}
