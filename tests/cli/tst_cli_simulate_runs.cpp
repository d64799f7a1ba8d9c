// kestro-cli simulate's long runs: coverage counted on a known path (run
// inside the machine's program or cycle by cycle alike), --require-coverage,
// exploration with a fixed seed (an unreachable state reported, a crash
// found and replayed, stubs' returns explored alike), and machines that used to simulate wrongly: a new
// project's, one without an initial state, a trace of two runs.

#include "CliRunner.h"
#include "CliWorkFolder.h"
#include "DefaultProject.h"
#include "MachineProject.h"

#include <QtTest>

namespace {

using MachineProject::item;

// Machine "Lock": Idle (initial) arms when the input code is 1234, opens
// after code stayed so for 20 cycles, closes when code is 0; Dead is
// reached by no transition. `openAction` runs in Open.
QByteArray lockProject(const QString &openAction = QString())
{
    ProjectDocument doc = MachineProject::skeleton("Doors", "Lock");
    MachineProject::addInput(doc, "code", "uint16_t");

    CanvasBlock &machine = doc.blocks[3];
    MemoryRecord held = item<MemoryRecord>(6, "held");
    held.datatype = "int";
    machine.memories << held;
    const struct
    {
        const char *label;
        const char *action;
        QStringList transitions;
    } states[] = {
        { "Idle", "", { "Arm", "Close", "Revive" } },
        { "Armed", "held++;", { "Arm", "Disarm", "Open" } },
        { "Open", "", { "Open", "Close" } },
        { "Dead", "", { "Revive" } },
    };
    for (const auto &s : states) {
        StateRecord state = item<StateRecord>(6, s.label);
        state.action = s.action;
        state.transitions = s.transitions;
        machine.states << state;
    }
    machine.states[0].ifInitialState = true;
    machine.states[0].initialCondition = "(1)";
    machine.states[2].action = openAction;
    const struct
    {
        const char *label, *from, *to, *condition, *action;
    } transitions[] = {
        { "Arm", "Idle", "Armed", "(code == 1234)", "held = 0;" },
        { "Disarm", "Armed", "Idle", "(code != 1234)", "" },
        { "Open", "Armed", "Open", "(held >= 20)", "" },
        { "Close", "Open", "Idle", "(code == 0)", "" },
        { "Revive", "Dead", "Idle", "(1)", "" },
    };
    for (const auto &t : transitions) {
        TransitionRecord r = item<TransitionRecord>(6, t.label);
        r.startItem = t.from;
        r.endItem = t.to;
        r.condition = t.condition;
        r.action = t.action;
        machine.transitions << r;
    }
    return MachineProject::bytes(doc);
}

// Machine "Probe" calls drivers nothing defines: Idle (initial) goes to
// Seen when sensor_read() (no prototype: int) returns 7, to Full when
// level_read() (unsigned char) returns 300, to Linked when buffer_get()
// (a pointer) returns one; Seen goes back to Idle, or to Broken when
// count_read() returns 42 and gain_read() more than 2.5. `brokenAction`
// runs in Broken.
QByteArray probeProject(const QString &brokenAction = QString())
{
    ProjectDocument doc = MachineProject::skeleton("Plant", "Probe");
    doc.simulation.prelude = "unsigned char level_read(void);\nchar *buffer_get(void);\nshort count_read(void);\n"
                             "float gain_read(void);\n";
    CanvasBlock &machine = doc.blocks[3];
    const struct
    {
        const char *label;
        QStringList transitions;
    } states[] = {
        { "Idle", { "See", "Overflow", "Link" } },
        { "Seen", { "Break", "Back" } },
        { "Full", {} },
        { "Linked", {} },
        { "Broken", {} },
    };
    for (const auto &s : states) {
        StateRecord state = item<StateRecord>(6, s.label);
        state.transitions = s.transitions;
        machine.states << state;
    }
    machine.states[0].ifInitialState = true;
    machine.states[0].initialCondition = "(1)";
    machine.states[4].action = brokenAction;
    const struct
    {
        const char *label, *from, *to, *condition;
    } transitions[] = {
        { "See", "Idle", "Seen", "(sensor_read() == 7)" },
        { "Overflow", "Idle", "Full", "(level_read() == 300)" },
        { "Link", "Idle", "Linked", "(buffer_get() != 0)" },
        { "Break", "Seen", "Broken", "(count_read() == 42 && gain_read() > 2.5)" },
        { "Back", "Seen", "Idle", "(1)" },
    };
    for (const auto &t : transitions) {
        TransitionRecord r = item<TransitionRecord>(6, t.label);
        r.startItem = t.from;
        r.endItem = t.to;
        r.condition = t.condition;
        machine.transitions << r;
    }
    return MachineProject::bytes(doc);
}

} // namespace

class TestCliSimulateRuns : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!QFileInfo(cliProgram()).isExecutable())
            QSKIP("kestro-cli is not built");
        QVERIFY(m_folder.isValid());
        QVERIFY(QFile::copy(QStringLiteral(KESTRO_SOURCE_DIR "/Examples/Example_1.qsmd"), path("Example_1.qsmd")));
    }

    // SpeedControl's first 20 cycles: Stopped (initial), Start, three cycles
    // Accelerating, ReachCruise, Hold five times (a self transition enters
    // Cruising again), Brake, Halt into Stopped at 15, Start again at 18.
    void coverageCountsTheKnownPath()
    {
        const QString expected = QStringLiteral(
            "Coverage of SpeedControl: 4 of 4 states entered, 5 of 5 transitions fired (100.0%)\n"
            "  state 'Stopped': entered 2\n"
            "  state 'Accelerating': entered 2\n"
            "  state 'Cruising': entered 6\n"
            "  state 'Braking': entered 1\n"
            "  transition 'Start' ('Stopped' -> 'Accelerating'): fired 2\n"
            "  transition 'ReachCruise' ('Accelerating' -> 'Cruising'): fired 1\n"
            "  transition 'Brake' ('Cruising' -> 'Braking'): fired 1\n"
            "  transition 'Halt' ('Braking' -> 'Stopped'): fired 1\n"
            "  transition 'Hold' ('Cruising' -> 'Cruising'): fired 5\n");
        // Inside the machine's program, without a trace.
        CliResult r = cli({ "simulate", path("Example_1.qsmd"), "SpeedControl", "--cycles", "20", "--no-trace", "--coverage" });
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, expected);
        // Cycle by cycle, with the trace first.
        r = cli({ "simulate", path("Example_1.qsmd"), "SpeedControl", "--cycles", "20", "--coverage" });
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.count('\n'), 22 + expected.count('\n'));
        QVERIFY2(r.out.endsWith(expected), qPrintable(r.out));

        // A script's runs add up over resets; a required share above what fired fails.
        const QString script = write("twice.sim", "reset\nstep 5\nreset\nstep 5\nexpect state Accelerating\n");
        r = cli({ "simulate", path("Example_1.qsmd"), "SpeedControl", "--script", script, "--coverage",
                  "--require-coverage", "25" });
        QVERIFY2(r.out.contains("2 of 4 states entered, 1 of 5 transitions fired (20.0%)\n  state 'Stopped': entered 2\n"
                                "  state 'Accelerating': entered 2\n"),
                 qPrintable(r.out));
        QCOMPARE(r.err, QStringLiteral("kestro-cli: SpeedControl: 20.0% of the transitions fired, fewer than the 25% "
                                       "required\n"));
        QCOMPARE(r.exitCode, 1);
        r = cli({ "simulate", path("Example_1.qsmd"), "SpeedControl", "--cycles", "20", "--no-trace",
                  "--require-coverage", "100" });
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QString());
    }

    // A script without a trace runs its steps inside the machine's program:
    // the expectations hold as cycle by cycle, over ten million cycles.
    void longScriptsHoldTheirExpectations()
    {
        // 10,000,010 cycles: 666,667 periods of 15, then 5 more as from reset.
        const QString script = write("long.sim", "reset\nstep 10000010\nexpect state Accelerating\nexpect speed 10\n");
        const CliResult r = cli({ "simulate", path("Example_1.qsmd"), "SpeedControl", "--script", script });
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("SpeedControl: 2 of 2 expectations held\n"));
    }

    // The explorer reaches what a condition's constant opens (code == 1234,
    // held for 20 cycles) and reports what nothing reaches; the same seed
    // gives the same report.
    void explorationReportsTheUnreachable()
    {
        const QString project = write("Lock.qsmd", lockProject());
        const QStringList arguments = { "simulate", project, "Lock", "--explore", "300000", "--seed", "7" };
        const CliResult r = cli(arguments);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(r.out.startsWith("Lock: explored 300000 cycles from "), qPrintable(r.out));
        QVERIFY2(r.out.endsWith(" restarts (seed 7)\nStates never entered: 'Dead'\n"
                                "Transitions never fired: 'Revive' ('Dead' -> 'Idle')\n"),
                 qPrintable(r.out));
        QCOMPARE(cli(arguments).out, r.out);
        const CliResult covered = cli(arguments + QStringList{ "--coverage", "--require-coverage", "80" });
        QCOMPARE(covered.exitCode, 0);
        QVERIFY2(covered.out.contains("3 of 4 states entered, 4 of 5 transitions fired (80.0%)"), qPrintable(covered.out));
        QVERIFY(cli(arguments + QStringList{ "--require-coverage", "81" }).exitCode == 1);
    }

    // A crash the explorer finds comes with a script that reproduces it.
    void explorationReplaysWhatItFound()
    {
        const QString project = write("Crashing.qsmd", lockProject("if (code == 1235) { volatile int *p = 0; *p = 1; }"));
        const QString replay = path("found.sim");
        CliResult r = cli({ "simulate", project, "Lock", "--explore", "1000000", "--seed", "3", "--save-replay", replay });
        QCOMPARE(r.exitCode, 70);
        QVERIFY2(r.err.contains("the machine crashed with SIGSEGV"), qPrintable(r.err));
        QVERIFY2(r.err.contains("in state 'Open'"), qPrintable(r.err));
        QCOMPARE(r.out, "Lock: exploring (seed 3) found a failure\nA script that reproduces it: " + replay + "\n");
        const QString script = QString::fromUtf8(contents(replay));
        QVERIFY2(script.startsWith("# kestro-cli simulate Crashing.qsmd Lock --explore 1000000 --seed 3"), qPrintable(script));
        QVERIFY2(script.contains("\nreset\nset code "), qPrintable(script));
        QVERIFY2(script.contains("\nset code 1235\n"), qPrintable(script));

        const CliResult replayed = cli({ "simulate", project, "Lock", "--script", replay });
        QCOMPARE(replayed.exitCode, 70);
        QVERIFY2(replayed.err.contains("the machine crashed with SIGSEGV"), qPrintable(replayed.err));
        QVERIFY2(replayed.err.contains("in state 'Open'"), qPrintable(replayed.err));
        // Printed when no file is named.
        r = cli({ "simulate", project, "Lock", "--explore", "1000000", "--seed", "3" });
        QCOMPARE(r.exitCode, 70);
        QCOMPARE(r.out, "Lock: exploring (seed 3) found a failure\nA script that reproduces it:\n" + script);
    }

    // A cycle that never ends while exploring is stopped by the watchdog and
    // replayed alike.
    void explorationReplaysATimeout()
    {
        const QString project = write("Hanging.qsmd", lockProject("for (;;) {}"));
        const QString replay = path("hang.sim");
        const CliResult r = cli({ "simulate", project, "Lock", "--explore", "1000000", "--save-replay", replay });
        QCOMPARE(r.exitCode, 70);
        QVERIFY2(r.err.contains("did not finish within 2 s, in state 'Open'"), qPrintable(r.err));
        const CliResult replayed = cli({ "simulate", project, "Lock", "--script", replay });
        QCOMPARE(replayed.exitCode, 70);
        QVERIFY2(replayed.err.contains("did not finish within 2 s, in state 'Open'"), qPrintable(replayed.err));
    }

    // The explorer gives the stubs' returns random values within their
    // types: what only sensor_read() == 7 opens is reached, what a value
    // beyond unsigned char or a pointer that is not null would open is
    // reported unreachable; the same seed gives the same report.
    void explorationGivesStubsValues()
    {
        const QString project = write("Probe.qsmd", probeProject());
        const QStringList arguments = { "simulate", project, "Probe", "--explore", "300000", "--seed", "5" };
        const CliResult r = cli(arguments);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains("\nStates never entered: 'Full', 'Linked'\n"), qPrintable(r.out));
        QVERIFY2(r.out.contains("\nTransitions never fired: 'Overflow' ('Idle' -> 'Full'), 'Link' ('Idle' -> 'Linked')\n"),
                 qPrintable(r.out));
        QCOMPARE(cli(arguments).out, r.out);
    }

    // A crash that only two stubs' returns lead to is found; its script sets
    // them as the explorer did and crashes the same way.
    void explorationReplaysStubReturns()
    {
        const QString project = write("ProbeCrash.qsmd", probeProject("{ volatile int *p = 0; *p = 1; }"));
        const QString replay = path("probe.sim");
        const CliResult r = cli({ "simulate", project, "Probe", "--explore", "1000000", "--seed", "2", "--save-replay", replay });
        QCOMPARE(r.exitCode, 70);
        QVERIFY2(r.err.contains("the machine crashed with SIGSEGV"), qPrintable(r.err));
        QVERIFY2(r.err.contains("in state 'Broken'"), qPrintable(r.err));
        const QString script = QString::fromUtf8(contents(replay));
        QVERIFY2(script.contains("\nreset\nstub sensor_read returns "), qPrintable(script));
        QVERIFY2(script.contains("\nstub sensor_read returns 7\n"), qPrintable(script));
        QVERIFY2(script.contains("\nstub count_read returns 42\n"), qPrintable(script));
        QVERIFY2(!script.contains("buffer_get"), qPrintable(script));   // a pointer stays null
        const CliResult replayed = cli({ "simulate", project, "Probe", "--script", replay });
        QCOMPARE(replayed.exitCode, 70);
        QVERIFY2(replayed.err.contains("the machine crashed with SIGSEGV"), qPrintable(replayed.err));
        QVERIFY2(replayed.err.contains("in state 'Broken'"), qPrintable(replayed.err));
    }

    void usageOfTheNewOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("explore count") << QStringList{ "--explore", "0" } << "--explore needs a number of cycles";
        QTest::newRow("explore and script") << QStringList{ "--explore", "5", "--script", "x.sim" } << "--explore runs without";
        QTest::newRow("seed alone") << QStringList{ "--seed", "4" } << "--seed applies only with --explore";
        QTest::newRow("seed") << QStringList{ "--explore", "5", "--seed", "x" } << "--seed needs a whole number";
        QTest::newRow("replay alone") << QStringList{ "--save-replay", "r.sim" } << "--save-replay applies only";
        QTest::newRow("percent") << QStringList{ "--require-coverage", "101" } << "--require-coverage needs a percentage";
        QTest::newRow("no trace and trace") << QStringList{ "--no-trace", "--trace", "t.csv" } << "--no-trace applies only";
    }
    void usageOfTheNewOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const CliResult r = cli(QStringList{ "simulate", path("Example_1.qsmd"), "SpeedControl" } + arguments);
        QCOMPARE(r.exitCode, 64);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    }

    // A new project's machine simulates: its initial state, then its
    // default transition, whose empty condition is always true.
    void aNewProjectSimulates()
    {
        const QString project = path("New.qsmd");
        QString error;
        QVERIFY2(DefaultProject::write(project, QStringLiteral("New"), &error), qPrintable(error));
        const CliResult r = cli({ "simulate", project, "StateMachine_1", "--cycles", "2" });
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("cycle,before,fired,after,changed\n0,(start),(initial),InitialState,\n"
                                       "1,InitialState,DefaultTransition,SecondaryState,\n"
                                       "2,SecondaryState,,SecondaryState,\n"));
        QVERIFY2(!r.err.contains("absent"), qPrintable(r.err));
    }

    // Without an initial state the machine is not run at all.
    void aMachineWithoutAnInitialStateIsRefused()
    {
        ProjectDocument doc = MachineProject::skeleton("Plant", "Stuck");
        doc.blocks[3].states << item<StateRecord>(6, "Waiting");
        const QString project = write("Stuck.qsmd", MachineProject::bytes(doc));
        const CliResult r = cli({ "simulate", project, "Stuck", "--cycles", "3" });
        QCOMPARE(r.exitCode, 70);
        QCOMPARE(r.out, QString());
        QVERIFY2(r.err.contains("kestro-cli: Stuck: Initial state item in state machine Stuck is not assigned\n"),
                 qPrintable(r.err));
    }

    // Two runs in one trace are told apart.
    void restartsAreMarkedInTheTrace()
    {
        const QString script = write("two.sim", "reset\nstep 1\nreset\nstep 1\n");
        const QString csv = path("two.csv");
        const CliResult r = cli({ "simulate", path("Example_1.qsmd"), "SpeedControl", "--script", script, "--trace", csv });
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(contents(csv), QByteArray("cycle,before,fired,after,changed\n0,(start),(initial),Stopped,\n"
                                           "1,Stopped,,Stopped,cycles=1\nrestart,,,,\n0,(start),(initial),Stopped,\n"
                                           "1,Stopped,,Stopped,cycles=1\n"));
    }

private:
    QString path(const QString &name) const { return m_folder.path(name); }
    QString write(const QString &name, const QByteArray &bytes) { return m_folder.write(name, bytes); }
    static QByteArray contents(const QString &file) { return CliWorkFolder::contents(file); }

    static CliResult cli(const QStringList &arguments)
    {
        return runCli(arguments + QStringList{ "--trust" }, QStringList{ "CC=" });
    }

    CliWorkFolder m_folder;
};

QTEST_GUILESS_MAIN(TestCliSimulateRuns)
#include "tst_cli_simulate_runs.moc"
