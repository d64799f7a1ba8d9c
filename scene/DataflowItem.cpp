#include "DataflowItem.h"

#include "DataflowLine.h"
#include "MemoryItem.h"
#include "ProcessItem.h"

namespace {

// The process and memory ends of a dataflow drawn from first to second, and
// the direction that order gives; no ends and no direction for other pairs.
struct DataflowEnds
{
    ProcessItem *process = nullptr;
    MemoryItem *memory = nullptr;
    int lineType = DataflowItem::NoDirection;
};

DataflowEnds dataflowEnds(QGraphicsItem *first, QGraphicsItem *second)
{
    DataflowEnds ends;
    if (qgraphicsitem_cast<ProcessItem *>(first) && qgraphicsitem_cast<MemoryItem *>(second)) {
        ends.lineType = DataflowItem::ProcessToMemory;
        ends.process = qgraphicsitem_cast<ProcessItem *>(first);
        ends.memory = qgraphicsitem_cast<MemoryItem *>(second);
    } else if (qgraphicsitem_cast<MemoryItem *>(first)
               && qgraphicsitem_cast<ProcessItem *>(second)) {
        ends.lineType = DataflowItem::MemoryToProcess;
        ends.memory = qgraphicsitem_cast<MemoryItem *>(first);
        ends.process = qgraphicsitem_cast<ProcessItem *>(second);
    }
    return ends;
}

QPointF dataflowMidPos(const DataflowEnds &ends)
{
    if (!ends.process || !ends.memory)
        return QPointF();
    return midPointOfCentres(ends.process->pos(), ends.process->width(), ends.process->height(),
                             ends.memory->pos(), ends.memory->width(), ends.memory->height());
}

} // namespace

DataflowItem::DataflowItem(QMenu *contextMenu, QGraphicsItem *first, QGraphicsItem *second)
    : LabelBoxItem(contextMenu, dataflowMidPos(dataflowEnds(first, second)), defaultColour())
{
    const DataflowEnds ends = dataflowEnds(first, second);
    m_process = ends.process;
    m_memory = ends.memory;
    m_lineType = ends.lineType;
    if (m_process && m_memory) {
        m_label = m_memory->label();
        m_datatype = m_memory->datatype();
    }
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

bool DataflowItem::isHidden() const
{
    return !m_process || !m_memory || m_process->collidesWithItem(m_memory);
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

void DataflowItem::applyRecord(const DataflowRecord &record)
{
    // With both ends known the direction is fixed by them; a different
    // stored value would swap the ends on the next save.
    if (!m_process || !m_memory)
        m_lineType = record.lineType;
    applyBoxFields(record);
}

DataflowRecord DataflowItem::toRecord() const
{
    DataflowRecord record;
    fillBoxFields(&record);
    record.lineType = m_lineType;
    const QString processLabel = m_process ? m_process->label() : QString();
    const QString memoryLabel = m_memory ? m_memory->label() : QString();
    if (m_lineType == ProcessToMemory) {
        record.startItem = processLabel;
        record.endItem = memoryLabel;
    } else if (m_lineType == MemoryToProcess) {
        record.startItem = memoryLabel;
        record.endItem = processLabel;
    }
    return record;
}

void DataflowItem::restoreRecord(const ItemRecord &record)
{
    if (const auto *own = std::get_if<DataflowRecord>(&record))
        applyRecord(*own);
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
