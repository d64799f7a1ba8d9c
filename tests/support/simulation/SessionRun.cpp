#include "SessionRun.h"

#include "CEmitter.h"

void SessionRun::start(const MachineDescription &machine, const QStringList &compiler, SimulationOptions options)
{
    ModuleProperties properties;
    properties.transitionHooks = true;
    options.compiler = compiler;
    session = std::make_unique<SimulationSession>(machine, CEmitter::generate(machine, properties), options);
    QObject::connect(session.get(), &SimulationSession::cycleFinished, [this](const SimulationCycle &c) { cycles << c; });
    QObject::connect(session.get(), &SimulationSession::failed, [this](const SimulationFailure &f) { failures << f; });
    QObject::connect(session.get(), &SimulationSession::outputReceived, [this](const QByteArray &b) { output += b; });
    session->start();
}

SimulationReply SessionRun::call(int command)
{
    SimulationReply reply;
    if (!session->waitForCommand(command, &reply, 60000))
        reply = SimulationReply{ SimulationReply::Failed, QStringLiteral("no answer"), SimulationBreak() };
    return reply;
}

QString SessionRun::value(const QString &name) const
{
    const int i = session->variableIndex(name);
    return i < 0 ? QStringLiteral("<no %1>").arg(name) : session->variables().at(i).value;
}

QString failureText(const SimulationFailure &failure)
{
    QStringList lines{ failure.message };
    for (const DesignFinding &f : failure.findings)
        lines << f.text;
    return lines.join(QLatin1Char('\n'));
}
