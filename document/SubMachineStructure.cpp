#include "SubMachineStructure.h"

#include "Canvas.h"
#include "CanvasPaths.h"
#include "StateItem.h"
#include "SubMachineLevels.h"
#include "TreeModel.h"
#include "TreeNode.h"

#include <algorithm>

namespace {

bool startsWith(const NodePath &path, const NodePath &prefix)
{
    return path.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), path.begin());
}

// While away, a sub-machine's diagrams keep their paths below a root no
// node has, so that none of them is confused with what takes its place.
const NodePath AwayRoot{-1};

QList<StateItem *> holders(const Canvas *canvas)
{
    QList<StateItem *> found;
    for (StateItem *state : canvas->states()) {
        if (state->holdsSubMachine())
            found << state;
    }
    return found;
}

} // namespace

SubMachineStructure::SubMachineStructure(QList<Canvas *> *canvases, TreeModel *model,
                                         const CanvasSetup &setup)
    : m_canvases(canvases), m_model(model), m_setup(setup)
{
}

QHash<NodePath, Canvas *> SubMachineStructure::pathIndex() const
{
    return CanvasPaths::index(*m_canvases);
}

// --- lookups ----------------------------------------------------------------------------

bool SubMachineStructure::canHoldSubMachines(const Canvas *canvas)
{
    return canvas && isMachineCanvasLevel(canvas->level()) && canvas->level() < DeepestCanvasLevel;
}

Canvas *SubMachineStructure::subMachineOf(const Canvas *canvas, const StateItem *state) const
{
    if (!canvas || !state || !state->holdsSubMachine() || state->subMachineId() < 1)
        return nullptr;
    bool known = false;
    const NodePath path = CanvasPaths::canvasPath(canvas, &known);
    if (!known)
        return nullptr;
    Canvas *child = pathIndex().value(path + NodePath{state->subMachineId()});
    return child && child->level() == canvas->level() + 1 && isSubMachineLevel(child->level()) ? child
                                                                                             : nullptr;
}

Canvas *SubMachineStructure::parentOf(const Canvas *subMachine) const
{
    if (!subMachine || !isSubMachineLevel(subMachine->level()))
        return nullptr;
    bool known = false;
    const NodePath path = CanvasPaths::canvasPath(subMachine, &known);
    if (!known || path.isEmpty())
        return nullptr;
    Canvas *parent = pathIndex().value(path.mid(0, path.size() - 1));
    return parent && parent->level() + 1 == subMachine->level() ? parent : nullptr;
}

StateItem *SubMachineStructure::holderOf(const Canvas *subMachine) const
{
    const Canvas *parent = parentOf(subMachine);
    if (!parent)
        return nullptr;
    const int id = CanvasPaths::canvasPath(subMachine).last();
    for (StateItem *state : holders(parent)) {
        if (state->subMachineId() == id)
            return state;
    }
    return nullptr;
}

QList<Canvas *> SubMachineStructure::canvasesFrom(const Canvas *own) const
{
    const NodePath ownPath = CanvasPaths::canvasPath(own);
    QList<Canvas *> found;
    for (Canvas *canvas : qAsConst(*m_canvases)) {
        bool known = false;
        const NodePath path = CanvasPaths::canvasPath(canvas, &known);
        if (known && startsWith(path, ownPath))
            found << canvas;
    }
    return found;
}

QList<Canvas *> SubMachineStructure::childrenOf(const NodePath &path) const
{
    QList<Canvas *> children;
    for (Canvas *canvas : qAsConst(*m_canvases)) {
        bool known = false;
        const NodePath own = CanvasPaths::canvasPath(canvas, &known);
        if (known && own.size() == path.size() + 1 && startsWith(own, path)
            && isSubMachineLevel(canvas->level()))
            children << canvas;
    }
    std::sort(children.begin(), children.end(), [](const Canvas *a, const Canvas *b) {
        return CanvasPaths::canvasPath(a).last() < CanvasPaths::canvasPath(b).last();
    });
    return children;
}

SubMachineStructure::Subtree SubMachineStructure::subtreeOf(const Canvas *canvas,
                                                            const StateItem *state) const
{
    Subtree subtree;
    const Canvas *own = subMachineOf(canvas, state);
    if (!own)
        return subtree;
    for (const Canvas *diagram : canvasesFrom(own)) {
        subtree.diagrams << diagram->name();
        subtree.states += diagram->states().size();
        subtree.transitions += diagram->transitions().size();
        subtree.items += diagram->allItems().size();
    }
    return subtree;
}

// --- operations -------------------------------------------------------------------------

Canvas *SubMachineStructure::createFor(Canvas *canvas, StateItem *state, const QString &mode)
{
    if (!canHoldSubMachines(canvas) || !state || mode.isEmpty() || state->holdsSubMachine()
        || !canvas->states().contains(state))
        return nullptr;
    state->setSubMachine(mode);
    Canvas *diagram = createCanvas(m_setup, CanvasIdentity{canvas->level() + 1, 0, 0, canvas->id(),
                                                           canvas->parentId(), state->label()});
    CanvasPaths::setCanvasPath(diagram, AwayRoot);
    m_canvases->append(diagram);
    renumber(canvas, state, diagram);
    syncNodes();
    return diagram;
}

bool SubMachineStructure::detach(Canvas *canvas, StateItem *state, Detached *detached)
{
    Canvas *own = subMachineOf(canvas, state);
    if (!own)
        return false;
    Detached away;
    away.canvases = canvasesFrom(own);
    const NodePath ownPath = CanvasPaths::canvasPath(own);
    for (Canvas *diagram : qAsConst(away.canvases)) {
        const NodePath relative = CanvasPaths::canvasPath(diagram).mid(ownPath.size());
        away.places << m_canvases->indexOf(diagram);
        away.relativePaths << relative;
        CanvasPaths::setCanvasPath(diagram, AwayRoot + relative);
    }
    for (Canvas *diagram : qAsConst(away.canvases))
        m_canvases->removeOne(diagram);
    // No longer a holder: the others close ranks.
    away.mode = state->subMachine();
    state->setSubMachineId(0);
    state->setSubMachine(QString());
    renumber(canvas);
    syncNodes();
    *detached = away;
    return true;
}

void SubMachineStructure::reattach(Canvas *canvas, StateItem *state, const Detached &detached)
{
    if (detached.canvases.isEmpty())
        return;
    state->setSubMachine(detached.mode);
    for (int i = 0; i < detached.canvases.size(); ++i) {
        Canvas *diagram = detached.canvases.at(i);
        CanvasPaths::setCanvasPath(diagram, AwayRoot + detached.relativePaths.value(i));
        m_canvases->insert(qBound(0, detached.places.value(i), m_canvases->size()), diagram);
    }
    renumber(canvas, state, detached.canvases.first());
    syncNodes();
}

void SubMachineStructure::renumber(Canvas *canvas, const StateItem *newHolder, Canvas *newCanvas)
{
    bool known = false;
    const NodePath base = CanvasPaths::canvasPath(canvas, &known);
    if (!known)
        return;
    const QHash<NodePath, Canvas *> oldIndex = pathIndex();
    const QList<StateItem *> held = holders(canvas);
    // Where every diagram below each holder goes, worked out from the old
    // paths before any of them changes.
    QList<QPair<Canvas *, NodePath>> moves;
    QList<QPair<Canvas *, int>> tops;
    for (int i = 0; i < held.size(); ++i) {
        StateItem *state = held.at(i);
        Canvas *child = state == newHolder ? newCanvas
                        : state->subMachineId() > 0 ? oldIndex.value(base + NodePath{state->subMachineId()})
                                                    : nullptr;
        state->setSubMachineId(i + 1);
        if (!child)
            continue;
        const NodePath oldPath = CanvasPaths::canvasPath(child);
        const NodePath newPath = base + NodePath{i + 1};
        for (Canvas *below : canvasesFrom(child))
            moves << qMakePair(below, newPath + CanvasPaths::canvasPath(below).mid(oldPath.size()));
        tops << qMakePair(child, i + 1);
        child->setName(state->label());
    }
    for (const auto &move : qAsConst(moves))
        CanvasPaths::setCanvasPath(move.first, move.second);
    for (const auto &top : qAsConst(tops)) {
        top.first->setId(top.second);
        top.first->setNos(held.size());
    }
    // Every moved diagram takes its parent ids from the diagram above it,
    // parents before children.
    std::sort(moves.begin(), moves.end(), [](const auto &a, const auto &b) {
        return a.second.size() < b.second.size();
    });
    const QHash<NodePath, Canvas *> newIndex = pathIndex();
    for (const auto &move : qAsConst(moves)) {
        const Canvas *parent = newIndex.value(move.second.mid(0, move.second.size() - 1));
        if (!parent)
            continue;
        move.first->setLevel(parent->level() + 1);
        move.first->setParentId(parent->id());
        move.first->setGrandParentId(parent->parentId());
    }
}

void SubMachineStructure::carryBelow(Canvas *machine, const NodePath &oldPath,
                                     const QHash<NodePath, Canvas *> &oldIndex)
{
    const NodePath base = CanvasPaths::canvasPath(machine);
    QHash<NodePath, Canvas *> moved{{base, machine}};
    QList<NodePath> paths;
    for (auto it = oldIndex.cbegin(); it != oldIndex.cend(); ++it) {
        if (it.key().size() > oldPath.size() && startsWith(it.key(), oldPath)
            && isSubMachineLevel(it.value()->level())) {
            const NodePath path = base + it.key().mid(oldPath.size());
            moved.insert(path, it.value());
            paths << path;
        }
    }
    std::sort(paths.begin(), paths.end(), [](const NodePath &a, const NodePath &b) { return a.size() < b.size(); });
    for (const NodePath &path : qAsConst(paths)) {
        Canvas *canvas = moved.value(path);
        CanvasPaths::setCanvasPath(canvas, path);
        if (const Canvas *parent = moved.value(path.mid(0, path.size() - 1))) {
            canvas->setParentId(parent->id());
            canvas->setGrandParentId(parent->parentId());
        }
    }
}

void SubMachineStructure::followLabels(Canvas *canvas)
{
    if (!canHoldSubMachines(canvas) || canvas->hasPendingItems())
        return;
    bool renamed = false;
    for (StateItem *state : holders(canvas)) {
        Canvas *own = subMachineOf(canvas, state);
        if (own && own->name() != state->label()) {
            own->setName(state->label());
            renamed = true;
        }
    }
    if (renamed)
        syncNodes();
}

void SubMachineStructure::syncNodes()
{
    if (!m_model)
        return;
    QList<QPair<NodePath, Canvas *>> machines;
    for (Canvas *canvas : qAsConst(*m_canvases)) {
        bool known = false;
        const NodePath path = CanvasPaths::canvasPath(canvas, &known);
        if (known && isMachineCanvasLevel(canvas->level()) && !startsWith(path, AwayRoot))
            machines << qMakePair(path, canvas);
    }
    // A node's own node is made before the nodes below it.
    std::stable_sort(machines.begin(), machines.end(),
                     [](const auto &a, const auto &b) { return a.first.size() < b.first.size(); });
    for (const auto &machine : qAsConst(machines)) {
        TreeNode *node = NodePaths::nodeAt(m_model->rootNode(), machine.first);
        if (node && node->level() == machine.second->level() && node->name() == machine.second->name())
            syncChildren(node, machine.first);
    }
}

void SubMachineStructure::syncChildren(TreeNode *node, const NodePath &path)
{
    const QList<Canvas *> wanted = childrenOf(path);
    bool same = node->childCount() == wanted.size();
    for (int row = 0; same && row < wanted.size(); ++row) {
        const TreeNode *child = node->child(row);
        const Canvas *canvas = wanted.at(row);
        same = child->name() == canvas->name() && child->level() == canvas->level()
               && child->id() == row + 1 && child->parentId() == node->id()
               && child->grandParentId() == node->parentId() && canvas->id() == row + 1;
    }
    if (same)
        return;
    const QModelIndex index = m_model->indexForNode(node);
    if (node->childCount() > 0)
        m_model->removeRows(0, node->childCount(), index);
    for (const Canvas *canvas : wanted) {
        const QModelIndex added = m_model->appendNode(index, canvas->name());
        TreeNode *child = m_model->nodeFromIndex(added);
        child->setLevel(canvas->level());
        child->setId(added.row() + 1);
        child->setParentId(node->id());
        child->setGrandParentId(node->parentId());
    }
}
