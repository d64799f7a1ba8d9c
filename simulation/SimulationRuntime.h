#pragma once

// The C runtime of a simulation: main() of the machine's program, kept as C
// in simulation/runtime/kestro-sim-runtime.c (with the long runs and the
// explorer in kestro-sim-runs.c, the stubs' values and calls in
// kestro-sim-calls.c and what they share in kestro-sim-runtime.h) and
// embedded at build time (simulation/runtime/embed-runtime.cmake);
// source(), runsSource(), callsSource() and header() are those files' texts, written next
// to the glue unit of every simulation. It talks to
// SimulationSession over descriptor 3 (a socket Kestro opened before the
// program started), one line each way:
//
//   at start   "kestro-sim 3 STATES CONDITIONS VARIABLES TRANSITIONS SLOTS", then one
//              line "var NAME KIND SIZE VALUE" per variable, then "ok";
//              TRANSITIONS and SLOTS count the transitions and states of
//              every level (SimulationLevels), STATES the machine's own
//   reset      runs Initialize (cycle 0); step [N] runs N cycles
//              each cycle: "cycle NUMBER BEFORE FIRED AFTER" (BEFORE and
//              AFTER the machine's own states, FIRED a transition slot),
//              for a machine with sub-machines "path SLOT..." (the active
//              state slots, outermost first), then
//              "changed NAME VALUE" per variable whose bytes changed;
//              ends in "ok", or "break state S" / "break condition K"
//              (a state slot with a breakpoint entered, a condition became
//              true)
//   run N      N cycles as step runs them, without a report each: then
//              "covered state|transition SLOT COUNT" for each state
//              entered (a self transition enters its state again) and each
//              transition fired, "ran CYCLE STATE FIRED" (and its path line),
//              the changes since the run began, and "ok" or the breakpoint
//   explore N SEED   N cycles with random values of the explored variables
//              (the glue's kestro_sim_explored) and of what the stubs with
//              a scalar return type return, from a restart and
//              restarting now and then; the same lines, then
//              "ok CYCLES RESTARTS". A crash or timeout first writes
//              "replay CYCLE VARIABLE BITS" for every value given since the
//              last restart, "replay CYCLE stub STUB BITS" for a stub's
//              (kestro_sim_stubs) return, a floating one as a double's bits.
//              While either runs, "alive" every half second.
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
QString runsSource();
QString callsSource();
QString header();

} // namespace SimulationRuntime
