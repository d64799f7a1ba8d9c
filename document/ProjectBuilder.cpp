#include "ProjectBuilder.h"

#include "Canvas.h"
#include "CanvasPaths.h"
#include "ItemKind.h"
#include "ItemKinds.h"
#include "NodePath.h"
#include "RecordPlacement.h"
#include "StateItem.h"

ProjectBuilder::ProjectBuilder(const CanvasSetup &setup) : m_setup(setup) {}

QList<Canvas *> ProjectBuilder::build(const ProjectRecordLists &records)
{
    m_canvases.clear();
    m_slots.clear();
    m_notes.clear();
    if (records.processes.isEmpty()) {
        LoadNote none;
        none.kind = QStringLiteral("Project");
        none.reason = QStringLiteral("the file holds no Process record");
        m_notes << none;
        return {};
    }
    const RecordPlacement placement(records);
    m_records = &records;
    m_placement = &placement;
    m_notes = placement.notes();
    createCanvases();
    placeProcesses();
    placeStates();
    placeTransitions();
    placeTexts();
    placeLinks();
    placeMemories();
    placeDataflows();
    coverStoredStacking();
    const QList<Canvas *> result = m_canvases;
    m_canvases.clear();
    m_slots.clear();
    m_processItems.clear();
    m_stateItems.clear();
    m_memoryItems.clear();
    m_storedTop.clear();
    m_records = nullptr;
    m_placement = nullptr;
    return result;
}

void ProjectBuilder::createCanvases()
{
    const QVector<ProcessRecord> &records = m_records->processes;
    m_slots.resize(records.size());
    for (int i = 0; i < records.size(); ++i) {
        const ProcessRecord &r = records.at(i);
        Canvas *canvas = createCanvas(
            m_setup, CanvasIdentity{r.level, r.id, r.nos, r.parentId, r.grandParentId, r.label});
        bool known = false;
        const NodePath path = m_placement->path(i, &known);
        if (known)
            CanvasPaths::setCanvasPath(canvas, path);
        m_canvases.append(canvas);
    }
}

void ProjectBuilder::placeProcesses()
{
    const QVector<ProcessRecord> &records = m_records->processes;
    m_processItems.fill(nullptr, records.size());
    for (int i = 0; i < records.size(); ++i) {
        const int c = m_placement->processCanvas(i);
        if (c != RecordPlacement::None)
            m_processItems[i] = place(ItemType::Process, c, records.at(i), records.at(i).stacking);
    }
}

void ProjectBuilder::placeStates()
{
    const QVector<StateRecord> &records = m_records->states;
    m_stateItems.fill(nullptr, records.size());
    for (int i = 0; i < records.size(); ++i) {
        const int c = m_placement->stateCanvas(i);
        if (c == RecordPlacement::None)
            continue;
        auto *state = static_cast<StateItem *>(
            place(ItemType::State, c, records.at(i), records.at(i).stacking));
        m_stateItems[i] = state;
        Slot &slot = m_slots[c];
        if (state->isInitialState() && !slot.hasInitialMarker) {
            m_canvases.at(c)->attachInitialMarker(state);
            slot.hasInitialMarker = true;
        }
    }
}

void ProjectBuilder::placeTransitions()
{
    const QVector<TransitionRecord> &records = m_records->transitions;
    for (int i = 0; i < records.size(); ++i) {
        const int c = m_placement->transitionCanvas(i);
        if (c != RecordPlacement::None)
            place(ItemType::Transition, c, records.at(i), records.at(i).stacking,
                  m_stateItems.at(m_placement->transitionStart(i)),
                  m_stateItems.at(m_placement->transitionEnd(i)));
    }
}

void ProjectBuilder::placeTexts()
{
    const QVector<TextRecord> &records = m_records->texts;
    for (int i = 0; i < records.size(); ++i) {
        const int c = m_placement->textCanvas(i);
        if (c != RecordPlacement::None)
            place(ItemType::Text, c, records.at(i), records.at(i).stacking);
    }
}

void ProjectBuilder::placeLinks()
{
    const QVector<LinkRecord> &records = m_records->links;
    for (int i = 0; i < records.size(); ++i) {
        const int c = m_placement->linkCanvas(i);
        if (c != RecordPlacement::None)
            place(ItemType::Link, c, records.at(i), records.at(i).stacking,
                  m_processItems.at(m_placement->linkStart(i)),
                  m_processItems.at(m_placement->linkEnd(i)));
    }
}

void ProjectBuilder::placeMemories()
{
    const QVector<MemoryRecord> &records = m_records->memories;
    m_memoryItems.fill(nullptr, records.size());
    for (int i = 0; i < records.size(); ++i) {
        const int c = m_placement->memoryCanvas(i);
        if (c != RecordPlacement::None)
            m_memoryItems[i] = place(ItemType::Memory, c, records.at(i), records.at(i).stacking);
    }
}

void ProjectBuilder::placeDataflows()
{
    const QVector<DataflowRecord> &records = m_records->dataflows;
    for (int i = 0; i < records.size(); ++i) {
        const int c = m_placement->dataflowCanvas(i);
        if (c != RecordPlacement::None)
            place(ItemType::Dataflow, c, records.at(i), records.at(i).stacking,
                  m_processItems.at(m_placement->dataflowProcess(i)),
                  m_memoryItems.at(m_placement->dataflowMemory(i)));
    }
}

DiagramItem *ProjectBuilder::place(int type, int c, const ItemRecord &record, double stored,
                                   DiagramItem *start, DiagramItem *end)
{
    Canvas *canvas = m_canvases.at(c);
    DiagramItem *item = ItemKinds::of(type)->fromRecord(*canvas, record, stacking(canvas, stored),
                                                         start, end);
    canvas->registerItem(item);
    return item;
}

// Every item takes the next place in load order, whether or not the file
// stores a stacking value for it, so the place of each item does not depend
// on the values stored for the others (ProjectSnapshot counts the same way).
// A stored value then replaces the place.
qreal ProjectBuilder::stacking(Canvas *canvas, double stored)
{
    const qreal place = canvas->nextZValue();
    if (stored == 0)
        return place;
    auto top = m_storedTop.find(canvas);
    if (top == m_storedTop.end())
        m_storedTop.insert(canvas, stored);
    else
        *top = qMax(*top, qreal(stored));
    return stored;
}

void ProjectBuilder::coverStoredStacking()
{
    for (auto it = m_storedTop.cbegin(); it != m_storedTop.cend(); ++it)
        it.key()->coverZValue(it.value());
}
