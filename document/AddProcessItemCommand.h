#pragma once

#include "ProcessItemCommand.h"

// A process item the canvas has just inserted, with the canvas and tree
// node the project made for it: the first redo changes nothing; undo takes
// the item away with its diagram (and whatever was drawn there since), redo
// brings all of it back.
class AddProcessItemCommand : public ProcessItemCommand
{
public:
    AddProcessItemCommand(Project *project, Canvas *canvas, ProcessItem *item,
                          QUndoCommand *parent = nullptr);

    void redo() override;
    void undo() override;

private:
    bool m_inserted = true;
};
