#include "CanvasCommand.h"

CanvasCommand::CanvasCommand(Canvas *canvas, QUndoCommand *parent)
    : QUndoCommand(parent), m_canvas(canvas), m_steps(canvas)
{
}

void CanvasCommand::repaint()
{
    m_canvas->update();
}
