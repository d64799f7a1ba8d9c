#pragma once

// New simulation settings of the project (include folders, prelude); undo
// gives back the old ones.

#include "SimulationSettings.h"

#include <QUndoCommand>

class Project;

class SimulationSettingsCommand : public QUndoCommand
{
public:
    SimulationSettingsCommand(Project *project, const SimulationSettings &before, const SimulationSettings &after,
                              QUndoCommand *parent = nullptr);

    void redo() override;
    void undo() override;

private:
    Project *m_project;
    SimulationSettings m_before;
    SimulationSettings m_after;
};
