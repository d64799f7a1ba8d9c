#pragma once

#include "CanvasCommand.h"

class MemoryItem;

// Inserts a memory item of the default size centred on a point, named
// var_<L><n> with datatype type_<L><n> (L: item level, n: the first free
// count from the number of memory items already on the canvas).
//
// Dataflows drawn to the item after it was inserted leave the canvas with
// it on undo (they stay recorded on the memory item only) and come back
// with it on redo.
class AddMemoryCommand : public CanvasCommand
{
public:
    AddMemoryCommand(ItemCanvas *canvas, qreal x, qreal y, QUndoCommand *parent = nullptr);

    MemoryItem *memoryItem() const { return m_memoryItem; }
    const DiagramItem *itemRedoRestores() const override;

    void redo() override;
    void undo() override;

private:
    MemoryItem *m_memoryItem;
};
