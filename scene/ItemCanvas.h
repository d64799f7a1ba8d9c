#pragma once

// What the item kinds, their undo steps and the label rules need of the
// canvas their items are on: the scene, the registry of listed items, the
// undo stack, new items' identity and stacking, the context menus and the
// initial-state marker. Canvas implements it; the kinds and commands see
// only this, so they never include the canvas (which includes them).

#include <QList>
#include <QString>

class DiagramItem;
class InitialTransition;
class MemoryItem;
class ProcessItem;
class QGraphicsItem;
class QGraphicsScene;
class QMenu;
class QUndoCommand;
class QUndoStack;
class StateItem;

class ItemCanvas
{
public:
    // The graphics scene itself (to add items, repaint, clear the selection).
    virtual QGraphicsScene *graphicsScene() = 0;
    // The context menu of items of type number `type` (null without one).
    virtual QMenu *menuOf(int type) const = 0;
    virtual int level() const = 0;
    // The shape a new process item takes.
    virtual int processShape() const = 0;

    // Stacking and identity of new items (see Canvas).
    virtual qreal nextZValue() = 0;
    virtual void stampIdentity(DiagramItem *item) = 0;

    // The registry of listed items (non-owning, see Canvas).
    virtual QList<DiagramItem *> itemsOfKind(int kind) const = 0;
    virtual QList<StateItem *> states() const = 0;
    virtual QList<ProcessItem *> processItems() const = 0;
    virtual QList<MemoryItem *> memoryItems() const = 0;
    virtual void registerItem(DiagramItem *item) = 0;
    virtual void registerItemAt(int index, DiagramItem *item) = 0;
    virtual bool unregisterItem(DiagramItem *item) = 0;
    virtual int registeredIndex(const DiagramItem *item) const = 0;
    virtual DiagramItem *registeredItem(const QGraphicsItem *item) const = 0;

    // The scene without the registry; keeping alive what a command took out.
    virtual void putInScene(QGraphicsItem *item) = 0;
    virtual void takeFromScene(QGraphicsItem *item) = 0;
    virtual void keepAlive(QGraphicsItem *item) = 0;

    // Undo steps.
    virtual QUndoStack *undoStack() const = 0;
    virtual void pushCommand(QUndoCommand *command) = 0;
    virtual void pushInsertion(QUndoCommand *command, QGraphicsItem *item) = 0;
    virtual void placeProcessItem(ProcessItem *item, const QString &wantedLabel = QString()) = 0;

    // The initial-state marker.
    virtual InitialTransition *initialDot() const = 0;
    virtual void attachInitialMarker(StateItem *state) = 0;
    virtual void detachInitialMarker() = 0;
    virtual StateItem *markedInitialState() const = 0;
    virtual void followInitialFlag() = 0;

protected:
    ~ItemCanvas() = default;
};
