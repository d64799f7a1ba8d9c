#pragma once

#include "CanvasCommand.h"

class TransitionItem;
class TransitionLine;

// Deletes a transition: its states forget it and the box and its lines
// leave the scene; undo brings them back. A transition already gone (taken
// away with its state in the same delete) is left alone on redo and undo.
class DeleteTransitionCommand : public CanvasCommand
{
public:
    DeleteTransitionCommand(ItemCanvas *canvas, TransitionItem *transition,
                            QUndoCommand *parent = nullptr);

    TransitionItem *transition() const { return m_transition; }
    TransitionLine *startLine() const { return m_startLine; }
    TransitionLine *endLine() const { return m_endLine; }

    void redo() override;
    void undo() override;

private:
    TransitionItem *m_transition;
    TransitionLine *m_startLine;
    TransitionLine *m_endLine;
};
