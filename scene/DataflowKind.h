#pragma once

// Dataflows: drawn between a process item and a memory item, in either
// order (the order gives the direction), recorded on both. A memory item's
// steps take its dataflows along (MemoryKind).

#include "ItemKind.h"

class DataflowItem;

class DataflowKind : public ItemKind
{
public:
    int type() const override;
    QString name() const override;
    QString noun() const override;
    int recordIndex() const override { return itemRecordIndex<DataflowRecord>(); }
    Tool tool() const override;

    bool isConnection() const override { return true; }
    QGraphicsItem *connect(ItemCanvas &canvas, QGraphicsItem *start,
                           QGraphicsItem *end) const override;
    void pushDeletion(ItemCanvas &canvas, DiagramItem *item) const override;
    DiagramItem *fromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z, DiagramItem *start,
                            DiagramItem *end) const override;
    // Needs both its process item and its memory item on the canvas.
    bool putBack(CanvasSteps &steps, DiagramItem *item) const override;
    bool takeAway(CanvasSteps &steps, DiagramItem *item) const override;

    // The box and lines join the scene, the box its remembered place in the
    // list, and the process item records it again.
    static void show(CanvasSteps &steps, DataflowItem *dataflow);
    // Takes the box and lines out of the scene, keeping them alive.
    static void hide(CanvasSteps &steps, DataflowItem *dataflow);
};
