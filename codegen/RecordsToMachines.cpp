#include "RecordsToMachines.h"

#include <QHash>
#include <QPair>

namespace {

using CanvasKey = QPair<int, QPair<int, int>>;   // level, id, parentId

CanvasKey canvasKey(int level, int id, int parentId)
{
    return qMakePair(level, qMakePair(id, parentId));
}

// The canvases of the project, one per process record, and which records of
// each kind landed on which canvas.
class Placement
{
public:
    explicit Placement(const RecordsToMachines::Records &r)
    {
        // Walk backwards so that the first canvas of an identity wins.
        for (int i = r.processes.size() - 1; i >= 0; --i) {
            const ProcessRecord &p = r.processes.at(i);
            m_canvases[canvasKey(p.level, p.id, p.parentId)] = i;
        }
        for (int i = 0; i < r.processes.size(); ++i) {
            const ProcessRecord &p = r.processes.at(i);
            if (p.level >= 2 && p.level <= 5)
                place(m_processes, p.level, p.parentId, p.grandParentId, i);
        }
        placeAll(m_states, r.states, 6, 6);
        placeAll(m_transitions, r.transitions, 6, 6);
        placeAll(m_texts, r.texts, 6, 6);
        placeAll(m_memories, r.memories, 2, 6);
        placeAll(m_dataflows, r.dataflows, 2, 5);
    }

    int canvas(int level, int id, int parentId) const
    {
        return m_canvases.value(canvasKey(level, id, parentId), -1);
    }

    QVector<int> processes(int canvas) const { return m_processes.value(canvas); }
    QVector<int> states(int canvas) const { return m_states.value(canvas); }
    QVector<int> transitions(int canvas) const { return m_transitions.value(canvas); }
    QVector<int> texts(int canvas) const { return m_texts.value(canvas); }
    QVector<int> memories(int canvas) const { return m_memories.value(canvas); }
    QVector<int> dataflows(int canvas) const { return m_dataflows.value(canvas); }

private:
    using ItemsByCanvas = QHash<int, QVector<int>>;

    void place(ItemsByCanvas &items, int level, int parentId, int grandParentId, int index)
    {
        const int c = canvas(level - 1, parentId, grandParentId);
        if (c >= 0)
            items[c].append(index);
    }

    template <typename Record>
    void placeAll(ItemsByCanvas &items, const QVector<Record> &records, int minLevel, int maxLevel)
    {
        for (int i = 0; i < records.size(); ++i) {
            const Record &rec = records.at(i);
            if (rec.level >= minLevel && rec.level <= maxLevel)
                place(items, rec.level, rec.parentId, rec.grandParentId, i);
        }
    }

    QHash<CanvasKey, int> m_canvases;
    ItemsByCanvas m_processes;
    ItemsByCanvas m_states;
    ItemsByCanvas m_transitions;
    ItemsByCanvas m_texts;
    ItemsByCanvas m_memories;
    ItemsByCanvas m_dataflows;
};

// Label -> position of the last item carrying it, over a list of records.
template <typename Record>
QHash<QString, int> lastByLabel(const QVector<Record> &records, const QVector<int> &indices)
{
    QHash<QString, int> byLabel;
    for (int i = 0; i < indices.size(); ++i)
        byLabel.insert(records.at(indices.at(i)).label, i);
    return byLabel;
}

void addStatesAndTransitions(const RecordsToMachines::Records &r, const Placement &placement, int canvas,
                             MachineDescription &m)
{
    const QVector<int> states = placement.states(canvas);
    for (int index : states) {
        const StateRecord &s = r.states.at(index);
        MachineState state;
        state.label = s.label;
        state.description = s.description;
        state.action = s.action;
        state.initial = s.ifInitialState;
        state.initialCondition = s.initialCondition;
        state.initialDescription = s.initialDescription;
        m.states << state;
    }
    const QHash<QString, int> stateByLabel = lastByLabel(r.states, states);
    for (int index : placement.transitions(canvas)) {
        const TransitionRecord &t = r.transitions.at(index);
        const int start = stateByLabel.value(t.startItem, -1);
        const int end = stateByLabel.value(t.endItem, -1);
        if (start < 0 || end < 0)
            continue;   // not joined to the diagram
        MachineTransition transition;
        transition.label = t.label;
        transition.condition = t.condition;
        transition.action = t.action;
        transition.start = start;
        transition.end = end;
        const int position = m.transitions.size();
        m.transitions << transition;
        if (start != end) {   // self transitions stay out of the ordinary lists
            m.states[start].transitions << position;
            m.states[end].transitions << position;
        }
    }
    m.transitionCount = m.transitions.size();
}

void addTextsAndMemories(const RecordsToMachines::Records &r, const Placement &placement, int canvas,
                         MachineDescription &m)
{
    for (int index : placement.texts(canvas))
        m.texts << MachineText { r.texts.at(index).type, r.texts.at(index).action };
    for (int index : placement.memories(canvas))
        m.memories << MachineMemory { r.memories.at(index).label, r.memories.at(index).datatype };
}

// What a software module's diagram tells about the machines under it:
// which process item stands for which node, and the dataflows counted on
// each process item (from it, lineType 1, an output; into it, 2, an input).
// Built once per diagram.
struct ModuleDiagram
{
    QHash<QString, int> firstItemOfNode;    // node key -> position of its first process item
    QHash<int, int> inputs;                 // process position -> count
    QHash<int, int> outputs;

    static QString nodeKey(const ProcessRecord &p)
    {
        return QStringLiteral("%1/%2/%3/%4/%5/").arg(p.level).arg(p.id).arg(p.parentId).arg(p.grandParentId).arg(p.nos)
            + p.label;
    }

    ModuleDiagram(const RecordsToMachines::Records &r, const Placement &placement, int canvas)
    {
        const QVector<int> processes = placement.processes(canvas);
        for (int p = processes.size() - 1; p >= 0; --p)
            firstItemOfNode.insert(nodeKey(r.processes.at(processes.at(p))), p);
        const QHash<QString, int> processByLabel = lastByLabel(r.processes, processes);
        const QHash<QString, int> memoryByLabel = lastByLabel(r.memories, placement.memories(canvas));
        for (int index : placement.dataflows(canvas)) {
            const DataflowRecord &d = r.dataflows.at(index);
            if (d.lineType != 1 && d.lineType != 2)
                continue;
            const QString &processLabel = d.lineType == 1 ? d.startItem : d.endItem;
            const QString &memoryLabel = d.lineType == 1 ? d.endItem : d.startItem;
            if (!memoryByLabel.contains(memoryLabel) || !processByLabel.contains(processLabel))
                continue;   // such a dataflow is not created
            ++(d.lineType == 1 ? outputs : inputs)[processByLabel.value(processLabel)];
        }
    }
};

} // namespace

QVector<MachineDescription> RecordsToMachines::build(const Records &r)
{
    const Placement placement(r);
    QHash<int, ModuleDiagram> modules;   // by canvas
    QVector<MachineDescription> machines;
    for (int i = 0; i < r.processes.size(); ++i) {
        const ProcessRecord &node = r.processes.at(i);
        if (node.level != 5)
            continue;
        const int parentCanvas = placement.canvas(4, node.parentId, node.grandParentId);
        if (parentCanvas < 0)
            continue;
        auto module = modules.find(parentCanvas);
        if (module == modules.end())
            module = modules.insert(parentCanvas, ModuleDiagram(r, placement, parentCanvas));
        // The process item standing for the machine on its parent diagram.
        const int position = module->firstItemOfNode.value(ModuleDiagram::nodeKey(node), -1);
        if (position < 0)
            continue;
        const ProcessRecord &process = r.processes.at(placement.processes(parentCanvas).at(position));
        MachineDescription m;
        m.processLabel = process.label;
        m.processDescription = process.description;
        // Items land on the first canvas of this identity only.
        const int canvas = placement.canvas(5, node.id, node.parentId);
        if (canvas == i) {
            addStatesAndTransitions(r, placement, canvas, m);
            addTextsAndMemories(r, placement, canvas, m);
        }
        m.inputVariables = module->inputs.value(position);
        m.outputVariables = module->outputs.value(position);
        machines << m;
    }
    return machines;
}
