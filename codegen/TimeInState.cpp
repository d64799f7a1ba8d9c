#include "TimeInState.h"

#include "MemberRewrite.h"

#include <QSet>

namespace {

bool names(const QString &text, const QSet<QString> &name)
{
    return !text.isEmpty() && !MemberRewrite::named(text, name).isEmpty();
}

} // namespace

namespace TimeInState {

QString name()
{
    return QStringLiteral("kestro_cycles_in_state");
}

bool isUsed(const MachineDescription &m)
{
    const QSet<QString> name{ TimeInState::name() };
    for (const MachineState &s : m.states) {
        if (names(s.action, name) || names(s.entryAction, name) || names(s.exitAction, name)
            || names(s.initialCondition, name) || names(s.initialDescription, name))
            return true;
    }
    for (const MachineTransition &t : m.transitions) {
        if (names(t.condition, name) || names(t.action, name))
            return true;
    }
    for (const MachineText &t : m.texts) {
        if (names(t.text, name))
            return true;
    }
    return false;
}

QStringList counterTypes()
{
    return { QStringLiteral("uint8_t"), QStringLiteral("uint16_t"), QStringLiteral("uint32_t") };
}

QString counterType(const QString &stored)
{
    if (stored.isEmpty())
        return QStringLiteral("uint32_t");
    return counterTypes().contains(stored) ? stored : QString();
}

QString counterLimit(const QString &type)
{
    return type.toUpper().replace(QLatin1String("_T"), QLatin1String("_MAX"));
}

} // namespace TimeInState
