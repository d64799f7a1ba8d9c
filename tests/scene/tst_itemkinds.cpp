#include "Canvas.h"
#include "DataflowItem.h"
#include "ItemKind.h"
#include "ItemKinds.h"
#include "RecordKinds.h"
#include "SubMachineLevels.h"
#include "LinkItem.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "RecordEquality.h"
#include "SceneMouse.h"
#include "StateItem.h"
#include "TransitionItem.h"
#include "TransitionLine.h"

#include <QSet>
#include <QUndoStack>
#include <QtTest>

// The item kinds as the canvas and the builder reach them through their
// registry: every kind is found by type and by drawing mode, in the load
// order the saved stacking relies on; every kind remakes its items from
// their records; every kind's delete step is undone back to its list place.
class TestItemKinds : public QObject
{
    Q_OBJECT

    static Canvas *newCanvas(int level)
    {
        auto *canvas = new Canvas(nullptr);
        canvas->setLevel(level);
        canvas->setId(2);
        canvas->setParentId(1);
        canvas->setGrandParentId(1);
        canvas->setSceneRect(0, 0, 1600, 1000);
        return canvas;
    }

    static QPointF centreOf(const QGraphicsItem *item) { return item->sceneBoundingRect().center(); }

    static void clickIn(Canvas *canvas, const ItemKind * mode, const QPointF &point)
    {
        canvas->setMode(mode);
        SceneMouse::click(canvas, point);
    }

    static void connect(Canvas *canvas, const ItemKind * mode, const QGraphicsItem *from,
                        const QGraphicsItem *to)
    {
        canvas->setMode(mode);
        SceneMouse::drag(canvas, centreOf(from), centreOf(to));
    }

    // Three states, two transitions and a self transition, two texts, all
    // drawn with the mouse.
    static Canvas *machine()
    {
        Canvas *canvas = newCanvas(5);
        for (int x : {200, 700, 1200})
            clickIn(canvas, ItemKinds::of(ItemType::State), QPointF(x, 200));
        const QList<StateItem *> states = canvas->states();
        connect(canvas, ItemKinds::of(ItemType::Transition), states.at(0), states.at(1));
        connect(canvas, ItemKinds::of(ItemType::Transition), states.at(2), states.at(1));
        canvas->addSelfTransition(states.at(2));
        clickIn(canvas, ItemKinds::of(ItemType::Text), QPointF(200, 700));
        clickIn(canvas, ItemKinds::of(ItemType::Text), QPointF(700, 700));
        canvas->setMode(nullptr);
        return canvas;
    }

    // Three process items, two links, two memory items and a dataflow each
    // way.
    static Canvas *processDiagram()
    {
        Canvas *canvas = newCanvas(2);
        for (int x : {200, 700, 1200})
            clickIn(canvas, ItemKinds::of(ItemType::Process), QPointF(x, 200));
        clickIn(canvas, ItemKinds::of(ItemType::Memory), QPointF(300, 700));
        clickIn(canvas, ItemKinds::of(ItemType::Memory), QPointF(900, 700));
        const QList<ProcessItem *> processes = canvas->processItems();
        const QList<MemoryItem *> memories = canvas->memoryItems();
        connect(canvas, ItemKinds::of(ItemType::Link), processes.at(0), processes.at(1));
        connect(canvas, ItemKinds::of(ItemType::Link), processes.at(2), processes.at(1));
        connect(canvas, ItemKinds::of(ItemType::Dataflow), processes.at(0), memories.at(0));
        connect(canvas, ItemKinds::of(ItemType::Dataflow), memories.at(1), processes.at(2));
        canvas->setMode(nullptr);
        return canvas;
    }

    // The items a connection joins, as its kind's fromRecord takes them.
    static void endsOf(const DiagramItem *item, const QHash<const DiagramItem *, DiagramItem *> &made,
                       DiagramItem **start, DiagramItem **end)
    {
        const DiagramItem *from = nullptr;
        const DiagramItem *to = nullptr;
        if (const auto *t = qobject_cast<const TransitionItem *>(item)) {
            from = t->startItem();
            to = t->endItem();
        } else if (const auto *l = qobject_cast<const LinkItem *>(item)) {
            from = l->startItem();
            to = l->endItem();
        } else if (const auto *d = qobject_cast<const DataflowItem *>(item)) {
            from = d->process();
            to = d->memory();
        }
        *start = made.value(from);
        *end = made.value(to);
    }

    // Every item of `from` remade on `to` by its kind from its record, kind
    // by kind in load order; once all are made, each copy must give back the
    // record it was made from (a state's record lists its transitions).
    static void remakeAll(Canvas *from, Canvas *to)
    {
        QHash<const DiagramItem *, DiagramItem *> made;
        QList<QPair<ItemRecord, const DiagramItem *>> records;
        qreal z = 10;
        for (const ItemKind *kind : ItemKinds::all()) {
            const QList<DiagramItem *> items = from->itemsOfKind(kind->type());
            for (const DiagramItem *item : items) {
                DiagramItem *start = nullptr;
                DiagramItem *end = nullptr;
                endsOf(item, made, &start, &end);
                const ItemRecord record = item->record();
                DiagramItem *copy = kind->fromRecord(*to, record, ++z, start, end);
                QVERIFY2(copy, qPrintable(kind->name()));
                to->registerItem(copy);
                made.insert(item, copy);
                QCOMPARE(copy->type(), kind->type());
                QCOMPARE(copy->scene(), static_cast<QGraphicsScene *>(to));
                QCOMPARE(copy->zValue(), z);
                records.append(qMakePair(record, copy));
            }
            QCOMPARE(to->itemsOfKind(kind->type()).size(), items.size());
        }
        for (const auto &pair : qAsConst(records)) {
            const ItemRecord again = pair.second->record();
            QVERIFY2(RecordEquality::sameStoredFields(pair.first, again),
                     qPrintable(ItemKinds::of(pair.second->type())->name() + QStringLiteral(": ")
                                + RecordEquality::changedFields(pair.first, again)
                                      .join(QLatin1Char(' '))));
        }
    }

private slots:
    void registryFindsEveryKindInLoadOrder()
    {
        // Stacking values saved in files count a canvas's items kind by
        // kind in this order.
        const QList<int> loadOrder = {ItemType::Process, ItemType::State,     ItemType::Transition,
                                      ItemType::Text,    ItemType::Link,      ItemType::Memory,
                                      ItemType::Dataflow};
        // The drawing-mode numbers are fixed (select is 7), and so are the
        // places of the kinds' context menus in the window's menu array.
        const QHash<int, int> modes = {{ItemType::State, 0},   {ItemType::Transition, 1},
                                       {ItemType::Text, 2},    {ItemType::Process, 3},
                                       {ItemType::Link, 4},    {ItemType::Memory, 5},
                                       {ItemType::Dataflow, 6}};
        QList<int> types;
        QSet<QString> names;
        QSet<QByteArray> actions, cursors;
        QList<int> ranks;
        for (const ItemKind *kind : ItemKinds::all()) {
            types << kind->type();
            names << kind->name();
            const ItemKind::Tool tool = kind->tool();
            actions << tool.action;
            cursors << tool.cursorImage;
            QCOMPARE(tool.mode, modes.value(kind->type(), -1));
            QCOMPARE(kind->menuIndex(), tool.mode);
            QVERIFY(tool.firstLevel >= 1 && tool.firstLevel <= tool.lastLevel && tool.lastLevel <= DeepestCanvasLevel);
            QCOMPARE(ItemKinds::of(kind->type()), kind);
            QCOMPARE(ItemKinds::forMode(tool.mode), kind);
            // The scene hands its kinds out in the model's load order.
            QCOMPARE(ItemKinds::forRecord(kind->recordIndex()), kind);
            ranks << RecordKinds::rankOfRecordIndex(kind->recordIndex());
        }
        QCOMPARE(ranks, QList<int>({0, 1, 2, 3, 4, 5, 6}));
        QCOMPARE(types, loadOrder);
        QCOMPARE(names.size(), loadOrder.size());
        QCOMPARE(actions.size(), loadOrder.size());
        QCOMPARE(cursors.size(), loadOrder.size());
        QVERIFY(!ItemKinds::of(ItemType::FloatingLink));
        QVERIFY(!ItemKinds::of(ItemType::FloatingMemory));
        QVERIFY(!ItemKinds::forMode(ItemKinds::SelectModeNumber));
    }

    void everyKindRemakesItsItemsFromTheirRecords()
    {
        for (Canvas *(*make)() : {&TestItemKinds::machine, &TestItemKinds::processDiagram}) {
            QScopedPointer<Canvas> source(make());
            QScopedPointer<Canvas> copy(newCanvas(source->level()));
            remakeAll(source.data(), copy.data());
            if (QTest::currentTestFailed())
                return;
        }
    }

    void remadeConnectionsAreRecordedOnTheirEnds()
    {
        QScopedPointer<Canvas> source(machine());
        QScopedPointer<Canvas> copy(newCanvas(source->level()));
        remakeAll(source.data(), copy.data());
        if (QTest::currentTestFailed())
            return;
        const QList<StateItem *> states = copy->states();
        QCOMPARE(states.at(1)->transitions().size(), 2);
        QCOMPARE(states.at(2)->selfTransitions().size(), 1);
        for (TransitionItem *t : copy->transitions()) {
            QVERIFY(t->startLine() && t->startLine()->scene() == copy.data());
            QVERIFY(t->endLine() && t->endLine()->scene() == copy.data());
        }

        QScopedPointer<Canvas> diagram(processDiagram());
        QScopedPointer<Canvas> diagramCopy(newCanvas(diagram->level()));
        remakeAll(diagram.data(), diagramCopy.data());
        if (QTest::currentTestFailed())
            return;
        const QList<ProcessItem *> processes = diagramCopy->processItems();
        QCOMPARE(processes.at(1)->links().size(), 2);
        QCOMPARE(processes.at(0)->dataflows().size(), 1);
        QCOMPARE(diagramCopy->memoryItems().at(1)->dataflows().size(), 1);
        const DataflowItem *inward = diagramCopy->dataflows().at(1);
        QCOMPARE(inward->process(), processes.at(2));
        QCOMPARE(inward->lineType(), int(DataflowItem::MemoryToProcess));
    }

    void everyKindsDeletionIsUndoneToItsListPlace()
    {
        for (Canvas *(*make)() : {&TestItemKinds::machine, &TestItemKinds::processDiagram}) {
            QScopedPointer<Canvas> canvas(make());
            for (const ItemKind *kind : ItemKinds::all()) {
                const QList<DiagramItem *> before = canvas->itemsOfKind(kind->type());
                if (before.isEmpty())
                    continue;
                DiagramItem *first = before.first();
                const int steps = canvas->undoStack()->index();
                QVERIFY(canvas->deleteItem(first));
                if (kind->opensDiagram()) {
                    // The project deletes those, with their diagrams.
                    QCOMPARE(canvas->undoStack()->index(), steps);
                    QCOMPARE(canvas->itemsOfKind(kind->type()), before);
                    continue;
                }
                QCOMPARE(canvas->undoStack()->index(), steps + 1);
                QVERIFY2(!canvas->registeredItem(first), qPrintable(kind->name()));
                QVERIFY(!first->scene());
                canvas->undoStack()->undo();
                QCOMPARE(canvas->itemsOfKind(kind->type()), before);
                QCOMPARE(first->scene(), static_cast<QGraphicsScene *>(canvas.data()));
                canvas->undoStack()->redo();
                QVERIFY(!canvas->registeredItem(first));
                canvas->undoStack()->undo();
            }
        }
    }
};

QTEST_MAIN(TestItemKinds)
#include "tst_itemkinds.moc"
