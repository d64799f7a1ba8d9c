#include "ProcessItemCommand.h"

#include "DataflowItem.h"
#include "LinkItem.h"
#include "ProcessItem.h"
#include "Project.h"

ProcessItemCommand::ProcessItemCommand(Project *project, Canvas *canvas, ProcessItem *item,
                                       QUndoCommand *parent)
    : CanvasCommand(canvas, parent), m_project(project), m_item(item), m_diagram(canvas)
{
    canvas->keepAlive(item);
}

ProcessItemCommand::~ProcessItemCommand()
{
    for (const QPointer<Canvas> &canvas : qAsConst(m_awayCanvases))
        delete canvas.data();
}

void ProcessItemCommand::takeItemOffDiagram()
{
    m_links = m_item->links();
    m_dataflows = m_item->dataflows();
    for (LinkItem *link : qAsConst(m_links))
        takeItemAway(link);
    for (DataflowItem *flow : qAsConst(m_dataflows))
        takeItemAway(flow);
    m_canvas->unregisterItem(m_item);
    m_canvas->takeFromScene(m_item);
}

bool ProcessItemCommand::takeAway()
{
    if (!m_canvas->registeredItem(m_item))
        return false;
    ProjectStructure structure = m_project->structure();
    if (!structure.detachProcessItem(m_diagram, m_item, [this] { takeItemOffDiagram(); },
                                     &m_detached))
        return false;
    m_awayCanvases.clear();
    for (Canvas *canvas : qAsConst(m_detached.canvases))
        m_awayCanvases.append(canvas);
    m_project->structureChanged(m_diagram);
    repaint();
    return true;
}

bool ProcessItemCommand::putBack()
{
    if (m_canvas->registeredItem(m_item) || m_detached.canvases.isEmpty())
        return false;
    m_canvas->putInScene(m_item);
    m_canvas->registerItemAt(m_detached.itemIndex, m_item);
    // Each connection was taken from the list as the ones before it had
    // left it; putting them back in the reverse order gives every one its
    // old place, so the saved order of records stays as it was.
    for (auto flow = m_dataflows.crbegin(); flow != m_dataflows.crend(); ++flow)
        putItemBack(*flow);
    for (auto link = m_links.crbegin(); link != m_links.crend(); ++link)
        putItemBack(*link);
    m_project->structure().reattachProcessItem(m_diagram, m_item, m_detached);
    m_awayCanvases.clear();
    m_project->structureChanged(m_diagram);
    repaint();
    return true;
}
