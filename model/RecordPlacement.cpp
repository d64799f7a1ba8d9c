#include "RecordPlacement.h"

#include "SubMachineLevels.h"

#include <QSet>

namespace {

// The deepest node level; level-5 canvases open nothing.
constexpr int MaxNodeLevel = 5;

QString orEmpty(const QString &label)
{
    return label.isNull() ? QStringLiteral("") : label;
}

// Per canvas, label -> the last placed record carrying it.
template <typename Record>
QHash<int, QHash<QString, int>> labelIndex(const QVector<Record> &records, const QVector<int> &canvasOf)
{
    QHash<int, QHash<QString, int>> index;
    for (int i = 0; i < canvasOf.size(); ++i) {
        if (canvasOf.at(i) != RecordPlacement::None)
            index[canvasOf.at(i)].insert(records.at(i).label, i);
    }
    return index;
}

} // namespace

uint qHash(const RecordPlacement::Key &key, uint seed)
{
    return ::qHash((quint64(uint(key.level)) << 42) ^ (quint64(uint(key.id)) << 21)
                       ^ quint64(uint(key.parentId)),
                   seed);
}

RecordPlacement::RecordPlacement(const ProjectRecordLists &records)
    : m_records(&records), m_notes(records.readNotes)
{
    const QVector<ProcessRecord> &processes = records.processes;
    m_paths.resize(processes.size());
    m_pathKnown.fill(false, processes.size());
    m_names.reserve(processes.size());
    for (int i = 0; i < processes.size(); ++i) {
        const ProcessRecord &p = processes.at(i);
        m_names << p.label;
        const Key key{p.level, p.id, p.parentId};
        if (!m_byKey.contains(key))
            m_byKey.insert(key, i);
    }
    if (!processes.isEmpty())
        m_pathKnown[0] = true;   // the project's own canvas
    m_processCanvas.fill(None, processes.size());
    m_subParent.fill(None, processes.size());
    m_holder.fill(None, processes.size());
    m_stateCanvas.fill(None, records.states.size());
    m_transitionCanvas.fill(None, records.transitions.size());
    m_textCanvas.fill(None, records.texts.size());
    m_linkCanvas.fill(None, records.links.size());
    m_memoryCanvas.fill(None, records.memories.size());
    m_dataflowCanvas.fill(None, records.dataflows.size());
    m_transitionEnds.fill(Ends(None, None), records.transitions.size());
    m_linkEnds.fill(Ends(None, None), records.links.size());
    m_dataflowEnds.fill(Ends(None, None), records.dataflows.size());

    placeProcesses();
    placeStates();
    joinSubMachines();
    placeTransitions();
    placeTexts();
    placeLinks();
    placeMemories();
    placeDataflows();
    walkTree();
    noteUnreachable();
    noteProjectCanvasItems();
    noteAmbiguousLabels();
    m_records = nullptr;
}

QVector<int> RecordPlacement::path(int canvas, bool *known) const
{
    const bool has = canvas >= 0 && canvas < m_paths.size() && m_pathKnown.at(canvas);
    if (known)
        *known = has;
    return has ? m_paths.at(canvas) : QVector<int>();
}

QString RecordPlacement::canvasName(int canvas) const
{
    return canvas >= 0 && canvas < m_names.size() ? m_names.at(canvas) : QString();
}

void RecordPlacement::note(LoadNote::Effect effect, const char *kind, const QString &label,
                           int canvas, const QString &reason)
{
    LoadNote n;
    n.effect = effect;
    n.kind = QLatin1String(kind);
    n.label = label;
    n.diagram = canvasName(canvas);
    n.reason = reason;
    m_notes << n;
}

int RecordPlacement::canvasFor(int level, int parentId, int grandParentId, int block) const
{
    const Key key{level - 1, parentId, grandParentId};
    if (block >= 0 && block < m_names.size()) {
        const ProcessRecord &own = m_records->processes.at(block);
        if (Key{own.level, own.id, own.parentId} == key)
            return block;
    }
    return m_byKey.value(key, None);
}

template <typename Record>
int RecordPlacement::placeItem(const Record &record, const char *kind, const QString &label,
                               int minLevel, int maxLevel)
{
    if (record.level < minLevel || record.level > maxLevel) {
        note(LoadNote::Effect::NotKept, kind, label, None,
             QStringLiteral("level %1 is not one of %2 to %3; not kept")
                 .arg(record.level)
                 .arg(minLevel)
                 .arg(maxLevel));
        return None;
    }
    const int canvas = canvasFor(record.level, record.parentId, record.grandParentId, record.fileBlock);
    if (canvas == None) {
        note(LoadNote::Effect::NotKept, kind, label, None,
             QStringLiteral("no diagram has the numbers it names (level %1, id %2, parentId %3); "
                            "not kept")
                 .arg(record.level - 1)
                 .arg(record.parentId)
                 .arg(record.grandParentId));
    }
    return canvas;
}

void RecordPlacement::placeProcesses()
{
    const QVector<ProcessRecord> &records = m_records->processes;
    QVector<int> lastAtLevel(DeepestCanvasLevel + 1, None);
    lastAtLevel[1] = 0;
    for (int i = 1; i < records.size(); ++i) {
        const ProcessRecord &r = records.at(i);
        if (isSubMachineLevel(r.level)) {
            placeSubMachineBlock(i, lastAtLevel);
            lastAtLevel[r.level] = i;
            continue;
        }
        if (r.level < 1 || r.level > MaxNodeLevel) {
            note(LoadNote::Effect::NotKept, "Process item", orEmpty(r.label), None,
                 QStringLiteral("level %1 is not one of 1 to %2; not kept").arg(r.level).arg(MaxNodeLevel));
            continue;
        }
        if (r.level == 1) {   // a project node is drawn on no diagram
            lastAtLevel[1] = i;
            continue;
        }
        const int canvas = canvasFor(r.level, r.parentId, r.grandParentId, lastAtLevel.at(r.level - 1));
        if (canvas == None) {
            note(LoadNote::Effect::NotKept, "Process item", orEmpty(r.label), None,
                 QStringLiteral("no diagram has the numbers it names (level %1, id %2, parentId "
                                "%3); it and its diagram are not kept")
                     .arg(r.level - 1)
                     .arg(r.parentId)
                     .arg(r.grandParentId));
            continue;
        }
        m_processCanvas[i] = canvas;
        m_on[canvas].processes << i;
        if (m_pathKnown.at(canvas)) {
            m_paths[i] = m_paths.at(canvas) + QVector<int>{r.id};
            m_pathKnown[i] = true;
        }
        lastAtLevel[r.level] = i;
    }
}

void RecordPlacement::placeSubMachineBlock(int record, const QVector<int> &lastAtLevel)
{
    const ProcessRecord &r = m_records->processes.at(record);
    const int parent = canvasFor(r.level, r.parentId, r.grandParentId, lastAtLevel.at(r.level - 1));
    if (parent == None) {
        note(LoadNote::Effect::NotKept, "Sub-machine", orEmpty(r.label), None,
             QStringLiteral("no diagram has the numbers it names (level %1, id %2, parentId %3); "
                            "its diagram and everything on it are not kept")
                 .arg(r.level - 1)
                 .arg(r.parentId)
                 .arg(r.grandParentId));
        return;
    }
    m_subParent[record] = parent;
}

bool RecordPlacement::holdsSubMachine(int stateRecord) const
{
    return m_holdsSubMachine.contains(stateRecord);
}

// Joins every sub-machine diagram to the state it belongs to, once the
// states are placed.
void RecordPlacement::joinSubMachines()
{
    const QVector<StateRecord> &states = m_records->states;
    QHash<int, QHash<QString, int>> holderByLabel;   // canvas -> label -> last state holding one
    for (int i = 0; i < states.size(); ++i) {
        const int canvas = m_stateCanvas.at(i);
        if (canvas == None || states.at(i).subMachine.isEmpty())
            continue;
        if (m_records->processes.at(canvas).level >= DeepestCanvasLevel) {
            note(LoadNote::Effect::NotKept, "Sub-machine", orEmpty(states.at(i).label), canvas,
                 QStringLiteral("sub-machines go at most %1 levels below their machine; not kept")
                     .arg(MaxSubMachineDepth));
            continue;
        }
        m_holdsSubMachine.insert(i);
        holderByLabel[canvas].insert(states.at(i).label, i);
    }
    for (int c = 0; c < m_subParent.size(); ++c) {
        const int parent = m_subParent.at(c);
        if (parent == None)
            continue;
        const QString &label = m_records->processes.at(c).label;
        const int holder = holderByLabel.value(parent).value(label, None);
        if (holder == None || m_subMachineOf.contains(holder)) {
            note(LoadNote::Effect::NotKept, "Sub-machine", orEmpty(label), parent,
                 holder == None
                     ? QStringLiteral("no state with this label holds a sub-machine there; "
                                      "its diagram and everything on it are not kept")
                     : QStringLiteral("its state has a sub-machine diagram already; this diagram "
                                      "and everything on it are not kept"));
            m_subParent[c] = None;
            continue;
        }
        m_holder[c] = holder;
        m_subMachineOf.insert(holder, c);
        m_subMachinesOn[parent] << c;
        if (m_pathKnown.at(parent)) {
            m_paths[c] = m_paths.at(parent) + QVector<int>{m_subMachinesOn.value(parent).size()};
            m_pathKnown[c] = true;
        }
    }
}

void RecordPlacement::placeStates()
{
    const QVector<StateRecord> &records = m_records->states;
    for (int i = 0; i < records.size(); ++i) {
        m_stateCanvas[i] = placeItem(records.at(i), "State", orEmpty(records.at(i).label),
                                     MachineCanvasLevel + 1, DeepestCanvasLevel + 1);
        if (m_stateCanvas.at(i) != None)
            m_on[m_stateCanvas.at(i)].states << i;
    }
}

void RecordPlacement::placeTransitions()
{
    const QVector<TransitionRecord> &records = m_records->transitions;
    QHash<int, QHash<QString, int>> stateByLabel = labelIndex(m_records->states, m_stateCanvas);
    for (int i = 0; i < records.size(); ++i) {
        const TransitionRecord &r = records.at(i);
        const int canvas = placeItem(r, "Transition", orEmpty(r.label), MachineCanvasLevel + 1,
                                     DeepestCanvasLevel + 1);
        if (canvas == None)
            continue;
        const QHash<QString, int> &states = stateByLabel[canvas];
        const int from = states.value(r.startItem, None);
        const int to = states.value(r.endItem, None);
        if (from == None || to == None) {
            note(LoadNote::Effect::NotKept, "Transition", orEmpty(r.label), canvas,
                 QStringLiteral("no state labelled '%1'; not kept").arg(from == None ? r.startItem : r.endItem));
            continue;
        }
        m_transitionCanvas[i] = canvas;
        m_transitionEnds[i] = Ends(from, to);
        m_on[canvas].transitions << i;
    }
}

void RecordPlacement::placeTexts()
{
    const QVector<TextRecord> &records = m_records->texts;
    for (int i = 0; i < records.size(); ++i) {
        const int canvas = placeItem(records.at(i), "Text item", QString(), MachineCanvasLevel + 1,
                                     DeepestCanvasLevel + 1);
        m_textCanvas[i] = canvas;
        if (canvas != None)
            m_on[canvas].texts << i;
    }
}

void RecordPlacement::placeLinks()
{
    const QVector<LinkRecord> &records = m_records->links;
    QHash<int, QHash<QString, int>> processByLabel = labelIndex(m_records->processes, m_processCanvas);
    for (int i = 0; i < records.size(); ++i) {
        const LinkRecord &r = records.at(i);
        const int canvas = placeItem(r, "Link", orEmpty(r.label), 3, 5);
        if (canvas == None)
            continue;
        const QHash<QString, int> &items = processByLabel[canvas];
        const int from = items.value(r.startItem, None);
        const int to = items.value(r.endItem, None);
        if (from == None || to == None || from == to) {
            note(LoadNote::Effect::NotKept, "Link", orEmpty(r.label), canvas,
                 from == None || to == None
                     ? QStringLiteral("no process item labelled '%1'; not kept")
                           .arg(from == None ? r.startItem : r.endItem)
                     : QStringLiteral("both ends are the same process item; not kept"));
            continue;
        }
        m_linkCanvas[i] = canvas;
        m_linkEnds[i] = Ends(from, to);
        m_on[canvas].links << i;
    }
}

void RecordPlacement::placeMemories()
{
    const QVector<MemoryRecord> &records = m_records->memories;
    for (int i = 0; i < records.size(); ++i) {
        const int canvas = placeItem(records.at(i), "Memory item", orEmpty(records.at(i).label), 2,
                                     DeepestCanvasLevel + 1);
        m_memoryCanvas[i] = canvas;
        if (canvas != None)
            m_on[canvas].memories << i;
    }
}

void RecordPlacement::placeDataflows()
{
    const QVector<DataflowRecord> &records = m_records->dataflows;
    QHash<int, QHash<QString, int>> processByLabel = labelIndex(m_records->processes, m_processCanvas);
    QHash<int, QHash<QString, int>> memoryByLabel = labelIndex(m_records->memories, m_memoryCanvas);
    for (int i = 0; i < records.size(); ++i) {
        const DataflowRecord &r = records.at(i);
        const int canvas = placeItem(r, "Dataflow", orEmpty(r.label), 2, 5);
        if (canvas == None)
            continue;
        if (r.lineType != 1 && r.lineType != 2) {
            note(LoadNote::Effect::NotKept, "Dataflow", orEmpty(r.label), canvas,
                 QStringLiteral("line type %1 names no direction; not kept").arg(r.lineType));
            continue;
        }
        const bool processFirst = r.lineType == 1;
        const QString &processLabel = processFirst ? r.startItem : r.endItem;
        const QString &memoryLabel = processFirst ? r.endItem : r.startItem;
        const int process = processByLabel[canvas].value(processLabel, None);
        const int memory = memoryByLabel[canvas].value(memoryLabel, None);
        if (process == None || memory == None) {
            note(LoadNote::Effect::NotKept, "Dataflow", orEmpty(r.label), canvas,
                 process == None ? QStringLiteral("no process item labelled '%1'; not kept").arg(processLabel)
                                 : QStringLiteral("no memory item labelled '%1'; not kept").arg(memoryLabel));
            continue;
        }
        m_dataflowCanvas[i] = canvas;
        m_dataflowEnds[i] = Ends(process, memory);
        m_on[canvas].dataflows << i;
    }
}

void RecordPlacement::walkTree()
{
    if (m_names.isEmpty())
        return;
    // Canvases by path, the first of a path winning, as the program's
    // canvas index has it.
    QHash<QVector<int>, int> byPath;
    for (int c = 0; c < m_paths.size(); ++c) {
        if (m_pathKnown.at(c) && !byPath.contains(m_paths.at(c)))
            byPath.insert(m_paths.at(c), c);
    }
    struct Frame
    {
        int canvas;
        int next;
    };
    QVector<Frame> stack{Frame{0, 0}};
    m_reachable << Visit{0, 0};
    while (!stack.isEmpty()) {
        Frame &top = stack.last();
        if (isMachineCanvasLevel(m_records->processes.at(top.canvas).level)) {
            // A machine's diagram leads to its sub-machines, each opened by
            // its own record.
            const QVector<int> subMachines = m_subMachinesOn.value(top.canvas);
            if (top.next >= subMachines.size()) {
                stack.removeLast();
                continue;
            }
            const int sub = subMachines.at(top.next++);
            m_reachable << Visit{sub, sub};
            stack << Frame{sub, 0};
            continue;
        }
        const QVector<int> items = m_on.value(top.canvas).processes;
        const QVector<int> base = m_paths.at(top.canvas);
        if (base.size() >= MaxNodeLevel - 1 || top.next >= items.size()) {
            stack.removeLast();
            continue;
        }
        const int item = items.at(top.next++);
        const int child = byPath.value(base + QVector<int>{m_records->processes.at(item).id}, None);
        if (child == None)
            continue;
        m_reachable << Visit{child, item};
        stack << Frame{child, 0};
    }
}

void RecordPlacement::noteUnreachable()
{
    QVector<bool> reached(m_names.size(), false);
    QSet<QVector<int>> reachedPaths;
    for (const Visit &visit : qAsConst(m_reachable)) {
        reached[visit.canvas] = true;
        reachedPaths.insert(m_paths.at(visit.canvas));
    }
    for (int c = 1; c < m_names.size(); ++c) {
        if (reached.at(c))
            continue;
        if (m_records->processes.at(c).level == 1) {
            note(LoadNote::Effect::NotKept, "Process item", orEmpty(m_names.at(c)), None,
                 QStringLiteral("a second project node; it and its diagram are not kept"));
            continue;
        }
        if (m_processCanvas.at(c) == None)
            continue;   // the item itself has its note already
        note(LoadNote::Effect::NotKept, "Process item", orEmpty(m_names.at(c)), m_processCanvas.at(c),
             m_pathKnown.at(c) && reachedPaths.contains(m_paths.at(c))
                 ? QStringLiteral("another diagram already has its place in the project tree; "
                                  "its diagram and everything on it are not kept")
                 : QStringLiteral("the diagram it is drawn on is not part of the project tree; "
                                  "its diagram and everything on it are not kept"));
    }
}

void RecordPlacement::noteProjectCanvasItems()
{
    // The project canvas's own links, memory items and dataflows are never
    // saved.
    const Contents items = m_on.value(0);
    const QString why = QStringLiteral("the project's own diagram keeps no such items; not kept");
    for (int m : items.memories)
        note(LoadNote::Effect::NotKept, "Memory item", orEmpty(m_records->memories.at(m).label), 0, why);
    for (int d : items.dataflows)
        note(LoadNote::Effect::NotKept, "Dataflow", orEmpty(m_records->dataflows.at(d).label), 0, why);
}

void RecordPlacement::noteSharedIds(const QVector<int> &processes, int canvas)
{
    QHash<int, int> count;
    for (int p : processes)
        ++count[m_records->processes.at(p).id];
    QSet<int> told;
    for (int p : processes) {
        const int id = m_records->processes.at(p).id;
        if (count.value(id) < 2 || told.contains(id))
            continue;
        told.insert(id);
        note(LoadNote::Effect::Ambiguous, "Process item", orEmpty(m_records->processes.at(p).label), canvas,
             QStringLiteral("%1 process items have the id %2, so they open the same diagram")
                 .arg(count.value(id))
                 .arg(id));
    }
}

void RecordPlacement::noteAmbiguousLabels()
{
    const auto check = [this](const char *kind, const char *plural, const QVector<int> &indices,
                              auto labelOf, bool emptyIsAmbiguous, int canvas) {
        QHash<QString, int> count;
        for (int i : indices)
            ++count[labelOf(i)];
        QSet<QString> told;
        for (int i : indices) {
            const QString label = labelOf(i);
            if (told.contains(label))
                continue;
            if (count.value(label) > 1) {
                told.insert(label);
                note(LoadNote::Effect::Ambiguous, kind, label, canvas,
                     QStringLiteral("%1 %2 carry this label; connections by label go to the last one")
                         .arg(count.value(label))
                         .arg(QLatin1String(plural)));
            } else if (emptyIsAmbiguous && label.isEmpty()) {
                note(LoadNote::Effect::Ambiguous, kind, label, canvas,
                     QStringLiteral("has no label, so connections cannot name it apart"));
            }
        }
    };
    const ProjectRecordLists &r = *m_records;
    // Kind by kind, each over the canvases in order.
    for (int c = 0; c < m_names.size(); ++c) {
        const QVector<int> processes = m_on.value(c).processes;
        check("Process item", "process items", processes,
              [&r](int i) { return orEmpty(r.processes.at(i).label); }, true, c);
        noteSharedIds(processes, c);
    }
    for (int c = 0; c < m_names.size(); ++c)
        check("State", "states", m_on.value(c).states, [&r](int i) { return orEmpty(r.states.at(i).label); },
              true, c);
    for (int c = 0; c < m_names.size(); ++c)
        check("Memory item", "memory items", m_on.value(c).memories,
              [&r](int i) { return orEmpty(r.memories.at(i).label); }, false, c);
}
