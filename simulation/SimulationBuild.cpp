#include "SimulationBuild.h"

#include "CheckedSaveFile.h"
#include "CompileCheck.h"
#include "DesignChecks.h"
#include "Sandbox.h"
#include "SimulationCompiler.h"
#include "SimulationRuntime.h"

#include <QDir>

namespace {

DesignFindings asTccSaidIt(DesignFindings findings)
{
    for (DesignFinding &finding : findings) {
        if (finding.severity == DesignFinding::Error)
            finding.text += QStringLiteral(" (as tcc said it; tcc may name the line after the fault: "
                                           "kestro-cli check --compile asks the system's C compiler)");
    }
    return findings;
}

} // namespace

SimulationBuild::SimulationBuild(const MachineDescription &machine, const GeneratedModule &module,
                                 const QStringList &conditions, QObject *parent)
    : QObject(parent), m_machine(machine), m_module(module), m_harness(machine, module, conditions)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SimulationBuild::timedOut);
    connect(&m_compiler, &QProcess::readyRead, this, &SimulationBuild::readCompilerOutput);
    connect(&m_compiler, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            &SimulationBuild::compilerFinished);
    connect(&m_compiler, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            compilerFailedToStart();
    });
}

SimulationBuild::~SimulationBuild()
{
    m_compiler.disconnect(this);
    if (m_compiler.state() != QProcess::NotRunning) {
        m_compiler.kill();
        m_compiler.waitForFinished(1000);
    }
}

QString SimulationBuild::executable() const
{
    return m_directory ? QDir(m_directory->path()).filePath(SimulationHarness::executableName()) : QString();
}

void SimulationBuild::start(const QStringList &compiler, const QStringList &includeDirectories, int timeoutMs,
                            bool allowUnconfined)
{
    if (!m_module.writable) {
        finish(SimulationFailure::NotCompiled,
               m_module.errors.isEmpty() ? QStringLiteral("the machine's C could not be generated")
                                         : m_module.errors.last());
        return;
    }
    // Without an initial state the machine would stay at its start value
    // for ever, looking as if nothing happened.
    if (DesignChecks::initialState(m_machine) < 0) {
        finish(SimulationFailure::DesignError,
               m_module.errors.isEmpty() ? QStringLiteral("the machine has no initial state") : m_module.errors.last());
        return;
    }
    if (!writeFiles())
        return;
    if (compiler.isEmpty()) {
        finish(SimulationFailure::NoCompiler, QStringLiteral("no C compiler is named"));
        return;
    }
    m_compilerName = compiler.first();
    m_timeoutMs = timeoutMs;
    m_includeDirectories = includeDirectories;
    m_allowUnconfined = allowUnconfined;
    // The compiler reads what the project's texts include: it runs in the
    // sandbox, with the project's folder read-only.
    Sandbox::Spec spec;
    spec.role = Sandbox::Role::Compiler;
    spec.program = m_compilerName;
    spec.arguments = SimulationCompiler::arguments(compiler, includeDirectories);
    spec.buildFolder = m_directory->path();
    spec.readOnlyFolders = includeDirectories;
    const Sandbox::Command command = Sandbox::command(spec, allowUnconfined);
    if (command.status == Sandbox::Command::NoSandbox) {
        finish(SimulationFailure::NoSandbox, QStringLiteral("the C compiler was not run: %1").arg(command.error));
        return;
    }
    if (command.status == Sandbox::Command::ProgramMissing) {
        finish(SimulationFailure::NoCompiler,
               QStringLiteral("the C compiler '%1' could not be started (no such program)").arg(m_compilerName));
        return;
    }
    m_confined = command.confined;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    m_compiler.setProcessEnvironment(environment);
    m_compiler.setProcessChannelMode(QProcess::MergedChannels);
    m_compiler.setWorkingDirectory(m_directory->path());
    m_timer.start(timeoutMs);
    m_compiler.start(command.program, command.arguments);
}

bool SimulationBuild::writeFiles()
{
    m_directory = std::make_unique<QTemporaryDir>();
    if (!m_directory->isValid()) {
        finish(SimulationFailure::BuildFailed,
               QStringLiteral("no temporary folder for the simulation: %1").arg(m_directory->errorString()));
        return false;
    }
    const QDir dir(m_directory->path());
    const QVector<QPair<QString, QString>> files = {
        { m_module.headerFileName, m_module.header },
        { m_module.sourceFileName, m_module.source },
        { SimulationHarness::glueFileName(), m_harness.glue() },
        { SimulationHarness::runtimeFileName(), SimulationRuntime::source() },
        { SimulationHarness::runsFileName(), SimulationRuntime::runsSource() },
        { SimulationHarness::runtimeHeaderName(), SimulationRuntime::header() },
    };
    for (const auto &file : files) {
        QString error;
        if (!CheckedSaveFile::writeWhole(dir.filePath(file.first), file.second.toUtf8(), QIODevice::WriteOnly, &error)) {
            finish(SimulationFailure::BuildFailed, QStringLiteral("cannot write %1: %2").arg(dir.filePath(file.first), error));
            return false;
        }
    }
    return true;
}

void SimulationBuild::readCompilerOutput()
{
    const QByteArray chunk = m_compiler.readAll();
    m_output += chunk.left(MaxCompilerOutput - m_output.size());
}

void SimulationBuild::compilerFailedToStart()
{
    if (m_rechecking) {
        finishRecheck(DesignFindings());
        return;
    }
    finish(SimulationFailure::NoCompiler, QStringLiteral("the C compiler '%1' could not be started (%2)")
                                               .arg(m_compilerName, m_compiler.errorString()));
}

void SimulationBuild::timedOut()
{
    m_compiler.disconnect(this);
    m_compiler.kill();
    m_compiler.waitForFinished(1000);
    if (m_rechecking) {
        finishRecheck(DesignFindings());
        return;
    }
    finish(SimulationFailure::BuildFailed, QStringLiteral("the C compiler '%1' did not finish in %2 s")
                                               .arg(m_compilerName)
                                               .arg(m_timeoutMs / 1000));
}

void SimulationBuild::compilerFinished()
{
    if (m_finished)
        return;
    readCompilerOutput();
    const QString output = QString::fromLocal8Bit(m_output);
    const DesignFindings findings = SimulationCompiler::findings(output, m_harness, m_module, m_machine);
    if (m_rechecking) {
        finishRecheck(m_compiler.exitStatus() == QProcess::NormalExit ? findings : DesignFindings());
        return;
    }
    if (m_compiler.exitStatus() != QProcess::NormalExit) {
        finish(SimulationFailure::BuildFailed, QStringLiteral("the C compiler '%1' crashed").arg(m_compilerName));
        return;
    }
    if (m_compiler.exitCode() != 0 || SimulationCompiler::hasErrors(findings)) {
        m_tccFindings = findings;
        m_tccExitCode = m_compiler.exitCode();
        const bool tcc = CompileCheck::family(m_compilerName) == CompileCheck::Family::Tcc;
        if (tcc && recheck())
            return;
        m_failure.findings = tcc ? asTccSaidIt(findings) : findings;
        if (!SimulationCompiler::hasErrors(findings)) {
            // A failing compiler that said nothing readable still failed.
            DesignFinding finding;
            finding.fromCompiler = true;
            finding.text = ItemRef::machine().describe(m_machine) + QStringLiteral(": ")
                + (output.trimmed().isEmpty() ? QStringLiteral("the compiler failed (exit code %1)").arg(m_compiler.exitCode())
                                              : output.trimmed().section(QLatin1Char('\n'), 0, 0));
            m_failure.findings << finding;
        }
        finish(SimulationFailure::NotCompiled, QStringLiteral("the machine's C did not compile"));
        return;
    }
    m_warnings = m_harness.notes() + findings;
    finish(SimulationFailure::None, QString());
}

bool SimulationBuild::recheck()
{
    const QStringList cc = CompileCheck::defaultCompiler();
    if (cc.isEmpty() || CompileCheck::family(cc.first()) != CompileCheck::Family::Gcc)
        return false;
    Sandbox::Spec spec;
    spec.role = Sandbox::Role::Compiler;
    spec.program = cc.first();
    spec.arguments = cc.mid(1) << QStringLiteral("-std=c99") << QStringLiteral("-fsyntax-only");
    for (const QString &directory : qAsConst(m_includeDirectories))
        spec.arguments << QStringLiteral("-I") + directory;
    spec.arguments << SimulationHarness::glueFileName();
    spec.buildFolder = m_directory->path();
    spec.readOnlyFolders = m_includeDirectories;
    const Sandbox::Command command = Sandbox::command(spec, m_allowUnconfined);
    if (command.status != Sandbox::Command::Ready)
        return false;
    m_rechecking = true;
    m_output.clear();
    m_timer.start(m_timeoutMs);
    m_compiler.start(command.program, command.arguments);
    return true;
}

void SimulationBuild::finishRecheck(const DesignFindings &findings)
{
    if (SimulationCompiler::hasErrors(findings)) {
        // The system compiler names the item exactly.
        m_failure.findings = findings;
    } else {
        // Only tcc refuses it: its words, for what they are worth.
        m_failure.findings = asTccSaidIt(m_tccFindings);
    }
    if (!SimulationCompiler::hasErrors(m_failure.findings)) {
        DesignFinding finding;
        finding.fromCompiler = true;
        finding.text = ItemRef::machine().describe(m_machine)
            + QStringLiteral(": the compiler failed (exit code %1)").arg(m_tccExitCode);
        m_failure.findings << finding;
    }
    finish(SimulationFailure::NotCompiled, QStringLiteral("the machine's C did not compile"));
}

void SimulationBuild::finish(SimulationFailure::Kind kind, const QString &message)
{
    if (m_finished)
        return;
    m_timer.stop();
    m_finished = true;
    m_failure.kind = kind;
    m_failure.message = message;
    if (kind != SimulationFailure::None)
        m_failure.findings = m_harness.notes() + m_failure.findings;
    emit finished();
}
