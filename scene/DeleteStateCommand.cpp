#include "DeleteStateCommand.h"

#include "ItemNames.h"
#include "StateItem.h"
DeleteStateCommand::DeleteStateCommand(Canvas *canvas, StateItem *state, QUndoCommand *parent)
    : CanvasCommand(canvas, parent), m_state(state)
{
    setText(ItemNames::stepText(QStringLiteral("Delete"), state));
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
