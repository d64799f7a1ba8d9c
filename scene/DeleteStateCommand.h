#pragma once

#include "CanvasCommand.h"

class StateItem;

// Deletes a state together with its transitions; undo brings all of them
// back. A state no longer on the canvas is left alone.
class DeleteStateCommand : public CanvasCommand
{
public:
    DeleteStateCommand(ItemCanvas *canvas, StateItem *state, QUndoCommand *parent = nullptr);

    StateItem *state() const { return m_state; }
    const DiagramItem *itemUndoRestores() const override;

    void redo() override;
    void undo() override;

private:
    StateItem *m_state;
};
