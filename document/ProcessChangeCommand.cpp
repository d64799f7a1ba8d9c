#include "ProcessChangeCommand.h"

#include "Canvas.h"
#include "ProcessItem.h"
#include "Project.h"

ProcessChangeCommand::ProcessChangeCommand(Project *project, Canvas *canvas,
                                           const QVector<ItemChange> &changes,
                                           QUndoCommand *parent)
    : ItemChangeCommand(canvas, changes, parent), m_project(project), m_diagram(canvas)
{
}

void ProcessChangeCommand::applied()
{
    for (const ItemChange &change : changes()) {
        if (change.item->type() == ItemType::Process)
            m_project->followProcessLabel(m_diagram, static_cast<ProcessItem *>(change.item));
    }
}
