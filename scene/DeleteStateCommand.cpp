#include "DeleteStateCommand.h"

DeleteStateCommand::DeleteStateCommand(Canvas *canvas, StateItem *state, QUndoCommand *parent)
    : CanvasCommand(canvas, parent), m_state(state)
{
}

void DeleteStateCommand::redo()
{
    m_applied = takeStateAway(m_state);
    repaint();
}

void DeleteStateCommand::undo()
{
    if (m_applied)
        putStateBack(m_state);
    repaint();
}
