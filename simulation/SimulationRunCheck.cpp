#include "SimulationRunCheck.h"

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
    if (n.at(0) < 0 || n.at(0) >= (state ? c.states : c.conditions))
        return QStringLiteral("a breakpoint the machine does not have");
    return QString();
}

} // namespace

QString check(const SimulationLine &line, const Context &c)
{
    const QVector<qint64> &n = line.numbers;
    switch (line.kind) {
    case SimulationLine::Covered:
        if (c.ranSeen)
            return QStringLiteral("coverage after the run's end");
        if (n.at(0) < 0 || n.at(0) >= (line.name == QLatin1String("state") ? c.states : c.transitions))
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

} // namespace SimulationRunCheck
