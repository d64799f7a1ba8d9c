#pragma once

// A new canvas size: the canvas's scene takes it, and so do the canvases
// the project makes from then on; undo gives both the old size back.

#include <QPointer>
#include <QSize>
#include <QUndoCommand>

class Canvas;
class Project;

class CanvasSizeCommand : public QUndoCommand
{
public:
    CanvasSizeCommand(Project *project, Canvas *canvas, const QSize &before, const QSize &after,
                      QUndoCommand *parent = nullptr);

    void redo() override;
    void undo() override;

private:
    void apply(const QSize &size);

    Project *m_project;
    QPointer<Canvas> m_canvas;
    QSize m_before;
    QSize m_after;
    QSize m_projectBefore;
};
