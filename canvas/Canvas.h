#pragma once

// The graphics scene of one node of the project tree. Level 1 to 4 canvases
// hold process diagrams, level 5 canvases hold state machines. The canvas
// turns mouse input into insertions and connections according to its drawing
// mode, keeps typed lists of its items, gives new items their identity and
// stacking order, owns the undo stack of the state-machine edits and tells
// the main window about changes only through four actions the window lends it.
//
// Ownership: items in the scene belong to the scene. Items an undo command
// took out of the scene stay alive for a later undo or redo; the canvas
// destroys whatever is still out of the scene when it is destroyed itself.
// The lists hold non-owning pointers.

#include "FloatingEnds.h"

#include <QGraphicsScene>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>

class AddMemoryCommand;
class AddStateCommand;
class AddTextCommand;
class AddTransitionCommand;
class DataflowItem;
class DataflowLine;
class FloatingLinkItem;
class FloatingMemoryItem;
class InitialTransition;
class InitialTransitionLine;
class LinkItem;
class LinkLine;
class MemoryItem;
class ProcessItem;
class QAction;
class QGraphicsLineItem;
class QGraphicsTextItem;
class QMenu;
class QUndoCommand;
class QUndoStack;
class StateItem;
class TextItem;
class TransitionItem;
class TransitionLine;

class Canvas : public QGraphicsScene
{
    Q_OBJECT
public:
    enum Mode {
        StateMode = 0,
        TransitionMode = 1,
        TextMode = 2,
        ProcessMode = 3,
        LinkMode = 4,
        MemoryMode = 5,
        DataflowMode = 6,
        SelectMode = 7,
    };
    Q_ENUM(Mode)

    // Index of each item kind's context menu in the window's menu array.
    enum MenuIndex {
        StateMenu = 0,
        TransitionMenu,
        TextMenu,
        ProcessMenu,
        LinkMenu,
        MemoryMenu,
        DataflowMenu,
        MenuCount
    };

    // menus: the window's seven context menus in MenuIndex order (copied;
    // null, or null entries, give items without a menu).
    explicit Canvas(QMenu *const *menus, QObject *parent = nullptr);
    ~Canvas() override;

    QMenu *menu(MenuIndex index) const { return m_menus[index]; }

    // --- identity -----------------------------------------------------------
    QString name() const { return m_name; }
    // Also shows the name in the title item, which joins the scene.
    void setName(const QString &name);
    int level() const { return m_level; }
    void setLevel(int level) { m_level = level; }
    int id() const { return m_id; }
    void setId(int id) { m_id = id; }
    int nos() const { return m_nos; }
    void setNos(int nos) { m_nos = nos; }
    int parentId() const { return m_parentId; }
    void setParentId(int id) { m_parentId = id; }
    int grandParentId() const { return m_grandParentId; }
    void setGrandParentId(int id) { m_grandParentId = id; }
    QGraphicsTextItem *titleItem() const { return m_titleItem; }

    Mode mode() const { return m_mode; }
    int processShape() const { return m_processShape; }
    void setProcessShape(int shape) { m_processShape = shape; }

    // --- stacking -----------------------------------------------------------
    qreal highestZ() const { return m_highestZ; }
    void setHighestZ(qreal z) { m_highestZ = z; }
    // Raises the highest stacking value by one and returns it: the value of
    // an item that goes on top of all others.
    qreal nextZValue() { return ++m_highestZ; }
    // Identity of an item created on this canvas: level one below the
    // canvas, the canvas's id and parentId as its parent ids, and a
    // stacking value above every other item.
    template <class T> void stampIdentity(T *item)
    {
        item->setLevel(m_level + 1);
        item->setParentId(m_id);
        item->setGrandParentId(m_parentId);
        item->setZValue(nextZValue());
    }

    // --- lent actions ---------------------------------------------------------
    QAction *processAddedAction() const { return m_processAddedAction; }
    void setProcessAddedAction(QAction *action) { m_processAddedAction = action; }
    QAction *processPropertiesAction() const { return m_processPropertiesAction; }
    void setProcessPropertiesAction(QAction *action) { m_processPropertiesAction = action; }
    QAction *modifiedAction() const { return m_modifiedAction; }
    void setModifiedAction(QAction *action) { m_modifiedAction = action; }
    QAction *selectAction() const { return m_selectAction; }
    void setSelectAction(QAction *action) { m_selectAction = action; }

    // --- undo -----------------------------------------------------------------
    QUndoStack *undoStack() const { return m_undoStack; }
    QAction *undoAction() const { return m_undoAction; }   // "&Undo"
    QAction *redoAction() const { return m_redoAction; }   // "&Redo"

    // --- item lists (insertion order, non-owning) -------------------------------
    const QList<StateItem *> &states() const { return m_states; }
    const QList<TransitionItem *> &transitions() const { return m_transitions; }
    const QList<TextItem *> &textItems() const { return m_textItems; }
    const QList<ProcessItem *> &processItems() const { return m_processItems; }
    const QList<LinkItem *> &links() const { return m_links; }
    const QList<MemoryItem *> &memoryItems() const { return m_memoryItems; }
    const QList<DataflowItem *> &dataflows() const { return m_dataflows; }
    const QList<FloatingLinkItem *> &floatingLinks() const { return m_floatingEnds.links(); }
    const QList<FloatingMemoryItem *> &floatingMemories() const { return m_floatingEnds.memories(); }

    void setStates(const QList<StateItem *> &list) { m_states = list; }
    void setTransitions(const QList<TransitionItem *> &list) { m_transitions = list; }
    void setTextItems(const QList<TextItem *> &list) { m_textItems = list; }
    void setProcessItems(const QList<ProcessItem *> &list) { m_processItems = list; }
    void setLinks(const QList<LinkItem *> &list) { m_links = list; }
    void setMemoryItems(const QList<MemoryItem *> &list) { m_memoryItems = list; }
    void setDataflows(const QList<DataflowItem *> &list) { m_dataflows = list; }

    // List bookkeeping only: the scene is not touched. append* ignores an
    // item already listed; remove* returns whether the item was listed.
    void appendState(StateItem *item);
    void appendTransition(TransitionItem *item);
    void appendTextItem(TextItem *item);
    // Put an item back at a list position it had before (clamped; once only).
    void insertState(int index, StateItem *item);
    void insertTransition(int index, TransitionItem *item);
    void insertTextItem(int index, TextItem *item);
    void insertDataflow(int index, DataflowItem *item);
    void appendProcessItem(ProcessItem *item);
    void appendLink(LinkItem *item);
    void appendMemoryItem(MemoryItem *item);
    void appendDataflow(DataflowItem *item);
    bool removeState(StateItem *item);
    bool removeTransition(TransitionItem *item);
    bool removeTextItem(TextItem *item);
    bool removeProcessItem(ProcessItem *item);
    bool removeLink(LinkItem *item);
    bool removeMemoryItem(MemoryItem *item);
    bool removeDataflow(DataflowItem *item);

    // --- most recently created items --------------------------------------------
    ProcessItem *lastProcessItem() const { return m_lastProcessItem; }
    StateItem *lastState() const { return m_lastState; }
    TransitionItem *lastTransition() const { return m_lastTransition; }
    TextItem *lastTextItem() const { return m_lastTextItem; }
    MemoryItem *lastMemoryItem() const { return m_lastMemoryItem; }
    LinkItem *lastLink() const { return m_lastLink; }
    DataflowItem *lastDataflow() const { return m_lastDataflow; }
    FloatingLinkItem *lastFloatingLink() const { return m_floatingEnds.lastLink(); }
    FloatingMemoryItem *lastFloatingMemory() const { return m_floatingEnds.lastMemory(); }
    TransitionLine *lastTransitionStartLine() const { return m_lastTransitionLines[0]; }
    TransitionLine *lastTransitionEndLine() const { return m_lastTransitionLines[1]; }
    LinkLine *lastLinkStartLine() const { return m_lastLinkLines[0]; }
    LinkLine *lastLinkEndLine() const { return m_lastLinkLines[1]; }
    DataflowLine *lastDataflowStartLine() const { return m_lastDataflowLines[0]; }
    DataflowLine *lastDataflowEndLine() const { return m_lastDataflowLines[1]; }
    // Called by the add commands and BoxConnections when they build their item.
    void setLastState(StateItem *item) { m_lastState = item; }
    void setLastTransition(TransitionItem *item, TransitionLine *startLine, TransitionLine *endLine);
    void setLastTextItem(TextItem *item) { m_lastTextItem = item; }
    void setLastMemoryItem(MemoryItem *item) { m_lastMemoryItem = item; }
    void setLastLink(LinkItem *item, LinkLine *startLine, LinkLine *endLine);
    void setLastDataflow(DataflowItem *item, DataflowLine *startLine, DataflowLine *endLine);

    // The most recently pushed add command of each kind, or null once the
    // stack has discarded it.
    AddStateCommand *lastAddStateCommand() const;
    AddTransitionCommand *lastAddTransitionCommand() const;
    AddTextCommand *lastAddTextCommand() const;
    AddMemoryCommand *lastAddMemoryCommand() const;

    // --- current items (last right-clicked or double-clicked) --------------------
    StateItem *currentState() const { return m_currentState; }
    void setCurrentState(StateItem *item) { m_currentState = item; }
    TransitionItem *currentTransition() const { return m_currentTransition; }
    void setCurrentTransition(TransitionItem *item) { m_currentTransition = item; }
    TextItem *currentTextItem() const { return m_currentTextItem; }
    void setCurrentTextItem(TextItem *item) { m_currentTextItem = item; }
    ProcessItem *currentProcessItem() const { return m_currentProcessItem; }
    void setCurrentProcessItem(ProcessItem *item) { m_currentProcessItem = item; }
    LinkItem *currentLink() const { return m_currentLink; }
    void setCurrentLink(LinkItem *item) { m_currentLink = item; }
    MemoryItem *currentMemoryItem() const { return m_currentMemoryItem; }
    void setCurrentMemoryItem(MemoryItem *item) { m_currentMemoryItem = item; }
    DataflowItem *currentDataflow() const { return m_currentDataflow; }
    void setCurrentDataflow(DataflowItem *item) { m_currentDataflow = item; }

    // --- initial-state marker ------------------------------------------------------
    InitialTransition *initialDot() const { return m_initialDot; }
    InitialTransitionLine *initialLine() const { return m_initialLine; }
    // Attaches the dot and its arrow to state and shows both.
    void attachInitialMarker(StateItem *state);
    // Detaches both and takes them out of the scene.
    void detachInitialMarker();
    // The state the marker is attached to while it is shown, else null.
    StateItem *markedInitialState() const;

    // --- rubber line and floating ends ------------------------------------------
    QGraphicsLineItem *rubberLine() const { return m_rubberLine; }
    QPointF nextFloatingLinkPos() const { return m_floatingEnds.linkPos(); }
    QPointF nextFloatingMemoryPos() const { return m_floatingEnds.memoryPos(); }
    // start: the process item is the link's start (drawn as an outgoing tag).
    FloatingLinkItem *addFloatingLink(const QString &name, bool start)
    {
        return m_floatingEnds.addLink(name, start);
    }
    FloatingMemoryItem *addFloatingMemory(const QString &label, const QString &datatype,
                                          const QColor &colour)
    {
        return m_floatingEnds.addMemory(label, datatype, colour);
    }
    void removeFloatingLinks() { m_floatingEnds.removeLinks(); }
    void removeFloatingMemories() { m_floatingEnds.removeMemories(); }

    // --- operations ------------------------------------------------------------------
    // The topmost item whose shape contains point, or null.
    QGraphicsItem *topItemAt(const QPointF &point) const;
    // Solid outlines for every listed item again.
    void unmarkAll();
    // Draws a listed item's outline dotted, the look of the item pressed
    // last in select mode; markedItem() is that item while it is listed.
    void markItem(QGraphicsItem *item);
    QGraphicsItem *markedItem() const;
    // Pushes a self transition on the current state; nothing while there is
    // no current state in the state list.
    void addSelfTransition();
    // The same on the given state (nothing unless it is listed).
    void addSelfTransition(StateItem *state);
    // The selected state a command on "the state" acts on: the one clicked
    // last when several are selected, else the topmost; null when no state
    // is selected.
    StateItem *selectedState() const;
    // Pushes an undoable command on this canvas's stack (which owns it) and
    // remembers it when it is an add command.
    void pushCommand(QUndoCommand *command);

    // The Delete command on the current selection, in selection order. States
    // (with the initial marker taken off first), transitions and text items
    // go through undo commands; links, memory items and dataflows are removed
    // for good. Process items need the tree and the window's canvas list, so
    // each is handed to processHandler instead (which may call
    // removeProcessItemFromDiagram). Returns true when a deletable item was
    // selected, i.e. the project is modified. Items destroyed by an earlier
    // deletion of the same selection are skipped.
    bool deleteSelection(const std::function<void(ProcessItem *)> &processHandler = {});
    // One item of a selection; returns true when it was of a deletable kind
    // (process items are not handled and return true without any change).
    bool deleteItem(QGraphicsItem *item);
    // The kind (ItemType value) of an item that is still listed on this
    // canvas, or 0. Safe for pointers to items destroyed meanwhile.
    int listedKind(const QGraphicsItem *item) const;
    // Removes a process item from the diagram for good: its links are
    // destroyed, its dataflows detached from their memory items and
    // destroyed, and the item leaves the process list and the scene and is
    // destroyed. Renumbering and the tree are the caller's.
    void removeProcessItemFromDiagram(ProcessItem *item);
    void deleteLink(LinkItem *link);
    void deleteMemoryItem(MemoryItem *memory);
    void deleteDataflow(DataflowItem *dataflow);

    // Items an undo command took out of the scene stay alive; the canvas
    // destroys those still out of the scene when it is destroyed.
    void keepAlive(QGraphicsItem *item);
    // Memory items deleted for good: their add command must not bring them back.
    bool isRetired(const MemoryItem *item) const;

    // Takes item out of this scene if it is in it.
    void takeFromScene(QGraphicsItem *item);
    // Puts item into this scene unless it is there already.
    void putInScene(QGraphicsItem *item);

public slots:
    void setMode(Canvas::Mode mode);
    // The dialog of the current item of each kind; true when it was
    // accepted and changed what the item stores (the modified action is
    // triggered then).
    bool displayStateProperties();
    bool displayTransitionProperties();
    bool displayTextItemProperties();
    bool displayProcessItemProperties();
    bool displayLinkItemProperties();
    bool displayMemoryItemProperties();
    bool displayDataflowItemProperties();

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;

private:
    static void trigger(QAction *action);
    bool isConnectionMode() const;
    void insertProcessItem(const QPointF &point);
    void startRubberLine(const QPointF &point);
    // Takes the rubber line out of the scene and destroys it, if there is one.
    void dropRubberLine();
    void rememberClickedState(QGraphicsItem *item);
    void finishRubberLine();
    void connectItems(QGraphicsItem *start, QGraphicsItem *end);
    void pushAndSelect(QUndoCommand *command);
    void makeCurrent(QGraphicsItem *item);
    void forgetCurrent(const QGraphicsItem *item);
    void dropDataflows(const QList<DataflowItem *> &flows);
    // Detaches the dataflows an undo took off the canvas together with their
    // memory item (see AddMemoryCommand) whose process item is `process`.
    QList<DataflowItem *> detachHiddenDataflows(const ProcessItem *process);
    template <class T, class Open> bool editIfListed(T *item, const QList<T *> &list, Open open);
    template <class Cmd> Cmd *stillStacked(Cmd *command) const;

    QList<StateItem *> m_states;
    QList<TransitionItem *> m_transitions;
    QList<TextItem *> m_textItems;
    QList<ProcessItem *> m_processItems;
    QList<LinkItem *> m_links;
    QList<MemoryItem *> m_memoryItems;
    QList<DataflowItem *> m_dataflows;

    ProcessItem *m_lastProcessItem = nullptr;
    StateItem *m_lastState = nullptr;
    TransitionItem *m_lastTransition = nullptr;
    TextItem *m_lastTextItem = nullptr;
    MemoryItem *m_lastMemoryItem = nullptr;
    LinkItem *m_lastLink = nullptr;
    DataflowItem *m_lastDataflow = nullptr;
    TransitionLine *m_lastTransitionLines[2] = {nullptr, nullptr};
    LinkLine *m_lastLinkLines[2] = {nullptr, nullptr};
    DataflowLine *m_lastDataflowLines[2] = {nullptr, nullptr};

    StateItem *m_currentState = nullptr;
    TransitionItem *m_currentTransition = nullptr;
    TextItem *m_currentTextItem = nullptr;
    ProcessItem *m_currentProcessItem = nullptr;
    LinkItem *m_currentLink = nullptr;
    MemoryItem *m_currentMemoryItem = nullptr;
    DataflowItem *m_currentDataflow = nullptr;
    StateItem *m_clickedState = nullptr;   // the state last clicked (either button)

    QAction *m_processAddedAction = nullptr;
    QAction *m_processPropertiesAction = nullptr;
    QAction *m_modifiedAction = nullptr;
    QAction *m_selectAction = nullptr;

    qreal m_highestZ = 0;
    QMenu *m_menus[MenuCount] = {};

    QUndoStack *m_undoStack = nullptr;
    QAction *m_undoAction = nullptr;
    QAction *m_redoAction = nullptr;
    AddStateCommand *m_lastAddStateCommand = nullptr;
    AddTransitionCommand *m_lastAddTransitionCommand = nullptr;
    AddTextCommand *m_lastAddTextCommand = nullptr;
    AddMemoryCommand *m_lastAddMemoryCommand = nullptr;

    InitialTransition *m_initialDot = nullptr;
    InitialTransitionLine *m_initialLine = nullptr;
    QGraphicsLineItem *m_rubberLine = nullptr;
    QGraphicsItem *m_markedItem = nullptr;   // may be gone: see markedItem()
    Mode m_mode = SelectMode;
    FloatingEnds m_floatingEnds;

    QString m_name;
    int m_level = 0;
    int m_id = 0;
    int m_nos = 0;
    int m_parentId = 0;
    int m_grandParentId = 0;
    QGraphicsTextItem *m_titleItem = nullptr;
    int m_processShape = 1;

    // Items some command may put back, watched so that an item destroyed
    // elsewhere is never freed twice.
    QHash<QGraphicsItem *, QPointer<QObject>> m_keptAlive;
    QSet<const MemoryItem *> m_retired;
};
