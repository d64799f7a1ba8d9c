#include "AddTransitionCommand.h"

#include "ItemNames.h"
#include "StateItem.h"
#include "TransitionItem.h"
#include "TransitionLine.h"

AddTransitionCommand::AddTransitionCommand(ItemCanvas *canvas, StateItem *startState,
                                           StateItem *endState, QUndoCommand *parent)
    : CanvasCommand(canvas, parent)
{
    if (!canvas->states().contains(startState) || !canvas->states().contains(endState))
        return;
    m_transition = new TransitionItem(canvas->menuOf(ItemType::Transition), startState, endState);
    stampIdentity(m_transition);
    m_startLine = new TransitionLine(startState, m_transition);
    m_endLine = new TransitionLine(m_transition, endState);
    m_startLine->setZValue(0);
    m_endLine->setZValue(0);
    m_transition->setStartLine(m_startLine);
    m_transition->setEndLine(m_endLine);
    canvas->keepAlive(m_transition);
    canvas->keepAlive(m_startLine);
    canvas->keepAlive(m_endLine);
    setText(ItemNames::stepText(QStringLiteral("Insert"), m_transition));
}

void AddTransitionCommand::redo()
{
    m_applied = putItemBack(m_transition);
    repaint();
}

void AddTransitionCommand::undo()
{
    if (m_applied)
        takeItemAway(m_transition);
    repaint();
}
