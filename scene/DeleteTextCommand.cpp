#include "DeleteTextCommand.h"

#include "ItemNames.h"
#include "TextItem.h"
DeleteTextCommand::DeleteTextCommand(ItemCanvas *canvas, TextItem *textItem, QUndoCommand *parent)
    : CanvasCommand(canvas, parent), m_textItem(textItem)
{
    setText(ItemNames::stepText(QStringLiteral("Delete"), textItem));
}

void DeleteTextCommand::redo()
{
    m_applied = takeItemAway(m_textItem);
    repaint();
}

void DeleteTextCommand::undo()
{
    // Back at the stacking value it had: the saved order is restored exactly,
    // so undoing to the saved state leaves nothing changed.
    if (m_applied)
        putItemBack(m_textItem);
    repaint();
}
