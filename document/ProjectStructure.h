#pragma once

// The project-structure operations on the open project's canvases and tree:
// what happens to the tree and the canvas list when a process item is
// inserted, renamed or deleted, which canvas a tree node or process item
// opens, and the floating link and memory ends a child canvas shows.
//
// Canvases and nodes are found by node path (see NodePath.h), so nodes
// whose identity numbers coincide under different ancestors never get
// confused. The class works on the window's canvas list and tree model
// (neither is owned) and creates canvases as its CanvasSetup says.

#include "CanvasSetup.h"
#include "NodePath.h"

#include <QList>
#include <QString>

#include <functional>

class Canvas;
class ProcessItem;
class TreeModel;
class TreeNode;

class ProjectStructure
{
public:
    enum class DeleteResult {
        Deleted,
        LastProcessItem,   // the canvas holds fewer than two process items
        NotFound,          // the item's canvas or tree node is missing
    };

    // What deleting a process item takes with it: the diagrams of its node
    // and of every node below it, and the states and transitions on them.
    struct Subtree
    {
        int diagrams = 0;
        int states = 0;
        int transitions = 0;
        // Whether any of those diagrams holds an item or has a node below it.
        bool holdsWork = false;
    };

    // A process item's part of the project while an undo step holds it
    // away: its canvas and those below it (alive, out of the list) and its
    // tree node with the nodes below it, with the places all of them had.
    struct Detached
    {
        int itemIndex = -1;         // place in its canvas's process list
        int nodeRow = -1;           // place among its node's siblings
        QString nodeText;           // its node and those below (TreeModel::subtreeText)
        QList<Canvas *> canvases;   // its own canvas first, in list order
        QList<int> canvasPlaces;    // where each stood in the project's list
    };

    ProjectStructure(QList<Canvas *> *canvases, TreeModel *model, const CanvasSetup &setup);

    const CanvasSetup &canvasSetup() const { return m_setup; }
    // E.g. after the canvas size changed: later canvases use the new setup.
    void setCanvasSetup(const CanvasSetup &setup) { m_setup = setup; }

    // --- lookups ---------------------------------------------------------------
    // The canvas of a tree node, or null.
    Canvas *canvasForNode(const TreeNode *node) const;
    // The tree node of a canvas, or null.
    TreeNode *nodeForCanvas(const Canvas *canvas) const;
    // The canvas `item` on `canvas` opens, or null.
    Canvas *canvasOpenedBy(const Canvas *canvas, const ProcessItem *item) const;
    // The canvas a canvas's node is drawn on, or null (level 1).
    Canvas *parentCanvas(const Canvas *canvas) const;
    // The process item on the parent canvas that stands for `canvas`, or null.
    ProcessItem *processItemFor(const Canvas *canvas) const;

    // --- operations ------------------------------------------------------------
    // A process item was just inserted on `current`: creates its canvas
    // (appended to the list), renumbers the process items of `current`
    // (ids 1..n in list order, Nos n, carried to their canvases and every
    // item below) and appends a node named after the item below the node
    // of `current`. Returns the new canvas, or null when `current` is a
    // state machine or the item is not on it.
    Canvas *addProcessItem(Canvas *current, ProcessItem *item);

    // Whether the canvas and tree node of `item` on `current` are found;
    // the process dialog may be shown only then.
    bool canRenameProcessItem(const Canvas *current, const ProcessItem *item) const;
    // After the dialog: the canvas and node of `item` take its label.
    // Returns false (nothing changed) when either is missing.
    bool processItemRenamed(const Canvas *current, ProcessItem *item);

    // Takes `item` (on `current`) away with its canvas, the canvases below
    // it and its node, keeping all of them alive in `detached`; takeItem
    // takes the item and its connections off the diagram. The remaining
    // process items are renumbered. False, with nothing changed, when the
    // item's canvas or node is missing.
    bool detachProcessItem(Canvas *current, ProcessItem *item,
                           const std::function<void()> &takeItem, Detached *detached);
    // The reverse, once the item is back on `current` at its old place:
    // canvases and node return to their places and the ids are carried
    // down again.
    void reattachProcessItem(Canvas *current, ProcessItem *item, const Detached &detached);

    // What deleting `item` would take with it (all zero when the item's
    // canvas is missing).
    Subtree subtreeOf(const Canvas *current, const ProcessItem *item) const;

    // Rebuilds the floating link and memory ends of a canvas below level 1
    // from the links and dataflows of its process item on the parent canvas
    // (old ends removed first, so they never pile up). Returns false, and
    // changes nothing, when the parent canvas or the process item is
    // missing.
    bool rebuildFloatingEnds(Canvas *canvas) const;

private:
    QHash<NodePath, Canvas *> pathIndex() const;
    // `own` and every canvas whose node lies below own's.
    QList<Canvas *> canvasesFrom(const Canvas *own) const;
    // The node of `canvas` when its name matches the canvas's, else null.
    TreeNode *matchingNode(const Canvas *canvas) const;
    // Ids 1..n in list order and Nos n for the process items of `canvas`,
    // carried to the canvases they open (found in `oldIndex` by their old
    // paths; `newItem` opens `newCanvas`) and to everything below them.
    void renumberProcessItems(Canvas *canvas, const QHash<NodePath, Canvas *> &oldIndex,
                              const ProcessItem *newItem = nullptr, Canvas *newCanvas = nullptr);
    // Gives the items of `canvas` its identity and carries it further down.
    void carryDown(Canvas *canvas, const NodePath &oldPath,
                   const QHash<NodePath, Canvas *> &oldIndex);

    QList<Canvas *> *m_canvases;
    TreeModel *m_model;
    CanvasSetup m_setup;
};
