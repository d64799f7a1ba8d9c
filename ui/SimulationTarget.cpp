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
    NodePath path = CanvasPaths::canvasPath(diagram, &known);
    if (!diagram || !isMachineCanvasLevel(diagram->level()) || !known) {
        target.error = QStringLiteral("the diagram shown is not a state machine");
        return target;
    }
    // A sub-machine runs as part of its machine: the machine's diagram path
    // is the first part of the path of every sub-machine diagram below it.
    path = path.mid(0, MachineCanvasLevel - 1);
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
        if (machines.at(i).nodePath != path)
            continue;
        target.machine = machines.at(i);
        target.module = CEmitter::generate(target.machine, properties);
        return target;
    }
    target.error = QStringLiteral("the state machine of this diagram was not found in the project");
    return target;
}
