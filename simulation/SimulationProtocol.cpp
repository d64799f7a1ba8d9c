#include "SimulationProtocol.h"

#include <QList>

namespace {

// `count` whole numbers from `words`, starting at `first`; false when any is missing or no number.
bool numbersFrom(const QList<QByteArray> &words, int first, int count, QVector<qint64> *into)
{
    if (words.size() != first + count)
        return false;
    for (int i = first; i < words.size(); ++i) {
        bool ok = false;
        *into << words.at(i).toLongLong(&ok);
        if (!ok)
            return false;
    }
    return true;
}

SimulationLine unknown()
{
    return SimulationLine();
}

} // namespace

SimulationLine SimulationLine::parse(const QByteArray &line)
{
    SimulationLine result;
    const int space = line.indexOf(' ');
    const QByteArray word = space < 0 ? line : line.left(space);
    const QByteArray rest = space < 0 ? QByteArray() : line.mid(space + 1);
    const QList<QByteArray> words = line.split(' ');
    if (word == "ok" || word == "error") {
        result.kind = word == "ok" ? Ok : Error;
        result.text = QString::fromUtf8(rest);
        return result;
    }
    static const struct
    {
        const char *word;
        Kind kind;
        int count;
    } numbered[] = {
        { "cycle", Cycle, 4 }, { "kestro-sim", Hello, 6 }, { "crash", Crash, 6 }, { "stopped", Stopped, 6 },
        { "ended", Stopped, 6 }, { "ran", Ran, 3 }, { "alive", Alive, 0 },
    };
    for (const auto &shape : numbered) {
        if (word == shape.word) {
            result.kind = shape.kind;
            return numbersFrom(words, 1, shape.count, &result.numbers) ? result : unknown();
        }
    }
    if (word == "path") {
        // As many slots as the path is deep, none before the initial cycle.
        result.kind = Path;
        if (!numbersFrom(words, 1, words.size() - 1, &result.numbers) || result.numbers.size() > 16)
            return unknown();
        for (qint64 slot : qAsConst(result.numbers)) {
            if (slot < 0)
                return unknown();
        }
        return result;
    }
    if (word == "break") {
        result.kind = Break;
        if (words.size() != 3 || (words.at(1) != "state" && words.at(1) != "condition")
            || !numbersFrom(words, 2, 1, &result.numbers))
            return unknown();
        result.name = QString::fromLatin1(words.at(1));
        return result;
    }
    if (word == "call" && words.size() >= 2 && !words.at(1).isEmpty()) {
        result.kind = Call;
        result.name = QString::fromUtf8(words.at(1));
        result.text = QString::fromUtf8(rest.mid(words.at(1).size() + 1));
        return result;
    }
    if (word == "calls" && words.size() == 3 && !words.at(1).isEmpty()) {
        result.kind = Calls;
        result.name = QString::fromUtf8(words.at(1));
        return numbersFrom(words, 2, 1, &result.numbers) && result.numbers.first() > 0 ? result : unknown();
    }
    if (word == "covered") {
        result.kind = Covered;
        if (words.size() != 4 || (words.at(1) != "state" && words.at(1) != "transition")
            || !numbersFrom(words, 2, 2, &result.numbers) || result.numbers.at(1) < 0)
            return unknown();
        result.name = QString::fromLatin1(words.at(1));
        return result;
    }
    if (word == "replay") {
        // "replay CYCLE VARIABLE BITS" or "replay CYCLE stub STUB BITS" (the
        // name "stub"); the bits are unsigned and may need all 64.
        QList<QByteArray> numbers = words;
        if (words.size() == 5 && words.at(2) == "stub") {
            numbers.removeAt(2);
            result.name = QStringLiteral("stub");
        }
        bool ok = false;
        const quint64 bits = numbers.value(3).toULongLong(&ok);
        result.kind = Replay;
        if (numbers.size() != 4 || !ok || !numbersFrom(numbers.mid(0, 3), 1, 2, &result.numbers))
            return unknown();
        result.numbers << qint64(bits);
        return result;
    }
    if (word == "var" || word == "changed" || word == "value") {
        const int nameEnd = rest.indexOf(' ');
        if (nameEnd <= 0)
            return unknown();
        result.kind = word == "var" ? Variable : word == "changed" ? Changed : Value;
        result.name = QString::fromUtf8(rest.left(nameEnd));
        result.text = QString::fromUtf8(rest.mid(nameEnd + 1));
        return result;
    }
    return unknown();
}
