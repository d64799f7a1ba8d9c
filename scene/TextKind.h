#pragma once

// Text items: free text placed by a click on a state machine; no label,
// nothing joins them.

#include "ItemKind.h"

class TextKind : public ItemKind
{
public:
    int type() const override;
    QString name() const override;
    QString noun() const override;
    int recordIndex() const override { return itemRecordIndex<TextRecord>(); }
    Tool tool() const override;
    bool onMachinesOnly() const override { return true; }

    void insertAt(ItemCanvas &canvas, const QPointF &point) const override;
    void pushDeletion(ItemCanvas &canvas, DiagramItem *item) const override;
    DiagramItem *fromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z, DiagramItem *start,
                            DiagramItem *end) const override;
    bool putBack(CanvasSteps &steps, DiagramItem *item) const override;
    bool takeAway(CanvasSteps &steps, DiagramItem *item) const override;
};
