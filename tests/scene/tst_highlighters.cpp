// The simulation's marks on the diagrams of a machine's levels
// (SimulationHighlighters): one highlighter per diagram, each showing its
// own level's state, transition, breakpoints and veil.

#include "Canvas.h"
#include "ItemKinds.h"
#include "ItemTypes.h"
#include "SceneMouse.h"
#include "SimulationHighlighter.h"
#include "SimulationHighlighters.h"
#include "StateItem.h"
#include "TransitionItem.h"

#include <QtTest>

#include <memory>

namespace {

// A diagram of `level` with two states joined by a transition, drawn with
// the mouse, the first one initial.
Canvas *twoStates(int level)
{
    auto *canvas = new Canvas(nullptr);
    canvas->setLevel(level);
    canvas->setSceneRect(0, 0, 1600, 1000);
    for (int x : { 200, 800 }) {
        canvas->setMode(ItemKinds::of(ItemType::State));
        SceneMouse::click(canvas, QPointF(x, 200));
    }
    const QList<StateItem *> states = canvas->states();
    canvas->setMode(ItemKinds::of(ItemType::Transition));
    SceneMouse::drag(canvas, states.at(0)->sceneBoundingRect().center(), states.at(1)->sceneBoundingRect().center());
    canvas->setMode(nullptr);
    states.at(0)->setInitialState(true);
    canvas->attachInitialMarker(states.at(0));
    return canvas;
}

} // namespace

class TestHighlighters : public QObject
{
    Q_OBJECT

private slots:
    // The marks of a machine's levels, one diagram each: every level shows
    // its own active state and transition, a level without one shows
    // nothing, breakpoints and the veil go to their level's diagram, and
    // everything goes when the highlighters do (or a diagram first).
    void highlightersMarkEveryLevel()
    {
        std::unique_ptr<Canvas> machine(twoStates(5));
        std::unique_ptr<Canvas> sub(twoStates(6));
        auto *marks = new SimulationHighlighters({ machine.get(), nullptr, sub.get() });
        QCOMPARE(marks->levelCount(), 3);
        QCOMPARE(marks->levelOf(sub.get()), 2);
        QCOMPARE(marks->levelOf(nullptr), -1);
        QVERIFY(!marks->highlighter(1));
        QCOMPARE(SimulationHighlighter::of(sub.get()), marks->highlighter(2));

        marks->show({ { 1, 0, false }, {}, { 0, -1, true } });
        QCOMPARE(marks->highlighter(0)->activeState(), machine->states().at(1));
        QCOMPARE(marks->highlighter(0)->firedTransition(), machine->transitions().at(0));
        QCOMPARE(marks->highlighter(2)->activeState(), sub->states().at(0));
        QVERIFY(marks->highlighter(2)->initialShown());
        QVERIFY(!marks->highlighter(2)->firedTransition());
        const int overlays = marks->highlighter(2)->overlayItems().size();
        QVERIFY(overlays > 0);

        // The sub-machine left: its diagram shows nothing; the outer one moves on.
        marks->show({ { 0, -1, false } });
        QCOMPARE(marks->highlighter(0)->activeState(), machine->states().at(0));
        QVERIFY(!marks->highlighter(0)->firedTransition());
        QVERIFY(!marks->highlighter(2)->activeState());
        // Indices past a diagram's items mark nothing.
        marks->show({ { 7, 9, false }, {}, { 5, 5, false } });
        QVERIFY(!marks->highlighter(0)->activeState());
        QVERIFY(!marks->highlighter(2)->activeState());

        marks->setBreakpoints({ {}, {}, { 1 } });
        marks->setUnreached({ { 0 }, {}, {} }, { {}, {}, { 0 } });
        QCOMPARE(marks->highlighter(0)->overlayItems().size(), 1);
        QVERIFY(marks->highlighter(0)->unreachedShown());
        QVERIFY(marks->highlighter(2)->unreachedShown());
        QCOMPARE(marks->highlighter(2)->overlayItems().size(), 2);

        const auto overlaysOn = [](const Canvas *canvas) {
            int n = 0;
            for (const QGraphicsItem *item : canvas->items())
                n += SimulationHighlighter::isOverlay(item) ? 1 : 0;
            return n;
        };
        QVERIFY(overlaysOn(sub.get()) > 0);
        // A diagram that goes first takes its highlighter with it.
        sub.reset();
        QVERIFY(!marks->highlighter(2));
        marks->show({ { 1, -1, false }, {}, { 0, -1, false } });
        delete marks;
        QCOMPARE(overlaysOn(machine.get()), 0);
        QVERIFY(!SimulationHighlighter::of(machine.get()));
    }

};

QTEST_MAIN(TestHighlighters)
#include "tst_highlighters.moc"
