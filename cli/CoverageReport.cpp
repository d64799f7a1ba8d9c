#include "CoverageReport.h"

#include "ItemRef.h"
#include "SimulationLevels.h"

#include <QStringList>

namespace CoverageReport {

namespace {

// A state slot's name; a sub-machine's with its place ("Running/Cruise").
QString stateLabel(const SimulationLevels &levels, int slot)
{
    const QString name = levels.stateName(slot);
    return name.isNull() ? QStringLiteral("?") : printableLabel(name);
}

QString percent(double value)
{
    return QString::number(value, 'f', 1) + QLatin1Char('%');
}

} // namespace

QString ends(const MachineDescription &machine, int transition)
{
    const SimulationLevels levels(machine);
    const int k = levels.levelOfTransition(transition);
    const MachineTransition &t = levels.level(k).transitions.at(levels.transitionIndex(transition));
    const auto end = [&](int state) {
        return state >= 0 && state < levels.level(k).states.size() ? stateLabel(levels, levels.stateSlot(k, state))
                                                                     : QStringLiteral("?");
    };
    return end(t.start) + QStringLiteral(" -> ") + end(t.end);
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
    const SimulationLevels levels(machine);
    for (int i = 0; i < coverage.stateEntries.size() && i < levels.stateSlots(); ++i) {
        const qint64 n = coverage.stateEntries.at(i);
        text += QStringLiteral("  state %1: %2\n")
                    .arg(stateLabel(levels, i), n > 0 ? QStringLiteral("entered %1").arg(n) : QStringLiteral("never entered"));
    }
    for (int i = 0; i < coverage.transitionFires.size() && i < levels.transitionSlots(); ++i) {
        const qint64 n = coverage.transitionFires.at(i);
        text += QStringLiteral("  transition %1 (%2): %3\n")
                    .arg(printableLabel(levels.transitionName(i)), ends(machine, i),
                         n > 0 ? QStringLiteral("fired %1").arg(n) : QStringLiteral("never fired"));
    }
    return text;
}

QString unreached(const MachineDescription &machine, const SimulationCoverage &coverage)
{
    const SimulationLevels levels(machine);
    QStringList states;
    for (int i = 0; i < coverage.stateEntries.size() && i < levels.stateSlots(); ++i) {
        if (coverage.stateEntries.at(i) == 0)
            states << stateLabel(levels, i);
    }
    QStringList transitions;
    for (int i = 0; i < coverage.transitionFires.size() && i < levels.transitionSlots(); ++i) {
        if (coverage.transitionFires.at(i) == 0)
            transitions << printableLabel(levels.transitionName(i)) + QStringLiteral(" (") + ends(machine, i)
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
