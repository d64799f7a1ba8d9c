#include "CoverageReport.h"

#include "ItemRef.h"

#include <QStringList>

namespace CoverageReport {

namespace {

QString stateLabel(const MachineDescription &machine, int state)
{
    return state >= 0 && state < machine.states.size() ? printableLabel(machine.states.at(state).label)
                                                         : QStringLiteral("?");
}

QString percent(double value)
{
    return QString::number(value, 'f', 1) + QLatin1Char('%');
}

} // namespace

QString ends(const MachineDescription &machine, int transition)
{
    const MachineTransition &t = machine.transitions.at(transition);
    return stateLabel(machine, t.start) + QStringLiteral(" -> ") + stateLabel(machine, t.end);
}

QString full(const QString &module, const MachineDescription &machine, const SimulationCoverage &coverage)
{
    QString text = QStringLiteral("Coverage of %1: %2 of %3 states entered, %4 of %5 transitions fired (%6)\n")
                       .arg(module)
                       .arg(coverage.statesEntered())
                       .arg(coverage.stateEntries.size())
                       .arg(coverage.transitionsFired())
                       .arg(coverage.transitionFires.size())
                       .arg(percent(coverage.transitionPercent()));
    for (int i = 0; i < coverage.stateEntries.size() && i < machine.states.size(); ++i) {
        const qint64 n = coverage.stateEntries.at(i);
        text += QStringLiteral("  state %1: %2\n")
                    .arg(stateLabel(machine, i), n > 0 ? QStringLiteral("entered %1").arg(n) : QStringLiteral("never entered"));
    }
    for (int i = 0; i < coverage.transitionFires.size() && i < machine.transitions.size(); ++i) {
        const qint64 n = coverage.transitionFires.at(i);
        text += QStringLiteral("  transition %1 (%2): %3\n")
                    .arg(printableLabel(machine.transitions.at(i).label), ends(machine, i),
                         n > 0 ? QStringLiteral("fired %1").arg(n) : QStringLiteral("never fired"));
    }
    return text;
}

QString unreached(const MachineDescription &machine, const SimulationCoverage &coverage)
{
    QStringList states;
    for (int i = 0; i < coverage.stateEntries.size() && i < machine.states.size(); ++i) {
        if (coverage.stateEntries.at(i) == 0)
            states << stateLabel(machine, i);
    }
    QStringList transitions;
    for (int i = 0; i < coverage.transitionFires.size() && i < machine.transitions.size(); ++i) {
        if (coverage.transitionFires.at(i) == 0)
            transitions << printableLabel(machine.transitions.at(i).label) + QStringLiteral(" (") + ends(machine, i)
                    + QLatin1Char(')');
    }
    QString text;
    text += states.isEmpty() ? QStringLiteral("Every state was entered.\n")
                             : QStringLiteral("States never entered: %1\n").arg(states.join(QStringLiteral(", ")));
    text += transitions.isEmpty() ? QStringLiteral("Every transition fired.\n")
                                  : QStringLiteral("Transitions never fired: %1\n").arg(transitions.join(QStringLiteral(", ")));
    return text;
}

} // namespace CoverageReport
