#pragma once

// Links: drawn from one process item to another, each recorded on both of
// its process items.

#include "ItemKind.h"

class LinkKind : public ItemKind
{
public:
    int type() const override;
    QString name() const override;
    QString noun() const override;
    int recordIndex() const override { return itemRecordIndex<LinkRecord>(); }
    Tool tool() const override;

    bool isConnection() const override { return true; }
    QGraphicsItem *connect(ItemCanvas &canvas, QGraphicsItem *start,
                           QGraphicsItem *end) const override;
    void pushDeletion(ItemCanvas &canvas, DiagramItem *item) const override;
    DiagramItem *fromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z, DiagramItem *start,
                            DiagramItem *end) const override;
    // The box and lines join the scene, the box the link list, and both
    // process items record it again. Needs both process items on the canvas.
    bool putBack(CanvasSteps &steps, DiagramItem *item) const override;
    // The reverse: the box and its lines stay alive, the link keeps its ends.
    bool takeAway(CanvasSteps &steps, DiagramItem *item) const override;
};
