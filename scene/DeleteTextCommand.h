#pragma once

#include "CanvasCommand.h"

class TextItem;

// Deletes a text item; undo puts it back on top of every other item.
class DeleteTextCommand : public CanvasCommand
{
public:
    DeleteTextCommand(ItemCanvas *canvas, TextItem *textItem, QUndoCommand *parent = nullptr);

    TextItem *textItem() const { return m_textItem; }

    void redo() override;
    void undo() override;

private:
    TextItem *m_textItem;
};
