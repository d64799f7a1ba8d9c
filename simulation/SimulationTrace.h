#pragma once

// The trace of a simulation, a row per cycle: its number, the state before,
// the transition that fired, the state after and the variables that
// changed, as CSV or as JSON lines. QtCore only.

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
    };

    // The format a file name asks for (".csv" or ".jsonl"); false for others.
    static bool formatOf(const QString &path, Format *format);

    // A cycle as a row; states are named as SimulationSession::stateName does.
    static Row row(const MachineDescription &machine, const QVector<SimulationVariable> &variables,
                   const SimulationCycle &cycle);

    // The stubs' calls of a cycle into the row (`stubs`: the session's).
    static void addCalls(Row *row, const QVector<SimulationStub> &stubs, const SimulationCycle &cycle);

    // CSV has a header line, with a "calls" column for a machine with stubs; JSON lines have none.
    static QByteArray header(Format format, bool calls = false);
    // One line, ending in "\n".
    static QByteArray line(Format format, const Row &row);

    static QString stateName(const MachineDescription &machine, int state);
    // The changed variables as "name=value" words, as the CSV has them.
    static QString changesText(const Row &row);
};
