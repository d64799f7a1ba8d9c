#pragma once

// Memory items: placed by a click on a process diagram, labelled uniquely
// on it (dataflows name them by label; one of them may stay unlabelled).
// A memory item leaves with its dataflows, which the process items forget
// and only the memory item keeps recording; putting it back brings back
// those whose process item is on the canvas again.

#include "ItemKind.h"

class MemoryKind : public ItemKind
{
public:
    int type() const override;
    QString name() const override;
    QString noun() const override;
    int recordIndex() const override { return itemRecordIndex<MemoryRecord>(); }
    Tool tool() const override;
    bool hasUniqueLabel() const override { return true; }
    bool labelMayBeEmpty() const override { return true; }

    void insertAt(ItemCanvas &canvas, const QPointF &point) const override;
    void pushDeletion(ItemCanvas &canvas, DiagramItem *item) const override;
    DiagramItem *fromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z, DiagramItem *start,
                            DiagramItem *end) const override;
    bool putBack(CanvasSteps &steps, DiagramItem *item) const override;
    bool takeAway(CanvasSteps &steps, DiagramItem *item) const override;
};
