#pragma once

// One kind of diagram item (state, transition, text, process, link, memory,
// dataflow) as the shared scene code sees it. Each kind describes itself in
// a class of its own (StateKind, ...), and ItemKinds finds the description
// by type number, so the canvas, its undo steps, the label rules and the
// step texts ask the kind instead of naming kinds one by one.

#include "ItemRecord.h"

#include <QString>

class ItemCanvas;
class CanvasSteps;
class DiagramItem;
class QGraphicsItem;
class QPointF;

class ItemKind
{
public:
    virtual ~ItemKind() = default;

    // The type number its items answer from type() (ItemType).
    virtual int type() const = 0;
    // The index of its record's alternative in ItemRecord
    // (itemRecordIndex<StateRecord>()): the model's kind, which gives its
    // file order and load rank (RecordKinds).
    virtual int recordIndex() const = 0;
    // How undo steps name it: "State", "Process Item".
    virtual QString name() const = 0;
    // How label refusals name it: "state", "process item".
    virtual QString noun() const = 0;
    // How the window offers the kind: plain data, from which the window
    // derives its tool action, cursor, context menu and tool sets.
    struct Tool
    {
        // The number of the drawing mode that makes it (0..6; select is
        // ItemKinds::SelectModeNumber).
        int mode;
        // Its context menu among the canvas's menus (0..6, the window's
        // menu array holds them in this order).
        int menuIndex;
        // Object name of the window's tool action that chooses the mode.
        const char *action;
        // Resource path of the image of the mode's mouse cursor.
        const char *cursorImage;
        // The tree levels whose diagrams offer the tool (first..last).
        int firstLevel;
        int lastLevel;
    };
    virtual Tool tool() const = 0;
    int menuIndex() const { return tool().menuIndex; }

    // Labels. The project file joins other records to items of some kinds
    // by label, so those need labels of their own on their canvas.
    virtual bool hasUniqueLabel() const { return false; }
    // Whether one item of the kind on a canvas may stay unlabelled.
    virtual bool labelMayBeEmpty() const { return false; }
    // Whether the label must stay on one line without tabs.
    virtual bool labelOnOneLine() const { return false; }

    // A click at point in the kind's mode: makes the item, with its undo
    // step where it has one, and reports the insertion (nothing for a kind
    // that is not placed by a click).
    virtual void insertAt(ItemCanvas &canvas, const QPointF &point) const;
    // Whether the kind is drawn as a line from one item to another.
    virtual bool isConnection() const { return false; }
    // A line drawn from start to end in the kind's mode: makes the
    // connection with its undo step when the two items fit, and returns it
    // (null when they do not).
    virtual QGraphicsItem *connect(ItemCanvas &canvas, QGraphicsItem *start,
                                   QGraphicsItem *end) const;

    // Makes an item of the kind from its record (a record of the kind) on
    // canvas, stacked at z, and puts it in the scene; a connection comes
    // with its lines and is recorded on its ends. start and end are the
    // items the record joins (a dataflow's process item and memory item,
    // whatever its direction); null for a kind that joins nothing. The
    // caller lists the item.
    virtual DiagramItem *fromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z,
                                    DiagramItem *start, DiagramItem *end) const = 0;
    // Called after a load made and listed item, before the items of the
    // kinds that follow in load order are made.
    virtual void loaded(ItemCanvas &canvas, DiagramItem *item) const;

    // Whether each item of the kind opens a diagram of its own: the project
    // then inserts and deletes it with its node and diagrams (not the
    // canvas's undo steps), and the file stores it as the head of that
    // diagram's block rather than in a group of its canvas.
    virtual bool opensDiagram() const { return false; }
    // Whether the kind is drawn on state machines only: only those store
    // its records.
    virtual bool onMachinesOnly() const { return false; }
    // Pushes the undo step that deletes the listed item from canvas.
    virtual void pushDeletion(ItemCanvas &canvas, DiagramItem *item) const = 0;

    // The shared work of the undo steps: putting a listed kind's item back
    // on the canvas (scene, list, its ends' lists) and taking it away again,
    // keeping it alive. Each returns whether it changed anything: a step
    // whose work is already done changes nothing.
    virtual bool putBack(CanvasSteps &steps, DiagramItem *item) const = 0;
    virtual bool takeAway(CanvasSteps &steps, DiagramItem *item) const = 0;

protected:
    // fromRecord of a kind that joins nothing: make(record) creates the
    // item, which takes the record, the stacking value and its place in
    // the scene. Null for a record of another kind.
    template <typename Record, typename Make>
    static DiagramItem *placeFromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z,
                                        Make make);
};

#include "ItemCanvas.h"
#include <QGraphicsScene>

template <typename Record, typename Make>
DiagramItem *ItemKind::placeFromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z, Make make)
{
    const auto *r = std::get_if<Record>(&record);
    if (!r)
        return nullptr;
    auto *item = make(*r);
    item->applyRecord(*r);
    item->setZValue(z);
    canvas.graphicsScene()->addItem(item);
    return item;
}
