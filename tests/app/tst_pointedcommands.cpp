// Commands act on what the user points at: the context menu on the item
// right-clicked, Self transition on the selected state, a drawing mode only
// on the canvas it was chosen for, and Escape during a connection drag
// ends the drag without leaving its rubber line behind. Real mouse and key
// events on a real window.

#include "ItemKind.h"
#include "ItemKinds.h"
#include "Canvas.h"
#include "MainWindow.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectActions.h"
#include "DemoWindow.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "TransitionItem.h"
#include "ViewDriver.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QGraphicsLineItem>
#include <QMenu>
#include <QtTest>


using namespace WindowProjectFixture;

namespace {
const QStringList kMachine = DemoWindow::machinePath();
const QStringList kController = DemoWindow::controllerPath();

int plainLines(const Canvas *canvas)
{
    int lines = 0;
    for (const QGraphicsItem *item : canvas->items()) {
        if (item->type() == QGraphicsLineItem::Type)
            ++lines;
    }
    return lines;
}
} // namespace

class TestPointedCommands : public QObject
{
    Q_OBJECT

    DemoWindow m_demo;
    QAction *action(const char *name) const { return m_demo.driver()->action(name); }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { m_demo.close(); }

    void contextMenuActsOnTheItemRightClicked()
    {
        Canvas *controller = m_demo.show(kController);
        QVERIFY(controller);
        m_demo.driver()->insertAt("actionProcessRect", QPointF(900, 300));
        m_demo.driver()->insertAt("actionProcessRect", QPointF(1350, 300));
        ProcessItem *software = controller->processItems().at(0);
        ProcessItem *left = controller->processItems().at(1);
        ProcessItem *right = controller->processItems().at(2);

        // The software module is selected; the menu of another item raises
        // and deletes that item, not the selection.
        m_demo.driver()->click(ViewDriver::centreOf(software));
        QVERIFY(software->isSelected());
        QVERIFY(m_demo.driver()->rightClick(ViewDriver::centreOf(left),
                                     [&](QMenu *) { action("actionBringToFront")->trigger(); }));
        QCOMPARE(controller->selectedItems(), QList<QGraphicsItem *>({left}));
        QCOMPARE(left->zValue(), controller->highestZ());
        QVERIFY(m_demo.driver()->rightClick(ViewDriver::centreOf(left),
                                     [&](QMenu *) { action("actionDelete")->trigger(); }));
        QCOMPARE(controller->processItems(), QList<ProcessItem *>({software, right}));
        QVERIFY(nodeIndex(*m_demo.window(), {"Hardware Module", "Microcontroller", "Software Module",
                                      "StateMachine_1"})
                    .isValid());
        // An empty diagram went without a question.
        QVERIFY(m_demo.prompter().messages.isEmpty());

        // A right click inside a selection of several keeps it.
        m_demo.driver()->click(ViewDriver::centreOf(software));
        m_demo.driver()->click(ViewDriver::centreOf(right), Qt::ControlModifier);
        QVERIFY(m_demo.driver()->rightClick(ViewDriver::centreOf(right)));
        QCOMPARE(controller->selectedItems().size(), 2);
    }

    void selfTransitionGoesOnTheSelectedState()
    {
        Canvas *machine = m_demo.show(kMachine);
        QVERIFY(machine);
        StateItem *initial = machine->states().at(0);
        StateItem *secondary = machine->states().at(1);
        // The initial state was double-clicked last; the secondary one is
        // selected.
        QVERIFY(ViewDriver::whileModal([&] { m_demo.driver()->doubleClick(ViewDriver::centreOf(initial)); },
                                       ViewDriver::cancel));
        m_demo.driver()->click(ViewDriver::centreOf(secondary));
        action("actionSelf_transition")->trigger();
        QCOMPARE(secondary->selfTransitions().size(), 1);
        QVERIFY(initial->selfTransitions().isEmpty());

        // Of several selected states, the one clicked last.
        m_demo.driver()->click(ViewDriver::centreOf(secondary));
        m_demo.driver()->click(ViewDriver::centreOf(initial), Qt::ControlModifier);
        QCOMPARE(machine->selectedItems().size(), 2);
        action("actionSelf_transition")->trigger();
        QCOMPARE(initial->selfTransitions().size(), 1);
        QCOMPARE(secondary->selfTransitions().size(), 1);

        // With no state selected nothing is added.
        machine->clearSelection();
        action("actionSelf_transition")->trigger();
        QCOMPARE(machine->transitions().size(), 3);
    }

    void drawingModeEndsWhenAnotherCanvasIsShown()
    {
        Canvas *machine = m_demo.show(kMachine);
        QVERIFY(machine);
        action("actionState")->trigger();
        QCOMPARE(machine->mode(), ItemKinds::of(ItemType::State));
        QCOMPARE(m_demo.window()->cursor().shape(), Qt::BitmapCursor);

        doubleClickNode(*m_demo.window(), nodeIndex(*m_demo.window(), kController));
        Canvas *controller = m_demo.window()->project()->shownCanvas();
        QVERIFY(controller != machine);
        QCOMPARE(m_demo.window()->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(machine->mode(), nullptr);
        QCOMPARE(controller->mode(), nullptr);

        // Back on the state machine, a click selects: it inserts nothing.
        doubleClickNode(*m_demo.window(), nodeIndex(*m_demo.window(), kMachine));
        QCOMPARE(m_demo.window()->project()->shownCanvas(), machine);
        m_demo.driver()->click(QPointF(900, 800));
        QCOMPARE(machine->states().size(), 2);
        QVERIFY(!m_demo.window()->project()->isModified());
    }

    void escapeEndsAConnectionDrag()
    {
        Canvas *machine = m_demo.show(kMachine);
        QVERIFY(machine);
        QVERIFY(QTest::qWaitForWindowActive(m_demo.window()));
        const int lines = plainLines(machine);
        action("actiontransition")->trigger();
        m_demo.driver()->press(ViewDriver::centreOf(machine->states().at(1)));
        m_demo.driver()->moveHeld(QPointF(900, 800));
        QVERIFY(machine->rubberLine());
        QCOMPARE(plainLines(machine), lines + 1);

        m_demo.driver()->key(Qt::Key_Escape);
        QCOMPARE(machine->mode(), nullptr);
        QCOMPARE(machine->rubberLine(), nullptr);
        QCOMPARE(plainLines(machine), lines);
        // The rest of the drag connects nothing.
        m_demo.driver()->moveHeld(ViewDriver::centreOf(machine->states().at(0)));
        m_demo.driver()->release(ViewDriver::centreOf(machine->states().at(0)));
        QCOMPARE(machine->transitions().size(), 1);
        QCOMPARE(plainLines(machine), lines);
    }
};

QTEST_MAIN(TestPointedCommands)
#include "tst_pointedcommands.moc"
