#pragma once

// A scenario for a simulated state machine, one command a line:
//
//   # comment
//   reset
//   set VAR VALUE        VALUE is a C integer or floating literal
//   step [N]             N cycles, default 1
//   expect state LABEL   the state label as drawn ("(start)" before the initial transition);
//                        a sub-machine's state holds while it is active, and
//                        LABEL/LABEL... names a state by its path (SimulationLevels)
//   expect VAR VALUE     numeric equality
//   stub NAME returns VALUE        a function nothing defines returns VALUE
//   stub NAME sequence V1 V2 ...   one value per call, then the last repeats
//   expect call NAME [COUNT]       NAME was called (COUNT times) during the
//                                  latest step or reset
//   expect no call NAME            NAME was not called then
//
// Blank lines and lines starting with "#" are skipped; words are separated
// by blanks or tabs. QtCore only.

#include <QString>
#include <QStringList>
#include <QVector>

struct SimulationScriptCommand
{
    enum Kind : int { Reset, Set, Step, ExpectState, ExpectValue, Stub, ExpectCall };

    Kind kind = Reset;
    int line = 0;        // 1-based line of the script
    QString name;        // Set and ExpectValue: the variable; ExpectState: the label
    QString value;       // Set and ExpectValue: the literal
    int cycles = 1;      // Step
    // Stub: the function in name, its values (one unless a sequence).
    QStringList values;
    bool sequence = false;
    // ExpectCall: the function in name; the calls expected, -1 for at least one.
    qint64 calls = -1;
};

class SimulationScript
{
public:
    // The most values one stub sequence may list.
    static constexpr int MaxStubValues = 256;

    // Reads the whole script; false when a line is not a command, and then
    // errors() says which and why.
    bool parse(const QString &text);

    const QVector<SimulationScriptCommand> &commands() const { return m_commands; }
    // "LINE: message", in line order.
    const QStringList &errors() const { return m_errors; }

    // A C integer or floating literal (decimal, octal, hexadecimal, with
    // suffixes), with an optional sign.
    static bool isLiteral(const QString &text);
    // An ASCII letter or "_" followed by letters, digits and "_".
    static bool isName(const QString &text);

private:
    bool parseLine(const QString &line, int number);
    bool parseStub(const QStringList &words, int number);
    bool parseExpectCall(const QStringList &words, int number);
    void error(int line, const QString &message);

    QVector<SimulationScriptCommand> m_commands;
    QStringList m_errors;
};
