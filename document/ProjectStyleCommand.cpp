#include "ProjectStyleCommand.h"

#include "Canvas.h"

ProjectStyleCommand::ProjectStyleCommand(Canvas *projectCanvas, const QString &before, const QString &after,
                                         QUndoCommand *parent)
    : QUndoCommand(parent), m_canvas(projectCanvas), m_before(before), m_after(after)
{
    setText(QStringLiteral("Set C Module Style"));
}

void ProjectStyleCommand::redo()
{
    m_canvas->setCodeStyle(m_after);
}

void ProjectStyleCommand::undo()
{
    m_canvas->setCodeStyle(m_before);
}
