#pragma once

// What the classic and the instance emitter both keep while they write one
// module: the machine, the diagram being written (the top-level machine
// unless a sub-machine is selected) with its state names, initial state and
// time in state, what is left of the size budget and the two files. Each
// emitter's run adds its own names and selects a diagram (`select`).
// QtCore only.

#include "CEmitter.h"
#include "CodeText.h"
#include "ItemRef.h"
#include "SubMachineEmitter.h"

#include <memory>

struct ModuleRun
{
    const MachineDescription &top;
    const MachineDescription *machine;
    int diagram = -1;               // -1: the top-level machine, else a sub-machine
    const ModuleProperties &properties;
    QStringList enumerators;        // the selected diagram's
    int initialState = -1;
    QString counter;                // the selected diagram's time in state; null: its texts never read it
    QString counterType;            // null when no diagram has a counter
    qint64 budget;
    CodeText header;
    CodeText source;
    std::unique_ptr<SubMachineEmitter> subs;   // only for a machine with sub-machines
    // What the style's comments put inside their "/* " and " */" ("-- " in
    // the classic module).
    const char *commentMark = "";

    ModuleRun(const MachineDescription &m, const ModuleProperties &p, qint64 limit, const QString &type)
        : top(m), machine(&m), properties(p), counterType(type), budget(limit), header(&budget, p.keepText),
          source(&budget, p.keepText)
    {
    }

    int diagrams() const { return int(top.subMachines.size()); }
    ItemRef ref(ItemRef::Kind kind, int index) const { return ItemRef::in(diagram, kind, index); }
    bool isState(int index) const { return index >= 0 && index < machine->states.size(); }
    bool overflowed() const { return header.overflowed() || source.overflowed(); }
};

// A state's entry or exit action as a block of its own (its declarations
// cannot meet those of the transition's action), at `indent`. The run
// makes the code (`stateCode`) as its style writes code.
template <typename Run>
void writeStateCodeBlock(Run &run, CodeText &out, int state, bool entry, const QString &indent)
{
    const MachineState &s = run.machine->states.at(state);
    const QString &code = entry ? s.entryAction : s.exitAction;
    if (!hasCode(code))
        return;
    OwnerScope owner(out, run.ref(ItemRef::State, state));
    out << QLatin1String("/* ") + QLatin1String(run.commentMark)
            + QLatin1String(entry ? "entry action of state " : "exit action of state ");
    out.user(CEmitter::commentText(s.label));
    out << QLatin1String(" ") + QLatin1String(run.commentMark) + QLatin1String("*/\n") + indent
            + QLatin1String("{\n") + indent + QLatin1Char('\t');
    out.user(run.stateCode(code, indent + QLatin1Char('\t')));
    out << QLatin1String("\n") + indent + QLatin1String("}\n");
}

// What follows the state variable's new value: the time in state starts
// again (the run's `counterVariable`), then the entry action runs and the
// state's sub-machine starts. Each line at `indent`.
template <typename Run>
void writeEnterState(Run &run, CodeText &out, int state, const QString &indent)
{
    if (!run.counter.isEmpty())
        out << indent + run.counterVariable() + QLatin1String(" = 0u;\n");
    if (hasCode(run.machine->states.at(state).entryAction)) {
        out << indent;
        writeStateCodeBlock(run, out, state, true, indent);
    }
    if (run.subs)
        run.subs->enterHolder(out, run.diagram, state, indent);
}

// What a firing transition `t` of the diagram being written does before its
// own action, each line ended at the transition body's indent: the
// simulator's hook (when asked for), leaving its start state's sub-machine
// (innermost exit first) and the start state's exit action.
template <typename Run>
void writeLeaveState(Run &run, CodeText &out, int t)
{
    const MachineTransition &tr = run.machine->transitions.at(t);
    if (run.properties.transitionHooks)
        out << QStringLiteral("KESTRO_TRANSITION_FIRED(%1);\n\t\t").arg(SubMachineEmitter::transitionNumber(run.top, run.diagram, t));
    if (run.subs && run.subs->subMachineOf(run.diagram, tr.start) >= 0) {
        run.subs->exitHolder(out, run.diagram, tr.start, QString());
        out << QLatin1String("\t\t");
    }
    if (hasCode(run.machine->states.at(tr.start).exitAction)) {
        writeStateCodeBlock(run, out, tr.start, false, QStringLiteral("\t\t"));
        out << QLatin1String("\t\t");
    }
}

// Writes the texts of `type` of every diagram, the top-level machine's
// first, each as `code` makes it of the text and followed by "\n"; true when
// there was any. The top-level machine is selected afterwards.
template <typename Run, typename Code>
bool writeTexts(Run &run, CodeText &out, int type, Code &&code)
{
    bool any = false;
    for (int d = -1; d < run.diagrams(); ++d) {
        run.select(d);
        for (int i = 0; i < run.machine->texts.size(); ++i) {
            const MachineText &t = run.machine->texts.at(i);
            if (t.type != type)
                continue;
            OwnerScope owner(out, run.ref(ItemRef::Text, i));
            out.user(code(t.text));
            out << QLatin1String("\n");
            any = true;
        }
    }
    run.select(-1);
    return any;
}
