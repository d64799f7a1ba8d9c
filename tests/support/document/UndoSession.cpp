#include "UndoSession.h"

#include "ItemKind.h"
#include "ItemKinds.h"

#include "AddConnectionCommand.h"
#include "AddMemoryCommand.h"
#include "AddStateCommand.h"
#include "AddTextCommand.h"
#include "AddTransitionCommand.h"
#include "BoxConnections.h"
#include "Canvas.h"
#include "DataflowItem.h"
#include "ItemChangeCommand.h"
#include "LinkItem.h"
#include "MemoryItem.h"
#include "MoveItemsCommand.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectDocument.h"
#include "ProjectFileWriter.h"
#include "SceneMouse.h"
#include "StackingCommand.h"
#include "StateItem.h"
#include "SubMachineLevels.h"
#include "SubMachineStructure.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "TransitionLine.h"
#include "TreeModel.h"
#include "TreeNode.h"

#include <QUndoGroup>
#include <QUndoStack>

#include <functional>

namespace UndoSession {

namespace {

template <class T> T *pick(QRandomGenerator &random, const QList<T *> &items)
{
    return items.isEmpty() ? nullptr : items.at(random.bounded(items.size()));
}

QPointF somewhere(QRandomGenerator &random)
{
    return QPointF(random.bounded(40, 1600), random.bounded(40, 900));
}

QString fresh(const QString &stem)
{
    static int count = 0;
    return stem + QString::number(++count);
}

QColor someColour(QRandomGenerator &random)
{
    return QColor::fromRgb(random.bounded(256), random.bounded(256), random.bounded(256));
}

// --- checks --------------------------------------------------------------------------

QString itemProblem(const Canvas *canvas, const DiagramItem *item)
{
    if (item->scene() != canvas)
        return QStringLiteral("a listed item is not in its canvas's scene");
    switch (item->type()) {
    case ItemType::Transition: {
        const auto *t = static_cast<const TransitionItem *>(item);
        if (!canvas->registeredItem(t->startItem()) || !canvas->registeredItem(t->endItem()))
            return QStringLiteral("a transition's state is not listed");
        const auto &list = t->isSelfTransition() ? t->startItem()->selfTransitions()
                                                 : t->startItem()->transitions();
        if (!list.contains(const_cast<TransitionItem *>(t))
            || (!t->isSelfTransition()
                && !t->endItem()->transitions().contains(const_cast<TransitionItem *>(t))))
            return QStringLiteral("a state does not record its transition");
        if (!t->startLine() || t->startLine()->scene() != canvas || !t->endLine()
            || t->endLine()->scene() != canvas)
            return QStringLiteral("a transition's lines are not shown");
        break;
    }
    case ItemType::State: {
        const auto *s = static_cast<const StateItem *>(item);
        for (const TransitionItem *t : s->transitions() + s->selfTransitions()) {
            if (!canvas->registeredItem(t))
                return QStringLiteral("a state records a transition that is not listed");
        }
        break;
    }
    case ItemType::Link: {
        const auto *l = static_cast<const LinkItem *>(item);
        if (!canvas->registeredItem(l->startItem()) || !canvas->registeredItem(l->endItem())
            || !l->startItem()->links().contains(const_cast<LinkItem *>(l))
            || !l->endItem()->links().contains(const_cast<LinkItem *>(l)))
            return QStringLiteral("a link's process items do not record it");
        break;
    }
    case ItemType::Dataflow: {
        const auto *d = static_cast<const DataflowItem *>(item);
        if (!canvas->registeredItem(d->process()) || !canvas->registeredItem(d->memory())
            || !d->process()->dataflows().contains(const_cast<DataflowItem *>(d))
            || !d->memory()->dataflows().contains(const_cast<DataflowItem *>(d)))
            return QStringLiteral("a dataflow's ends do not record it");
        break;
    }
    case ItemType::Process: {
        const auto *p = static_cast<const ProcessItem *>(item);
        for (const LinkItem *l : p->links())
            if (!canvas->registeredItem(l))
                return QStringLiteral("a process item records a link that is not listed");
        for (const DataflowItem *d : p->dataflows())
            if (!canvas->registeredItem(d))
                return QStringLiteral("a process item records a dataflow that is not listed");
        break;
    }
    default:
        break;
    }
    return QString();
}

QString canvasProblem(const Canvas *canvas)
{
    for (const DiagramItem *item : canvas->itemsOfKind(ItemType::State)
                                       + canvas->itemsOfKind(ItemType::Transition)
                                       + canvas->itemsOfKind(ItemType::Text)
                                       + canvas->itemsOfKind(ItemType::Process)
                                       + canvas->itemsOfKind(ItemType::Link)
                                       + canvas->itemsOfKind(ItemType::Memory)
                                       + canvas->itemsOfKind(ItemType::Dataflow)) {
        const QString problem = itemProblem(canvas, item);
        if (!problem.isEmpty())
            return canvas->name() + QStringLiteral(": ") + problem;
    }
    for (const QGraphicsItem *item : canvas->items()) {
        if (item->type() >= ItemType::Transition && item->type() <= ItemType::Dataflow
            && !canvas->registeredItem(item))
            return canvas->name() + QStringLiteral(": an item in the scene is not listed");
    }
    const StateItem *initial = nullptr;
    for (const StateItem *state : canvas->states()) {
        if (state->isInitialState() && !initial)
            initial = state;
    }
    if (canvas->markedInitialState() != initial)
        return canvas->name() + QStringLiteral(": the initial marker is not at the initial state");
    return QString();
}

// --- edits -----------------------------------------------------------------------------

void pushChange(Project &project, Canvas *canvas, DiagramItem *item,
                const std::function<void()> &edit)
{
    QList<DiagramItem *> together{item};
    if (item->type() == ItemType::Memory) {
        for (DataflowItem *flow : static_cast<MemoryItem *>(item)->dataflows())
            together.append(flow);
    }
    QVector<ItemChange> changes;
    for (DiagramItem *one : together)
        changes.append(ItemChange{one, one->record(), ItemRecord()});
    edit();
    for (ItemChange &change : changes)
        change.after = change.item->record();
    if (item->type() == ItemType::Process)
        project.processItemEdited(canvas, changes);
    else
        canvas->pushCommand(new ItemChangeCommand(canvas, changes));
}

QString changeItem(Project &project, Canvas *canvas, DiagramItem *item, QRandomGenerator &random)
{
    const int what = random.bounded(3);
    const QColor colour = someColour(random);
    const int width = random.bounded(60, 400);
    const int height = random.bounded(40, 300);
    switch (item->type()) {
    case ItemType::State: {
        auto *s = static_cast<StateItem *>(item);
        bool otherInitial = false;
        for (const StateItem *other : canvas->states())
            otherInitial = otherInitial || (other != s && other->isInitialState());
        pushChange(project, canvas, item, [=] {
            if (what == 0)
                s->setLabel(fresh(QStringLiteral("S")));
            else if (what == 1)
                s->setAction(fresh(QStringLiteral("a = ")) + QLatin1Char(';'));
            else if (!otherInitial)
                s->setInitialState(!s->isInitialState());
            else
                s->setSize(width, height);
        });
        break;
    }
    case ItemType::Transition: {
        auto *t = static_cast<TransitionItem *>(item);
        pushChange(project, canvas, item, [=] {
            if (what == 0)
                t->setCondition(fresh(QStringLiteral("x > ")));
            else if (what == 1)
                t->setAction(fresh(QStringLiteral("y = ")) + QLatin1Char(';'));
            else
                t->setBackgroundColour(colour);
        });
        break;
    }
    case ItemType::Text: {
        auto *t = static_cast<TextItem *>(item);
        pushChange(project, canvas, item, [=] {
            if (what == 0)
                t->setSize(width, height);
            else
                t->setAction(fresh(QStringLiteral("#define N")));
        });
        break;
    }
    case ItemType::Process: {
        auto *p = static_cast<ProcessItem *>(item);
        if (!project.structure().canRenameProcessItem(canvas, p))
            return QStringLiteral("no change");
        pushChange(project, canvas, item, [=] {
            if (what == 0)
                p->setLabel(fresh(QStringLiteral("proc")));
            else if (what == 1)
                p->resize(width, height);
            else
                p->setBackgroundColour(colour);
        });
        break;
    }
    case ItemType::Memory: {
        auto *m = static_cast<MemoryItem *>(item);
        pushChange(project, canvas, item, [=] {
            if (what == 0)
                m->setLabel(fresh(QStringLiteral("mem")));
            else
                m->setDatatype(fresh(QStringLiteral("type")));
            m->shareTextsWithDataflows();
        });
        break;
    }
    case ItemType::Link:
    case ItemType::Dataflow: {
        auto *box = static_cast<LabelBoxItem *>(item);
        pushChange(project, canvas, item, [=] {
            if (what == 0)
                box->setLabel(fresh(QStringLiteral("lbl")));
            else
                box->setBackgroundColour(colour);
        });
        break;
    }
    default:
        return QStringLiteral("no change");
    }
    return QStringLiteral("change %1 (%2)").arg(item->type()).arg(what);
}

QList<DiagramItem *> listedItems(const Canvas *canvas)
{
    QList<DiagramItem *> all;
    for (int kind = ItemType::Transition; kind <= ItemType::Dataflow; ++kind)
        all += canvas->itemsOfKind(kind);
    return all;
}

QString moveItems(Canvas *canvas, QRandomGenerator &random)
{
    const QList<DiagramItem *> all = listedItems(canvas);
    if (all.isEmpty())
        return QStringLiteral("nothing to move");
    QVector<ItemMove> moves;
    const QPointF delta(random.bounded(-200, 200), random.bounded(-200, 200));
    for (int i = 0, n = 1 + random.bounded(3); i < n; ++i) {
        DiagramItem *item = pick(random, all);
        bool taken = false;
        for (const ItemMove &move : qAsConst(moves))
            taken = taken || move.item == item;
        if (taken)
            continue;
        moves.append(ItemMove{item, item->pos(), item->pos() + delta});
        item->setPos(item->pos() + delta);
    }
    auto *command = new MoveItemsCommand(canvas, moves, random.bounded(2) == 0);
    if (command->movesAnything())
        canvas->pushCommand(command);
    else
        delete command;
    return QStringLiteral("move %1").arg(moves.size());
}

QString insertOnMachine(Canvas *canvas, QRandomGenerator &random)
{
    const QPointF at = somewhere(random);
    switch (random.bounded(4)) {
    case 0:
        canvas->pushCommand(new AddStateCommand(canvas, at.x(), at.y()));
        return QStringLiteral("insert state");
    case 1: {
        StateItem *a = pick(random, canvas->states());
        StateItem *b = pick(random, canvas->states());
        if (!a)
            return QStringLiteral("no states");
        canvas->pushCommand(new AddTransitionCommand(canvas, a, b));
        return QStringLiteral("insert transition");
    }
    case 2:
        canvas->pushCommand(new AddTextCommand(canvas, at.x(), at.y()));
        return QStringLiteral("insert text");
    default:
        canvas->pushCommand(new AddMemoryCommand(canvas, at.x(), at.y()));
        return QStringLiteral("insert memory");
    }
}

QString insertOnDiagram(Canvas *canvas, QRandomGenerator &random)
{
    const QPointF at = somewhere(random);
    const QList<ProcessItem *> processes = canvas->processItems();
    switch (random.bounded(4)) {
    case 0:
        if (canvas->level() < 3 || processes.size() >= 4)
            return QStringLiteral("no process insertion");
        // The mouse route: the canvas inserts, the project adds node and canvas.
        canvas->setMode(ItemKinds::of(ItemType::Process));
        SceneMouse::click(canvas, at);
        canvas->setMode(nullptr);
        return QStringLiteral("insert process item");
    case 1:
        if (canvas->level() < 2)
            return QStringLiteral("no memory insertion");
        canvas->pushCommand(new AddMemoryCommand(canvas, at.x(), at.y()));
        return QStringLiteral("insert memory");
    case 2: {
        ProcessItem *a = pick(random, processes);
        ProcessItem *b = pick(random, processes);
        if (!a || a == b || canvas->level() < 3)
            return QStringLiteral("no link");
        LinkItem *link = BoxConnections::connectProcesses(canvas, a, b);
        canvas->pushCommand(new AddConnectionCommand(canvas, link));
        return QStringLiteral("insert link");
    }
    default: {
        ProcessItem *p = pick(random, processes);
        MemoryItem *m = pick(random, canvas->memoryItems());
        if (!p || !m)
            return QStringLiteral("no dataflow");
        DataflowItem *flow = random.bounded(2) ? BoxConnections::connectDataflow(canvas, p, m)
                                               : BoxConnections::connectDataflow(canvas, m, p);
        canvas->pushCommand(new AddConnectionCommand(canvas, flow));
        return QStringLiteral("insert dataflow");
    }
    }
}

QString deleteOne(Project &project, Canvas *canvas, QRandomGenerator &random)
{
    DiagramItem *item = pick(random, listedItems(canvas));
    if (!item)
        return QStringLiteral("nothing to delete");
    if (item->type() == ItemType::Process) {
        project.deleteProcessItem(canvas, static_cast<ProcessItem *>(item));
        return QStringLiteral("delete process item");
    }
    // A state takes its sub-machine along, as the window's Delete does.
    auto *state = qgraphicsitem_cast<StateItem *>(item);
    if (state && project.subMachines().subMachineOf(canvas, state)) {
        canvas->clearSelection();
        state->setSelected(true);
        project.deleteSelectionWithSubMachines(canvas);
        return QStringLiteral("delete holder state");
    }
    canvas->deleteItem(item);
    return QStringLiteral("delete %1").arg(item->type());
}

// Gives a random state a sub-machine, or takes a random holder's away.
QString editSubMachines(Project &project, Canvas *canvas, QRandomGenerator &random)
{
    StateItem *state = pick(random, canvas->states());
    if (!state)
        return QStringLiteral("no state for a sub-machine");
    if (state->holdsSubMachine()) {
        project.removeSubMachine(canvas, state);
        return QStringLiteral("remove sub-machine");
    }
    const bool resume = random.bounded(2) == 0;
    return project.addSubMachine(canvas, state, QLatin1String(resume ? SubMachineResume : SubMachineStart))
               ? QStringLiteral("add sub-machine")
               : QStringLiteral("no sub-machine here");
}

QString restack(Canvas *canvas, QRandomGenerator &random)
{
    DiagramItem *item = pick(random, listedItems(canvas));
    if (!item)
        return QStringLiteral("nothing to stack");
    const qreal before = item->zValue();
    const bool front = random.bounded(2) == 0;
    const qreal after = front ? canvas->nextZValue() : 1;
    item->setZValue(after);
    canvas->pushCommand(new StackingCommand(canvas, item, before, after,
                                            front ? QStringLiteral("Bring to Front")
                                                  : QStringLiteral("Send to Back")));
    return QStringLiteral("stacking");
}

QString stepStack(Project &project, QRandomGenerator &random, bool forward)
{
    // The stacks a person can reach: those of the canvases in the project.
    Canvas *canvas = pick(random, project.canvases());
    if (!canvas)
        return QStringLiteral("no stack");
    QUndoStack *stack = canvas->undoStack();
    if (forward)
        stack->redo();
    else
        stack->undo();
    return forward ? QStringLiteral("redo") : QStringLiteral("undo");
}

} // namespace

QByteArray save(const Project &project)
{
    ProjectDocument document;
    if (!project.snapshot(&document))
        return QByteArray();
    QByteArray bytes;
    ProjectFileWriter writer;
    if (!writer.writeToBytes(document, &bytes))
        return QByteArray();
    return bytes;
}

namespace {

// The tree text of the nodes of process levels (sub-machine nodes are the
// document's own, never in the file).
void appendProcessNodes(const TreeNode *node, int depth, QString *text)
{
    if (isSubMachineLevel(node->level()))
        return;
    *text += QString(4 * (depth - 1), QLatin1Char(' ')) + node->name() + QStringLiteral("\r\n");
    for (int row = 0; row < node->childCount(); ++row)
        appendProcessNodes(node->child(row), depth + 1, text);
}

QString processTreeText(const TreeNode *root)
{
    QString text = QStringLiteral("\r\n");
    for (int row = 0; row < root->childCount(); ++row)
        appendProcessNodes(root->child(row), 1, &text);
    return text;
}

// Every holder has its diagram named after it, every sub-machine diagram
// its holder and its node, and a node below a machine its diagram.
QString subMachineProblem(const Project &project)
{
    Project &open = const_cast<Project &>(project);
    const SubMachineStructure structure = open.subMachines();
    int diagrams = 0;
    for (const Canvas *canvas : project.canvases()) {
        if (!isMachineCanvasLevel(canvas->level()))
            continue;
        for (const StateItem *state : canvas->states()) {
            if (!state->holdsSubMachine())
                continue;
            const Canvas *own = structure.subMachineOf(canvas, state);
            if (!own || own->name() != state->label())
                return QStringLiteral("state '%1' on '%2' has no diagram of its own").arg(state->label(), canvas->name());
            if (structure.holderOf(own) != state)
                return QStringLiteral("the diagram of '%1' names another holder").arg(state->label());
            const TreeNode *node = open.structure().nodeForCanvas(own);
            if (!node || node->name() != own->name() || node->level() != own->level())
                return QStringLiteral("the diagram of '%1' has no node").arg(state->label());
            ++diagrams;
        }
    }
    int subMachineNodes = 0;
    std::function<void(const TreeNode *)> count = [&](const TreeNode *node) {
        subMachineNodes += isSubMachineLevel(node->level());
        for (int row = 0; row < node->childCount(); ++row)
            count(node->child(row));
    };
    count(project.treeModel()->rootNode());
    if (subMachineNodes != diagrams)
        return QStringLiteral("%1 sub-machine nodes for %2 sub-machine diagrams").arg(subMachineNodes).arg(diagrams);
    return QString();
}

} // namespace

QString inconsistency(const Project &project)
{
    for (const Canvas *canvas : project.canvases()) {
        const QString problem = canvasProblem(canvas);
        if (!problem.isEmpty())
            return problem;
    }
    ProjectDocument document;
    QString error;
    if (!project.snapshot(&document, &error))
        return QStringLiteral("no snapshot: ") + error;
    const QString processNodes = processTreeText(project.treeModel()->rootNode());
    if (document.treeText != processNodes)
        return QStringLiteral("the tree differs from the diagrams:\n") + document.treeText
               + QStringLiteral("\n---\n") + processNodes;
    return subMachineProblem(project);
}

QString randomMachineEdit(Project &project, Canvas *machine, QRandomGenerator &random)
{
    switch (random.bounded(6)) {
    case 0:
    case 1: return insertOnMachine(machine, random);
    case 2: return deleteOne(project, machine, random);
    case 3: return moveItems(machine, random);
    case 4: {
        DiagramItem *item = pick(random, listedItems(machine));
        return item ? changeItem(project, machine, item, random) : QStringLiteral("no item");
    }
    default: return restack(machine, random);
    }
}

QString randomStep(Project &project, QRandomGenerator &random)
{
    Canvas *canvas = pick(random, project.canvases());
    if (!canvas)
        return QStringLiteral("no canvas");
    project.showCanvas(canvas);
    const bool machine = isMachineCanvasLevel(canvas->level());
    switch (random.bounded(13)) {
    case 0:
    case 1: return machine ? insertOnMachine(canvas, random) : insertOnDiagram(canvas, random);
    case 2: return deleteOne(project, canvas, random);
    case 3: return moveItems(canvas, random);
    case 4:
    case 5: {
        DiagramItem *item = pick(random, listedItems(canvas));
        return item ? changeItem(project, canvas, item, random) : QStringLiteral("no item");
    }
    case 6: return restack(canvas, random);
    case 7:
        if (random.bounded(2)) {
            project.resizeCanvas(canvas, QSize(random.bounded(800, 3000), random.bounded(600, 2000)));
            return QStringLiteral("canvas size");
        }
        project.rename(fresh(QStringLiteral("Project")));
        return QStringLiteral("rename project");
    case 8:
    case 9: return stepStack(project, random, false);
    case 10:
        if (machine)
            return editSubMachines(project, canvas, random);
        return stepStack(project, random, true);
    default: return stepStack(project, random, true);
    }
}

void undoAll(Project &project)
{
    // Canvases come back as their process items do: round after round,
    // until no stack of the project's canvases has a step left.
    for (bool any = true; any;) {
        any = false;
        const QList<Canvas *> canvases = project.canvases();
        for (Canvas *canvas : canvases) {
            while (project.canvases().contains(canvas) && canvas->undoStack()->canUndo()) {
                canvas->undoStack()->undo();
                any = true;
            }
        }
    }
}

StackMarks marks(const Project &project)
{
    StackMarks marks;
    for (const QUndoStack *stack : project.undoGroup()->stacks())
        marks.insert(stack, stack->index());
    return marks;
}

void redoAll(Project &project, const StackMarks &marks)
{
    for (bool any = true; any;) {
        any = false;
        const QList<Canvas *> canvases = project.canvases();
        for (Canvas *canvas : canvases) {
            const QUndoStack *stack = canvas->undoStack();
            while (project.canvases().contains(canvas) && stack->canRedo()
                   && stack->index() < marks.value(stack, stack->count())) {
                canvas->undoStack()->redo();
                any = true;
            }
        }
    }
}

} // namespace UndoSession
