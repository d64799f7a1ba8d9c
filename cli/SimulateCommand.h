#pragma once

// kestro-cli simulate PROJECT MACHINE [--script FILE] [--set VAR=VALUE]...
//                    [--cycles N] [--trace FILE.csv|FILE.jsonl]
//                    [--trust] [--no-sandbox]
//
// Runs one state machine's generated C cycle by cycle (SimulationSession).
// Without a script it runs reset and N cycles (default 1) and prints the
// trace as CSV; with one it runs the script (SimulationScript) and reports
// each expectation that does not hold as "FILE:LINE: expected ..., got ...".
// --set values are applied before anything runs.
//
// The machine's C is the project's: it runs only when the project's folder
// is trusted (TrustStore: "Trust This Folder" in the application, a project
// created in it) or with --trust for this one run, and always confined
// (Sandbox). Where the machine cannot confine it, it runs only with
// --no-sandbox; --trust never turns the sandbox off.
//
// Exit status: 0 every expectation held; 1 an expectation failed; 64 usage
// or script error; 65 corrupt project; 66 missing file; 69 no C compiler, or
// no sandbox here (without --no-sandbox); 70 the machine's C did not
// compile, crashed or timed out; 73 the trace file could not be written; 77
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
    int runCommand(const SimulationScriptCommand &command);
    int expectValue(const SimulationScriptCommand &command);
    int expectCall(const SimulationScriptCommand &command);
    QString stubNames() const;
    // Waits for a command; Success, or the exit code of what went wrong (reported).
    int await(int command, const QString &where, SimulationReply *reply = nullptr);
    int openTrace();
    void trace(const SimulationCycle &cycle);
    int closeTrace(int code);
    QString where(int line) const;

    QString m_project;
    QString m_machineName;
    QString m_scriptPath;
    QVector<QPair<QString, QString>> m_sets;
    int m_cycles = 1;
    QString m_tracePath;
    bool m_trust = false;
    bool m_noSandbox = false;
    QString m_style;   // --style, empty: as the project says
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
    int m_expectations = 0;
    int m_failedExpectations = 0;
};
