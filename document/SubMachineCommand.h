#pragma once

// What the undo steps that give a state a sub-machine and take it away
// share: taking the sub-machine's diagram away with every diagram below it
// and putting all of it back exactly, ids and the state's mode included
// (SubMachineStructure::detach, reattach). Nothing is destroyed while the
// step lives; a step that still holds diagrams away destroys them with
// itself. The step lives on the stack of the holder state's diagram.

#include "CanvasCommand.h"
#include "SubMachineStructure.h"

#include <QList>
#include <QPointer>

class Canvas;
class Project;
class StateItem;

class SubMachineCommand : public CanvasCommand
{
public:
    ~SubMachineCommand() override;

    StateItem *state() const { return m_state; }

protected:
    SubMachineCommand(Project *project, Canvas *canvas, StateItem *state,
                      QUndoCommand *parent = nullptr);

    // Each returns whether it changed anything.
    bool takeAway();
    bool putBack();
    // Diagrams made elsewhere (a paste's) that putBack() attaches first.
    void holdAway(const SubMachineStructure::Detached &diagrams);

    Project *const m_project;
    Canvas *const m_diagram;
    StateItem *const m_state;

private:
    SubMachineStructure::Detached m_detached;
    // The diagrams while they are away (one may still go with the project
    // when it closes first).
    QList<QPointer<Canvas>> m_awayCanvases;
};
