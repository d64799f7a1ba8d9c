#pragma once

// Items moved together: one drag, however many items it carried, or one
// keyboard step. Redo puts every item at its new position, undo at its old
// one; the initial-state marker follows its state.
//
// Keyboard steps are made mergeable: consecutive mergeable moves of the
// same items become one step, and a merged step that ends where it began
// leaves the stack. A drag never merges.

#include "CanvasCommand.h"

#include "ItemMove.h"

#include <QVector>

class MoveItemsCommand : public CanvasCommand
{
public:
    enum { Id = 0x4b4d };

    // The items stand at their new positions already when the command is
    // made; moves that change nothing are dropped.
    MoveItemsCommand(ItemCanvas *canvas, const QVector<ItemMove> &moves, bool mergeable = false,
                     QUndoCommand *parent = nullptr);

    bool movesAnything() const { return !m_moves.isEmpty(); }
    const QVector<ItemMove> &moves() const { return m_moves; }

    int id() const override { return Id; }
    bool mergeWith(const QUndoCommand *other) override;
    void redo() override;
    void undo() override;

private:
    void place(bool after);

    QVector<ItemMove> m_moves;
    bool m_mergeable = false;
};
