#pragma once

// The main window's side of the project tree: building the canvases of a
// project that was read, showing the canvas of a node the user activates in
// the browser, and keeping tree and canvases in step when process items are
// added, renamed or deleted on a diagram. The structural work itself is
// ProjectStructure's; this class finds the canvas, the item and the node
// the window is showing and tells the window what to show.
//
// Canvases are looked up by the node path of a tree node through a hash
// that is rebuilt only when the canvas list changed, so activating a node
// costs the same in a project of thousands of nodes as in a small one.

#include "CanvasSetup.h"
#include "ItemRef.h"
#include "LoadNote.h"
#include "NodePath.h"
#include "ProjectStructure.h"

#include <QHash>
#include <QPointer>

class Canvas;
class MainWindow;
class ProcessItem;
class QModelIndex;
class QTreeView;
class TreeNode;
struct ProjectRecordLists;

class ProjectBrowser
{
public:
    ProjectBrowser(MainWindow *window, QTreeView *treeView);
    ~ProjectBrowser();
    ProjectBrowser(const ProjectBrowser &) = delete;
    ProjectBrowser &operator=(const ProjectBrowser &) = delete;

    // --- a project being opened or closed ------------------------------------------
    // Creates the canvases and items of records and makes them the window's
    // canvas list (the tree must already be built).
    // What the loader left out or found ambiguous is returned.
    LoadNotes adoptCanvases(const ProjectRecordLists &records);
    // Shows the level-1 canvas with the level-1 node current, the tree
    // expanded and the level-1 tool set.
    void showProjectNode();
    // The canvas list is about to be emptied.
    void forgetCanvases();

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

    // --- process items on the shown canvas ----------------------------------------------
    // A process item was just inserted: a node and a canvas for it.
    void processItemAdded();
    // The process dialog of the current process item; renaming reaches the
    // item's canvas and node.
    void showProcessItemProperties();
    // Delete of a process item: refused for the last one on its canvas;
    // when diagrams below it hold anything the user is asked first (naming
    // how many diagrams, states and transitions go); then the item goes
    // with its node, its canvas and everything below.
    void deleteProcessItem(ProcessItem *item);

    // --- project name ----------------------------------------------------------------
    // The level-1 canvas and node take the name; false without a project.
    bool renameProjectNode(const QString &name);

    // How every canvas of the window is created (the window's current
    // canvas size included).
    CanvasSetup canvasSetup() const;

private:
    ProjectStructure structure() const;
    bool confirmDeletion(const ProcessItem *item, const ProjectStructure::Subtree &subtree) const;
    void rebuildIndex();
    Canvas *lookUp(const NodePath &path, const TreeNode *node) const;

    MainWindow *m_window;
    QTreeView *m_treeView;
    QHash<NodePath, QPointer<Canvas>> m_index;
};
