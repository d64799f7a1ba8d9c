#include "AddMemoryCommand.h"
#include "AddStateCommand.h"
#include "AddTextCommand.h"
#include "AddTransitionCommand.h"
#include "Canvas.h"
#include "DataflowItem.h"
#include "DataflowLine.h"
#include "DeleteStateCommand.h"
#include "DeleteTextCommand.h"
#include "DeleteTransitionCommand.h"
#include "InitialTransition.h"
#include "InitialTransitionLine.h"
#include "ItemKind.h"
#include "ItemKinds.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "SceneMouse.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "TransitionLine.h"

#include <QAction>
#include <QRandomGenerator>
#include <QUndoStack>
#include <QtTest>

namespace {

// Everything the undo commands may change. Lists keep their order: the
// order of a state's transitions is the order the generated code tests
// them in, so undo must put items back where they stood.
struct Snapshot
{
    QSet<QGraphicsItem *> scene;
    QList<StateItem *> states;
    QList<TransitionItem *> transitions;
    QList<TextItem *> texts;
    QList<MemoryItem *> memories;
    QMap<StateItem *, QList<TransitionItem *>> attached;
    QMap<StateItem *, QList<TransitionItem *>> selfAttached;
    StateItem *initial = nullptr;

    bool operator==(const Snapshot &o) const
    {
        return scene == o.scene && states == o.states && transitions == o.transitions
                && texts == o.texts && memories == o.memories && attached == o.attached
                && selfAttached == o.selfAttached && initial == o.initial;
    }
};

template <class T> QSet<T> toSet(const QList<T> &list)
{
    return QSet<T>(list.begin(), list.end());
}

Snapshot snapshot(const Canvas &canvas)
{
    Snapshot s;
    s.scene = toSet(canvas.items());
    s.states = canvas.states();
    s.transitions = canvas.transitions();
    s.texts = canvas.textItems();
    s.memories = canvas.memoryItems();
    for (StateItem *state : canvas.states()) {
        s.attached[state] = state->transitions();
        s.selfAttached[state] = state->selfTransitions();
    }
    s.initial = canvas.markedInitialState();
    return s;
}

// Lists, scene and the states' transition lists must agree. Returns the
// first disagreement found, or an empty text.
QString checkConsistency(const Canvas &canvas)
{
    const auto states = canvas.states();
    const auto transitions = canvas.transitions();
    if (toSet(states).size() != states.size() || toSet(transitions).size() != transitions.size()
            || toSet(canvas.textItems()).size() != canvas.textItems().size())
        return "duplicate in a list";
    int expectedSceneItems = 1;   // the title
    for (StateItem *s : states) {
        if (s->scene() != &canvas)
            return "listed state not in the scene";
        for (TransitionItem *t : s->transitions()) {
            if (!transitions.contains(t))
                return "state records an unlisted transition";
            if (t->isSelfTransition() || (t->startItem() != s && t->endItem() != s))
                return "state records a foreign transition";
            if (s->transitions().count(t) != 1)
                return "transition recorded twice";
        }
        for (TransitionItem *t : s->selfTransitions()) {
            if (!transitions.contains(t) || !t->isSelfTransition() || t->startItem() != s)
                return "bad self transition record";
        }
    }
    for (TransitionItem *t : transitions) {
        if (t->scene() != &canvas || t->startLine()->scene() != &canvas
                || t->endLine()->scene() != &canvas)
            return "listed transition or line not in the scene";
        if (!states.contains(t->startItem()) || !states.contains(t->endItem()))
            return "transition to a state not on the canvas";
        if (t->isSelfTransition()) {
            if (t->startItem()->selfTransitions().count(t) != 1)
                return "self transition not recorded once";
        } else if (t->startItem()->transitions().count(t) != 1
                   || t->endItem()->transitions().count(t) != 1) {
            return "transition not recorded once on both states";
        }
    }
    for (TextItem *t : canvas.textItems()) {
        if (t->scene() != &canvas)
            return "listed text not in the scene";
    }
    for (MemoryItem *m : canvas.memoryItems()) {
        if (m->scene() != &canvas)
            return "listed memory not in the scene";
    }
    expectedSceneItems += states.size() + 3 * transitions.size() + canvas.textItems().size()
            + canvas.memoryItems().size();
    if (StateItem *initial = canvas.markedInitialState()) {
        if (!states.contains(initial) || !initial->isInitialState())
            return "marker on a state that is not an initial state on the canvas";
        expectedSceneItems += 2;
    } else if (canvas.initialLine()->scene()) {
        return "marker line without its dot";
    }
    if (canvas.items().size() != expectedSceneItems)
        return QString("scene holds %1 items, lists account for %2")
                .arg(canvas.items().size()).arg(expectedSceneItems);
    return QString();
}

} // namespace

class TestUndo : public QObject
{
    Q_OBJECT

    static Canvas *newCanvas()
    {
        auto *canvas = new Canvas(nullptr);
        canvas->setLevel(5);
        canvas->setId(1);
        canvas->setParentId(1);
        canvas->setGrandParentId(1);
        canvas->setName("machine");
        return canvas;
    }

    static StateItem *addState(Canvas *c, qreal x, qreal y)
    {
        auto *cmd = new AddStateCommand(c, x, y);
        c->pushCommand(cmd);
        return cmd->state();
    }
    static TransitionItem *addTransition(Canvas *c, StateItem *a, StateItem *b)
    {
        auto *cmd = new AddTransitionCommand(c, a, b);
        c->pushCommand(cmd);
        return cmd->transition();
    }

    // One random step of an editing session.
    static void randomStep(Canvas *c, QRandomGenerator &rng)
    {
        const auto pick = [&rng](const auto &list) { return list.at(rng.bounded(list.size())); };
        const int op = rng.bounded(100);
        const qreal x = rng.bounded(1500);
        const qreal y = rng.bounded(900);
        if (op < 14) {
            addState(c, x, y);
        } else if (op < 20) {
            c->pushCommand(new AddTextCommand(c, x, y));
        } else if (op < 24) {
            c->pushCommand(new AddMemoryCommand(c, x, y));
        } else if (op < 38) {
            if (c->states().size() >= 2) {
                StateItem *a = pick(c->states());
                StateItem *b = pick(c->states());
                if (a != b)
                    addTransition(c, a, b);
            }
        } else if (op < 44) {
            if (!c->states().isEmpty()) {
                c->setCurrentItem(pick(c->states()));
                c->addSelfTransition();
            }
        } else if (op < 47) {
            // Make a state initial the way the property dialog would.
            if (!c->states().isEmpty() && !c->markedInitialState()) {
                bool any = false;
                for (StateItem *s : c->states())
                    any = any || s->isInitialState();
                if (!any) {
                    StateItem *s = pick(c->states());
                    s->setInitialState(true);
                    c->attachInitialMarker(s);
                }
            }
        } else if (op < 62) {
            randomDelete(c, rng);
        } else if (op < 84) {
            c->undoStack()->undo();
        } else {
            c->undoStack()->redo();
        }
    }

    static void randomDelete(Canvas *c, QRandomGenerator &rng)
    {
        QList<QGraphicsItem *> candidates;
        for (StateItem *s : c->states())
            candidates << s;
        for (TransitionItem *t : c->transitions())
            candidates << t;
        for (TextItem *t : c->textItems())
            candidates << t;
        if (candidates.isEmpty())
            return;
        c->clearSelection();
        QGraphicsItem *first = candidates.at(rng.bounded(candidates.size()));
        first->setSelected(true);
        // Often a state together with one of its own transitions.
        if (first->type() == ItemType::State && rng.bounded(2)) {
            auto *s = static_cast<StateItem *>(first);
            QList<TransitionItem *> own = s->transitions() + s->selfTransitions();
            if (!own.isEmpty())
                own.at(rng.bounded(own.size()))->setSelected(true);
        }
        // Sometimes a few more items.
        for (int extra = rng.bounded(3); extra > 0; --extra)
            candidates.at(rng.bounded(candidates.size()))->setSelected(true);
        c->deleteSelection();
    }

private slots:
    void insertUndoRedoKeepsTheSameState()
    {
        QScopedPointer<Canvas> c(newCanvas());
        StateItem *s = addState(c.data(), 100, 200);
        QCOMPARE(s->pos(), QPointF(100, 200));
        QCOMPARE(s->level(), 6);
        QCOMPARE(s->zValue(), 1.0);
        c->undoStack()->undo();
        QVERIFY(c->states().isEmpty());
        QCOMPARE(s->scene(), nullptr);
        c->undoStack()->redo();
        QCOMPARE(c->states(), QList<StateItem *>({s}));
        QCOMPARE(s->scene(), c.data());
        QCOMPARE(s->pos(), QPointF(100, 200));
        QCOMPARE(static_cast<const AddStateCommand *>(c->undoStack()->command(0))->state(), s);
    }

    void textUndoRedoOrder()
    {
        QScopedPointer<Canvas> c(newCanvas());
        auto *a = new AddTextCommand(c.data(), 100, 100);
        auto *b = new AddTextCommand(c.data(), 400, 100);
        TextItem *textA = a->textItem();
        TextItem *textB = b->textItem();
        c->pushCommand(a);
        c->pushCommand(b);
        c->undoStack()->undo();
        c->undoStack()->undo();
        c->undoStack()->redo();
        QCOMPARE(c->textItems(), QList<TextItem *>({textA}));
        QCOMPARE(textA->scene(), c.data());
        QCOMPARE(textB->scene(), nullptr);
    }

    void emptyHistoryUndoDoesNothing()
    {
        QScopedPointer<Canvas> c(newCanvas());
        const Snapshot before = snapshot(*c);
        c->undoStack()->undo();
        c->undoStack()->redo();
        c->undoStack()->undo();
        QVERIFY(snapshot(*c) == before);
        QVERIFY(!c->undoStack()->canUndo());
    }

    void deletedStateComesBackWithAllItsTransitions()
    {
        QScopedPointer<Canvas> c(newCanvas());
        StateItem *s = addState(c.data(), 500, 300);
        StateItem *left = addState(c.data(), 0, 300);
        StateItem *right = addState(c.data(), 1000, 300);
        TransitionItem *in = addTransition(c.data(), left, s);
        TransitionItem *out = addTransition(c.data(), s, right);
        c->setCurrentItem(s);
        c->addSelfTransition();
        TransitionItem *self = s->selfTransitions().first();
        const int before = c->items().size();
        QCOMPARE(before, 1 + 3 + 9);

        c->clearSelection();
        s->setSelected(true);
        QVERIFY(c->deleteSelection());
        QCOMPARE(c->items().size(), 1 + 2);
        QVERIFY(c->transitions().isEmpty());
        QVERIFY(left->transitions().isEmpty());
        QVERIFY(right->transitions().isEmpty());

        c->undoStack()->undo();
        QCOMPARE(c->items().size(), before);
        for (TransitionItem *t : {in, out, self}) {
            QVERIFY(c->transitions().contains(t));
            QCOMPARE(t->scene(), c.data());
            QCOMPARE(t->startLine()->scene(), c.data());
            QCOMPARE(t->endLine()->scene(), c.data());
        }
        QCOMPARE(left->transitions(), QList<TransitionItem *>({in}));
        QCOMPARE(right->transitions(), QList<TransitionItem *>({out}));
        QCOMPARE(s->selfTransitions(), QList<TransitionItem *>({self}));
        QCOMPARE(checkConsistency(*c), QString());
    }

    void stateDeletedTogetherWithItsTransition()
    {
        // In either selection order nothing is changed twice.
        for (bool transitionFirst : {false, true}) {
            QScopedPointer<Canvas> c(newCanvas());
            StateItem *a = addState(c.data(), 0, 0);
            StateItem *b = addState(c.data(), 600, 0);
            TransitionItem *t = addTransition(c.data(), a, b);
            const Snapshot full = snapshot(*c);
            if (transitionFirst) {
                c->pushCommand(new DeleteTransitionCommand(c.data(), t));
                c->pushCommand(new DeleteStateCommand(c.data(), a));
            } else {
                c->pushCommand(new DeleteStateCommand(c.data(), a));
                c->pushCommand(new DeleteTransitionCommand(c.data(), t));
            }
            QCOMPARE(checkConsistency(*c), QString());
            QVERIFY(b->transitions().isEmpty());
            QCOMPARE(t->scene(), nullptr);
            c->undoStack()->undo();
            QCOMPARE(checkConsistency(*c), QString());
            c->undoStack()->undo();
            QCOMPARE(checkConsistency(*c), QString());
            QVERIFY(snapshot(*c) == full);
            c->undoStack()->redo();
            c->undoStack()->redo();
            QCOMPARE(checkConsistency(*c), QString());
            QCOMPARE(c->states(), QList<StateItem *>({b}));
            QVERIFY(b->transitions().isEmpty());
        }
    }

    // The text comes back at its own stacking value, not on top: stacking is
    // saved, and undoing to the saved state must leave the file as it was.
    void undoneTextComesBackWhereItWas()
    {
        QScopedPointer<Canvas> c(newCanvas());
        auto *cmd = new AddTextCommand(c.data(), 100, 100);
        TextItem *text = cmd->textItem();
        c->pushCommand(cmd);
        addState(c.data(), 50, 50);
        addState(c.data(), 80, 80);
        c->deleteItem(text);
        QCOMPARE(text->scene(), nullptr);
        c->undoStack()->undo();
        QCOMPARE(text->scene(), c.data());
        QCOMPARE(text->zValue(), 1.0);
        QCOMPARE(c->highestZ(), 3.0);
        QVERIFY(c->topItemAt(QPointF(100, 100)) != static_cast<QGraphicsItem *>(text));
    }

    void memoryLabelsAndUndo()
    {
        QScopedPointer<Canvas> c(newCanvas());
        auto *first = new AddMemoryCommand(c.data(), 300, 300);
        auto *second = new AddMemoryCommand(c.data(), 500, 300);
        QCOMPARE(first->memoryItem()->label(), QString("var_60"));
        QCOMPARE(first->memoryItem()->datatype(), QString("type_60"));
        c->pushCommand(first);
        auto *third = new AddMemoryCommand(c.data(), 700, 300);
        QCOMPARE(third->memoryItem()->label(), QString("var_61"));
        QCOMPARE(third->memoryItem()->pos(), QPointF(650, 268));
        delete second;   // never pushed: the canvas frees its item
        c->pushCommand(third);
        c->undoStack()->undo();
        QCOMPARE(c->memoryItems(), QList<MemoryItem *>({first->memoryItem()}));
        QCOMPARE(c->undoStack()->command(1), third);
    }

    void undoneMemoryInsertionTakesItsDataflowsAlong()
    {
        QScopedPointer<Canvas> c(newCanvas());
        c->setLevel(3);
        c->setMode(ItemKinds::of(ItemType::Process));
        SceneMouse::click(c.data(), QPointF(200, 200));
        c->setMode(ItemKinds::of(ItemType::Process));
        SceneMouse::click(c.data(), QPointF(1200, 200));
        ProcessItem *writer = c->processItems().at(0);
        ProcessItem *reader = c->processItems().at(1);
        auto *add = new AddMemoryCommand(c.data(), 700, 700);
        c->pushCommand(add);
        MemoryItem *memory = add->memoryItem();
        c->setMode(ItemKinds::of(ItemType::Dataflow));
        SceneMouse::drag(c.data(), QPointF(200, 200), QPointF(700, 700));
        c->setMode(ItemKinds::of(ItemType::Dataflow));
        SceneMouse::drag(c.data(), QPointF(700, 700), QPointF(1200, 200));
        const QList<DataflowItem *> flows = c->dataflows();
        QCOMPARE(flows.size(), 2);
        const auto inScene = [&c](const DataflowItem *flow) {
            return flow->scene() == c.data() && flow->startLine()->scene() == c.data()
                   && flow->endLine()->scene() == c.data();
        };

        // Undo takes the dataflows off the canvas with their memory item
        // (each drawn dataflow is a step of its own, undone first); redo
        // puts them back where they were.
        for (int i = 0; i < 3; ++i)
            c->undoStack()->undo();
        QVERIFY(c->memoryItems().isEmpty());
        QVERIFY(c->dataflows().isEmpty());
        QVERIFY(writer->dataflows().isEmpty() && reader->dataflows().isEmpty());
        QVERIFY(!flows.at(0)->scene() && !flows.at(1)->endLine()->scene());
        for (int i = 0; i < 3; ++i)
            c->undoStack()->redo();
        QCOMPARE(c->dataflows(), flows);
        QVERIFY(inScene(flows.at(0)) && inScene(flows.at(1)));
        QCOMPARE(writer->dataflows(), QList<DataflowItem *>({flows.at(0)}));
        QCOMPARE(reader->dataflows(), QList<DataflowItem *>({flows.at(1)}));
        QCOMPARE(memory->dataflows(), flows);

        // Deleting the memory item takes its dataflows along; undoing the
        // deletion, not an older step, brings all of them back.
        const int steps = c->undoStack()->count();
        c->deleteItem(memory);
        QCOMPARE(c->undoStack()->count(), steps + 1);
        QVERIFY(c->memoryItems().isEmpty() && c->dataflows().isEmpty());
        QVERIFY(writer->dataflows().isEmpty() && reader->dataflows().isEmpty());
        c->undoStack()->undo();
        QCOMPARE(c->memoryItems(), QList<MemoryItem *>({memory}));
        QCOMPARE(c->dataflows(), flows);
        QCOMPARE(writer->dataflows(), QList<DataflowItem *>({flows.at(0)}));
        QVERIFY(inScene(flows.at(0)) && inScene(flows.at(1)));
        QCOMPARE(flows.at(1)->endLine()->line().p1().y(), 325.0);   // on the reader's bottom edge
    }

    void transitionNeedsBothStatesOnTheCanvas()
    {
        QScopedPointer<Canvas> c(newCanvas());
        StateItem *a = addState(c.data(), 0, 0);
        StateItem *b = addState(c.data(), 600, 0);
        c->undoStack()->undo();   // b leaves the canvas
        const Snapshot before = snapshot(*c);
        auto *cmd = new AddTransitionCommand(c.data(), a, b);
        QCOMPARE(cmd->transition(), nullptr);
        c->pushCommand(cmd);
        QVERIFY(snapshot(*c) == before);
        c->undoStack()->undo();
        QVERIFY(snapshot(*c) == before);
    }

    void initialStateKeepsItsMarkerThroughUndo()
    {
        QScopedPointer<Canvas> c(newCanvas());
        StateItem *s = addState(c.data(), 100, 300);
        s->setInitialState(true);
        c->attachInitialMarker(s);
        QCOMPARE(c->initialDot()->pos(), QPointF(230, 225));
        c->deleteItem(s);
        QCOMPARE(c->initialDot()->scene(), nullptr);
        QCOMPARE(c->markedInitialState(), nullptr);
        c->undoStack()->undo();
        // The state is still initial, so its marker is shown again.
        QCOMPARE(c->markedInitialState(), s);
        QCOMPARE(checkConsistency(*c), QString());
        // Undoing the insertion of an initial state takes the marker too.
        c->undoStack()->undo();
        QCOMPARE(c->initialDot()->scene(), nullptr);
        QCOMPARE(checkConsistency(*c), QString());
    }

    void randomSessionsStayConsistent()
    {
        for (quint32 seed = 1; seed <= 500; ++seed) {
            QRandomGenerator rng(seed);
            QScopedPointer<Canvas> c(newCanvas());
            const Snapshot initial = snapshot(*c);
            const int steps = 30 + rng.bounded(150);
            for (int step = 0; step < steps; ++step) {
                randomStep(c.data(), rng);
                const QString problem = checkConsistency(*c);
                QVERIFY2(problem.isEmpty(),
                         qPrintable(QString("seed %1 step %2: %3").arg(seed).arg(step).arg(problem)));
            }
            // Commands above the index were undone last: they are not part
            // of the final canvas.
            const Snapshot final = snapshot(*c);
            const int finalIndex = c->undoStack()->index();
            while (c->undoStack()->canUndo()) {
                c->undoStack()->undo();
                QVERIFY2(checkConsistency(*c).isEmpty(), qPrintable(QString("seed %1 undo").arg(seed)));
            }
            QVERIFY2(snapshot(*c) == initial, qPrintable(QString("seed %1: undo all").arg(seed)));
            while (c->undoStack()->index() < finalIndex) {
                c->undoStack()->redo();
                QVERIFY2(checkConsistency(*c).isEmpty(), qPrintable(QString("seed %1 redo").arg(seed)));
            }
            QVERIFY2(snapshot(*c) == final, qPrintable(QString("seed %1: redo all").arg(seed)));
        }
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
