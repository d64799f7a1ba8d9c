// The tables of the simulation dock: the trace keeps its latest cycles and
// says how many it let go, and writes the command-line tool's CSV; the
// variables table updates values in place (an open editor survives a
// cycle), marks what changed, and lets only inputs and locals be edited.

#include "SimulationFunctionsModel.h"
#include "SimulationCoverageModel.h"
#include "SimulationTraceModel.h"
#include "SimulationVariablesModel.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

SimulationTrace::Row row(qint64 cycle)
{
    SimulationTrace::Row r;
    r.cycle = cycle;
    r.before = QStringLiteral("A");
    r.after = QStringLiteral("B");
    r.fired = QStringLiteral("Go, now");
    r.changes << qMakePair(QStringLiteral("x"), QString::number(cycle));
    return r;
}

SimulationVariable variable(const QString &name, SimulationVariable::Role role, char kind, const QString &value)
{
    SimulationVariable v;
    v.name = name;
    v.datatype = QStringLiteral("int");
    v.role = role;
    v.kind = kind;
    v.size = 4;
    v.value = value;
    return v;
}

} // namespace

class tst_SimulationModels : public QObject
{
    Q_OBJECT

private slots:
    void traceKeepsTheLatestCyclesAndWritesCsv();
    void variablesUpdateInPlaceAndMarkChanges();
    void onlyInputsAndLocalsAreEditable();
    void functionsShowCallsAndEditReturns();
    void restartsAreRowsOfTheirOwn();
    void coverageListsEveryItemWithItsCount();
};

void tst_SimulationModels::restartsAreRowsOfTheirOwn()
{
    SimulationTraceModel model;
    model.append(row(0));
    model.append(SimulationTrace::restartRow());
    model.append(row(0));
    QCOMPARE(model.index(1, SimulationTraceModel::CycleColumn).data().toString(), QStringLiteral("Restart"));
    QCOMPARE(model.index(1, SimulationTraceModel::ChangedColumn).data(), QVariant());
    QVERIFY(model.index(1, SimulationTraceModel::CycleColumn).data(Qt::BackgroundRole).isValid());
    QVERIFY(!model.index(0, SimulationTraceModel::CycleColumn).data(Qt::BackgroundRole).isValid());
    QCOMPARE(model.csv(), QByteArray("cycle,before,fired,after,changed\n0,A,\"Go, now\",B,x=0\nrestart,,,,\n"
                                     "0,A,\"Go, now\",B,x=0\n"));
    QCOMPARE(SimulationTrace::line(SimulationTrace::Format::JsonLines, SimulationTrace::restartRow()),
             QByteArray("{\"restart\":true}\n"));
    // A machine with entry or exit actions has two more columns; the mark fills them too.
    QCOMPARE(SimulationTrace::line(SimulationTrace::Format::Csv, SimulationTrace::restartRow(true)),
             QByteArray("restart,,,,,,\n"));
}

void tst_SimulationModels::coverageListsEveryItemWithItsCount()
{
    MachineDescription machine;
    for (const char *label : { "Idle", "Busy" }) {
        MachineState s;
        s.label = QLatin1String(label);
        machine.states << s;
    }
    MachineTransition go;
    go.label = QStringLiteral("Go");
    go.start = 0;
    go.end = 1;
    machine.transitions << go;
    SimulationCoverageModel model;
    model.setMachine(machine);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.summary(), QStringLiteral("States entered: 0 of 2    Transitions fired: 0 of 1 (0%)"));
    SimulationCoverage coverage;
    coverage.stateEntries = { 3, 0 };
    coverage.transitionFires = { 0 };
    model.setCoverage(coverage);
    QCOMPARE(model.index(0, SimulationCoverageModel::CountColumn).data().toLongLong(), 3);
    QCOMPARE(model.index(1, SimulationCoverageModel::CountColumn).data().toString(), QStringLiteral("never entered"));
    QCOMPARE(model.index(2, SimulationCoverageModel::NameColumn).data().toString(), QStringLiteral("Go"));
    QCOMPARE(model.index(2, SimulationCoverageModel::CountColumn).data().toString(), QStringLiteral("never fired"));
    QVERIFY(model.index(1, SimulationCoverageModel::NameColumn).data(Qt::ForegroundRole).isValid());
    QVERIFY(!model.index(0, SimulationCoverageModel::NameColumn).data(Qt::ForegroundRole).isValid());
    QCOMPARE(model.summary(), QStringLiteral("States entered: 1 of 2    Transitions fired: 0 of 1 (0%)"));
    // Counts of another machine are not shown.
    coverage.stateEntries = { 1, 1, 1 };
    model.setCoverage(coverage);
    QCOMPARE(model.index(0, SimulationCoverageModel::CountColumn).data().toLongLong(), 3);
}

void tst_SimulationModels::traceKeepsTheLatestCyclesAndWritesCsv()
{
    SimulationTraceModel model;
    model.append(row(0));
    model.append(row(1));
    QCOMPARE(model.csv(), QByteArray("cycle,before,fired,after,changed\n"
                                     "0,A,\"Go, now\",B,x=0\n"
                                     "1,A,\"Go, now\",B,x=1\n"));
    QCOMPARE(model.index(1, SimulationTraceModel::ChangedColumn).data().toString(), QStringLiteral("x=1"));

    for (qint64 cycle = 2; cycle < SimulationTraceModel::MaxRows; ++cycle)
        model.append(row(cycle));
    QCOMPARE(model.rowCount(), SimulationTraceModel::MaxRows);
    QCOMPARE(model.dropped(), 0);
    // One more lets the earliest go, in a chunk, and counts them.
    model.append(row(SimulationTraceModel::MaxRows));
    QVERIFY(model.dropped() > 0);
    QCOMPARE(model.rowCount() + model.dropped(), qint64(SimulationTraceModel::MaxRows) + 1);
    QCOMPARE(model.rows().first().cycle, model.dropped());
    QCOMPARE(model.rows().last().cycle, qint64(SimulationTraceModel::MaxRows));
    QVERIFY(model.csv().startsWith("cycle,before,fired,after,changed\n" + QByteArray::number(model.dropped()) + ","));

    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.dropped(), 0);
}

void tst_SimulationModels::variablesUpdateInPlaceAndMarkChanges()
{
    SimulationVariablesModel model;
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    QVector<SimulationVariable> vars{ variable("a", SimulationVariable::Local, 'i', "1"),
                                      variable("b", SimulationVariable::Input, 'u', "2") };
    model.setVariables(vars);
    QCOMPARE(resets.count(), 1);

    vars[1].value = QStringLiteral("3");
    model.setVariables(vars, { 1 });
    QCOMPARE(resets.count(), 1);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(0).value<QModelIndex>().row(), 1);
    QCOMPARE(model.index(1, SimulationVariablesModel::ValueColumn).data().toString(), QStringLiteral("3"));
    QVERIFY(model.index(1, SimulationVariablesModel::ValueColumn).data(Qt::FontRole).value<QFont>().bold());
    QVERIFY(!model.index(0, SimulationVariablesModel::ValueColumn).data(Qt::FontRole).isValid());

    // The next update takes the mark off what did not change again.
    model.setVariables(vars);
    QCOMPARE(changes.count(), 2);
    QVERIFY(!model.isChanged(1));

    // Other variables (a new program) replace the rows.
    vars << variable("c", SimulationVariable::Output, 'i', "0");
    model.setVariables(vars);
    QCOMPARE(resets.count(), 2);
    QCOMPARE(model.rowCount(), 3);
}

void tst_SimulationModels::onlyInputsAndLocalsAreEditable()
{
    SimulationVariablesModel model;
    model.setVariables({ variable("local", SimulationVariable::Local, 'f', "1.5"),
                         variable("in", SimulationVariable::Input, 'u', "2"),
                         variable("both", SimulationVariable::InputOutput, 'b', "1"),
                         variable("out", SimulationVariable::Output, 'i', "0"),
                         variable("blob", SimulationVariable::Local, 'r', "00 01") });
    const auto editable = [&](int row) {
        return bool(model.flags(model.index(row, SimulationVariablesModel::ValueColumn)) & Qt::ItemIsEditable);
    };
    QVERIFY(editable(0) && editable(1) && editable(2));
    QVERIFY(!editable(3));
    QVERIFY(!editable(4));
    QVERIFY(!(model.flags(model.index(1, SimulationVariablesModel::NameColumn)) & Qt::ItemIsEditable));

    // An edit is asked for, not taken: the machine's program says what the value is.
    QSignalSpy edits(&model, &SimulationVariablesModel::valueEdited);
    QVERIFY(!model.setData(model.index(1, SimulationVariablesModel::ValueColumn), QStringLiteral(" 0x10 ")));
    QCOMPARE(edits.count(), 1);
    QCOMPARE(edits.at(0).at(0).toInt(), 1);
    QCOMPARE(edits.at(0).at(1).toString(), QStringLiteral("0x10"));
    QCOMPARE(model.index(1, SimulationVariablesModel::ValueColumn).data().toString(), QStringLiteral("2"));
    // Nothing is asked for the output, nor for an unchanged value.
    model.setData(model.index(3, SimulationVariablesModel::ValueColumn), QStringLiteral("5"));
    model.setData(model.index(1, SimulationVariablesModel::ValueColumn), QStringLiteral("2"));
    QCOMPARE(edits.count(), 1);
}

QTEST_MAIN(tst_SimulationModels)
// Stubs update in place; only those returning a number are editable, and
// an edit of several values asks for a sequence.
void tst_SimulationModels::functionsShowCallsAndEditReturns()
{
    SimulationFunctionsModel model;
    SimulationStub timer;
    timer.name = QStringLiteral("timer_expired");
    SimulationStub led;
    led.name = QStringLiteral("led_write");
    led.returns = 'v';
    model.setStubs({ timer, led });
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.index(1, SimulationFunctionsModel::ReturnsColumn).data().toString(), QStringLiteral("(void)"));
    QVERIFY(!(model.flags(model.index(1, SimulationFunctionsModel::ReturnsColumn)) & Qt::ItemIsEditable));
    QVERIFY(model.flags(model.index(0, SimulationFunctionsModel::ReturnsColumn)) & Qt::ItemIsEditable);

    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    timer.calls = 3;
    model.setStubs({ timer, led });
    QCOMPARE(reset.count(), 0);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(model.index(0, SimulationFunctionsModel::CallsColumn).data().toLongLong(), 3);

    QSignalSpy edited(&model, &SimulationFunctionsModel::returnsEdited);
    const QModelIndex returns = model.index(0, SimulationFunctionsModel::ReturnsColumn);
    QVERIFY(!model.setData(returns, QStringLiteral(" 0 ")));   // as it is
    QVERIFY(!model.setData(returns, QStringLiteral("1")));
    QVERIFY(!model.setData(returns, QStringLiteral("1  0\t0")));
    QVERIFY(!model.setData(model.index(1, SimulationFunctionsModel::ReturnsColumn), QStringLiteral("1")));
    QCOMPARE(edited.count(), 2);
    QCOMPARE(edited.at(0).at(1).toStringList(), QStringList{ "1" });
    QCOMPARE(edited.at(0).at(2).toBool(), false);
    QCOMPARE(edited.at(1).at(1).toStringList(), QStringList({ "1", "0", "0" }));
    QCOMPARE(edited.at(1).at(2).toBool(), true);
}

#include "tst_simulation_models.moc"
