#pragma once

// The C runtime of a simulation: main() of the machine's program, kept as C
// in simulation/runtime/kestro-sim-runtime.c and embedded at build time
// (simulation/runtime/embed-runtime.cmake); source() is that file's text,
// written next to the glue unit of every simulation. It talks to
// SimulationSession over descriptor 3 (a socket Kestro opened before the
// program started), one line each way:
//
//   at start   "kestro-sim 1 STATES CONDITIONS VARIABLES", then one line
//              "var NAME KIND SIZE VALUE" per variable, then "ok"
//   reset      runs Initialize (cycle 0); step [N] runs N cycles
//              each cycle: "cycle NUMBER BEFORE FIRED AFTER", then
//              "changed NAME VALUE" per variable whose bytes changed;
//              ends in "ok", or "break state S" / "break condition K"
//              (a state with a breakpoint entered, a condition became true)
//   set NAME LITERAL      "ok VALUE" or "error REASON" (range, whole numbers)
//   equal NAME LITERAL    "ok 1|0 VALUE": numeric equality in NAME's type
//   get NAME              "ok VALUE";  dump: "value NAME VALUE"..., "ok"
//   state                 "ok STATE FIRED CYCLE"
//   break state|condition INDEX 1|0   "ok"
//   stub NAME returns VALUE           "ok VALUE": every call of the stub returns it
//   stub NAME sequence VALUE...       "ok VALUE...": one per call, the last repeating
//   after a cycle's changes: "call NAME ARGUMENTS..." per call of a stub
//              (the first 64), then "calls NAME COUNT" per stub called
//   quit                  "ok", and the program ends
//
// States are numbered as the machine lists them, the start value being the
// number of states; FIRED is the transition's index or -1. A fatal signal
// writes "crash SIGNAL CYCLE STATE FIRED PHASE CONDITION" (PHASE 1: the
// machine's code, 2: a breakpoint condition), SIGTERM and a cycle longer
// than the program's argument (milliseconds; SIGALRM) "stopped ..." and
// exit() in the machine's code "ended 0 ..." alike.
// The machine's own output (standard output and error) is shown as output,
// never read as the protocol; its input is /dev/null.
// QtCore only.

#include <QString>

namespace SimulationRuntime {

QString source();

} // namespace SimulationRuntime
