#include "SimulationPlace.h"

#include "ItemRef.h"
#include "SimulationLevels.h"
#include "SimulationTrace.h"

#include <csignal>
#include <cstring>

namespace SimulationPlace {

QString signalName(int number)
{
    static const struct
    {
        int number;
        const char *name;
    } names[] = {
        { SIGSEGV, "SIGSEGV" }, { SIGBUS, "SIGBUS" }, { SIGFPE, "SIGFPE" },   { SIGILL, "SIGILL" },
        { SIGABRT, "SIGABRT" }, { SIGTRAP, "SIGTRAP" }, { SIGSYS, "SIGSYS" }, { SIGKILL, "SIGKILL" },
        { SIGTERM, "SIGTERM" },
    };
    QString name = QStringLiteral("signal %1").arg(number);
    for (const auto &known : names) {
        if (known.number == number)
            name = QLatin1String(known.name);
    }
    const char *description = ::strsignal(number);
    return description ? name + QStringLiteral(" (") + QString::fromLocal8Bit(description) + QLatin1Char(')') : name;
}

QString describe(const SimulationLevels &levels, int state, const QVector<int> &path, int fired, int phase,
                 int condition)
{
    const MachineDescription &machine = levels.level(0);
    const int states = machine.states.size();
    if (phase == 2 && condition >= 0)
        return QStringLiteral("while evaluating breakpoint condition %1").arg(condition + 1);
    if (state == states && phase == 1)
        return QStringLiteral("in the initial transition");
    if (state < 0 || state > states)
        return QStringLiteral("in an invalid state (%1)").arg(state);
    QString text = QStringLiteral("in state ") + printableLabel(SimulationTrace::pathName(machine, path, state));
    if (phase == 0)
        return QStringLiteral("between cycles, ") + text;
    if (phase == 1 && fired >= 0 && fired < levels.transitionSlots())
        text += QStringLiteral(" while running transition ") + printableLabel(levels.transitionName(fired));
    return text;
}

} // namespace SimulationPlace
