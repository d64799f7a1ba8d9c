#pragma once

// Whether a line the machine's program wrote can be part of its answer to
// the command under way. A long run ("run N", "explore N SEED"): coverage
// of items the machine has, one report of the last cycle before the changes
// and the end, values given only while exploring. Any other command: cycles
// only for reset and step, in order and no more than asked for, from the
// state the machine is in, changes and calls inside a cycle. QtCore only.

#include "SimulationProtocol.h"

class SimulationLevels;

#include <QString>

namespace SimulationRunCheck {

struct Context
{
    bool exploring = false;   // explore, else run
    bool ranSeen = false;     // the run reported its last cycle
    qint64 cycle = 0;         // the last cycle before the run
    int states = 0;           // of the machine's own level
    int stateSlots = 0;          // states of every level
    int transitions = 0;      // of every level
    const SimulationLevels *levels = nullptr;
    bool pathDue = false;     // the active path must come next (a machine with sub-machines)
    qint64 top = 0;           // the machine's own state, which the path starts with
    int conditions = 0;       // breakpoint conditions
    int variables = 0;
    int stubs = 0;
};

// What a command other than a long run has had so far.
struct Single
{
    bool cycles = false;      // reset or step
    bool resetting = false;   // reset: its cycle is cycle 0
    bool comparing = false;   // equal: the reply is "1 VALUE" or "0 VALUE"
    int asked = 0;            // the cycles the command asked for
    int got = 0;              // the cycle lines it got
    qint64 state = 0;         // the state the machine is in
    bool cycleOpen = false;   // a cycle line came and its end did not
    int callsRecorded = 0;    // call lines of the open cycle
    bool stubKnown = false;   // the line's name is a stubbed function
};

// Why `line` cannot come now in a long run; empty when it can.
QString check(const SimulationLine &line, const Context &context);
// Why `line` cannot come now for any other command; empty when it can.
QString checkSingle(const SimulationLine &line, const Context &context, const Single &single);

} // namespace SimulationRunCheck
