#include "SimulationTarget.h"

#include "Canvas.h"
#include "CanvasPaths.h"
#include "ProjectDocument.h"
#include "ProjectModules.h"
#include "ProjectSnapshot.h"
#include "RecordsToMachines.h"
#include "SubMachineLevels.h"

SimulationTarget SimulationTarget::forCanvas(const QList<Canvas *> &canvases, const Canvas *diagram)
{
    SimulationTarget target;
    bool known = false;
    const NodePath path = CanvasPaths::canvasPath(diagram, &known);
    if (!diagram || !isMachineCanvasLevel(diagram->level()) || !known) {
        target.error = QStringLiteral("the diagram shown is not a state machine");
        return target;
    }
    // A sub-machine runs as part of its machine: the machine's diagram path
    // is the first part of the path of every sub-machine diagram below it.
    const NodePath machinePath = path.mid(0, MachineCanvasLevel - 1);
    ProjectDocument document;
    QString error;
    if (!ProjectSnapshot::take(canvases, &document, &error)) {
        target.error = QStringLiteral("the state machines could not be read from the diagrams: %1").arg(error);
        return target;
    }
    const QVector<MachineDescription> machines = RecordsToMachines::build(flattenDocument(document));
    ModuleProperties properties;
    properties.projectName = document.root.label;
    properties.transitionHooks = true;
    for (int i = 0; i < machines.size(); ++i) {
        const MachineDescription &machine = machines.at(i);
        if (machine.nodePath != machinePath)
            continue;
        target.diagram = machine.nodePath == path ? 0 : -1;
        for (size_t k = 0; k < machine.subMachines.size() && target.diagram < 0; ++k) {
            if (machine.subMachines.at(k).nodePath == path)
                target.diagram = int(k) + 1;
        }
        if (target.diagram < 0)
            continue;
        target.machine = machine;
        target.module = CEmitter::generate(target.machine, properties);
        return target;
    }
    target.error = QStringLiteral("the state machine of this diagram was not found in the project");
    return target;
}
