#include "DeleteTransitionCommand.h"

#include "ItemNames.h"
#include "TransitionItem.h"

DeleteTransitionCommand::DeleteTransitionCommand(ItemCanvas *canvas, TransitionItem *transition,
                                                 QUndoCommand *parent)
    : CanvasCommand(canvas, parent),
      m_transition(transition),
      m_startLine(transition ? transition->startLine() : nullptr),
      m_endLine(transition ? transition->endLine() : nullptr)
{
    setText(ItemNames::stepText(QStringLiteral("Delete"), transition));
}

void DeleteTransitionCommand::redo()
{
    m_applied = takeItemAway(m_transition);
    repaint();
}

void DeleteTransitionCommand::undo()
{
    if (m_applied)
        putItemBack(m_transition);
    repaint();
}
