#pragma once

#include "SubMachineCommand.h"

// A state loses its sub-machine: redo takes its diagram away with every
// sub-machine diagram below it, undo brings all of them back, the state's
// mode included.
class RemoveSubMachineCommand : public SubMachineCommand
{
public:
    RemoveSubMachineCommand(Project *project, Canvas *canvas, StateItem *state,
                            QUndoCommand *parent = nullptr);

    void redo() override;
    void undo() override;

    bool removed() const { return m_applied; }
};
