#include "ClassicRun.h"

#include "DesignChecks.h"
#include "MemberRewrite.h"
#include "TimeInState.h"

#include <algorithm>

ClassicRun::ClassicRun(const MachineDescription &m, const ModuleProperties &p, qint64 limit, const QString &type)
    : ModuleRun(m, p, limit, type)
{
    commentMark = "-- ";
    module = CEmitter::moduleName(m.processLabel);
    Level level{ &m, CEmitter::enumTypeName(module), CEmitter::stateVariable(module),
                 CEmitter::startEnumerator(module), {}, DesignChecks::initialState(m), {} };
    if (!type.isNull() && (m.subMachines.empty() || TimeInState::isUsed(m)))
        level.counter = TimeInState::name();
    levels << level;
    for (const MachineDescription &sub : m.subMachines) {
        const QString &holder = sub.processLabel;
        levels << Level{ &sub, CEmitter::subEnumTypeName(module, holder), CEmitter::subStateVariable(module, holder),
                         CEmitter::subStartEnumerator(module, holder), {}, DesignChecks::initialState(sub),
                         !type.isNull() && TimeInState::isUsed(sub) ? CEmitter::subCounter(module, holder) : QString() };
    }
    for (Level &l : levels) {
        for (const MachineState &s : l.machine->states)
            l.enumerators << CEmitter::stateEnumerator(module, s.label);
        l.enumerators << l.start;
    }
    select(-1);
}

void ClassicRun::select(int d)
{
    const Level &l = levels.at(d + 1);
    diagram = d;
    machine = l.machine;
    enumType = l.enumType;
    stateVar = l.stateVar;
    start = l.start;
    enumerators = l.enumerators;
    initialState = l.initialState;
    counter = l.counter;
}

QString ClassicRun::own(const QString &text) const
{
    if (diagram < 0 || counter.isEmpty())
        return text;
    const QString prefix = counter.left(counter.size() - TimeInState::name().size());
    return MemberRewrite::rewrite(text, { TimeInState::name() }, prefix).text;
}

QString ClassicRun::fill(const QString &text, const QStringList &values)
{
    const QString filled = CEmitter::fillTemplate(text, values, budget);
    if (filled.isNull())
        source.markOverflowed();
    return filled;
}

QString ClassicRun::indented(const QString &text, const QString &indent)
{
    const qint64 size = text.size() + qint64(text.count(QLatin1Char('\n'))) * indent.size();
    if (size > budget) {
        source.markOverflowed();
        return QString();
    }
    // Built in one pass: QString::replace() with a longer replacement
    // moves the rest of the text again for every block of matches,
    // which grows with the square of the number of lines.
    QString result;
    result.reserve(int(size));
    const QChar *begin = text.constData();
    const QChar *end = begin + text.size();
    for (const QChar *from = begin; from != end;) {
        const QChar *line = std::find(from, end, QLatin1Char('\n'));
        if (line == end) {
            result.append(from, int(end - from));
            break;
        }
        result.append(from, int(line - from) + 1);
        result.append(indent);
        from = line + 1;
    }
    return result;
}

QVector<SubMachineEmitter::Diagram> ClassicRun::subMachineNames() const
{
    QVector<SubMachineEmitter::Diagram> names;
    for (int d = 0; d < levels.size(); ++d) {
        const Level &l = levels.at(d);
        SubMachineEmitter::Diagram n;
        n.stateVar = l.stateVar;
        n.start = l.start;
        n.values = l.enumerators.mid(0, l.enumerators.size() - 1);
        n.counter = l.counter;
        for (const MachineState &s : l.machine->states) {
            n.stateCalls << s.label + QLatin1String("()");
            n.active << CEmitter::activeMacro(module, s.label);
        }
        if (d > 0) {
            n.enter = CEmitter::subEnterFunction(module, l.machine->processLabel);
            n.exit = CEmitter::subExitFunction(module, l.machine->processLabel);
            n.cycle = CEmitter::subCycleFunction(module, l.machine->processLabel);
        }
        names << n;
    }
    return names;
}
