#include "InstanceEmitter.h"

#include "DesignChecks.h"
#include "MemberRewrite.h"
#include "ModuleRun.h"
#include "TimeInState.h"

#include <memory>

namespace {

using InstanceEmitter::Names;

QString cName(const QString &label)
{
    return QString(label).replace(QLatin1Char(' '), QLatin1Char('_'));
}

// A state label as the text of a C string literal.
QString stringLiteral(const QString &text)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\') + QString(c);
        else if (u < 0x20 || u >= 0x7f)
            quoted += QLatin1Char('?');   // no escapes whose length the compiler may read differently
        else
            quoted += c;
    }
    return quoted + QLatin1Char('"');
}

// The names of one diagram: the top-level machine or one sub-machine.
struct Level
{
    const MachineDescription *machine = nullptr;
    QString stateVar;             // "me->state", "me->state_<holder>"
    QStringList enumerators;      // one per state, then the start value
    int initialState = -1;
    QString counter;              // its time in state's member; null when its texts never read it
};

// An instance module's run: its names and which names are members.
struct Run : ModuleRun
{
    Names names;
    QSet<QString> memories;       // the memory items' C names, of every level
    QSet<QString> members;        // what the diagram's code texts make members
    QVector<Level> levels;        // the top-level machine, then each sub-machine

    Run(const MachineDescription &m, const ModuleProperties &p, qint64 limit, const QString &type)
        : ModuleRun(m, p, limit, type), names(CEmitter::moduleName(m.processLabel))
    {
        levels << Level{ &m, QStringLiteral("me->state"), {}, DesignChecks::initialState(m), {} };
        // The code texts name it as they name memory items: it becomes a member.
        if (!type.isNull() && (m.subMachines.empty() || TimeInState::isUsed(m)))
            levels[0].counter = TimeInState::name();
        for (const MachineDescription &sub : m.subMachines) {
            levels << Level{ &sub, QLatin1String("me->") + names.subState(sub.processLabel), {},
                             DesignChecks::initialState(sub),
                             !type.isNull() && TimeInState::isUsed(sub) ? names.subCounter(sub.processLabel) : QString() };
        }
        for (Level &l : levels) {
            for (const MachineMemory &memory : l.machine->memories) {
                const QString name = cName(memory.label);
                if (CEmitter::isCIdentifier(name))
                    memories.insert(name);
            }
            for (const MachineState &s : l.machine->states)
                l.enumerators << names.enumerator(s.label);
            l.enumerators << (l.machine == &m ? names.start : names.subStart(l.machine->processLabel));
        }
        select(-1);
        if (!m.subMachines.empty())
            subs = std::make_unique<SubMachineEmitter>(m, subMachineStyle(), subMachineNames());
    }

    void select(int d)
    {
        const Level &l = levels.at(d + 1);
        diagram = d;
        machine = l.machine;
        enumerators = l.enumerators;
        initialState = l.initialState;
        counter = l.counter;
        members = memories;
        if (d < 0 && !counter.isEmpty())
            members.insert(counter);
    }

    // A code text with the memory items made members and every line feed
    // followed by `indent`. A sub-machine's texts read its own time in
    // state through the same name.
    QString code(const QString &text, const QString &indent)
    {
        QString rewritten = MemberRewrite::rewrite(text, members, QStringLiteral("me->")).text;
        if (diagram >= 0 && !counter.isEmpty())
            rewritten = MemberRewrite::rewrite(rewritten, { TimeInState::name() },
                                               QLatin1String("me->") + counter.left(counter.size() - TimeInState::name().size()))
                            .text;
        const qint64 size = rewritten.size() + qint64(rewritten.count(QLatin1Char('\n'))) * indent.size();
        if (size > budget) {
            source.markOverflowed();
            return QString();
        }
        return QString(rewritten).replace(QLatin1Char('\n'), QLatin1Char('\n') + indent);
    }

    QString stateCode(const QString &text, const QString &indent) { return code(text, indent); }
    QString counterVariable() const { return QLatin1String("me->") + counter; }

    QString assignState(int state) const
    {
        return QStringLiteral("%1 = (%2)%3;").arg(levels.at(diagram + 1).stateVar, names.stateType, enumerators.at(state));
    }

    SubMachineEmitter::Style subMachineStyle();
    QVector<SubMachineEmitter::Diagram> subMachineNames() const;
};

void fileComment(Run &run, CodeText &out, const QString &fileName)
{
    const QString text = CEmitter::fileComment(run.top, run.properties, fileName, run.budget);
    if (text.isNull())
        run.source.markOverflowed();
    out << text << QLatin1String("\n\n");
}

// The texts of one type, each followed by "\n"; `rewrite` makes memory
// items members (define texts).
void texts(Run &run, CodeText &out, int type, bool rewrite)
{
    writeTexts(run, out, type,
               [&run, rewrite](const QString &text) { return rewrite ? run.code(text, QLatin1String("")) : text; });
}

// The values are unsigned constants (no enumeration: its type would not be
// the state's, and a type nobody names is an unused declaration).
void diagramValues(Run &run, CodeText &out);

void stateValues(Run &run, CodeText &out)
{
    out << QLatin1String("/* The values of ") << run.names.stateType << QLatin1String(": one per state, then the start value. */\n");
    diagramValues(run, out);
    for (int d = 0; d < run.diagrams(); ++d) {
        run.select(d);
        out << QLatin1String("/* Sub-machine ") << CEmitter::commentText(run.machine->processLabel)
            << QLatin1String(": one per state, then the value before its first entry. */\n");
        diagramValues(run, out);
    }
    run.select(-1);
    out << QLatin1String("\n");
}

void diagramValues(Run &run, CodeText &out)
{
    for (int i = 0; i < run.enumerators.size(); ++i) {
        const bool state = i < run.machine->states.size();
        OwnerScope owner(out, run.ref(state ? ItemRef::State : ItemRef::Machine, state ? i : -1));
        out << QLatin1String("#define ");
        if (state)
            out.user(run.enumerators.at(i));
        else
            out << run.enumerators.at(i);
        out << QLatin1String(" ") << QString::number(i) << QLatin1String("u\n");
    }
}

void context(Run &run, CodeText &out)
{
    out << QLatin1String("/* One instance of the machine: its state and its own memory items. */\n"
                         "typedef struct {\n\t")
        << run.names.stateType << QLatin1String(" state;\n");
    if (!run.counter.isEmpty())
        out << QLatin1String("\t") << run.counterType << QLatin1String(" ") << run.counter
            << QLatin1String(";\t/* complete cycles in the current state */\n");
    for (int d = 0; d < run.diagrams(); ++d) {
        const Level &l = run.levels.at(d + 1);
        out << QLatin1String("\t") << run.names.stateType << QLatin1String(" ") << l.stateVar.mid(4)
            << QLatin1String(";\t/* sub-machine ") << CEmitter::commentText(l.machine->processLabel)
            << QLatin1String(" */\n");
        if (!l.counter.isEmpty())
            out << QLatin1String("\t") << run.counterType << QLatin1String(" ") << l.counter << QLatin1String(";\n");
    }
    for (int d = -1; d < run.diagrams(); ++d) {
        run.select(d);
        for (int i = 0; i < run.machine->memories.size(); ++i) {
            const MachineMemory &memory = run.machine->memories.at(i);
            OwnerScope owner(out, run.ref(ItemRef::Memory, i));
            out << QLatin1String("\t");
            out.user(CEmitter::memoryType(memory.datatype) + QLatin1Char(' ') + cName(memory.label));
            out << QLatin1String(";\n");
        }
    }
    run.select(-1);
    out << QLatin1String("} ") << run.names.contextType << QLatin1String(";\n\n");
}

// The most states a diagram of the machine has: every level's state is
// stored in the one state type.
int largestDiagram(const Run &run)
{
    int largest = 0;
    for (const Level &l : run.levels)
        largest = qMax(largest, int(l.machine->states.size()));
    return largest;
}

void headerText(Run &run, const QString &fileName)
{
    CodeText &out = run.header;
    const Names &n = run.names;
    fileComment(run, out, fileName);
    out << QLatin1String("#ifndef ") << n.guard << QLatin1String("\n#define ") << n.guard
        << QLatin1String("\n\n#include <stdint.h>\n\n/* user includes */\n");
    texts(run, out, MachineText::Includes, false);
    out << QLatin1String("\n#ifdef __cplusplus\nextern \"C\" {\n#endif\n\n")
        << QLatin1String("/* The type the state is stored in; define it to choose another. */\n#ifndef ")
        << n.stateType << QLatin1String("\n#define ") << n.stateType << QLatin1String(" ")
        << InstanceEmitter::defaultStateType(largestDiagram(run)) << QLatin1String("\n#endif\n\n");
    stateValues(run, out);
    context(run, out);
    out << QLatin1String("/* Zeroes every member of the instance and makes the initial transition. */\nvoid ")
        << n.init << QLatin1String("(") << n.contextType << QLatin1String(" *me);\n")
        << QLatin1String("/* One cycle of the instance; nonzero when a transition fired. */\nint ") << n.step
        << QLatin1String("(") << n.contextType << QLatin1String(" *me);\n")
        << QLatin1String("/* The instance's current state. */\n") << n.stateType << QLatin1String(" ") << n.state
        << QLatin1String("(const ") << n.contextType << QLatin1String(" *me);\n")
        << QLatin1String("/* The name of the instance's current state, for logging. */\nconst char *") << n.stateName
        << QLatin1String("(const ") << n.contextType << QLatin1String(" *me);\n\n")
        << QLatin1String("#ifdef __cplusplus\n}\n#endif\n\n#endif /* ") << n.guard << QLatin1String(" */\n");
}

void prototypes(Run &run, CodeText &out)
{
    const Names &n = run.names;
    out << QLatin1String("static int ") << n.startFunction << QLatin1String("(") << n.contextType
        << QLatin1String(" *me);\n");
    for (int d = -1; d < run.diagrams(); ++d) {
        run.select(d);
        for (int i = 0; i < run.machine->states.size(); ++i) {
            OwnerScope owner(out, run.ref(ItemRef::State, i));
            out << QLatin1String("static int ");
            out.user(n.stateFunction(run.machine->states.at(i).label));
            out << QLatin1String("(") << n.contextType << QLatin1String(" *me);\n");
        }
    }
    run.select(-1);
    if (run.subs)
        run.subs->prototypes(out);
    out << QLatin1String("\n");
}

// The state names, a table inside the one function that reads it.
void stateNameFunction(Run &run, CodeText &out)
{
    const Names &n = run.names;
    out << QLatin1String("const char *") << n.stateName << QLatin1String("(const ") << n.contextType
        << QLatin1String(" *me)\n{\n\tstatic const char *const ") << n.nameTable << QLatin1String("[] = {\n");
    for (int i = 0; i < run.machine->states.size(); ++i) {
        OwnerScope owner(out, run.ref(ItemRef::State, i));
        out << QLatin1String("\t\t");
        out.user(stringLiteral(run.machine->states.at(i).label));
        out << QLatin1String(",\n");
    }
    out << QLatin1String("\t\t\"(start)\"\n\t};\n\tconst char *name = \"(invalid)\";\n\n\tif ((unsigned long)me->state <= (unsigned long)")
        << n.start << QLatin1String(") {\n\t\tname = ") << n.nameTable
        << QLatin1String("[me->state];\n\t}\n\treturn name;\n}\n\n");
}

void publicFunctions(Run &run, CodeText &out)
{
    const Names &n = run.names;
    out << QLatin1String("void ") << n.init << QLatin1String("(") << n.contextType
        << QLatin1String(" *me)\n{\n\tunsigned char *bytes = (unsigned char *)me;\n\tsize_t i;\n\n"
                         "\tfor (i = 0u; i < sizeof(*me); ++i) {\n\t\tbytes[i] = 0u;\n\t}\n\tme->state = (")
        << n.stateType << QLatin1String(")") << n.start << QLatin1String(";\n")
        << (run.subs ? QLatin1Char('\t') + run.subs->clearCall() + QLatin1Char('\n') : QString())
        << QLatin1String("\t(void)") << n.startFunction
        << QLatin1String("(me);\n}\n\n");

    out << QLatin1String("int ") << n.step << QLatin1String("(") << n.contextType
        << QLatin1String(" *me)\n{\n\tint fired = 0;\n\n\tswitch (me->state) {\n\tcase ") << n.start
        << QLatin1String(":\n\t\tfired = ") << n.startFunction << QLatin1String("(me);\n\t\tbreak;\n");
    for (int i = 0; i < run.machine->states.size(); ++i) {
        OwnerScope owner(out, run.ref(ItemRef::State, i));
        out << QLatin1String("\tcase ");
        out.user(run.enumerators.at(i));
        out << QLatin1String(":\n\t\tfired = ");
        out.user(n.stateFunction(run.machine->states.at(i).label));
        out << QLatin1String("(me);\n\t\tbreak;\n");
    }
    out << QLatin1String("\tdefault:\n\t\t") << n.faultHook << QLatin1String("(me);\n\t\tbreak;\n\t}\n\treturn fired;\n}\n\n");

    out << n.stateType << QLatin1String(" ") << n.state << QLatin1String("(const ") << n.contextType
        << QLatin1String(" *me)\n{\n\treturn me->state;\n}\n\n");
    stateNameFunction(run, out);
}

// A cycle in which no transition fired: the time in state grows by one, up
// to the counter's largest value.
void countCycle(Run &run, CodeText &out)
{
    if (run.counter.isEmpty())
        return;
    out << QLatin1String("\tif (fired == 0 && me->") << run.counter << QLatin1String(" < ")
        << TimeInState::counterLimit(run.counterType) << QLatin1String(") {\n\t\t++me->") << run.counter
        << QLatin1String(";\n\t}\n");
}

void startFunction(Run &run, CodeText &out)
{
    const Names &n = run.names;
    out << QLatin1String("/* The initial transition. */\nstatic int ") << n.startFunction << QLatin1String("(")
        << n.contextType << QLatin1String(" *me)\n{\n\tint fired = 0;\n\n");
    if (run.initialState < 0) {
        out << QLatin1String("\t/* Error : Initial state item in state machine ") << n.module
            << QLatin1String(" is not assigned */\n");
    } else {
        OwnerScope owner(out, run.ref(ItemRef::State, run.initialState));
        const MachineState &s = run.machine->states.at(run.initialState);
        if (s.initialCondition.trimmed().isEmpty()) {
            out << QLatin1String("\t") << run.assignState(run.initialState) << QLatin1String("\n");
            writeEnterState(run, out, run.initialState, QStringLiteral("\t"));
            out << QLatin1String("\tfired = 1;\n");
        } else {
            out << QLatin1String("\tif ");
            out.user(run.code(s.initialCondition, QLatin1String("\t")));
            out << QLatin1String(" {\n\t\t");
            out.user(run.code(s.initialDescription, QLatin1String("\t\t")));
            out << QLatin1String("\n\t\t") << run.assignState(run.initialState) << QLatin1String("\n");
            writeEnterState(run, out, run.initialState, QStringLiteral("\t\t"));
            out << QLatin1String("\t\tfired = 1;\n\t}\n");
            countCycle(run, out);
        }
    }
    out << QLatin1String("\t(void)me;\n\treturn fired;\n}\n\n");
}

// One block of a state's chain: the exit action of the state left, the
// transition's action, the new state, its entry action. A self transition
// keeps the state value but leaves and enters its state all the same.
void transitionBlock(Run &run, CodeText &out, int t, bool first)
{
    const MachineTransition &tr = run.machine->transitions.at(t);
    OwnerScope owner(out, run.ref(ItemRef::Transition, t));
    out << QLatin1String("\t/* transition ");
    out.user(CEmitter::commentText(tr.label));
    out << QLatin1String(" */\n\t") << QLatin1String(first ? "if " : "else if ");
    out.user(run.code(CEmitter::conditionText(tr.condition), QLatin1String("\t")));
    out << QLatin1String(" {\n\t\t");
    writeLeaveState(run, out, t);
    out.user(run.code(tr.action, QLatin1String("\t\t")));
    if (tr.start != tr.end)
        out << QLatin1String("\n\t\t") << run.assignState(tr.end);
    out << QLatin1String("\n");
    writeEnterState(run, out, tr.end, QStringLiteral("\t\t"));
    out << QLatin1String("\t\tfired = 1;\n\t}\n");
}

void stateFunction(Run &run, CodeText &out, int stateIndex)
{
    const MachineState &s = run.machine->states.at(stateIndex);
    OwnerScope owner(out, run.ref(ItemRef::State, stateIndex));
    out << QLatin1String("/* ");
    out.user(CEmitter::commentText(s.description) + QLatin1String(" */\nstatic int ") + run.names.stateFunction(s.label));
    out << QLatin1String("(") << run.names.contextType << QLatin1String(" *me)\n{\n\tint fired = 0;\n\n\t");
    out.user(run.code(s.action, QLatin1String("\t")));
    out << QLatin1String("\n");
    int written = run.subs && run.subs->holderBranch(out, run.diagram, stateIndex, true) ? 1 : 0;
    for (int t : s.transitions) {
        if (t < 0 || t >= run.machine->transitions.size() || run.overflowed())
            continue;
        const MachineTransition &tr = run.machine->transitions.at(t);
        if (tr.start == stateIndex && tr.end != stateIndex && run.isState(tr.end))
            transitionBlock(run, out, t, ++written == 1);
    }
    for (int t : s.selfTransitions) {
        if (t >= 0 && t < run.machine->transitions.size() && !run.overflowed()
            && run.machine->transitions.at(t).start == stateIndex && run.machine->transitions.at(t).end == stateIndex)
            transitionBlock(run, out, t, ++written == 1);
    }
    if (written > 1)
        out << QLatin1String("\telse {\n\t\t/* no transition fires */\n\t}\n");
    countCycle(run, out);
    out << QLatin1String("\t(void)me;\n\treturn fired;\n}\n\n");
}

void sourceText(Run &run, const QString &fileName, const QString &headerFileName)
{
    CodeText &out = run.source;
    const Names &n = run.names;
    fileComment(run, out, fileName);
    out << QLatin1String("#include \"") << headerFileName << QLatin1String("\"\n#include <stddef.h>\n\n/* user defines */\n");
    if (run.subs) {
        out << QLatin1String("\n");
        run.subs->activeMacros(out);
    }
    texts(run, out, MachineText::Macros, true);
    out << QLatin1String("\n/* What ") << n.step
        << QLatin1String(" does with a state value no state has; by default the instance\n"
                         "   starts again from its initial transition. Define it to call a fault handler. */\n#ifndef ")
        << n.faultHook << QLatin1String("\n#define ") << n.faultHook << QLatin1String("(me) ((me)->state = (")
        << n.stateType << QLatin1String(")") << n.start
        << (run.subs ? QLatin1String(", ") + n.subReset() + QLatin1String("(me)") : QString())
        << QLatin1String(")\n#endif\n\n/* user code */\n");
    texts(run, out, MachineText::Default, false);
    out << QLatin1String("\n");
    prototypes(run, out);
    publicFunctions(run, out);
    startFunction(run, out);
    for (int d = -1; d < run.diagrams(); ++d) {
        run.select(d);
        for (int i = 0; i < run.machine->states.size() && !run.overflowed(); ++i)
            stateFunction(run, out, i);
    }
    run.select(-1);
    if (run.subs)
        run.subs->functions(out);
}

SubMachineEmitter::Style Run::subMachineStyle()
{
    SubMachineEmitter::Style style;
    style.params = names.contextType + QLatin1String(" *me");
    style.args = QStringLiteral("me");
    style.assign = QLatin1String("%1 = (") + names.stateType + QLatin1String(")%2;");
    style.counterLimit = counterType.isNull() ? QString() : TimeInState::counterLimit(counterType);
    style.clearFunction = names.subReset();
    style.activePrefix = names.activeMacro(QString());
    style.faultReset = names.faultHook + QLatin1String("(me);");
    style.codeBlock = [this](CodeText &out, int d, int state, bool entry, const QString &indent) {
        const int was = diagram;
        select(d);
        writeStateCodeBlock(*this, out, state, entry, indent);
        select(was);
    };
    style.code = [this](int d, const QString &text, const QString &indent) {
        const int was = diagram;
        select(d);
        const QString rewritten = code(text, indent);
        select(was);
        return rewritten;
    };
    return style;
}

QVector<SubMachineEmitter::Diagram> Run::subMachineNames() const
{
    QVector<SubMachineEmitter::Diagram> diagrams;
    for (int d = 0; d < levels.size(); ++d) {
        const Level &l = levels.at(d);
        SubMachineEmitter::Diagram n;
        n.stateVar = l.stateVar;
        n.start = l.enumerators.last();
        n.values = l.enumerators.mid(0, l.enumerators.size() - 1);
        n.counter = l.counter.isEmpty() ? QString() : QLatin1String("me->") + l.counter;
        for (const MachineState &s : l.machine->states) {
            n.stateCalls << names.stateFunction(s.label) + QLatin1String("(me)");
            n.active << names.activeMacro(s.label);
        }
        if (d > 0) {
            const QString &holder = l.machine->processLabel;
            n.enter = names.subEnter(holder);
            n.exit = names.subExit(holder);
            n.cycle = names.subCycle(holder);
        }
        diagrams << n;
    }
    return diagrams;
}

} // namespace

namespace InstanceEmitter {

Names::Names(const QString &m) : module(m), upper(m.toUpper())
{
    contextType = module + QLatin1String("_t");
    init = module + QLatin1String("Init");
    step = module + QLatin1String("Step");
    state = module + QLatin1String("State");
    stateName = module + QLatin1String("StateName");
    guard = upper + QLatin1String("_H");
    stateType = upper + QLatin1String("_STATE_TYPE");
    faultHook = upper + QLatin1String("_INVALID_STATE");
    start = upper + QLatin1String("_START");
    startFunction = module + QLatin1String("_start");
    nameTable = module + QLatin1String("_names");
}

QString Names::stateFunction(const QString &label) const
{
    return module + QLatin1String("_s_") + label;
}

QString Names::enumerator(const QString &label) const
{
    return upper + QLatin1String("_S_") + label.toUpper();
}

QString Names::subState(const QString &holder) const
{
    return QLatin1String("state_") + holder;
}

QString Names::subCounter(const QString &holder) const
{
    return holder + QLatin1Char('_') + TimeInState::name();
}

QString Names::subStart(const QString &holder) const
{
    return upper + QLatin1String("_START_") + holder.toUpper();
}

QString Names::subCycle(const QString &holder) const
{
    return module + QLatin1String("_m_cycle_") + holder;
}

QString Names::subEnter(const QString &holder) const
{
    return module + QLatin1String("_m_enter_") + holder;
}

QString Names::subExit(const QString &holder) const
{
    return module + QLatin1String("_m_exit_") + holder;
}

QString Names::subReset() const
{
    return module + QLatin1String("_m_reset");
}

QString Names::activeMacro(const QString &label) const
{
    return upper + QLatin1String("_IN_") + label;
}

QString defaultStateType(int stateCount)
{
    // The start value is the number of states.
    if (stateCount <= 0xff)
        return QStringLiteral("uint8_t");
    if (stateCount <= 0xffff)
        return QStringLiteral("uint16_t");
    return QStringLiteral("uint32_t");
}

bool write(const MachineDescription &machine, const ModuleProperties &properties, qint64 limit,
           const QString &counterType, GeneratedModule *result)
{
    Run run(machine, properties, limit, counterType);
    headerText(run, result->headerFileName);
    sourceText(run, result->sourceFileName, result->headerFileName);
    if (run.overflowed())
        return false;
    result->header = run.header.text();
    result->source = run.source.text();
    result->headerLines = run.header.lines();
    result->sourceLines = run.source.lines();
    return true;
}

} // namespace InstanceEmitter
