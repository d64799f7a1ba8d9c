#pragma once

// The stub unit of a simulation (kestro-sim-stubs.c): one definition for
// each function the machine calls that nothing defines, and the table the
// runtime reads. Every stub counts its calls through the runtime and
// returns the value the runtime picks for the call (0 until a value is
// set); a prototyped one also hands its arithmetic and pointer arguments
// to the runtime, which records them. The unit is its own translation
// unit, so a stub only has to match the machine's call in the ABI: a
// scalar return, the parameters as declared. QtCore only.

#include "SimulationRecords.h"

#include <QString>
#include <QVector>

class SimulationStubUnit
{
public:
    static QString fileName() { return QStringLiteral("kestro-sim-stubs.c"); }
    // The most functions stubbed in one machine.
    static constexpr int MaxStubs = 256;
    // The most values of one sequence.
    static constexpr int Capacity = 256;
    // Calls reported with their arguments per cycle (the runtime's
    // KS_CALLS_RECORDED), arguments per call (KS_ARGUMENTS_RECORDED).
    static constexpr int RecordedCalls = 64;
    static constexpr int RecordedArguments = 8;

    // The unit for `stubs` (none: the table alone).
    static QString source(const QVector<SimulationStub> &stubs);
};
