#include "ProjectBrowser.h"

#include "Canvas.h"
#include "CanvasPaths.h"
#include "DataflowItem.h"
#include "ItemActions.h"
#include "ItemKind.h"
#include "ItemKinds.h"
#include "LinkItem.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectStructure.h"
#include "ProjectWindow.h"
#include "Prompter.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "TreeModel.h"
#include "TreeNode.h"

#include <QGraphicsView>
#include <QTreeView>

namespace {

// "1 state", "2 states".
QString counted(int count, const QString &noun)
{
    return QStringLiteral("%1 %2%3").arg(count).arg(noun).arg(count == 1 ? "" : "s");
}

bool sameIdentity(const Canvas *canvas, const TreeNode *node)
{
    return canvas->name() == node->name() && canvas->level() == node->level()
           && canvas->id() == node->id() && canvas->parentId() == node->parentId()
           && canvas->grandParentId() == node->grandParentId();
}

} // namespace

ProjectBrowser::ProjectBrowser(ProjectWindow *window, Project *project, QTreeView *treeView)
    : m_window(window), m_project(project), m_treeView(treeView)
{
    // A new process item's node is shown below its parent's.
    connect(project, &Project::processItemAdded, this, [this](Canvas *canvas) {
        if (const TreeNode *node = structure().nodeForCanvas(canvas))
            m_treeView->expand(m_project->treeModel()->indexForNode(node));
    });
    // Deleting a process item renumbers what is left below its canvas.
    connect(project, &Project::processItemRemoved, this, [this] { rebuildIndex(); });
    // Undo and redo of process items rebuild the tree's nodes.
    connect(project, &Project::structureChanged, this, [this](Canvas *canvas) {
        rebuildIndex();
        m_treeView->expandAll();
        if (const TreeNode *node = structure().nodeForCanvas(canvas))
            m_treeView->setCurrentIndex(m_project->treeModel()->indexForNode(node));
    });
    connect(project, &Project::aboutToClose, this, [this] { m_index.clear(); });
}

ProjectBrowser::~ProjectBrowser() = default;

ProjectStructure ProjectBrowser::structure() const
{
    return m_project->structure();
}

// --- opening ------------------------------------------------------------------------------

void ProjectBrowser::showProjectNode()
{
    const QList<Canvas *> &canvases = m_project->canvases();
    if (canvases.isEmpty())
        return;
    rebuildIndex();
    m_project->showCanvas(canvases.first());
    m_treeView->setCurrentIndex(m_project->treeModel()->index(0, 0));
    m_treeView->expandAll();
    m_window->applyToolSet(1);
}

// --- lookups ------------------------------------------------------------------------------

void ProjectBrowser::rebuildIndex()
{
    m_index.clear();
    const QHash<NodePath, Canvas *> paths = CanvasPaths::index(m_project->canvases());
    for (auto it = paths.cbegin(); it != paths.cend(); ++it)
        m_index.insert(it.key(), it.value());
}

Canvas *ProjectBrowser::lookUp(const NodePath &path, const TreeNode *node) const
{
    Canvas *canvas = m_index.value(path);
    if (!canvas || CanvasPaths::canvasPath(canvas) != path || !sameIdentity(canvas, node))
        return nullptr;
    return canvas;
}

Canvas *ProjectBrowser::canvasForNode(const TreeNode *node)
{
    if (!node || node->level() < 1)
        return nullptr;
    const NodePath path = NodePaths::nodePath(node);
    if (Canvas *canvas = lookUp(path, node))
        return canvas;
    // The list changed since the index was built (or the node has no
    // canvas at all): one fresh index tells which.
    rebuildIndex();
    return lookUp(path, node);
}

// --- browser ----------------------------------------------------------------------------------

bool ProjectBrowser::activate(const QModelIndex &index)
{
    if (!index.isValid())
        return false;
    const TreeNode *node = m_project->treeModel()->nodeFromIndex(index);
    Canvas *canvas = canvasForNode(node);
    if (!canvas || canvas == m_project->shownCanvas())
        return false;
    m_project->showCanvas(canvas);
    m_treeView->setCurrentIndex(index);
    m_window->applyToolSet(node->level());
    if (node->level() > 1)
        structure().rebuildFloatingEnds(canvas);
    return true;
}

bool ProjectBrowser::showItem(const NodePath &path, const ItemRef &item)
{
    return showAndSelect(path, [item](Canvas *canvas) -> QGraphicsItem * {
        switch (item.kind) {
        case ItemRef::State:
            return canvas->states().value(item.index);
        case ItemRef::Transition:
            return canvas->transitions().value(item.index);
        case ItemRef::Text:
            return canvas->textItems().value(item.index);
        case ItemRef::Memory:
            return canvas->memoryItems().value(item.index);
        case ItemRef::Machine:
            break;
        }
        return nullptr;
    });
}

bool ProjectBrowser::showHit(const SearchHit &hit)
{
    QGraphicsItem *found = nullptr;
    const bool shown = showAndSelect(hit.diagram, [&hit, &found](Canvas *canvas) {
        const ItemKind *kind = ItemKinds::forRecord(hit.kind);
        found = kind ? canvas->itemsOfKind(kind->type()).value(hit.index) : nullptr;
        return found;
    });
    return shown && found;
}

bool ProjectBrowser::showAndSelect(const NodePath &path,
                                   const std::function<QGraphicsItem *(Canvas *)> &pick)
{
    const TreeNode *node = NodePaths::nodeAt(m_project->treeModel()->rootNode(), path);
    Canvas *canvas = canvasForNode(node);
    if (!canvas)
        return false;
    activate(m_project->treeModel()->indexForNode(node));
    QGraphicsItem *target = pick(canvas);
    canvas->clearSelection();
    if (target) {
        target->setSelected(true);
        for (QGraphicsView *view : canvas->views())
            view->centerOn(target);
    }
    return true;
}

bool ProjectBrowser::showCanvas(Canvas *canvas)
{
    const TreeNode *node = canvas ? structure().nodeForCanvas(canvas) : nullptr;
    return node && activate(m_project->treeModel()->indexForNode(node));
}

bool ProjectBrowser::openDiagramOf(ProcessItem *item)
{
    Canvas *shown = m_project->shownCanvas();
    if (!item || !shown || item->scene() != shown)
        return false;
    return showCanvas(structure().canvasOpenedBy(shown, item));
}

// --- process items ----------------------------------------------------------------------------

void ProjectBrowser::deleteProcessItem(ProcessItem *item)
{
    if (!item)
        return;
    Canvas *current = qobject_cast<Canvas *>(item->scene());
    if (!current)
        current = m_project->shownCanvas();
    if (!current || ItemActions::refuseLastProcessItem(current, m_window->dialogParent()))
        return;
    if (!confirmDeletion(item, structure().subtreeOf(current, item)))
        return;
    m_project->deleteProcessItem(current, item);
}

bool ProjectBrowser::confirmDeletion(const ProcessItem *item,
                                     const ProjectStructure::Subtree &subtree) const
{
    // An empty diagram goes without a question; work below it does not.
    if (!subtree.holdsWork)
        return true;
    MessageRequest request;
    request.icon = QMessageBox::Warning;
    request.title = QStringLiteral("Kestro");
    request.text = QStringLiteral("Deleting \"%1\" also deletes %2 below it, with %3 and %4.")
                       .arg(item->label(), counted(subtree.diagrams, QStringLiteral("diagram")),
                            counted(subtree.states, QStringLiteral("state")),
                            counted(subtree.transitions, QStringLiteral("transition")));
    request.informativeText =
        QStringLiteral("Edit > Undo brings it back. Do you want to delete it?");
    request.buttons = QMessageBox::Yes | QMessageBox::No;
    request.defaultButton = QMessageBox::No;
    return Prompter::current()->message(m_window->dialogParent(), request) == QMessageBox::Yes;
}

