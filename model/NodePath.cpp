#include "NodePath.h"

#include "TreeNode.h"

namespace NodePaths {

NodePath nodePath(const TreeNode *node)
{
    NodePath path;
    // Stop at the level-1 node, the child of the invisible root.
    for (; node && node->parent() && node->parent()->parent(); node = node->parent())
        path.prepend(node->id());
    return path;
}

TreeNode *nodeAt(const TreeNode *root, const NodePath &path)
{
    TreeNode *node = root ? root->child(0) : nullptr;
    for (int id : path) {
        if (!node)
            return nullptr;
        node = node->child(id - 1);
    }
    return node;
}

} // namespace NodePaths
