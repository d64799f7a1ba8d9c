#pragma once

// A new C type for the time in state of the project's machines (kept on the
// level-1 canvas, saved on the project's root process); undo gives back the
// old one.

#include <QString>
#include <QUndoCommand>

class Canvas;

class ProjectCounterTypeCommand : public QUndoCommand
{
public:
    ProjectCounterTypeCommand(Canvas *projectCanvas, const QString &before, const QString &after,
                              QUndoCommand *parent = nullptr);

    void redo() override;
    void undo() override;

private:
    Canvas *m_canvas;
    QString m_before;
    QString m_after;
};
