#include "StackingCommand.h"

#include "ItemNames.h"

StackingCommand::StackingCommand(ItemCanvas *canvas, DiagramItem *item, qreal before, qreal after,
                                 const QString &verb, QUndoCommand *parent)
    : CanvasCommand(canvas, parent), m_item(item), m_before(before), m_after(after)
{
    setText(verb + QLatin1Char(' ') + ItemNames::describe(item));
}

void StackingCommand::redo()
{
    m_item->setZValue(m_after);
    repaint();
}

void StackingCommand::undo()
{
    m_item->setZValue(m_before);
    repaint();
}
