#include "SimulateCommand.h"

#include "CEmitter.h"
#include "CliSupport.h"
#include "CoverageReport.h"
#include "ProjectModules.h"
#include "RecordsToMachines.h"
#include "Sandbox.h"
#include "SimulationIncludePath.h"
#include "SimulationReplay.h"
#include "SimulationSession.h"
#include "TimeInState.h"
#include "TrustStore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

using namespace Cli;

namespace {

// Trace text gathered before it is written.
const int TraceChunk = 64 * 1024;

void writeStandardError(const QByteArray &bytes)
{
    err().flush();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

SimulateCommand::SimulateCommand() = default;

SimulateCommand::~SimulateCommand() = default;

int SimulateCommand::run(const QStringList &arguments)
{
    int code = parse(arguments);
    if (code == Success)
        code = readScript();
    if (code == Success)
        code = checkTrust();
    if (code == Success)
        code = prepareMachine();
    if (code != Success)
        return code;
    code = checkNames();
    if (code == Success)
        code = openTrace();
    if (code == Success)
        code = applySets();
    if (code == Success)
        code = m_explore > 0 ? runExploration() : m_scriptPath.isEmpty() ? runCycles() : runScript();
    code = closeTrace(code);
    code = checkCoverage(code);
    if (!m_scriptPath.isEmpty() && (code == Success || code == Failed)) {
        // "0 of 0 held" would read as a pass of a script that checks nothing.
        if (m_expectations == 0)
            out() << m_moduleName << ": the script checks nothing (it has no expect lines)\n";
        else
            out() << m_moduleName << ": " << m_expectations - m_failedExpectations << " of " << m_expectations
                  << " expectations held\n";
    }
    return code;
}

int SimulateCommand::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Compiles one state machine's generated C with a harness and runs it cycle by cycle.\n"
        "MACHINE is the machine's module name (blanks as underscores).\n\n"
        "A script holds one command a line:\n"
        "  # comment\n"
        "  reset                 restart the machine and call its Initialize\n"
        "  set VAR VALUE         VALUE is a C integer or floating literal\n"
        "  step [N]              N cycles, default 1\n"
        "  expect state LABEL    the state label as drawn; a sub-machine's state holds while it is\n"
        "                        active, and LABEL/LABEL... names a state inside another\n"
        "  expect VAR VALUE      numeric equality\n"
        "  stub NAME returns VALUE        a function the machine calls that nothing defines returns VALUE\n"
        "  stub NAME sequence V1 V2 ...   one value per call, then the last repeats\n"
        "  expect call NAME [COUNT]       NAME was called (COUNT times) in the latest step or reset\n"
        "  expect no call NAME            NAME was not called then\n\n"
        "Functions the machine calls that nothing defines are stubbed: each returns 0 of its type until\n"
        "the script says otherwise. The project's simulation settings add include folders and a prelude,\n"
        "whose scalar variables are inputs: scripts set and expect them, --explore varies them.\n\n"
        "The machine's C is the project's own code: it runs only when the project's folder is trusted\n"
        "(Trust This Folder in Kestro, or a project created in Kestro) or with --trust, and always in a\n"
        "sandbox: no network, no home folder, the project's folder read-only, no new processes, limited\n"
        "memory and time. Where this machine cannot confine it, it runs only with --no-sandbox.\n\n"
        "Exit status: 0 every expectation held, 1 an expectation failed, 64 usage or script error,\n"
        "65 corrupt project, 66 missing file or include folder, 69 no C compiler or no sandbox, 70 the\n"
        "machine's C did not compile or link, crashed or timed out, 73 the trace could not be written, 77 the folder is not trusted."));
    parser.addHelpOption();
    const QCommandLineOption script("script", "Run the commands of FILE.", "FILE");
    const QCommandLineOption set("set", "Give VAR the value VALUE before anything runs (repeatable).", "VAR=VALUE");
    const QCommandLineOption cycles("cycles", "Without a script: run reset and N cycles (default 1).", "N");
    const QCommandLineOption traceFile("trace", "Write the trace to FILE.csv or FILE.jsonl.", "FILE");
    const QCommandLineOption trust("trust", "Run the project's C this once although its folder is not trusted.");
    const QCommandLineOption noSandbox("no-sandbox", "Where the machine cannot confine the C (no bubblewrap, no user "
                                                     "namespaces), run it unconfined instead of exiting with 69.");
    const QCommandLineOption style("style", "Simulate the machine's module in STYLE (classic or instance; one "
                                            "instance), whatever the project says.", "STYLE");
    const QCommandLineOption noTrace("no-trace", "Without a script: print no trace, only what --coverage asks for; "
                                                 "the cycles run without a report each.");
    const QCommandLineOption coverage("coverage", "Print which states were entered and which transitions fired, "
                                                  "with counts.");
    const QCommandLineOption requireCoverage("require-coverage", "Exit with 1 when fewer than PERCENT of the "
                                                                 "transitions fired.", "PERCENT");
    const QCommandLineOption explore("explore", "Run N cycles with random values of the machine's inputs and "
                                                "of what its stubs return from reset, restarting every so often, and report what was never "
                                                "reached and any crash or timeout.", "N");
    const QCommandLineOption seed("seed", "The seed of --explore (default 1): the same seed, the same run.", "S");
    const QCommandLineOption saveReplay("save-replay", "Write the script that reproduces what --explore found "
                                                       "to FILE.", "FILE");
    const QCommandLineOption counterType("counter-type", "Keep the machine's time in state in TYPE (uint8_t, uint16_t "
                                                         "or uint32_t), whatever the project says.", "TYPE");
    parser.addOptions({ script, set, cycles, traceFile, trust, noSandbox, style, counterType, noTrace, coverage,
                        requireCoverage, explore, seed, saveReplay });
    parser.addPositionalArgument("simulate", "The command.");
    parser.addPositionalArgument("project", "The project file (.qsmd).");
    parser.addPositionalArgument("machine", "The state machine's module name.");
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(Success);

    const QStringList positional = parser.positionalArguments();
    if (positional.size() < 3)
        return usageError(positional.size() < 2 ? QStringLiteral("missing project file")
                                                : QStringLiteral("missing state machine"));
    if (positional.size() > 3)
        return usageError(QStringLiteral("unexpected argument '%1'").arg(positional.at(3)));
    m_project = positional.at(1);
    m_machineName = positional.at(2);
    m_scriptPath = parser.value(script);
    m_trust = parser.isSet(trust);
    m_noSandbox = parser.isSet(noSandbox);
    m_tracePath = parser.value(traceFile);
    m_style = parser.value(style);
    if (parser.isSet(style) && m_style != QLatin1String(RecordsToMachines::ClassicStyle)
        && m_style != QLatin1String(RecordsToMachines::InstanceStyle))
        return usageError(QStringLiteral("--style is classic or instance, not '%1'").arg(m_style));
    m_counterType = parser.value(counterType);
    if (parser.isSet(counterType) && !TimeInState::counterTypes().contains(m_counterType))
        return usageError(QStringLiteral("--counter-type is one of %1, not '%2'")
                              .arg(TimeInState::counterTypes().join(QStringLiteral(", ")), m_counterType));
    if (parser.isSet(traceFile) && !SimulationTrace::formatOf(m_tracePath, &m_format))
        return usageError(QStringLiteral("--trace needs a file ending in .csv or .jsonl, not '%1'").arg(m_tracePath));
    if (parser.isSet(cycles)) {
        if (parser.isSet(script))
            return usageError(QStringLiteral("--cycles applies only without --script"));
        bool ok = false;
        m_cycles = parser.value(cycles).toInt(&ok);
        if (!ok || m_cycles < 0)
            return usageError(QStringLiteral("--cycles needs a number of cycles, not '%1'").arg(parser.value(cycles)));
    }
    m_noTrace = parser.isSet(noTrace);
    m_coverage = parser.isSet(coverage);
    m_replayPath = parser.value(saveReplay);
    if (parser.isSet(requireCoverage)) {
        bool ok = false;
        m_requiredCoverage = parser.value(requireCoverage).toDouble(&ok);
        if (!ok || m_requiredCoverage < 0 || m_requiredCoverage > 100)
            return usageError(QStringLiteral("--require-coverage needs a percentage from 0 to 100, not '%1'")
                                  .arg(parser.value(requireCoverage)));
    }
    if (parser.isSet(explore)) {
        bool ok = false;
        m_explore = parser.value(explore).toLongLong(&ok);
        if (!ok || m_explore < 1)
            return usageError(QStringLiteral("--explore needs a number of cycles, not '%1'").arg(parser.value(explore)));
        if (parser.isSet(script) || parser.isSet(cycles) || parser.isSet(traceFile))
            return usageError(QStringLiteral("--explore runs without --script, --cycles or --trace"));
    }
    if (parser.isSet(seed)) {
        bool ok = false;
        m_seed = parser.value(seed).toULongLong(&ok);
        if (!ok || !parser.isSet(explore))
            return usageError(!ok ? QStringLiteral("--seed needs a whole number, not '%1'").arg(parser.value(seed))
                                  : QStringLiteral("--seed applies only with --explore"));
    }
    if (parser.isSet(saveReplay) && !parser.isSet(explore))
        return usageError(QStringLiteral("--save-replay applies only with --explore"));
    if (m_noTrace && (parser.isSet(traceFile) || parser.isSet(script)))
        return usageError(QStringLiteral("--no-trace applies only without --script and --trace"));
    for (const QString &value : parser.values(set)) {
        const QString name = value.section(QLatin1Char('='), 0, 0);
        const QString literal = value.section(QLatin1Char('='), 1);
        if (!SimulationScript::isName(name) || !SimulationScript::isLiteral(literal))
            return usageError(QStringLiteral("--set needs VAR=VALUE with a C integer or floating literal, not '%1'").arg(value));
        m_sets << qMakePair(name, literal);
    }
    return Success;
}

int SimulateCommand::readScript()
{
    if (m_scriptPath.isEmpty())
        return Success;
    QFile file(m_scriptPath);
    if (!QFileInfo(m_scriptPath).isFile() || !file.open(QIODevice::ReadOnly)) {
        err() << "kestro-cli: cannot read " << m_scriptPath << ": "
              << (QFileInfo::exists(m_scriptPath) ? "not a readable file" : "no such file") << "\n";
        return NoProject;
    }
    if (m_script.parse(QString::fromUtf8(file.readAll())))
        return Success;
    for (const QString &error : m_script.errors())
        err() << m_scriptPath << ":" << error << "\n";
    return Usage;
}

int SimulateCommand::checkTrust()
{
    if (!QFileInfo(m_project).isFile())
        return Success;   // reading it says what is wrong
    // The installed examples are Kestro's own.
    TrustStore::trustFolderForSession(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/kestro/Examples"));
    TrustStore::trustFolderForSession(QStringLiteral(KESTRO_DATADIR "/Examples"));
    if (!m_trust && !TrustStore().isTrusted(m_project)) {
        err() << "kestro-cli: " << m_project << ": simulating compiles and runs the C in this project's actions and "
                 "conditions on this computer, and its folder " << QFileInfo(m_project).absolutePath()
              << " is not trusted; pass --trust to run it this once\n";
        return Untrusted;
    }
    const Sandbox::Availability sandbox = Sandbox::availability();
    if (!sandbox.confined && !m_noSandbox) {
        err() << "kestro-cli: the project's C is not run: it cannot be confined here, " << sandbox.reason
              << "; install bubblewrap, or pass --no-sandbox to run it unconfined\n";
        return NoCompiler;
    }
    return Success;
}

int SimulateCommand::prepareMachine()
{
    RecordsToMachines::Records records;
    ModuleProperties properties;
    const int read = readProject(m_project, &records, &properties.projectName);
    if (read != Success)
        return read;
    m_settings = records.simulation;
    LoadNotes notes;
    QVector<MachineDescription> machines = RecordsToMachines::build(records, &notes);
    for (const LoadNote &note : notes)
        err() << m_project << ": warning: " << note.text() << "\n";
    if (!m_style.isEmpty()) {
        for (MachineDescription &machine : machines)
            machine.style = RecordsToMachines::style(m_style, QString());
    }
    if (!m_counterType.isEmpty()) {
        for (MachineDescription &machine : machines)
            machine.counterType = m_counterType;
    }
    // The same route as generate, with the transition hooks of the simulator.
    properties.transitionHooks = true;
    const QVector<GeneratedModule> modules = ProjectModules::generate(machines, properties);
    QStringList names;
    for (int i = 0; i < modules.size(); ++i) {
        if (modules.at(i).moduleName != m_machineName) {
            names << moduleShown(modules.at(i));
            continue;
        }
        m_machine = machines.at(i);
        m_moduleName = moduleShown(modules.at(i));
        reportDesign(modules.at(i));
        return build(modules.at(i));
    }
    err() << "kestro-cli: " << m_project << " has no state machine '" << printableText(m_machineName) << "'"
          << (names.isEmpty() ? QStringLiteral("") : QStringLiteral("; its machines: ") + names.join(QStringLiteral(", ")))
          << "\n";
    return Usage;
}

int SimulateCommand::build(const GeneratedModule &module)
{
    SimulationOptions options;
    const QString folder = QFileInfo(m_project).absolutePath();
    QStringList includes;
    QString error;
    if (!SimulationIncludePath::resolve(folder, m_settings.includePath, &includes, &error)) {
        err() << "kestro-cli: " << m_project << ": " << error << "\n";
        return NoProject;
    }
    options.includeDirectories << folder << includes;
    options.prelude = m_settings.prelude;
    options.allowUnconfined = m_noSandbox;
    m_session = std::make_unique<SimulationSession>(m_machine, module, options);
    QObject::connect(m_session.get(), &SimulationSession::outputReceived, &writeStandardError);
    QObject::connect(m_session.get(), &SimulationSession::cycleFinished,
                     [this](const SimulationCycle &cycle) { trace(cycle); });
    m_session->start();
    const bool ready = m_session->waitForReady();
    const DesignFindings warnings = ready ? m_session->buildWarnings() : m_session->failure().findings;
    for (const DesignFinding &finding : warnings) {
        err() << m_moduleName << ": " << (finding.severity == DesignFinding::Error ? "error: " : "warning: ")
              << finding.text << "\n";
    }
    if (ready)
        return Success;
    const SimulationFailure &failure = m_session->failure();
    if (failure.kind == SimulationFailure::NoSandbox) {
        err() << "kestro-cli: " << failure.message << "; install bubblewrap, or pass --no-sandbox\n";
        return NoCompiler;
    }
    if (failure.kind == SimulationFailure::NoCompiler) {
        err() << "kestro-cli: " << failure.message << "; install tcc or set CC to a C compiler\n";
        return NoCompiler;
    }
    err() << "kestro-cli: " << m_moduleName << ": " << failure.message << "\n";
    return Software;
}

int SimulateCommand::checkNames()
{
    for (const auto &set : qAsConst(m_sets)) {
        if (m_session->variableIndex(set.first) < 0)
            return usageError(QStringLiteral("--set: %1 has no variable %2").arg(m_moduleName, set.first));
    }
    QStringList errors;
    for (const SimulationScriptCommand &command : m_script.commands()) {
        if (command.kind == SimulationScriptCommand::ExpectState) {
            const bool known = command.name == SimulationTrace::stateName(m_machine, m_machine.states.size())
                || m_session->levels().findState(command.name) >= 0;
            if (!known)
                errors << where(command.line) + QStringLiteral("%1 has no state '%2'").arg(m_moduleName, command.name);
        } else if (command.kind == SimulationScriptCommand::Stub || command.kind == SimulationScriptCommand::ExpectCall) {
            if (m_session->stubIndex(command.name) < 0)
                errors << where(command.line)
                        + QStringLiteral("%1 calls no function %2 that nothing defines (%3)")
                              .arg(m_moduleName, command.name, stubNames());
        } else if (!command.name.isEmpty() && m_session->variableIndex(command.name) < 0) {
            errors << where(command.line) + QStringLiteral("%1 has no variable %2").arg(m_moduleName, command.name);
        }
    }
    for (const QString &error : errors)
        err() << error << "\n";
    return errors.isEmpty() ? Success : Usage;
}

int SimulateCommand::applySets()
{
    for (const auto &set : qAsConst(m_sets)) {
        SimulationReply reply;
        const int code = await(m_session->setVariable(set.first, set.second),
                               QStringLiteral("kestro-cli: --set %1=%2: ").arg(set.first, set.second), &reply);
        if (code != Success)
            return code;
    }
    return Success;
}

int SimulateCommand::runCycles()
{
    int code = await(m_session->reset(), QStringLiteral("kestro-cli: reset: "));
    if (code == Success && m_cycles > 0)
        code = await(quiet() ? m_session->run(m_cycles) : m_session->step(m_cycles), QStringLiteral("kestro-cli: step: "));
    return code;
}

int SimulateCommand::runScript()
{
    for (const SimulationScriptCommand &command : m_script.commands()) {
        const int code = runCommand(command);
        if (code != Success)
            return code;
    }
    return m_failedExpectations > 0 ? Failed : Success;
}

int SimulateCommand::runCommand(const SimulationScriptCommand &command)
{
    const QString at = where(command.line);
    switch (command.kind) {
    case SimulationScriptCommand::Reset:
        m_calls.clear();
        return await(m_session->reset(), at);
    case SimulationScriptCommand::Stub:
        return await(m_session->setStubReturns(command.name, command.values, command.sequence), at);
    case SimulationScriptCommand::ExpectCall:
        return expectCall(command);
    case SimulationScriptCommand::Set:
        return await(m_session->setVariable(command.name, command.value), at);
    case SimulationScriptCommand::Step:
        m_calls.clear();
        return await(quiet() && !countsCalls() ? m_session->run(command.cycles) : m_session->step(command.cycles), at);
    case SimulationScriptCommand::ExpectState: {
        ++m_expectations;
        const QString state = SimulationTrace::pathName(m_machine, m_session->activePath(), m_session->state());
        QVector<int> chain;
        m_session->levels().findState(command.name, &chain);
        // A state of any level holds while it is active; a path while all of it is.
        if (state != command.name && m_session->stateName(m_session->state()) != command.name
            && !SimulationLevels::isActive(chain, m_session->activePath())) {
            ++m_failedExpectations;
            err() << at << "expected state " << printableText(command.name) << ", got " << printableText(state) << "\n";
        }
        return Success;
    }
    case SimulationScriptCommand::ExpectValue:
        return expectValue(command);
    }
    return Success;
}

int SimulateCommand::runExploration()
{
    SimulationReply reply;
    m_session->waitForCommand(m_session->explore(m_explore, m_seed), &reply);
    const SimulationFailure &failure = m_session->failure();
    if (reply.kind == SimulationReply::Ok) {
        out() << m_moduleName << ": explored " << reply.text.section(QLatin1Char(' '), 0, 0) << " cycles from "
              << reply.text.section(QLatin1Char(' '), 1, 1) << " restarts (seed " << m_seed << ")\n"
              << CoverageReport::unreached(m_machine, m_session->coverage());
        return m_traceFailed ? NotWritten : Success;
    }
    if (reply.kind != SimulationReply::Failed || !failure.exploring) {
        err() << "kestro-cli: " << m_moduleName << ": " << reply.text << "\n";
        return reply.kind == SimulationReply::Error ? Usage : Software;
    }
    // What was covered until the failure died with the machine's program.
    out() << m_moduleName << ": exploring (seed " << m_seed << ") found a failure\n";
    err() << "kestro-cli: " << m_moduleName << ": " << failure.message << " (counted from the explorer's last restart)\n";
    return saveReplay(failure);
}

int SimulateCommand::saveReplay(const SimulationFailure &failure)
{
    const QString heading = QStringLiteral("kestro-cli simulate %1 %2 --explore %3 --seed %4 found this; run it with --script")
                                .arg(QFileInfo(m_project).fileName(), m_machineName)
                                .arg(m_explore)
                                .arg(m_seed);
    const QString script = SimulationReplay::script(m_session->variables(), failure, heading, m_session->stubs());
    if (m_replayPath.isEmpty()) {
        out() << "A script that reproduces it:\n" << script;
        return Software;
    }
    QString error;
    if (!CheckedSaveFile::writeWhole(m_replayPath, script.toUtf8(), QIODevice::WriteOnly, &error)) {
        err() << "kestro-cli: cannot write " << m_replayPath << ": " << error << "\n";
        return NotWritten;
    }
    out() << "A script that reproduces it: " << m_replayPath << "\n";
    return Software;
}

int SimulateCommand::checkCoverage(int code)
{
    if (!m_session || (!m_coverage && m_requiredCoverage < 0))
        return code;
    const SimulationCoverage &coverage = m_session->coverage();
    if (m_coverage) {
        // A long run that failed took its counts with the machine's program.
        if (code != Success && code != Failed)
            out() << "Coverage up to the last command that finished:\n";
        out() << CoverageReport::full(m_moduleName, m_machine, coverage);
    }
    if (m_requiredCoverage >= 0 && coverage.transitionPercent() < m_requiredCoverage && code == Success) {
        err() << "kestro-cli: " << m_moduleName << ": " << QString::number(coverage.transitionPercent(), 'f', 1)
              << "% of the transitions fired, fewer than the " << m_requiredCoverage << "% required\n";
        return Failed;
    }
    return code;
}

int SimulateCommand::expectValue(const SimulationScriptCommand &command)
{
    ++m_expectations;
    SimulationReply reply;
    const QString at = where(command.line);
    const int code = await(m_session->compareVariable(command.name, command.value), at, &reply);
    if (code != Success)
        return code;
    if (!reply.text.startsWith(QLatin1String("1 "))) {
        ++m_failedExpectations;
        err() << at << "expected " << command.name << " " << command.value << ", got "
              << reply.text.section(QLatin1Char(' '), 1) << "\n";
    }
    return Success;
}

int SimulateCommand::expectCall(const SimulationScriptCommand &command)
{
    ++m_expectations;
    const qint64 calls = m_calls.value(m_session->stubIndex(command.name));
    const bool held = command.calls < 0 ? calls > 0 : calls == command.calls;
    if (!held) {
        ++m_failedExpectations;
        const QString expected = command.calls < 0 ? QStringLiteral("a call of %1").arg(command.name)
            : command.calls == 0                   ? QStringLiteral("no call of %1").arg(command.name)
                                                   : QStringLiteral("%1 calls of %2").arg(command.calls).arg(command.name);
        err() << where(command.line) << "expected " << expected << ", got " << calls << "\n";
    }
    return Success;
}

bool SimulateCommand::countsCalls() const
{
    for (const SimulationScriptCommand &command : m_script.commands()) {
        if (command.kind == SimulationScriptCommand::ExpectCall)
            return true;
    }
    return false;
}

QString SimulateCommand::stubNames() const
{
    QStringList names;
    for (const SimulationStub &stub : m_session->stubs())
        names << stub.name;
    return names.isEmpty() ? QStringLiteral("it calls none") : QStringLiteral("it calls ") + names.join(QStringLiteral(", "));
}

int SimulateCommand::await(int command, const QString &where, SimulationReply *reply)
{
    SimulationReply got;
    m_session->waitForCommand(command, &got);
    if (reply)
        *reply = got;
    if (got.kind == SimulationReply::Failed) {
        err() << where << m_moduleName << ": " << got.text << "\n";
        return Software;
    }
    if (got.kind == SimulationReply::Error) {
        err() << where << got.text << "\n";
        return Usage;
    }
    return m_traceFailed ? NotWritten : Success;
}

QString SimulateCommand::where(int line) const
{
    return QStringLiteral("%1:%2: ").arg(m_scriptPath).arg(line);
}

int SimulateCommand::openTrace()
{
    if (m_tracePath.isEmpty()) {
        if (m_scriptPath.isEmpty() && !quiet())
            out() << SimulationTrace::header(SimulationTrace::Format::Csv, SimulationTrace::showsEntryExit(m_machine),
                                             !m_session->stubs().isEmpty());
        return Success;
    }
    m_traceFile = std::make_unique<CheckedSaveFile>(m_tracePath);
    if (!m_traceFile->open()) {
        err() << "kestro-cli: cannot write " << m_tracePath << ": " << m_traceFile->errorString() << "\n";
        // Said once: closing has no trace left to report about.
        m_traceFile.reset();
        return NotWritten;
    }
    m_traceBuffer = SimulationTrace::header(m_format, SimulationTrace::showsEntryExit(m_machine), !m_session->stubs().isEmpty());
    return Success;
}

void SimulateCommand::trace(const SimulationCycle &cycle)
{
    for (const auto &count : cycle.callCounts)
        m_calls[count.first] += count.second;
    const bool stubbed = !m_session->stubs().isEmpty();
    // A reset after cycles begins a new run: the trace marks it.
    if (cycle.number == 0 && m_traced) {
        SimulationTrace::Row restart = SimulationTrace::restartRow(SimulationTrace::showsEntryExit(m_machine));
        restart.hasCalls = stubbed;
        writeTraceRow(restart);
    }
    m_traced = true;
    SimulationTrace::Row row = SimulationTrace::row(m_machine, m_session->variables(), cycle);
    SimulationTrace::addCalls(&row, m_session->stubs(), cycle);
    writeTraceRow(row);
}

void SimulateCommand::writeTraceRow(const SimulationTrace::Row &row)
{
    if (!m_traceFile) {
        if (m_scriptPath.isEmpty() && !quiet())
            out() << SimulationTrace::line(SimulationTrace::Format::Csv, row);
        return;
    }
    m_traceBuffer += SimulationTrace::line(m_format, row);
    if (m_traceBuffer.size() >= TraceChunk && !m_traceFailed) {
        m_traceFailed = !m_traceFile->write(m_traceBuffer);
        m_traceBuffer.clear();
    }
}

int SimulateCommand::closeTrace(int code)
{
    if (!m_traceFile)
        return code;
    // The trace up to a failure is kept: it shows what led to it.
    if (!m_traceFailed && m_traceFile->write(m_traceBuffer) && m_traceFile->commit())
        return code;
    err() << "kestro-cli: cannot write " << m_tracePath << ": " << m_traceFile->errorString() << "\n";
    m_traceFile->cancel();
    return NotWritten;
}
