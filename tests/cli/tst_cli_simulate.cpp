// kestro-cli simulate: scripts against the example project, the printed and
// written traces, and every exit status, with the Tiny C Compiler (when
// installed) and with the system's C compiler.

#include "CliRunner.h"
#include "CliWorkFolder.h"
#include "MachineProject.h"
#include "ReadmeBlock.h"
#include "SubMachineProject.h"

#include <QtTest>

namespace {

using Result = CliResult;

using MachineProject::item;

// One machine "Worker": Idle (initial) counts its cycles in count and goes
// to Busy when go is set, running `action`; it reads the input limit.
QByteArray workerProject(const QString &action, const QString &condition = QStringLiteral("(go != 0)"))
{
    ProjectDocument doc = MachineProject::skeleton("Plant", "Worker");
    MachineProject::addInput(doc, "limit", "uint16_t");

    CanvasBlock &machine = doc.blocks[3];
    for (const char *name : { "go", "count" }) {
        MemoryRecord m = item<MemoryRecord>(6, name);
        m.datatype = "int";
        machine.memories << m;
    }
    StateRecord idle = item<StateRecord>(6, "Idle");
    idle.ifInitialState = true;
    idle.initialCondition = "(limit == 0)";
    idle.action = "count++;";
    idle.transitions << "Go";
    StateRecord busy = item<StateRecord>(6, "Busy");
    busy.transitions << "Go";
    machine.states << idle << busy;
    TransitionRecord go = item<TransitionRecord>(6, "Go");
    go.condition = condition;
    go.action = action;
    go.startItem = "Idle";
    go.endItem = "Busy";
    machine.transitions << go;
    return MachineProject::bytes(doc);
}

// One machine "Cruiser": Idle (initial) goes to Running on its input go and
// back on its input stop; Running holds a sub-machine RampUp (initial: speed from 0, one up a
// cycle) -> Cruise at speed 3, and notes its exit in log.
QByteArray cruiserProject()
{
    ProjectDocument doc = MachineProject::skeleton("Plant", "Cruiser");
    MachineProject::addInput(doc, "go", "int");
    MachineProject::addInput(doc, "stop", "int");
    CanvasBlock &machine = doc.blocks[3];
    for (const char *name : { "speed", "log" }) {
        MemoryRecord m = item<MemoryRecord>(6, name);
        m.datatype = "int";
        machine.memories << m;
    }
    StateRecord idle = item<StateRecord>(6, "Idle");
    idle.ifInitialState = true;
    idle.initialCondition = "(1)";
    StateRecord running = item<StateRecord>(6, "Running");
    running.xCoord = 300;
    running.exitAction = "log = log * 10 + 1;";
    machine.states << idle << running;
    SubMachineProject::connect(&machine, "Start", "Idle", "Running", "(go)");
    SubMachineProject::connect(&machine, "Halt", "Running", "Idle", "(stop)");
    const int sub = SubMachineProject::add(&doc, 3, "Running", { "RampUp", "Cruise" }, false, "(speed >= 3)");
    doc.blocks[sub].states[0].action = "speed++;";
    doc.blocks[sub].states[0].entryAction = "speed = 0;";
    doc.blocks[sub].states[1].exitAction = "log = log * 10 + 2;";
    return MachineProject::bytes(doc);
}

const char *const CruiserScript =
    "reset\n"
    "expect state Idle\n"
    "set go 1\n"
    "step\n"
    "expect state Running\n"
    "expect state RampUp\n"
    "expect state Running/RampUp\n"
    "step 3\n"
    "expect state Cruise\n"
    "expect state Running/Cruise\n"
    "expect speed 3\n"
    "set stop 1\n"
    "step\n"
    "expect state Idle\n"
    "expect log 21\n";

const char *const SpeedScript =
    "# SpeedControl ramps up to cruising speed and brakes to a stop\n"
    "reset\n"
    "expect state Stopped\n"
    "expect speed 0\n"
    "set speedLimit 0x40\n"
    "step 3\n"
    "expect state Accelerating\n"
    "step 3\n"
    "  expect state Cruising\n"
    "expect speed 15\n"
    "expect speedLimit 64.0\n"
    "step\n"
    "expect cycles 1\n"
    "step 5\n"
    "expect\tstate\tBraking\n";

} // namespace

class TestCliSimulate : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!QFileInfo(cliProgram()).isExecutable())
            QSKIP("kestro-cli is not built");
        QVERIFY(m_folder.isValid());
        QVERIFY(QFile::copy(QStringLiteral(KESTRO_SOURCE_DIR "/Examples/Example_1.qsmd"), path("Example_1.qsmd")));
        // A PATH with the system's compiler and its tools but no tcc.
        QString missing;
        QVERIFY2(m_folder.makeCompilerFolders(&missing), qPrintable(missing));
    }

    void scriptsOfTheExampleHold_data() { compilerRows(); }
    void scriptsOfTheExampleHold()
    {
        QFETCH(QStringList, environment);
        const QByteArray before = contents(path("Example_1.qsmd"));
        const QString script = write("speed.sim", SpeedScript);
        Result r = cli({ "simulate", path("Example_1.qsmd"), "SpeedControl", "--script", script }, environment);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("SpeedControl: 8 of 8 expectations held\n"));
        QCOMPARE(r.err, QString());
        // A script without expectations says it checked nothing.
        const QString unchecked = write("unchecked.sim", "reset\nstep 3\n");
        r = cli({ "simulate", path("Example_1.qsmd"), "SpeedControl", "--script", unchecked }, environment);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("SpeedControl: the script checks nothing (it has no expect lines)\n"));
        QFile::remove(unchecked);

        const QString fault = write("fault.sim", "reset\nstep 4\nexpect state Fault\nexpect faultCount 4\n"
                                                 "step\nexpect state Monitoring\n");
        r = cli({ "simulate", path("Example_1.qsmd"), "FaultMonitor", "--script", fault }, environment);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        // Simulating writes nothing next to the project and leaves it as it was.
        QCOMPARE(contents(path("Example_1.qsmd")), before);
        QCOMPARE(QDir(m_folder.root()).entryList(QDir::Files),
                 QStringList({ "Example_1.qsmd", "fault.sim", "speed.sim" }));
    }

    // The README's example script holds for the shipped example.
    void readmeScriptHolds()
    {
        const QByteArray script = readmeBlock(QStringLiteral(KESTRO_SOURCE_DIR "/README.md"), "    # SpeedControl ramps up to cruising speed and brakes to a stop");
        QVERIFY(!script.isEmpty());
        const Result r = cli({ "simulate", path("Example_1.qsmd"), "SpeedControl", "--script", write("readme.sim", script) });
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("SpeedControl: 4 of 4 expectations held\n"));
        QFile::remove(path("readme.sim"));
    }

    // The README's script for the example with sub-machines steps through
    // its three levels, with either compiler.
    void readmeSubMachineScriptHolds_data() { compilerRows(); }
    void readmeSubMachineScriptHolds()
    {
        QFETCH(QStringList, environment);
        const QByteArray script = readmeBlock(QStringLiteral(KESTRO_SOURCE_DIR "/README.md"), "    # Motor: start ramps up inside Running inside Operating, stop ramps down");
        QVERIFY(!script.isEmpty());
        const QString project = path("MotorController.qsmd");
        QVERIFY(QFile::copy(QStringLiteral(KESTRO_SOURCE_DIR "/Examples/MotorController.qsmd"), project));
        const Result r = cli({ "simulate", project, "Motor", "--script", write("motor.sim", script) }, environment);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("Motor: 9 of 9 expectations held\n"));
        QFile::remove(path("motor.sim"));
        QFile::remove(project);
    }

    // Every failed expectation is reported with its line; the script runs on.
    void failedExpectationsAreListed()
    {
        const QString script = write("wrong.sim", "reset\nstep 6\nexpect state Braking\nexpect speed 16\n"
                                                  "expect state (start)\nstep 6\nexpect state Braking\n"
                                                  "expect cycles 0x0\n");
        const Result r = cli({ "simulate", path("Example_1.qsmd"), "SpeedControl", "--script", script });
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, script + ":3: expected state Braking, got Cruising\n" + script
                     + ":4: expected speed 16, got 15\n" + script + ":5: expected state (start), got Cruising\n");
        QCOMPARE(r.out, QStringLiteral("SpeedControl: 2 of 5 expectations held\n"));
    }

    // A script steps through two levels: entering Running starts RampUp,
    // the inner transition goes on to Cruise, the outer one leaves both
    // (exit actions innermost first). Sub-states and paths are expected;
    // the trace and the coverage name the sub-states with their place.
    void scriptStepsThroughTwoLevels_data() { compilerRows(); }
    void scriptStepsThroughTwoLevels()
    {
        QFETCH(QStringList, environment);
        const QString project = write("cruiser.qsmd", cruiserProject());
        const QString script = write("cruiser.sim", CruiserScript);
        Result r = cli({ "simulate", project, "Cruiser", "--script", script, "--coverage" }, environment);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err + r.out));
        QCOMPARE(r.out, QStringLiteral("Coverage of Cruiser: 4 of 4 states entered, 3 of 3 transitions fired (100.0%)\n"
                                       "  state 'Idle': entered 2\n"
                                       "  state 'Running': entered 1\n"
                                       "  state 'Running/RampUp': entered 1\n"
                                       "  state 'Running/Cruise': entered 1\n"
                                       "  transition 'Start' ('Idle' -> 'Running'): fired 1\n"
                                       "  transition 'Halt' ('Running' -> 'Idle'): fired 1\n"
                                       "  transition 'Running/RampUpToCruise' ('Running/RampUp' -> 'Running/Cruise'): "
                                       "fired 1\n"
                                       "Cruiser: 9 of 9 expectations held\n"));

        const QString csv = path("cruiser.csv");
        r = cli({ "simulate", project, "Cruiser", "--script", script, "--trace", csv }, environment);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(contents(csv), QByteArray("cycle,before,exit,fired,entry,after,changed\n"
                                           "0,(start),,(initial),,Idle,\n"
                                           "1,Idle,,Start,Running/RampUp,Running/RampUp,\n"
                                           "2,Running/RampUp,,,,Running/RampUp,speed=1\n"
                                           "3,Running/RampUp,,,,Running/RampUp,speed=2\n"
                                           "4,Running/RampUp,,Running/RampUpToCruise,,Running/Cruise,speed=3\n"
                                           "5,Running/Cruise,Running/Cruise Running,Halt,,Idle,log=21\n"));
        // An instance-style module runs its levels alike.
        const QByteArray classic = contents(csv);
        r = cli({ "simulate", project, "Cruiser", "--script", script, "--trace", csv, "--style", "instance" }, environment);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(contents(csv), classic);

        // Expectations of a sub-state that is not active fail with the
        // active path; states and paths the machine does not have are
        // refused before anything runs.
        const QString wrong = write("wrong.sim", "reset\nset go 1\nstep 4\nexpect state RampUp\n"
                                                 "expect state Idle/Cruise\n");
        r = cli({ "simulate", project, "Cruiser", "--script", wrong }, environment);
        QCOMPARE(r.exitCode, 64);
        QCOMPARE(r.err, wrong + ":5: Cruiser has no state 'Idle/Cruise'\n");
        write("wrong.sim", "reset\nset go 1\nstep 4\nexpect state RampUp\nexpect state Running/RampUp\n"
                           "expect state Running/Cruise\n");
        r = cli({ "simulate", project, "Cruiser", "--script", wrong }, environment);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, wrong + ":4: expected state RampUp, got Running/Cruise\n" + wrong
                     + ":5: expected state Running/RampUp, got Running/Cruise\n");
        // The explorer gives the inputs values and reaches every level.
        r = cli({ "simulate", project, "Cruiser", "--explore", "5000" }, environment);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(r.out.endsWith(QStringLiteral("Every state was entered.\nEvery transition fired.\n")), qPrintable(r.out));
        for (const char *file : { "cruiser.qsmd", "cruiser.sim", "cruiser.csv", "wrong.sim" })
            QFile::remove(path(file));
    }

    void withoutAScriptTheTraceIsPrinted_data() { compilerRows(); }
    void withoutAScriptTheTraceIsPrinted()
    {
        QFETCH(QStringList, environment);
        Result r = cli({ "simulate", path("Example_1.qsmd"), "CommandParser", "--cycles", "2" }, environment);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("cycle,before,fired,after,changed\n"
                                       "0,(start),(initial),Idle,\n"
                                       "1,Idle,StartByte,Receiving,rxByte=85\n"
                                       "2,Receiving,,Receiving,rxByte=0 length=1\n"));
        // Values given with --set reach the initial cycle.
        r = cli({ "simulate", path("Example_1.qsmd"), "CommandParser", "--set", "rxByte=7", "--set", "command=1" },
                environment);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("cycle,before,fired,after,changed\n0,(start),,(start),\n"
                                       "1,(start),,(start),\n"));
        r = cli({ "simulate", path("Example_1.qsmd"), "CommandParser", "--cycles", "0" }, environment);
        QCOMPARE(r.out.count('\n'), 2);
    }

    // An instance-style module simulates as one instance, cycle for cycle
    // as the classic module of the same machine.
    void instanceStyleSimulatesAlike_data() { compilerRows(); }
    void instanceStyleSimulatesAlike()
    {
        QFETCH(QStringList, environment);
        for (const char *machine : { "SpeedControl", "FaultMonitor", "CommandParser" }) {
            const QStringList arguments = { "simulate", path("Example_1.qsmd"), machine, "--cycles", "40" };
            const Result classic = cli(arguments, environment);
            const Result instance = cli(arguments + QStringList{ "--style", "instance" }, environment);
            QCOMPARE(classic.exitCode, 0);
            QCOMPARE(instance.exitCode, 0);
            QVERIFY(classic.out.count('\n') == 42);
            QCOMPARE(instance.out, classic.out);
        }
    }

    void tracesAreWrittenAsCsvOrJsonLines()
    {
        const QString csv = path("trace.csv");
        Result r = cli({ "simulate", path("Example_1.qsmd"), "SpeedControl", "--cycles", "3", "--trace", csv });
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QString());
        QCOMPARE(contents(csv), QByteArray("cycle,before,fired,after,changed\n0,(start),(initial),Stopped,\n"
                                           "1,Stopped,,Stopped,cycles=1\n2,Stopped,,Stopped,cycles=2\n"
                                           "3,Stopped,Start,Accelerating,cycles=0\n"));

        const QString jsonl = path("trace.jsonl");
        const QString script = write("trace.sim", "reset\nstep 6\nexpect state Cruising\n");
        r = cli({ "simulate", path("Example_1.qsmd"), "SpeedControl", "--script", script, "--trace", jsonl });
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = contents(jsonl).trimmed().split('\n');
        QCOMPARE(lines.size(), 7);
        QJsonParseError error;
        const QJsonObject first = QJsonDocument::fromJson(lines.first(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(first.value("before").toString(), QStringLiteral("(start)"));
        QCOMPARE(first.value("fired").toString(), QStringLiteral("(initial)"));
        const QJsonObject last = QJsonDocument::fromJson(lines.last()).object();
        QCOMPARE(last.value("cycle").toInt(), 6);
        QCOMPARE(last.value("fired").toString(), QStringLiteral("ReachCruise"));
        QCOMPARE(last.value("changed").toObject().value("speed").toInt(), 15);
        QVERIFY(QJsonDocument::fromJson(lines.at(1)).object().value("fired").isNull());
    }

    void usageAndScriptErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("message");
        const QString project = QStringLiteral("Example_1.qsmd");
        QTest::newRow("no machine") << QStringList{ project } << QString() << "missing state machine";
        QTest::newRow("extra") << QStringList{ project, "SpeedControl", "more" } << QString() << "unexpected argument 'more'";
        QTest::newRow("option") << QStringList{ project, "SpeedControl", "--fast" } << QString() << "Unknown option 'fast'";
        QTest::newRow("cycles") << QStringList{ project, "SpeedControl", "--cycles", "x" } << QString() << "--cycles needs";
        QTest::newRow("cycles and script") << QStringList{ project, "SpeedControl", "--cycles", "2", "--script", "s" }
                                           << QString() << "--cycles applies only without --script";
        QTest::newRow("trace") << QStringList{ project, "SpeedControl", "--trace", "t.txt" } << QString()
                               << "--trace needs a file ending in .csv or .jsonl";
        QTest::newRow("set") << QStringList{ project, "SpeedControl", "--set", "speed=fast" } << QString() << "--set needs VAR=VALUE";
        QTest::newRow("set name") << QStringList{ project, "SpeedControl", "--set", "nothing=1" } << QString()
                                  << "--set: SpeedControl has no variable nothing";
        QTest::newRow("machine") << QStringList{ project, "Speed_Control" } << QString()
                                 << "has no state machine 'Speed_Control'; its machines: SpeedControl, FaultMonitor, CommandParser";
        QTest::newRow("syntax") << QStringList{ project, "SpeedControl" } << "reset\n\nstep two\n" << ":3: step takes";
        QTest::newRow("command") << QStringList{ project, "SpeedControl" } << "run 5\n" << ":1: not a command: 'run 5'";
        QTest::newRow("literal") << QStringList{ project, "SpeedControl" } << "set speed 5x\n"
                                 << ":1: '5x' is not a C integer or floating literal";
        QTest::newRow("variable") << QStringList{ project, "SpeedControl" } << "reset\nexpect sped 1\n"
                                  << ":2: SpeedControl has no variable sped";
        QTest::newRow("state") << QStringList{ project, "SpeedControl" } << "expect state Parked\n"
                               << ":1: SpeedControl has no state 'Parked'";
        QTest::newRow("range") << QStringList{ project, "SpeedControl" } << "reset\nset cycles 256\n"
                               << ":2: cycles cannot hold 256";
    }
    void usageAndScriptErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, script);
        QFETCH(QString, message);
        arguments[0] = path(arguments.at(0));
        if (!script.isEmpty())
            arguments << "--script" << write("bad.sim", script.toUtf8());
        const Result r = cli(QStringList{ "simulate" } + arguments);
        QCOMPARE(r.exitCode, 64);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY2(!r.out.contains("cycle,"), qPrintable(r.out));
    }

    void missingAndCorruptFiles()
    {
        Result r = cli({ "simulate", path("none.qsmd"), "SpeedControl" });
        QCOMPARE(r.exitCode, 66);
        QVERIFY(r.err.contains("none.qsmd: no such file"));
        r = cli({ "simulate", path("Example_1.qsmd"), "SpeedControl", "--script", path("none.sim") });
        QCOMPARE(r.exitCode, 66);
        QVERIFY(r.err.contains("none.sim: no such file"));
        r = cli({ "simulate", write("broken.qsmd", "<QsmdProject><ProjectFiles>"), "SpeedControl" });
        QCOMPARE(r.exitCode, 65);
        QVERIFY(r.err.contains("broken.qsmd:1:"));
    }

    void noCompiler()
    {
        QVERIFY(QDir().mkpath(path("empty")));
        const Result r = cli({ "simulate", path("Example_1.qsmd"), "SpeedControl" },
                             { "PATH=" + path("empty"), "CC=/nonexistent/cc" });
        QCOMPARE(r.exitCode, 69);
        QVERIFY2(r.err.contains("kestro-cli: the C compiler '/nonexistent/cc' could not be started"), qPrintable(r.err));
        QVERIFY(r.err.contains("install tcc or set CC"));
    }

    void brokenMachines_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("message");
        const char *const names[] = { "tcc", "cc" };
        for (int c = 0; c < 2; ++c) {
            const QStringList environment = c == 0 ? QStringList() : m_folder.ccOnly();
            QTest::addRow("%s compile error", names[c])
                << environment << "" << "(go ==)" << "Worker: error: Transition 'Go': ";
            QTest::addRow("%s null pointer", names[c])
                << environment << "*(volatile int *)0 = count;" << "(go != 0)"
                << ":4: Worker: the machine crashed with SIGSEGV (Segmentation fault) in cycle 2, "
                   "in state 'Idle' while running transition 'Go'\n";
        }
        QTest::newRow("endless loop") << QStringList() << "while (go) { }" << "(go != 0)"
                                      << ":4: Worker: cycle 2 did not finish within 2 s, in state 'Idle' while "
                                         "running transition 'Go'; the machine was stopped\n";
    }
    void brokenMachines()
    {
        QFETCH(QStringList, environment);
        QFETCH(QString, action);
        QFETCH(QString, condition);
        QFETCH(QString, message);
        const QString project = write("worker.qsmd", workerProject(action, condition));
        const QString script = write("worker.sim", "reset\nstep\nset go 1\nstep 2\nexpect state Busy\n");
        const QString csv = path("worker.csv");
        QFile::remove(csv);
        const Result r = cli({ "simulate", project, "Worker", "--script", script, "--trace", csv }, environment);
        QCOMPARE(r.exitCode, 70);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        if (message.startsWith(":4:")) {
            // The trace up to the failure is kept.
            QCOMPARE(contents(csv), QByteArray("cycle,before,fired,after,changed\n0,(start),(initial),Idle,\n"
                                               "1,Idle,,Idle,count=1\n"));
        } else {
            QVERIFY(r.err.contains("kestro-cli: Worker: the machine's C did not compile\n"));
        }
    }

    void unwritableTrace()
    {
        const Result r = cli({ "simulate", path("Example_1.qsmd"), "SpeedControl", "--trace", path("no/such/dir/t.csv") });
        QCOMPARE(r.exitCode, 73);
        QVERIFY2(r.err.contains("cannot write " + path("no/such/dir/t.csv")), qPrintable(r.err));
        // Reported once.
        QCOMPARE(r.err.count(QStringLiteral("cannot write")), 1);
    }

private:
    void compilerRows() { m_folder.addCompilerRows(); }

    QString path(const QString &name) const { return m_folder.path(name); }
    QString write(const QString &name, const QByteArray &bytes) { return m_folder.write(name, bytes); }
    static QByteArray contents(const QString &file) { return CliWorkFolder::contents(file); }

    // The compiler is chosen afresh: tcc when found, else cc.
    // The projects are the test's own: --trust runs them without a record.
    static Result cli(const QStringList &arguments, const QStringList &environment = {})
    {
        return runCli(arguments + QStringList{ "--trust" }, QStringList{ "CC=" } + environment);
    }

    CliWorkFolder m_folder;
};

QTEST_GUILESS_MAIN(TestCliSimulate)
#include "tst_cli_simulate.moc"
