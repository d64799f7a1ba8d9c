#pragma once

// The window's side of the project tree: showing the canvas of a node the
// user activates in the browser (or the project node after opening), the
// diagram and item a generator log row names, and the questions and
// refusals around renaming and deleting process items. The structural
// work itself is the Project's; this class finds the canvas, the item and
// the node the window is showing and asks the project to show them.
//
// Canvases are looked up by the node path of a tree node through a hash
// that is rebuilt only when the canvas list changed, so activating a node
// costs the same in a project of thousands of nodes as in a small one.

#include "ItemRef.h"
#include "LoadNote.h"
#include "NodePath.h"
#include "ProjectSearch.h"
#include "ProjectStructure.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <functional>

class Canvas;
class ProcessItem;
class QGraphicsItem;
class Project;
class ProjectWindow;
class QModelIndex;
class QTreeView;
class TreeNode;

class ProjectBrowser : public QObject
{
    Q_OBJECT
public:
    ProjectBrowser(ProjectWindow *window, Project *project, QTreeView *treeView);
    ~ProjectBrowser() override;

    // --- a project just opened --------------------------------------------------------
    // Shows the level-1 canvas with the level-1 node current, the tree
    // expanded and the level-1 tool set.
    void showProjectNode();

    // --- browser ----------------------------------------------------------------------
    // Double-click on a node: shows its canvas with its level's tools and
    // the floating ends of its connections on the parent diagram. Returns
    // false when nothing changed (no canvas, or the one already shown).
    bool activate(const QModelIndex &index);
    // The canvas whose name, level, id, parentId and grandParentId equal
    // the node's (told apart by node path), or null.
    Canvas *canvasForNode(const TreeNode *node);
    // Shows the diagram at `path` and selects the item named there (the
    // machine itself selects nothing). False when there is no such diagram.
    bool showItem(const NodePath &path, const ItemRef &item);
    // Shows the diagram a find hit names, selects its item alone and
    // centres the view on it. False when the diagram or the item is gone.
    bool showHit(const SearchHit &hit);
    // Shows a canvas of the project through its node, as a double-click on
    // the node does. False when it has no node or is shown already.
    bool showCanvas(Canvas *canvas);
    // Shows the diagram a process item of the shown canvas opens.
    bool openDiagramOf(ProcessItem *item);

    // --- process items on the shown canvas ----------------------------------------------
    // Delete of a process item: refused for the last one on its canvas;
    // when diagrams below it hold anything the user is asked first (naming
    // how many diagrams, states and transitions go); then the item goes
    // with its node, its canvas and everything below.
    void deleteProcessItem(ProcessItem *item);

private:
    ProjectStructure structure() const;
    bool confirmDeletion(const ProcessItem *item, const ProjectStructure::Subtree &subtree) const;
    void rebuildIndex();
    Canvas *lookUp(const NodePath &path, const TreeNode *node) const;
    // Shows the diagram at `path` and selects (and centres) what `pick`
    // finds on it; null selects nothing.
    bool showAndSelect(const NodePath &path, const std::function<QGraphicsItem *(Canvas *)> &pick);

    ProjectWindow *m_window;
    Project *m_project;
    QTreeView *m_treeView;
    QHash<NodePath, QPointer<Canvas>> m_index;
};
