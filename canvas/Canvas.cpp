#include "Canvas.h"

#include "AddMemoryCommand.h"
#include "AddStateCommand.h"
#include "AddTextCommand.h"
#include "AddTransitionCommand.h"
#include "BoxConnections.h"
#include "DataflowItem.h"
#include "DataflowLine.h"
#include "DeleteStateCommand.h"
#include "DeleteTextCommand.h"
#include "DeleteTransitionCommand.h"
#include "InitialTransition.h"
#include "InitialTransitionLine.h"
#include "ItemTypes.h"
#include "LabelRules.h"
#include "LinkItem.h"
#include "LinkLine.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "RecordEquality.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "TransitionLine.h"

#include <QAction>
#include <QGraphicsLineItem>
#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsTextItem>
#include <QPen>
#include <QUndoStack>

namespace {

template <class T> void appendOnce(QList<T *> &list, T *item)
{
    if (item && !list.contains(item))
        list.append(item);
}

template <class T> bool listed(const QList<T *> &list, const QGraphicsItem *item)
{
    for (T *entry : list) {
        if (static_cast<const QGraphicsItem *>(entry) == item)
            return true;
    }
    return false;
}

} // namespace

Canvas::Canvas(QMenu *const *menus, QObject *parent)
    : QGraphicsScene(parent), m_floatingEnds(this)
{
    if (menus) {
        for (int i = 0; i < MenuCount; ++i)
            m_menus[i] = menus[i];
    }
    m_undoStack = new QUndoStack(this);
    m_undoAction = m_undoStack->createUndoAction(this, tr("&Undo"));
    m_redoAction = m_undoStack->createRedoAction(this, tr("&Redo"));

    m_initialDot = new InitialTransition();
    m_initialLine = new InitialTransitionLine();
    m_initialLine->setDot(m_initialDot);

    m_titleItem = new QGraphicsTextItem();
    m_titleItem->setPos(0, 0);
    m_titleItem->setTextInteractionFlags(Qt::NoTextInteraction);

    m_mode = SelectMode;
    m_highestZ = 0;
}

Canvas::~Canvas()
{
    // Commands hold plain pointers only; drop them before the items go.
    m_undoStack->clear();
    // Items out of the scene (undone insertions, deleted states, retired
    // memory items) are ours to free, and so are the marker and the title
    // while they are out of it.
    for (auto it = m_keptAlive.cbegin(); it != m_keptAlive.cend(); ++it) {
        if (it.value() && !it.key()->scene())
            delete it.key();
    }
    for (QGraphicsItem *item : {static_cast<QGraphicsItem *>(m_initialDot),
                                static_cast<QGraphicsItem *>(m_initialLine),
                                static_cast<QGraphicsItem *>(m_titleItem)}) {
        if (!item->scene())
            delete item;
    }
}

void Canvas::setName(const QString &name)
{
    m_name = name;
    m_titleItem->setPlainText(name);
    putInScene(m_titleItem);
}

// --- lists -----------------------------------------------------------------

void Canvas::appendState(StateItem *item) { appendOnce(m_states, item); }
void Canvas::appendTransition(TransitionItem *item) { appendOnce(m_transitions, item); }
void Canvas::appendTextItem(TextItem *item) { appendOnce(m_textItems, item); }

namespace {
template <class T> void insertOnce(QList<T *> &list, int index, T *item)
{
    if (!item || list.contains(item))
        return;
    list.insert(qBound(0, index, list.size()), item);
}
} // namespace

void Canvas::insertState(int index, StateItem *item) { insertOnce(m_states, index, item); }
void Canvas::insertTransition(int index, TransitionItem *item) { insertOnce(m_transitions, index, item); }
void Canvas::insertTextItem(int index, TextItem *item) { insertOnce(m_textItems, index, item); }
void Canvas::insertDataflow(int index, DataflowItem *item) { insertOnce(m_dataflows, index, item); }
void Canvas::appendProcessItem(ProcessItem *item) { appendOnce(m_processItems, item); }
void Canvas::appendLink(LinkItem *item) { appendOnce(m_links, item); }
void Canvas::appendMemoryItem(MemoryItem *item) { appendOnce(m_memoryItems, item); }
void Canvas::appendDataflow(DataflowItem *item) { appendOnce(m_dataflows, item); }
bool Canvas::removeState(StateItem *item) { return m_states.removeOne(item); }
bool Canvas::removeTransition(TransitionItem *item) { return m_transitions.removeOne(item); }
bool Canvas::removeTextItem(TextItem *item) { return m_textItems.removeOne(item); }
bool Canvas::removeProcessItem(ProcessItem *item) { return m_processItems.removeOne(item); }
bool Canvas::removeLink(LinkItem *item) { return m_links.removeOne(item); }
bool Canvas::removeMemoryItem(MemoryItem *item) { return m_memoryItems.removeOne(item); }
bool Canvas::removeDataflow(DataflowItem *item) { return m_dataflows.removeOne(item); }

void Canvas::setLastTransition(TransitionItem *item, TransitionLine *startLine,
                               TransitionLine *endLine)
{
    m_lastTransition = item;
    m_lastTransitionLines[0] = startLine;
    m_lastTransitionLines[1] = endLine;
}

void Canvas::setLastLink(LinkItem *item, LinkLine *startLine, LinkLine *endLine)
{
    m_lastLink = item;
    m_lastLinkLines[0] = startLine;
    m_lastLinkLines[1] = endLine;
}

void Canvas::setLastDataflow(DataflowItem *item, DataflowLine *startLine, DataflowLine *endLine)
{
    m_lastDataflow = item;
    m_lastDataflowLines[0] = startLine;
    m_lastDataflowLines[1] = endLine;
}

template <class Cmd> Cmd *Canvas::stillStacked(Cmd *command) const
{
    for (int i = 0; command && i < m_undoStack->count(); ++i) {
        if (m_undoStack->command(i) == command)
            return command;
    }
    return nullptr;
}

AddStateCommand *Canvas::lastAddStateCommand() const { return stillStacked(m_lastAddStateCommand); }
AddTransitionCommand *Canvas::lastAddTransitionCommand() const
{
    return stillStacked(m_lastAddTransitionCommand);
}
AddTextCommand *Canvas::lastAddTextCommand() const { return stillStacked(m_lastAddTextCommand); }
AddMemoryCommand *Canvas::lastAddMemoryCommand() const
{
    return stillStacked(m_lastAddMemoryCommand);
}

void Canvas::pushAndSelect(QUndoCommand *command)
{
    pushCommand(command);
    update();
    trigger(m_selectAction);
}

void Canvas::pushCommand(QUndoCommand *command)
{
    if (auto *c = dynamic_cast<AddStateCommand *>(command))
        m_lastAddStateCommand = c;
    else if (auto *c = dynamic_cast<AddTransitionCommand *>(command))
        m_lastAddTransitionCommand = c;
    else if (auto *c = dynamic_cast<AddTextCommand *>(command))
        m_lastAddTextCommand = c;
    else if (auto *c = dynamic_cast<AddMemoryCommand *>(command))
        m_lastAddMemoryCommand = c;
    m_undoStack->push(command);
}

// --- scene helpers -------------------------------------------------------------

void Canvas::takeFromScene(QGraphicsItem *item)
{
    if (item && item->scene() == this)
        removeItem(item);
}

void Canvas::putInScene(QGraphicsItem *item)
{
    if (item && item->scene() != this)
        addItem(item);
}

void Canvas::keepAlive(QGraphicsItem *item)
{
    if (auto *object = dynamic_cast<QObject *>(item))
        m_keptAlive.insert(item, object);
}

bool Canvas::isRetired(const MemoryItem *item) const
{
    return m_retired.contains(item);
}

QGraphicsItem *Canvas::topItemAt(const QPointF &point) const
{
    const QList<QGraphicsItem *> found = items(point, Qt::IntersectsItemShape, Qt::DescendingOrder);
    return found.isEmpty() ? nullptr : found.first();
}

void Canvas::trigger(QAction *action)
{
    if (action)
        action->trigger();
}

// --- initial marker ----------------------------------------------------------------

void Canvas::attachInitialMarker(StateItem *state)
{
    if (!state)
        return;
    m_initialDot->attachState(state);
    m_initialLine->attachState(state);
    m_initialDot->setActive(true);
    m_initialLine->setActive(true);
    putInScene(m_initialDot);
    putInScene(m_initialLine);
}

void Canvas::detachInitialMarker()
{
    m_initialDot->setActive(false);
    m_initialLine->setActive(false);
    m_initialDot->detach();
    m_initialLine->detach();
    takeFromScene(m_initialDot);
    takeFromScene(m_initialLine);
}

StateItem *Canvas::markedInitialState() const
{
    return m_initialDot->scene() == this ? m_initialDot->state() : nullptr;
}

// --- marking, modes and properties -------------------------------------------------------

void Canvas::setMode(Canvas::Mode mode)
{
    // A connection being dragged ends with the mode it was drawn in
    // (Escape, or the canvas being left): its rubber line goes.
    if (mode != m_mode)
        dropRubberLine();
    m_mode = mode;
}

void Canvas::unmarkAll()
{
    const auto clear = [](const auto &list) {
        for (auto *item : list)
            item->clearMarked();
    };
    clear(m_states);
    clear(m_transitions);
    clear(m_textItems);
    clear(m_processItems);
    clear(m_links);
    clear(m_memoryItems);
    clear(m_dataflows);
    m_markedItem = nullptr;
}

QGraphicsItem *Canvas::markedItem() const
{
    return listedKind(m_markedItem) ? m_markedItem : nullptr;
}

void Canvas::markItem(QGraphicsItem *item)
{
    if (!listedKind(item))
        return;
    m_markedItem = item;
    switch (item->type()) {
    case ItemType::State: {
        auto *state = static_cast<StateItem *>(item);
        state->setMarked();
        if (state->isInitialState() && markedInitialState() == state)
            m_initialDot->updatePosition();
        break;
    }
    case ItemType::Transition: static_cast<TransitionItem *>(item)->setMarked(); break;
    case ItemType::Text: static_cast<TextItem *>(item)->setMarked(); break;
    case ItemType::Process: static_cast<ProcessItem *>(item)->setMarked(); break;
    case ItemType::Link: static_cast<LinkItem *>(item)->setMarked(); break;
    case ItemType::Memory: static_cast<MemoryItem *>(item)->setMarked(); break;
    case ItemType::Dataflow: static_cast<DataflowItem *>(item)->setMarked(); break;
    default: break;
    }
}

// Property dialogs open only for an item still on the canvas: the current
// item may have been deleted since it was clicked. An accepted dialog that
// changed what the item stores marks the project modified; a cancelled or
// unchanged one marks nothing.
template <class T, class Open> bool Canvas::editIfListed(T *item, const QList<T *> &list, Open open)
{
    if (!item || !list.contains(item))
        return false;
    const auto before = item->toRecord();
    if (!open(item) || RecordEquality::sameStoredFields(before, item->toRecord()))
        return false;
    trigger(m_modifiedAction);
    return true;
}

bool Canvas::displayStateProperties()
{
    StateItem *state = m_currentState;
    bool otherInitial = false;
    for (StateItem *s : qAsConst(m_states)) {
        if (s != state && s->isInitialState())
            otherInitial = true;
    }
    const bool wasInitial = state && state->isInitialState();
    const bool changed = editIfListed(state, m_states, [this, otherInitial](StateItem *s) {
        return s->openProperties(otherInitial, LabelRules::check(*this, ItemType::State, s));
    });
    if (!changed || state->isInitialState() == wasInitial)
        return changed;
    if (state->isInitialState())
        attachInitialMarker(state);
    else
        detachInitialMarker();
    return changed;
}

bool Canvas::displayTransitionProperties()
{
    return editIfListed(m_currentTransition, m_transitions,
                        [](TransitionItem *t) { return t->openProperties(); });
}

bool Canvas::displayTextItemProperties()
{
    return editIfListed(m_currentTextItem, m_textItems, [](TextItem *t) { return t->openProperties(); });
}

bool Canvas::displayProcessItemProperties()
{
    return editIfListed(m_currentProcessItem, m_processItems, [this](ProcessItem *p) {
        return p->openProperties(LabelRules::check(*this, ItemType::Process, p));
    });
}

bool Canvas::displayLinkItemProperties()
{
    return editIfListed(m_currentLink, m_links, [](LinkItem *l) { return l->openProperties(); });
}

bool Canvas::displayMemoryItemProperties()
{
    return editIfListed(m_currentMemoryItem, m_memoryItems, [this](MemoryItem *m) {
        return m->openProperties(LabelRules::check(*this, ItemType::Memory, m));
    });
}

bool Canvas::displayDataflowItemProperties()
{
    return editIfListed(m_currentDataflow, m_dataflows, [](DataflowItem *d) { return d->openProperties(); });
}

void Canvas::addSelfTransition()
{
    addSelfTransition(m_currentState);
}

void Canvas::addSelfTransition(StateItem *state)
{
    if (!state || !m_states.contains(state))
        return;
    pushAndSelect(new AddTransitionCommand(this, state, state));
}

StateItem *Canvas::selectedState() const
{
    StateItem *topmost = nullptr;
    for (StateItem *state : m_states) {
        if (!state->isSelected())
            continue;
        if (state == m_clickedState)
            return state;
        if (!topmost || state->zValue() > topmost->zValue())
            topmost = state;
    }
    return topmost;
}

// --- deletion --------------------------------------------------------------------------

int Canvas::listedKind(const QGraphicsItem *item) const
{
    if (!item)
        return 0;
    if (listed(m_states, item))
        return ItemType::State;
    if (listed(m_transitions, item))
        return ItemType::Transition;
    if (listed(m_textItems, item))
        return ItemType::Text;
    if (listed(m_processItems, item))
        return ItemType::Process;
    if (listed(m_links, item))
        return ItemType::Link;
    if (listed(m_memoryItems, item))
        return ItemType::Memory;
    if (listed(m_dataflows, item))
        return ItemType::Dataflow;
    return 0;
}

bool Canvas::deleteSelection(const std::function<void(ProcessItem *)> &processHandler)
{
    bool modified = false;
    const QList<QGraphicsItem *> selection = selectedItems();
    for (QGraphicsItem *item : selection) {
        const int kind = listedKind(item);
        if (kind == ItemType::Process) {
            modified = true;
            if (processHandler)
                processHandler(static_cast<ProcessItem *>(item));
        } else if (deleteItem(item)) {
            modified = true;
        }
    }
    update();
    return modified;
}

bool Canvas::deleteItem(QGraphicsItem *item)
{
    // Selected states come with their transitions, which may be selected as
    // well and are then gone already: look the kind up by list membership
    // so that no destroyed or taken-away item is touched.
    switch (listedKind(item)) {
    case ItemType::State: {
        auto *state = static_cast<StateItem *>(item);
        if (markedInitialState() == state)
            detachInitialMarker();
        pushCommand(new DeleteStateCommand(this, state));
        return true;
    }
    case ItemType::Transition:
        pushCommand(new DeleteTransitionCommand(this, static_cast<TransitionItem *>(item)));
        return true;
    case ItemType::Text:
        pushCommand(new DeleteTextCommand(this, static_cast<TextItem *>(item)));
        return true;
    case ItemType::Process:
        return true;
    case ItemType::Link:
        deleteLink(static_cast<LinkItem *>(item));
        return true;
    case ItemType::Memory:
        deleteMemoryItem(static_cast<MemoryItem *>(item));
        return true;
    case ItemType::Dataflow:
        deleteDataflow(static_cast<DataflowItem *>(item));
        return true;
    default:
        return false;
    }
}

namespace {
template <class T> void forgetIf(T *&pointer, const QGraphicsItem *item)
{
    if (static_cast<QGraphicsItem *>(pointer) == item)
        pointer = nullptr;
}
} // namespace

void Canvas::forgetCurrent(const QGraphicsItem *item)
{
    // The lines of the last link or dataflow go with it.
    if (static_cast<QGraphicsItem *>(m_lastLink) == item)
        m_lastLinkLines[0] = m_lastLinkLines[1] = nullptr;
    if (static_cast<QGraphicsItem *>(m_lastDataflow) == item)
        m_lastDataflowLines[0] = m_lastDataflowLines[1] = nullptr;
    forgetIf(m_currentProcessItem, item);
    forgetIf(m_currentLink, item);
    forgetIf(m_currentMemoryItem, item);
    forgetIf(m_currentDataflow, item);
    forgetIf(m_lastProcessItem, item);
    forgetIf(m_lastLink, item);
    forgetIf(m_lastDataflow, item);
}

void Canvas::dropDataflows(const QList<DataflowItem *> &flows)
{
    for (DataflowItem *flow : flows) {
        m_dataflows.removeOne(flow);
        forgetCurrent(flow);
        delete flow;
    }
}

QList<DataflowItem *> Canvas::detachHiddenDataflows(const ProcessItem *process)
{
    QList<DataflowItem *> hidden;
    for (auto it = m_keptAlive.cbegin(); it != m_keptAlive.cend(); ++it) {
        auto *flow = qobject_cast<DataflowItem *>(it.value().data());
        if (flow && !flow->scene() && flow->process() == process)
            hidden.append(flow);
    }
    for (DataflowItem *flow : qAsConst(hidden))
        flow->detach();
    return hidden;
}

void Canvas::deleteLink(LinkItem *link)
{
    if (!link || !m_links.removeOne(link))
        return;
    link->detach();   // both process items forget it, its lines are destroyed
    forgetCurrent(link);
    delete link;
}

void Canvas::deleteDataflow(DataflowItem *dataflow)
{
    if (!dataflow || !m_dataflows.removeOne(dataflow))
        return;
    dataflow->detach();   // process and memory item forget it, its lines are destroyed
    forgetCurrent(dataflow);
    delete dataflow;
}

void Canvas::deleteMemoryItem(MemoryItem *memory)
{
    if (!memory || !m_memoryItems.removeOne(memory))
        return;
    dropDataflows(memory->detachDataflows());
    // Not undoable, but its add command may still be on the stack: keep the
    // item (out of the scene) so that command never meets a dead pointer.
    takeFromScene(memory);
    forgetCurrent(memory);
    m_retired.insert(memory);
    keepAlive(memory);
}

void Canvas::removeProcessItemFromDiagram(ProcessItem *item)
{
    if (!item || !m_processItems.contains(item))
        return;
    for (LinkItem *link : item->links()) {
        m_links.removeOne(link);
        forgetCurrent(link);
    }
    item->deleteLinks();
    dropDataflows(item->detachDataflows());
    dropDataflows(detachHiddenDataflows(item));
    m_processItems.removeOne(item);
    forgetCurrent(item);
    delete item;
}

// --- mouse --------------------------------------------------------------------------------

bool Canvas::isConnectionMode() const
{
    return m_mode == TransitionMode || m_mode == LinkMode || m_mode == DataflowMode;
}

void Canvas::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    // Only the left button edits; other presses do not even select.
    if (event->button() != Qt::LeftButton)
        return;
    const QPointF point = event->scenePos();
    // An insertion always creates an item; a connection marks the project
    // modified only once it is made (finishRubberLine).
    if (m_mode != SelectMode && !isConnectionMode())
        trigger(m_modifiedAction);
    switch (m_mode) {
    case StateMode:
        // Centre the default 280 x 150 state on the point.
        pushAndSelect(new AddStateCommand(this, point.x() - 140, point.y() - 75));
        break;
    case TextMode:
        pushAndSelect(new AddTextCommand(this, point.x(), point.y()));
        break;
    case MemoryMode:
        pushAndSelect(new AddMemoryCommand(this, point.x(), point.y()));
        break;
    case ProcessMode:
        insertProcessItem(point);
        break;
    case TransitionMode:
    case LinkMode:
    case DataflowMode:
        startRubberLine(point);
        break;
    case SelectMode:
        unmarkAll();
        markItem(topItemAt(point));
        rememberClickedState(topItemAt(point));
        break;
    }
    QGraphicsScene::mousePressEvent(event);
}

void Canvas::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    // Dragging an item modifies the project. Hovering after a click does not:
    // the left button has to be held. A connection drag moves no item.
    if ((event->buttons() & Qt::LeftButton) && !isConnectionMode()) {
        const QGraphicsItem *pressed = topItemAt(event->buttonDownScenePos(Qt::LeftButton));
        switch (pressed ? pressed->type() : 0) {
        case ItemType::State:
        case ItemType::Transition:
        case ItemType::Text:
        case ItemType::Link:
        case ItemType::Process:
        case ItemType::Memory:
        case ItemType::Dataflow:
            trigger(m_modifiedAction);
            break;
        default:
            break;
        }
    }
    if (isConnectionMode() && m_rubberLine) {
        m_rubberLine->setLine(QLineF(m_rubberLine->line().p1(), event->scenePos()));
        return;
    }
    QGraphicsScene::mouseMoveEvent(event);
}

void Canvas::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (m_rubberLine && isConnectionMode()) {
        finishRubberLine();
    } else if (m_mode == SelectMode) {
        QGraphicsItem *item = topItemAt(event->scenePos());
        if (item && item == markedInitialState())
            m_initialDot->updatePosition();
    }
    dropRubberLine();
    update();
    QGraphicsScene::mouseReleaseEvent(event);
}

void Canvas::makeCurrent(QGraphicsItem *item)
{
    switch (item ? item->type() : 0) {
    case ItemType::State: m_currentState = static_cast<StateItem *>(item); break;
    case ItemType::Transition: m_currentTransition = static_cast<TransitionItem *>(item); break;
    case ItemType::Text: m_currentTextItem = static_cast<TextItem *>(item); break;
    case ItemType::Process: m_currentProcessItem = static_cast<ProcessItem *>(item); break;
    case ItemType::Link: m_currentLink = static_cast<LinkItem *>(item); break;
    case ItemType::Memory: m_currentMemoryItem = static_cast<MemoryItem *>(item); break;
    case ItemType::Dataflow: m_currentDataflow = static_cast<DataflowItem *>(item); break;
    default: break;
    }
}

void Canvas::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    unmarkAll();
    QGraphicsItem *item = topItemAt(event->scenePos());
    // The menu's commands act on the selection: an item right-clicked
    // outside it becomes the selection on its own first.
    if (listedKind(item) != 0 && !item->isSelected()) {
        clearSelection();
        item->setSelected(true);
    }
    rememberClickedState(item);
    makeCurrent(item);
    QGraphicsScene::contextMenuEvent(event);
}

void Canvas::rememberClickedState(QGraphicsItem *item)
{
    if (listedKind(item) == ItemType::State)
        m_clickedState = static_cast<StateItem *>(item);
}

void Canvas::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event)
{
    unmarkAll();
    QGraphicsItem *item = topItemAt(event->scenePos());
    makeCurrent(item);
    switch (item ? item->type() : 0) {
    case ItemType::State: displayStateProperties(); break;
    case ItemType::Transition: displayTransitionProperties(); break;
    case ItemType::Text: displayTextItemProperties(); break;
    // Renaming a process item renames its tree node: the window runs it.
    case ItemType::Process: trigger(m_processPropertiesAction); break;
    case ItemType::Link: displayLinkItemProperties(); break;
    case ItemType::Memory: displayMemoryItemProperties(); break;
    case ItemType::Dataflow: displayDataflowItemProperties(); break;
    default: break;
    }
    QGraphicsScene::mouseDoubleClickEvent(event);
}

void Canvas::insertProcessItem(const QPointF &point)
{
    auto *item = new ProcessItem(menu(ProcessMenu), point.x(), point.y(), m_processShape);
    item->placeAt();
    m_processItems.append(item);
    const int count = m_processItems.size();
    item->setLevel(m_level + 1);
    item->setId(count);
    item->setNos(count);
    item->setParentId(m_id);
    item->setGrandParentId(m_parentId);
    // Links name their process items by label in the project file.
    item->setLabel(LabelRules::newProcessLabel(*this, item));
    // Process items of a software module stand for state machines.
    if (m_level == 4)
        item->setBackgroundColour(Qt::red);
    item->setZValue(nextZValue());
    addItem(item);
    m_lastProcessItem = item;
    update();
    trigger(m_processAddedAction);
    trigger(m_selectAction);
}

void Canvas::dropRubberLine()
{
    if (!m_rubberLine)
        return;
    removeItem(m_rubberLine);
    delete m_rubberLine;
    m_rubberLine = nullptr;
}

void Canvas::startRubberLine(const QPointF &point)
{
    m_rubberLine = new QGraphicsLineItem(QLineF(point, point));
    m_rubberLine->setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    addItem(m_rubberLine);
}

void Canvas::finishRubberLine()
{
    const QLineF line = m_rubberLine->line();
    QList<QGraphicsItem *> startItems = items(line.p1(), Qt::IntersectsItemShape, Qt::DescendingOrder);
    QList<QGraphicsItem *> endItems = items(line.p2(), Qt::IntersectsItemShape, Qt::DescendingOrder);
    // The rubber line lies under every item (stacking value 0, others 1 and
    // up), so dropping it never changes which item is topmost.
    startItems.removeAll(m_rubberLine);
    endItems.removeAll(m_rubberLine);
    dropRubberLine();
    if (startItems.isEmpty() || endItems.isEmpty() || startItems.first() == endItems.first())
        return;
    connectItems(startItems.first(), endItems.first());
}

void Canvas::connectItems(QGraphicsItem *start, QGraphicsItem *end)
{
    const int startType = start->type();
    const int endType = end->type();
    if (m_mode == TransitionMode) {
        if (startType != ItemType::State || endType != ItemType::State)
            return;
        pushCommand(new AddTransitionCommand(this, static_cast<StateItem *>(start),
                                             static_cast<StateItem *>(end)));
    } else if (m_mode == LinkMode) {
        if (startType != ItemType::Process || endType != ItemType::Process)
            return;
        BoxConnections::connectProcesses(this, static_cast<ProcessItem *>(start),
                                         static_cast<ProcessItem *>(end));
    } else {
        const bool processToMemory = startType == ItemType::Process && endType == ItemType::Memory;
        const bool memoryToProcess = startType == ItemType::Memory && endType == ItemType::Process;
        if (!processToMemory && !memoryToProcess)
            return;
        BoxConnections::connectDataflow(this, start, end);
    }
    trigger(m_modifiedAction);
    update();
    update();
    trigger(m_selectAction);
}
