#include "SimulationSession.h"

#include "ItemRef.h"
#include "Sandbox.h"
#include "SandboxProcess.h"
#include "SimulationBuild.h"
#include "SimulationCompiler.h"
#include "SimulationPlace.h"
#include "SimulationProtocol.h"
#include "SimulationStubUnit.h"
#include "SimulationRunCheck.h"
#include "SimulationTrace.h"

#include <QEventLoop>
#include <QMetaObject>

#include <csignal>
#include <cstring>

namespace {

// How long the program may take to say hello: it runs none of the machine's code then.
const int HelloTimeoutMs = 10000;
// How long after a cycle's time is up the program is ended from outside (its
// own alarm reports where it was first).
const int KillGraceMs = 500;
// Replies kept for waitForCommand().
const int KeptReplies = 64;

} // namespace

SimulationSession::SimulationSession(const MachineDescription &machine, const GeneratedModule &module,
                                     const SimulationOptions &options, QObject *parent)
    : QObject(parent), m_machine(machine), m_levels(m_machine), m_module(module), m_options(options)
{
    qRegisterMetaType<SimulationCycle>();
    qRegisterMetaType<SimulationReply>();
    qRegisterMetaType<SimulationFailure>();
    m_stepTimer.setSingleShot(true);
    connect(&m_stepTimer, &QTimer::timeout, this, &SimulationSession::stepTimedOut);
}

SimulationSession::~SimulationSession()
{
    endChild();
}

void SimulationSession::start()
{
    if (m_phase != Phase::Created)
        return;
    m_phase = Phase::Building;
    m_build = new SimulationBuild(m_machine, m_module, m_options.conditions, m_options.prelude, this);
    connect(m_build, &SimulationBuild::finished, this, &SimulationSession::buildFinished, Qt::QueuedConnection);
    const QStringList compiler = m_options.compiler.isEmpty() ? SimulationCompiler::defaultCompiler() : m_options.compiler;
    m_build->start(compiler, m_options.includeDirectories, m_options.compileTimeoutMs, m_options.allowUnconfined);
}

DesignFindings SimulationSession::buildWarnings() const
{
    return m_build && m_build->isFinished() ? m_build->warnings() : DesignFindings();
}

QString SimulationSession::stateName(int state) const
{
    return SimulationTrace::stateName(m_machine, state);
}

QString SimulationSession::transitionName(int transition) const
{
    return m_levels.transitionName(transition);
}

int SimulationSession::reset()
{
    return enqueue(Kind::Reset, "reset", QString(), QString(), 1);
}

int SimulationSession::step(int cycles)
{
    return enqueue(Kind::Step, "step " + QByteArray::number(qMax(1, cycles)), QString(), QString(), qMax(1, cycles));
}

int SimulationSession::run(qint64 cycles)
{
    return enqueue(Kind::Run, "run " + QByteArray::number(qMax<qint64>(1, cycles)));
}

int SimulationSession::explore(qint64 cycles, quint64 seed)
{
    return enqueue(Kind::Explore, "explore " + QByteArray::number(qMax<qint64>(1, cycles)) + ' ' + QByteArray::number(seed));
}

int SimulationSession::setVariable(const QString &name, const QString &literal)
{
    return enqueue(Kind::Set, "set " + name.toUtf8() + ' ' + literal.toUtf8(), name, literal);
}

int SimulationSession::compareVariable(const QString &name, const QString &literal)
{
    return enqueue(Kind::Compare, "equal " + name.toUtf8() + ' ' + literal.toUtf8(), name);
}

int SimulationSession::setStubReturns(const QString &name, const QStringList &values, bool sequence)
{
    bool words = !values.isEmpty() && (sequence || values.size() == 1);
    for (const QString &value : values)
        words = words && !value.isEmpty() && !value.contains(QLatin1Char(' '));
    const QString literal = words ? values.join(QLatin1Char(' ')) : QString();
    const QByteArray line = "stub " + name.toUtf8() + (sequence ? " sequence " : " returns ") + literal.toUtf8();
    if (!words) {
        const int number = m_nextNumber++;
        failLater(number, QStringLiteral("not a function name and C literals"));
        return number;
    }
    return enqueue(Kind::Stub, line, name);
}

int SimulationSession::setStateBreakpoint(int state, bool on)
{
    return setBreakpoint(&m_stateBreakpoints, "state", state, on);
}

int SimulationSession::setConditionBreakpoint(int condition, bool on)
{
    return setBreakpoint(&m_conditionBreakpoints, "condition", condition, on);
}

int SimulationSession::setBreakpoint(QSet<int> *set, const char *kind, int index, bool on)
{
    if (on)
        set->insert(index);
    else
        set->remove(index);
    return enqueue(Kind::Breakpoint, breakpointLine(kind, index, on));
}

QByteArray SimulationSession::breakpointLine(const char *kind, int index, bool on)
{
    return QByteArray("break ") + kind + ' ' + QByteArray::number(index) + (on ? " 1" : " 0");
}

void SimulationSession::stop()
{
    failCommands(true, QStringLiteral("the simulation was stopped"));
    endChild();
    if (m_phase == Phase::Running || m_phase == Phase::Starting)
        m_phase = Phase::Stopped;
}

int SimulationSession::enqueue(Kind kind, const QByteArray &line, const QString &name, const QString &literal,
                               int cycles)
{
    // Names and values travel as single words on one line.
    const bool needsName = kind == Kind::Set || kind == Kind::Compare || kind == Kind::Stub;
    const bool oneWord = !name.contains(QLatin1Char(' ')) && !literal.contains(QLatin1Char(' '))
        && !line.contains('\n') && !line.contains('\r') && line.size() < 4000 && (!needsName || !name.isEmpty());
    Command command{ m_nextNumber++, kind, line, name, literal, cycles };
    if (!oneWord) {
        failLater(command.number, QStringLiteral("not a variable name and a C literal"));
        return command.number;
    }
    m_queue.enqueue(command);
    // Commands go out from the event loop, so that a reply never arrives
    // before its caller has the command's number.
    QMetaObject::invokeMethod(this, &SimulationSession::pump, Qt::QueuedConnection);
    return command.number;
}

void SimulationSession::failLater(int number, const QString &reason)
{
    QMetaObject::invokeMethod(this, [this, number, reason] {
        deliver(number, SimulationReply{ SimulationReply::Error, reason, SimulationBreak() });
    }, Qt::QueuedConnection);
}

void SimulationSession::pump()
{
    while (!m_queue.isEmpty()) {
        const Command &head = m_queue.head();
        if (m_phase == Phase::Created || m_phase == Phase::Building || m_phase == Phase::Starting)
            return;
        if (m_phase == Phase::Unbuildable) {
            failCommands(true, m_failure.message);
            return;
        }
        if (head.kind == Kind::Reset && (m_phase == Phase::Stopped || m_childUsed)) {
            if (m_sent.isEmpty())
                restartChild();
            return;
        }
        if (m_phase == Phase::Stopped) {
            m_sent.enqueue(m_queue.dequeue());
            finishCommand(SimulationReply{ SimulationReply::Failed,
                                           QStringLiteral("the machine is not running; reset starts it again"),
                                           SimulationBreak() });
            continue;
        }
        Command command = m_queue.dequeue();
        m_child->writeChannel(command.line + '\n');
        if (m_sent.isEmpty())
            m_commandCycles = 0;
        if (command.kind == Kind::Explore) {
            m_childUsed = true;   // its variables are no longer the start values
            m_replay.clear();
        }
        m_sent.enqueue(command);
        if (!m_stepTimer.isActive())
            m_stepTimer.start(m_options.stepTimeoutMs + KillGraceMs);
    }
}

void SimulationSession::buildFinished()
{
    if (m_build->failure().failed()) {
        m_failure = m_build->failure();
        m_phase = Phase::Unbuildable;
        failCommands(true, m_failure.message);
        emit failed(m_failure);
        return;
    }
    m_variables = m_build->harness().variables();
    for (int i = 0; i < m_variables.size(); ++i)
        m_variableIndex.insert(m_variables.at(i).name, i);
    m_stubs = m_build->stubs();
    for (int i = 0; i < m_stubs.size(); ++i)
        m_stubIndex.insert(m_stubs.at(i).name, i);
    m_state = m_machine.states.size();
    m_coverage.stateEntries.fill(0, m_levels.stateSlots());
    m_coverage.transitionFires.fill(0, m_levels.transitionSlots());
    startChild();
}

void SimulationSession::startChild()
{
    m_child = new SandboxProcess(this);
    m_buffer.clear();
    m_helloVariables = -1;
    m_childUsed = false;
    m_commandCycles = 0;
    m_timedOut = false;
    m_positionKnown = false;
    m_outputLeft = MaxOutput;
    m_failure = SimulationFailure();
    m_state = m_machine.states.size();
    m_path.clear();
    m_pathDue = false;
    m_cycle = -1;
    m_phase = Phase::Starting;
    // The machine's program runs in the sandbox and starts no processes; it
    // talks over its own descriptor, and what it prints is its output.
    Sandbox::Spec spec;
    spec.role = Sandbox::Role::Machine;
    spec.program = m_build->executable();
    spec.arguments << QString::number(m_options.stepTimeoutMs);
    spec.buildFolder = m_build->directory();
    spec.keepProtocolFd = true;
    const Sandbox::Command command = Sandbox::command(spec, m_options.allowUnconfined);
    m_confined = command.confined;
    if (command.status != Sandbox::Command::Ready || !m_child->openChannel()) {
        const QString why = command.status != Sandbox::Command::Ready ? command.error : m_child->channelError();
        QMetaObject::invokeMethod(this, [this, why] {
            fail(SimulationFailure::StartFailed, QStringLiteral("the compiled machine was not started: %1").arg(why));
            childFinished(-1, QProcess::CrashExit);
        }, Qt::QueuedConnection);
        return;
    }
    connect(m_child, &SandboxProcess::channelReadyRead, this, &SimulationSession::readProtocol);
    connect(m_child, &QProcess::readyReadStandardOutput, this, &SimulationSession::readOutput);
    connect(m_child, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            &SimulationSession::childFinished);
    connect(m_child, &QProcess::errorOccurred, this, &SimulationSession::childError);
    m_child->setProcessChannelMode(QProcess::MergedChannels);
    m_child->setStandardInputFile(QProcess::nullDevice());
    m_child->setWorkingDirectory(m_build->directory());
    m_stepTimer.start(qMax(m_options.stepTimeoutMs, HelloTimeoutMs));
    m_child->start(command.program, command.arguments);
}

void SimulationSession::restartChild()
{
    endChild();
    // The breakpoints and the values set since the last cycle go to the new
    // program before the reset that is at the head of the queue.
    QVector<Command> replay;
    for (int state : qAsConst(m_stateBreakpoints))
        replay << Command{ 0, Kind::Breakpoint, breakpointLine("state", state, true), {}, {}, 0 };
    for (int condition : qAsConst(m_conditionBreakpoints))
        replay << Command{ 0, Kind::Breakpoint, breakpointLine("condition", condition, true), {}, {}, 0 };
    for (auto stub = m_stubSettings.cbegin(); stub != m_stubSettings.cend(); ++stub)
        replay << Command{ 0, Kind::Stub, stub.value(), stub.key(), {}, 0 };
    for (const auto &set : qAsConst(m_pendingSets))
        replay << Command{ 0, Kind::Set, "set " + set.first.toUtf8() + ' ' + set.second.toUtf8(), set.first, set.second, 0 };
    m_pendingSets.clear();
    for (int i = replay.size() - 1; i >= 0; --i)
        m_queue.prepend(replay.at(i));
    startChild();
}

void SimulationSession::endChild()
{
    m_stepTimer.stop();
    if (!m_child)
        return;
    SandboxProcess *child = m_child;
    m_child = nullptr;
    child->disconnect(this);
    if (child->state() != QProcess::NotRunning) {
        child->kill();
        child->waitForFinished(1000);
    }
    child->deleteLater();
    m_sent.clear();
}

void SimulationSession::readOutput()
{
    const QByteArray chunk = m_child->readAllStandardOutput();
    if (m_outputLeft <= 0)
        return;
    const QByteArray shown = chunk.left(m_outputLeft);
    m_outputLeft -= shown.size();
    emit outputReceived(shown);
    if (m_outputLeft == 0)
        emit outputReceived(QByteArrayLiteral("\n[the machine's further output is not shown]\n"));
}

void SimulationSession::readProtocol()
{
    SandboxProcess *child = m_child;
    m_buffer += child->readChannel();
    int start = 0;
    for (int end = m_buffer.indexOf('\n'); end >= 0 && m_child == child; end = m_buffer.indexOf('\n', start)) {
        processLine(m_buffer.mid(start, end - start));
        start = end + 1;
    }
    if (m_child != child)
        return;
    m_buffer.remove(0, start);
    if (m_buffer.size() > MaxLine)
        fail(SimulationFailure::ProtocolError, QStringLiteral("the machine's program wrote an overlong line"));
}

void SimulationSession::processLine(const QByteArray &bytes)
{
    const SimulationLine line = SimulationLine::parse(bytes);
    if (line.kind == SimulationLine::Crash || line.kind == SimulationLine::Stopped) {
        const QVector<qint64> &n = line.numbers;
        m_position = Position{ int(n.at(0)), n.at(1), int(n.at(2)), int(n.at(3)), int(n.at(4)), int(n.at(5)) };
        m_positionKnown = true;
        if (line.kind == SimulationLine::Stopped && n.at(0) == SIGALRM)
            m_timedOut = true;
        return;
    }
    if (m_failure.failed())
        return;
    if (m_phase == Phase::Starting) {
        if (!processHello(line))
            fail(SimulationFailure::ProtocolError,
                 QStringLiteral("the machine's program did not start as expected: %1").arg(QString::fromUtf8(bytes.left(200))));
        return;
    }
    if (m_sent.isEmpty()) {
        fail(SimulationFailure::ProtocolError, QStringLiteral("the machine's program wrote without being asked"));
        return;
    }
    const QString wrong = checkLine(line);
    if (!wrong.isEmpty()) {
        fail(SimulationFailure::ProtocolError, QStringLiteral("the machine's program wrote '%1', %2")
                                                   .arg(QString::fromUtf8(bytes.left(200)), wrong));
        return;
    }
    m_stepTimer.start(m_options.stepTimeoutMs + KillGraceMs);
    switch (line.kind) {
    case SimulationLine::Changed:
        if (m_sent.head().quiet())
            processQuietLine(line);
        else
            processCycleLine(line);
        return;
    case SimulationLine::Cycle:
    case SimulationLine::Value:
        processCycleLine(line);
        return;
    case SimulationLine::Call:
    case SimulationLine::Calls:
        processCallLine(line);
        return;
    case SimulationLine::Ran:
    case SimulationLine::Path:
    case SimulationLine::Covered:
    case SimulationLine::Replay:
    case SimulationLine::Alive:
        processQuietLine(line);
        return;
    case SimulationLine::Ok:
    case SimulationLine::Error:
    case SimulationLine::Break: {
        closeCycle();
        SimulationReply reply;
        reply.kind = line.kind == SimulationLine::Ok ? SimulationReply::Ok
            : line.kind == SimulationLine::Error     ? SimulationReply::Error
                                                     : SimulationReply::Break;
        reply.text = line.text;
        if (line.kind == SimulationLine::Break) {
            reply.hit.kind = line.name == QLatin1String("state") ? SimulationBreak::StateEntered : SimulationBreak::Condition;
            reply.hit.index = int(line.numbers.at(0));
        }
        const Command &command = m_sent.head();
        const int variable = variableIndex(command.name);
        if (reply.kind == SimulationReply::Ok && variable >= 0) {
            if (command.kind == Kind::Set) {
                m_variables[variable].value = reply.text;
                m_pendingSets << qMakePair(command.name, command.literal);
            } else if (command.kind == Kind::Compare) {
                m_variables[variable].value = reply.text.section(QLatin1Char(' '), 1);
            }
            emit variablesChanged();
        }
        const int stub = command.kind == Kind::Stub ? stubIndex(command.name) : -1;
        if (reply.kind == SimulationReply::Ok && stub >= 0) {
            m_stubs[stub].returnText = reply.text;
            m_stubSettings.insert(command.name, command.line);
            emit stubsChanged();
        }
        if (command.quiet())
            emit variablesChanged();
        finishCommand(reply);
        return;
    }
    default:
        fail(SimulationFailure::ProtocolError,
             QStringLiteral("the machine's program wrote '%1'").arg(QString::fromUtf8(bytes.left(200))));
    }
}

void SimulationSession::processQuietLine(const SimulationLine &line)
{
    const QVector<qint64> &n = line.numbers;
    switch (line.kind) {
    case SimulationLine::Covered: {
        QVector<qint64> &counts = line.name == QLatin1String("state") ? m_coverage.stateEntries : m_coverage.transitionFires;
        counts[int(n.at(0))] += n.at(1);
        return;
    }
    case SimulationLine::Ran:
        m_ranSeen = true;
        m_childUsed = true;
        m_pendingSets.clear();
        m_cycle = n.at(0);
        m_state = int(n.at(1));
        m_path = m_levels.flatPath(m_state);
        m_pathDue = m_levels.hasSubMachines();
        return;
    case SimulationLine::Path:
        m_pathDue = false;
        m_path.clear();
        for (qint64 slot : n)
            m_path << int(slot);
        if (m_cycleOpen) {
            m_openCycle.afterPath = m_path;
            countCycle(m_openCycle);
        }
        return;
    case SimulationLine::Replay:
        if (m_replay.size() < MaxReplay)
            m_replay << (line.name.isEmpty() ? SimulationGiven{ n.at(0), int(n.at(1)), quint64(n.at(2)) }
                                             : SimulationGiven{ n.at(0), -1, quint64(n.at(2)), int(n.at(1)) });
        return;
    case SimulationLine::Changed: {
        const int variable = variableIndex(line.name);
        if (variable < 0) {
            fail(SimulationFailure::ProtocolError, QStringLiteral("the machine's program reported an unknown variable"));
            return;
        }
        m_variables[variable].value = line.text;
        return;
    }
    default:
        return;
    }
}

void SimulationSession::countCycle(const SimulationCycle &cycle)
{
    if (cycle.fired >= 0 && cycle.fired < m_coverage.transitionFires.size())
        ++m_coverage.transitionFires[cycle.fired];
    for (int i = m_levels.firstEntered(cycle.beforePath, cycle.afterPath, cycle.fired); i < cycle.afterPath.size(); ++i)
        ++m_coverage.stateEntries[cycle.afterPath.at(i)];
}

QString SimulationSession::checkLine(const SimulationLine &line) const
{
    const Command &command = m_sent.head();
    SimulationRunCheck::Context context;
    context.exploring = command.kind == Kind::Explore;
    context.ranSeen = m_ranSeen;
    context.cycle = m_cycle;
    context.states = m_machine.states.size();
    context.stateSlots = m_levels.stateSlots();
    context.transitions = m_levels.transitionSlots();
    context.conditions = m_options.conditions.size();
    context.variables = m_variables.size();
    context.stubs = m_stubs.size();
    context.levels = &m_levels;
    context.pathDue = m_pathDue;
    context.top = m_state;
    if (command.quiet() || line.kind == SimulationLine::Ran || line.kind == SimulationLine::Covered
        || line.kind == SimulationLine::Replay || line.kind == SimulationLine::Alive)
        return command.quiet() ? SimulationRunCheck::check(line, context)
                               : QStringLiteral("a line of a long run no command asked for");
    SimulationRunCheck::Single single;
    single.cycles = command.kind == Kind::Reset || command.kind == Kind::Step;
    single.resetting = command.kind == Kind::Reset;
    single.comparing = command.kind == Kind::Compare;
    single.asked = command.cycles;
    single.got = m_commandCycles;
    single.state = m_state;
    single.cycleOpen = m_cycleOpen;
    single.callsRecorded = m_openCycle.calls.size();
    single.stubKnown = stubIndex(line.name) >= 0;
    return SimulationRunCheck::checkSingle(line, context, single);
}

bool SimulationSession::processHello(const SimulationLine &line)
{
    if (m_helloVariables < 0) {
        // Version 3, and the program of this machine.
        if (line.kind != SimulationLine::Hello || line.numbers.at(0) != 3
            || line.numbers.at(1) != m_machine.states.size() || line.numbers.at(2) != m_options.conditions.size()
            || line.numbers.at(3) != m_variables.size() || line.numbers.at(4) != m_levels.transitionSlots()
            || line.numbers.at(5) != m_levels.stateSlots())
            return false;
        m_helloVariables = m_variables.size();
        return true;
    }
    if (m_helloVariables > 0) {
        const int index = m_variables.size() - m_helloVariables;
        const QStringList parts = line.text.split(QLatin1Char(' '));
        if (line.kind != SimulationLine::Variable || line.name != m_variables.at(index).name || parts.size() != 3
            || parts.at(0).size() != 1)
            return false;
        SimulationVariable &v = m_variables[index];
        v.kind = parts.at(0).at(0).toLatin1();
        v.size = parts.at(1).toInt();
        v.value = parts.at(2);
        --m_helloVariables;
        return true;
    }
    if (line.kind != SimulationLine::Ok)
        return false;
    m_phase = Phase::Running;
    m_stepTimer.stop();
    emit variablesChanged();
    if (!m_readyEmitted) {
        m_readyEmitted = true;
        emit ready();
    }
    pump();
    return true;
}

void SimulationSession::processCycleLine(const SimulationLine &line)
{
    if (line.kind == SimulationLine::Cycle) {
        closeCycle();
        m_openCycle = SimulationCycle();
        m_openCycle.number = line.numbers.at(0);
        m_openCycle.before = int(line.numbers.at(1));
        m_openCycle.fired = int(line.numbers.at(2));
        m_openCycle.after = int(line.numbers.at(3));
        m_cycleOpen = true;
        m_childUsed = true;
        for (SimulationStub &stub : m_stubs)
            stub.calls = 0;
        ++m_commandCycles;
        m_pendingSets.clear();
        m_cycle = m_openCycle.number;
        m_state = m_openCycle.after;
        // A machine with sub-machines reports its path on the next line.
        m_openCycle.beforePath = m_openCycle.number == 0 ? QVector<int>() : m_path;
        m_openCycle.afterPath = m_path = m_levels.flatPath(m_state);
        m_pathDue = m_levels.hasSubMachines();
        if (!m_pathDue)
            countCycle(m_openCycle);
        return;
    }
    const int variable = variableIndex(line.name);
    if (variable < 0 || (line.kind == SimulationLine::Changed && !m_cycleOpen)) {
        fail(SimulationFailure::ProtocolError, QStringLiteral("the machine's program reported an unknown variable"));
        return;
    }
    m_variables[variable].value = line.text;
    if (line.kind == SimulationLine::Changed)
        m_openCycle.changes << SimulationChange{ variable, line.text };
}

void SimulationSession::processCallLine(const SimulationLine &line)
{
    const int stub = stubIndex(line.name);
    if (line.kind == SimulationLine::Call) {
        m_openCycle.calls << SimulationCall{ stub, line.text.left(SimulationStubUnit::RecordedArguments * 32) };
        return;
    }
    m_stubs[stub].calls = line.numbers.first();
    m_openCycle.callCounts << qMakePair(stub, line.numbers.first());
}

void SimulationSession::closeCycle()
{
    if (!m_cycleOpen)
        return;
    m_cycleOpen = false;
    emit cycleFinished(m_openCycle);
}

void SimulationSession::finishCommand(const SimulationReply &reply)
{
    const Command command = m_sent.dequeue();
    m_commandCycles = 0;
    m_ranSeen = false;
    if (m_sent.isEmpty())
        m_stepTimer.stop();
    // A replay after a restart was answered when it was first given.
    if (command.number != 0)
        deliver(command.number, reply);
}

void SimulationSession::deliver(int number, const SimulationReply &reply)
{
    m_replies.insert(number, reply);
    while (m_replies.size() > KeptReplies)
        m_replies.erase(m_replies.begin());
    emit commandFinished(number, reply);
}

void SimulationSession::failCommands(bool all, const QString &reason)
{
    const SimulationReply reply{ SimulationReply::Failed, reason, SimulationBreak() };
    while (!m_sent.isEmpty())
        finishCommand(reply);
    while (all && !m_queue.isEmpty()) {
        m_sent.enqueue(m_queue.dequeue());
        finishCommand(reply);
    }
}

void SimulationSession::fail(SimulationFailure::Kind kind, const QString &message)
{
    if (m_failure.failed())
        return;
    m_failure.kind = kind;
    m_failure.message = message;
    if (m_child)
        m_child->kill();   // childFinished() reports it
}

void SimulationSession::stepTimedOut()
{
    if (!m_child)
        return;
    if (m_phase == Phase::Starting) {
        fail(SimulationFailure::StartFailed, QStringLiteral("the machine's program did not answer within %1 s")
                                                 .arg(qMax(m_options.stepTimeoutMs, HelloTimeoutMs) / 1000));
        return;
    }
    // The program's own alarm has said where it was, unless its code turned
    // the alarm off; either way it is ended from outside.
    m_timedOut = true;
    m_child->kill();
}

void SimulationSession::childError(QProcess::ProcessError error)
{
    if (error == QProcess::FailedToStart && m_child) {
        fail(SimulationFailure::StartFailed, QStringLiteral("the compiled machine could not be started: %1")
                                                 .arg(m_child->errorString()));
        childFinished(-1, QProcess::CrashExit);
    }
}

void SimulationSession::childFinished(int exitCode, QProcess::ExitStatus status)
{
    if (!m_child)
        return;
    SandboxProcess *child = m_child;
    // What the program wrote before it ended may still wait in the socket.
    readProtocol();
    if (m_child != child)
        return;
    if (child->bytesAvailable() > 0)
        readOutput();
    closeCycle();
    // Values set before a cycle that never ended were used by it.
    if (!m_sent.isEmpty() && (m_sent.head().kind == Kind::Step || m_sent.head().kind == Kind::Reset || m_sent.head().quiet()))
        m_pendingSets.clear();
    Position where = m_position;
    if (!m_positionKnown) {
        const bool stepping = !m_sent.isEmpty() && m_sent.head().kind == Kind::Step;
        where = Position{ exitCode, stepping ? m_cycle + 1 : qMax<qint64>(m_cycle, 0), m_state, -1, 1, -1 };
    }
    if (!m_failure.failed()) {
        const QString at = QStringLiteral("in cycle %1, %2").arg(where.cycle).arg(describePosition(where));
        if (m_timedOut) {
            m_failure.kind = SimulationFailure::TimedOut;
            m_failure.message = QStringLiteral("cycle %1 did not finish within %2 s, %3; the machine was stopped")
                                    .arg(where.cycle)
                                    .arg(m_options.stepTimeoutMs / 1000.0)
                                    .arg(describePosition(where));
        } else if (int signal = deathSignal(exitCode, status)) {
            m_failure.kind = SimulationFailure::Crashed;
            m_failure.message = QStringLiteral("the machine crashed with %1 %2").arg(SimulationPlace::signalName(signal), at);
        } else {
            m_failure.kind = SimulationFailure::Exited;
            m_failure.message = QStringLiteral("the machine's program ended with exit code %1 %2").arg(exitCode).arg(at);
        }
    }
    placeFailure(where);
    if (!m_sent.isEmpty() && m_sent.head().kind == Kind::Explore) {
        m_failure.exploring = true;
        m_failure.replay = m_replay;
    }
    m_child = nullptr;
    child->disconnect(this);
    child->deleteLater();
    m_stepTimer.stop();
    m_phase = Phase::Stopped;
    failCommands(false, m_failure.message);
    emit failed(m_failure);
    pump();
}

int SimulationSession::deathSignal(int exitCode, QProcess::ExitStatus status) const
{
    // The program's own word first: "crash SIGNAL ...", or "ended" for exit().
    if (m_positionKnown)
        return m_position.signal;
    if (status == QProcess::CrashExit)
        return exitCode;
    // bubblewrap ends with 128 + the signal its program died of.
    return m_confined && exitCode > 128 && exitCode < 128 + 65 ? exitCode - 128 : 0;
}

void SimulationSession::placeFailure(const Position &where)
{
    if (m_failure.kind != SimulationFailure::Crashed && m_failure.kind != SimulationFailure::TimedOut
        && m_failure.kind != SimulationFailure::Exited)
        return;
    m_failure.cycle = where.cycle;
    m_failure.state = where.state;
    m_failure.transition = where.phase == 1 ? where.fired : -1;
    m_failure.condition = where.phase == 2 ? where.condition : -1;
}

QString SimulationSession::describePosition(const Position &where) const
{
    // The path is the one of the last cycle that ended: the machine may
    // have left it in the cycle that failed.
    const QVector<int> path = where.state == m_state ? m_path : m_levels.flatPath(where.state);
    return SimulationPlace::describe(m_levels, where.state, path, where.fired, where.phase, where.condition);
}

bool SimulationSession::waitForReady(int msecs)
{
    if (m_phase == Phase::Created)
        start();
    if (!m_readyEmitted && m_phase != Phase::Unbuildable && !(m_phase == Phase::Stopped)) {
        QEventLoop loop;
        connect(this, &SimulationSession::ready, &loop, &QEventLoop::quit);
        connect(this, &SimulationSession::failed, &loop, &QEventLoop::quit);
        if (msecs >= 0)
            QTimer::singleShot(msecs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return m_readyEmitted && m_phase != Phase::Unbuildable;
}

bool SimulationSession::waitForCommand(int command, SimulationReply *reply, int msecs)
{
    if (!m_replies.contains(command)) {
        QEventLoop loop;
        connect(this, &SimulationSession::commandFinished, &loop, [&loop, command](int number) {
            if (number == command)
                loop.quit();
        });
        if (msecs >= 0)
            QTimer::singleShot(msecs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!m_replies.contains(command))
        return false;
    if (reply)
        *reply = m_replies.value(command);
    return true;
}
