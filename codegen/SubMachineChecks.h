#pragma once

// The design checks of a machine's sub-machines. QtCore only.
//
// Each sub-machine gets the checks of a machine's diagram (DesignChecks:
// its memory items, state labels, transitions, unreached states, entry
// actions that never run; not the exit actions of states no transition
// leaves, which are left with their holder, nor the top-level initial
// transition's rules), each finding naming the sub-machine ("Sub-machine
// 'Holder': ...") and pointing at its item there (ItemRef::subMachine).
// Then the rules of sub-machines, all errors: a sub-machine without an
// initial state; a condition on a sub-machine's initial transition (it is
// taken at once on every entry); a state label or a memory item name used
// at two levels of one machine (the module names its functions, values and
// variables after them), a state label equal once upper-cased included; a
// memory item (or, in the classic style, a state label) of a name the
// module defines for its sub-machines; in the instance style, a text outside
// the states (user code, or a define text that defines or tests it) naming
// a memory item of another level, a member of the instance.

#include "CEmitter.h"

namespace SubMachineChecks {

void add(const MachineDescription &machine, const QString &module, GeneratedModule *result);

} // namespace SubMachineChecks
