#pragma once

// A simulation session on a machine's generated module for tests, driven
// with blocking calls: every finished cycle, failure and piece of the
// machine's output is kept.

#include "MachineDescription.h"
#include "SimulationSession.h"

#include <QByteArray>
#include <QStringList>
#include <QVector>

#include <memory>

struct SessionRun
{
    std::unique_ptr<SimulationSession> session;
    QVector<SimulationCycle> cycles;
    QVector<SimulationFailure> failures;
    QByteArray output;

    // Builds the module of `machine` (classic or instance, as it says,
    // with the transition hooks) and starts it with `compiler`.
    void start(const MachineDescription &machine, const QStringList &compiler, SimulationOptions options);

    // The reply to a command, waiting up to a minute ("no answer" then).
    SimulationReply call(int command);
    SimulationReply reset() { return call(session->reset()); }
    SimulationReply step(int n = 1) { return call(session->step(n)); }
    SimulationReply set(const QString &name, const QString &value) { return call(session->setVariable(name, value)); }
    // A variable's value as last reported ("<no NAME>" for none).
    QString value(const QString &name) const;
    QString state() const { return session->stateName(session->state()); }
};

// A started run of a test's own kind of SessionRun.
template <typename Run = SessionRun>
std::unique_ptr<Run> startSession(const MachineDescription &machine, const QStringList &compiler,
                                  SimulationOptions options = SimulationOptions())
{
    auto run = std::make_unique<Run>();
    run->start(machine, compiler, options);
    return run;
}

// A failure's message and its findings, a line each.
QString failureText(const SimulationFailure &failure);
