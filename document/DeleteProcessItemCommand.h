#pragma once

#include "ProcessItemCommand.h"

// Deletes a process item with its links and dataflows, its diagram, every
// diagram below it and its tree node; the remaining process items are
// renumbered. Undo restores every diagram, node, item and connection as it
// was, ids included.
class DeleteProcessItemCommand : public ProcessItemCommand
{
public:
    DeleteProcessItemCommand(Project *project, Canvas *canvas, ProcessItem *item,
                             QUndoCommand *parent = nullptr);

    // Whether the last redo deleted the item.
    bool deleted() const { return m_applied; }

    void redo() override;
    void undo() override;
};
