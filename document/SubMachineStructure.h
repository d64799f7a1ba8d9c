#pragma once

// The sub-machines of the open project's states: which diagram a state's
// sub-machine is drawn on, which state holds a sub-machine diagram, what
// happens to the canvas list and the tree when a state gets or loses one.
//
// A sub-machine diagram is a canvas one level below the diagram of its
// holder state (levels 6 to 9, SubMachineLevels.h). Its node path is the
// path of that diagram plus its id, and its id is the position of its
// holder among the states of that diagram that hold one (1..n, in list
// order), which each holder keeps (StateItem::subMachineId) as a process
// item keeps the id of the diagram it opens. Its tree node sits below the
// node of that diagram, named after the holder; sub-machine nodes are the
// document's own (never in the tree text of the file), so they are made
// again from the canvases whenever the structure changes (syncNodes).
//
// Works on the project's canvas list and tree model, neither owned.

#include "CanvasSetup.h"
#include "NodePath.h"

#include <QHash>
#include <QList>
#include <QStringList>

class Canvas;
class StateItem;
class TreeModel;
class TreeNode;

class SubMachineStructure
{
public:
    // What removing a state's sub-machine takes with it: its diagram and
    // every sub-machine diagram below it, with their items.
    struct Subtree
    {
        QStringList diagrams;   // the diagrams' names, the state's own first
        int states = 0;
        int transitions = 0;
        int items = 0;          // every item of those diagrams
    };

    // A sub-machine's diagrams while an undo step holds them away: alive,
    // out of the list, with the places they had in it.
    struct Detached
    {
        QList<Canvas *> canvases;   // the sub-machine's own first
        QList<int> places;
        // Paths below the sub-machine's own, which reattaching puts below
        // wherever it then goes.
        QList<NodePath> relativePaths;
        QString mode;   // the state's subMachine field before
    };

    SubMachineStructure(QList<Canvas *> *canvases, TreeModel *model, const CanvasSetup &setup);

    // --- lookups ------------------------------------------------------------------
    // Whether states of `canvas` may get a sub-machine: a machine's diagram
    // or a sub-machine diagram above the deepest level.
    static bool canHoldSubMachines(const Canvas *canvas);
    // The sub-machine diagram of `state` on `canvas`, or null.
    Canvas *subMachineOf(const Canvas *canvas, const StateItem *state) const;
    // The diagram a sub-machine diagram is drawn below, or null (also for
    // a canvas that is no sub-machine's).
    Canvas *parentOf(const Canvas *subMachine) const;
    // The state holding a sub-machine diagram, or null.
    StateItem *holderOf(const Canvas *subMachine) const;
    // What removing the sub-machine of `state` takes along (empty when it
    // has none).
    Subtree subtreeOf(const Canvas *canvas, const StateItem *state) const;

    // --- operations ---------------------------------------------------------------
    // `state` on `canvas`, which holds no sub-machine yet, gets one of
    // `mode` (SubMachineStart, SubMachineResume): a new, empty diagram
    // appended to the list, with its node. Null, with nothing changed, when
    // the state cannot get one.
    Canvas *createFor(Canvas *canvas, StateItem *state, const QString &mode);
    // Takes the sub-machine of `state` away with every diagram below it,
    // keeping them alive; the state holds none then (its mode is kept in
    // `detached`) and the remaining sub-machines of `canvas` are
    // renumbered. False, with nothing changed, when it has none.
    bool detach(Canvas *canvas, StateItem *state, Detached *detached);
    // The reverse: the state takes its mode again and the diagrams return
    // to their places, below it.
    void reattach(Canvas *canvas, StateItem *state, const Detached &detached);

    // Ids 1..n for the holders of `canvas` in list order, carried to their
    // diagrams and every diagram below them; `newHolder` (if any) takes
    // `newCanvas`, whatever path that had.
    void renumber(Canvas *canvas, const StateItem *newHolder = nullptr, Canvas *newCanvas = nullptr);
    // After a machine's diagram moved from `oldPath` (`oldIndex`: the
    // canvases by their paths before), the sub-machine diagrams below it
    // move along and take their parent ids from the diagrams above them.
    static void carryBelow(Canvas *machine, const NodePath &oldPath,
                           const QHash<NodePath, Canvas *> &oldIndex);
    // The sub-machine diagrams of `canvas` and their nodes take the labels
    // of their holders.
    void followLabels(Canvas *canvas);
    // The tree's sub-machine nodes made to match the canvases: below every
    // machine or sub-machine node, one node per sub-machine diagram in id
    // order, named after it.
    void syncNodes();

private:
    QHash<NodePath, Canvas *> pathIndex() const;
    // `own` and the canvases whose paths lie below its path.
    QList<Canvas *> canvasesFrom(const Canvas *own) const;
    // The sub-machine diagrams directly below the path, by id.
    QList<Canvas *> childrenOf(const NodePath &path) const;
    void syncChildren(TreeNode *node, const NodePath &path);

    QList<Canvas *> *m_canvases;
    TreeModel *m_model;
    CanvasSetup m_setup;
};
