#include "ProjectRenameCommand.h"

#include "Project.h"

ProjectRenameCommand::ProjectRenameCommand(Project *project, const QString &before,
                                           const QString &after, QUndoCommand *parent)
    : QUndoCommand(parent), m_project(project), m_before(before), m_after(after)
{
    setText(QStringLiteral("Rename Project '%1'").arg(before));
}

void ProjectRenameCommand::redo()
{
    m_project->applyName(m_after);
}

void ProjectRenameCommand::undo()
{
    m_project->applyName(m_before);
}
