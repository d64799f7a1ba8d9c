#pragma once

// A new project name: the level-1 canvas and the tree's top node take it;
// undo gives them the old one.

#include <QString>
#include <QUndoCommand>

class Project;

class ProjectRenameCommand : public QUndoCommand
{
public:
    ProjectRenameCommand(Project *project, const QString &before, const QString &after,
                         QUndoCommand *parent = nullptr);

    void redo() override;
    void undo() override;

private:
    Project *m_project;
    QString m_before;
    QString m_after;
};
