#pragma once

#include "CanvasCommand.h"

class StateItem;

// Inserts a state. The state is built here (with its identity and a stacking
// value on top); pushing the command puts it on the canvas. Undo takes it
// away together with any transitions still attached to it.
class AddStateCommand : public CanvasCommand
{
public:
    // (x, y): the state's top-left corner.
    AddStateCommand(ItemCanvas *canvas, qreal x, qreal y, QUndoCommand *parent = nullptr);

    StateItem *state() const { return m_state; }
    const DiagramItem *itemRedoRestores() const override;

    void redo() override;
    void undo() override;

private:
    StateItem *m_state;
};
