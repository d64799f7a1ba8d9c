#include "DeleteProcessItemCommand.h"

#include "ItemNames.h"
#include "ProcessItem.h"

DeleteProcessItemCommand::DeleteProcessItemCommand(Project *project, Canvas *canvas,
                                                   ProcessItem *item, QUndoCommand *parent)
    : ProcessItemCommand(project, canvas, item, parent)
{
    setText(ItemNames::stepText(QStringLiteral("Delete"), item));
}

void DeleteProcessItemCommand::redo()
{
    m_applied = takeAway();
}

void DeleteProcessItemCommand::undo()
{
    if (m_applied)
        putBack();
}
