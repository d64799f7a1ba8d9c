#include "ProjectBrowser.h"

#include "Canvas.h"
#include "CanvasPaths.h"
#include "ItemCommands.h"
#include "MainWindow.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "ProjectBuilder.h"
#include "ProjectRecords.h"
#include "ProjectStructure.h"
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

ProjectBrowser::ProjectBrowser(MainWindow *window, QTreeView *treeView)
    : m_window(window), m_treeView(treeView)
{
}

ProjectBrowser::~ProjectBrowser() = default;

CanvasSetup ProjectBrowser::canvasSetup() const
{
    CanvasSetup setup;
    setup.menus = m_window->contextMenus().constData();
    setup.parent = m_window;
    setup.size = QSize(m_window->canvasWidth(), m_window->canvasHeight());
    setup.processAddedAction = m_window->processItemAddedAction();
    setup.processPropertiesAction = m_window->processPropertiesAction();
    setup.modifiedAction = m_window->modifiedAction();
    setup.selectAction = m_window->selectAction();
    return setup;
}

ProjectStructure ProjectBrowser::structure() const
{
    return ProjectStructure(m_window->canvasList(), m_window->treeModel(), canvasSetup());
}

// --- opening and closing --------------------------------------------------------------

LoadNotes ProjectBrowser::adoptCanvases(const ProjectRecordLists &records)
{
    ProjectBuilder builder(canvasSetup());
    *m_window->canvasList() = builder.build(records);
    rebuildIndex();
    return builder.loadNotes();
}

void ProjectBrowser::showProjectNode()
{
    const QList<Canvas *> &canvases = m_window->canvases();
    if (canvases.isEmpty())
        return;
    m_window->showCanvas(canvases.first());
    m_treeView->setCurrentIndex(m_window->treeModel()->index(0, 0));
    m_treeView->expandAll();
    m_window->applyToolSet(1);
}

void ProjectBrowser::forgetCanvases()
{
    m_index.clear();
}

// --- lookups ------------------------------------------------------------------------------

void ProjectBrowser::rebuildIndex()
{
    m_index.clear();
    const QHash<NodePath, Canvas *> paths = CanvasPaths::index(m_window->canvases());
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
    const TreeNode *node = m_window->treeModel()->nodeFromIndex(index);
    Canvas *canvas = canvasForNode(node);
    if (!canvas || canvas == m_window->shownCanvas())
        return false;
    m_window->showCanvas(canvas);
    m_treeView->setCurrentIndex(index);
    m_window->applyToolSet(node->level());
    if (node->level() > 1)
        structure().rebuildFloatingEnds(canvas);
    return true;
}

bool ProjectBrowser::showItem(const NodePath &path, const ItemRef &item)
{
    const TreeNode *node = NodePaths::nodeAt(m_window->treeModel()->rootNode(), path);
    Canvas *canvas = canvasForNode(node);
    if (!canvas)
        return false;
    activate(m_window->treeModel()->indexForNode(node));
    QGraphicsItem *target = nullptr;
    switch (item.kind) {
    case ItemRef::State:
        target = canvas->states().value(item.index);
        break;
    case ItemRef::Transition:
        target = canvas->transitions().value(item.index);
        break;
    case ItemRef::Text:
        target = canvas->textItems().value(item.index);
        break;
    case ItemRef::Memory:
        target = canvas->memoryItems().value(item.index);
        break;
    case ItemRef::Machine:
        break;
    }
    canvas->clearSelection();
    if (target) {
        target->setSelected(true);
        for (QGraphicsView *view : canvas->views())
            view->centerOn(target);
    }
    return true;
}

// --- process items ----------------------------------------------------------------------------

void ProjectBrowser::processItemAdded()
{
    Canvas *current = m_window->shownCanvas();
    ProcessItem *item = current ? current->lastProcessItem() : nullptr;
    if (!item)
        return;
    ProjectStructure projectStructure = structure();
    if (!projectStructure.addProcessItem(current, item))
        return;
    if (const TreeNode *node = projectStructure.nodeForCanvas(current))
        m_treeView->expand(m_window->treeModel()->indexForNode(node));
    m_window->slot_enableSaveAction();
}

void ProjectBrowser::showProcessItemProperties()
{
    Canvas *current = m_window->shownCanvas();
    ProcessItem *item = current ? current->currentProcessItem() : nullptr;
    if (!item || !current->processItems().contains(item))
        return;
    ProjectStructure projectStructure = structure();
    if (!projectStructure.canRenameProcessItem(current, item))
        return;
    // The canvas marks the project modified when the dialog changed the item.
    if (current->displayProcessItemProperties())
        projectStructure.processItemRenamed(current, item);
}

void ProjectBrowser::deleteProcessItem(ProcessItem *item)
{
    if (!item)
        return;
    Canvas *current = qobject_cast<Canvas *>(item->scene());
    if (!current)
        current = m_window->shownCanvas();
    if (!current || ItemCommands::refuseLastProcessItem(current, m_window))
        return;
    ProjectStructure projectStructure = structure();
    if (!confirmDeletion(item, projectStructure.subtreeOf(current, item)))
        return;
    if (projectStructure.deleteProcessItem(current, item) == ProjectStructure::DeleteResult::Deleted)
        rebuildIndex();
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
        QStringLiteral("This cannot be undone. Do you want to delete it?");
    request.buttons = QMessageBox::Yes | QMessageBox::No;
    request.defaultButton = QMessageBox::No;
    return Prompter::current()->message(m_window, request) == QMessageBox::Yes;
}

// --- project name -------------------------------------------------------------------------------

bool ProjectBrowser::renameProjectNode(const QString &name)
{
    const QList<Canvas *> &canvases = m_window->canvases();
    TreeModel *model = m_window->treeModel();
    if (canvases.isEmpty() || model->rowCount() == 0)
        return false;
    canvases.first()->setName(name);
    model->renameNode(model->index(0, 0), name);
    return true;
}
