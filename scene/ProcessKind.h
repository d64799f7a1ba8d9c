#pragma once

// Process items: placed by a click, labelled uniquely on their diagram on
// one line (links and dataflows name them by label, the project tree
// stores the label as a line). Each opens a diagram of its own, so the
// project inserts and deletes them with their nodes and diagrams; the
// canvas's own undo steps never put one back or take one away.

#include "ItemKind.h"

class ProcessKind : public ItemKind
{
public:
    int type() const override;
    QString name() const override;
    QString noun() const override;
    int recordIndex() const override { return itemRecordIndex<ProcessRecord>(); }
    Tool tool() const override;
    bool hasUniqueLabel() const override { return true; }
    bool labelOnOneLine() const override { return true; }

    void insertAt(ItemCanvas &canvas, const QPointF &point) const override;
    bool opensDiagram() const override { return true; }
    // Nothing: see opensDiagram.
    void pushDeletion(ItemCanvas &canvas, DiagramItem *item) const override;
    DiagramItem *fromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z, DiagramItem *start,
                            DiagramItem *end) const override;
    bool putBack(CanvasSteps &steps, DiagramItem *item) const override;
    bool takeAway(CanvasSteps &steps, DiagramItem *item) const override;
};
