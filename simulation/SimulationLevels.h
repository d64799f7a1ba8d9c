#pragma once

// The levels of a simulated machine: its own diagram (level 0) and each of
// its sub-machines (level k + 1 for MachineDescription::subMachines[k]).
// The simulation numbers the states and the transitions of every level in
// one row of slots, the machine's own first (slot = index), then each
// sub-machine's in the order of the list; coverage counts, breakpoints and
// the active path use these slots. A machine without sub-machines has one
// level, and its slots are its states' and transitions' indices.
//
// The active path is the slots of the active states, the machine's own
// state first, then the state of each sub-machine whose holder is active.
// Which states a cycle entered follows from the paths before and after it
// and the transition that fired: the state the transition entered and
// everything below it, or, where none fired, everything from the first
// level whose state changed (the runtime's C counts alike). QtCore only.

#include "MachineDescription.h"

#include <QString>
#include <QVector>

class SimulationLevels
{
public:
    explicit SimulationLevels(const MachineDescription &machine);

    int levelCount() const { return m_levels.size(); }
    bool hasSubMachines() const { return m_levels.size() > 1; }
    const MachineDescription &level(int level) const;
    // The level the sub-machine of `level`'s state `state` is, -1 for none.
    int subLevel(int level, int state) const;
    // The level holding `level` (-1 for level 0) and its holder state there.
    int parentLevel(int level) const;
    int holderState(int level) const;

    int stateSlots() const { return m_stateSlots; }
    int transitionSlots() const { return m_transitionSlots; }
    int stateSlot(int level, int state) const { return m_levels.at(level).firstState + state; }
    int transitionSlot(int level, int transition) const { return m_levels.at(level).firstTransition + transition; }
    // The level of a slot and its index there; -1 for no slot.
    int levelOfState(int slot) const;
    int levelOfTransition(int slot) const;
    int stateIndex(int slot) const;
    int transitionIndex(int slot) const;

    // A level's place: the labels of its holders joined by "/" ("" for level 0).
    QString levelName(int level) const;
    // A state's label with its level's place: "Running/Cruise"; "Idle" for
    // the machine's own; empty for no slot.
    QString stateName(int slot) const;
    // A transition's label with its level's place ("Running/faster").
    QString transitionName(int slot) const;

    // The slot of a state named by its label (of any level) or by a path of
    // labels, each state holding the next one's level ("Running/Cruise", a
    // part of a path from any level down); -1 when there is none. The path's
    // slots, outermost first, into `chain`.
    int findState(const QString &name, QVector<int> *chain = nullptr) const;
    // Whether the slots of `chain` (outermost first, each in the sub-machine
    // of the one before) are all active in `path`.
    static bool isActive(const QVector<int> &chain, const QVector<int> &path);

    // Whether `path` can be an active path whose machine state is `top`.
    bool isPath(const QVector<int> &path, int top) const;
    // The active path of a machine without sub-machines in state `top`.
    QVector<int> flatPath(int top) const;
    // The first index of `after` a cycle entered (after.size() for none);
    // `fired` a transition slot or -1.
    int firstEntered(const QVector<int> &before, const QVector<int> &after, int fired) const;

private:
    struct Level
    {
        const MachineDescription *machine;
        int parent;
        int holder;
        int firstState;
        int firstTransition;
    };

    int levelOfSlot(int slot, bool transitions) const;

    QVector<Level> m_levels;
    int m_stateSlots = 0;
    int m_transitionSlots = 0;
};
