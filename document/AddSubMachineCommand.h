#pragma once

#include "SubMachineCommand.h"

#include <QString>

// A state gets a sub-machine of a mode (SubMachineStart, SubMachineResume):
// the first redo makes its empty diagram (or attaches the diagrams it was
// given) and node; undo takes the diagram
// away (with whatever was drawn there since), redo brings all of it back.
class AddSubMachineCommand : public SubMachineCommand
{
public:
    AddSubMachineCommand(Project *project, Canvas *canvas, StateItem *state, const QString &mode,
                         QUndoCommand *parent = nullptr);
    // The same with diagrams made already (a paste's, out of the project's
    // list, the sub-machine's own first) instead of an empty one; the
    // state takes `diagrams.mode`.
    AddSubMachineCommand(Project *project, Canvas *canvas, StateItem *state,
                         const SubMachineStructure::Detached &diagrams, QUndoCommand *parent = nullptr);

    void redo() override;
    void undo() override;

    // The diagram the first redo made; null when the state could not get one.
    Canvas *created() const { return m_created; }

private:
    QString m_mode;
    Canvas *m_created = nullptr;
    bool m_made = false;
    bool m_prepared = false;
};
