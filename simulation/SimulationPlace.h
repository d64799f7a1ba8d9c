#pragma once

// Where a simulated machine was when its program failed, in words: the
// state (a sub-machine's innermost active state with its place), the
// transition it was running or the breakpoint condition it was evaluating;
// and the name of the signal it died of. QtCore only.

#include <QString>
#include <QVector>

class SimulationLevels;

namespace SimulationPlace {

// "SIGSEGV (Segmentation fault)", or "signal N" for one without a name here.
QString signalName(int number);

// "in state 'Running/Cruise' while running transition 'Halt'", "between
// cycles, in state ...", "in the initial transition", "while evaluating
// breakpoint condition N", "in an invalid state (N)". `state` is the
// machine's own, `path` the active states' slots (empty: `state` alone),
// `fired` a transition slot, `phase` 0 between cycles, 1 in the machine's
// code, 2 in a condition.
QString describe(const SimulationLevels &levels, int state, const QVector<int> &path, int fired, int phase,
                 int condition);

} // namespace SimulationPlace
