#include "SimulationBuild.h"

#include "CheckedSaveFile.h"
#include "CompileCheck.h"
#include "DesignChecks.h"
#include "Sandbox.h"
#include "SimulationCompiler.h"
#include "SimulationLink.h"
#include "SimulationRuntime.h"
#include "SimulationStubUnit.h"
#include "StubDeclarations.h"

#include <QDir>

namespace {

QStringList machineTexts(const MachineDescription &machine)
{
    QStringList texts;
    for (const MachineText &text : machine.texts)
        texts << text.text;
    return texts;
}

// The compiler failed in the link alone: the linker complained, and every
// error it gave is the linker's.
bool onlyLinkErrors(const QString &output)
{
    bool linker = !SimulationLink::undefinedSymbols(output).isEmpty();
    for (const CompileCheck::Diagnostic &d : CompileCheck::diagnostics(output)) {
        if (d.severity != DesignFinding::Error)
            continue;
        if (!SimulationLink::isLinkMessage(d))
            return false;
        linker = true;
    }
    return linker;
}

// The linker's lines about anything but undefined symbols, a few.
QStringList linkerLines(const QString &output)
{
    QStringList lines;
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        if (line.contains(QLatin1String("multiple definition")) || line.contains(QLatin1String("duplicate symbol"))
            || line.contains(QLatin1String("defined twice")))
            lines << line.trimmed();
        if (lines.size() >= 20)
            break;
    }
    return lines;
}

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
                                 const QStringList &conditions, const QString &prelude, QObject *parent)
    : QObject(parent), m_machine(machine), m_module(module), m_harness(machine, module, conditions, prelude),
      m_prelude(prelude)
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
    m_program = command.program;
    m_arguments = command.arguments;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    m_compiler.setProcessEnvironment(environment);
    m_compiler.setProcessChannelMode(QProcess::MergedChannels);
    m_compiler.setWorkingDirectory(m_directory->path());
    runCompiler();
}

void SimulationBuild::runCompiler()
{
    m_output.clear();
    m_timer.start(m_timeoutMs);
    m_compiler.start(m_program, m_arguments);
}

bool SimulationBuild::writeFiles()
{
    m_directory = std::make_unique<QTemporaryDir>();
    if (!m_directory->isValid()) {
        finish(SimulationFailure::BuildFailed,
               QStringLiteral("no temporary folder for the simulation: %1").arg(m_directory->errorString()));
        return false;
    }
    // The first link has no stubs: it says which functions nothing defines.
    const QVector<QPair<QString, QString>> files = {
        { m_module.headerFileName, m_module.header },
        { m_module.sourceFileName, m_module.source },
        { SimulationHarness::preludeFileName(), m_prelude.isEmpty() ? QString() : m_prelude + QLatin1Char('\n') },
        { SimulationHarness::glueFileName(), m_harness.glue() },
        { SimulationHarness::runtimeFileName(), SimulationRuntime::source() },
        { SimulationStubUnit::fileName(), SimulationStubUnit::source({}) },
        { SimulationHarness::runsFileName(), SimulationRuntime::runsSource() },
        { SimulationHarness::callsFileName(), SimulationRuntime::callsSource() },
        { SimulationHarness::runtimeHeaderName(), SimulationRuntime::header() },
    };
    for (const auto &file : files) {
        if (!writeFile(file.first, file.second))
            return false;
    }
    return true;
}

bool SimulationBuild::writeFile(const QString &name, const QString &text)
{
    const QString path = QDir(m_directory->path()).filePath(name);
    QString error;
    if (!CheckedSaveFile::writeWhole(path, text.toUtf8(), QIODevice::WriteOnly, &error)) {
        finish(SimulationFailure::BuildFailed, QStringLiteral("cannot write %1: %2").arg(path, error));
        return false;
    }
    return true;
}

bool SimulationBuild::relinkWithStubs(const QString &output)
{
    const QStringList undefined = SimulationLink::undefinedSymbols(output);
    if (undefined.isEmpty())
        return false;
    // Symbols that are no functions, or the simulation's own, stay undefined.
    const StubDeclarations declarations = StubDeclarations(machineTexts(m_machine) << m_prelude);
    QStringList left;
    QVector<SimulationStub> stubs;
    for (const QString &name : undefined) {
        if (m_stubbed || SimulationLink::isReserved(name) || declarations.declaresObject(name))
            left << name;
        else
            stubs << declarations.stub(name);
    }
    if (!left.isEmpty() || stubs.size() > SimulationStubUnit::MaxStubs) {
        failLink(left.isEmpty() ? undefined : left);
        return true;
    }
    m_stubs = stubs;
    m_stubbed = true;
    if (writeFile(SimulationStubUnit::fileName(), SimulationStubUnit::source(m_stubs)))
        runCompiler();
    return true;
}

void SimulationBuild::failLink(const QStringList &symbols)
{
    const DesignFindings notes = m_harness.notes();
    const StubDeclarations declarations = StubDeclarations(machineTexts(m_machine) << m_prelude);
    for (const QString &name : symbols) {
        DesignFinding finding;
        finding.fromCompiler = true;
        QString why;
        if (declarations.declaresObject(name))
            why = QStringLiteral(": a variable nothing defines; define it in the simulation prelude");
        else if (SimulationLink::isReserved(name))
            why = QStringLiteral(": a name of the simulation itself");
        else if (m_stubbed)
            why = QStringLiteral(": still undefined with the stubs");
        finding.text = ItemRef::machine().describe(m_machine) + QStringLiteral(": undefined symbol '%1'").arg(name) + why;
        m_failure.findings << finding;
    }
    QString message = symbols.size() > SimulationStubUnit::MaxStubs && !m_stubbed
        ? QStringLiteral("the machine calls %1 functions nothing defines, more than the %2 a simulation stubs")
              .arg(symbols.size())
              .arg(SimulationStubUnit::MaxStubs)
        : QStringLiteral("the machine's program did not link: undefined symbol '%1'").arg(symbols.first());
    if (symbols.size() > 1 && symbols.size() <= SimulationStubUnit::MaxStubs)
        message += QStringLiteral(" and %1 more").arg(symbols.size() - 1);
    finish(SimulationFailure::NotLinked, message);
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
    if (m_compiler.exitCode() != 0 && onlyLinkErrors(output)) {
        if (relinkWithStubs(output))
            return;
        // Not an undefined symbol: the linker's own words say what.
        const QStringList lines = linkerLines(output);
        for (const QString &line : lines) {
            DesignFinding finding;
            finding.fromCompiler = true;
            finding.text = ItemRef::machine().describe(m_machine) + QStringLiteral(": ") + line;
            m_failure.findings << finding;
        }
        finish(SimulationFailure::NotLinked, QStringLiteral("the machine's program did not link")
                                                 + (lines.isEmpty() ? QString() : QStringLiteral(": ") + lines.first()));
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
