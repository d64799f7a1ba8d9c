#include "SimulationTrace.h"

#include "SimulationLevels.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace {

QByteArray csvField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') && !bytes.contains('\r'))
        return bytes;
    bytes.replace('"', "\"\"");
    return '"' + bytes + '"';
}

QByteArray jsonString(const QString &text)
{
    // A one-string array, written compactly, is "[" + the string + "]".
    const QByteArray array = QJsonDocument(QJsonArray{ text }).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

// Numbers stay numbers in JSON when JSON can write them as they are.
QByteArray jsonValue(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]+)?([eE][+-]?[0-9]+)?$"));
    return number.match(text).hasMatch() ? text.toUtf8() : jsonString(text);
}

} // namespace

bool SimulationTrace::formatOf(const QString &path, Format *format)
{
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        *format = Format::Csv;
    else if (path.endsWith(QLatin1String(".jsonl"), Qt::CaseInsensitive))
        *format = Format::JsonLines;
    else
        return false;
    return true;
}

QString SimulationTrace::stateName(const MachineDescription &machine, int state)
{
    if (state == machine.states.size())
        return QStringLiteral("(start)");
    if (state >= 0 && state < machine.states.size())
        return machine.states.at(state).label;
    return QStringLiteral("(invalid state %1)").arg(state);
}

bool SimulationTrace::showsEntryExit(const MachineDescription &machine)
{
    const SimulationLevels levels(machine);
    for (int k = 0; k < levels.levelCount(); ++k) {
        for (const MachineState &state : levels.level(k).states) {
            if (!state.entryAction.trimmed().isEmpty() || !state.exitAction.trimmed().isEmpty())
                return true;
        }
    }
    return false;
}

QString SimulationTrace::pathName(const MachineDescription &machine, const QVector<int> &path, int state)
{
    return path.isEmpty() ? stateName(machine, state) : SimulationLevels(machine).stateName(path.last());
}

void SimulationTrace::levelRow(Row *row, const MachineDescription &machine, const SimulationCycle &cycle)
{
    const SimulationLevels levels(machine);
    row->before = pathName(machine, cycle.beforePath, cycle.before);
    row->after = pathName(machine, cycle.afterPath, cycle.after);
    if (cycle.fired >= 0)
        row->fired = levels.transitionName(cycle.fired);
    if (!row->entryExit || (cycle.fired < 0 && !cycle.initialTransition(machine.states.size())))
        return;
    // A transition runs the exit actions of the states it leaves, innermost
    // first, and the entry actions of those it enters, outermost first.
    const int first = levels.firstEntered(cycle.beforePath, cycle.afterPath, cycle.fired);
    const auto action = [&](int slot, bool entry) {
        const MachineState &s = levels.level(levels.levelOfState(slot)).states.at(levels.stateIndex(slot));
        return !(entry ? s.entryAction : s.exitAction).trimmed().isEmpty();
    };
    QStringList exited;
    for (int i = cycle.beforePath.size() - 1; cycle.fired >= 0 && i >= first; --i) {
        if (action(cycle.beforePath.at(i), false))
            exited << levels.stateName(cycle.beforePath.at(i));
    }
    QStringList entered;
    for (int i = first; i < cycle.afterPath.size(); ++i) {
        if (action(cycle.afterPath.at(i), true))
            entered << levels.stateName(cycle.afterPath.at(i));
    }
    row->exited = exited.join(QLatin1Char(' '));
    row->entered = entered.join(QLatin1Char(' '));
}

SimulationTrace::Row SimulationTrace::row(const MachineDescription &machine,
                                          const QVector<SimulationVariable> &variables, const SimulationCycle &cycle)
{
    Row row;
    row.cycle = cycle.number;
    row.before = stateName(machine, cycle.before);
    row.after = stateName(machine, cycle.after);
    if (cycle.fired >= 0 && cycle.fired < machine.transitions.size())
        row.fired = machine.transitions.at(cycle.fired).label;
    else if (cycle.initialTransition(machine.states.size()))
        row.fired = QStringLiteral("(initial)");
    row.entryExit = showsEntryExit(machine);
    for (const SimulationChange &change : cycle.changes) {
        if (change.variable >= 0 && change.variable < variables.size())
            row.changes << qMakePair(variables.at(change.variable).name, change.value);
    }
    if (!machine.subMachines.empty()) {
        levelRow(&row, machine, cycle);
        return row;
    }
    // The generated code runs the exit action of the transition's start
    // state and the entry action of its end state (self transitions
    // included), and the initial state's entry action after the initial
    // transition.
    const auto hasCode = [&](int state, bool entry) {
        if (state < 0 || state >= machine.states.size())
            return false;
        const MachineState &s = machine.states.at(state);
        return !(entry ? s.entryAction : s.exitAction).trimmed().isEmpty();
    };
    if (cycle.fired >= 0 && cycle.fired < machine.transitions.size()) {
        const MachineTransition &t = machine.transitions.at(cycle.fired);
        if (hasCode(t.start, false))
            row.exited = machine.states.at(t.start).label;
        if (hasCode(t.end, true))
            row.entered = machine.states.at(t.end).label;
    } else if (cycle.initialTransition(machine.states.size()) && hasCode(cycle.after, true)) {
        row.entered = machine.states.at(cycle.after).label;
    }
    return row;
}

SimulationTrace::Row SimulationTrace::restartRow(bool entryExit)
{
    Row row;
    row.cycle = -1;
    row.restart = true;
    row.entryExit = entryExit;
    return row;
}

QString SimulationTrace::changesText(const Row &row)
{
    QStringList changes;
    for (const auto &change : row.changes)
        changes << change.first + QLatin1Char('=') + change.second;
    return changes.join(QLatin1Char(' '));
}

void SimulationTrace::addCalls(Row *row, const QVector<SimulationStub> &stubs, const SimulationCycle &cycle)
{
    row->hasCalls = !stubs.isEmpty();
    QHash<int, qint64> recorded;
    for (const SimulationCall &call : cycle.calls) {
        if (call.stub < 0 || call.stub >= stubs.size())
            continue;
        ++recorded[call.stub];
        row->calls << stubs.at(call.stub).name + QLatin1Char('(')
                + call.arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts).join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    // Calls past the recorded ones are counted only.
    for (const auto &count : cycle.callCounts) {
        const qint64 more = count.second - recorded.value(count.first);
        if (more > 0 && count.first >= 0 && count.first < stubs.size())
            row->calls << (more == 1 ? QStringLiteral("1 more call of %1").arg(stubs.at(count.first).name)
                                     : QStringLiteral("%1 more calls of %2").arg(more).arg(stubs.at(count.first).name));
    }
}

QString SimulationTrace::firedText(const Row &row)
{
    QStringList parts;
    if (!row.exited.isEmpty())
        parts << QStringLiteral("exit ") + row.exited;
    if (!row.fired.isEmpty())
        parts << row.fired;
    if (!row.entered.isEmpty())
        parts << QStringLiteral("entry ") + row.entered;
    return parts.join(QStringLiteral(", "));
}

QByteArray SimulationTrace::header(Format format, bool entryExit, bool calls)
{
    if (format != Format::Csv)
        return QByteArray();
    const QByteArray columns = entryExit ? QByteArrayLiteral("cycle,before,exit,fired,entry,after,changed")
                                         : QByteArrayLiteral("cycle,before,fired,after,changed");
    return columns + (calls ? ",calls\n" : "\n");
}

QByteArray SimulationTrace::line(Format format, const Row &row)
{
    if (row.restart)
        return format == Format::Csv
            ? (row.entryExit ? QByteArrayLiteral("restart,,,,,,") : QByteArrayLiteral("restart,,,,"))
                + (row.hasCalls ? ",\n" : "\n")
            : QByteArrayLiteral("{\"restart\":true}\n");
    if (format == Format::Csv) {
        const QByteArray fired = row.entryExit
            ? csvField(row.exited) + ',' + csvField(row.fired) + ',' + csvField(row.entered)
            : csvField(row.fired);
        return QByteArray::number(row.cycle) + ',' + csvField(row.before) + ',' + fired + ','
            + csvField(row.after) + ',' + csvField(changesText(row))
            + (row.hasCalls ? ',' + csvField(row.calls.join(QLatin1Char(' '))) : QByteArray()) + '\n';
    }
    QByteArray calls;
    if (row.hasCalls) {
        calls = ",\"calls\":[";
        for (int i = 0; i < row.calls.size(); ++i)
            calls += (i ? "," : "") + jsonString(row.calls.at(i));
        calls += ']';
    }
    QByteArray changes;
    for (const auto &change : row.changes)
        changes += (changes.isEmpty() ? "" : ",") + jsonString(change.first) + ':' + jsonValue(change.second);
    const auto orNull = [](const QString &text) { return text.isEmpty() ? QByteArray("null") : jsonString(text); };
    const QByteArray fired = row.entryExit
        ? ",\"exit\":" + orNull(row.exited) + ",\"fired\":" + orNull(row.fired) + ",\"entry\":" + orNull(row.entered)
        : ",\"fired\":" + orNull(row.fired);
    return "{\"cycle\":" + QByteArray::number(row.cycle) + ",\"before\":" + jsonString(row.before) + fired
        + ",\"after\":" + jsonString(row.after) + ",\"changed\":{" + changes + "}" + calls + "}\n";
}
