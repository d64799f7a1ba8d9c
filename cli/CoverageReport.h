#pragma once

// What kestro-cli simulate prints about coverage: every state with how
// often it was entered, every transition with how often it fired, and
// after an exploration what was never reached.

#include "MachineDescription.h"
#include "SimulationRecords.h"

#include <QString>

namespace CoverageReport {

// "Coverage of M: 4 of 5 states entered, 6 of 8 transitions fired (75.0%)",
// then a line per state and per transition.
QString full(const QString &module, const MachineDescription &machine, const SimulationCoverage &coverage);
// The states never entered and the transitions never fired, or that there are none.
QString unreached(const MachineDescription &machine, const SimulationCoverage &coverage);
// "Stopped -> Accelerating"
QString ends(const MachineDescription &machine, int transition);

} // namespace CoverageReport
