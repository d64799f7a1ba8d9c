#pragma once

// The machine a state-machine canvas shows, as the simulator needs it: its
// description and its module emitted with transition hooks. Both come the
// way Code Generator and kestro-cli get them: a snapshot of the open
// project's diagrams (the records a save would write), placed by
// RecordsToMachines and emitted by ProjectModules. A sub-machine's diagram
// stands for its top-level machine: simulating it simulates the machine.

#include "CEmitter.h"
#include "MachineDescription.h"

#include <QList>
#include <QString>

class Canvas;

struct SimulationTarget
{
    MachineDescription machine;
    GeneratedModule module;
    QString error;   // why there is no machine; empty when there is
    // The level of the machine the diagram shows (SimulationLevels): 0 for
    // the machine's own, k + 1 for machine.subMachines[k].
    int diagram = 0;

    bool ok() const { return error.isEmpty(); }

    // The machine of `diagram`, one of `canvases`.
    static SimulationTarget forCanvas(const QList<Canvas *> &canvases, const Canvas *diagram);
};
