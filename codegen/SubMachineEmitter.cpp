#include "SubMachineEmitter.h"

#include "CEmitter.h"
#include "DesignChecks.h"

SubMachineEmitter::SubMachineEmitter(const MachineDescription &top, const Style &style,
                                     const QVector<Diagram> &diagrams)
    : m_top(top), m_style(style), m_names(diagrams)
{
    findCalls();
}

void SubMachineEmitter::findCalls()
{
    const int count = int(m_top.subMachines.size());
    // Per diagram, the states a transition enters and those one leaves.
    QVector<QVector<bool>> into(count + 1), outOf(count + 1);
    for (int d = -1; d < count; ++d) {
        const MachineDescription &p = diagram(d);
        into[d + 1].fill(false, p.states.size());
        outOf[d + 1].fill(false, p.states.size());
        for (const MachineTransition &t : p.transitions) {
            if (t.start >= 0 && t.start < p.states.size() && t.end >= 0 && t.end < p.states.size()) {
                into[d + 1][t.end] = true;
                outOf[d + 1][t.start] = true;
            }
        }
    }
    m_entered.fill(false, count);
    m_left.fill(false, count);
    // Each holder's own diagram is met first (a sub-machine comes after the
    // diagram holding it): the machine's is always entered, never left.
    for (int d = -1; d < count; ++d) {
        const MachineDescription &p = diagram(d);
        const bool entered = d < 0 || m_entered.at(d);
        const bool left = d >= 0 && m_left.at(d);
        const bool resumes = d >= 0 && holderState(d).resumes;
        const int initial = DesignChecks::initialState(p);
        for (int s = 0; s < p.states.size(); ++s) {
            const int held = subMachineOf(d, s);
            if (held < 0)
                continue;
            m_entered[held] = m_entered.at(held) || into.at(d + 1).at(s) || (entered && (s == initial || resumes));
            m_left[held] = m_left.at(held) || outOf.at(d + 1).at(s) || left;
        }
    }
}

const MachineDescription &SubMachineEmitter::diagram(int sub) const
{
    return sub < 0 ? m_top : m_top.subMachines.at(size_t(sub));
}

MachineState SubMachineEmitter::holderState(int sub) const
{
    const MachineDescription &d = diagram(sub);
    return diagram(d.parent < int(m_top.subMachines.size()) ? d.parent : -1).states.value(d.holder);
}

int SubMachineEmitter::subMachineOf(int sub, int state) const
{
    const MachineDescription &d = diagram(sub);
    if (state < 0 || state >= d.states.size())
        return -1;
    const int held = d.states.at(state).subMachine;
    return held >= 0 && held < int(m_top.subMachines.size()) ? held : -1;
}

int SubMachineEmitter::transitionNumber(const MachineDescription &top, int sub, int transition)
{
    int number = transition;
    if (sub >= 0)
        number += top.transitions.size();
    for (int i = 0; i < sub && i < int(top.subMachines.size()); ++i)
        number += top.subMachines.at(size_t(i)).transitions.size();
    return number;
}

void SubMachineEmitter::enterHolder(CodeText &out, int sub, int state, const QString &indent) const
{
    const int held = subMachineOf(sub, state);
    if (held < 0 || !m_entered.at(held))
        return;
    out << indent << names(held).enter << QLatin1String("(") << m_style.args << QLatin1String(");\n");
}

void SubMachineEmitter::exitHolder(CodeText &out, int sub, int state, const QString &indent) const
{
    const int held = subMachineOf(sub, state);
    if (held < 0 || !m_left.at(held))
        return;
    out << indent << names(held).exit << QLatin1String("(") << m_style.args << QLatin1String(");\n");
}

QString SubMachineEmitter::countLine(int sub, const QString &indent) const
{
    const QString &c = names(sub).counter;
    if (c.isEmpty())
        return QString();
    return indent + QLatin1String("if (") + c + QLatin1String(" < ") + m_style.counterLimit + QLatin1String(")\n")
           + indent + QLatin1String("{\n") + indent + QLatin1String("\t++") + c + QLatin1String(";\n") + indent
           + QLatin1String("}\n");
}

bool SubMachineEmitter::holderBranch(CodeText &out, int sub, int state, bool setFired) const
{
    const int held = subMachineOf(sub, state);
    if (held < 0)
        return false;
    out << QLatin1String("\t/* -- the sub-machine's cycle; the state's own transitions when it took none -- */\n\tif (")
        << names(held).cycle << QLatin1String("(") << m_style.args << QLatin1String(") != 0)\n\t{\n");
    if (setFired)
        out << QLatin1String("\t\tfired = 1;\n");
    const QString count = countLine(sub, QStringLiteral("\t\t"));
    out << (count.isEmpty() && !setFired ? QStringLiteral("\t\t/* -- the state stays -- */\n") : count)
        << QLatin1String("\t}\n");
    return true;
}

void SubMachineEmitter::prototypes(CodeText &out) const
{
    for (int sub = 0; sub < int(m_top.subMachines.size()); ++sub) {
        const Diagram &n = names(sub);
        if (m_entered.at(sub))
            out << QLatin1String("static void ") << n.enter << QLatin1String("(") << m_style.params << QLatin1String(");\n");
        if (m_left.at(sub))
            out << QLatin1String("static void ") << n.exit << QLatin1String("(") << m_style.params << QLatin1String(");\n");
        out << QLatin1String("static int ") << n.cycle << QLatin1String("(") << m_style.params << QLatin1String(");\n");
    }
    out << QLatin1String("static void ") << m_style.clearFunction << QLatin1String("(") << m_style.params
        << QLatin1String(");\n");
}

void SubMachineEmitter::functions(CodeText &out) const
{
    for (int sub = 0; sub < int(m_top.subMachines.size()); ++sub) {
        if (m_entered.at(sub))
            enterFunction(out, sub);
        if (m_left.at(sub))
            exitFunction(out, sub);
        cycleFunction(out, sub);
    }
    clearFunction(out);
}

// A sub-state entered: its time in state restarts, its entry action runs,
// then its own sub-machine is entered.
void SubMachineEmitter::enterState(CodeText &out, int sub, int state, const QString &indent) const
{
    OwnerScope owner(out, ItemRef::in(sub, ItemRef::State, state));
    if (!names(sub).counter.isEmpty())
        out << indent << names(sub).counter << QLatin1String(" = 0u;\n");
    if (hasCode(diagram(sub).states.at(state).entryAction)) {
        out << indent;
        m_style.codeBlock(out, sub, state, true, indent);
    }
    enterHolder(out, sub, state, indent);
}

void SubMachineEmitter::enterFunction(CodeText &out, int sub) const
{
    const MachineDescription &d = diagram(sub);
    const Diagram &n = names(sub);
    const MachineState holder = holderState(sub);
    OwnerScope owner(out, ItemRef::in(sub, ItemRef::Machine, -1));
    out << QLatin1String("/* -- enters the sub-machine of state ");
    out.user(CEmitter::commentText(d.processLabel));
    out << (holder.resumes ? QLatin1String(" where it was left, or at its initial state the first time -- */\n")
                           : QLatin1String(" at its initial state -- */\n"))
        << QLatin1String("static void ") << n.enter << QLatin1String("(") << m_style.params << QLatin1String(")\n{\n");
    const int initial = DesignChecks::initialState(d);
    if (initial < 0) {
        out << QLatin1String("\t/* Error : the sub-machine has no initial state */\n\t(void)") << n.stateVar
            << QLatin1String(";\n}\n\n");
        return;
    }
    const QString indent = holder.resumes ? QStringLiteral("\t\t") : QStringLiteral("\t");
    {
        OwnerScope initialOwner(out, ItemRef::in(sub, ItemRef::State, initial));
        if (holder.resumes)
            out << QLatin1String("\tif (") << n.stateVar << QLatin1String(" == ") << n.start << QLatin1String(")\n\t{\n");
        if (hasCode(d.states.at(initial).initialDescription)) {
            out << indent;
            out.user(m_style.code(sub, d.states.at(initial).initialDescription, indent));
            out << QLatin1String("\n");
        }
        out << indent << m_style.assign.arg(n.stateVar, n.values.at(initial)) << QLatin1String("\n");
    }
    if (!holder.resumes) {
        enterState(out, sub, initial, QStringLiteral("\t"));
        out << QLatin1String("}\n\n");
        return;
    }
    out << QLatin1String("\t}\n\tswitch (") << n.stateVar << QLatin1String(")\n\t{\n");
    for (int s = 0; s < d.states.size(); ++s) {
        OwnerScope stateOwner(out, ItemRef::in(sub, ItemRef::State, s));
        out << QLatin1String("\tcase ");
        out.user(n.values.at(s));
        out << QLatin1String(":\n");
        enterState(out, sub, s, QStringLiteral("\t\t"));
        out << QLatin1String("\t\tbreak;\n");
    }
    out << QLatin1String("\tdefault:\n\t\tbreak;\n\t}\n}\n\n");
}

void SubMachineEmitter::exitFunction(CodeText &out, int sub) const
{
    const MachineDescription &d = diagram(sub);
    const Diagram &n = names(sub);
    OwnerScope owner(out, ItemRef::in(sub, ItemRef::Machine, -1));
    out << QLatin1String("/* -- leaves the sub-machine of state ");
    out.user(CEmitter::commentText(d.processLabel));
    out << QLatin1String(": the exit actions of its active states, innermost first -- */\nstatic void ") << n.exit
        << QLatin1String("(") << m_style.params << QLatin1String(")\n{\n\tswitch (") << n.stateVar
        << QLatin1String(")\n\t{\n");
    for (int s = 0; s < d.states.size(); ++s) {
        if (!hasCode(d.states.at(s).exitAction) && subMachineOf(sub, s) < 0)
            continue;
        OwnerScope stateOwner(out, ItemRef::in(sub, ItemRef::State, s));
        out << QLatin1String("\tcase ");
        out.user(n.values.at(s));
        out << QLatin1String(":\n");
        exitHolder(out, sub, s, QStringLiteral("\t\t"));
        if (hasCode(d.states.at(s).exitAction)) {
            out << QLatin1String("\t\t");
            m_style.codeBlock(out, sub, s, false, QStringLiteral("\t\t"));
        }
        out << QLatin1String("\t\tbreak;\n");
    }
    out << QLatin1String("\tdefault:\n\t\tbreak;\n\t}\n}\n\n");
}

void SubMachineEmitter::cycleFunction(CodeText &out, int sub) const
{
    const MachineDescription &d = diagram(sub);
    const Diagram &n = names(sub);
    OwnerScope owner(out, ItemRef::in(sub, ItemRef::Machine, -1));
    out << QLatin1String("/* -- one cycle of the sub-machine of state ");
    out.user(CEmitter::commentText(d.processLabel));
    out << QLatin1String("; nonzero when a transition fired -- */\nstatic int ") << n.cycle << QLatin1String("(")
        << m_style.params << QLatin1String(")\n{\n\tint fired = 0;\n\n\tswitch (") << n.stateVar
        << QLatin1String(")\n\t{\n");
    for (int s = 0; s < d.states.size(); ++s) {
        OwnerScope stateOwner(out, ItemRef::in(sub, ItemRef::State, s));
        out << QLatin1String("\tcase ");
        out.user(n.values.at(s));
        out << QLatin1String(":\n\t\tfired = ");
        out.user(n.stateCalls.at(s));
        out << QLatin1String(";\n\t\tbreak;\n");
    }
    out << QLatin1String("\tdefault:\n\t\t/* -- a value no state has: the machine starts again -- */\n\t\t")
        << m_style.faultReset << QLatin1String("\n\t\tfired = 1;\n\t\tbreak;\n\t}\n\treturn fired;\n}\n\n");
}

void SubMachineEmitter::clearFunction(CodeText &out) const
{
    out << QLatin1String("/* -- every sub-machine not entered, nothing to resume, every time in state 0 -- */\n"
                         "static void ")
        << m_style.clearFunction << QLatin1String("(") << m_style.params << QLatin1String(")\n{\n");
    for (int sub = 0; sub < int(m_top.subMachines.size()); ++sub)
        out << QLatin1String("\t") << m_style.assign.arg(names(sub).stateVar, names(sub).start) << QLatin1String("\n");
    for (int sub = -1; sub < int(m_top.subMachines.size()); ++sub) {
        if (!names(sub).counter.isEmpty())
            out << QLatin1String("\t") << names(sub).counter << QLatin1String(" = 0u;\n");
    }
    out << QLatin1String("}\n\n");
}

QString SubMachineEmitter::clearCall() const
{
    return m_style.clearFunction + QLatin1Char('(') + m_style.args + QLatin1String(");");
}

void SubMachineEmitter::activeMacros(CodeText &out) const
{
    out << QLatin1String("/* -- ") << CEmitter::inQuery()
        << QLatin1String("(X): whether state X (of any level) is active -- */\n#define ") << CEmitter::inQuery()
        << QLatin1String("(X) ") << m_style.activePrefix << QLatin1String("##X\n");
    for (int sub = -1; sub < int(m_top.subMachines.size()); ++sub) {
        const MachineDescription &d = diagram(sub);
        const Diagram &n = names(sub);
        const QString holderActive = sub < 0 ? QString()
                                             : QLatin1String(" && ") + names(d.parent).active.value(d.holder);
        for (int s = 0; s < d.states.size(); ++s) {
            OwnerScope owner(out, ItemRef::in(sub, ItemRef::State, s));
            out << QLatin1String("#define ");
            out.user(n.active.at(s));
            out << QLatin1String(" ((") << n.stateVar << QLatin1String(" == ") << n.values.at(s)
                << QLatin1String(")") << holderActive << QLatin1String(")\n");
        }
    }
    out << QLatin1String("\n");
}
