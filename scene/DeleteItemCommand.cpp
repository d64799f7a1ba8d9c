#include "DeleteItemCommand.h"

#include "ItemNames.h"

DeleteItemCommand::DeleteItemCommand(ItemCanvas *canvas, DiagramItem *item, QUndoCommand *parent)
    : CanvasCommand(canvas, parent), m_item(item)
{
    setText(ItemNames::stepText(QStringLiteral("Delete"), item));
}

void DeleteItemCommand::redo()
{
    m_applied = takeItemAway(m_item);
    repaint();
}

void DeleteItemCommand::undo()
{
    if (m_applied)
        putItemBack(m_item);
    repaint();
}
