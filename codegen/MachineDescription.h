#pragma once

// Plain description of one state machine, everything the C emitter reads.
// It is filled either from the items of a state-machine canvas or from the
// records of a project file, so it holds texts and indices only, no items.

#include <QString>
#include <QVector>

#include <vector>

struct MachineState
{
    QString label;
    QString description;
    QString action;                 // the state's code, run on every cycle in the state
    bool initial = false;           // the state's initial flag
    QString initialCondition;
    QString initialDescription;     // code of the initial transition
    // The state's ordinary transitions (incoming and outgoing, self
    // transitions excluded), as indices into MachineDescription::transitions,
    // in the state's own list order.
    QVector<int> transitions;
    // The state's self transitions, indices into the same list, in the
    // diagram's transition order. They are tested after the ordinary ones.
    QVector<int> selfTransitions;
    // Code run once on each entry and once on each exit (empty: none); last,
    // so the fields above keep their order for aggregate initialisation.
    QString entryAction;
    QString exitAction;
    // The sub-machine the state holds: an index into the top-level
    // machine's MachineDescription::subMachines, -1 when it holds none; and
    // whether entering the state returns to the sub-state it was left in
    // (shallow history) instead of starting at the initial state.
    int subMachine = -1;
    bool resumes = false;
};

struct MachineTransition
{
    // Index meaning "no state of this diagram".
    static constexpr int NotInDiagram = -1;

    QString label;
    QString condition;
    QString action;
    int start = NotInDiagram;       // index into MachineDescription::states
    int end = NotInDiagram;
};

struct MachineText
{
    enum Type : int { Default = 0, Includes = 1, Macros = 2 };

    int type = Default;
    QString text;
};

struct MachineMemory
{
    QString label;
    QString datatype;
};

// The shape of a machine's C module: the classic one (one machine, its
// state and memory items static in the source) or instances (a context
// type holding the state and memory items, functions taking a pointer).
enum class ModuleStyle : int { Classic, Instance };

struct MachineDescription
{
    QString processLabel;           // label of the process item standing for the machine
    ModuleStyle style = ModuleStyle::Classic;
    // The project's choice of type for the time in state (TimeInState), as
    // stored: empty for the default, uint32_t.
    QString counterType;
    QString processDescription;
    // Where the machine's diagram sits in the project tree (node path: the
    // ids from level 2 down), empty when it was not read from a project.
    QVector<int> nodePath;

    QVector<MachineState> states;             // diagram state order
    QVector<MachineTransition> transitions;   // referenced from the states' lists
    QVector<MachineText> texts;               // diagram text-item order
    QVector<MachineMemory> memories;          // diagram memory-item order

    int transitionCount = 0;        // all transitions of the diagram, self transitions included
    int inputVariables = 0;         // dataflows into the process item
    int outputVariables = 0;        // dataflows out of the process item
    // The memory items of the parent diagram behind those dataflows, in the
    // parent diagram's dataflow order (one entry per dataflow).
    QVector<MachineMemory> inputs;
    QVector<MachineMemory> outputs;

    // Sub-machines, only in a top-level machine: every level of them, depth
    // first (a sub-machine comes before its own sub-machines). Each one is
    // a description of its own diagram (processLabel: its holder state's
    // label, nodePath: its diagram's path), with `parent` the diagram that
    // holds it (-1: the top-level machine, else an index into this list)
    // and `holder` the index of the holding state in that diagram's states.
    // A sub-machine's own subMachines stays empty.
    std::vector<MachineDescription> subMachines;
    int parent = -1;
    int holder = -1;
};
