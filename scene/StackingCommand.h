#pragma once

// Bring to front or send to back of one item: its stacking value before
// and after.

#include "CanvasCommand.h"

class StackingCommand : public CanvasCommand
{
public:
    // The item stands at `after` already when the command is made.
    StackingCommand(ItemCanvas *canvas, DiagramItem *item, qreal before, qreal after,
                    const QString &verb, QUndoCommand *parent = nullptr);

    void redo() override;
    void undo() override;

private:
    DiagramItem *m_item;
    qreal m_before;
    qreal m_after;
};
