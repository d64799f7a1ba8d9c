#include "SimulationSettingsCommand.h"

#include "Project.h"

SimulationSettingsCommand::SimulationSettingsCommand(Project *project, const SimulationSettings &before,
                                                     const SimulationSettings &after, QUndoCommand *parent)
    : QUndoCommand(parent), m_project(project), m_before(before), m_after(after)
{
    setText(QStringLiteral("Change Simulation Settings"));
}

void SimulationSettingsCommand::redo()
{
    m_project->applySimulationSettings(m_after);
}

void SimulationSettingsCommand::undo()
{
    m_project->applySimulationSettings(m_before);
}
