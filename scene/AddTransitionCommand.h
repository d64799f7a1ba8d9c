#pragma once

#include "CanvasCommand.h"

class StateItem;
class TransitionItem;
class TransitionLine;

// Connects two states (or a state with itself) by a transition: the box and
// its two lines are built here, pushing the command puts them on the canvas
// and records the transition on its states. When either state is not on the
// canvas nothing is built and the command does nothing.
class AddTransitionCommand : public CanvasCommand
{
public:
    AddTransitionCommand(ItemCanvas *canvas, StateItem *startState, StateItem *endState,
                         QUndoCommand *parent = nullptr);

    TransitionItem *transition() const { return m_transition; }
    TransitionLine *startLine() const { return m_startLine; }
    TransitionLine *endLine() const { return m_endLine; }

    void redo() override;
    void undo() override;

private:
    TransitionItem *m_transition = nullptr;
    TransitionLine *m_startLine = nullptr;
    TransitionLine *m_endLine = nullptr;
};
