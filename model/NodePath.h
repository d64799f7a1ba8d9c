#pragma once

// Where a diagram sits in the project tree, told apart without ambiguity.
//
// A node's identity numbers (level, id, parentId, grandParentId) do not
// name it uniquely: the first state machine of the first software module of
// the first microcontroller has the same four numbers under every hardware
// module. The node path does: the ids of the node and of its ancestors from
// level 2 down (empty for the level-1 node, {2, 1} for the first
// microcontroller of the second hardware module). The process item with id
// i on the diagram with path P opens the diagram with path P + {i}.

#include <QVector>

class TreeNode;

using NodePath = QVector<int>;

namespace NodePaths {

// Path of a tree node below the invisible root: the ids of the node and its
// ancestors, the level-1 node excluded.
NodePath nodePath(const TreeNode *node);
// The node at `path` below the invisible root's first child, or null.
TreeNode *nodeAt(const TreeNode *root, const NodePath &path);

} // namespace NodePaths
