#include "RemoveSubMachineCommand.h"

#include "StateItem.h"

RemoveSubMachineCommand::RemoveSubMachineCommand(Project *project, Canvas *canvas, StateItem *state,
                                                 QUndoCommand *parent)
    : SubMachineCommand(project, canvas, state, parent)
{
    setText(QStringLiteral("Remove Sub-machine of \"%1\"").arg(state->label()));
}

void RemoveSubMachineCommand::redo()
{
    m_applied = takeAway();
}

void RemoveSubMachineCommand::undo()
{
    if (m_applied)
        putBack();
}
