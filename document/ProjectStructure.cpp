#include "ProjectStructure.h"

#include "Canvas.h"
#include "CanvasPaths.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "StateItem.h"
#include "SubMachineLevels.h"
#include "SubMachineStructure.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "TreeModel.h"
#include "TreeNode.h"

#include <QSet>

namespace {

template <typename Item>
void stampParents(const QList<Item *> &items, const Canvas *canvas)
{
    for (Item *item : items) {
        item->setLevel(canvas->level() + 1);
        item->setParentId(canvas->id());
        item->setGrandParentId(canvas->parentId());
    }
}

bool startsWith(const NodePath &path, const NodePath &prefix)
{
    return path.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), path.begin());
}

} // namespace

ProjectStructure::ProjectStructure(QList<Canvas *> *canvases, TreeModel *model,
                                   const CanvasSetup &setup)
    : m_canvases(canvases), m_model(model), m_setup(setup)
{
}

QHash<NodePath, Canvas *> ProjectStructure::pathIndex() const
{
    CanvasPaths::assignMissingPaths(*m_canvases);
    return CanvasPaths::index(*m_canvases);
}

// --- lookups -------------------------------------------------------------------

Canvas *ProjectStructure::canvasForNode(const TreeNode *node) const
{
    if (!node || !node->parent())
        return nullptr;
    Canvas *canvas = pathIndex().value(NodePaths::nodePath(node));
    return canvas && canvas->level() == node->level() ? canvas : nullptr;
}

TreeNode *ProjectStructure::nodeForCanvas(const Canvas *canvas) const
{
    if (!canvas || !m_model)
        return nullptr;
    CanvasPaths::assignMissingPaths(*m_canvases);
    bool known = false;
    const NodePath path = CanvasPaths::canvasPath(canvas, &known);
    return known ? NodePaths::nodeAt(m_model->rootNode(), path) : nullptr;
}

TreeNode *ProjectStructure::matchingNode(const Canvas *canvas) const
{
    TreeNode *node = nodeForCanvas(canvas);
    return node && node->name() == canvas->name() && node->level() == canvas->level() ? node
                                                                                       : nullptr;
}

Canvas *ProjectStructure::canvasOpenedBy(const Canvas *canvas, const ProcessItem *item) const
{
    if (!canvas || !item)
        return nullptr;
    const QHash<NodePath, Canvas *> byPath = pathIndex();
    bool known = false;
    const NodePath path = CanvasPaths::canvasPath(canvas, &known);
    return known ? byPath.value(path + NodePath{item->id()}) : nullptr;
}

Canvas *ProjectStructure::parentCanvas(const Canvas *canvas) const
{
    if (!canvas)
        return nullptr;
    const QHash<NodePath, Canvas *> byPath = pathIndex();
    bool known = false;
    const NodePath path = CanvasPaths::canvasPath(canvas, &known);
    if (!known || path.isEmpty())
        return nullptr;
    return byPath.value(path.mid(0, path.size() - 1));
}

ProcessItem *ProjectStructure::processItemFor(const Canvas *canvas) const
{
    const Canvas *parent = parentCanvas(canvas);
    if (!parent)
        return nullptr;
    const int id = CanvasPaths::canvasPath(canvas).last();
    for (ProcessItem *item : parent->processItems()) {
        if (item->id() == id && item->label() == canvas->name())
            return item;
    }
    return nullptr;
}

// --- adding and renaming ------------------------------------------------------------

Canvas *ProjectStructure::addProcessItem(Canvas *current, ProcessItem *item)
{
    if (!current || !item || current->level() >= TreeNode::MaxLevel
        || !current->processItems().contains(item))
        return nullptr;
    CanvasPaths::assignMissingPaths(*m_canvases);
    bool known = false;
    const NodePath base = CanvasPaths::canvasPath(current, &known);
    if (!known)
        return nullptr;
    Canvas *canvas = createCanvas(m_setup, CanvasIdentity{item->level(), item->id(), item->nos(),
                                                          item->parentId(), item->grandParentId(),
                                                          item->label()});
    CanvasPaths::setCanvasPath(canvas, base + NodePath{item->id()});
    m_canvases->append(canvas);
    renumberProcessItems(current, pathIndex(), item, canvas);
    if (m_model) {
        if (TreeNode *parentNode = nodeForCanvas(current))
            m_model->appendNode(m_model->indexForNode(parentNode), item->label());
    }
    return canvas;
}

bool ProjectStructure::canRenameProcessItem(const Canvas *current, const ProcessItem *item) const
{
    const Canvas *canvas = canvasOpenedBy(current, item);
    return canvas && canvas->name() == item->label() && matchingNode(canvas);
}

bool ProjectStructure::processItemRenamed(const Canvas *current, ProcessItem *item)
{
    Canvas *canvas = canvasOpenedBy(current, item);
    TreeNode *node = canvas ? matchingNode(canvas) : nullptr;
    if (!node)
        return false;
    canvas->setName(item->label());
    m_model->renameNode(m_model->indexForNode(node), item->label());
    return true;
}

// --- deleting -------------------------------------------------------------------------

bool ProjectStructure::detachProcessItem(Canvas *current, ProcessItem *item,
                                         const std::function<void()> &takeItem,
                                         Detached *detached)
{
    if (!current || !item || !current->processItems().contains(item))
        return false;
    Canvas *own = canvasOpenedBy(current, item);
    TreeNode *node = own && own->name() == item->label() ? matchingNode(own) : nullptr;
    if (!node)
        return false;
    Detached away;
    away.itemIndex = current->registeredIndex(item);
    away.nodeRow = node->childNumber();
    away.nodeText = m_model->subtreeText(m_model->indexForNode(node));
    away.canvases = canvasesFrom(own);
    // While away, the canvases keep their paths below a root no node has,
    // so that none of them is confused with what takes its place.
    const NodePath ownPath = CanvasPaths::canvasPath(own);
    for (Canvas *canvas : qAsConst(away.canvases)) {
        away.canvasPlaces.append(m_canvases->indexOf(canvas));
        CanvasPaths::setCanvasPath(canvas, NodePath{-1} + CanvasPaths::canvasPath(canvas).mid(ownPath.size()));
    }
    takeItem();
    for (Canvas *canvas : qAsConst(away.canvases))
        m_canvases->removeOne(canvas);
    renumberProcessItems(current, pathIndex());
    TreeNode *parentNode = node->parent();
    m_model->removeRows(away.nodeRow, 1, m_model->indexForNode(parentNode));
    m_model->renumber();
    *detached = away;
    return true;
}

void ProjectStructure::reattachProcessItem(Canvas *current, ProcessItem *item,
                                           const Detached &detached)
{
    if (detached.canvases.isEmpty())
        return;
    TreeNode *parentNode = nodeForCanvas(current);
    for (int i = 0; i < detached.canvases.size(); ++i)
        m_canvases->insert(qBound(0, detached.canvasPlaces.at(i), m_canvases->size()),
                           detached.canvases.at(i));
    renumberProcessItems(current, CanvasPaths::index(*m_canvases), item, detached.canvases.first());
    if (parentNode)
        m_model->insertSubtree(m_model->indexForNode(parentNode), detached.nodeRow, detached.nodeText);
}

QList<Canvas *> ProjectStructure::canvasesFrom(const Canvas *own) const
{
    const NodePath ownPath = CanvasPaths::canvasPath(own);
    QList<Canvas *> canvases;
    for (Canvas *canvas : qAsConst(*m_canvases)) {
        bool known = false;
        const NodePath path = CanvasPaths::canvasPath(canvas, &known);
        if (known && startsWith(path, ownPath))
            canvases.append(canvas);
    }
    return canvases;
}

ProjectStructure::Subtree ProjectStructure::subtreeOf(const Canvas *current,
                                                      const ProcessItem *item) const
{
    Subtree subtree;
    const Canvas *own = canvasOpenedBy(current, item);
    if (!own)
        return subtree;
    const QList<Canvas *> canvases = canvasesFrom(own);
    for (const Canvas *canvas : canvases) {
        subtree.states += canvas->states().size();
        subtree.transitions += canvas->transitions().size();
        subtree.holdsWork = subtree.holdsWork || !canvas->allItems().isEmpty();
    }
    subtree.diagrams = canvases.size();
    return subtree;
}

void ProjectStructure::renumberProcessItems(Canvas *canvas,
                                            const QHash<NodePath, Canvas *> &oldIndex,
                                            const ProcessItem *newItem, Canvas *newCanvas)
{
    const NodePath base = CanvasPaths::canvasPath(canvas);
    const QList<ProcessItem *> items = canvas->processItems();
    const int count = items.size();
    // Which canvas each item opens, looked up before any id changes.
    QVector<Canvas *> opened(count, nullptr);
    QSet<Canvas *> taken;
    for (int i = 0; i < count; ++i) {
        Canvas *child = items.at(i) == newItem
                            ? newCanvas
                            : oldIndex.value(base + NodePath{items.at(i)->id()});
        if (child && !taken.contains(child)) {
            opened[i] = child;
            taken.insert(child);
        }
    }
    for (int i = 0; i < count; ++i) {
        ProcessItem *item = items.at(i);
        item->setId(i + 1);
        item->setNos(count);
        item->setLevel(canvas->level() + 1);
        item->setParentId(canvas->id());
        item->setGrandParentId(canvas->parentId());
        Canvas *child = opened.at(i);
        if (!child)
            continue;
        const NodePath oldPath = CanvasPaths::canvasPath(child);
        const NodePath newPath = base + NodePath{i + 1};
        const bool moved = child->id() != i + 1 || child->parentId() != canvas->id()
                           || child->grandParentId() != canvas->parentId() || oldPath != newPath;
        child->setId(i + 1);
        child->setNos(count);
        child->setParentId(canvas->id());
        child->setGrandParentId(canvas->parentId());
        CanvasPaths::setCanvasPath(child, newPath);
        if (moved)
            carryDown(child, oldPath, oldIndex);
    }
}

void ProjectStructure::carryDown(Canvas *canvas, const NodePath &oldPath,
                                 const QHash<NodePath, Canvas *> &oldIndex)
{
    stampParents(canvas->allItems(), canvas);
    const NodePath base = CanvasPaths::canvasPath(canvas);
    // A machine's diagram takes its sub-machines' diagrams along.
    if (isMachineCanvasLevel(canvas->level()))
        SubMachineStructure::carryBelow(canvas, oldPath, oldIndex);
    for (const ProcessItem *item : canvas->processItems()) {
        Canvas *child = oldIndex.value(oldPath + NodePath{item->id()});
        if (!child)
            continue;
        const NodePath childOldPath = CanvasPaths::canvasPath(child);
        child->setParentId(canvas->id());
        child->setGrandParentId(canvas->parentId());
        CanvasPaths::setCanvasPath(child, base + NodePath{item->id()});
        carryDown(child, childOldPath, oldIndex);
    }
}

// --- floating ends ----------------------------------------------------------------------

bool ProjectStructure::rebuildFloatingEnds(Canvas *canvas) const
{
    const ProcessItem *item = processItemFor(canvas);
    if (!item)
        return false;
    canvas->rebuildFloatingEnds(item);
    return true;
}
