#include "RecordsToMachines.h"

#include "RecordPlacement.h"
#include "SubMachineLevels.h"

#include <QHash>

namespace {

MachineState machineState(const StateRecord &s)
{
    MachineState state;
    state.label = s.label;
    state.description = s.description;
    state.action = s.action;
    state.entryAction = s.entryAction;
    state.exitAction = s.exitAction;
    state.initial = s.ifInitialState;
    state.initialCondition = s.initialCondition;
    state.initialDescription = s.initialDescription;
    state.resumes = resumesSubMachine(s.subMachine);
    return state;
}

void addStatesAndTransitions(const RecordsToMachines::Records &r, const RecordPlacement &placement,
                             int canvas, MachineDescription &m)
{
    QHash<int, int> position;   // state record -> index in the machine
    for (int index : placement.statesOn(canvas)) {
        position.insert(index, m.states.size());
        m.states << machineState(r.states.at(index));
    }
    for (int index : placement.transitionsOn(canvas)) {
        const TransitionRecord &t = r.transitions.at(index);
        MachineTransition transition;
        transition.label = t.label;
        transition.condition = t.condition;
        transition.action = t.action;
        transition.start = position.value(placement.transitionStart(index));
        transition.end = position.value(placement.transitionEnd(index));
        const int at = m.transitions.size();
        m.transitions << transition;
        if (transition.start != transition.end) {   // self transitions stay out of the ordinary lists
            m.states[transition.start].transitions << at;
            m.states[transition.end].transitions << at;
        } else if (transition.start >= 0) {
            m.states[transition.start].selfTransitions << at;
        }
    }
    m.transitionCount = m.transitions.size();
}

void addTextsAndMemories(const RecordsToMachines::Records &r, const RecordPlacement &placement,
                         int canvas, MachineDescription &m)
{
    for (int index : placement.textsOn(canvas))
        m.texts << MachineText{ r.texts.at(index).type, r.texts.at(index).action };
    for (int index : placement.memoriesOn(canvas))
        m.memories << MachineMemory{ r.memories.at(index).label, r.memories.at(index).datatype };
}

void addDataflows(const RecordsToMachines::Records &r, const RecordPlacement &placement,
                    int process, MachineDescription &m)
{
    const int module = placement.processCanvas(process);
    for (int index : placement.dataflowsOn(module)) {
        if (placement.dataflowProcess(index) != process)
            continue;
        const bool output = r.dataflows.at(index).lineType == 1;
        ++(output ? m.outputVariables : m.inputVariables);
        const MemoryRecord &memory = r.memories.at(placement.dataflowMemory(index));
        (output ? m.outputs : m.inputs) << MachineMemory{ memory.label, memory.datatype };
    }
}

// The diagram `canvas` (a sub-machine's; None: a holder whose diagram is
// not stored, which holds an empty one) as a sub-machine of `top`, then its
// own sub-machines, depth first.
void addSubMachine(const RecordsToMachines::Records &r, const RecordPlacement &placement, int canvas,
                   const QString &holderLabel, int parent, int holder, MachineDescription &top);

// The sub-machines of the diagram `canvas`, whose description is `diagram`
// (-1: the top-level machine), in the order of their blocks; then an empty
// one for each holder whose diagram is not stored, in state order.
void addSubMachinesOf(const RecordsToMachines::Records &r, const RecordPlacement &placement, int canvas,
                      int diagram, MachineDescription &top)
{
    const QVector<int> states = placement.statesOn(canvas);
    auto holderIndex = [&](int stateRecord) { return states.indexOf(stateRecord); };
    for (int sub : placement.subMachinesOn(canvas)) {
        const int holder = holderIndex(placement.holderOf(sub));
        if (holder >= 0)
            addSubMachine(r, placement, sub, r.states.at(states.at(holder)).label, diagram, holder, top);
    }
    for (int i = 0; i < states.size(); ++i) {
        if (!r.states.at(states.at(i)).subMachine.isEmpty() && placement.subMachineOf(states.at(i)) == RecordPlacement::None)
            addSubMachine(r, placement, RecordPlacement::None, r.states.at(states.at(i)).label, diagram, i, top);
    }
}

void addSubMachine(const RecordsToMachines::Records &r, const RecordPlacement &placement, int canvas,
                   const QString &holderLabel, int parent, int holder, MachineDescription &top)
{
    MachineDescription sub;
    sub.processLabel = holderLabel;
    sub.style = top.style;
    sub.counterType = top.counterType;
    sub.parent = parent;
    sub.holder = holder;
    if (canvas != RecordPlacement::None) {
        sub.nodePath = placement.path(canvas);
        addStatesAndTransitions(r, placement, canvas, sub);
        addTextsAndMemories(r, placement, canvas, sub);
    }
    const int index = int(top.subMachines.size());
    (parent < 0 ? top : top.subMachines.at(size_t(parent))).states[holder].subMachine = index;
    top.subMachines.push_back(sub);
    if (canvas != RecordPlacement::None)
        addSubMachinesOf(r, placement, canvas, index, top);
}

// The project's root process (level 1), or null.
const ProcessRecord *rootProcess(const RecordsToMachines::Records &r)
{
    for (const ProcessRecord &process : r.processes) {
        if (process.level == 1)
            return &process;
    }
    return nullptr;
}

} // namespace

ModuleStyle RecordsToMachines::style(const QString &machineStyle, const QString &projectDefault)
{
    const QString chosen = machineStyle.isEmpty() ? projectDefault : machineStyle;
    return chosen == QLatin1String(InstanceStyle) ? ModuleStyle::Instance : ModuleStyle::Classic;
}

QVector<MachineDescription> RecordsToMachines::build(const Records &r, LoadNotes *notes)
{
    const RecordPlacement placement(r);
    if (notes)
        *notes = placement.notes();
    QVector<MachineDescription> machines;
    const ProcessRecord *root = rootProcess(r);
    const QString projectDefault = root ? root->codeStyle : QString();
    const QString counterType = root ? root->counterType : QString();
    for (const RecordPlacement::Visit &visit : placement.reachable()) {
        const int canvas = visit.canvas;
        const ProcessRecord &node = r.processes.at(visit.opener);
        if (r.processes.at(canvas).level != 5)
            continue;
        MachineDescription m;
        m.processLabel = node.label;
        m.processDescription = node.description;
        m.style = style(node.codeStyle, projectDefault);
        m.counterType = counterType;
        m.nodePath = placement.path(canvas);
        addStatesAndTransitions(r, placement, canvas, m);
        addTextsAndMemories(r, placement, canvas, m);
        addDataflows(r, placement, visit.opener, m);
        addSubMachinesOf(r, placement, canvas, -1, m);
        machines << m;
    }
    return machines;
}
