#include "MoveItemsCommand.h"

#include "InitialTransition.h"
#include "ItemNames.h"
#include "StateItem.h"

MoveItemsCommand::MoveItemsCommand(ItemCanvas *canvas, const QVector<ItemMove> &moves, bool mergeable,
                                   QUndoCommand *parent)
    : CanvasCommand(canvas, parent), m_mergeable(mergeable)
{
    QList<DiagramItem *> items;
    for (const ItemMove &move : moves) {
        if (move.item && move.from != move.to) {
            m_moves.append(move);
            items.append(move.item);
        }
    }
    if (!items.isEmpty())
        setText(ItemNames::stepText(QStringLiteral("Move"), items));
}

bool MoveItemsCommand::mergeWith(const QUndoCommand *other)
{
    const auto *next = dynamic_cast<const MoveItemsCommand *>(other);
    if (!next || !m_mergeable || !next->m_mergeable || next->m_canvas != m_canvas
        || next->m_moves.size() != m_moves.size())
        return false;
    for (int i = 0; i < m_moves.size(); ++i) {
        if (next->m_moves.at(i).item != m_moves.at(i).item)
            return false;
    }
    bool moved = false;
    for (int i = 0; i < m_moves.size(); ++i) {
        m_moves[i].to = next->m_moves.at(i).to;
        moved = moved || m_moves.at(i).to != m_moves.at(i).from;
    }
    setObsolete(!moved);
    return true;
}

void MoveItemsCommand::place(bool after)
{
    for (const ItemMove &move : qAsConst(m_moves))
        move.item->setPos(after ? move.to : move.from);
    // The initial marker stands beside its state.
    if (m_canvas->markedInitialState())
        m_canvas->initialDot()->updatePosition();
    repaint();
}

void MoveItemsCommand::redo()
{
    place(true);
}

void MoveItemsCommand::undo()
{
    place(false);
}
