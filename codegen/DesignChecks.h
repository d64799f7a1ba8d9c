#pragma once

// The design checks of one state machine. QtCore only.
//
// Errors, in the order the generator has always reported them: for every
// memory item an empty label, then an empty (or blank) datatype; then a
// missing initial state.
//
// Warnings, after the errors: causes that keep the generated C from
// compiling and diagrams that cannot work as drawn. For each state, in
// state order: an empty label, a label that is no C identifier or is a C
// keyword, a label that gives the same enumerator as an earlier state's
// (equal once upper-cased), a label equal to a function the module
// defines, to an identifier of the C standard library, to a memory item or
// to a dataflow's variable. For each transition the C tests, in transition order: an empty
// condition (written as "(1)", always taken), a condition not enclosed in
// parentheses, an end state that is not in the machine; self transitions
// included. The initial state's condition empty (the transition is taken
// at once) or not enclosed in parentheses. Memory items whose label (blanks made "_") is no C
// identifier. States that no transition from another state reaches, the
// initial state excepted. Entry actions of states no transition enters
// (self transitions count; the initial state excepted) and exit actions of
// states no transition leaves. A state label or a dataflow's variable of
// the time in state's name (TimeInState); a memory item of that name is an
// error.

#include "CEmitter.h"

namespace DesignChecks {

void addErrors(const MachineDescription &machine, const QString &module, GeneratedModule *result);
void addWarnings(const MachineDescription &machine, const QString &module, GeneratedModule *result);
// The instance style's own: a memory item named "state" (the member the
// state is kept in), code texts outside the states that name a memory item
// (they have no instance), define texts that define, test or take as a
// parameter a memory item's name (or the time in state's), a module name
// beginning with "_".
void addInstanceChecks(const MachineDescription &machine, const QString &module, GeneratedModule *result);

// The position of the initial state (the first state flagged initial), or -1.
int initialState(const MachineDescription &machine);
// Whether a condition is one parenthesised expression, as "if" needs it:
// "(a > 0)", not "a > 0" nor "(a) && (b)". Brackets inside string and
// character literals do not count.
bool isParenthesised(const QString &condition);

} // namespace DesignChecks
