#include "DataflowKind.h"

#include "AddConnectionCommand.h"
#include "BoxConnections.h"
#include "ItemCanvas.h"
#include "ConnectedBox.h"
#include "CanvasSteps.h"
#include "DataflowItem.h"
#include "DataflowLine.h"
#include "DeleteItemCommand.h"
#include "MemoryItem.h"
#include "ProcessItem.h"

int DataflowKind::type() const { return ItemType::Dataflow; }
QString DataflowKind::name() const { return QStringLiteral("Dataflow"); }
QString DataflowKind::noun() const { return QStringLiteral("dataflow"); }

ItemKind::Tool DataflowKind::tool() const
{
    return {6, 6, "actionDataflow", ":/Images/Images/Dataflow_cursor.png", 1, 4};
}

QGraphicsItem *DataflowKind::connect(ItemCanvas &canvas, QGraphicsItem *start,
                                     QGraphicsItem *end) const
{
    const int startType = start->type();
    const int endType = end->type();
    const bool processToMemory = startType == ItemType::Process && endType == ItemType::Memory;
    const bool memoryToProcess = startType == ItemType::Memory && endType == ItemType::Process;
    if (!processToMemory && !memoryToProcess)
        return nullptr;
    DataflowItem *made = BoxConnections::connectDataflow(&canvas, start, end);
    canvas.pushCommand(new AddConnectionCommand(&canvas, canvas.registeredItem(made)));
    return made;
}

void DataflowKind::pushDeletion(ItemCanvas &canvas, DiagramItem *item) const
{
    canvas.pushCommand(new DeleteItemCommand(&canvas, item));
}

void DataflowKind::show(CanvasSteps &steps, DataflowItem *dataflow)
{
    steps.showParts({dataflow, dataflow->startLine(), dataflow->endLine()});
    steps.relist(dataflow);
    dataflow->process()->addDataflow(dataflow);
    for (DataflowLine *line : {dataflow->startLine(), dataflow->endLine()}) {
        if (line)
            line->updateGeometry();
    }
}

void DataflowKind::hide(CanvasSteps &steps, DataflowItem *dataflow)
{
    steps.hideParts({dataflow, dataflow->startLine(), dataflow->endLine()});
}

bool DataflowKind::putBack(CanvasSteps &steps, DiagramItem *item) const
{
    auto *dataflow = static_cast<DataflowItem *>(item);
    if (!dataflow || steps.isListed(dataflow) || !steps.isListed(dataflow->process())
        || !steps.isListed(dataflow->memory()))
        return false;
    show(steps, dataflow);
    if (!dataflow->memory()->dataflows().contains(dataflow))
        dataflow->memory()->addDataflow(dataflow);
    return true;
}

bool DataflowKind::takeAway(CanvasSteps &steps, DiagramItem *item) const
{
    auto *dataflow = static_cast<DataflowItem *>(item);
    if (!dataflow || !steps.isListed(dataflow))
        return false;
    steps.rememberIndex(dataflow);
    steps.canvas()->unregisterItem(dataflow);
    if (dataflow->process())
        dataflow->process()->removeDataflow(dataflow);
    if (dataflow->memory())
        dataflow->memory()->removeDataflow(dataflow);
    hide(steps, dataflow);
    return true;
}

DiagramItem *DataflowKind::fromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z,
                                      DiagramItem *start, DiagramItem *end) const
{
    const auto *r = std::get_if<DataflowRecord>(&record);
    if (!r)
        return nullptr;
    auto *process = static_cast<ProcessItem *>(start);
    auto *memory = static_cast<MemoryItem *>(end);
    const bool processFirst = r->lineType == DataflowItem::ProcessToMemory;
    QGraphicsItem *first = processFirst ? static_cast<QGraphicsItem *>(process) : memory;
    QGraphicsItem *second = processFirst ? static_cast<QGraphicsItem *>(memory) : process;
    auto *dataflow = new DataflowItem(canvas.menuOf(ItemType::Dataflow), first, second);
    process->addDataflow(dataflow);
    memory->addDataflow(dataflow);
    dataflow->applyRecord(*r);
    dataflow->setZValue(z);
    addConnectedBox<DataflowLine>(canvas, first, dataflow, second);
    return dataflow;
}
