#include "AddTextCommand.h"

#include "ItemNames.h"
#include "TextItem.h"

AddTextCommand::AddTextCommand(ItemCanvas *canvas, qreal x, qreal y, QUndoCommand *parent)
    : CanvasCommand(canvas, parent),
      m_textItem(new TextItem(canvas->menuOf(ItemType::Text), x, y))
{
    m_textItem->placeAt();
    stampIdentity(m_textItem);
    canvas->keepAlive(m_textItem);
    setText(ItemNames::stepText(QStringLiteral("Insert"), m_textItem));
}

void AddTextCommand::redo()
{
    m_applied = putItemBack(m_textItem);
    repaint();
}

void AddTextCommand::undo()
{
    if (m_applied)
        takeItemAway(m_textItem);
    repaint();
}
