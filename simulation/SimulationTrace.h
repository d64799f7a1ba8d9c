#pragma once

// The trace of a simulation, a row per cycle: its number, the state before,
// the transition that fired, the state after and the variables that
// changed, as CSV or as JSON lines. For a machine with entry or exit
// actions a row also names, in the order they ran, the state whose exit
// action ran before the transition's action and the state whose entry
// action ran after it (told from the transition that fired and the states'
// actions); other machines' traces have no such fields.
//
// A machine with sub-machines names in its state columns the innermost
// active state with its place ("Running/Cruise"), a sub-machine's
// transition likewise ("Running/faster"), and all the states whose exit or
// entry actions ran, blank-separated (innermost exit first, outermost entry
// first); its columns are those of any other machine. QtCore only.

#include "MachineDescription.h"
#include "SimulationRecords.h"

#include <QByteArray>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

class SimulationTrace
{
public:
    enum class Format { Csv, JsonLines };

    struct Row
    {
        qint64 cycle = 0;
        QString before;
        QString fired;     // the transition's label, "(initial)", or empty when none fired
        QString after;
        QVector<QPair<QString, QString>> changes;   // variable, new value
        // The calls of stubbed functions ("NAME(ARGUMENTS)"), shown when the
        // machine has stubs: a column of their own.
        bool hasCalls = false;
        QStringList calls;
        bool entryExit = false;   // the trace has the two fields below
        QString exited;    // the state whose exit action ran, else empty
        QString entered;   // the state whose entry action ran, else empty
        // The machine was started again here: the row is no cycle but the
        // mark between two runs ("restart" in the cycle column).
        bool restart = false;
    };

    // The mark between two runs of one trace.
    // The mark between two runs, with as many CSV columns as the rows of a
    // machine that does (entryExit) or does not show entry and exit actions.
    static Row restartRow(bool entryExit = false);

    // The format a file name asks for (".csv" or ".jsonl"); false for others.
    static bool formatOf(const QString &path, Format *format);

    // A cycle as a row; states are named as SimulationSession::stateName does.
    static Row row(const MachineDescription &machine, const QVector<SimulationVariable> &variables,
                   const SimulationCycle &cycle);

    // Whether the machine's trace names exits and entries: a state has an
    // entry or an exit action.
    static bool showsEntryExit(const MachineDescription &machine);

    // The stubs' calls of a cycle into the row (`stubs`: the session's).
    static void addCalls(Row *row, const QVector<SimulationStub> &stubs, const SimulationCycle &cycle);

    // CSV has a header line; JSON lines have none. With `entryExit` the
    // columns are cycle, before, exit, fired, entry, after, changed; with
    // `calls` (a machine with stubs) a calls column follows.
    static QByteArray header(Format format, bool entryExit = false, bool calls = false);
    // One line, ending in "\n".
    static QByteArray line(Format format, const Row &row);

    static QString stateName(const MachineDescription &machine, int state);
    // The innermost state of an active path with its place
    // (SimulationLevels::stateName); stateName(machine, state) when empty.
    static QString pathName(const MachineDescription &machine, const QVector<int> &path, int state);
    // The changed variables as "name=value" words, as the CSV has them.
    static QString changesText(const Row &row);
    // What ran in the cycle's transition, in order: "exit A, T, entry B"
    // (the parts there are), or the transition's name alone.
    static QString firedText(const Row &row);

private:
    // The state, transition and entry and exit fields of a machine with sub-machines.
    static void levelRow(Row *row, const MachineDescription &machine, const SimulationCycle &cycle);
};
