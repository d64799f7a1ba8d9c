#pragma once

// A new default C module style of the project (kept on the level-1 canvas,
// saved on the project's root process); undo gives back the old one.

#include <QString>
#include <QUndoCommand>

class Canvas;

class ProjectStyleCommand : public QUndoCommand
{
public:
    ProjectStyleCommand(Canvas *projectCanvas, const QString &before, const QString &after,
                        QUndoCommand *parent = nullptr);

    void redo() override;
    void undo() override;

private:
    Canvas *m_canvas;
    QString m_before;
    QString m_after;
};
