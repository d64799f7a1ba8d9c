// Machines with sub-machines in the simulator: the slots of every level
// and the active path (SimulationLevels), and the generated C of both
// module styles run with tcc and with the system's compiler through a
// session: the path after each
// cycle, the trace's names, coverage and breakpoints of sub-states, and a
// long run counting as single steps do.

#include "CEmitter.h"
#include "CompileCheck.h"
#include "HandMachine.h"
#include "SimulationLevels.h"
#include "SimulationProtocol.h"
#include "SessionRun.h"
#include "SimulationSession.h"
#include "SimulationTrace.h"

#include <QtTest>

#include <memory>

namespace {

using HandMachine::join;
using HandMachine::state;

// Cruiser: Idle (initial) -> Running on go, back on stop. Running holds
// RampUp (initial, counts speed up from 0) -> Cruise at speed 3; Cruise
// holds Steady (initial) with a self transition Trim on trim. Running and
// Cruise note their exits in log, RampUp and Steady have entry actions.
MachineDescription cruiser()
{
    MachineDescription m;
    m.processLabel = QStringLiteral("Cruiser");
    for (const char *name : { "go", "stop", "speed", "trim", "log" })
        m.memories << MachineMemory{ QString::fromLatin1(name), QStringLiteral("int") };
    m.states << state("Idle", "", true) << state("Running", "");
    m.states[1].exitAction = QStringLiteral("log = log * 10 + 1;");
    m.states[1].subMachine = 0;
    join(m, 0, 1, "Start", "(go)");
    join(m, 1, 0, "Halt", "(stop)");

    MachineDescription running;
    running.processLabel = QStringLiteral("Running");
    running.parent = -1;
    running.holder = 1;
    running.nodePath = { 1, 1, 1, 1, 1 };
    running.states << state("RampUp", "speed++;", true) << state("Cruise", "");
    running.states[0].entryAction = QStringLiteral("speed = 0;");
    running.states[1].exitAction = QStringLiteral("log = log * 10 + 2;");
    running.states[1].subMachine = 1;
    join(running, 0, 1, "Reached", "(speed >= 3)");

    MachineDescription cruise;
    cruise.processLabel = QStringLiteral("Cruise");
    cruise.parent = 0;
    cruise.holder = 1;
    cruise.nodePath = { 1, 1, 1, 1, 1, 1 };
    cruise.states << state("Steady", "if (kestro_cycles_in_state > 100) trim = 0;\nif (trim == 7) *(volatile int *)0 = 1;", true);
    cruise.states[0].entryAction = QStringLiteral("speed = 3;");
    join(cruise, 0, 0, "Trim", "(trim)");

    m.subMachines.push_back(running);
    m.subMachines.push_back(cruise);
    return m;
}

// Slots: Idle 0, Running 1, RampUp 2, Cruise 3, Steady 4; transitions
// Start 0, Halt 1, Reached 2, Trim 3.
enum { Idle, Running, RampUp, Cruise, Steady };
enum { Start, Halt, Reached, Trim };

struct Sim : SessionRun
{
    SimulationTrace::Row lastRow() const
    {
        return SimulationTrace::row(session->machine(), session->variables(), cycles.last());
    }
};

std::unique_ptr<Sim> simulate(const MachineDescription &m, const QStringList &compiler)
{
    return startSession<Sim>(m, compiler);
}

// Both module styles (one instance), each with tcc and with the system's compiler.
void compilerRows()
{
    QTest::addColumn<QStringList>("compiler");
    QTest::addColumn<int>("style");
    const QString tcc = QStandardPaths::findExecutable(QStringLiteral("tcc"));
    for (ModuleStyle style : { ModuleStyle::Classic, ModuleStyle::Instance }) {
        const char *name = style == ModuleStyle::Classic ? "classic" : "instance";
        QTest::newRow(qPrintable(QStringLiteral("%1 tcc").arg(QLatin1String(name))))
            << (tcc.isEmpty() ? QStringList() : QStringList{ tcc }) << int(style);
        QTest::newRow(qPrintable(QStringLiteral("%1 cc").arg(QLatin1String(name))))
            << CompileCheck::defaultCompiler() << int(style);
    }
}

MachineDescription cruiserIn(int style)
{
    MachineDescription m = cruiser();
    m.style = ModuleStyle(style);
    return m;
}

#define START(sim)                                                                                                    \
    QFETCH(QStringList, compiler);                                                                                     \
    QFETCH(int, style);                                                                                                \
    if (compiler.isEmpty())                                                                                            \
        QSKIP("tcc is not installed");                                                                                 \
    auto sim = simulate(cruiserIn(style), compiler);                                                                   \
    QVERIFY2(sim->session->waitForReady(60000), qPrintable(failureText(sim->session->failure())))

using Path = QVector<int>;

} // namespace

class TestSimulationLevels : public QObject
{
    Q_OBJECT
private slots:
    // Slots, names, paths and which states a cycle entered, from the
    // description alone.
    void levelsNumberEveryState()
    {
        const MachineDescription m = cruiser();
        const SimulationLevels levels(m);
        QCOMPARE(levels.levelCount(), 3);
        QCOMPARE(levels.stateSlots(), 5);
        QCOMPARE(levels.transitionSlots(), 4);
        QCOMPARE(levels.stateName(Steady), QStringLiteral("Running/Cruise/Steady"));
        QCOMPARE(levels.stateName(Idle), QStringLiteral("Idle"));
        QCOMPARE(levels.transitionName(Reached), QStringLiteral("Running/Reached"));
        QCOMPARE(levels.transitionName(Trim), QStringLiteral("Running/Cruise/Trim"));
        QVERIFY(levels.stateName(5).isNull());
        QCOMPARE(levels.subLevel(0, 1), 1);
        QCOMPARE(levels.subLevel(1, 1), 2);
        QCOMPARE(levels.subLevel(1, 0), -1);

        // A label of any level, or a path from any level down; nothing else.
        Path chain;
        QCOMPARE(levels.findState(QStringLiteral("Cruise")), int(Cruise));
        QCOMPARE(levels.findState(QStringLiteral("Running/Cruise"), &chain), int(Cruise));
        QCOMPARE(chain, Path({ Running, Cruise }));
        QCOMPARE(levels.findState(QStringLiteral("Cruise/Steady")), int(Steady));
        QCOMPARE(levels.findState(QStringLiteral("Idle/Cruise")), -1);
        QCOMPARE(levels.findState(QStringLiteral("Running/Steady")), -1);
        QCOMPARE(levels.findState(QStringLiteral("Running/")), -1);
        QVERIFY(SimulationLevels::isActive({ Running, Cruise }, { Running, Cruise, Steady }));
        QVERIFY(!SimulationLevels::isActive({ Running, Cruise }, { Running, RampUp }));
        QVERIFY(!SimulationLevels::isActive({}, { Idle }));

        QVERIFY(levels.isPath({ Running, Cruise, Steady }, Running));
        QVERIFY(levels.isPath({}, 2));   // the start value: nothing active
        QVERIFY(!levels.isPath({ Running, Steady }, Running));
        QVERIFY(!levels.isPath({ Idle, RampUp }, Idle));
        QVERIFY(!levels.isPath({ Running }, Idle));

        // Entering Running enters its sub-states; an inner transition
        // enters below its level only; a self transition deep down enters
        // its state again; an outer one enters its target alone.
        QCOMPARE(levels.firstEntered({ Idle }, { Running, RampUp }, Start), 0);
        QCOMPARE(levels.firstEntered({ Running, RampUp }, { Running, Cruise, Steady }, Reached), 1);
        QCOMPARE(levels.firstEntered({ Running, Cruise, Steady }, { Running, Cruise, Steady }, Trim), 2);
        QCOMPARE(levels.firstEntered({ Running, Cruise, Steady }, { Running, Cruise, Steady }, -1), 3);
        QCOMPARE(levels.firstEntered({ Running, Cruise, Steady }, { Idle }, Halt), 0);
        QCOMPARE(levels.firstEntered({}, { Idle }, -1), 0);

        // A machine without sub-machines: its slots are its indices.
        MachineDescription flat = m;
        flat.subMachines.clear();
        const SimulationLevels one(flat);
        QVERIFY(!one.hasSubMachines());
        QCOMPARE(one.flatPath(1), Path({ 1 }));
        QCOMPARE(one.flatPath(2), Path());
        QCOMPARE(one.firstEntered({ 1 }, { 1 }, Halt), 0);
        QCOMPARE(one.firstEntered({ 1 }, { 1 }, -1), 1);
    }

    // The path line: slots, none before the initial cycle, nothing else.
    void pathLines()
    {
        SimulationLine line = SimulationLine::parse("path 1 3 4");
        QCOMPARE(line.kind, SimulationLine::Path);
        QCOMPARE(line.numbers, QVector<qint64>({ 1, 3, 4 }));
        QCOMPARE(SimulationLine::parse("path").kind, SimulationLine::Path);
        QCOMPARE(SimulationLine::parse("path 1 -3").kind, SimulationLine::Unknown);
        QCOMPARE(SimulationLine::parse("path 1 x").kind, SimulationLine::Unknown);
        QCOMPARE(SimulationLine::parse("path 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17").kind, SimulationLine::Unknown);
    }

    // Entering Running starts RampUp, the inner transition goes on to
    // Cruise (whose own sub-machine starts at Steady), the outer transition
    // leaves all of them, innermost first; the trace names each state with
    // its place and what ran.
    void stepsThroughTwoLevels_data() { compilerRows(); }
    void stepsThroughTwoLevels()
    {
        START(sim);
        QCOMPARE(sim->call(sim->session->reset()).kind, SimulationReply::Ok);
        QCOMPARE(sim->session->activePath(), Path({ Idle }));
        QCOMPARE(sim->set("go", "1").kind, SimulationReply::Ok);
        QCOMPARE(sim->call(sim->session->step()).kind, SimulationReply::Ok);
        QCOMPARE(sim->session->activePath(), Path({ Running, RampUp }));
        SimulationTrace::Row row = sim->lastRow();
        QCOMPARE(row.before, QStringLiteral("Idle"));
        QCOMPARE(row.fired, QStringLiteral("Start"));
        QCOMPARE(row.after, QStringLiteral("Running/RampUp"));
        QCOMPARE(row.entered, QStringLiteral("Running/RampUp"));

        QCOMPARE(sim->call(sim->session->step(3)).kind, SimulationReply::Ok);
        QCOMPARE(sim->session->activePath(), Path({ Running, Cruise, Steady }));
        QCOMPARE(sim->session->state(), int(Running));
        row = sim->lastRow();
        QCOMPARE(row.before, QStringLiteral("Running/RampUp"));
        QCOMPARE(row.fired, QStringLiteral("Running/Reached"));
        QCOMPARE(row.after, QStringLiteral("Running/Cruise/Steady"));
        QCOMPARE(row.entered, QStringLiteral("Running/Cruise/Steady"));
        QCOMPARE(row.exited, QString());
        // The sub-machine that reads its time in state has its own, watched.
        const QString counter = style == int(ModuleStyle::Instance) ? QStringLiteral("Cruise_kestro_cycles_in_state")
                                                                    : QStringLiteral("Cruiser_Cruise_kestro_cycles_in_state");
        QVERIFY(sim->session->variableIndex(counter) >= 0);
        QVERIFY(sim->session->variableIndex(QStringLiteral("Cruiser_Running_kestro_cycles_in_state")) < 0);
        QCOMPARE(sim->call(sim->session->step()).kind, SimulationReply::Ok);
        QCOMPARE(sim->session->variables().at(sim->session->variableIndex(counter)).value, QStringLiteral("1"));

        QCOMPARE(sim->set("stop", "1").kind, SimulationReply::Ok);
        QCOMPARE(sim->call(sim->session->step()).kind, SimulationReply::Ok);
        QCOMPARE(sim->session->activePath(), Path({ Idle }));
        row = sim->lastRow();
        QCOMPARE(row.fired, QStringLiteral("Halt"));
        QCOMPARE(row.exited, QStringLiteral("Running/Cruise Running"));
        // The exit actions ran innermost first.
        QCOMPARE(sim->session->variables().at(sim->session->variableIndex(QStringLiteral("log"))).value,
                 QStringLiteral("21"));
        QCOMPARE(SimulationTrace::line(SimulationTrace::Format::Csv, sim->lastRow()),
                 "6,Running/Cruise/Steady,Running/Cruise Running,Halt,,Idle,log=21 " + counter.toUtf8() + "=2\n");
    }

    // A crash in a sub-state's action names the state with its place.
    void failuresNameTheSubState_data() { compilerRows(); }
    void failuresNameTheSubState()
    {
        START(sim);
        QCOMPARE(sim->call(sim->session->reset()).kind, SimulationReply::Ok);
        QCOMPARE(sim->set("go", "1").kind, SimulationReply::Ok);
        QCOMPARE(sim->call(sim->session->step(4)).kind, SimulationReply::Ok);
        QCOMPARE(sim->set("trim", "7").kind, SimulationReply::Ok);
        QCOMPARE(sim->call(sim->session->step()).kind, SimulationReply::Failed);
        const SimulationFailure &failure = sim->session->failure();
        QCOMPARE(failure.kind, SimulationFailure::Crashed);
        QVERIFY2(failure.message.endsWith(QStringLiteral("in cycle 5, in state 'Running/Cruise/Steady'")),
                 qPrintable(failure.message));
        // Reset starts the machine again at the machine's own level only.
        QCOMPARE(sim->call(sim->session->reset()).kind, SimulationReply::Ok);
        QCOMPARE(sim->session->activePath(), Path({ Idle }));
    }

    // Coverage counts the entries of sub-states and the firings of
    // sub-machines' transitions; a long run counts as the same steps do;
    // a breakpoint on a sub-state's entry stops there.
    void coverageAndBreakpointsOfSubStates_data() { compilerRows(); }
    void coverageAndBreakpointsOfSubStates()
    {
        START(sim);
        QCOMPARE(sim->call(sim->session->reset()).kind, SimulationReply::Ok);
        QCOMPARE(sim->set("go", "1").kind, SimulationReply::Ok);
        QCOMPARE(sim->call(sim->session->setStateBreakpoint(Cruise, true)).kind, SimulationReply::Ok);
        const SimulationReply hit = sim->call(sim->session->step(10));
        QCOMPARE(hit.kind, SimulationReply::Break);
        QCOMPARE(hit.hit.kind, SimulationBreak::StateEntered);
        QCOMPARE(hit.hit.index, int(Cruise));
        QCOMPARE(sim->session->cycle(), qint64(4));
        QCOMPARE(sim->set("trim", "1").kind, SimulationReply::Ok);
        QCOMPARE(sim->call(sim->session->step(2)).kind, SimulationReply::Ok);
        const SimulationCoverage stepped = sim->session->coverage();
        QCOMPARE(stepped.stateEntries, QVector<qint64>({ 1, 1, 1, 1, 3 }));
        QCOMPARE(stepped.transitionFires, QVector<qint64>({ 1, 0, 1, 2 }));

        // The same cycles as one run, counted by the runtime.
        auto run = simulate(cruiserIn(style), compiler);
        QVERIFY(run->session->waitForReady(60000));
        QCOMPARE(run->call(run->session->reset()).kind, SimulationReply::Ok);
        QCOMPARE(run->set("go", "1").kind, SimulationReply::Ok);
        QCOMPARE(run->call(run->session->run(4)).kind, SimulationReply::Ok);
        QCOMPARE(run->session->activePath(), Path({ Running, Cruise, Steady }));
        QCOMPARE(run->set("trim", "1").kind, SimulationReply::Ok);
        QCOMPARE(run->call(run->session->run(2)).kind, SimulationReply::Ok);
        QCOMPARE(run->session->coverage().stateEntries, stepped.stateEntries);
        QCOMPARE(run->session->coverage().transitionFires, stepped.transitionFires);
        // A run stops at a sub-state's breakpoint too.
        QCOMPARE(run->set("stop", "1").kind, SimulationReply::Ok);
        QCOMPARE(run->set("trim", "0").kind, SimulationReply::Ok);
        QCOMPARE(run->call(run->session->setStateBreakpoint(RampUp, true)).kind, SimulationReply::Ok);
        const SimulationReply again = run->call(run->session->run(5));
        QCOMPARE(again.kind, SimulationReply::Break);
        QCOMPARE(again.hit.index, int(RampUp));
        QCOMPARE(run->session->activePath(), Path({ Running, RampUp }));
    }
};

QTEST_GUILESS_MAIN(TestSimulationLevels)
#include "tst_simulation_levels.moc"
