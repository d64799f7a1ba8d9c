#pragma once

// The graphics scene of one node of the project tree. Level 1 to 4 canvases
// hold process diagrams, level 5 canvases hold state machines. The canvas
// turns mouse input into insertions and connections according to its drawing
// mode, keeps its items in one registry (a list per kind), gives new items
// their identity and stacking order and owns the undo stack of its edits.
// It reports what its edits mean for the project through signals; it knows
// neither the project nor the window. Whatever depends on an item's kind
// (what a click or a drag in a mode makes, how an item is deleted) it asks
// the kind's description (ItemKind, found through ItemKinds).
//
// Ownership: items in the scene belong to the scene. Items an undo command
// took out of the scene stay alive for a later undo or redo; the canvas
// destroys whatever is still out of the scene when it is destroyed itself.
// The registry holds non-owning pointers.

#include "FloatingEnds.h"
#include "ItemCanvas.h"
#include "ItemRegistry.h"
#include "ItemTypes.h"
#include "ItemMove.h"

#include <QGraphicsScene>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QVector>

#include <functional>

class DataflowItem;
class FloatingLinkItem;
class FloatingMemoryItem;
class InitialTransition;
class InitialTransitionLine;
class ItemKind;
class LinkItem;
class MemoryItem;
class ProcessItem;
class QGraphicsLineItem;
class QGraphicsTextItem;
class QKeyEvent;
class QMenu;
class QUndoCommand;
class QUndoStack;
class StateItem;
class TextItem;
class TransitionItem;

class Canvas final : public QGraphicsScene, public ItemCanvas
{
    Q_OBJECT
public:
    // menus: the window's context menus, one per item kind in the order of
    // the kinds' menu indexes (ItemKind::Tool, copied; null, or null
    // entries, give items without a menu).
    explicit Canvas(QMenu *const *menus, QObject *parent = nullptr);
    ~Canvas() override;

    QGraphicsScene *graphicsScene() override { return this; }
    // The context menu of items of type number `type` (null without one).
    QMenu *menuOf(int type) const override;

    // --- identity -----------------------------------------------------------
    QString name() const { return m_name; }
    // On the project's own canvas: the project's default module style for
    // its state machines ("classic", "instance"; empty: classic).
    const QString &codeStyle() const { return m_codeStyle; }
    void setCodeStyle(const QString &style) { m_codeStyle = style; }
    // On the project's own canvas: the C type of its machines' time in
    // state, as stored ("uint8_t", "uint16_t", "uint32_t"; empty: uint32_t).
    const QString &counterType() const { return m_counterType; }
    void setCounterType(const QString &type) { m_counterType = type; }
    // Also shows the name in the title item, which joins the scene.
    void setName(const QString &name);
    int level() const override { return m_level; }
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

    // The kind the drawing mode makes; null in select mode.
    const ItemKind *mode() const { return m_mode; }
    int processShape() const override { return m_processShape; }
    void setProcessShape(int shape) { m_processShape = shape; }

    // --- stacking -----------------------------------------------------------
    qreal highestZ() const
    {
        makePendingItems();
        return m_highestZ;
    }
    // Raises the highest stacking value by one and returns it: the value of
    // an item that goes on top of all others.
    qreal nextZValue() override
    {
        makePendingItems();
        return ++m_highestZ;
    }
    // Keeps `z` at or below the highest stacking value, so an item brought
    // to front later goes above an item that was given `z`.
    void coverZValue(qreal z)
    {
        makePendingItems();
        m_highestZ = qMax(m_highestZ, z);
    }
    // Identity of an item created on this canvas: level one below the
    // canvas, the canvas's id and parentId as its parent ids, and a
    // stacking value above every other item.
    void stampIdentity(DiagramItem *item) override;

    QUndoStack *undoStack() const override { return m_undoStack; }

    // --- items made on first need ---------------------------------------------------
    // The canvases of an opened project are made before their items: the
    // source makes them (registered and stacked) the first time anything asks
    // for this canvas's items, its stacking values or its picture, or when
    // makePendingItems() is called. A canvas shown in a view must have them.
    using ItemSource = std::function<void(Canvas *)>;
    void setPendingItems(ItemSource source) { m_pendingItems = std::move(source); }
    bool hasPendingItems() const { return bool(m_pendingItems); }
    // Const because reading the lists makes them: the items are what the
    // canvas holds, only made later.
    void makePendingItems() const;

    // --- the registry of items (kind by kind, in list order, non-owning) -------------
    QList<StateItem *> states() const override;
    QList<TransitionItem *> transitions() const;
    QList<TextItem *> textItems() const;
    QList<ProcessItem *> processItems() const override;
    QList<LinkItem *> links() const;
    QList<MemoryItem *> memoryItems() const override;
    QList<DataflowItem *> dataflows() const;
    QList<DiagramItem *> itemsOfKind(int kind) const override { return registry().ofKind(kind); }
    // Every listed item, whatever its kind (no particular order of kinds).
    QList<DiagramItem *> allItems() const { return registry().all(); }
    const QList<FloatingLinkItem *> &floatingLinks() const { return m_floatingEnds.links(); }
    const QList<FloatingMemoryItem *> &floatingMemories() const { return m_floatingEnds.memories(); }

    // List bookkeeping only: the scene is not touched. An item already
    // listed stays where it is; registerItemAt puts an item back at a list
    // position it had before (clamped). unregisterItem returns whether the
    // item was listed.
    void registerItem(DiagramItem *item) override { registry().append(item); }
    void registerItemAt(int index, DiagramItem *item) override { registry().insert(index, item); }
    bool unregisterItem(DiagramItem *item) override;
    int registeredIndex(const DiagramItem *item) const override { return registry().indexOf(item); }
    // The listed item behind a graphics item, or null. Safe for pointers to
    // items destroyed meanwhile: they are not listed.
    DiagramItem *registeredItem(const QGraphicsItem *item) const override { return registry().find(item); }

    // --- current items (last right-clicked or double-clicked, per kind) ----------------
    DiagramItem *currentItem(int kind) const { return m_current.value(kind); }
    template <class T> T *current() const { return static_cast<T *>(currentItem(T::Type)); }
    void setCurrentItem(DiagramItem *item);

    // --- initial-state marker ------------------------------------------------------
    InitialTransition *initialDot() const override { return m_initialDot; }
    InitialTransitionLine *initialLine() const { return m_initialLine; }
    // Attaches the dot and its arrow to state and shows both.
    void attachInitialMarker(StateItem *state) override;
    // Detaches both and takes them out of the scene.
    void detachInitialMarker() override;
    // The state the marker is attached to while it is shown, else null.
    StateItem *markedInitialState() const override;
    // Shows the marker at the state whose initial flag is set (the first
    // in list order), or hides it when none is.
    void followInitialFlag() override;

    // --- rubber line and floating ends ------------------------------------------
    QGraphicsLineItem *rubberLine() const { return m_rubberLine; }
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
    // The interface tags of the diagram that details `owner`.
    void rebuildFloatingEnds(const ProcessItem *owner) { m_floatingEnds.rebuildFrom(owner); }

    // --- operations ------------------------------------------------------------------
    // The topmost item whose shape contains point, or null.
    QGraphicsItem *topItemAt(const QPointF &point) const;
    // Solid outlines for every listed item again.
    void unmarkAll();
    // Draws a listed item's outline dotted, the look of a selected item;
    // markedItem() is the item marked last (the one pressed last in select
    // mode) while it is listed and marked.
    void markItem(QGraphicsItem *item);
    QGraphicsItem *markedItem() const;
    // Every listed item that is marked, in registry order.
    QList<DiagramItem *> markedItems() const;
    // Marks exactly the selected listed items: each selected item shows its
    // mark, however it was selected (click, Ctrl+click, rubber band, Select
    // All, paste).
    void markSelection();
    // Selects every listed item of the diagram.
    void selectAllItems();
    // Moves the selected movable items by delta as one undo step; false
    // when nothing was selected to move.
    bool moveSelectionBy(const QPointF &delta);
    // Pushes a self transition on the current state; nothing while there is
    // no current state in the state list.
    void addSelfTransition();
    // The same on the given state (nothing unless it is listed).
    void addSelfTransition(StateItem *state);
    // The selected state a command on "the state" acts on: the one clicked
    // last when several are selected, else the topmost; null when no state
    // is selected.
    StateItem *selectedState() const;
    // Pushes an undoable command on this canvas's stack, which owns it.
    void pushCommand(QUndoCommand *command) override;
    // Pushes the command that inserts item and reports the insertion.
    void pushInsertion(QUndoCommand *command, QGraphicsItem *item) override;
    // Puts a new process item on the diagram as a click in process mode
    // does: identity, a label free on the canvas (wantedLabel when it is
    // free, else a copy label of it; empty: the usual "process_" label),
    // stacking and the signals that make its node, diagram and undo step.
    void placeProcessItem(ProcessItem *item, const QString &wantedLabel = QString()) override;

    // The Delete command on the current selection, in selection order. Each
    // item goes through its kind's undo step (deleteItem); process items
    // need the tree and the project's other canvases, so each is handed to
    // processHandler instead (the project deletes it with its diagrams as
    // one undo step). Returns true when a deletable item was
    // selected. Items destroyed by an earlier deletion of the same selection
    // are skipped.
    bool deleteSelection(const std::function<void(ProcessItem *)> &processHandler = {});
    // Pushes the delete step of a listed item, as its kind deletes it
    // (ItemKind::pushDeletion); returns true when it was listed. Kinds that
    // open a diagram (process items) are the project's to delete: they
    // return true without any change.
    bool deleteItem(QGraphicsItem *item);

    // Items an undo command took out of the scene stay alive; the canvas
    // destroys those still out of the scene when it is destroyed.
    void keepAlive(QGraphicsItem *item) override;

    // Takes item out of this scene if it is in it.
    void takeFromScene(QGraphicsItem *item) override;
    // Puts item into this scene unless it is there already.
    void putInScene(QGraphicsItem *item) override;

signals:
    // The canvas changed in a way no undo command holds.
    void edited();
    // An insertion or connection is done: the drawing tool has done its work.
    void itemInserted(QGraphicsItem *item);
    // A process item was inserted; its node and canvas are the project's.
    void processItemInserted(ProcessItem *item);
    // A double-click asked for the properties of an item.
    void propertiesRequested(QGraphicsItem *item);

public slots:
    // The kind whose items a click or drag makes; null: select mode.
    void setMode(const ItemKind *kind);

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;
    // Arrow keys in select mode move the selection (see arrowKeyStep).
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool isConnectionMode() const;
    void rememberDragStart();
    void finishDrag();
    void startRubberLine(const QPointF &point);
    // Takes the rubber line out of the scene and destroys it, if there is one.
    void dropRubberLine();
    void rememberClickedState(QGraphicsItem *item);
    void finishRubberLine();
    void connectItems(QGraphicsItem *start, QGraphicsItem *end);
    void makeCurrent(QGraphicsItem *item);
    // Detaches the dataflows an undo took off the canvas together with their
    // memory item (see AddMemoryCommand) whose process item is `process`.
    QList<DataflowItem *> detachHiddenDataflows(const ProcessItem *process);

    // The registry, with the pending items made first.
    const ItemRegistry &registry() const
    {
        makePendingItems();
        return m_items;
    }
    ItemRegistry &registry()
    {
        makePendingItems();
        return m_items;
    }

    ItemRegistry m_items;
    mutable ItemSource m_pendingItems;
    QHash<int, DiagramItem *> m_current;
    StateItem *m_clickedState = nullptr;   // the state last clicked (either button)

    qreal m_highestZ = 0;
    QVector<QMenu *> m_menus;   // indexed by the kinds' menu indexes

    QUndoStack *m_undoStack = nullptr;

    InitialTransition *m_initialDot = nullptr;
    InitialTransitionLine *m_initialLine = nullptr;
    QGraphicsLineItem *m_rubberLine = nullptr;
    // From a press in a connection mode to its release: the press also
    // made the item under it the scene's mouse grabber, so moves of this
    // gesture never reach the scene, even after Escape ended the mode.
    bool m_connectionGesture = false;
    QGraphicsItem *m_markedItem = nullptr;   // may be gone: see markedItem()
    const ItemKind *m_mode = nullptr;   // the kind the mode makes; null: select
    FloatingEnds m_floatingEnds;

    QString m_name;
    QString m_codeStyle;
    QString m_counterType;
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
    // Where the selected items stood when the left button went down in
    // select mode; the release makes one move step of what moved.
    QVector<ItemMove> m_dragStart;
};
