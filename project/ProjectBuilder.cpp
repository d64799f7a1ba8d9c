#include "ProjectBuilder.h"

#include "Canvas.h"
#include "DataflowItem.h"
#include "DataflowLine.h"
#include "LinkItem.h"
#include "LinkLine.h"
#include "MemoryItem.h"
#include "NodePath.h"
#include "ProcessItem.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "TransitionLine.h"
#include "TreeNode.h"

uint qHash(const ProjectBuilder::Key &key, uint seed)
{
    return ::qHash((quint64(uint(key.level)) << 42) ^ (quint64(uint(key.id)) << 21)
                       ^ quint64(uint(key.parentId)),
                   seed);
}

ProjectBuilder::ProjectBuilder(const CanvasSetup &setup) : m_setup(setup) {}

QList<Canvas *> ProjectBuilder::build(const ProjectRecordLists &records)
{
    m_canvases.clear();
    m_slots.clear();
    m_byKey.clear();
    m_notes.clear();
    if (records.processes.isEmpty()) {
        note(QStringLiteral("The project holds no Process record."));
        return {};
    }
    createCanvases(records.processes);
    placeProcesses(records.processes);
    placeStates(records.states);
    placeTransitions(records.transitions);
    placeTexts(records.texts);
    placeLinks(records.links);
    placeMemories(records.memories);
    placeDataflows(records.dataflows);
    registerLists();
    const QList<Canvas *> result = m_canvases;
    m_canvases.clear();
    m_slots.clear();
    m_byKey.clear();
    return result;
}

void ProjectBuilder::createCanvases(const QVector<ProcessRecord> &records)
{
    m_slots.resize(records.size());
    m_byKey.reserve(records.size());
    for (int i = 0; i < records.size(); ++i) {
        const ProcessRecord &r = records.at(i);
        Canvas *canvas = createCanvas(
            m_setup, CanvasIdentity{r.level, r.id, r.nos, r.parentId, r.grandParentId, r.label});
        m_canvases.append(canvas);
        m_slots[i].canvas = canvas;
        const Key key{r.level, r.id, r.parentId};
        if (!m_byKey.contains(key))
            m_byKey.insert(key, i);
    }
    // The first canvas is the project's own (level-1) diagram.
    NodePaths::setCanvasPath(m_canvases.first(), NodePath());
}

int ProjectBuilder::canvasFor(int level, int parentId, int grandParentId, int fileBlock) const
{
    const Key key{level - 1, parentId, grandParentId};
    if (fileBlock >= 0 && fileBlock < m_slots.size()) {
        const Canvas *own = m_slots.at(fileBlock).canvas;
        if (Key{own->level(), own->id(), own->parentId()} == key)
            return fileBlock;
    }
    return m_byKey.value(key, -1);
}

int ProjectBuilder::parentOfProcess(const QVector<ProcessRecord> &records, int index,
                                    const QVector<int> &lastAtLevel) const
{
    const ProcessRecord &r = records.at(index);
    // In a file written depth first, the diagram a process item is drawn on
    // is the nearest Process before it one level up.
    const int nearest = lastAtLevel.at(r.level - 1);
    return canvasFor(r.level, r.parentId, r.grandParentId, nearest);
}

template <typename Record>
ProjectBuilder::Slot *ProjectBuilder::slotFor(const Record &record, int index, const char *kind,
                                              int minLevel, int maxLevel)
{
    if (record.level < minLevel || record.level > maxLevel) {
        note(QStringLiteral("%1 %2 has level %3 (accepted: %4 to %5); it and the %1 "
                            "records after it are not placed.")
                 .arg(QLatin1String(kind))
                 .arg(index + 1)
                 .arg(record.level)
                 .arg(minLevel)
                 .arg(maxLevel));
        return nullptr;
    }
    const int canvas =
        canvasFor(record.level, record.parentId, record.grandParentId, record.fileBlock);
    if (canvas < 0) {
        note(QStringLiteral("%1 %2 (level %3, parentId %4, grandParentId %5) belongs on no "
                            "diagram; it and the %1 records after it are not placed.")
                 .arg(QLatin1String(kind))
                 .arg(index + 1)
                 .arg(record.level)
                 .arg(record.parentId)
                 .arg(record.grandParentId));
        return nullptr;
    }
    return &m_slots[canvas];
}

void ProjectBuilder::placeProcesses(const QVector<ProcessRecord> &records)
{
    QVector<int> lastAtLevel(TreeNode::MaxLevel + 1, -1);
    lastAtLevel[1] = 0;
    for (int i = 1; i < records.size(); ++i) {
        const ProcessRecord &r = records.at(i);
        if (r.level < 1 || r.level > TreeNode::MaxLevel) {
            note(QStringLiteral("Process %1 ('%2') has level %3 (accepted: 1 to 5); it and the "
                                "Process records after it make no process item.")
                     .arg(i + 1)
                     .arg(r.label)
                     .arg(r.level));
            return;
        }
        if (r.level == 1) {   // a project node is drawn on no diagram
            lastAtLevel[1] = i;
            continue;
        }
        const int parent = parentOfProcess(records, i, lastAtLevel);
        if (parent < 0) {
            note(QStringLiteral("Process %1 ('%2', level %3, parentId %4, grandParentId %5) "
                                "belongs on no diagram; it and the Process records after it "
                                "make no process item.")
                     .arg(i + 1)
                     .arg(r.label)
                     .arg(r.level)
                     .arg(r.parentId)
                     .arg(r.grandParentId));
            return;
        }
        Slot &slot = m_slots[parent];
        Canvas *canvas = slot.canvas;
        auto *item = new ProcessItem(canvas->menu(Canvas::ProcessMenu), r.xCoord, r.yCoord,
                                     r.shape);
        item->applyRecord(r);
        item->setZValue(canvas->nextZValue());
        canvas->addItem(item);
        slot.processes.append(item);
        slot.processByLabel.insert(r.label, item);
        bool parentKnown = false;
        const NodePath parentPath = NodePaths::canvasPath(canvas, &parentKnown);
        if (parentKnown)
            NodePaths::setCanvasPath(m_slots.at(i).canvas, parentPath + NodePath{r.id});
        lastAtLevel[r.level] = i;
    }
}

void ProjectBuilder::placeStates(const QVector<StateRecord> &records)
{
    for (int i = 0; i < records.size(); ++i) {
        const StateRecord &r = records.at(i);
        Slot *slot = slotFor(r, i, "StateItem", 6, 6);
        if (!slot)
            return;
        Canvas *canvas = slot->canvas;
        auto *state = new StateItem(canvas->menu(Canvas::StateMenu), r.xCoord, r.yCoord);
        state->applyRecord(r);
        state->setZValue(canvas->nextZValue());
        canvas->addItem(state);
        slot->states.append(state);
        slot->stateByLabel.insert(r.label, state);
        if (state->isInitialState() && !slot->hasInitialMarker) {
            canvas->attachInitialMarker(state);
            slot->hasInitialMarker = true;
        }
    }
}

void ProjectBuilder::placeTransitions(const QVector<TransitionRecord> &records)
{
    for (int i = 0; i < records.size(); ++i) {
        const TransitionRecord &r = records.at(i);
        Slot *slot = slotFor(r, i, "TransitionItem", 6, 6);
        if (!slot)
            return;
        Canvas *canvas = slot->canvas;
        StateItem *from = slot->stateByLabel.value(r.startItem);
        StateItem *to = slot->stateByLabel.value(r.endItem);
        if (!from || !to) {
            note(QStringLiteral("TransitionItem %1 ('%2') on '%3' is not created: no state "
                                "labelled '%4'.")
                     .arg(i + 1)
                     .arg(r.label, canvas->name(), from ? r.endItem : r.startItem));
            continue;
        }
        auto *transition = new TransitionItem(canvas->menu(Canvas::TransitionMenu), from, to);
        auto *startLine = new TransitionLine(from, transition);
        auto *endLine = new TransitionLine(transition, to);
        startLine->setZValue(0);
        endLine->setZValue(0);
        transition->setStartLine(startLine);
        transition->setEndLine(endLine);
        transition->applyRecord(r);
        transition->setZValue(canvas->nextZValue());
        canvas->addItem(transition);
        canvas->addItem(startLine);
        canvas->addItem(endLine);
        from->addTransition(transition);
        if (to != from)
            to->addTransition(transition);
        slot->transitions.append(transition);
    }
}

void ProjectBuilder::placeTexts(const QVector<TextRecord> &records)
{
    for (int i = 0; i < records.size(); ++i) {
        const TextRecord &r = records.at(i);
        Slot *slot = slotFor(r, i, "TextItem", 6, 6);
        if (!slot)
            return;
        Canvas *canvas = slot->canvas;
        auto *text = new TextItem(canvas->menu(Canvas::TextMenu), r.xCoord, r.yCoord);
        text->applyRecord(r);
        text->setZValue(canvas->nextZValue());
        canvas->addItem(text);
        slot->texts.append(text);
    }
}

void ProjectBuilder::placeLinks(const QVector<LinkRecord> &records)
{
    for (int i = 0; i < records.size(); ++i) {
        const LinkRecord &r = records.at(i);
        Slot *slot = slotFor(r, i, "Link", 3, 5);
        if (!slot)
            return;
        Canvas *canvas = slot->canvas;
        ProcessItem *from = slot->processByLabel.value(r.startItem);
        ProcessItem *to = slot->processByLabel.value(r.endItem);
        if (!from || !to || from == to) {
            note(QStringLiteral("Link %1 ('%2') on '%3' is not created: %4.")
                     .arg(i + 1)
                     .arg(r.label, canvas->name(),
                          from && to ? QStringLiteral("both ends are the same process item")
                                     : QStringLiteral("no process item labelled '%1'")
                                           .arg(from ? r.endItem : r.startItem)));
            continue;
        }
        auto *link = new LinkItem(canvas->menu(Canvas::LinkMenu), from, to);
        from->addLink(link);
        to->addLink(link);
        auto *startLine = new LinkLine(from, link);
        auto *endLine = new LinkLine(link, to);
        startLine->setZValue(0);
        endLine->setZValue(0);
        link->setStartLine(startLine);
        link->setEndLine(endLine);
        link->applyRecord(r);
        link->setZValue(canvas->nextZValue());
        canvas->addItem(link);
        canvas->addItem(startLine);
        canvas->addItem(endLine);
        slot->links.append(link);
    }
}

void ProjectBuilder::placeMemories(const QVector<MemoryRecord> &records)
{
    for (int i = 0; i < records.size(); ++i) {
        const MemoryRecord &r = records.at(i);
        Slot *slot = slotFor(r, i, "Memory", 2, 6);
        if (!slot)
            return;
        Canvas *canvas = slot->canvas;
        auto *memory = new MemoryItem(canvas->menu(Canvas::MemoryMenu), r.xCoord, r.yCoord);
        memory->applyRecord(r);
        memory->setZValue(canvas->nextZValue());
        canvas->addItem(memory);
        slot->memories.append(memory);
        slot->memoryByLabel.insert(r.label, memory);
    }
}

void ProjectBuilder::placeDataflows(const QVector<DataflowRecord> &records)
{
    for (int i = 0; i < records.size(); ++i) {
        const DataflowRecord &r = records.at(i);
        Slot *slot = slotFor(r, i, "Dataflow", 2, 5);
        if (!slot)
            return;
        Canvas *canvas = slot->canvas;
        const bool processFirst = r.lineType == DataflowItem::ProcessToMemory;
        if (!processFirst && r.lineType != DataflowItem::MemoryToProcess) {
            note(QStringLiteral("Dataflow %1 ('%2') on '%3' is not created: line type %4 "
                                "names no direction.")
                     .arg(i + 1)
                     .arg(r.label, canvas->name())
                     .arg(r.lineType));
            continue;
        }
        const QString &processLabel = processFirst ? r.startItem : r.endItem;
        const QString &memoryLabel = processFirst ? r.endItem : r.startItem;
        ProcessItem *process = slot->processByLabel.value(processLabel);
        MemoryItem *memory = slot->memoryByLabel.value(memoryLabel);
        if (!process || !memory) {
            note(QStringLiteral("Dataflow %1 ('%2') on '%3' is not created: no %4 labelled "
                                "'%5'.")
                     .arg(i + 1)
                     .arg(r.label, canvas->name(),
                          process ? QStringLiteral("memory item") : QStringLiteral("process item"),
                          process ? memoryLabel : processLabel));
            continue;
        }
        QGraphicsItem *first = processFirst ? static_cast<QGraphicsItem *>(process) : memory;
        QGraphicsItem *second = processFirst ? static_cast<QGraphicsItem *>(memory) : process;
        auto *dataflow = new DataflowItem(canvas->menu(Canvas::DataflowMenu), first, second);
        process->addDataflow(dataflow);
        memory->addDataflow(dataflow);
        auto *startLine = new DataflowLine(first, dataflow);
        auto *endLine = new DataflowLine(dataflow, second);
        startLine->setZValue(0);
        endLine->setZValue(0);
        dataflow->setStartLine(startLine);
        dataflow->setEndLine(endLine);
        dataflow->applyRecord(r);
        dataflow->setZValue(canvas->nextZValue());
        canvas->addItem(dataflow);
        canvas->addItem(startLine);
        canvas->addItem(endLine);
        slot->dataflows.append(dataflow);
    }
}

void ProjectBuilder::registerLists()
{
    // The canvases are new: their lists are set in one go, not item by item.
    for (const Slot &slot : qAsConst(m_slots)) {
        Canvas *canvas = slot.canvas;
        canvas->setProcessItems(slot.processes);
        canvas->setStates(slot.states);
        canvas->setTransitions(slot.transitions);
        canvas->setTextItems(slot.texts);
        canvas->setLinks(slot.links);
        canvas->setMemoryItems(slot.memories);
        canvas->setDataflows(slot.dataflows);
    }
}
