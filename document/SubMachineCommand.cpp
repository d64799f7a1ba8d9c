#include "SubMachineCommand.h"

#include "Canvas.h"
#include "Project.h"
#include "StateItem.h"

SubMachineCommand::SubMachineCommand(Project *project, Canvas *canvas, StateItem *state,
                                     QUndoCommand *parent)
    : CanvasCommand(canvas, parent), m_project(project), m_diagram(canvas), m_state(state)
{
    canvas->keepAlive(state);
}

SubMachineCommand::~SubMachineCommand()
{
    for (const QPointer<Canvas> &canvas : qAsConst(m_awayCanvases))
        delete canvas.data();
}

bool SubMachineCommand::takeAway()
{
    if (!m_diagram->registeredItem(m_state))
        return false;
    if (!m_project->subMachines().detach(m_diagram, m_state, &m_detached))
        return false;
    m_awayCanvases.clear();
    for (Canvas *canvas : qAsConst(m_detached.canvases))
        m_awayCanvases.append(canvas);
    emit m_project->structureChanged(m_diagram);
    repaint();
    return true;
}

void SubMachineCommand::holdAway(const SubMachineStructure::Detached &diagrams)
{
    m_detached = diagrams;
    m_awayCanvases.clear();
    for (Canvas *canvas : qAsConst(m_detached.canvases))
        m_awayCanvases.append(canvas);
}

bool SubMachineCommand::putBack()
{
    if (!m_diagram->registeredItem(m_state) || m_detached.canvases.isEmpty()
        || m_state->holdsSubMachine())
        return false;
    m_project->subMachines().reattach(m_diagram, m_state, m_detached);
    m_awayCanvases.clear();
    emit m_project->structureChanged(m_diagram);
    repaint();
    return true;
}
