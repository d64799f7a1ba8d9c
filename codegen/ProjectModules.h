#pragma once

// The C modules of every state machine of a project, as both the program
// and kestro-cli produce them. QtCore only.

#include "CEmitter.h"

#include <QVector>

namespace ProjectModules {

// One module per machine, in order. Two machines that would write the same
// files are both kept apart: the first is written, every later one gets
// the design error "State machine X: another state machine has this name,
// no files written" and is not writable, so neither replaces the other's
// files.
// A module whose name equals an earlier one's ignoring case, or that
// defines an enumerator, public function or guard macro an earlier module
// defines too, gets a design warning naming the other.
QVector<GeneratedModule> generate(const QVector<MachineDescription> &machines,
                                  const ModuleProperties &properties);

} // namespace ProjectModules
