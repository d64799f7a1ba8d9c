#include "DeleteStateCommand.h"

#include "ItemNames.h"
#include "StateItem.h"
DeleteStateCommand::DeleteStateCommand(ItemCanvas *canvas, StateItem *state, QUndoCommand *parent)
    : CanvasCommand(canvas, parent), m_state(state)
{
    setText(ItemNames::stepText(QStringLiteral("Delete"), state));
}

void DeleteStateCommand::redo()
{
    m_applied = takeItemAway(m_state);
    repaint();
}

void DeleteStateCommand::undo()
{
    if (m_applied)
        putItemBack(m_state);
    repaint();
}

const DiagramItem *DeleteStateCommand::itemUndoRestores() const
{
    return m_state;
}
