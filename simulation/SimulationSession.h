#pragma once

// One simulation of a state machine: its C, emitted with transition hooks,
// compiled together with a harness and run as a child process, one cycle
// (one call of the machine function) at a time. QtCore only.
//
// Everything is asynchronous, for the editor: start() builds the program in
// the background and ends in ready() or failed(); each command returns its
// number and ends in commandFinished(number, reply); every cycle the machine
// runs is reported by cycleFinished(). Commands may be given at any time
// after start(); they run in order. The blocking waitFor...() calls run an
// event loop until the answer is there, for the command-line tool and tests.
//
// The compiler and the program run in the sandbox (Sandbox), the program
// with the protocol on descriptor 3; every line it writes there is checked
// against the command under way (states and transitions that exist, cycles
// in order, one reply per command), and anything else fails the run as a
// ProtocolError. Its standard output and error are only passed on.
//
// A crash of the machine's code (a signal), a cycle that does not finish in
// time, or the program ending by itself ends the child: the command running
// and those queued behind it finish with a Failed reply, failed() says what
// happened and where, and the next reset() starts a fresh child.
//
// reset() restarts the machine's program unless nothing has run on it yet
// (so every variable is back at its start value), applies the values set
// since the last cycle and the breakpoints, and calls Initialize: the
// initial cycle, numbered 0.

#include "CEmitter.h"
#include "MachineDescription.h"
#include "SimulationLevels.h"
#include "SimulationProtocol.h"
#include "SimulationRecords.h"

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QProcess>
#include <QQueue>
#include <QSet>
#include <QTimer>

class SandboxProcess;
class SimulationBuild;

struct SimulationOptions
{
    QStringList compiler;             // program and its arguments; empty: SimulationCompiler::defaultCompiler()
    QStringList includeDirectories;   // searched for the machine's own includes (the project's folder)
    QStringList conditions;           // breakpoint conditions: C expressions over the variables
    QString prelude;                  // C compiled before the machine (the project's simulation prelude)
    int stepTimeoutMs = 2000;         // the longest one cycle may take
    int compileTimeoutMs = 60000;
    // Where the sandbox is missing, run the compiler and the program without
    // it (the user agreed to this one run); else such a run fails (NoSandbox).
    bool allowUnconfined = false;
};

class SimulationSession : public QObject
{
    Q_OBJECT
public:
    // The most of the machine's own output passed on per run of its program.
    static constexpr int MaxOutput = 1024 * 1024;
    // The longest line of the protocol that is read.
    static constexpr int MaxLine = 64 * 1024;
    // The most values of an explorer's replay that are kept.
    static constexpr int MaxReplay = 16384;

    // `module` is the machine's module emitted with transitionHooks.
    SimulationSession(const MachineDescription &machine, const GeneratedModule &module,
                      const SimulationOptions &options = SimulationOptions(), QObject *parent = nullptr);
    ~SimulationSession() override;

    void start();

    int reset();
    int step(int cycles = 1);
    // `cycles` cycles as step() runs them, breakpoints included, without a
    // report of each: no cycleFinished(), the coverage, the state and the
    // variables once at the end. For long runs.
    int run(qint64 cycles);
    // `cycles` cycles from a restart with random values of the inputs,
    // restarting every so often (the same `seed`, the same values); the
    // reply's text is "CYCLES RESTARTS". A crash or a timeout fails it with
    // the values that lead to it in the failure's replay.
    int explore(qint64 cycles, quint64 seed);
    int setVariable(const QString &name, const QString &literal);
    // Numeric equality of a variable and a C literal converted to its type;
    // the reply's text is "1 VALUE" or "0 VALUE".
    int compareVariable(const QString &name, const QString &literal);
    // What a stubbed function returns: `values` one for every call, or with
    // `sequence` one per call in turn, the last repeating; kept over resets.
    // The reply's text is the values as the machine's types hold them.
    int setStubReturns(const QString &name, const QStringList &values, bool sequence = false);
    int setStateBreakpoint(int state, bool on);
    int setConditionBreakpoint(int condition, bool on);
    // Ends the machine's program; commands after it fail until reset().
    void stop();

    // Blocking: true when the program is up (false after a failure or `msecs`).
    bool waitForReady(int msecs = -1);
    // Blocking: true when the command finished within `msecs`; `reply` gets its reply.
    bool waitForCommand(int command, SimulationReply *reply = nullptr, int msecs = -1);

    const MachineDescription &machine() const { return m_machine; }
    const QVector<SimulationVariable> &variables() const { return m_variables; }
    int variableIndex(const QString &name) const { return m_variableIndex.value(name, -1); }
    // The functions the machine calls that nothing defines, known once it is
    // built; each with its calls in the last cycle and what it returns.
    const QVector<SimulationStub> &stubs() const { return m_stubs; }
    int stubIndex(const QString &name) const { return m_stubIndex.value(name, -1); }
    // The current state (see SimulationCycle), the number of the last cycle run.
    int state() const { return m_state; }
    // The active states of every level as slots, the machine's own first;
    // empty before the initial cycle.
    const QVector<int> &activePath() const { return m_path; }
    const SimulationLevels &levels() const { return m_levels; }
    qint64 cycle() const { return m_cycle; }
    bool isRunning() const { return m_phase == Phase::Running || m_phase == Phase::Starting; }
    // The last failure; kind None while there was none.
    const SimulationFailure &failure() const { return m_failure; }
    // The values set since the last cycle (variable, literal), in order:
    // what a reset sets again.
    const QVector<QPair<QString, QString>> &pendingValues() const { return m_pendingSets; }
    // The states entered and the transitions fired since the session started.
    const SimulationCoverage &coverage() const { return m_coverage; }
    // Warnings of the build (variables left out, the compiler's warnings).
    DesignFindings buildWarnings() const;

    // "(start)" for the start value, else the state's label.
    QString stateName(int state) const;
    // A transition slot's label, with its sub-machine's place ("Running/faster").
    QString transitionName(int transition) const;

signals:
    void ready();
    void failed(const SimulationFailure &failure);
    void cycleFinished(const SimulationCycle &cycle);
    // Values changed other than by a cycle: the start values of a new
    // program (after a reset or at start), a value set or read.
    void variablesChanged();
    // What a stub returns was set.
    void stubsChanged();
    void commandFinished(int command, const SimulationReply &reply);
    void outputReceived(const QByteArray &output);

private:
    enum class Phase { Created, Building, Starting, Running, Stopped, Unbuildable };
    enum class Kind { Reset, Step, Set, Compare, Breakpoint, Run, Explore, Stub };
    struct Command
    {
        int number = 0;   // 0: the session's own (replayed after a restart)
        Kind kind = Kind::Step;
        QByteArray line;
        QString name;     // Set: the variable
        QString literal;  // Set: the value
        int cycles = 0;   // Reset: 1, Step: N; the most cycle lines it may get
        bool quiet() const { return kind == Kind::Run || kind == Kind::Explore; }
    };
    struct Position
    {
        int signal = 0;
        qint64 cycle = -1;
        int state = -1;
        int fired = -1;
        int phase = 0;
        int condition = -1;
    };

    int setBreakpoint(QSet<int> *set, const char *kind, int index, bool on);
    static QByteArray breakpointLine(const char *kind, int index, bool on);
    int enqueue(Kind kind, const QByteArray &line, const QString &name = QString(),
                const QString &literal = QString(), int cycles = 0);
    void pump();
    void buildFinished();
    void startChild();
    void restartChild();
    void endChild();
    void readProtocol();
    void readOutput();
    void processLine(const QByteArray &line);
    bool processHello(const SimulationLine &line);
    void processCycleLine(const SimulationLine &line);
    void processCallLine(const SimulationLine &line);
    // The lines of run and explore: coverage, the last cycle, the values given.
    void processQuietLine(const SimulationLine &line);
    void countCycle(const SimulationCycle &cycle);
    // Why `line` cannot be the program's answer to the command under way;
    // empty when it can.
    QString checkLine(const SimulationLine &line) const;
    void finishCommand(const SimulationReply &reply);
    void deliver(int number, const SimulationReply &reply);
    void closeCycle();
    void childFinished(int exitCode, QProcess::ExitStatus status);
    void childError(QProcess::ProcessError error);
    void stepTimedOut();
    void fail(SimulationFailure::Kind kind, const QString &message);
    void failCommands(bool all, const QString &reason);
    void failLater(int number, const QString &reason);
    QString describePosition(const Position &where) const;
    void placeFailure(const Position &where);
    // The signal the program died of, 0 when it ended by itself.
    int deathSignal(int exitCode, QProcess::ExitStatus status) const;

    MachineDescription m_machine;
    SimulationLevels m_levels;   // of m_machine
    GeneratedModule m_module;
    SimulationOptions m_options;
    SimulationBuild *m_build = nullptr;
    SandboxProcess *m_child = nullptr;
    QTimer m_stepTimer;
    Phase m_phase = Phase::Created;

    QQueue<Command> m_queue;      // not sent yet
    QQueue<Command> m_sent;       // sent, waiting for their last line
    int m_nextNumber = 1;
    QMap<int, SimulationReply> m_replies;   // the latest, for waitForCommand()
    bool m_readyEmitted = false;

    QVector<SimulationVariable> m_variables;
    QHash<QString, int> m_variableIndex;
    QVector<SimulationStub> m_stubs;
    QHash<QString, int> m_stubIndex;
    QMap<QString, QByteArray> m_stubSettings;   // the last accepted "stub" line of each, replayed after a restart
    QVector<QPair<QString, QString>> m_pendingSets;   // set since the last cycle
    QSet<int> m_stateBreakpoints;
    QSet<int> m_conditionBreakpoints;
    int m_state = -1;
    QVector<int> m_path;          // the active states' slots (SimulationLevels)
    bool m_pathDue = false;       // a cycle or a run's end waits for its path line
    qint64 m_cycle = -1;
    SimulationCycle m_openCycle;
    bool m_cycleOpen = false;
    SimulationCoverage m_coverage;
    bool m_ranSeen = false;                  // the run under way reported its last cycle
    QVector<SimulationGiven> m_replay;       // what the explorer gave since its last restart

    // The child now running.
    QByteArray m_buffer;
    int m_helloVariables = -1;    // variable lines still expected, -1 before the hello line
    bool m_childUsed = false;     // a cycle ran on it
    int m_commandCycles = 0;      // cycle lines the command under way got
    bool m_confined = false;      // it runs in the sandbox
    bool m_timedOut = false;
    bool m_positionKnown = false;
    Position m_position;
    int m_outputLeft = MaxOutput;
    SimulationFailure m_failure;
};
