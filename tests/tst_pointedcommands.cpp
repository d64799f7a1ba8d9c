// Commands act on what the user points at: the context menu on the item
// right-clicked, Self transition on the selected state, a drawing mode only
// on the canvas it was chosen for, and Escape during a connection drag
// ends the drag without leaving its rubber line behind. Real mouse and key
// events on a real window.

#include "Canvas.h"
#include "CursorSet.h"
#include "MainWindow.h"
#include "ProcessItem.h"
#include "ProjectCommands.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "TransitionItem.h"
#include "ViewDriver.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QGraphicsLineItem>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace WindowProjectFixture;

namespace {
const QStringList kMachine = {"Hardware Module", "Microcontroller", "Software Module",
                              "StateMachine_1"};
const QStringList kController = {"Hardware Module", "Microcontroller"};

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

    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<ViewDriver> m_driver;

    Canvas *show(const QStringList &names)
    {
        m_window = std::make_unique<MainWindow>();
        m_driver = std::make_unique<ViewDriver>(m_window.get());
        return showDefaultProject(*m_window, m_dir.filePath(QStringLiteral("Demo.qsmd")), names);
    }
    QAction *action(const char *name) const { return m_driver->action(name); }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        m_prompter = std::make_unique<ScriptedPrompter>();
    }
    void cleanup()
    {
        m_driver.reset();
        if (m_window)
            m_window->projectCommands()->setModified(false);
        m_window.reset();
        m_prompter->messages.clear();
    }

    void contextMenuActsOnTheItemRightClicked()
    {
        Canvas *controller = show(kController);
        QVERIFY(controller);
        m_driver->insertAt("actionProcessRect", QPointF(900, 300));
        m_driver->insertAt("actionProcessRect", QPointF(1350, 300));
        ProcessItem *software = controller->processItems().at(0);
        ProcessItem *left = controller->processItems().at(1);
        ProcessItem *right = controller->processItems().at(2);

        // The software module is selected; the menu of another item raises
        // and deletes that item, not the selection.
        m_driver->click(ViewDriver::centreOf(software));
        QVERIFY(software->isSelected());
        QVERIFY(m_driver->rightClick(ViewDriver::centreOf(left),
                                     [&](QMenu *) { action("actionBringToFront")->trigger(); }));
        QCOMPARE(controller->selectedItems(), QList<QGraphicsItem *>({left}));
        QCOMPARE(left->zValue(), controller->highestZ());
        QVERIFY(m_driver->rightClick(ViewDriver::centreOf(left),
                                     [&](QMenu *) { action("actionDelete")->trigger(); }));
        QCOMPARE(controller->processItems(), QList<ProcessItem *>({software, right}));
        QVERIFY(nodeIndex(*m_window, {"Hardware Module", "Microcontroller", "Software Module",
                                      "StateMachine_1"})
                    .isValid());
        // An empty diagram went without a question.
        QVERIFY(m_prompter->messages.isEmpty());

        // A right click inside a selection of several keeps it.
        m_driver->click(ViewDriver::centreOf(software));
        m_driver->click(ViewDriver::centreOf(right), Qt::ControlModifier);
        QVERIFY(m_driver->rightClick(ViewDriver::centreOf(right)));
        QCOMPARE(controller->selectedItems().size(), 2);
    }

    void selfTransitionGoesOnTheSelectedState()
    {
        Canvas *machine = show(kMachine);
        QVERIFY(machine);
        StateItem *initial = machine->states().at(0);
        StateItem *secondary = machine->states().at(1);
        // The initial state was double-clicked last; the secondary one is
        // selected.
        QVERIFY(ViewDriver::whileModal([&] { m_driver->doubleClick(ViewDriver::centreOf(initial)); },
                                       ViewDriver::cancel));
        m_driver->click(ViewDriver::centreOf(secondary));
        action("actionSelf_transition")->trigger();
        QCOMPARE(secondary->selfTransitions().size(), 1);
        QVERIFY(initial->selfTransitions().isEmpty());

        // Of several selected states, the one clicked last.
        m_driver->click(ViewDriver::centreOf(secondary));
        m_driver->click(ViewDriver::centreOf(initial), Qt::ControlModifier);
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
        Canvas *machine = show(kMachine);
        QVERIFY(machine);
        action("actionState")->trigger();
        QCOMPARE(machine->mode(), Canvas::StateMode);
        QCOMPARE(m_window->cursor().shape(), Qt::BitmapCursor);

        doubleClickNode(*m_window, nodeIndex(*m_window, kController));
        Canvas *controller = m_window->shownCanvas();
        QVERIFY(controller != machine);
        QCOMPARE(m_window->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(machine->mode(), Canvas::SelectMode);
        QCOMPARE(controller->mode(), Canvas::SelectMode);

        // Back on the state machine, a click selects: it inserts nothing.
        doubleClickNode(*m_window, nodeIndex(*m_window, kMachine));
        QCOMPARE(m_window->shownCanvas(), machine);
        m_driver->click(QPointF(900, 800));
        QCOMPARE(machine->states().size(), 2);
        QVERIFY(!m_window->isModified());
    }

    void escapeEndsAConnectionDrag()
    {
        Canvas *machine = show(kMachine);
        QVERIFY(machine);
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        const int lines = plainLines(machine);
        action("actiontransition")->trigger();
        m_driver->press(ViewDriver::centreOf(machine->states().at(1)));
        m_driver->moveHeld(QPointF(900, 800));
        QVERIFY(machine->rubberLine());
        QCOMPARE(plainLines(machine), lines + 1);

        m_driver->key(Qt::Key_Escape);
        QCOMPARE(machine->mode(), Canvas::SelectMode);
        QCOMPARE(machine->rubberLine(), nullptr);
        QCOMPARE(plainLines(machine), lines);
        // The rest of the drag connects nothing.
        m_driver->moveHeld(ViewDriver::centreOf(machine->states().at(0)));
        m_driver->release(ViewDriver::centreOf(machine->states().at(0)));
        QCOMPARE(machine->transitions().size(), 1);
        QCOMPARE(plainLines(machine), lines);
    }
};

QTEST_MAIN(TestPointedCommands)
#include "tst_pointedcommands.moc"
