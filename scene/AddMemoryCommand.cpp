#include "AddMemoryCommand.h"

#include "ItemNames.h"
#include "LabelRules.h"
#include "MemoryItem.h"

AddMemoryCommand::AddMemoryCommand(ItemCanvas *canvas, qreal x, qreal y, QUndoCommand *parent)
    : CanvasCommand(canvas, parent),
      m_memoryItem(new MemoryItem(canvas->menuOf(ItemType::Memory), x, y))
{
    m_memoryItem->placeAt();
    stampIdentity(m_memoryItem);
    // Dataflows name their memory item by label in the project file.
    const QString suffix = QString::number(canvas->level() + 1)
            + QString::number(LabelRules::newMemoryCount(*canvas));
    m_memoryItem->setLabel(QStringLiteral("var_") + suffix);
    m_memoryItem->setDatatype(QStringLiteral("type_") + suffix);
    canvas->keepAlive(m_memoryItem);
    setText(ItemNames::stepText(QStringLiteral("Insert"), m_memoryItem));
}

void AddMemoryCommand::redo()
{
    m_applied = putItemBack(m_memoryItem);
    repaint();
}

void AddMemoryCommand::undo()
{
    if (m_applied)
        takeItemAway(m_memoryItem);
    repaint();
}

const DiagramItem *AddMemoryCommand::itemRedoRestores() const
{
    return m_memoryItem;
}
