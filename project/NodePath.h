#pragma once

// Where a canvas sits in the project tree, told apart without ambiguity.
//
// A canvas's identity numbers (level, id, parentId, grandParentId) do not
// name its node uniquely: the first state machine of the first software
// module of the first microcontroller has the same four numbers under every
// hardware module. The node path does: the ids of the node and of its
// ancestors from level 2 down (empty for the level-1 node, {2, 1} for the
// first microcontroller of the second hardware module). The process item
// with id i on the canvas with path P opens the canvas with path P + {i}.
//
// The path travels with the canvas as a dynamic property, so the window's
// plain list of canvases is all the project operations need. Canvases made
// elsewhere without one get it from assignMissingPaths().

#include <QHash>
#include <QList>
#include <QVector>

class Canvas;
class TreeNode;

using NodePath = QVector<int>;

namespace NodePaths {

// The path stored on the canvas; `known` tells whether there is one.
NodePath canvasPath(const Canvas *canvas, bool *known = nullptr);
void setCanvasPath(Canvas *canvas, const NodePath &path);

// Path of the canvas a process item with `itemId` opens on `canvas`.
NodePath childPath(const Canvas *canvas, int itemId);

// Path of a tree node below the invisible root: the ids of the node and its
// ancestors, the level-1 node excluded.
NodePath nodePath(const TreeNode *node);
// The node at `path` below the invisible root's first child, or null.
TreeNode *nodeAt(const TreeNode *root, const NodePath &path);

// Canvases by path; where two canvases share a path the first in the list
// wins.
QHash<NodePath, Canvas *> index(const QList<Canvas *> &canvases);

// Gives every canvas reachable from the level-1 canvas a path: walking the
// process items depth first, a process item whose canvas has no path yet
// claims the first canvas in list order without a path whose identity
// (level, id, parentId, grandParentId) equals the item's. Canvases that
// already have a path keep it.
void assignMissingPaths(const QList<Canvas *> &canvases);

} // namespace NodePaths
