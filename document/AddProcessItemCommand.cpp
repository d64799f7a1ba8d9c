#include "AddProcessItemCommand.h"

#include "ItemNames.h"
#include "ProcessItem.h"

AddProcessItemCommand::AddProcessItemCommand(Project *project, Canvas *canvas, ProcessItem *item,
                                             QUndoCommand *parent)
    : ProcessItemCommand(project, canvas, item, parent)
{
    setText(ItemNames::stepText(QStringLiteral("Insert"), item));
}

void AddProcessItemCommand::redo()
{
    // Inserted already when the step is pushed.
    if (!m_inserted)
        m_inserted = putBack();
}

void AddProcessItemCommand::undo()
{
    if (m_inserted)
        m_inserted = !takeAway();
}
