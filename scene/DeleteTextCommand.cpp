#include "DeleteTextCommand.h"

DeleteTextCommand::DeleteTextCommand(Canvas *canvas, TextItem *textItem, QUndoCommand *parent)
    : CanvasCommand(canvas, parent), m_textItem(textItem)
{
}

void DeleteTextCommand::redo()
{
    m_applied = takeTextAway(m_textItem);
    repaint();
}

void DeleteTextCommand::undo()
{
    if (m_applied)
        putTextBack(m_textItem, true);
    repaint();
}
