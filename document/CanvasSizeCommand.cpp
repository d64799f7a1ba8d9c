#include "CanvasSizeCommand.h"

#include "Canvas.h"
#include "Project.h"

CanvasSizeCommand::CanvasSizeCommand(Project *project, Canvas *canvas, const QSize &before,
                                     const QSize &after, QUndoCommand *parent)
    : QUndoCommand(parent),
      m_project(project),
      m_canvas(canvas),
      m_before(before),
      m_after(after),
      m_projectBefore(project->canvasSize())
{
    setText(QStringLiteral("Set Canvas Size %1 x %2").arg(after.width()).arg(after.height()));
}

void CanvasSizeCommand::apply(const QSize &size)
{
    if (m_canvas)
        m_canvas->setSceneRect(0, 0, size.width(), size.height());
}

void CanvasSizeCommand::redo()
{
    apply(m_after);
    m_project->setCanvasSize(m_after);
}

void CanvasSizeCommand::undo()
{
    apply(m_before);
    m_project->setCanvasSize(m_projectBefore);
}
