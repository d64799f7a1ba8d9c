#include "AddConnectionCommand.h"

#include "ItemNames.h"

AddConnectionCommand::AddConnectionCommand(ItemCanvas *canvas, DiagramItem *connection,
                                           QUndoCommand *parent)
    : CanvasCommand(canvas, parent), m_connection(connection)
{
    canvas->keepAlive(connection);
    setText(ItemNames::stepText(QStringLiteral("Insert"), connection));
}

void AddConnectionCommand::redo()
{
    // Drawn already when the command is pushed.
    m_applied = m_canvas->registeredItem(m_connection) || putItemBack(m_connection);
    repaint();
}

void AddConnectionCommand::undo()
{
    if (m_applied)
        takeItemAway(m_connection);
    repaint();
}
