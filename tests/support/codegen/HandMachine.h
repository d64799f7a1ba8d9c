#pragma once

// Machine descriptions written by hand in tests, state by state and
// transition by transition, as RecordsToMachines would fill them.

#include "MachineDescription.h"

namespace HandMachine {

// A state running `action` on every cycle; `initial` marks the initial one.
MachineState state(const QString &label, const QString &action = QString(), bool initial = false);

// Appends a transition from state `from` to state `to` and enters it in
// their lists (a self transition in the state's self transitions).
void join(MachineDescription &m, int from, int to, const QString &label, const QString &condition,
          const QString &action = QString());

} // namespace HandMachine
