#pragma once

#include "CanvasCommand.h"

class MemoryItem;

// Inserts a memory item of the default size centred on a point, named
// var_<L><n> with datatype type_<L><n> (L: item level, n: memory items
// already on the canvas). A memory item deleted for good meanwhile is never
// brought back.
class AddMemoryCommand : public CanvasCommand
{
public:
    AddMemoryCommand(Canvas *canvas, qreal x, qreal y, QUndoCommand *parent = nullptr);

    MemoryItem *memoryItem() const { return m_memoryItem; }

    void redo() override;
    void undo() override;

private:
    MemoryItem *m_memoryItem;
};
