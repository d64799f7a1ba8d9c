#include "AddMemoryCommand.h"

#include "LabelRules.h"
#include "MemoryItem.h"

AddMemoryCommand::AddMemoryCommand(Canvas *canvas, qreal x, qreal y, QUndoCommand *parent)
    : CanvasCommand(canvas, parent),
      m_memoryItem(new MemoryItem(canvas->menu(Canvas::MemoryMenu), x, y))
{
    m_memoryItem->placeAt();
    stampIdentity(m_memoryItem);
    // Dataflows name their memory item by label in the project file.
    const QString suffix = QString::number(canvas->level() + 1)
            + QString::number(LabelRules::newMemoryCount(*canvas));
    m_memoryItem->setLabel(QStringLiteral("var_") + suffix);
    m_memoryItem->setDatatype(QStringLiteral("type_") + suffix);
    canvas->keepAlive(m_memoryItem);
    canvas->setLastMemoryItem(m_memoryItem);
}

void AddMemoryCommand::redo()
{
    m_applied = false;
    if (!m_canvas->isRetired(m_memoryItem) && !m_canvas->memoryItems().contains(m_memoryItem)) {
        m_canvas->putInScene(m_memoryItem);
        m_canvas->appendMemoryItem(m_memoryItem);
        m_applied = true;
    }
    repaint();
}

void AddMemoryCommand::undo()
{
    if (m_applied && m_canvas->removeMemoryItem(m_memoryItem))
        m_canvas->takeFromScene(m_memoryItem);
    repaint();
}
