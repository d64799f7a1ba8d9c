#pragma once

// The sample project shipped as Examples/Example_1.qsmd, built record by
// record so that the file can be reproduced exactly and checked:
// tst_example_project compares the committed file with what this builder
// writes. After changing the builder, rewrite the file with
//
//   KESTRO_WRITE_EXAMPLE=1 build/tests/tst_example_project
//
// Layout (canvas list in load order, which is the file's depth-first order):
//   1 Example_1          project
//   2 Motor Controller   hardware module: the microcontroller
//   3 Microcontroller    two software modules joined by a link, a shared
//                        variable with a dataflow from each module
//   4 Drive              software module: two state machines, a link,
//                        shared variables and dataflows
//   5 SpeedControl       state machine: initial state with condition, three
//                        more states, transitions, a self transition, two
//                        variables and include, macro and code texts
//   6 FaultMonitor       state machine
//   7 Communication      software module: one state machine, variables
//   8 CommandParser      state machine
// Every state-machine label and state label is a C identifier, so the
// generated modules compile.

#include "ProjectDocument.h"

namespace ExampleProject {

QString projectName();
ProjectDocument document();

} // namespace ExampleProject
