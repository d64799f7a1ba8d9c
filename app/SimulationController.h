#pragma once

// Simulation in the editor. Run > Simulate (F5) on a state-machine diagram
// compiles the machine's generated C with a harness (SimulationSession) and
// shows what it does. The project's C runs only after the user agreed to it
// (once, or for its folder: TrustStore) and in the sandbox, or without it
// where none can be made and the user agreed to that run: the diagram becomes read-only, the "Simulation" dock
// drives the machine, the active state and the transition fired last are
// highlighted on the canvas (SimulationHighlighter) and the view keeps the
// active state in sight. Stop (Shift+F5 or Esc) gives the diagram back.
//
// The project is never changed: the machine is read from a snapshot of the
// diagrams, the canvas's input is held back by SimulationViewGuard, the
// tools that edit, open or close are off, and the highlight is made of
// overlay items only.

#include "CEmitter.h"
#include "MachineDescription.h"
#include "SimulationHighlighters.h"
#include "SimulationRecords.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <memory>

class Canvas;
class CodegenErrorLog;
class ProjectWindow;
class QAction;
class QGraphicsItem;
class QGraphicsView;
class QMenu;
class QWidget;
class SimulationCoverageModel;
class SimulationDock;
class SimulationHighlighter;
class SimulationLevels;
class SimulationSession;
class SimulationTraceModel;
class SimulationFunctionsModel;
class SimulationVariablesModel;
class SimulationViewGuard;
class StateItem;

class SimulationController : public QObject
{
    Q_OBJECT
public:
    // `browser`: the project browser, held still while simulating.
    SimulationController(ProjectWindow *window, QGraphicsView *view, QWidget *browser, QMenu *runMenu);
    ~SimulationController() override;

    QAction *simulateAction() const { return m_simulate; }
    QAction *stopAction() const { return m_stopAction; }
    // The window's tool context (ToolSets) changed: on a process diagram,
    // where Simulate is off, its tool tip and status tip say why.
    void setContext(int context);
    // The "Simulation" dock, made on first use.
    SimulationDock *dock();
    SimulationVariablesModel *variablesModel() const { return m_variables; }
    SimulationFunctionsModel *functionsModel() const { return m_functions; }
    SimulationTraceModel *traceModel() const { return m_trace; }
    SimulationCoverageModel *coverageModel() const { return m_coverage; }
    SimulationSession *session() const { return m_session.get(); }
    // Null while not simulating: of the diagram the simulation started on,
    // and of every diagram of the machine's levels.
    SimulationHighlighter *highlighter() const;
    SimulationHighlighters *highlighters() const { return m_highlighters; }
    // Null until a compile failed.
    CodegenErrorLog *errorLog() const;

    bool isActive() const { return m_active; }
    // The machine's program is up (it may have died since; Reset restarts it).
    bool isReady() const { return m_ready; }
    // A reset or step is under way.
    bool isBusy() const { return m_pendingStep != 0; }
    Canvas *canvas() const;
    const QSet<int> &stateBreakpoints() const { return m_breakStates; }

public slots:
    // Simulates the machine of the diagram shown.
    void start();
    // Leaves the simulation; the diagram is editable again.
    void stop();
    void reset();
    void step();
    void setRunning(bool run);
    void setCondition(const QString &condition);
    void setStateBreakpoint(int state, bool on);
    void saveTrace();
    // Greys on the canvas what was never reached, or shows it all again.
    void showCoverage(bool on);
    // Shows the diagram of a level of the machine (SimulationLevels): its
    // own, or a sub-machine's, with the active state marked.
    void showDiagram(int level);
    // Shows the diagram of the state a trace row names in `column`.
    void showTraceRow(int row, int column);

protected:
    // A menu shows the status tips of enabled entries only: the Run menu's
    // mouse moves show Simulate's while it is off.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showTip(const QString &tip);
    // The question before a project's C runs the first time (Run Once,
    // Trust This Folder, Cancel); true when it may run.
    bool mayRunProjectCode();
    // Where nothing can be confined, whether the user agrees to this one run
    // without the sandbox.
    bool mayRunUnconfined();
    void enterMode(Canvas *canvas);
    // `values`: variables set before the machine's first cycle.
    void startSession(const QVector<QPair<QString, QString>> &values = QVector<QPair<QString, QString>>());
    void endSession();
    void sessionReady();
    void sessionFailed(const SimulationFailure &failure);
    void cycleFinished(const SimulationCycle &cycle);
    void commandFinished(int command, const SimulationReply &reply);
    void showVariables();
    // The active state of every level (a path of slots) and the transition fired.
    void showPosition(const QVector<int> &path, int fired, bool initial);
    void runTick();
    void setRate(int cyclesPerSecond);
    void editVariable(int row, const QString &literal);
    void editStub(const QString &name, const QStringList &values, bool sequence);
    void showStubs();
    void editSettings();
    void showContextMenu(const QList<QGraphicsItem *> &items, const QPoint &globalPos);
    void showCompileErrors(const SimulationFailure &failure);
    QString breakText(const SimulationBreak &hit) const;
    // The item of a state slot on its level's diagram, null when not drawn as read.
    StateItem *stateItem(int slot) const;
    void showBreakpoints();
    // The coverage of this simulation's sessions so far, to the dock and,
    // when asked for, to the canvas.
    void updateCoverage();

    ProjectWindow *m_window;
    QGraphicsView *m_view;
    QWidget *m_browser;
    QAction *m_simulate = nullptr;
    QMenu *m_runMenu;
    bool m_offTipShown = false;   // the status bar shows why Simulate is off
    QAction *m_stopAction = nullptr;
    QAction *m_settingsAction = nullptr;
    SimulationVariablesModel *m_variables = nullptr;
    SimulationFunctionsModel *m_functions = nullptr;
    SimulationTraceModel *m_trace = nullptr;
    SimulationCoverageModel *m_coverage = nullptr;
    SimulationCoverage m_earlierCoverage;   // of the sessions before this one (a condition rebuilds)
    bool m_coverageShown = false;
    SimulationDock *m_dock = nullptr;
    QPointer<CodegenErrorLog> m_errorLog;

    bool m_active = false;
    QPointer<Canvas> m_canvas;
    int m_previousContext = 0;
    std::unique_ptr<SimulationViewGuard> m_guard;
    QPointer<SimulationHighlighters> m_highlighters;
    MachineDescription m_machine;
    std::unique_ptr<SimulationLevels> m_levels;   // of m_machine
    GeneratedModule m_module;
    std::unique_ptr<SimulationSession> m_session;
    bool m_ready = false;
    bool m_allowUnconfined = false;   // for this simulation, after the user agreed
    QString m_condition;
    QSet<int> m_breakStates;

    QTimer m_runTimer;
    int m_cyclesPerTick = 1;
    int m_pendingStep = 0;       // the step or reset command under way, 0 none
    QSet<int> m_changed;         // variables changed since the last command finished
    SimulationCycle m_lastCycle;
    bool m_haveCycle = false;
};
