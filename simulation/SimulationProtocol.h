#pragma once

// The lines the machine's program of a simulation writes (the protocol is
// described in SimulationRuntime.h), read into their parts. QtCore only.

#include <QByteArray>
#include <QString>
#include <QVector>

struct SimulationLine
{
    enum Kind : int {
        Hello,      // numbers: version, states, conditions, variables, transitions, state slots
        Variable,   // name, text: "KIND SIZE VALUE"
        Cycle,      // numbers: cycle, before, fired, after
        Changed,    // name, text: value
        Value,      // name, text: value
        Ok,         // text: what follows "ok"
        Error,      // text: the reason
        Break,      // name: "state" or "condition"; numbers: index
        Crash,      // numbers: signal, cycle, state, fired, phase, condition
        Stopped,    // the same, after Kestro asked the program to end ("stopped")
                    // or the machine's code called exit() ("ended")
        Call,       // name: the stub, text: its recorded arguments
        Calls,      // name: the stub; numbers: its calls in the cycle
        Ran,        // numbers: last cycle, state, fired (after "run N")
        Path,       // numbers: the state slots of the active states, outermost first (SimulationLevels)
        Covered,    // name: "state" or "transition"; numbers: index, count
        Replay,     // numbers: cycle, variable (a stub's where the name is "stub"), bits of the value given
        Alive,      // a long run goes on
        Unknown,
    };

    Kind kind = Unknown;
    QVector<qint64> numbers;
    QString name;
    QString text;

    static SimulationLine parse(const QByteArray &line);
};
