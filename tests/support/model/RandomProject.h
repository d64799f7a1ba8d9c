#pragma once

// Seeded random projects for tests and benchmarks: a full tree of hardware
// modules, microcontrollers, software modules and state machines, with
// links, memory items and dataflows on the canvases of levels 2 to 4,
// memory items on level 5 too, and states, transitions and text items on
// every state machine. Identity numbers follow the tree; references by
// label (transition ends, a state's transition list, link and dataflow
// ends) name items of the same canvas. The same seed gives the same
// project on every machine.

#include "ProjectDocument.h"

struct RandomProjectOptions
{
    // Children per node on each level (exact, or 1..n with randomCounts).
    int hardwareModules = 2;
    int microcontrollers = 2;
    int softwareModules = 2;
    int stateMachines = 2;
    // Items per canvas.
    int statesPerMachine = 5;
    int transitionsPerMachine = 8;
    int textsPerMachine = 2;
    int linksPerCanvas = 2;        // levels 2-4
    int memoriesPerCanvas = 2;     // levels 2-5
    int dataflowsPerCanvas = 2;    // levels 2-4
    // Draw every count above uniformly from 1..n instead (0 stays 0).
    bool randomCounts = false;
    // Texts and labels with XML markup characters, quotes, line breaks,
    // tabs and non-ASCII letters; plain identifiers otherwise.
    bool exoticText = true;
    // States with entry and exit actions (each about every other state).
    bool entryExitActions = false;
    // Levels of sub-machines below every machine: on each machine and
    // sub-machine diagram down to that depth, one random state holds a
    // sub-machine (starting or resuming at random) of subMachineStates
    // states, twice as many transitions and one text item. Sub-states are
    // labelled apart from the states of other levels ("L<depth>_State<i>").
    int subMachineLevels = 0;
    int subMachineStates = 5;
};

// The benchmarks' large project: one hardware module, controller and
// software module holding `machines` state machines of 200 states, 400
// transitions and 5 text items each, plain texts.
RandomProjectOptions largeProjectOptions(int machines);
// The same machines, each with three levels of sub-machines of 50 states.
RandomProjectOptions nestedProjectOptions(int machines);

// Coordinates come out already in the six-digit form the writer uses, so
// writing and reading gives back equal records.
ProjectDocument randomProject(quint32 seed, const RandomProjectOptions &options = {});

// Total item count of a document (process items and every other kind).
int documentItemCount(const ProjectDocument &document);

// The first difference between two record sets, described for a test
// failure message ("states[3].label: \"a\" != \"b\""), or "" when equal.
// Coordinates compare exactly; fileBlock compares too.
QString recordDifference(const ProjectRecordLists &a, const ProjectRecordLists &b);
