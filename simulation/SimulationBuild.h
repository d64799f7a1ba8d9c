#pragma once

// Builds the program of one simulation in a private temporary folder: the
// machine's instrumented files, the glue and the runtime, compiled in the
// background, in the sandbox (the project's folder read-only). Ends in
// finished(); failure() then says whether and why it failed. QtCore only.
//
// The Tiny C Compiler names the line of the token after a fault, often the
// next item's: when it refuses the machine, the system's C compiler (when
// there is one) checks the same files, syntax only, and its findings, which
// name the item exactly, are reported instead. Without one, tcc's own words
// are reported as tcc's, with the hint to ask check --compile.

#include "CEmitter.h"
#include "MachineDescription.h"
#include "SimulationHarness.h"
#include "SimulationRecords.h"

#include <QObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

class SimulationBuild : public QObject
{
    Q_OBJECT
public:
    // The most the compiler may say that is read.
    static constexpr int MaxCompilerOutput = 1024 * 1024;

    // `prelude`: C compiled before the machine (the project's simulation prelude).
    SimulationBuild(const MachineDescription &machine, const GeneratedModule &module,
                    const QStringList &conditions, const QString &prelude, QObject *parent = nullptr);
    ~SimulationBuild() override;

    // `compiler`: program and its own arguments.
    // Runs confined (Sandbox), or not with `allowUnconfined` where that cannot be.
    void start(const QStringList &compiler, const QStringList &includeDirectories, int timeoutMs,
               bool allowUnconfined = false);

    bool isFinished() const { return m_finished; }
    const SimulationFailure &failure() const { return m_failure; }
    // Warnings of a build that succeeded (variables left out, the compiler's warnings).
    const DesignFindings &warnings() const { return m_warnings; }
    const SimulationHarness &harness() const { return m_harness; }
    // The functions the machine calls that nothing defines, stubbed in its program.
    const QVector<SimulationStub> &stubs() const { return m_stubs; }
    QString directory() const { return m_directory ? m_directory->path() : QString(); }
    QString executable() const;
    // The compiler ran in the sandbox (false: the user agreed to run without it).
    bool confined() const { return m_confined; }

signals:
    void finished();

private:
    bool writeFiles();
    void compilerFinished();
    void compilerFailedToStart();
    void timedOut();
    void readCompilerOutput();
    void finish(SimulationFailure::Kind kind, const QString &message);
    void runCompiler();
    // After a link that found symbols undefined: true when the program is
    // built again with them stubbed.
    bool relinkWithStubs(const QString &output);
    void failLink(const QStringList &symbols);
    bool writeFile(const QString &name, const QString &text);
    // Starts the system compiler on the files tcc refused; false when there is none.
    bool recheck();
    void finishRecheck(const DesignFindings &findings);

    MachineDescription m_machine;
    GeneratedModule m_module;
    SimulationHarness m_harness;
    std::unique_ptr<QTemporaryDir> m_directory;
    QProcess m_compiler;
    QTimer m_timer;
    QString m_compilerName;
    QString m_prelude;
    QVector<SimulationStub> m_stubs;
    QString m_program;
    QStringList m_arguments;
    bool m_stubbed = false;   // the second link, with the stubs, is under way or done
    QByteArray m_output;
    int m_timeoutMs = 0;
    bool m_finished = false;
    SimulationFailure m_failure;
    DesignFindings m_warnings;
    bool m_confined = false;
    QStringList m_includeDirectories;
    bool m_allowUnconfined = false;
    bool m_rechecking = false;
    DesignFindings m_tccFindings;
    int m_tccExitCode = 0;
};
