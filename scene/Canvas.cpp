#include "Canvas.h"

#include "DiagramFont.h"

#include "ArrowKeys.h"
#include "DataflowItem.h"
#include "InitialTransition.h"
#include "InitialTransitionLine.h"
#include "ItemKind.h"
#include "ItemKinds.h"
#include "LabelRules.h"
#include "LinkItem.h"
#include "MoveItemsCommand.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "StateItem.h"
#include "AddTransitionCommand.h"
#include "TextItem.h"
#include "TransitionItem.h"

#include <QGraphicsLineItem>
#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsTextItem>
#include <QKeyEvent>
#include <QPen>
#include <QSignalBlocker>
#include <QUndoStack>

#include <limits>
#include <utility>

namespace {

// Links an undo step holds out of the scene forget `process` (every process
// item for null), so that none points at it once it is gone.
QList<LinkItem *> detachHiddenLinks(const QHash<QGraphicsItem *, QPointer<QObject>> &keptAlive,
                                    const ProcessItem *process)
{
    QList<LinkItem *> hidden;
    for (auto it = keptAlive.cbegin(); it != keptAlive.cend(); ++it) {
        auto *link = qobject_cast<LinkItem *>(it.value().data());
        if (link && !link->scene()
            && (!process || link->startItem() == process || link->endItem() == process))
            hidden.append(link);
    }
    for (LinkItem *link : qAsConst(hidden))
        link->detach();
    return hidden;
}

} // namespace

Canvas::Canvas(QMenu *const *menus, QObject *parent)
    : QGraphicsScene(parent), m_floatingEnds(this)
{
    // A diagram holds at most a few thousand items, so finding the items
    // under a point or in the exposed area by walking them all is quick.
    // The default tree index costs tens of kilobytes per item, is rebuilt
    // after every move and is built for every canvas of the project, shown
    // or not, after it opens.
    setItemIndexMethod(QGraphicsScene::NoIndex);
    m_menus.resize(ItemKinds::all().size());
    // Items measure and draw their texts in the scene's font.
    setFont(DiagramFont::font());
    if (menus) {
        for (int i = 0; i < m_menus.size(); ++i)
            m_menus[i] = menus[i];
    }
    m_undoStack = new QUndoStack(this);

    m_initialDot = new InitialTransition();
    m_initialLine = new InitialTransitionLine();
    m_initialLine->setDot(m_initialDot);

    m_titleItem = new QGraphicsTextItem();
    m_titleItem->setPos(0, 0);
    m_titleItem->setTextInteractionFlags(Qt::NoTextInteraction);

    m_mode = nullptr;
    m_highestZ = 0;
    connect(this, &QGraphicsScene::selectionChanged, this, &Canvas::markSelection);
}

Canvas::~Canvas()
{
    // The scene destroys its items below: selected ones would report a
    // selection change of a canvas that is half gone, to the canvas itself
    // and to whoever follows its selection.
    blockSignals(true);
    // Commands hold plain pointers only; drop them before the items go.
    m_undoStack->clear();
    // Connections held out of the scene forget their ends while all of
    // them are still alive: no end is told about them after it is gone.
    detachHiddenLinks(m_keptAlive, nullptr);
    detachHiddenDataflows(nullptr);
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

// --- registry ------------------------------------------------------------------

void Canvas::makePendingItems() const
{
    if (!m_pendingItems)
        return;
    // Taken before it runs: making the items reads and fills the lists,
    // which must not start making them again.
    const ItemSource source = std::exchange(m_pendingItems, ItemSource());
    source(const_cast<Canvas *>(this));
}

void Canvas::stampIdentity(DiagramItem *item)
{
    item->setLevel(m_level + 1);
    item->setParentId(m_id);
    item->setGrandParentId(m_parentId);
    item->setZValue(nextZValue());
}

QList<StateItem *> Canvas::states() const { return registry().items<StateItem>(); }
QList<TransitionItem *> Canvas::transitions() const { return registry().items<TransitionItem>(); }
QList<TextItem *> Canvas::textItems() const { return registry().items<TextItem>(); }
QList<ProcessItem *> Canvas::processItems() const { return registry().items<ProcessItem>(); }
QList<LinkItem *> Canvas::links() const { return registry().items<LinkItem>(); }
QList<MemoryItem *> Canvas::memoryItems() const { return registry().items<MemoryItem>(); }
QList<DataflowItem *> Canvas::dataflows() const { return registry().items<DataflowItem>(); }

bool Canvas::unregisterItem(DiagramItem *item)
{
    return registry().remove(item);
}

void Canvas::setCurrentItem(DiagramItem *item)
{
    if (item)
        m_current.insert(item->type(), item);
}

void Canvas::pushInsertion(QUndoCommand *command, QGraphicsItem *item)
{
    pushCommand(command);
    update();
    emit itemInserted(item);
}

void Canvas::pushCommand(QUndoCommand *command)
{
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


QGraphicsItem *Canvas::topItemAt(const QPointF &point) const
{
    const QList<QGraphicsItem *> found = items(point, Qt::IntersectsItemShape, Qt::DescendingOrder);
    return found.isEmpty() ? nullptr : found.first();
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

void Canvas::followInitialFlag()
{
    StateItem *initial = nullptr;
    for (StateItem *state : states()) {
        if (state->isInitialState()) {
            initial = state;
            break;
        }
    }
    if (markedInitialState() == initial)
        return;
    detachInitialMarker();
    attachInitialMarker(initial);
}

// --- marking, modes and properties -------------------------------------------------------

void Canvas::setMode(const ItemKind *kind)
{
    // A connection being dragged ends with the mode it was drawn in
    // (Escape, or the canvas being left): its rubber line goes.
    if (kind != m_mode)
        dropRubberLine();
    m_mode = kind;
}

QMenu *Canvas::menuOf(int type) const
{
    const ItemKind *kind = ItemKinds::of(type);
    return kind ? m_menus.value(kind->menuIndex()) : nullptr;
}

void Canvas::unmarkAll()
{
    for (DiagramItem *item : registry().all())
        item->clearMarked();
    m_markedItem = nullptr;
}

QGraphicsItem *Canvas::markedItem() const
{
    // The item may have been deleted or unmarked since it was marked: only
    // a listed item that is still marked counts.
    const DiagramItem *listed = registeredItem(m_markedItem);
    return listed && listed->isMarked() ? m_markedItem : nullptr;
}

QList<DiagramItem *> Canvas::markedItems() const
{
    QList<DiagramItem *> marked;
    for (DiagramItem *item : registry().all()) {
        if (item->isMarked())
            marked.append(item);
    }
    return marked;
}

void Canvas::markSelection()
{
    for (DiagramItem *item : registry().all()) {
        if (item->isSelected() && !item->isMarked())
            item->setMarked();
        else if (!item->isSelected() && item->isMarked())
            item->clearMarked();
    }
    // The initial state's marker goes where the state is.
    if (markedInitialState())
        m_initialDot->updatePosition();
}

void Canvas::selectAllItems()
{
    // One selection change for the lot, not one per item: whoever follows
    // the selection (marks, the Edit menu) looks at it once.
    {
        const QSignalBlocker blocker(this);
        for (DiagramItem *item : registry().all())
            item->setSelected(true);
    }
    emit selectionChanged();
}

bool Canvas::moveSelectionBy(const QPointF &delta)
{
    QVector<ItemMove> moves;
    for (QGraphicsItem *item : selectedItems()) {
        DiagramItem *listed = registeredItem(item);
        if (listed && (listed->flags() & QGraphicsItem::ItemIsMovable))
            moves.append(ItemMove{listed, listed->pos(), listed->pos() + delta});
    }
    if (moves.isEmpty())
        return false;
    // Each key press is a step of its own.
    pushCommand(new MoveItemsCommand(this, moves));
    return true;
}

void Canvas::keyPressEvent(QKeyEvent *event)
{
    const QPointF step = arrowKeyStep(event->key(), event->modifiers());
    if (!m_mode && !step.isNull() && moveSelectionBy(step)) {
        event->accept();
        return;
    }
    QGraphicsScene::keyPressEvent(event);
}

void Canvas::markItem(QGraphicsItem *item)
{
    DiagramItem *listed = registeredItem(item);
    if (!listed)
        return;
    m_markedItem = item;
    listed->setMarked();
    // The initial state's marker goes where the state is.
    if (listed == static_cast<DiagramItem *>(markedInitialState()))
        m_initialDot->updatePosition();
}

void Canvas::addSelfTransition()
{
    addSelfTransition(current<StateItem>());
}

void Canvas::addSelfTransition(StateItem *state)
{
    if (!state || !registry().contains(state))
        return;
    auto *command = new AddTransitionCommand(this, state, state);
    pushInsertion(command, command->transition());
}

StateItem *Canvas::selectedState() const
{
    StateItem *topmost = nullptr;
    for (StateItem *state : states()) {
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

bool Canvas::deleteSelection(const std::function<void(ProcessItem *)> &processHandler)
{
    bool modified = false;
    const QList<QGraphicsItem *> selection = selectedItems();
    int listedCount = 0;
    for (QGraphicsItem *item : selection)
        listedCount += registeredItem(item) ? 1 : 0;
    // One Delete is one undo step, however many items and kinds it takes.
    const bool grouped = listedCount > 1;
    if (grouped)
        m_undoStack->beginMacro(QStringLiteral("Delete %1 Items").arg(listedCount));
    for (QGraphicsItem *item : selection) {
        const DiagramItem *listed = registeredItem(item);
        if (listed && ItemKinds::of(listed->type())->opensDiagram()) {
            modified = true;
            if (processHandler)
                processHandler(static_cast<ProcessItem *>(item));
        } else if (deleteItem(item)) {
            modified = true;
        }
    }
    if (grouped) {
        m_undoStack->endMacro();
        // A step that took nothing away (a process item's deletion was
        // refused) is not kept as one.
        const QUndoCommand *step = m_undoStack->command(m_undoStack->index() - 1);
        if (step && step->childCount() == 0)
            m_undoStack->undo();
    }
    update();
    return modified;
}

bool Canvas::deleteItem(QGraphicsItem *item)
{
    // Selected states come with their transitions, which may be selected as
    // well and are then gone already: look the item up in the registry so
    // that no destroyed or taken-away item is touched.
    DiagramItem *listed = registeredItem(item);
    if (!listed)
        return false;
    ItemKinds::of(listed->type())->pushDeletion(*this, listed);
    return true;
}

namespace {
template <class T> void forgetIf(T *&pointer, const QGraphicsItem *item)
{
    if (static_cast<QGraphicsItem *>(pointer) == item)
        pointer = nullptr;
}
} // namespace

QList<DataflowItem *> Canvas::detachHiddenDataflows(const ProcessItem *process)
{
    QList<DataflowItem *> hidden;
    for (auto it = m_keptAlive.cbegin(); it != m_keptAlive.cend(); ++it) {
        auto *flow = qobject_cast<DataflowItem *>(it.value().data());
        if (flow && !flow->scene() && (!process || flow->process() == process))
            hidden.append(flow);
    }
    for (DataflowItem *flow : qAsConst(hidden))
        flow->detach();
    return hidden;
}


// --- mouse --------------------------------------------------------------------------------

bool Canvas::isConnectionMode() const
{
    return m_mode && m_mode->isConnection();
}

void Canvas::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    // Only the left button edits; other presses do not even select. Taken
    // here, they start no rubber band in the view either, which would
    // clear the selection.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    const QPointF point = event->scenePos();
    m_connectionGesture = isConnectionMode();
    // An insertion always creates an item, through an undo command where
    // there is one; a connection counts as an edit only once it is made
    // (finishRubberLine).
    if (isConnectionMode()) {
        startRubberLine(point);
    } else if (m_mode) {
        m_mode->insertAt(*this, point);
    } else {
        // The scene selects; the marks then follow the selection, with the
        // pressed item as the one marked last.
        m_markedItem = registeredItem(topItemAt(point)) ? topItemAt(point) : nullptr;
        rememberClickedState(topItemAt(point));
    }
    QGraphicsScene::mousePressEvent(event);
    if (!m_mode) {
        markSelection();
        rememberDragStart();
    }
}

void Canvas::rememberDragStart()
{
    // The scene drags every selected movable item along.
    m_dragStart.clear();
    for (QGraphicsItem *item : selectedItems()) {
        if (DiagramItem *listed = registeredItem(item))
            m_dragStart.append(ItemMove{listed, listed->pos(), listed->pos()});
    }
}

void Canvas::finishDrag()
{
    QVector<ItemMove> moves = std::exchange(m_dragStart, {});
    for (ItemMove &move : moves) {
        // An item may have left the canvas meanwhile (an undo during the drag).
        if (registeredItem(move.item))
            move.to = move.item->pos();
    }
    auto *command = new MoveItemsCommand(this, moves);
    if (command->movesAnything())
        pushCommand(command);
    else
        delete command;
}

void Canvas::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    // A drag becomes one move step when the button is released.
    if (isConnectionMode() && m_rubberLine) {
        m_rubberLine->setLine(QLineF(m_rubberLine->line().p1(), event->scenePos()));
        return;
    }
    // A connection drag ended by Escape moves nothing until the button is up.
    if (m_connectionGesture) {
        event->accept();
        return;
    }
    QGraphicsScene::mouseMoveEvent(event);
}

void Canvas::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (m_rubberLine && isConnectionMode()) {
        finishRubberLine();
    } else if (!m_mode) {
        QGraphicsItem *item = topItemAt(event->scenePos());
        if (item && item == markedInitialState())
            m_initialDot->updatePosition();
    }
    dropRubberLine();
    update();
    if (event->button() == Qt::LeftButton)
        m_connectionGesture = false;
    QGraphicsScene::mouseReleaseEvent(event);
    if (!m_dragStart.isEmpty())
        finishDrag();
}

void Canvas::makeCurrent(QGraphicsItem *item)
{
    setCurrentItem(registeredItem(item));
}

void Canvas::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    QGraphicsItem *item = topItemAt(event->scenePos());
    // The menu's commands act on the selection: an item right-clicked
    // outside it becomes the selection on its own first.
    if (registeredItem(item) && !item->isSelected()) {
        clearSelection();
        item->setSelected(true);
    }
    rememberClickedState(item);
    makeCurrent(item);
    QGraphicsScene::contextMenuEvent(event);
}

void Canvas::rememberClickedState(QGraphicsItem *item)
{
    DiagramItem *listed = registeredItem(item);
    if (listed && listed->type() == ItemType::State)
        m_clickedState = static_cast<StateItem *>(listed);
}

void Canvas::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event)
{
    QGraphicsItem *item = topItemAt(event->scenePos());
    makeCurrent(item);
    // Whoever shows the canvas opens the dialog: renaming a process item
    // renames its tree node too.
    if (registeredItem(item))
        emit propertiesRequested(item);
    QGraphicsScene::mouseDoubleClickEvent(event);
}

void Canvas::placeProcessItem(ProcessItem *item, const QString &wantedLabel)
{
    registry().append(item);
    const int count = registry().ofKind(ItemType::Process).size();
    item->setLevel(m_level + 1);
    item->setId(count);
    item->setNos(count);
    item->setParentId(m_id);
    item->setGrandParentId(m_parentId);
    // Links name their process items by label in the project file.
    item->setLabel(wantedLabel.isEmpty()
                       ? LabelRules::newProcessLabel(*this, item)
                       : LabelRules::copyLabel(wantedLabel, LabelRules::labelsInUse(
                                                                *this, ItemType::Process, item, false)));
    // Process items of a software module stand for state machines.
    if (m_level == 4)
        item->setBackgroundColour(Qt::red);
    item->setZValue(nextZValue());
    addItem(item);
    update();
    // The project makes its node and canvas, and the undo step.
    emit processItemInserted(item);
    emit itemInserted(item);
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
    // Drawn above every item, the state it starts from included.
    m_rubberLine->setZValue(std::numeric_limits<qreal>::max());
    addItem(m_rubberLine);
}

void Canvas::finishRubberLine()
{
    const QLineF line = m_rubberLine->line();
    QList<QGraphicsItem *> startItems = items(line.p1(), Qt::IntersectsItemShape, Qt::DescendingOrder);
    QList<QGraphicsItem *> endItems = items(line.p2(), Qt::IntersectsItemShape, Qt::DescendingOrder);
    // The rubber line lies above every item: without it, the first item
    // at each end is the topmost diagram item there.
    startItems.removeAll(m_rubberLine);
    endItems.removeAll(m_rubberLine);
    dropRubberLine();
    if (startItems.isEmpty() || endItems.isEmpty() || startItems.first() == endItems.first())
        return;
    connectItems(startItems.first(), endItems.first());
}

void Canvas::connectItems(QGraphicsItem *start, QGraphicsItem *end)
{
    QGraphicsItem *made = m_mode ? m_mode->connect(*this, start, end) : nullptr;
    if (!made)
        return;
    update();
    update();
    emit itemInserted(made);
}
