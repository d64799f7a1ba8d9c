#include "ProjectBuilder.h"

#include "Canvas.h"
#include "DataflowItem.h"
#include "DataflowLine.h"
#include "LinkItem.h"
#include "LinkLine.h"
#include "MemoryItem.h"
#include "CanvasPaths.h"
#include "NodePath.h"
#include "ProcessItem.h"
#include "RecordPlacement.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "TransitionLine.h"

namespace {

// Adds a box item and the two connector lines that join it to its ends.
// The box is stacked by its caller.
template <typename Line, typename Box>
void addConnected(Canvas *canvas, QGraphicsItem *from, Box *box, QGraphicsItem *to)
{
    auto *startLine = new Line(from, box);
    auto *endLine = new Line(box, to);
    startLine->setZValue(0);
    endLine->setZValue(0);
    box->setStartLine(startLine);
    box->setEndLine(endLine);
    canvas->addItem(box);
    canvas->addItem(startLine);
    canvas->addItem(endLine);
}

} // namespace

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
        if (c == RecordPlacement::None)
            continue;
        const ProcessRecord &r = records.at(i);
        Canvas *canvas = m_canvases.at(c);
        auto *item = new ProcessItem(canvas->menu(Canvas::ProcessMenu), r.xCoord, r.yCoord, r.shape);
        item->applyRecord(r);
        setStacking(canvas, item, r.stacking);
        canvas->addItem(item);
        canvas->registerItem(item);
        m_processItems[i] = item;
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
        const StateRecord &r = records.at(i);
        Canvas *canvas = m_canvases.at(c);
        Slot &slot = m_slots[c];
        auto *state = new StateItem(canvas->menu(Canvas::StateMenu), r.xCoord, r.yCoord);
        state->applyRecord(r);
        setStacking(canvas, state, r.stacking);
        canvas->addItem(state);
        canvas->registerItem(state);
        m_stateItems[i] = state;
        if (state->isInitialState() && !slot.hasInitialMarker) {
            canvas->attachInitialMarker(state);
            slot.hasInitialMarker = true;
        }
    }
}

void ProjectBuilder::placeTransitions()
{
    const QVector<TransitionRecord> &records = m_records->transitions;
    for (int i = 0; i < records.size(); ++i) {
        const int c = m_placement->transitionCanvas(i);
        if (c == RecordPlacement::None)
            continue;
        Canvas *canvas = m_canvases.at(c);
        StateItem *from = m_stateItems.at(m_placement->transitionStart(i));
        StateItem *to = m_stateItems.at(m_placement->transitionEnd(i));
        auto *transition = new TransitionItem(canvas->menu(Canvas::TransitionMenu), from, to);
        transition->applyRecord(records.at(i));
        setStacking(canvas, transition, records.at(i).stacking);
        addConnected<TransitionLine>(canvas, from, transition, to);
        from->addTransition(transition);
        if (to != from)
            to->addTransition(transition);
        canvas->registerItem(transition);
    }
}

void ProjectBuilder::placeTexts()
{
    const QVector<TextRecord> &records = m_records->texts;
    for (int i = 0; i < records.size(); ++i) {
        const int c = m_placement->textCanvas(i);
        if (c == RecordPlacement::None)
            continue;
        const TextRecord &r = records.at(i);
        Canvas *canvas = m_canvases.at(c);
        auto *text = new TextItem(canvas->menu(Canvas::TextMenu), r.xCoord, r.yCoord);
        text->applyRecord(r);
        setStacking(canvas, text, r.stacking);
        canvas->addItem(text);
        canvas->registerItem(text);
    }
}

void ProjectBuilder::placeLinks()
{
    const QVector<LinkRecord> &records = m_records->links;
    for (int i = 0; i < records.size(); ++i) {
        const int c = m_placement->linkCanvas(i);
        if (c == RecordPlacement::None)
            continue;
        Canvas *canvas = m_canvases.at(c);
        ProcessItem *from = m_processItems.at(m_placement->linkStart(i));
        ProcessItem *to = m_processItems.at(m_placement->linkEnd(i));
        auto *link = new LinkItem(canvas->menu(Canvas::LinkMenu), from, to);
        from->addLink(link);
        to->addLink(link);
        link->applyRecord(records.at(i));
        setStacking(canvas, link, records.at(i).stacking);
        addConnected<LinkLine>(canvas, from, link, to);
        canvas->registerItem(link);
    }
}

void ProjectBuilder::placeMemories()
{
    const QVector<MemoryRecord> &records = m_records->memories;
    m_memoryItems.fill(nullptr, records.size());
    for (int i = 0; i < records.size(); ++i) {
        const int c = m_placement->memoryCanvas(i);
        if (c == RecordPlacement::None)
            continue;
        const MemoryRecord &r = records.at(i);
        Canvas *canvas = m_canvases.at(c);
        auto *memory = new MemoryItem(canvas->menu(Canvas::MemoryMenu), r.xCoord, r.yCoord);
        memory->applyRecord(r);
        setStacking(canvas, memory, r.stacking);
        canvas->addItem(memory);
        canvas->registerItem(memory);
        m_memoryItems[i] = memory;
    }
}

void ProjectBuilder::placeDataflows()
{
    const QVector<DataflowRecord> &records = m_records->dataflows;
    for (int i = 0; i < records.size(); ++i) {
        const int c = m_placement->dataflowCanvas(i);
        if (c == RecordPlacement::None)
            continue;
        const DataflowRecord &r = records.at(i);
        Canvas *canvas = m_canvases.at(c);
        ProcessItem *process = m_processItems.at(m_placement->dataflowProcess(i));
        MemoryItem *memory = m_memoryItems.at(m_placement->dataflowMemory(i));
        const bool processFirst = r.lineType == DataflowItem::ProcessToMemory;
        QGraphicsItem *first = processFirst ? static_cast<QGraphicsItem *>(process) : memory;
        QGraphicsItem *second = processFirst ? static_cast<QGraphicsItem *>(memory) : process;
        auto *dataflow = new DataflowItem(canvas->menu(Canvas::DataflowMenu), first, second);
        process->addDataflow(dataflow);
        memory->addDataflow(dataflow);
        dataflow->applyRecord(r);
        setStacking(canvas, dataflow, r.stacking);
        addConnected<DataflowLine>(canvas, first, dataflow, second);
        canvas->registerItem(dataflow);
    }
}

// Every item takes the next place in load order, whether or not the file
// stores a stacking value for it, so the place of each item does not depend
// on the values stored for the others (ProjectSnapshot counts the same way).
// A stored value then replaces the place.
void ProjectBuilder::setStacking(Canvas *canvas, QGraphicsItem *item, double stored)
{
    const qreal place = canvas->nextZValue();
    if (stored == 0) {
        item->setZValue(place);
        return;
    }
    item->setZValue(stored);
    auto top = m_storedTop.find(canvas);
    if (top == m_storedTop.end())
        m_storedTop.insert(canvas, stored);
    else
        *top = qMax(*top, qreal(stored));
}

void ProjectBuilder::coverStoredStacking()
{
    for (auto it = m_storedTop.cbegin(); it != m_storedTop.cend(); ++it)
        it.key()->coverZValue(it.value());
}
