#pragma once

#include "CanvasCommand.h"

class TextItem;

// Inserts a text item of the default size centred on a point.
class AddTextCommand : public CanvasCommand
{
public:
    AddTextCommand(ItemCanvas *canvas, qreal x, qreal y, QUndoCommand *parent = nullptr);

    TextItem *textItem() const { return m_textItem; }

    void redo() override;
    void undo() override;

private:
    TextItem *m_textItem;
};
