#pragma once

// The "Simulation" dock: the buttons that drive a simulated machine (Reset,
// Step, Run / Pause at a rate in cycles per second, Stop), the cycle count
// and the active state, a status line, a breakpoint condition, the table of
// variables, the trace, the coverage (with the toggle that greys on the
// canvas what was never reached) and the machine's own output. It only
// shows and asks: SimulationController does the work.

#include <QDockWidget>

struct MachineDescription;
class QLabel;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableView;
class SimulationFunctionsModel;
class SimulationCoverageModel;
class SimulationTraceModel;
class SimulationVariablesModel;

class SimulationDock : public QDockWidget
{
    Q_OBJECT
public:
    static constexpr int DefaultRate = 5;
    static constexpr int MaxRate = 10000;

    SimulationDock(SimulationVariablesModel *variables, SimulationTraceModel *trace,
                   SimulationCoverageModel *coverage, QWidget *parent = nullptr);

    QPushButton *resetButton() const { return m_reset; }
    QPushButton *stepButton() const { return m_step; }
    QPushButton *runButton() const { return m_run; }
    QPushButton *stopButton() const { return m_stop; }
    QPushButton *saveTraceButton() const { return m_saveTrace; }
    QSpinBox *rateBox() const { return m_rate; }
    QLineEdit *conditionEdit() const { return m_condition; }
    QTableView *variablesView() const { return m_variables; }
    QTableView *traceView() const { return m_trace; }
    // The "Functions" table: shown while the machine has stubbed functions.
    QTableView *functionsView() const { return m_functions; }
    void setFunctionsModel(SimulationFunctionsModel *functions);
    QPlainTextEdit *outputView() const { return m_output; }
    QTableView *coverageView() const { return m_coverage; }
    QCheckBox *coverageToggle() const { return m_coverageToggle; }
    // The machine's diagrams and Show, shown for a machine with sub-machines.
    QComboBox *diagramBox() const { return m_diagrams; }
    QPushButton *showDiagramButton() const { return m_showDiagram; }
    QString coverageSummary() const;

    int rate() const;
    QString statusText() const;
    bool statusIsFailure() const { return m_statusIsFailure; }
    QString cycleText() const;

    void setCycle(qint64 cycle, const QString &state);
    // A plain status, or a failure shown in red.
    void setStatus(const QString &text, bool failure = false);
    // Run shows "Pause" while the machine runs.
    void setRunning(bool running);
    // Buttons that need a machine program (all but Stop, and Reset once it failed).
    void setMachineUsable(bool stepping, bool resetting);
    void appendOutput(const QByteArray &output);
    // Shows how many early cycles the trace has let go.
    void setTraceDropped(qint64 dropped);
    void clearOutput();
    // The trace's columns as wide as the machine's labels and cycle numbers
    // need, the changed variables in the rest.
    void fitTraceColumns(const MachineDescription &machine);
    // The coverage model changed.
    void showCoverage();
    // The names of the machine's diagrams, its own first, then its
    // sub-machines' ("Running", "Running/Cruise"); hidden for one.
    void setDiagrams(const QStringList &names);
    // The diagram shown on the canvas, an index into those names.
    void setShownDiagram(int diagram);

signals:
    void resetClicked();
    void stepClicked();
    void runToggled(bool run);
    void rateChanged(int cyclesPerSecond);
    void stopClicked();
    void saveTraceClicked();
    // The breakpoint condition as entered (empty: none).
    void conditionEntered(const QString &condition);
    // The "Coverage" toggle: grey on the canvas what was never reached.
    void coverageToggled(bool on);
    // Show, for the diagram chosen (an index into setDiagrams' names).
    void diagramRequested(int diagram);
    // A trace row was double-clicked, in this column.
    void traceRowActivated(int row, int column);

private:
    QWidget *buildButtons();
    QWidget *buildCondition();
    QWidget *buildTables(SimulationVariablesModel *variables, SimulationTraceModel *trace,
                         SimulationCoverageModel *coverage);
    QWidget *buildCoverage(SimulationCoverageModel *coverage, QWidget *parent);

    QPushButton *m_reset = nullptr;
    QPushButton *m_step = nullptr;
    QPushButton *m_run = nullptr;
    QPushButton *m_stop = nullptr;
    QPushButton *m_saveTrace = nullptr;
    QSpinBox *m_rate = nullptr;
    QLabel *m_cycle = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_traceNote = nullptr;
    bool m_statusIsFailure = false;
    QLineEdit *m_condition = nullptr;
    QTableView *m_variables = nullptr;
    QTableView *m_trace = nullptr;
    QTableView *m_functions = nullptr;
    QPlainTextEdit *m_output = nullptr;
    SimulationCoverageModel *m_coverageModel = nullptr;
    QTableView *m_coverage = nullptr;
    QCheckBox *m_coverageToggle = nullptr;
    QComboBox *m_diagrams = nullptr;
    QPushButton *m_showDiagram = nullptr;
    QLabel *m_coverageSummary = nullptr;
};
