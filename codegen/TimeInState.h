#pragma once

// The time in state of a machine: how many complete cycles it has spent in
// its current state, which conditions and actions read through one name.
// A module whose code texts never name it has no counter. QtCore only.
//
// The counter restarts at 0 on every entry into a state (self transitions
// included) before the entry action runs, and on every initialization; at
// the end of a cycle in which no transition fired it grows by one, up to
// the largest value of its type, where it stays.

#include "MachineDescription.h"

#include <QString>
#include <QStringList>

namespace TimeInState {

// The name the code texts read; in the instance style a member of the
// context, in the classic style a static variable of the module.
QString name();

// Whether a code text of the machine names it as a C identifier (not in a
// comment or a literal, not after "." or "->"): a state's action, entry
// action, exit action, initial condition and initial code, a transition's
// condition and action, a text item.
bool isUsed(const MachineDescription &machine);

// The counter types a project may choose, smallest first.
QStringList counterTypes();
// The type a project's stored choice stands for: uint32_t when none is
// stored, the stored text when it is one of counterTypes(), else null.
QString counterType(const QString &stored);
// The largest value of one of counterTypes(), as <stdint.h> names it.
QString counterLimit(const QString &type);

} // namespace TimeInState
