// Selecting and pointing on a state machine as a person does, with real
// mouse and key events on the window's view: every selected item shows its
// mark however it was selected (click, Ctrl+click, rubber band, Select All),
// the rubber line of a connection drag lies above the state it starts from,
// and arrow keys move the selection one undo step per key press. While a
// simulation guards the view, arrow keys scroll instead of moving items.

#include "Canvas.h"
#include "InitialTransition.h"
#include "MainWindow.h"
#include "Project.h"
#include "ScriptedPrompter.h"
#include "SimulationViewGuard.h"
#include "StateItem.h"
#include "TransitionItem.h"
#include "ViewDriver.h"
#include "WindowProjectFixture.h"
#include "WindowShot.h"

#include <QAction>
#include <QGraphicsLineItem>
#include <QGraphicsView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

using namespace WindowProjectFixture;

namespace {

QList<DiagramItem *> marked(const Canvas &canvas)
{
    return canvas.markedItems();
}

QList<DiagramItem *> items(std::initializer_list<DiagramItem *> list)
{
    return QList<DiagramItem *>(list);
}

} // namespace

class TestSelection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }

    void init();
    void cleanup();

    void everySelectedItemShowsItsMark();
    void rubberBandAndSelectAll();
    void rubberLineLiesAboveItsStartState();
    void arrowKeysMoveTheSelectionOneStepEach();
    void arrowKeysScrollWhileSimulationGuardsTheView();

private:
    // The machine of the first controller with its initial state and two
    // more states inserted with the mouse.
    QTemporaryDir m_dir;
    ScriptedPrompter *m_prompter = nullptr;
    MainWindow *m_window = nullptr;
    ViewDriver *m_driver = nullptr;
    Canvas *m_machine = nullptr;
    StateItem *m_idle = nullptr;
    StateItem *m_a = nullptr;
    StateItem *m_b = nullptr;
};

void TestSelection::init()
{
    m_prompter = new ScriptedPrompter;
    m_window = new MainWindow;
    m_window->resize(1500, 1000);
    QVERIFY(openDocument(*m_window, nestedDocument(), m_dir.filePath(QStringLiteral("sel.qsmd"))));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    doubleClickNode(*m_window, nodeIndex(*m_window, {"HW", "CPU A", "SW", "SM"}));
    m_machine = m_window->project()->shownCanvas();
    QVERIFY(m_machine && m_machine->level() == 5);
    m_driver = new ViewDriver(m_window);
    m_idle = m_machine->states().first();
    m_driver->insertAt("actionState", QPointF(700, 150));
    m_driver->insertAt("actionState", QPointF(700, 450));
    QCOMPARE(m_machine->states().size(), 3);
    m_a = m_machine->states().at(1);
    m_b = m_machine->states().at(2);
    m_driver->click(QPointF(1000, 800));   // empty canvas
    QVERIFY(m_machine->selectedItems().isEmpty());
}

void TestSelection::cleanup()
{
    delete m_driver;
    delete m_window;
    delete m_prompter;
    m_driver = nullptr;
    m_window = nullptr;
    m_prompter = nullptr;
}

void TestSelection::everySelectedItemShowsItsMark()
{
    m_driver->click(ViewDriver::centreOf(m_a));
    QCOMPARE(marked(*m_machine), items({m_a}));
    // Ctrl+click adds to the selection, and each selected item is marked.
    m_driver->click(ViewDriver::centreOf(m_b), Qt::ControlModifier);
    m_driver->click(ViewDriver::centreOf(m_idle), Qt::ControlModifier);
    QCOMPARE(m_machine->selectedItems().size(), 3);
    QCOMPARE(marked(*m_machine), items({m_idle, m_a, m_b}));
    saveWindowShot(m_window, "selected-marks");
    QCOMPARE(m_machine->markedItem(), static_cast<QGraphicsItem *>(m_idle));
    // Ctrl+click on a selected item takes it out, mark and all.
    m_driver->click(ViewDriver::centreOf(m_a), Qt::ControlModifier);
    QVERIFY(!m_a->isSelected());
    QCOMPARE(marked(*m_machine), items({m_idle, m_b}));
    // Pressing one of the selected items to drag them keeps every mark.
    m_driver->press(ViewDriver::centreOf(m_b));
    QCOMPARE(marked(*m_machine), items({m_idle, m_b}));
    m_driver->release(ViewDriver::centreOf(m_b));
    // A click on empty canvas clears selection and marks alike.
    m_driver->click(QPointF(1000, 800));
    QVERIFY(marked(*m_machine).isEmpty());

    // A right click on an unselected item makes it the selection, marked.
    m_driver->click(ViewDriver::centreOf(m_a));
    QVERIFY(m_driver->rightClick(ViewDriver::centreOf(m_b)));
    QCOMPARE(marked(*m_machine), items({m_b}));
}

void TestSelection::rubberBandAndSelectAll()
{
    // A drag from empty canvas around both new states selects and marks them.
    m_driver->press(QPointF(520, 40));
    m_driver->moveHeld(QPointF(700, 300));
    m_driver->moveHeld(QPointF(880, 560));
    saveWindowShot(m_window, "rubber-band");
    m_driver->release(QPointF(880, 560));
    QCOMPARE(m_machine->selectedItems().size(), 2);
    QVERIFY(m_a->isSelected() && m_b->isSelected());
    QCOMPARE(marked(*m_machine), items({m_a, m_b}));
    QCOMPARE(m_machine->undoStack()->count(), 2);   // nothing moved

    // In a drawing mode the same drag draws no band.
    m_driver->click(QPointF(1000, 800));
    m_driver->connect("actiontransition", QPointF(520, 40), QPointF(880, 560));
    QVERIFY(m_machine->selectedItems().isEmpty());
    m_driver->action("actionSelect")->trigger();

    // Ctrl+A selects every item of the diagram.
    m_driver->connect("actiontransition", ViewDriver::centreOf(m_a), ViewDriver::centreOf(m_b));
    QCOMPARE(m_machine->transitions().size(), 1);
    m_driver->view()->setFocus();
    QTest::keySequence(m_window, QKeySequence::SelectAll);
    QCOMPARE(m_machine->selectedItems().size(), 4);
    QCOMPARE(marked(*m_machine).size(), 4);
    QVERIFY(m_machine->transitions().first()->isMarked());
}

void TestSelection::rubberLineLiesAboveItsStartState()
{
    m_driver->action("actiontransition")->trigger();
    const QPointF start = ViewDriver::centreOf(m_a);
    m_driver->press(start);
    m_driver->moveHeld(start + QPointF(30, 20));
    QGraphicsLineItem *line = m_machine->rubberLine();
    QVERIFY(line);
    saveWindowShot(m_window, "rubber-line");
    QCOMPARE(m_machine->topItemAt(start + QPointF(15, 10)), static_cast<QGraphicsItem *>(line));
    for (StateItem *state : m_machine->states())
        QVERIFY(line->zValue() > state->zValue());
    // Released over the other state, it still connects the two states.
    m_driver->moveHeld(ViewDriver::centreOf(m_b));
    m_driver->release(ViewDriver::centreOf(m_b));
    QCOMPARE(m_machine->transitions().size(), 1);
    QCOMPARE(m_machine->transitions().first()->startItem(), m_a);
    QCOMPARE(m_machine->transitions().first()->endItem(), m_b);
    QVERIFY(!m_machine->rubberLine());
}

void TestSelection::arrowKeysMoveTheSelectionOneStepEach()
{
    QUndoStack *stack = m_machine->undoStack();
    const int steps = stack->count();
    const QPointF a = m_a->pos();
    const QPointF b = m_b->pos();
    const QPointF idle = m_idle->pos();
    const QPointF dot = m_machine->initialDot()->pos();
    m_driver->click(ViewDriver::centreOf(m_a));
    m_driver->click(ViewDriver::centreOf(m_idle), Qt::ControlModifier);
    QGraphicsView *view = m_driver->view();
    view->setFocus();
    const int scrolled = view->horizontalScrollBar()->value();

    QTest::keyClick(view, Qt::Key_Right);
    QTest::keyClick(view, Qt::Key_Right);
    QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Up);
    QCOMPARE(m_a->pos(), a + QPointF(-8, 9));
    QCOMPARE(m_idle->pos(), idle + QPointF(-8, 9));
    QCOMPARE(m_b->pos(), b);
    // The initial marker follows its state.
    QCOMPARE(m_machine->initialDot()->pos(), dot + QPointF(-8, 9));
    // One step per key press, named after what moved.
    QCOMPARE(stack->count(), steps + 5);
    QCOMPARE(stack->undoText(), QStringLiteral("Move 2 Items"));
    // The view did not scroll instead.
    QCOMPARE(view->horizontalScrollBar()->value(), scrolled);

    QTest::keySequence(m_window, QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(m_a->pos(), a + QPointF(-8, 10));
    QTest::keySequence(m_window, QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(m_a->pos(), a + QPointF(2, 10));
    QTest::keySequence(m_window, QKeySequence(QStringLiteral("Ctrl+Z")));
    QTest::keySequence(m_window, QKeySequence(QStringLiteral("Ctrl+Z")));
    QTest::keySequence(m_window, QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(m_a->pos(), a);
    QCOMPARE(m_idle->pos(), idle);
    QCOMPARE(m_machine->initialDot()->pos(), dot);

    // Without a selection arrow keys push nothing.
    m_driver->click(QPointF(1000, 800));
    QTest::keyClick(view, Qt::Key_Right);
    QCOMPARE(stack->index(), steps);
}

void TestSelection::arrowKeysScrollWhileSimulationGuardsTheView()
{
    m_driver->click(ViewDriver::centreOf(m_a));
    QGraphicsView *view = m_driver->view();
    view->setFocus();
    const QPointF a = m_a->pos();
    const int steps = m_machine->undoStack()->count();
    QScrollBar *bar = view->horizontalScrollBar();
    bar->setValue(bar->minimum());
    {
        SimulationViewGuard guard(view, {});
        QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(view, Qt::Key_Right);
        QCOMPARE(m_a->pos(), a);
        QCOMPARE(m_machine->undoStack()->count(), steps);
        QVERIFY(bar->maximum() == bar->minimum() || bar->value() > bar->minimum());
    }
    // The guard gone, the keys move again.
    QTest::keyClick(view, Qt::Key_Right);
    QCOMPARE(m_a->pos(), a + QPointF(1, 0));
}

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
