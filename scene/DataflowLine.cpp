#include "DataflowLine.h"

#include "ConnectorGeometry.h"
#include "DataflowItem.h"
#include "MemoryItem.h"
#include "ProcessItem.h"

#include <QPainter>

namespace {

QPointF centreOf(const QGraphicsItem *item)
{
    if (auto *process = qgraphicsitem_cast<const ProcessItem *>(item))
        return itemCentre(process->pos(), process->width(), process->height());
    if (auto *memory = qgraphicsitem_cast<const MemoryItem *>(item))
        return itemCentre(memory->pos(), memory->width(), memory->height());
    auto *dataflow = qgraphicsitem_cast<const DataflowItem *>(item);
    return itemCentre(dataflow->pos(), dataflow->width(), dataflow->height());
}

QPolygonF outlineOf(const QGraphicsItem *item)
{
    if (auto *process = qgraphicsitem_cast<const ProcessItem *>(item))
        return process->outline();
    if (auto *memory = qgraphicsitem_cast<const MemoryItem *>(item))
        return memory->polygon();
    return qgraphicsitem_cast<const DataflowItem *>(item)->polygon();
}

} // namespace

DataflowLine::DataflowLine(QGraphicsItem *first, QGraphicsItem *second)
{
    auto *firstProcess = qgraphicsitem_cast<ProcessItem *>(first);
    auto *firstMemory = qgraphicsitem_cast<MemoryItem *>(first);
    auto *firstDataflow = qgraphicsitem_cast<DataflowItem *>(first);
    auto *secondProcess = qgraphicsitem_cast<ProcessItem *>(second);
    auto *secondMemory = qgraphicsitem_cast<MemoryItem *>(second);
    auto *secondDataflow = qgraphicsitem_cast<DataflowItem *>(second);
    // Only an end of the box itself is accepted: the box is what tells the
    // line when that end is destroyed.
    if (firstProcess && secondDataflow && secondDataflow->process() == firstProcess) {
        m_lineType = ProcessToDataflow;
        m_process = firstProcess;
        m_dataflow = secondDataflow;
    } else if (firstMemory && secondDataflow && secondDataflow->memory() == firstMemory) {
        m_lineType = MemoryToDataflow;
        m_memory = firstMemory;
        m_dataflow = secondDataflow;
    } else if (firstDataflow && secondProcess && firstDataflow->process() == secondProcess) {
        m_lineType = DataflowToProcess;
        m_dataflow = firstDataflow;
        m_process = secondProcess;
    } else if (firstDataflow && secondMemory && firstDataflow->memory() == secondMemory) {
        m_lineType = DataflowToMemory;
        m_dataflow = firstDataflow;
        m_memory = secondMemory;
    }
    updateGeometry();
    setFlags(ItemIsSelectable | ItemStacksBehindParent);
    setPen(connectorPen());
}

DataflowLine::~DataflowLine()
{
    if (m_dataflow)
        m_dataflow->lineDestroyed(this);
}

QGraphicsItem *DataflowLine::otherEnd() const
{
    if (m_process)
        return m_process;
    return m_memory;
}

QGraphicsItem *DataflowLine::startGraphic() const
{
    if (m_lineType == ProcessToDataflow || m_lineType == MemoryToDataflow)
        return otherEnd();
    if (m_lineType == NoLine)
        return nullptr;
    return m_dataflow;
}

QGraphicsItem *DataflowLine::endGraphic() const
{
    if (m_lineType == DataflowToProcess || m_lineType == DataflowToMemory)
        return otherEnd();
    if (m_lineType == NoLine)
        return nullptr;
    return m_dataflow;
}

void DataflowLine::updateGeometry()
{
    // With an end gone, or when the centre line misses the outline (e.g. one
    // item inside the other), the last geometry stays but nothing is drawn.
    const QGraphicsItem *first = startGraphic();
    const QGraphicsItem *second = endGraphic();
    m_hasGeometry = first && second
        && placeClippedConnector(this, centreOf(first), centreOf(second), outlineOf(second),
                                 second->pos(), &m_arrowHead);
    if (!m_hasGeometry)
        update();
}

QRectF DataflowLine::boundingRect() const
{
    return connectorBoundingRect(line(), pen().widthF());
}

QPainterPath DataflowLine::shape() const
{
    return connectorShape(line(), hasArrowHead() ? m_arrowHead : QPolygonF(), pen());
}

void DataflowLine::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    paintBoxConnector(painter, *this, m_hasGeometry, startGraphic(), endGraphic(), m_dataflow,
                      hasArrowHead() ? m_arrowHead : QPolygonF());
}

void DataflowLine::endDestroyed()
{
    m_process = nullptr;
    m_memory = nullptr;
    m_hasGeometry = false;
}

void DataflowLine::dataflowDestroyed()
{
    m_dataflow = nullptr;
    m_hasGeometry = false;
}
