#include "AddSubMachineCommand.h"

#include "Project.h"
#include "StateItem.h"

AddSubMachineCommand::AddSubMachineCommand(Project *project, Canvas *canvas, StateItem *state,
                                           const QString &mode, QUndoCommand *parent)
    : SubMachineCommand(project, canvas, state, parent), m_mode(mode)
{
    setText(QStringLiteral("Add Sub-machine to \"%1\"").arg(state->label()));
}

AddSubMachineCommand::AddSubMachineCommand(Project *project, Canvas *canvas, StateItem *state,
                                           const SubMachineStructure::Detached &diagrams,
                                           QUndoCommand *parent)
    : SubMachineCommand(project, canvas, state, parent), m_mode(diagrams.mode), m_prepared(true)
{
    setText(QStringLiteral("Add Sub-machine to \"%1\"").arg(state->label()));
    holdAway(diagrams);
}

void AddSubMachineCommand::redo()
{
    if (m_prepared && !m_made) {
        m_made = true;
        m_applied = putBack();
        m_created = m_applied ? m_project->subMachines().subMachineOf(m_diagram, m_state) : nullptr;
        return;
    }
    if (m_made) {
        m_applied = putBack();
        return;
    }
    m_made = true;
    m_created = m_project->subMachines().createFor(m_diagram, m_state, m_mode);
    m_applied = m_created != nullptr;
    if (m_applied) {
        emit m_project->structureChanged(m_diagram);
        repaint();
    }
}

void AddSubMachineCommand::undo()
{
    if (m_applied)
        m_applied = !takeAway();
}
