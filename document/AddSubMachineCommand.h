#pragma once

#include "SubMachineCommand.h"

#include <QString>

// A state gets a sub-machine of a mode (SubMachineStart, SubMachineResume):
// the first redo makes its empty diagram and node; undo takes the diagram
// away (with whatever was drawn there since), redo brings all of it back.
class AddSubMachineCommand : public SubMachineCommand
{
public:
    AddSubMachineCommand(Project *project, Canvas *canvas, StateItem *state, const QString &mode,
                         QUndoCommand *parent = nullptr);

    void redo() override;
    void undo() override;

    // The diagram the first redo made; null when the state could not get one.
    Canvas *created() const { return m_created; }

private:
    QString m_mode;
    Canvas *m_created = nullptr;
    bool m_made = false;
};
