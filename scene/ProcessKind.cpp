#include "ProcessKind.h"

#include "Canvas.h"
#include "ProcessItem.h"

int ProcessKind::type() const { return ItemType::Process; }
QString ProcessKind::name() const { return QStringLiteral("Process Item"); }
QString ProcessKind::noun() const { return QStringLiteral("process item"); }
int ProcessKind::menuIndex() const { return Canvas::ProcessMenu; }
int ProcessKind::insertMode() const { return Canvas::ProcessMode; }

void ProcessKind::insertAt(Canvas &canvas, const QPointF &point) const
{
    auto *item = new ProcessItem(canvas.menu(Canvas::ProcessMenu), point.x(), point.y(),
                                 canvas.processShape());
    item->placeAt();
    canvas.placeProcessItem(item);
}

void ProcessKind::pushDeletion(Canvas &, DiagramItem *) const {}

bool ProcessKind::putBack(CanvasSteps &, DiagramItem *) const
{
    return false;
}

bool ProcessKind::takeAway(CanvasSteps &, DiagramItem *) const
{
    return false;
}

DiagramItem *ProcessKind::fromRecord(Canvas &canvas, const ItemRecord &record, qreal z,
                                     DiagramItem *, DiagramItem *) const
{
    return placeFromRecord<ProcessRecord>(canvas, record, z, [&canvas](const ProcessRecord &r) {
        return new ProcessItem(canvas.menu(Canvas::ProcessMenu), r.xCoord, r.yCoord, r.shape);
    });
}
