#include "SimulationRunCheck.h"

#include "SimulationLevels.h"
#include "SimulationStubUnit.h"

namespace SimulationRunCheck {

namespace {

QString checkEnd(const SimulationLine &line, const Context &c)
{
    const QVector<qint64> &n = line.numbers;
    if (!c.ranSeen)
        return QStringLiteral("the end of a run that did not report its last cycle");
    if (line.kind != SimulationLine::Break)
        return QString();
    if (c.exploring)
        return QStringLiteral("a breakpoint while exploring");
    const bool state = line.name == QLatin1String("state");
    if (n.at(0) < 0 || n.at(0) >= (state ? c.stateSlots : c.conditions))
        return QStringLiteral("a breakpoint the machine does not have");
    return QString();
}

// The path line the last cycle owes, and nothing before it.
QString checkPath(const SimulationLine &line, const Context &c, qint64 top)
{
    if (!c.pathDue)
        return line.kind == SimulationLine::Path ? QStringLiteral("an active path no cycle asked for") : QString();
    if (line.kind != SimulationLine::Path)
        return QStringLiteral("a cycle without its active path");
    QVector<int> path;
    for (qint64 slot : line.numbers)
        path << int(qMin<qint64>(slot, c.stateSlots));
    if (!c.levels || !c.levels->isPath(path, int(top)))
        return QStringLiteral("an active path the machine cannot be in");
    return QString();
}

} // namespace

QString check(const SimulationLine &line, const Context &c)
{
    const QVector<qint64> &n = line.numbers;
    if (c.pathDue || line.kind == SimulationLine::Path)
        return checkPath(line, c, c.top);
    switch (line.kind) {
    case SimulationLine::Covered:
        if (c.ranSeen)
            return QStringLiteral("coverage after the run's end");
        if (n.at(0) < 0 || n.at(0) >= (line.name == QLatin1String("state") ? c.stateSlots : c.transitions))
            return QStringLiteral("coverage of an item the machine does not have");
        return QString();
    case SimulationLine::Ran:
        if (c.ranSeen)
            return QStringLiteral("the end of a run twice");
        if (!c.exploring && n.at(0) < c.cycle)
            return QStringLiteral("cycle %1 after cycle %2").arg(n.at(0)).arg(c.cycle);
        if (n.at(1) < 0 || n.at(1) > c.states || n.at(2) < -1 || n.at(2) >= c.transitions)
            return QStringLiteral("a state or transition the machine does not have");
        return QString();
    case SimulationLine::Replay:
        if (!c.exploring || n.at(1) < 0 || n.at(1) >= (line.name.isEmpty() ? c.variables : c.stubs))
            return QStringLiteral("a value no explorer gave");
        return QString();
    case SimulationLine::Changed:
        return c.ranSeen ? QString() : QStringLiteral("a change before the run's end");
    case SimulationLine::Ok:
    case SimulationLine::Break:
        return checkEnd(line, c);
    case SimulationLine::Error:
        return QStringLiteral("an error for a run");
    case SimulationLine::Cycle:
    case SimulationLine::Value:
        return QStringLiteral("a line of a single cycle in a long run");
    default:
        return QString();
    }
}

QString checkSingle(const SimulationLine &line, const Context &c, const Single &s)
{
    const qint64 states = c.states;
    const auto stateInRange = [states](qint64 state) { return state >= 0 && state <= states; };
    if (c.pathDue || line.kind == SimulationLine::Path)
        return s.cycleOpen ? checkPath(line, c, c.top) : QStringLiteral("an active path outside a cycle");
    switch (line.kind) {
    case SimulationLine::Cycle: {
        const QVector<qint64> &n = line.numbers;
        if (!s.cycles)
            return QStringLiteral("a cycle no command asked for");
        if (s.got >= s.asked)
            return QStringLiteral("more cycles than were asked for");
        const qint64 expected = s.resetting ? 0 : c.cycle + 1;
        if (n.at(0) != expected)
            return QStringLiteral("cycle %1 where cycle %2 comes next").arg(n.at(0)).arg(expected);
        if (!stateInRange(n.at(1)) || !stateInRange(n.at(3)) || n.at(1) != s.state)
            return QStringLiteral("a state the machine is not in");
        if (n.at(2) < -1 || n.at(2) >= c.transitions)
            return QStringLiteral("a transition the machine does not have");
        return QString();
    }
    case SimulationLine::Changed:
        return s.cycleOpen ? QString() : QStringLiteral("a change outside a cycle");
    case SimulationLine::Value:
        return QStringLiteral("a value no command asked for");
    case SimulationLine::Call:
    case SimulationLine::Calls:
        if (!s.cycleOpen)
            return QStringLiteral("a call outside a cycle");
        if (!s.stubKnown)
            return QStringLiteral("a call of a function that is not stubbed");
        if (line.kind == SimulationLine::Call && s.callsRecorded >= SimulationStubUnit::RecordedCalls)
            return QStringLiteral("more calls than are recorded");
        return QString();
    case SimulationLine::Ok:
        if (s.cycles && s.got != s.asked)
            return QStringLiteral("%1 of the %2 cycles asked for").arg(s.got).arg(s.asked);
        if (s.comparing && !line.text.startsWith(QLatin1String("1 ")) && !line.text.startsWith(QLatin1String("0 ")))
            return QStringLiteral("no comparison");
        return QString();
    case SimulationLine::Error:
        return s.cycles ? QStringLiteral("an error for a cycle") : QString();
    case SimulationLine::Break:
        if (!s.cycles || s.got == 0)
            return QStringLiteral("a breakpoint outside a cycle");
        if (line.name == QLatin1String("state") ? line.numbers.at(0) < 0 || line.numbers.at(0) >= c.stateSlots
                                                : line.numbers.at(0) < 0 || line.numbers.at(0) >= c.conditions)
            return QStringLiteral("a breakpoint the machine does not have");
        return QString();
    default:
        return QString();
    }
}

} // namespace SimulationRunCheck
