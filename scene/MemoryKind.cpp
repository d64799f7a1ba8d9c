#include "MemoryKind.h"

#include "AddMemoryCommand.h"
#include "CanvasSteps.h"
#include "DataflowItem.h"
#include "DataflowKind.h"
#include "DeleteItemCommand.h"
#include "ItemCanvas.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "SubMachineLevels.h"

#include <algorithm>
#include <climits>

int MemoryKind::type() const { return ItemType::Memory; }
QString MemoryKind::name() const { return QStringLiteral("Memory Item"); }
QString MemoryKind::noun() const { return QStringLiteral("memory item"); }

ItemKind::Tool MemoryKind::tool() const
{
    return {5, 5, "actionMemory", ":/Images/Images/Memory_cursor.png", 2, DeepestCanvasLevel};
}

void MemoryKind::insertAt(ItemCanvas &canvas, const QPointF &point) const
{
    auto *command = new AddMemoryCommand(&canvas, point.x(), point.y());
    canvas.pushInsertion(command, command->memoryItem());
}

void MemoryKind::pushDeletion(ItemCanvas &canvas, DiagramItem *item) const
{
    canvas.pushCommand(new DeleteItemCommand(&canvas, item));
}

bool MemoryKind::putBack(CanvasSteps &steps, DiagramItem *item) const
{
    auto *memory = static_cast<MemoryItem *>(item);
    if (!memory || steps.isListed(memory))
        return false;
    steps.putIn(memory);
    // Ascending old places rebuild the dataflow list as it was.
    QList<DataflowItem *> flows = memory->dataflows();
    std::stable_sort(flows.begin(), flows.end(), [&steps](DataflowItem *a, DataflowItem *b) {
        return positionOr(steps.rememberedIndex(a), INT_MAX)
               < positionOr(steps.rememberedIndex(b), INT_MAX);
    });
    for (DataflowItem *flow : flows) {
        if (flow->process() && steps.isListed(flow->process()) && !steps.isListed(flow))
            DataflowKind::show(steps, flow);
    }
    return true;
}

bool MemoryKind::takeAway(CanvasSteps &steps, DiagramItem *item) const
{
    auto *memory = static_cast<MemoryItem *>(item);
    if (!memory || !steps.isListed(memory))
        return false;
    // The dataflows' places are taken before any of them is removed, so
    // that each refers to the list as it was.
    const QList<DataflowItem *> flows = memory->dataflows();
    for (DataflowItem *flow : flows)
        steps.rememberIndex(flow);
    for (DataflowItem *flow : flows) {
        steps.canvas()->unregisterItem(flow);
        if (flow->process())
            flow->process()->removeDataflow(flow);
        DataflowKind::hide(steps, flow);
    }
    steps.takeOut(memory);
    return true;
}

DiagramItem *MemoryKind::fromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z,
                                    DiagramItem *, DiagramItem *) const
{
    return placeFromRecord<MemoryRecord>(canvas, record, z, [&canvas](const MemoryRecord &r) {
        return new MemoryItem(canvas.menuOf(ItemType::Memory), r.xCoord, r.yCoord);
    });
}
