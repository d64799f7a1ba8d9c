#pragma once

// States: placed by a click, labelled uniquely on their machine (the file
// joins transitions to them by label), deleted and put back together with
// their transitions, and carrying the machine's initial marker while one of
// them is initial.

#include "ItemKind.h"

class StateKind : public ItemKind
{
public:
    int type() const override;
    QString name() const override;
    QString noun() const override;
    int recordIndex() const override { return itemRecordIndex<StateRecord>(); }
    Tool tool() const override;
    bool onMachinesOnly() const override { return true; }
    bool hasUniqueLabel() const override { return true; }

    void insertAt(ItemCanvas &canvas, const QPointF &point) const override;
    // Takes the initial marker off the state first.
    void pushDeletion(ItemCanvas &canvas, DiagramItem *item) const override;
    DiagramItem *fromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z, DiagramItem *start,
                            DiagramItem *end) const override;
    // The first state loaded with the initial flag carries the canvas's
    // initial-state marker.
    void loaded(ItemCanvas &canvas, DiagramItem *item) const override;

    // The state joins scene and list, together with the transitions it still
    // records whose other state is on the canvas. An initial state gets the
    // initial marker back, unless another state on the canvas has become
    // initial meanwhile: then it returns as an ordinary state.
    bool putBack(CanvasSteps &steps, DiagramItem *item) const override;
    // The state leaves scene and list together with its transitions, which
    // the other states forget; the state keeps its own lists so that
    // putBack can restore them. The initial marker is taken off it.
    bool takeAway(CanvasSteps &steps, DiagramItem *item) const override;
};
