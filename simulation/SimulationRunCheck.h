#pragma once

// Whether a line the machine's program wrote can be part of its answer to
// a long run ("run N", "explore N SEED"): coverage of items the machine
// has, one report of the last cycle before the changes and the end, values
// given only while exploring. QtCore only.

#include "SimulationProtocol.h"

#include <QString>

namespace SimulationRunCheck {

struct Context
{
    bool exploring = false;   // explore, else run
    bool ranSeen = false;     // the run reported its last cycle
    qint64 cycle = 0;         // the last cycle before the run
    int states = 0;
    int transitions = 0;
    int conditions = 0;       // breakpoint conditions
    int variables = 0;
    int stubs = 0;
};

// Why `line` cannot come now; empty when it can.
QString check(const SimulationLine &line, const Context &context);

} // namespace SimulationRunCheck
