#pragma once

// kestro-cli simulate PROJECT MACHINE [--script FILE] [--set VAR=VALUE]...
//                    [--cycles N] [--trace FILE.csv|FILE.jsonl] [--no-trace]
//                    [--coverage] [--require-coverage PERCENT]
//                    [--explore N [--seed S] [--save-replay FILE]]
//                    [--trust] [--no-sandbox]
//
// Runs one state machine's generated C cycle by cycle (SimulationSession).
// Without a script it runs reset and N cycles (default 1) and prints the
// trace as CSV; with one it runs the script (SimulationScript) and reports
// each expectation that does not hold as "FILE:LINE: expected ..., got ...".
// --set values are applied before anything runs. Without a trace (a script
// without --trace, or --no-trace) cycles run in the machine's program
// without a report each, as fast as the machine allows.
//
// --coverage prints which states were entered and which transitions fired,
// with counts; --require-coverage fails (1) when fewer than PERCENT of the
// transitions fired. --explore N runs N cycles with random values of the
// machine's inputs and of its stubs' returns from reset, restarting every
// so often, and reports what was never reached; a crash or a timeout is
// reported with a script that reproduces it (printed, or written to
// --save-replay FILE). The same --seed gives the same run.
//
// The machine's C is the project's: it runs only when the project's folder
// is trusted (TrustStore: "Trust This Folder" in the application, a project
// created in it) or with --trust for this one run, and always confined
// (Sandbox). Where the machine cannot confine it, it runs only with
// --no-sandbox; --trust never turns the sandbox off.
//
// Exit status: 0 every expectation held; 1 an expectation failed; 64 usage
// or script error; 65 corrupt project; 66 missing file, or an include
// folder of the project's simulation settings that is none; 69 no C
// compiler, or no sandbox here (without --no-sandbox); 70 the machine's C
// did not compile or link, crashed or timed out; 73 the trace file could not be written; 77
// the project's folder is not trusted (without --trust).

#include "CheckedSaveFile.h"
#include "MachineDescription.h"
#include "SimulationRecords.h"
#include "SimulationSettings.h"
#include "SimulationScript.h"
#include "SimulationTrace.h"

#include <QHash>
#include <QPair>
#include <QStringList>

#include <memory>

class SimulationSession;
struct GeneratedModule;

class SimulateCommand
{
public:
    SimulateCommand();
    ~SimulateCommand();

    // `arguments` as the program got them ("kestro-cli", "simulate", ...).
    int run(const QStringList &arguments);

private:
    int parse(const QStringList &arguments);
    int readScript();
    int checkTrust();
    int prepareMachine();
    int build(const GeneratedModule &module);
    int checkNames();
    int applySets();
    int runCycles();
    int runScript();
    int runExploration();
    int checkCoverage(int code);
    int saveReplay(const SimulationFailure &failure);
    int runCommand(const SimulationScriptCommand &command);
    int expectValue(const SimulationScriptCommand &command);
    int expectCall(const SimulationScriptCommand &command);
    QString stubNames() const;
    // Waits for a command; Success, or the exit code of what went wrong (reported).
    int await(int command, const QString &where, SimulationReply *reply = nullptr);
    int openTrace();
    void trace(const SimulationCycle &cycle);
    void writeTraceRow(const SimulationTrace::Row &row);
    int closeTrace(int code);
    QString where(int line) const;
    // No trace is wanted: cycles run without a report each.
    bool quiet() const { return m_noTrace || m_explore > 0 || (m_tracePath.isEmpty() && !m_scriptPath.isEmpty()); }
    // A script that expects calls counts them cycle by cycle.
    bool countsCalls() const;

    QString m_project;
    QString m_machineName;
    QString m_scriptPath;
    QVector<QPair<QString, QString>> m_sets;
    int m_cycles = 1;
    QString m_tracePath;
    bool m_noTrace = false;
    bool m_coverage = false;
    double m_requiredCoverage = -1;   // percent of the transitions; < 0: none
    qint64 m_explore = 0;             // cycles to explore; 0: no exploration
    quint64 m_seed = 1;
    QString m_replayPath;
    bool m_trust = false;
    bool m_noSandbox = false;
    QString m_style;   // --style, empty: as the project says
    QString m_counterType;   // --counter-type, empty: as the project says
    SimulationTrace::Format m_format = SimulationTrace::Format::Csv;

    SimulationScript m_script;
    MachineDescription m_machine;
    QString m_moduleName;
    std::unique_ptr<SimulationSession> m_session;
    std::unique_ptr<CheckedSaveFile> m_traceFile;
    QByteArray m_traceBuffer;
    bool m_traceFailed = false;
    SimulationSettings m_settings;
    // Calls of each stub during the latest step or reset.
    QHash<int, qint64> m_calls;
    bool m_traced = false;   // a cycle is in the trace
    int m_expectations = 0;
    int m_failedExpectations = 0;
};
