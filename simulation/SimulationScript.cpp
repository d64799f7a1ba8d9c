#include "SimulationScript.h"

#include <QRegularExpression>

namespace {

// The most cycles one step command may ask for.
const qint64 MaxCycles = 2147483647;

} // namespace

bool SimulationScript::isLiteral(const QString &text)
{
    static const QRegularExpression literal(QStringLiteral(
        "^[+-]?(?:"
        // integers: hexadecimal, octal, decimal, with u, l, ll suffixes
        "(?:0[xX][0-9a-fA-F]+|0[0-7]*|[1-9][0-9]*)(?:[uU](?:ll|LL|l|L)?|(?:ll|LL|l|L)[uU]?)?"
        // decimal floating
        "|(?:(?:[0-9]*\\.[0-9]+|[0-9]+\\.)(?:[eE][+-]?[0-9]+)?|[0-9]+[eE][+-]?[0-9]+)[fFlL]?"
        // hexadecimal floating
        "|0[xX](?:[0-9a-fA-F]*\\.[0-9a-fA-F]+|[0-9a-fA-F]+\\.?)[pP][+-]?[0-9]+[fFlL]?"
        ")$"));
    return literal.match(text).hasMatch();
}

bool SimulationScript::isName(const QString &text)
{
    static const QRegularExpression name(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return name.match(text).hasMatch();
}

bool SimulationScript::parse(const QString &text)
{
    m_commands.clear();
    m_errors.clear();
    // A byte order mark that an editor put at the start is no command.
    const QStringList lines = (text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i)
        parseLine(lines.at(i), i + 1);
    return m_errors.isEmpty();
}

void SimulationScript::error(int line, const QString &message)
{
    m_errors << QStringLiteral("%1: %2").arg(line).arg(message);
}

bool SimulationScript::parseLine(const QString &raw, int number)
{
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    const QString line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
        return true;
    const QStringList words = line.split(blanks);
    const QString &command = words.first();
    SimulationScriptCommand c;
    c.line = number;
    if (command == QLatin1String("reset") && words.size() == 1) {
        c.kind = SimulationScriptCommand::Reset;
    } else if (command == QLatin1String("step") && words.size() <= 2) {
        c.kind = SimulationScriptCommand::Step;
        bool ok = true;
        const qint64 cycles = words.size() == 2 ? words.at(1).toLongLong(&ok) : 1;
        if (!ok || cycles < 1 || cycles > MaxCycles || !words.value(1, QStringLiteral("1")).at(0).isDigit()) {
            error(number, QStringLiteral("step takes a number of cycles from 1 to %1, not '%2'").arg(MaxCycles).arg(words.value(1)));
            return false;
        }
        c.cycles = int(cycles);
    } else if (command == QLatin1String("set") && words.size() == 3) {
        c.kind = SimulationScriptCommand::Set;
        c.name = words.at(1);
        c.value = words.at(2);
    } else if (command == QLatin1String("expect") && words.size() >= 3 && words.at(1) == QLatin1String("state")) {
        c.kind = SimulationScriptCommand::ExpectState;
        // The label is the rest of the line: labels may hold blanks.
        c.name = line.mid(line.indexOf(QLatin1String("state")) + 5).trimmed();
        m_commands << c;
        return true;
    } else if (command == QLatin1String("stub")) {
        return parseStub(words, number);
    } else if (command == QLatin1String("expect")
               && ((words.size() == 4 && words.at(1) == QLatin1String("no") && words.at(2) == QLatin1String("call"))
                   || (words.size() >= 3 && words.size() <= 4 && words.at(1) == QLatin1String("call")
                       && !isLiteral(words.at(2))))) {
        return parseExpectCall(words, number);
    } else if (command == QLatin1String("expect") && words.size() == 3) {
        c.kind = SimulationScriptCommand::ExpectValue;
        c.name = words.at(1);
        c.value = words.at(2);
    } else {
        error(number, QStringLiteral("not a command: '%1' (reset, set VAR VALUE, step [N], expect state LABEL, "
                                     "expect VAR VALUE, stub NAME returns VALUE, stub NAME sequence VALUE..., "
                                     "expect call NAME [COUNT], expect no call NAME)").arg(line));
        return false;
    }
    if (!c.name.isEmpty() && !isName(c.name)) {
        error(number, QStringLiteral("'%1' is not a variable name").arg(c.name));
        return false;
    }
    if (!c.value.isEmpty() && !isLiteral(c.value)) {
        error(number, QStringLiteral("'%1' is not a C integer or floating literal").arg(c.value));
        return false;
    }
    m_commands << c;
    return true;
}

bool SimulationScript::parseStub(const QStringList &words, int number)
{
    SimulationScriptCommand c;
    c.kind = SimulationScriptCommand::Stub;
    c.line = number;
    const QString mode = words.value(2);
    c.sequence = mode == QLatin1String("sequence");
    if (words.size() < 4 || (mode != QLatin1String("returns") && !c.sequence) || (!c.sequence && words.size() != 4)) {
        error(number, QStringLiteral("stub takes NAME returns VALUE or NAME sequence VALUE..., not '%1'")
                          .arg(words.join(QLatin1Char(' '))));
        return false;
    }
    c.name = words.at(1);
    c.values = words.mid(3);
    if (!isName(c.name)) {
        error(number, QStringLiteral("'%1' is not a function name").arg(c.name));
        return false;
    }
    if (c.values.size() > MaxStubValues) {
        error(number, QStringLiteral("a sequence takes at most %1 values").arg(MaxStubValues));
        return false;
    }
    for (const QString &value : qAsConst(c.values)) {
        if (!isLiteral(value)) {
            error(number, QStringLiteral("'%1' is not a C integer or floating literal").arg(value));
            return false;
        }
    }
    m_commands << c;
    return true;
}

bool SimulationScript::parseExpectCall(const QStringList &words, int number)
{
    SimulationScriptCommand c;
    c.kind = SimulationScriptCommand::ExpectCall;
    c.line = number;
    if (words.at(1) == QLatin1String("no")) {
        c.name = words.at(3);
        c.calls = 0;
    } else {
        c.name = words.at(2);
        bool ok = true;
        if (words.size() == 4)
            c.calls = words.at(3).toLongLong(&ok);
        if (!ok || (words.size() == 4 && (c.calls < 0 || !words.at(3).at(0).isDigit()))) {
            error(number, QStringLiteral("expect call takes a number of calls, not '%1'").arg(words.at(3)));
            return false;
        }
    }
    if (!isName(c.name)) {
        error(number, QStringLiteral("'%1' is not a function name").arg(c.name));
        return false;
    }
    m_commands << c;
    return true;
}
