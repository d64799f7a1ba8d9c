#pragma once

#include "CanvasCommand.h"

// A link or dataflow a connection drag has just drawn (BoxConnections):
// the first redo finds it on the canvas and changes nothing; undo takes
// the box and its lines away, both ends forget it; redo puts it back.
class AddConnectionCommand : public CanvasCommand
{
public:
    AddConnectionCommand(ItemCanvas *canvas, DiagramItem *connection, QUndoCommand *parent = nullptr);

    DiagramItem *connection() const { return m_connection; }

    void redo() override;
    void undo() override;

private:
    DiagramItem *m_connection;
};
