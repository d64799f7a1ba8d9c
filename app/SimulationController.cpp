#include "SimulationController.h"

#include "Canvas.h"
#include "CheckedSaveFile.h"
#include "CodegenErrorLog.h"
#include "ItemRef.h"
#include "Project.h"
#include "ProjectActions.h"
#include "ProjectBrowser.h"
#include "ProjectWindow.h"
#include "Prompter.h"
#include "Sandbox.h"
#include "SimulationCoverageModel.h"
#include "SimulationDock.h"
#include "SimulationHighlighter.h"
#include "SimulationIncludePath.h"
#include "SimulationScript.h"
#include "SimulationSettingsDialog.h"
#include "SimulationSession.h"
#include "SimulationTarget.h"
#include "SimulationTrace.h"
#include "SimulationTraceModel.h"
#include "SimulationFunctionsModel.h"
#include "SimulationVariablesModel.h"
#include "SimulationViewGuard.h"
#include "StateItem.h"
#include "ToolSets.h"
#include "TransitionItem.h"
#include "TreeNode.h"
#include "TrustStore.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsView>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>

namespace {

const char BoxTitle[] = "Simulation";
// The fastest the run timer ticks; faster rates run several cycles a tick.
const int ShortestTickMs = 20;
// Room kept around the active state when the view scrolls to it.
const int VisibleMargin = 40;

// What Run > Simulate says: what it does, and on a process diagram why it is off.
const char SimulateTip[] = "Run the state machine's generated C and show what it does";
const char ProcessDiagramTip[] = "Simulation runs the state machine of a state-machine diagram: "
                                 "open one in the project browser to simulate it";

} // namespace

SimulationController::SimulationController(ProjectWindow *window, QGraphicsView *view, QWidget *browser, QMenu *runMenu)
    : QObject(window->dialogParent()), m_window(window), m_view(view), m_browser(browser), m_runMenu(runMenu)
{
    m_simulate = new QAction(QStringLiteral("&Simulate"), this);
    m_simulate->setObjectName(QStringLiteral("actionSimulate"));
    m_simulate->setShortcut(QKeySequence(Qt::Key_F5));
    showTip(QString::fromLatin1(SimulateTip));
    m_simulate->setEnabled(false);
    m_stopAction = new QAction(QStringLiteral("Stop Simulation"), this);
    m_stopAction->setObjectName(QStringLiteral("actionStopSimulation"));
    m_stopAction->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F5));
    m_stopAction->setEnabled(false);
    // Only actions given a tip of their own show one in the menu.
    runMenu->setToolTipsVisible(true);
    runMenu->installEventFilter(this);
    runMenu->addSeparator();
    runMenu->addAction(m_simulate);
    runMenu->addAction(m_stopAction);
    m_settingsAction = new QAction(QStringLiteral("Simulation Settings..."), this);
    m_settingsAction->setObjectName(QStringLiteral("actionSimulationSettings"));
    m_settingsAction->setStatusTip(QStringLiteral("The project's include folders and prelude for simulating its machines"));
    runMenu->addAction(m_settingsAction);
    connect(m_settingsAction, &QAction::triggered, this, &SimulationController::editSettings);
    connect(m_simulate, &QAction::triggered, this, &SimulationController::start);
    connect(m_stopAction, &QAction::triggered, this, &SimulationController::stop);

    m_variables = new SimulationVariablesModel(this);
    m_trace = new SimulationTraceModel(this);
    m_coverage = new SimulationCoverageModel(this);
    connect(m_variables, &SimulationVariablesModel::valueEdited, this, &SimulationController::editVariable);
    m_functions = new SimulationFunctionsModel(this);
    connect(m_functions, &SimulationFunctionsModel::returnsEdited, this, &SimulationController::editStub);
    connect(&m_runTimer, &QTimer::timeout, this, &SimulationController::runTick);
    setRate(SimulationDock::DefaultRate);
}

SimulationController::~SimulationController()
{
    m_runTimer.stop();
    m_session.reset();
}

void SimulationController::setContext(int context)
{
    const bool processDiagram = context > ToolSets::NoProject && context < TreeNode::MaxLevel;
    showTip(QString::fromLatin1(processDiagram ? ProcessDiagramTip : SimulateTip));
}

void SimulationController::showTip(const QString &tip)
{
    m_simulate->setToolTip(tip);
    m_simulate->setStatusTip(tip);
}

bool SimulationController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_runMenu && event->type() == QEvent::MouseMove) {
        // Runs before the menu's own handling, which then shows the tip of
        // an enabled entry the mouse moved on to.
        const QPoint at = static_cast<QMouseEvent *>(event)->pos();
        const bool overOffSimulate = m_runMenu->actionAt(at) == m_simulate && !m_simulate->isEnabled();
        if (overOffSimulate && !m_offTipShown)
            m_window->showStatus(m_simulate->statusTip());
        else if (!overOffSimulate && m_offTipShown)
            m_window->showStatus(QString());
        m_offTipShown = overOffSimulate;
    }
    return QObject::eventFilter(watched, event);
}

SimulationDock *SimulationController::dock()
{
    // The dock is built the first time it is needed: a start that never
    // simulates does not pay for its tables and buttons.
    if (m_dock)
        return m_dock;
    m_dock = new SimulationDock(m_variables, m_trace, m_coverage, m_window->dialogParent());
    m_window->addSideDock(m_dock);
    m_dock->setFunctionsModel(m_functions);
    m_dock->hide();
    connect(m_dock, &SimulationDock::resetClicked, this, &SimulationController::reset);
    connect(m_dock, &SimulationDock::stepClicked, this, &SimulationController::step);
    connect(m_dock, &SimulationDock::runToggled, this, &SimulationController::setRunning);
    connect(m_dock, &SimulationDock::rateChanged, this, &SimulationController::setRate);
    connect(m_dock, &SimulationDock::stopClicked, this, &SimulationController::stop);
    connect(m_dock, &SimulationDock::saveTraceClicked, this, &SimulationController::saveTrace);
    connect(m_dock, &SimulationDock::conditionEntered, this, &SimulationController::setCondition);
    connect(m_dock, &SimulationDock::coverageToggled, this, &SimulationController::showCoverage);
    return m_dock;
}

Canvas *SimulationController::canvas() const
{
    return m_canvas;
}

SimulationHighlighter *SimulationController::highlighter() const
{
    return m_highlighter;
}

CodegenErrorLog *SimulationController::errorLog() const
{
    return m_errorLog;
}

// --- entering and leaving --------------------------------------------------------------

void SimulationController::start()
{
    if (m_active)
        return;
    Canvas *canvas = m_window->project()->shownCanvas();
    const SimulationTarget target = SimulationTarget::forCanvas(m_window->project()->canvases(), canvas);
    if (!target.ok()) {
        Prompter::critical(m_window->dialogParent(), QString::fromLatin1(BoxTitle),
                           QStringLiteral("The state machine cannot be simulated: %1.").arg(target.error));
        return;
    }
    if (!mayRunProjectCode() || !mayRunUnconfined())
        return;
    m_machine = target.machine;
    m_module = target.module;
    m_breakStates.clear();
    m_condition.clear();
    m_trace->clear();
    m_coverage->setMachine(m_machine);
    m_earlierCoverage = m_coverage->coverage();
    dock()->showCoverage();
    dock()->setTraceDropped(0);
    dock()->clearOutput();
    dock()->conditionEdit()->clear();
    dock()->setCycle(-1, QString());
    dock()->fitTraceColumns(m_machine);
    enterMode(canvas);
    startSession();
}

bool SimulationController::mayRunProjectCode()
{
    const QString projectPath = m_window->projectActions() ? m_window->projectActions()->projectPath() : QString();
    TrustStore store;
    if (projectPath.isEmpty() || store.isTrusted(projectPath))
        return true;
    const QString folder = QDir::toNativeSeparators(QFileInfo(projectPath).absolutePath());
    MessageRequest question;
    question.icon = QMessageBox::Warning;
    question.title = QString::fromLatin1(BoxTitle);
    question.textFormat = Qt::PlainText;
    question.text = QStringLiteral("Simulating will compile and run the C in this project's actions and conditions "
                                   "on this computer.");
    question.informativeText = QStringLiteral("The folder %1 is not one you trust. Its C files and headers are "
                                              "compiled with the project. Run only projects whose code you trust; "
                                              "they run in a sandbox, without network or your home folder.")
                                   .arg(folder);
    question.buttons = QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::Cancel;
    question.defaultButton = QMessageBox::Cancel;
    question.buttonTexts.insert(QMessageBox::Yes, QStringLiteral("Run Once"));
    question.buttonTexts.insert(QMessageBox::YesToAll, QStringLiteral("Trust This Folder"));
    const QMessageBox::StandardButton answer = Prompter::current()->message(m_window->dialogParent(), question);
    if (answer == QMessageBox::YesToAll) {
        QString error;
        if (!store.trustFolder(QFileInfo(projectPath).absolutePath(), &error))
            Prompter::critical(m_window->dialogParent(), QString::fromLatin1(BoxTitle),
                               QStringLiteral("The folder is trusted for this run only: %1").arg(error));
        return true;
    }
    return answer == QMessageBox::Yes;
}

bool SimulationController::mayRunUnconfined()
{
    m_allowUnconfined = false;
    const Sandbox::Availability sandbox = Sandbox::availability();
    if (sandbox.confined)
        return true;
    MessageRequest question;
    question.icon = QMessageBox::Warning;
    question.title = QString::fromLatin1(BoxTitle);
    question.textFormat = Qt::PlainText;
    question.text = QStringLiteral("The machine's C cannot be run in a sandbox on this computer: %1.").arg(sandbox.reason);
    question.informativeText = QStringLiteral("Without the sandbox it runs with all your rights: it can read and "
                                              "change your files and use the network. Run it unconfined this once?");
    question.buttons = QMessageBox::Yes | QMessageBox::Cancel;
    question.defaultButton = QMessageBox::Cancel;
    question.buttonTexts.insert(QMessageBox::Yes, QStringLiteral("Run Without Sandbox"));
    m_allowUnconfined = Prompter::current()->message(m_window->dialogParent(), question) == QMessageBox::Yes;
    return m_allowUnconfined;
}

void SimulationController::enterMode(Canvas *canvas)
{
    m_active = true;
    m_canvas = canvas;
    m_previousContext = m_window->toolContext();
    // Select mode, so that no drawing tool waits for a click meanwhile.
    m_window->chooseSelectTool();
    canvas->clearSelection();
    m_window->applyToolSet(ToolSets::Simulation);
    m_browser->setEnabled(false);
    m_guard = std::make_unique<SimulationViewGuard>(
        m_view, [this](const QList<QGraphicsItem *> &items, const QPoint &pos) { showContextMenu(items, pos); });
    m_highlighter = new SimulationHighlighter(canvas);
    // A canvas that goes away (the window closes) ends the simulation.
    connect(canvas, &QObject::destroyed, this, &SimulationController::stop);
    m_stopAction->setEnabled(true);
    dock()->setWindowTitle(QStringLiteral("Simulation: %1").arg(m_module.moduleName));
    dock()->show();
    dock()->raise();
}

void SimulationController::stop()
{
    if (!m_active)
        return;
    m_active = false;
    endSession();
    delete m_highlighter;
    m_guard.reset();
    m_browser->setEnabled(true);
    dock()->setRunning(false);
    dock()->hide();
    m_stopAction->setEnabled(false);
    if (m_canvas) {
        disconnect(m_canvas, nullptr, this, nullptr);
        m_window->applyToolSet(m_previousContext);
    }
    m_canvas = nullptr;
}

void SimulationController::startSession(const QVector<QPair<QString, QString>> &values)
{
    SimulationOptions options;
    const QString projectPath = m_window->projectActions() ? m_window->projectActions()->projectPath() : QString();
    if (!projectPath.isEmpty())
        options.includeDirectories << QFileInfo(projectPath).absolutePath();
    // The project's own simulation settings: its include folders, relative
    // to its folder, and its prelude.
    if (const Project *project = m_window->project()) {
        const SimulationSettings &settings = project->simulationSettings();
        QStringList folders;
        QString error;
        const QString base = projectPath.isEmpty() ? QDir::currentPath() : QFileInfo(projectPath).absolutePath();
        if (!SimulationIncludePath::resolve(base, settings.includePath, &folders, &error)) {
            dock()->setStatus(error + QStringLiteral("; change it in Run > Simulation Settings."), true);
            dock()->setMachineUsable(false, false);
            return;
        }
        options.includeDirectories << folders;
        options.prelude = settings.prelude;
    }
    if (!m_condition.isEmpty())
        options.conditions << m_condition;
    options.allowUnconfined = m_allowUnconfined;
    m_session = std::make_unique<SimulationSession>(m_machine, m_module, options);
    m_ready = false;
    m_haveCycle = false;
    m_changed.clear();
    SimulationSession *session = m_session.get();
    connect(session, &SimulationSession::ready, this, &SimulationController::sessionReady);
    connect(session, &SimulationSession::failed, this, &SimulationController::sessionFailed);
    connect(session, &SimulationSession::cycleFinished, this, &SimulationController::cycleFinished);
    connect(session, &SimulationSession::commandFinished, this, &SimulationController::commandFinished);
    connect(session, &SimulationSession::variablesChanged, this, &SimulationController::showVariables);
    connect(session, &SimulationSession::stubsChanged, this, &SimulationController::showStubs);
    connect(session, &SimulationSession::outputReceived, dock(), &SimulationDock::appendOutput);
    dock()->setStatus(QStringLiteral("Compiling %1...").arg(m_module.moduleName));
    dock()->setMachineUsable(false, false);
    session->start();
    for (const auto &value : values)
        session->setVariable(value.first, value.second);
    for (int state : qAsConst(m_breakStates))
        session->setStateBreakpoint(state, true);
    if (!m_condition.isEmpty())
        session->setConditionBreakpoint(0, true);
    m_pendingStep = session->reset();
    showBreakpoints();
}

void SimulationController::endSession()
{
    m_runTimer.stop();
    m_ready = false;
    m_pendingStep = 0;
    if (!m_session)
        return;
    // The session may be the one calling: it goes once its signal returns.
    SimulationSession *session = m_session.release();
    session->disconnect(this);
    session->stop();
    session->deleteLater();
}

// --- what the machine's program reports ------------------------------------------------

void SimulationController::sessionReady()
{
    m_ready = true;
    dock()->setMachineUsable(true, true);
    dock()->setStatus(m_condition.isEmpty() ? QStringLiteral("Ready")
                                            : QStringLiteral("Ready; pauses when %1 becomes true").arg(m_condition));
    showVariables();
}

void SimulationController::sessionFailed(const SimulationFailure &failure)
{
    setRunning(false);
    m_pendingStep = 0;
    // The cycles before the failure count.
    updateCoverage();
    if (m_ready) {
        // The program ran and died: the diagram shows where; Reset starts it again.
        dock()->setStatus(failure.message + QStringLiteral("\nReset starts the machine again."), true);
        dock()->setMachineUsable(false, true);
        if (failure.state >= 0)
            showPosition(failure.state, failure.transition, false);
        return;
    }
    // No program: what the compiler said goes to the error log. A condition
    // that does not compile can be corrected in the dock; anything else
    // needs the diagram, which is given back.
    const bool conditionMayBeAtFault = failure.kind == SimulationFailure::NotCompiled && !m_condition.isEmpty();
    QMetaObject::invokeMethod(this, [this, failure, conditionMayBeAtFault] {
        if (failure.kind == SimulationFailure::NotCompiled)
            showCompileErrors(failure);
        if (conditionMayBeAtFault) {
            dock()->setStatus(QStringLiteral("The machine's program did not compile (see the error log). "
                                             "Correct the condition and press Enter, or clear it."), true);
            dock()->setMachineUsable(false, false);
            return;
        }
        stop();
        if (failure.kind != SimulationFailure::NotCompiled)
            Prompter::critical(m_window->dialogParent(), QString::fromLatin1(BoxTitle),
                               QStringLiteral("The state machine cannot be simulated: %1.").arg(failure.message));
    }, Qt::QueuedConnection);
}

void SimulationController::cycleFinished(const SimulationCycle &cycle)
{
    // A reset's initial cycle after others begins a new run: the trace says so.
    if (cycle.number == 0 && m_trace->rowCount() > 0)
        m_trace->append(SimulationTrace::restartRow(SimulationTrace::showsEntryExit(m_machine)));
    SimulationTrace::Row row = SimulationTrace::row(m_machine, m_session->variables(), cycle);
    SimulationTrace::addCalls(&row, m_session->stubs(), cycle);
    m_trace->append(row);
    for (const SimulationChange &change : cycle.changes)
        m_changed.insert(change.variable);
    m_lastCycle = cycle;
    m_haveCycle = true;
}

void SimulationController::commandFinished(int command, const SimulationReply &reply)
{
    if (reply.kind == SimulationReply::Failed) {
        if (command == m_pendingStep)
            m_pendingStep = 0;
        return;   // failed() says why
    }
    if (command != m_pendingStep) {
        if (reply.kind == SimulationReply::Error)
            dock()->setStatus(reply.text, true);
        return;
    }
    m_pendingStep = 0;
    showVariables();
    updateCoverage();
    // Once a command, not once a cycle: Run may take hundreds at a time.
    dock()->setTraceDropped(m_trace->dropped());
    dock()->traceView()->scrollToBottom();
    const int stateCount = m_machine.states.size();
    if (m_haveCycle)
        showPosition(m_session->state(), m_lastCycle.fired, m_lastCycle.initialTransition(stateCount));
    dock()->setCycle(m_session->cycle(), m_session->stateName(m_session->state()));
    if (reply.kind == SimulationReply::Break) {
        setRunning(false);
        dock()->setStatus(breakText(reply.hit));
    } else if (reply.kind == SimulationReply::Error) {
        setRunning(false);
        dock()->setStatus(reply.text, true);
    } else if (dock()->statusIsFailure()) {
        dock()->setStatus(QString());
    }
}

void SimulationController::showVariables()
{
    if (!m_session)
        return;
    m_variables->setVariables(m_session->variables(), m_changed);
    m_changed.clear();
    showStubs();
}

// The settings change the project (one undo step); a running simulation
// takes them at its next start.
void SimulationController::editSettings()
{
    Project *project = m_window->project();
    if (!project)
        return;
    SimulationSettingsDialog dialog(project->simulationSettings(), m_window->dialogParent());
    if (dialog.exec() == QDialog::Accepted)
        project->setSimulationSettings(dialog.settings());
}

void SimulationController::showStubs()
{
    if (m_session)
        m_functions->setStubs(m_session->stubs());
}

void SimulationController::editStub(const QString &name, const QStringList &values, bool sequence)
{
    if (m_session && m_ready)
        m_session->setStubReturns(name, values, sequence);
}

void SimulationController::showPosition(int state, int fired, bool initial)
{
    if (!m_highlighter)
        return;
    StateItem *item = stateItem(state);
    if (initial)
        m_highlighter->showInitial(item);
    else
        m_highlighter->showActive(item, m_canvas ? m_canvas->transitions().value(fired) : nullptr);
    if (item)
        m_view->ensureVisible(item, VisibleMargin, VisibleMargin);
}

StateItem *SimulationController::stateItem(int state) const
{
    if (!m_canvas || state < 0 || state >= m_machine.states.size())
        return nullptr;
    // The machine was read from these diagrams in list order.
    StateItem *item = m_canvas->states().value(state);
    return item && item->label() == m_machine.states.at(state).label ? item : nullptr;
}

QString SimulationController::breakText(const SimulationBreak &hit) const
{
    if (hit.kind == SimulationBreak::StateEntered)
        return QStringLiteral("Paused: state %1 was entered").arg(printableLabel(m_session->stateName(hit.index)));
    return QStringLiteral("Paused: %1 became true").arg(m_condition);
}

// --- the dock's commands --------------------------------------------------------------

void SimulationController::reset()
{
    if (!m_session || !m_ready)
        return;
    setRunning(false);
    dock()->setMachineUsable(true, true);
    m_pendingStep = m_session->reset();
}

void SimulationController::step()
{
    if (!m_session || !m_ready || m_pendingStep || m_session->failure().failed())
        return;
    m_pendingStep = m_session->step(1);
}

void SimulationController::setRunning(bool run)
{
    if (run && (!m_session || !m_ready || m_session->failure().failed()))
        run = false;
    dock()->setRunning(run);
    if (!run) {
        if (m_runTimer.isActive())
            dock()->setStatus(QStringLiteral("Paused"));
        m_runTimer.stop();
        return;
    }
    dock()->setStatus(QStringLiteral("Running"));
    m_runTimer.start();
    runTick();
}

void SimulationController::runTick()
{
    if (m_session && m_ready && !m_pendingStep)
        m_pendingStep = m_session->step(m_cyclesPerTick);
}

void SimulationController::setRate(int cyclesPerSecond)
{
    const int rate = qBound(1, cyclesPerSecond, SimulationDock::MaxRate);
    const int interval = qMax(ShortestTickMs, 1000 / rate);
    m_cyclesPerTick = qMax(1, qRound(rate * interval / 1000.0));
    m_runTimer.setInterval(interval);
}

void SimulationController::editVariable(int row, const QString &literal)
{
    if (!m_session || row < 0 || row >= m_session->variables().size())
        return;
    const QString name = m_session->variables().at(row).name;
    if (!SimulationScript::isLiteral(literal)) {
        dock()->setStatus(QStringLiteral("%1: '%2' is not a C integer or floating literal").arg(name, literal), true);
        return;
    }
    m_session->setVariable(name, literal);
    dock()->setStatus(QStringLiteral("%1 = %2 before the next cycle").arg(name, literal));
}

void SimulationController::setCondition(const QString &condition)
{
    if (!m_active || condition == m_condition)
        return;
    // The condition is compiled into the machine's program, so the program
    // is built again and the machine starts over; values set since the last
    // cycle are set again, as a reset keeps them.
    m_condition = condition;
    const QVector<QPair<QString, QString>> kept = m_session ? m_session->pendingValues()
                                                            : QVector<QPair<QString, QString>>();
    m_earlierCoverage = m_coverage->coverage();
    endSession();
    startSession(kept);
}

void SimulationController::setStateBreakpoint(int state, bool on)
{
    if (state < 0 || state >= m_machine.states.size())
        return;
    if (on)
        m_breakStates.insert(state);
    else
        m_breakStates.remove(state);
    if (m_session)
        m_session->setStateBreakpoint(state, on);
    showBreakpoints();
}

void SimulationController::showCoverage(bool on)
{
    m_coverageShown = on;
    updateCoverage();
}

void SimulationController::updateCoverage()
{
    if (!m_session)
        return;
    SimulationCoverage coverage = m_session->coverage();
    if (coverage.stateEntries.size() != m_earlierCoverage.stateEntries.size()
        || coverage.transitionFires.size() != m_earlierCoverage.transitionFires.size())
        return;   // not built yet
    for (int i = 0; i < coverage.stateEntries.size(); ++i)
        coverage.stateEntries[i] += m_earlierCoverage.stateEntries.at(i);
    for (int i = 0; i < coverage.transitionFires.size(); ++i)
        coverage.transitionFires[i] += m_earlierCoverage.transitionFires.at(i);
    m_coverage->setCoverage(coverage);
    dock()->showCoverage();
    if (!m_highlighter || !m_canvas)
        return;
    QList<StateItem *> states;
    QList<TransitionItem *> transitions;
    if (m_coverageShown) {
        for (int i = 0; i < coverage.stateEntries.size(); ++i) {
            if (coverage.stateEntries.at(i) == 0)
                if (StateItem *item = stateItem(i))
                    states << item;
        }
        // The machine's transitions are the canvas's, in list order.
        const QList<TransitionItem *> items = m_canvas->transitions();
        for (int i = 0; i < coverage.transitionFires.size() && i < items.size(); ++i) {
            if (coverage.transitionFires.at(i) == 0 && items.at(i)->label() == m_machine.transitions.at(i).label)
                transitions << items.at(i);
        }
    }
    m_highlighter->setUnreached(states, transitions);
}

void SimulationController::showBreakpoints()
{
    if (!m_highlighter)
        return;
    QList<StateItem *> items;
    for (int state : qAsConst(m_breakStates)) {
        if (StateItem *item = stateItem(state))
            items << item;
    }
    m_highlighter->setBreakpoints(items);
}

void SimulationController::showContextMenu(const QList<QGraphicsItem *> &items, const QPoint &globalPos)
{
    if (!m_canvas)
        return;
    int state = -1;
    for (QGraphicsItem *item : items) {
        for (QGraphicsItem *up = item; up && state < 0; up = up->parentItem())
            state = m_canvas->states().indexOf(qgraphicsitem_cast<StateItem *>(up));
        if (state >= 0 || !SimulationHighlighter::isOverlay(item))
            break;
    }
    if (!stateItem(state))
        return;
    QMenu menu(m_view);
    QAction *breakOnEntry = menu.addAction(QStringLiteral("Break on Entry"));
    breakOnEntry->setObjectName(QStringLiteral("actionBreakOnEntry"));
    breakOnEntry->setCheckable(true);
    breakOnEntry->setChecked(m_breakStates.contains(state));
    connect(breakOnEntry, &QAction::triggered, this, [this, state](bool on) { setStateBreakpoint(state, on); });
    menu.exec(globalPos);
}

void SimulationController::showCompileErrors(const SimulationFailure &failure)
{
    QVector<CodegenErrorLog::Row> rows;
    for (const DesignFinding &finding : m_module.findings)
        rows << CodegenErrorLog::Row{ finding, finding.item.nodePath(m_machine), true };
    for (const DesignFinding &finding : failure.findings)
        rows << CodegenErrorLog::Row{ finding, finding.item.nodePath(m_machine), true };
    if (failure.findings.isEmpty()) {
        DesignFinding said;
        said.fromCompiler = true;
        said.text = ItemRef::machine().describe(m_machine) + QStringLiteral(": ") + failure.message;
        rows << CodegenErrorLog::Row{ said, m_machine.nodePath, true };
    }
    if (!m_errorLog) {
        m_errorLog = new CodegenErrorLog(m_window->dialogParent());
        m_errorLog->setWindowTitle(QStringLiteral("Simulation: the machine's C did not compile"));
        connect(m_errorLog, &CodegenErrorLog::itemRequested, this, [this](const QVector<int> &path, const ItemRef &item) {
            // Showing an item edits nothing, but it shows another diagram.
            stop();
            if (ProjectActions *commands = m_window->projectActions())
                commands->browser()->showItem(path, item);
        });
    }
    m_errorLog->setRows(rows);
    m_errorLog->show();
    m_errorLog->raise();
}

void SimulationController::saveTrace()
{
    FileRequest request;
    request.caption = QStringLiteral("Save Trace");
    const QString projectPath = m_window->projectActions() ? m_window->projectActions()->projectPath() : QString();
    request.directory = projectPath.isEmpty() ? QString() : QFileInfo(projectPath).absolutePath();
    request.filter = QStringLiteral("CSV files (*.csv)");
    request.defaultSuffix = QStringLiteral("csv");
    const QString path = Prompter::current()->saveFileName(dock(), request);
    if (path.isEmpty())
        return;
    QString error;
    if (!CheckedSaveFile::writeWhole(path, m_trace->csv(), QIODevice::WriteOnly, &error)) {
        Prompter::critical(m_window->dialogParent(), QString::fromLatin1(BoxTitle),
                           QStringLiteral("The trace was not saved to %1: %2").arg(path, error));
        return;
    }
    dock()->setStatus(QStringLiteral("Trace saved to %1").arg(QDir::toNativeSeparators(path)));
}
