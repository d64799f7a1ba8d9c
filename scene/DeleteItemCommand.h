#pragma once

#include "CanvasCommand.h"

// Deletes a link, a memory item (with its dataflows) or a dataflow; undo
// puts it back where it stood in its list, recorded on its ends again. An
// item already gone is left alone on redo and undo.
class DeleteItemCommand : public CanvasCommand
{
public:
    DeleteItemCommand(ItemCanvas *canvas, DiagramItem *item, QUndoCommand *parent = nullptr);

    DiagramItem *item() const { return m_item; }
    const DiagramItem *itemUndoRestores() const override { return m_item; }

    void redo() override;
    void undo() override;

private:
    DiagramItem *m_item;
};
