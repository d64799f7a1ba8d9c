// Simulation in the editor, driven as a person drives it: F5 on a state
// machine's diagram, the dock's buttons, the variables table, the context
// menu of a state, the condition line and Escape. Checks what the canvas
// highlights, what the table shows, that the diagram stays read-only and the
// project untouched, that a crashing or hanging machine is reported and
// Reset brings it back, and that compile errors reach the error log.

#include "Canvas.h"
#include "CodegenErrorLog.h"
#include "ExampleProject.h"
#include "MachineProject.h"
#include "TrustStore.h"
#include "MainWindow.h"
#include "OpenProject.h"
#include "Project.h"
#include "ProjectActions.h"
#include "ProjectSnapshot.h"
#include "ScriptedPrompter.h"
#include "SimulationController.h"
#include "SimulationCoverageModel.h"
#include "SimulationDock.h"
#include "SimulationHighlighter.h"
#include "SimulationTraceModel.h"
#include "SimulationVariablesModel.h"
#include "StateItem.h"
#include "SubMachineProject.h"
#include "TransitionItem.h"
#include "ViewDriver.h"
#include "WindowProjectFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsView>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

const QStringList SpeedControlPath{ QStringLiteral("Motor Controller"), QStringLiteral("Microcontroller"),
                                    QStringLiteral("Drive"), QStringLiteral("SpeedControl") };

// A one-state machine `name` with an int `flag` and the given state action.
ProjectDocument oneStateMachine(const QString &name, const QString &action)
{
    using MachineProject::item;
    ProjectDocument doc = MachineProject::skeleton(QStringLiteral("Sim"), name);
    CanvasBlock &machine = doc.blocks[3];
    MemoryRecord flag = item<MemoryRecord>(6, QStringLiteral("flag"));
    flag.datatype = QStringLiteral("int");
    flag.xCoord = 700;
    flag.yCoord = 100;
    machine.memories << flag;
    StateRecord idle = item<StateRecord>(6, QStringLiteral("Idle"));
    idle.xCoord = 100;
    idle.yCoord = 100;
    idle.action = action;
    idle.ifInitialState = true;
    idle.initialCondition = QStringLiteral("(1)");
    machine.states << idle;
    doc.treeText = treeTextFromBlocks(doc);
    return doc;
}

QStringList machinePath(const QString &name)
{
    return { QStringLiteral("Board"), QStringLiteral("Controller"), QStringLiteral("Tasks"), name };
}

// "Cruiser": Idle (initial) -> Running on go, back on stop; Running holds
// RampUp (initial, speed up from 0) -> Cruise at speed 3.
ProjectDocument cruiser()
{
    using MachineProject::item;
    ProjectDocument doc = MachineProject::skeleton(QStringLiteral("Sim"), QStringLiteral("Cruiser"));
    CanvasBlock &machine = doc.blocks[3];
    for (const char *name : { "go", "stop", "speed" }) {
        MemoryRecord m = item<MemoryRecord>(6, QString::fromLatin1(name));
        m.datatype = QStringLiteral("int");
        m.xCoord = 900;
        m.yCoord = 100 + 150 * machine.memories.size();
        machine.memories << m;
    }
    StateRecord idle = SubMachineProject::state(5, QStringLiteral("Idle"), 100);
    idle.parentId = idle.grandParentId = 1;
    idle.ifInitialState = true;
    idle.initialCondition = QStringLiteral("(1)");
    StateRecord running = SubMachineProject::state(5, QStringLiteral("Running"), 500);
    running.parentId = running.grandParentId = 1;
    machine.states << idle << running;
    SubMachineProject::connect(&machine, QStringLiteral("Start"), QStringLiteral("Idle"), QStringLiteral("Running"),
                               QStringLiteral("(go)"));
    SubMachineProject::connect(&machine, QStringLiteral("Halt"), QStringLiteral("Running"), QStringLiteral("Idle"),
                               QStringLiteral("(stop)"));
    const int sub = SubMachineProject::add(&doc, 3, QStringLiteral("Running"),
                                           { QStringLiteral("RampUp"), QStringLiteral("Cruise") }, false,
                                           QStringLiteral("(speed >= 3)"));
    doc.blocks[sub].states[0].action = QStringLiteral("speed++;");
    doc.blocks[sub].states[0].entryAction = QStringLiteral("speed = 0;");
    doc.treeText = treeTextFromBlocks(doc);
    return doc;
}

} // namespace

class tst_SimulationEditor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void stepsTheExampleMachineReadOnly();
    void breaksOnStateEntryAndSavesTheTrace();
    void breaksOnACondition();
    void crashOrHangIsReportedAndResetWorks();
    void compileErrorsGoToTheLogAndGiveTheDiagramBack();
    void aConditionKeepsTheValuesSetAndTheTraceMarksTheRestart();
    void coverageIsShownAndGreysWhatWasNeverReached();
    void traceColumnsFitTheirContent();
    void subMachinesAreMarkedOnEveryDiagram();

private:
    Canvas *open(const ProjectDocument &document, const QStringList &names);
    SimulationController *sim() const { return m_window->simulation(); }
    SimulationDock *dock() const { return sim()->dock(); }
    bool startAndWait();
    bool waitIdle();
    void click(QPushButton *button);
    bool stepAndWait(int times = 1);
    QString value(const QString &variable) const;
    QLineEdit *openValueEditor(const QString &variable);
    void typeValue(const QString &variable, const QString &text);
    QString activeLabel() const;
    StateItem *state(const QString &label) const;
    QByteArray snapshot() const;
    bool visible(const QGraphicsItem *item) const;
    int overlayCount() const;

    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<ViewDriver> m_driver;
    Canvas *m_canvas = nullptr;
};

void tst_SimulationEditor::init()
{
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_window = std::make_unique<MainWindow>();
    m_window->resize(1500, 1000);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_driver = std::make_unique<ViewDriver>(m_window.get());
}

void tst_SimulationEditor::cleanup()
{
    m_driver.reset();
    if (m_window)
        m_window->project()->markSaved();
    m_window.reset();
    m_prompter.reset();
    m_canvas = nullptr;
}

Canvas *tst_SimulationEditor::open(const ProjectDocument &document, const QStringList &names)
{
    static int count = 0;
    const QString path = m_dir.filePath(QStringLiteral("project%1.qsmd").arg(++count));
    // The test's own projects: their C runs without the question.
    TrustStore::trustFolderForSession(m_dir.path());
    if (!WindowProjectFixture::openDocument(*m_window, document, path))
        return nullptr;
    WindowProjectFixture::doubleClickNode(*m_window, WindowProjectFixture::nodeIndex(*m_window, names));
    m_canvas = m_window->project()->shownCanvas();
    return m_canvas && m_canvas->level() == 5 ? m_canvas : nullptr;
}

bool tst_SimulationEditor::waitIdle()
{
    return QTest::qWaitFor([this] { return sim()->isReady() && !sim()->isBusy(); }, 20000);
}

bool tst_SimulationEditor::startAndWait()
{
    m_driver->key(Qt::Key_F5);
    return sim()->isActive() && waitIdle();
}

void tst_SimulationEditor::click(QPushButton *button)
{
    QVERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}

bool tst_SimulationEditor::stepAndWait(int times)
{
    for (int i = 0; i < times; ++i) {
        if (!dock()->stepButton()->isEnabled())
            return false;
        QTest::mouseClick(dock()->stepButton(), Qt::LeftButton);
        if (!waitIdle())
            return false;
    }
    return true;
}

QString tst_SimulationEditor::value(const QString &variable) const
{
    const SimulationVariablesModel *model = sim()->variablesModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, SimulationVariablesModel::NameColumn).data().toString() == variable)
            return model->index(row, SimulationVariablesModel::ValueColumn).data().toString();
    }
    return QStringLiteral("(no variable %1)").arg(variable);
}

QLineEdit *tst_SimulationEditor::openValueEditor(const QString &variable)
{
    QTableView *view = dock()->variablesView();
    const SimulationVariablesModel *model = sim()->variablesModel();
    QModelIndex cell;
    for (int row = 0; row < model->rowCount() && !cell.isValid(); ++row) {
        if (model->index(row, SimulationVariablesModel::NameColumn).data().toString() == variable)
            cell = model->index(row, SimulationVariablesModel::ValueColumn);
    }
    if (!cell.isValid())
        return nullptr;
    view->scrollTo(cell);
    const QPoint at = view->visualRect(cell).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QLineEdit *editor = nullptr;
    const bool shown = QTest::qWaitFor(
        [&] { return (editor = view->viewport()->findChild<QLineEdit *>()) && editor->isVisible(); });
    return shown ? editor : nullptr;
}

void tst_SimulationEditor::typeValue(const QString &variable, const QString &text)
{
    QLineEdit *editor = openValueEditor(variable);
    QVERIFY2(editor, qPrintable(variable));
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
}

QString tst_SimulationEditor::activeLabel() const
{
    const StateItem *active = sim()->highlighter() ? sim()->highlighter()->activeState() : nullptr;
    return active ? active->label() : QStringLiteral("(none)");
}

StateItem *tst_SimulationEditor::state(const QString &label) const
{
    for (StateItem *s : m_canvas->states()) {
        if (s->label() == label)
            return s;
    }
    return nullptr;
}

QByteArray tst_SimulationEditor::snapshot() const
{
    ProjectDocument document;
    if (!ProjectSnapshot::take(m_window->project()->canvases(), &document))
        return QByteArray();
    return projectBytes(document);
}

bool tst_SimulationEditor::visible(const QGraphicsItem *item) const
{
    const QGraphicsView *view = m_driver->view();
    const QRectF shown = view->mapToScene(view->viewport()->rect()).boundingRect();
    return shown.contains(item->sceneBoundingRect());
}

int tst_SimulationEditor::overlayCount() const
{
    int count = 0;
    for (const QGraphicsItem *item : m_canvas->items())
        count += SimulationHighlighter::isOverlay(item) ? 1 : 0;
    return count;
}

void tst_SimulationEditor::stepsTheExampleMachineReadOnly()
{
    QVERIFY(open(ExampleProject::document(), SpeedControlPath));
    const QByteArray before = snapshot();
    QVERIFY(!before.isEmpty());
    QVERIFY(sim()->simulateAction()->isEnabled());

    QVERIFY(startAndWait());
    QVERIFY(dock()->isVisible());
    QVERIFY(!WindowProjectFixture::action(*m_window, "actionState")->isEnabled());
    QVERIFY(!WindowProjectFixture::action(*m_window, "actionDelete")->isEnabled());
    QVERIFY(!WindowProjectFixture::action(*m_window, "actionClose_Project")->isEnabled());
    QVERIFY(!m_window->findChild<QTreeView *>(QStringLiteral("treeView"))->isEnabled());

    // Reset took the initial transition into Stopped.
    QCOMPARE(activeLabel(), QStringLiteral("Stopped"));
    QVERIFY(sim()->highlighter()->initialShown());
    QCOMPARE(value(QStringLiteral("speed")), QStringLiteral("0"));
    QCOMPARE(value(QStringLiteral("motorSpeed")), QStringLiteral("0"));
    QCOMPARE(sim()->traceModel()->rowCount(), 1);

    // An input typed into the table reaches the machine before the next cycle.
    typeValue(QStringLiteral("speedLimit"), QStringLiteral("0x40"));
    QTRY_COMPARE(value(QStringLiteral("speedLimit")), QStringLiteral("64"));
    // Escape while a value is typed drops the typing, not the simulation.
    QLineEdit *editor = openValueEditor(QStringLiteral("speedLimit"));
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("99"));
    QApplication::setActiveWindow(m_window.get());
    QCOMPARE(QApplication::focusWidget(), editor);
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(sim()->isActive());
    QTRY_VERIFY(!dock()->variablesView()->viewport()->findChild<QLineEdit *>()
                || !dock()->variablesView()->viewport()->findChild<QLineEdit *>()->isVisible());
    QCOMPARE(value(QStringLiteral("speedLimit")), QStringLiteral("64"));
    // An output is the machine's own.
    const SimulationVariablesModel *variables = sim()->variablesModel();
    for (int row = 0; row < variables->rowCount(); ++row) {
        const bool output = variables->variables().at(row).role == SimulationVariable::Output;
        QCOMPARE(bool(variables->flags(variables->index(row, SimulationVariablesModel::ValueColumn)) & Qt::ItemIsEditable),
                 !output);
    }

    QVERIFY(stepAndWait(3));
    QCOMPARE(activeLabel(), QStringLiteral("Accelerating"));
    QVERIFY(sim()->highlighter()->firedTransition());
    QCOMPARE(sim()->highlighter()->firedTransition()->label(), QStringLiteral("Start"));
    QVERIFY(stepAndWait(3));
    QCOMPARE(activeLabel(), QStringLiteral("Cruising"));
    QCOMPARE(value(QStringLiteral("speed")), QStringLiteral("15"));
    QVERIFY(dock()->cycleText().contains(QStringLiteral("Cycle: 6")));
    QVERIFY(visible(state(QStringLiteral("Cruising"))));
    // A cycle that stays through the self transition Hold: it fired, and
    // the state stays highlighted.
    QVERIFY(stepAndWait());
    QCOMPARE(activeLabel(), QStringLiteral("Cruising"));
    QVERIFY(sim()->highlighter()->firedTransition());
    QCOMPARE(sim()->highlighter()->firedTransition()->label(), QStringLiteral("Hold"));
    QCOMPARE(sim()->traceModel()->rowCount(), 8);

    // The diagram does not move under the mouse, and nothing marks it modified.
    StateItem *cruising = state(QStringLiteral("Cruising"));
    const QPointF where = cruising->pos();
    m_driver->drag(ViewDriver::centreOf(cruising), ViewDriver::centreOf(cruising) + QPointF(120, 80));
    QCOMPARE(cruising->pos(), where);
    // Its context menu offers the breakpoint, not the editing commands.
    QStringList offered;
    QVERIFY(m_driver->rightClick(ViewDriver::centreOf(cruising), [&](QMenu *menu) {
        for (QAction *a : menu->actions())
            offered << a->text();
    }));
    QCOMPARE(offered, QStringList{ QStringLiteral("Break on Entry") });
    QVERIFY(!m_window->project()->isModified());
    QCOMPARE(snapshot(), before);
    QVERIFY(overlayCount() > 0);

    // Escape gives the diagram back, without a trace of the highlight. (The
    // offscreen platform leaves no window active after a popup menu; a
    // desktop gives the activation back by itself.)
    QApplication::setActiveWindow(m_window.get());
    m_driver->key(Qt::Key_Escape);
    QVERIFY(!sim()->isActive());
    QVERIFY(!dock()->isVisible());
    QCOMPARE(overlayCount(), 0);
    QVERIFY(WindowProjectFixture::action(*m_window, "actionState")->isEnabled());
    QVERIFY(m_window->findChild<QTreeView *>(QStringLiteral("treeView"))->isEnabled());
    QVERIFY(!m_window->project()->isModified());
    QCOMPARE(snapshot(), before);
    m_driver->drag(ViewDriver::centreOf(cruising), ViewDriver::centreOf(cruising) + QPointF(120, 80));
    QVERIFY(cruising->pos() != where);
}

void tst_SimulationEditor::breaksOnStateEntryAndSavesTheTrace()
{
    QVERIFY(open(ExampleProject::document(), SpeedControlPath));
    QVERIFY(startAndWait());
    StateItem *braking = state(QStringLiteral("Braking"));
    QVERIFY(m_driver->rightClick(ViewDriver::centreOf(braking), [](QMenu *menu) {
        QAction *breakOnEntry = menu->findChild<QAction *>(QStringLiteral("actionBreakOnEntry"));
        QVERIFY(breakOnEntry && breakOnEntry->isCheckable() && !breakOnEntry->isChecked());
        breakOnEntry->trigger();
    }));
    QCOMPARE(sim()->stateBreakpoints(), QSet<int>{ m_canvas->states().indexOf(braking) });
    const int marks = overlayCount();

    dock()->rateBox()->setValue(200);
    click(dock()->runButton());
    QVERIFY(dock()->runButton()->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(dock()->statusText().contains(QStringLiteral("Braking")), 20000);
    QVERIFY(dock()->statusText().startsWith(QStringLiteral("Paused")));
    QVERIFY(waitIdle());
    QVERIFY(!dock()->runButton()->isChecked());
    QCOMPARE(activeLabel(), QStringLiteral("Braking"));
    QCOMPARE(sim()->highlighter()->firedTransition()->label(), QStringLiteral("Brake"));
    QCOMPARE(overlayCount(), marks);

    // Taking the breakpoint off takes its mark off.
    QVERIFY(m_driver->rightClick(ViewDriver::centreOf(braking), [](QMenu *menu) {
        QAction *breakOnEntry = menu->findChild<QAction *>(QStringLiteral("actionBreakOnEntry"));
        QVERIFY(breakOnEntry && breakOnEntry->isChecked());
        breakOnEntry->trigger();
    }));
    QVERIFY(sim()->stateBreakpoints().isEmpty());
    QCOMPARE(overlayCount(), marks - 1);

    // The trace is saved as the command-line tool writes it.
    const QString csv = m_dir.filePath(QStringLiteral("trace.csv"));
    m_prompter->saveAnswers << csv;
    click(dock()->saveTraceButton());
    const QByteArray saved = WindowProjectFixture::fileBytes(csv);
    QCOMPARE(saved, sim()->traceModel()->csv());
    const QList<QByteArray> lines = saved.split('\n');
    QCOMPARE(lines.size(), sim()->traceModel()->rowCount() + 2);
    QCOMPARE(lines.at(0), QByteArray("cycle,before,fired,after,changed"));
    QCOMPARE(lines.at(1), QByteArray("0,(start),(initial),Stopped,"));
    QVERIFY(saved.contains("\n3,Stopped,Start,Accelerating,cycles=0\n"));
    QVERIFY(saved.contains("\n6,Accelerating,ReachCruise,Cruising,speed=15\n"));

    // A trace that cannot be written is said to be so.
    m_prompter->saveAnswers << m_dir.filePath(QStringLiteral("no/such/folder/trace.csv"));
    click(dock()->saveTraceButton());
    QVERIFY(m_prompter->messageTexts().last().startsWith(QStringLiteral("The trace was not saved")));
    QVERIFY(!m_window->project()->isModified());
}

void tst_SimulationEditor::breaksOnACondition()
{
    QVERIFY(open(ExampleProject::document(), SpeedControlPath));
    QVERIFY(startAndWait());
    QLineEdit *condition = dock()->conditionEdit();
    QTest::keyClicks(condition, QStringLiteral("speed > 10"));
    QTest::keyClick(condition, Qt::Key_Return);
    QVERIFY(waitIdle());
    QVERIFY(dock()->statusText().contains(QStringLiteral("speed > 10")));

    dock()->rateBox()->setValue(1000);
    click(dock()->runButton());
    QTRY_VERIFY_WITH_TIMEOUT(dock()->statusText() == QStringLiteral("Paused: speed > 10 became true"), 20000);
    QVERIFY(waitIdle());
    QCOMPARE(value(QStringLiteral("speed")), QStringLiteral("15"));

    // A condition that does not compile is shown in the error log; the
    // simulation stays, and a correct condition brings the machine back.
    condition->clear();
    QTest::keyClicks(condition, QStringLiteral("speed >"));
    QTest::keyClick(condition, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(sim()->errorLog() && sim()->errorLog()->isVisible(), 20000);
    QVERIFY(sim()->errorLog()->rowTexts().join(QLatin1Char('\n')).contains(QStringLiteral("Breakpoint condition 1")));
    QTRY_VERIFY(!dock()->stepButton()->isEnabled());
    QVERIFY(sim()->isActive());
    condition->clear();
    QTest::keyClick(condition, Qt::Key_Return);
    QVERIFY(waitIdle());
    QCOMPARE(activeLabel(), QStringLiteral("Stopped"));
    QVERIFY(stepAndWait());
    QVERIFY(!m_window->project()->isModified());
}

void tst_SimulationEditor::crashOrHangIsReportedAndResetWorks()
{
    QVERIFY(open(oneStateMachine(QStringLiteral("Crashy"),
                                 QStringLiteral("if (flag == 1) { volatile int *nowhere = 0; *nowhere = flag; }\n"
                                                "while (flag == 2) { }")),
                 machinePath(QStringLiteral("Crashy"))));
    QVERIFY(startAndWait());
    QCOMPARE(activeLabel(), QStringLiteral("Idle"));
    typeValue(QStringLiteral("flag"), QStringLiteral("1"));
    QTRY_COMPARE(value(QStringLiteral("flag")), QStringLiteral("1"));
    click(dock()->stepButton());
    QTRY_VERIFY_WITH_TIMEOUT(dock()->statusText().contains(QStringLiteral("SIGSEGV")), 20000);
    QVERIFY(!dock()->stepButton()->isEnabled());
    QVERIFY(!dock()->runButton()->isEnabled());
    QVERIFY(dock()->resetButton()->isEnabled());
    QVERIFY(sim()->isActive());
    QCOMPARE(activeLabel(), QStringLiteral("Idle"));

    // Reset starts a fresh program, with every variable at its start value.
    click(dock()->resetButton());
    QVERIFY(waitIdle());
    QCOMPARE(value(QStringLiteral("flag")), QStringLiteral("0"));
    QVERIFY(!dock()->statusText().contains(QStringLiteral("SIGSEGV")));
    QVERIFY(stepAndWait(2));
    QVERIFY(dock()->cycleText().contains(QStringLiteral("Cycle: 2")));

    // A cycle that never ends is stopped after the time limit, the same way.
    typeValue(QStringLiteral("flag"), QStringLiteral("2"));
    QTRY_COMPARE(value(QStringLiteral("flag")), QStringLiteral("2"));
    click(dock()->stepButton());
    QTRY_VERIFY_WITH_TIMEOUT(dock()->statusText().contains(QStringLiteral("did not finish")), 20000);
    QVERIFY(dock()->statusIsFailure());
    QVERIFY(!dock()->stepButton()->isEnabled());
    click(dock()->resetButton());
    QVERIFY(waitIdle());
    QVERIFY(stepAndWait());
    QVERIFY(!dock()->statusIsFailure());
    QVERIFY(!m_window->project()->isModified());
}

void tst_SimulationEditor::compileErrorsGoToTheLogAndGiveTheDiagramBack()
{
    QVERIFY(open(oneStateMachine(QStringLiteral("Broken"), QStringLiteral("flag = ;")),
                 machinePath(QStringLiteral("Broken"))));
    m_driver->key(Qt::Key_F5);
    QTRY_VERIFY_WITH_TIMEOUT(sim()->errorLog() && sim()->errorLog()->isVisible(), 20000);
    QTRY_VERIFY(!sim()->isActive());
    QVERIFY(WindowProjectFixture::action(*m_window, "actionState")->isEnabled());
    const QStringList rows = sim()->errorLog()->rowTexts();
    int row = -1;
    for (int i = 0; i < rows.size() && row < 0; ++i)
        row = rows.at(i).contains(QStringLiteral("State 'Idle'")) ? i : -1;
    QVERIFY2(row >= 0, qPrintable(rows.join(QLatin1Char('\n'))));
    m_canvas->clearSelection();
    sim()->errorLog()->activateRow(row);
    QCOMPARE(m_canvas->selectedItems(), QList<QGraphicsItem *>{ state(QStringLiteral("Idle")) });
    QCOMPARE(overlayCount(), 0);
    QVERIFY(!m_window->project()->isModified());
}


// Entering a condition rebuilds the machine's program: the values set since
// the last cycle are set again, as Reset keeps them, and the trace marks
// where the new run begins.
void tst_SimulationEditor::aConditionKeepsTheValuesSetAndTheTraceMarksTheRestart()
{
    QVERIFY(open(ExampleProject::document(), SpeedControlPath));
    QVERIFY(startAndWait());
    typeValue(QStringLiteral("speedLimit"), QStringLiteral("77"));
    QTRY_COMPARE(value(QStringLiteral("speedLimit")), QStringLiteral("77"));
    QLineEdit *condition = dock()->conditionEdit();
    QTest::keyClicks(condition, QStringLiteral("speed > 10"));
    QTest::keyClick(condition, Qt::Key_Return);
    QVERIFY(waitIdle());
    QCOMPARE(value(QStringLiteral("speedLimit")), QStringLiteral("77"));
    const SimulationTraceModel *trace = sim()->traceModel();
    QCOMPARE(trace->rowCount(), 3);
    QCOMPARE(trace->index(1, SimulationTraceModel::CycleColumn).data().toString(), QStringLiteral("Restart"));
    QCOMPARE(trace->index(2, SimulationTraceModel::CycleColumn).data().toLongLong(), 0);
    QVERIFY(trace->csv().contains("\nrestart,,,,\n0,(start),(initial),Stopped,"));
    QVERIFY(stepAndWait());
    QCOMPARE(value(QStringLiteral("speedLimit")), QStringLiteral("77"));
}

void tst_SimulationEditor::coverageIsShownAndGreysWhatWasNeverReached()
{
    QVERIFY(open(ExampleProject::document(), SpeedControlPath));
    QVERIFY(startAndWait());
    QVERIFY(stepAndWait(7));   // Start, ReachCruise, Hold
    QCOMPARE(dock()->coverageSummary(), QStringLiteral("States entered: 3 of 4    Transitions fired: 3 of 5 (60%)"));
    const SimulationCoverageModel *coverage = sim()->coverageModel();
    QCOMPARE(coverage->rowCount(), 4 + 5);
    QCOMPARE(coverage->index(2, SimulationCoverageModel::CountColumn).data().toLongLong(), 2);   // Cruising, Hold
    QCOMPARE(coverage->index(3, SimulationCoverageModel::CountColumn).data().toString(), QStringLiteral("never entered"));
    QVERIFY(!sim()->highlighter()->unreachedShown());
    const int overlays = overlayCount();

    dock()->coverageToggle()->setChecked(true);
    QVERIFY(sim()->highlighter()->unreachedShown());
    QCOMPARE(overlayCount(), overlays + 1);
    // The veil covers Braking and the transitions Brake and Halt, nothing reached.
    QGraphicsItem *veil = nullptr;
    for (QGraphicsItem *item : sim()->highlighter()->overlayItems()) {
        if (item->zValue() < 1e9)
            veil = item;
    }
    QVERIFY(veil);
    QVERIFY(veil->shape().contains(state(QStringLiteral("Braking"))->sceneBoundingRect().center()));
    QVERIFY(!veil->shape().contains(state(QStringLiteral("Cruising"))->sceneBoundingRect().center()));
    for (TransitionItem *t : m_canvas->transitions()) {
        const bool reached = t->label() != QLatin1String("Brake") && t->label() != QLatin1String("Halt");
        QCOMPARE(veil->shape().contains(t->sceneBoundingRect().center()), !reached);
    }
    // More cycles reach more; the toggle off shows the diagram as it is.
    QVERIFY(stepAndWait(9));
    QCOMPARE(dock()->coverageSummary(), QStringLiteral("States entered: 4 of 4    Transitions fired: 5 of 5 (100%)"));
    QVERIFY(!sim()->highlighter()->unreachedShown());
    dock()->coverageToggle()->setChecked(false);
    QVERIFY(!sim()->highlighter()->unreachedShown());
    QVERIFY(!m_window->project()->isModified());
}

// Labels are not cut short and the changed variables stay in sight.
void tst_SimulationEditor::traceColumnsFitTheirContent()
{
    QVERIFY(open(ExampleProject::document(), SpeedControlPath));
    QVERIFY(startAndWait());
    QVERIFY(stepAndWait(4));
    QTableView *view = dock()->traceView();
    const QFontMetrics metrics(view->font());
    for (int column : { SimulationTraceModel::BeforeColumn, SimulationTraceModel::AfterColumn })
        QVERIFY(view->horizontalHeader()->sectionSize(column) > metrics.horizontalAdvance(QStringLiteral("Accelerating")));
    QVERIFY(view->horizontalHeader()->sectionSize(SimulationTraceModel::FiredColumn)
            > metrics.horizontalAdvance(QStringLiteral("ReachCruise")));
    const int changed = view->horizontalHeader()->sectionViewportPosition(SimulationTraceModel::ChangedColumn);
    QVERIFY2(changed >= 0 && changed + metrics.horizontalAdvance(QStringLiteral("speed=5")) < view->viewport()->width(),
             qPrintable(QStringLiteral("%1 of %2").arg(changed).arg(view->viewport()->width())));
}


// Simulate on a sub-machine's diagram simulates its machine: the active
// state is marked on the machine's diagram and on the sub-machine's, each
// with its own transition and initial arrow; the dock lists both diagrams
// and shows either, as a double click on a trace row's sub-state and a
// holder's "Open Sub-machine" do; a sub-state's breakpoint stops the run
// on its entry; the project stays as it was and Stop takes every mark away.
void tst_SimulationEditor::subMachinesAreMarkedOnEveryDiagram()
{
    QVERIFY(open(cruiser(), machinePath(QStringLiteral("Cruiser"))));
    Canvas *machine = m_canvas;
    WindowProjectFixture::doubleClickNode(
        *m_window, WindowProjectFixture::nodeIndex(*m_window, machinePath(QStringLiteral("Cruiser")) << QStringLiteral("Running")));
    Canvas *sub = m_window->project()->shownCanvas();
    QVERIFY(sub && sub != machine);
    QCOMPARE(sub->level(), 6);
    const QByteArray before = snapshot();
    QVERIFY(startAndWait());
    QCOMPARE(dock()->windowTitle(), QStringLiteral("Simulation: Cruiser"));
    QCOMPARE(dock()->diagramBox()->count(), 2);
    QCOMPARE(dock()->diagramBox()->itemText(1), QStringLiteral("Running"));
    QCOMPARE(dock()->diagramBox()->currentIndex(), 1);
    SimulationHighlighter *outer = SimulationHighlighter::of(machine);
    SimulationHighlighter *inner = SimulationHighlighter::of(sub);
    QVERIFY(outer && inner);
    QCOMPARE(outer->activeState()->label(), QStringLiteral("Idle"));
    QVERIFY(!inner->activeState());

    typeValue(QStringLiteral("go"), QStringLiteral("1"));
    QVERIFY(stepAndWait());
    QCOMPARE(outer->activeState()->label(), QStringLiteral("Running"));
    QCOMPARE(outer->firedTransition()->label(), QStringLiteral("Start"));
    QCOMPARE(inner->activeState()->label(), QStringLiteral("RampUp"));
    QVERIFY(inner->initialShown());
    QCOMPARE(dock()->cycleText(), QStringLiteral("Cycle: 1    State: Running/RampUp"));
    QVERIFY(stepAndWait(3));
    QCOMPARE(inner->activeState()->label(), QStringLiteral("Cruise"));
    QCOMPARE(inner->firedTransition()->label(), QStringLiteral("RampUpToCruise"));
    QCOMPARE(outer->activeState()->label(), QStringLiteral("Running"));
    QVERIFY(!outer->firedTransition());
    const SimulationCoverageModel *coverage = sim()->coverageModel();
    QCOMPARE(coverage->rowCount(), 4 + 3);
    QCOMPARE(coverage->index(3, SimulationCoverageModel::NameColumn).data().toString(), QStringLiteral("Running/Cruise"));
    QCOMPARE(coverage->index(3, SimulationCoverageModel::CountColumn).data().toLongLong(), 1);

    // Show the machine's diagram, then the sub-machine's from the trace.
    dock()->diagramBox()->setCurrentIndex(0);
    click(dock()->showDiagramButton());
    QCOMPARE(m_window->project()->shownCanvas(), machine);
    QTableView *trace = dock()->traceView();
    const QModelIndex cell = trace->model()->index(4, SimulationTraceModel::AfterColumn);
    QCOMPARE(cell.data().toString(), QStringLiteral("Running/Cruise"));
    trace->scrollTo(cell);
    QTest::mouseClick(trace->viewport(), Qt::LeftButton, Qt::NoModifier, trace->visualRect(cell).center());
    QTest::mouseDClick(trace->viewport(), Qt::LeftButton, Qt::NoModifier, trace->visualRect(cell).center());
    QCOMPARE(m_window->project()->shownCanvas(), sub);
    QCOMPARE(dock()->diagramBox()->currentIndex(), 1);

    // Leaving Running leaves the sub-machine's diagram unmarked; entering
    // it again stops at RampUp's breakpoint, set on the sub-machine's
    // diagram, whose holder's menu opens it.
    typeValue(QStringLiteral("stop"), QStringLiteral("1"));
    QVERIFY(stepAndWait());
    QCOMPARE(outer->activeState()->label(), QStringLiteral("Idle"));
    QVERIFY(!inner->activeState());
    typeValue(QStringLiteral("stop"), QStringLiteral("0"));

    // A breakpoint on a sub-state's entry; the holder's menu opens its sub-machine.
    StateItem *rampUp = sub->states().at(0);
    QCOMPARE(rampUp->label(), QStringLiteral("RampUp"));
    QVERIFY(m_driver->rightClick(ViewDriver::centreOf(rampUp), [](QMenu *menu) {
        QVERIFY(!menu->findChild<QAction *>(QStringLiteral("actionOpenSubMachine")));
        menu->findChild<QAction *>(QStringLiteral("actionBreakOnEntry"))->trigger();
    }));
    QCOMPARE(sim()->stateBreakpoints(), QSet<int>{ 2 });
    QCOMPARE(inner->overlayItems().size(), 1);   // the dot: nothing is active there
    dock()->diagramBox()->setCurrentIndex(0);
    click(dock()->showDiagramButton());
    StateItem *running = machine->states().at(1);
    QVERIFY(m_driver->rightClick(ViewDriver::centreOf(running), [](QMenu *menu) {
        QAction *open = menu->findChild<QAction *>(QStringLiteral("actionOpenSubMachine"));
        QVERIFY(open);
        open->trigger();
    }));
    QCOMPARE(m_window->project()->shownCanvas(), sub);

    QTRY_COMPARE(value(QStringLiteral("stop")), QStringLiteral("0"));
    QVERIFY(stepAndWait());
    QVERIFY(dock()->statusText().startsWith(QStringLiteral("Paused: state 'Running/RampUp' was entered")));
    QCOMPARE(inner->activeState()->label(), QStringLiteral("RampUp"));
    QVERIFY(!m_window->project()->isModified());
    QCOMPARE(snapshot(), before);
    dock()->diagramBox()->setCurrentIndex(0);
    click(dock()->showDiagramButton());
    click(dock()->stopButton());
    QVERIFY(!sim()->isActive());
    QVERIFY(!SimulationHighlighter::of(machine));
    QVERIFY(!SimulationHighlighter::of(sub));
    // The diagram shown (not the one the simulation started on) has its tools again.
    QCOMPARE(m_window->project()->shownCanvas(), machine);
    QCOMPARE(m_window->toolContext(), 5);
    QVERIFY(WindowProjectFixture::action(*m_window, "actionState")->isEnabled());
}

QTEST_MAIN(tst_SimulationEditor)
#include "tst_simulation_editor.moc"
