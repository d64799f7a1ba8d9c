#include "SimulationRecords.h"

#include <algorithm>

QString SimulationVariable::roleName(Role role)
{
    switch (role) {
    case Input:
        return QStringLiteral("input");
    case Output:
        return QStringLiteral("output");
    case InputOutput:
        return QStringLiteral("input/output");
    case Local:
        break;
    }
    return QStringLiteral("local");
}

int SimulationCoverage::statesEntered() const
{
    return int(std::count_if(stateEntries.cbegin(), stateEntries.cend(), [](qint64 n) { return n > 0; }));
}

int SimulationCoverage::transitionsFired() const
{
    return int(std::count_if(transitionFires.cbegin(), transitionFires.cend(), [](qint64 n) { return n > 0; }));
}

double SimulationCoverage::transitionPercent() const
{
    return transitionFires.isEmpty() ? 100.0 : 100.0 * transitionsFired() / transitionFires.size();
}
