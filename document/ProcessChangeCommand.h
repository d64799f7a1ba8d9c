#pragma once

#include "ItemChangeCommand.h"

class Canvas;
class Project;

// The process dialog's changes to a process item: besides the item, its
// canvas's name and its tree node follow the label on redo and undo.
class ProcessChangeCommand : public ItemChangeCommand
{
public:
    ProcessChangeCommand(Project *project, Canvas *canvas, const QVector<ItemChange> &changes,
                         QUndoCommand *parent = nullptr);

protected:
    void applied() override;

private:
    Project *m_project;
    Canvas *m_diagram;
};
