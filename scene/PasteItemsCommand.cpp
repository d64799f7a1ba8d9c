#include "PasteItemsCommand.h"

#include "ConnectedBox.h"

#include "DataflowItem.h"
#include "DataflowLine.h"
#include "ItemNames.h"
#include "ItemTypes.h"
#include "LabelRules.h"
#include "LinkItem.h"
#include "LinkLine.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "TransitionLine.h"
#include <QGraphicsScene>

namespace {

template <class Record> Record moved(Record record, const QPointF &offset)
{
    record.xCoord += offset.x();
    record.yCoord += offset.y();
    return record;
}

} // namespace

PasteItemsCommand::PasteItemsCommand(ItemCanvas *canvas, const ProjectRecordLists &records,
                                     const QPointF &offset,
                                     const QHash<QString, ProcessItem *> &processes,
                                     QUndoCommand *parent)
    : CanvasCommand(canvas, parent), m_processes(processes)
{
    makeStates(records.states, offset);
    makeTexts(records.texts, offset);
    makeMemories(records.memories, offset);
    makeTransitions(records.transitions, offset);
    makeLinks(records.links, offset);
    makeDataflows(records.dataflows, offset);
    setText(ItemNames::stepText(QStringLiteral("Paste"), m_items));
}

void PasteItemsCommand::adopt(DiagramItem *item)
{
    stampIdentity(item);
    m_canvas->keepAlive(item);
    m_items.append(item);
}

void PasteItemsCommand::adoptLines(const QList<QGraphicsItem *> &lines)
{
    for (QGraphicsItem *line : lines)
        m_canvas->keepAlive(line);
}

void PasteItemsCommand::makeStates(const QVector<StateRecord> &records, const QPointF &offset)
{
    // Labels Undo could bring back count as taken; the push drops Redo.
    QSet<QString> used = LabelRules::labelsInUse(*m_canvas, ItemType::State, nullptr, false);
    for (const StateRecord &record : records) {
        StateRecord r = moved(record, offset);
        r.label = LabelRules::copyLabel(record.label, used);
        used.insert(r.label);
        auto *state = new StateItem(m_canvas->menuOf(ItemType::State), r.xCoord, r.yCoord);
        state->applyRecord(r);
        adopt(state);
        m_states.insert(record.label, state);
    }
}

void PasteItemsCommand::makeTexts(const QVector<TextRecord> &records, const QPointF &offset)
{
    for (const TextRecord &record : records) {
        const TextRecord r = moved(record, offset);
        auto *text = new TextItem(m_canvas->menuOf(ItemType::Text), r.xCoord, r.yCoord);
        text->applyRecord(r);
        adopt(text);
    }
}

void PasteItemsCommand::makeMemories(const QVector<MemoryRecord> &records, const QPointF &offset)
{
    QSet<QString> used = LabelRules::labelsInUse(*m_canvas, ItemType::Memory, nullptr, false);
    for (const MemoryRecord &record : records) {
        MemoryRecord r = moved(record, offset);
        r.label = LabelRules::copyLabel(record.label, used);
        used.insert(r.label);
        auto *memory = new MemoryItem(m_canvas->menuOf(ItemType::Memory), r.xCoord, r.yCoord);
        memory->applyRecord(r);
        adopt(memory);
        m_memories.insert(record.label, memory);
    }
}

void PasteItemsCommand::makeTransitions(const QVector<TransitionRecord> &records,
                                        const QPointF &offset)
{
    for (const TransitionRecord &record : records) {
        StateItem *from = m_states.value(record.startItem);
        StateItem *to = m_states.value(record.endItem);
        if (!from || !to)
            continue;
        auto *transition = new TransitionItem(m_canvas->menuOf(ItemType::Transition), from, to);
        transition->applyRecord(moved(record, offset));
        adoptLines(giveConnectorLines<TransitionLine>(transition, from, to));
        adopt(transition);
    }
}

void PasteItemsCommand::makeLinks(const QVector<LinkRecord> &records, const QPointF &offset)
{
    for (const LinkRecord &record : records) {
        ProcessItem *from = m_processes.value(record.startItem);
        ProcessItem *to = m_processes.value(record.endItem);
        if (!from || !to)
            continue;
        auto *link = new LinkItem(m_canvas->menuOf(ItemType::Link), from, to);
        link->applyRecord(moved(record, offset));
        adoptLines(giveConnectorLines<LinkLine>(link, from, to));
        adopt(link);
    }
}

void PasteItemsCommand::makeDataflows(const QVector<DataflowRecord> &records,
                                      const QPointF &offset)
{
    for (const DataflowRecord &record : records) {
        const bool processFirst = record.lineType == DataflowItem::ProcessToMemory;
        ProcessItem *process = m_processes.value(processFirst ? record.startItem : record.endItem);
        MemoryItem *memory = m_memories.value(processFirst ? record.endItem : record.startItem);
        if (!process || !memory)
            continue;
        QGraphicsItem *first = processFirst ? static_cast<QGraphicsItem *>(process) : memory;
        QGraphicsItem *second = processFirst ? static_cast<QGraphicsItem *>(memory) : process;
        auto *dataflow = new DataflowItem(m_canvas->menuOf(ItemType::Dataflow), first, second);
        dataflow->applyRecord(moved(record, offset));
        adoptLines(giveConnectorLines<DataflowLine>(dataflow, first, second));
        adopt(dataflow);
    }
}

void PasteItemsCommand::redo()
{
    // Boxes before the connectors that need them on the canvas.
    m_applied = false;
    for (DiagramItem *item : qAsConst(m_items))
        m_applied = putItemBack(item) || m_applied;
    m_canvas->graphicsScene()->clearSelection();
    for (DiagramItem *item : qAsConst(m_items)) {
        if (m_canvas->registeredItem(item))
            item->setSelected(true);
    }
    repaint();
}

void PasteItemsCommand::undo()
{
    if (m_applied) {
        for (int i = m_items.size() - 1; i >= 0; --i)
            takeItemAway(m_items.at(i));
    }
    repaint();
}
