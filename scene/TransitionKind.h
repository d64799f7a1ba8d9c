#pragma once

// Transitions: drawn from one state to another (or the same one), each
// recorded in its states' lists, whose order is the order the generated
// code tests them in. The helpers that keep those places are shared with
// StateKind, whose steps take a state's transitions along.

#include "ItemKind.h"

#include <QList>

class TransitionItem;

class TransitionKind : public ItemKind
{
public:
    int type() const override;
    QString name() const override;
    QString noun() const override;
    int recordIndex() const override { return itemRecordIndex<TransitionRecord>(); }
    Tool tool() const override;
    bool onMachinesOnly() const override { return true; }

    bool isConnection() const override { return true; }
    QGraphicsItem *connect(ItemCanvas &canvas, QGraphicsItem *start,
                           QGraphicsItem *end) const override;
    void pushDeletion(ItemCanvas &canvas, DiagramItem *item) const override;
    DiagramItem *fromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z, DiagramItem *start,
                            DiagramItem *end) const override;

    // The box and its lines join the scene, the box the transition list,
    // and both states record it. Needs both states on the canvas.
    bool putBack(CanvasSteps &steps, DiagramItem *item) const override;
    // The reverse; the box stays alive for a later undo.
    bool takeAway(CanvasSteps &steps, DiagramItem *item) const override;

    // Where the transitions stand in the canvas's list and in their states'
    // lists. Taken before anything is removed, so every index refers to the
    // lists as they were; restorePlaces puts them back in ascending order,
    // which rebuilds the lists exactly.
    static void rememberPlaces(CanvasSteps &steps, const QList<TransitionItem *> &transitions);
    static void restorePlaces(CanvasSteps &steps, const QList<TransitionItem *> &transitions);
    // Takes the box and its lines out of the scene, keeping them alive.
    static void hide(CanvasSteps &steps, TransitionItem *transition);
};
