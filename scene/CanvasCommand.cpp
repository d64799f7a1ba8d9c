#include "CanvasCommand.h"
#include <QGraphicsScene>

CanvasCommand::CanvasCommand(ItemCanvas *canvas, QUndoCommand *parent)
    : QUndoCommand(parent), m_canvas(canvas), m_steps(canvas)
{
}

void CanvasCommand::repaint()
{
    m_canvas->graphicsScene()->update();
}
