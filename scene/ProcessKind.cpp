#include "ProcessKind.h"

#include "ItemCanvas.h"
#include "ProcessItem.h"

int ProcessKind::type() const { return ItemType::Process; }
QString ProcessKind::name() const { return QStringLiteral("Process Item"); }
QString ProcessKind::noun() const { return QStringLiteral("process item"); }

ItemKind::Tool ProcessKind::tool() const
{
    return {3, 3, "actionProcessRect", ":/Images/Images/Process_Rect_Cursor.png", 3, 4};
}

void ProcessKind::insertAt(ItemCanvas &canvas, const QPointF &point) const
{
    auto *item = new ProcessItem(canvas.menuOf(ItemType::Process), point.x(), point.y(),
                                 canvas.processShape());
    item->placeAt();
    canvas.placeProcessItem(item);
}

void ProcessKind::pushDeletion(ItemCanvas &, DiagramItem *) const {}

bool ProcessKind::putBack(CanvasSteps &, DiagramItem *) const
{
    return false;
}

bool ProcessKind::takeAway(CanvasSteps &, DiagramItem *) const
{
    return false;
}

DiagramItem *ProcessKind::fromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z,
                                     DiagramItem *, DiagramItem *) const
{
    return placeFromRecord<ProcessRecord>(canvas, record, z, [&canvas](const ProcessRecord &r) {
        return new ProcessItem(canvas.menuOf(ItemType::Process), r.xCoord, r.yCoord, r.shape);
    });
}
