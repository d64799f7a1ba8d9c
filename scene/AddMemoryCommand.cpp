#include "AddMemoryCommand.h"

#include "DataflowItem.h"
#include "DataflowLine.h"
#include "ItemTypes.h"
#include "LabelRules.h"
#include "MemoryItem.h"
#include "ProcessItem.h"

#include <algorithm>
#include <climits>

AddMemoryCommand::AddMemoryCommand(Canvas *canvas, qreal x, qreal y, QUndoCommand *parent)
    : CanvasCommand(canvas, parent),
      m_memoryItem(new MemoryItem(canvas->menu(Canvas::MemoryMenu), x, y))
{
    m_memoryItem->placeAt();
    stampIdentity(m_memoryItem);
    // Dataflows name their memory item by label in the project file.
    const QString suffix = QString::number(canvas->level() + 1)
            + QString::number(LabelRules::newMemoryCount(*canvas));
    m_memoryItem->setLabel(QStringLiteral("var_") + suffix);
    m_memoryItem->setDatatype(QStringLiteral("type_") + suffix);
    canvas->keepAlive(m_memoryItem);
}

void AddMemoryCommand::redo()
{
    m_applied = false;
    if (!m_canvas->isRetired(m_memoryItem) && !m_canvas->registeredItem(m_memoryItem)) {
        m_canvas->putInScene(m_memoryItem);
        m_canvas->registerItem(m_memoryItem);
        showDataflows();
        m_applied = true;
    }
    repaint();
}

void AddMemoryCommand::undo()
{
    if (m_applied && m_canvas->unregisterItem(m_memoryItem)) {
        hideDataflows();
        m_canvas->takeFromScene(m_memoryItem);
    }
    repaint();
}

void AddMemoryCommand::hideDataflows()
{
    // Places are taken before anything is removed, so that each refers to
    // the list as it was.
    m_dataflowPlaces.clear();
    for (DataflowItem *flow : m_memoryItem->dataflows())
        m_dataflowPlaces.insert(flow, m_canvas->registeredIndex(flow));
    for (DataflowItem *flow : m_memoryItem->dataflows()) {
        m_canvas->unregisterItem(flow);
        if (flow->process())
            flow->process()->removeDataflow(flow);
        for (QGraphicsItem *part : {static_cast<QGraphicsItem *>(flow),
                                    static_cast<QGraphicsItem *>(flow->startLine()),
                                    static_cast<QGraphicsItem *>(flow->endLine())}) {
            m_canvas->takeFromScene(part);
            m_canvas->keepAlive(part);
        }
    }
}

void AddMemoryCommand::showDataflows()
{
    // Ascending old places rebuild the list as it was.
    QList<DataflowItem *> flows = m_memoryItem->dataflows();
    std::stable_sort(flows.begin(), flows.end(), [this](DataflowItem *a, DataflowItem *b) {
        return m_dataflowPlaces.value(a, INT_MAX) < m_dataflowPlaces.value(b, INT_MAX);
    });
    for (DataflowItem *flow : flows) {
        if (!flow->process() || !m_canvas->registeredItem(flow->process()))
            continue;
        for (QGraphicsItem *part : {static_cast<QGraphicsItem *>(flow),
                                    static_cast<QGraphicsItem *>(flow->startLine()),
                                    static_cast<QGraphicsItem *>(flow->endLine())})
            m_canvas->putInScene(part);
        m_canvas->registerItemAt(m_dataflowPlaces.value(flow, -1), flow);
        flow->process()->addDataflow(flow);
        for (DataflowLine *line : {flow->startLine(), flow->endLine()}) {
            if (line)
                line->updateGeometry();
        }
    }
}
