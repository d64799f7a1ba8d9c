#pragma once

// Where sub-machines sit in a project's levels. A state-machine diagram
// (level 5) may have states that hold sub-machines: each is a diagram of
// its own one level deeper, whose states may hold sub-machines again, down
// to MaxSubMachineDepth levels below the machine. A sub-machine's diagram
// is stored as a Process record of its level (6 and deeper) labelled after
// its holder state, and its items carry the level below that, as the items
// of a machine's diagram do. QtCore only.

#include <QLatin1String>
#include <QString>

// The level of a state machine's own diagram.
constexpr int MachineCanvasLevel = 5;
// How many levels of sub-machines a machine may hold.
constexpr int MaxSubMachineDepth = 4;
// The deepest diagram level: the last level of sub-machines.
constexpr int DeepestCanvasLevel = MachineCanvasLevel + MaxSubMachineDepth;

// The values of a holder state's subMachine field.
constexpr const char *SubMachineStart = "start";     // enters at the initial state
constexpr const char *SubMachineResume = "resume";   // returns to the sub-state it was left in

// A diagram of this level holds states: a machine's or a sub-machine's.
constexpr bool isMachineCanvasLevel(int level)
{
    return level >= MachineCanvasLevel && level <= DeepestCanvasLevel;
}

// A diagram of this level is a sub-machine's.
constexpr bool isSubMachineLevel(int level)
{
    return level > MachineCanvasLevel && level <= DeepestCanvasLevel;
}

// How deep a sub-machine diagram of this level sits below its machine
// (1 for the first level, 0 for the machine's own diagram).
constexpr int subMachineDepth(int level)
{
    return level - MachineCanvasLevel;
}

// Whether a state's subMachine field makes it resume its sub-machine.
inline bool resumesSubMachine(const QString &mode)
{
    return mode == QLatin1String(SubMachineResume);
}
