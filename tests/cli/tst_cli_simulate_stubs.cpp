// kestro-cli simulate with machines that call their drivers: stubbed
// functions set by scripts, call expectations, the calls in the trace, the
// project's prelude and include folders, with tcc (when installed) and
// with the system's C compiler.

#include "CliRunner.h"
#include "CliWorkFolder.h"
#include "MachineProject.h"
#include "ReadmeBlock.h"

#include <QtTest>

namespace {

using MachineProject::item;

// The first machine of the README: LedOff and LedOn switch on
// timer_expired(), each writing the LED; nothing declares the drivers.
ProjectDocument blinky(const QString &onAction = QStringLiteral("led_write(1);"))
{
    ProjectDocument doc = MachineProject::skeleton("Blinky", "Blinky");
    CanvasBlock &machine = doc.blocks[3];
    StateRecord off = item<StateRecord>(6, "LedOff");
    off.ifInitialState = true;
    off.initialCondition = "(1)";
    off.action = "led_write(0);";
    StateRecord on = item<StateRecord>(6, "LedOn");
    on.action = onAction;
    const char *const names[] = { "Tick", "Tock" };
    for (int i = 0; i < 2; ++i) {
        TransitionRecord t = item<TransitionRecord>(6, names[i]);
        t.condition = "(timer_expired())";
        t.startItem = i == 0 ? "LedOff" : "LedOn";
        t.endItem = i == 0 ? "LedOn" : "LedOff";
        off.transitions << t.label;
        on.transitions << t.label;
        machine.transitions << t;
    }
    machine.states << off << on;
    MemoryRecord level = item<MemoryRecord>(6, "level");
    level.datatype = "int";
    machine.memories << level;
    return doc;
}

const char *const BlinkyScript =
    "reset\n"
    "expect no call led_write\n"
    "step 2\n"
    "expect state LedOff\n"
    "expect call led_write 2\n"
    "stub timer_expired sequence 1 0\n"
    "step\n"
    "expect state LedOn\n"
    "expect call timer_expired 1\n"
    "step 3\n"
    "expect state LedOn\n"
    "expect call led_write\n";

} // namespace

class TestCliSimulateStubs : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!QFileInfo(cliProgram()).isExecutable())
            QSKIP("kestro-cli is not built");
        QVERIFY(m_folder.isValid());
        QString missing;
        QVERIFY2(m_folder.makeCompilerFolders(&missing), qPrintable(missing));
    }

    // The README's first machine calls drivers nothing defines: it runs
    // with them stubbed, and a script steers and checks them.
    void driverCallsAreStubbedAndExpected_data() { compilerRows(); }
    void driverCallsAreStubbedAndExpected()
    {
        QFETCH(QStringList, environment);
        const QString project = write("blinky.qsmd", MachineProject::bytes(blinky()));
        Result r = cli({ "simulate", project, "Blinky", "--script", write("blinky.sim", BlinkyScript) }, environment);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("Blinky: 7 of 7 expectations held\n"));

        // Expectations that fail say what was called.
        const QString wrong = write("wrong.sim", "reset\nstep 2\nexpect call led_write 3\nexpect no call led_write\n"
                                                 "expect call timer_expired 0\nexpect call timer_expired\n");
        r = cli({ "simulate", project, "Blinky", "--script", wrong }, environment);
        QCOMPARE(r.exitCode, 1);
        // The compiler's warnings about the undeclared drivers come first.
        QCOMPARE(withoutWarnings(r.err), wrong + ":3: expected 3 calls of led_write, got 2\n" + wrong
                     + ":4: expected no call of led_write, got 2\n" + wrong + ":5: expected no call of timer_expired, got 2\n");
        QCOMPARE(r.out, QStringLiteral("Blinky: 1 of 4 expectations held\n"));

        // Names that are no stub, values no C literal, values the type refuses.
        const QString unknown = write("unknown.sim", "stub memcpy returns 1\nexpect call led_writ\n");
        r = cli({ "simulate", project, "Blinky", "--script", unknown }, environment);
        QCOMPARE(r.exitCode, 64);
        QVERIFY2(r.err.contains(unknown + ":1: Blinky calls no function memcpy that nothing defines (it calls "),
                 qPrintable(r.err));
        QVERIFY(r.err.contains(unknown + ":2: Blinky calls no function led_writ"));
        const QString refused = write("refused.sim", "stub led_write returns 1.5\n");
        r = cli({ "simulate", project, "Blinky", "--script", refused }, environment);
        QCOMPARE(r.exitCode, 64);
        QVERIFY2(r.err.contains(refused + ":1: led_write takes whole numbers only, not 1.5"), qPrintable(r.err));
        QCOMPARE(cli({ "simulate", project, "Blinky", "--script", write("bad.sim", "stub led_write returns x\n") },
                     environment).exitCode, 64);
    }

    // The README's script for the first machine holds.
    void readmeStubScriptHolds()
    {
        const QByteArray script = readmeBlock(QStringLiteral(KESTRO_SOURCE_DIR "/README.md"), "    # the first machine: LedOff and LedOn switch on (timer_expired())");
        QVERIFY(!script.isEmpty());
        const QString project = write("readme.qsmd", MachineProject::bytes(blinky()));
        const Result r = cli({ "simulate", project, "Blinky", "--script", write("readme.sim", script) });
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("Blinky: 6 of 6 expectations held\n"));
    }

    // The trace of a machine with stubs has their calls, each cycle's.
    void traceShowsTheCalls()
    {
        const QString project = write("blinky.qsmd", MachineProject::bytes(blinky()));
        Result r = cli({ "simulate", project, "Blinky", "--cycles", "2" });
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("cycle,before,fired,after,changed,calls\n"
                                       "0,(start),(initial),LedOff,,\n"
                                       "1,LedOff,,LedOff,,led_write() timer_expired()\n"
                                       "2,LedOff,,LedOff,,led_write() timer_expired()\n"));
        const QString jsonl = path("blinky.jsonl");
        r = cli({ "simulate", project, "Blinky", "--cycles", "1", "--trace", jsonl });
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(contents(jsonl).endsWith(",\"calls\":[\"led_write()\",\"timer_expired()\"]}\n"), contents(jsonl).constData());
    }

    // A prelude gives prototypes (so the calls keep their arguments) and a
    // fake; headers come from the include folders, relative to the
    // project; a folder that is none stops the run.
    void projectPreludeAndIncludeFolders_data() { compilerRows(); }
    void projectPreludeAndIncludeFolders()
    {
        QFETCH(QStringList, environment);
        QVERIFY(QDir().mkpath(path("hal")));
        write("hal/board.h", "#define LED_ON 1\n");
        ProjectDocument doc = blinky("led_write(LED_ON);\nlevel = adc_read(2);");
        TextRecord includes;
        includes.level = 6;
        includes.parentId = includes.grandParentId = 1;
        includes.type = 1;
        includes.action = "#include \"board.h\"";
        doc.blocks[3].texts << includes;
        doc.simulation.includePath << "hal";
        doc.simulation.prelude = "void led_write(int on);\nint timer_expired(void);\n"
                                 "int adc_read(int channel) { return channel * 100; }";
        const QString project = write("hal.qsmd", MachineProject::bytes(doc));
        const QString script = write("hal.sim", "stub timer_expired returns 1\nreset\nstep 2\nexpect state LedOff\n"
                                                "expect level 200\n");
        Result r = cli({ "simulate", project, "Blinky", "--script", script }, environment);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        r = cli({ "simulate", project, "Blinky", "--cycles", "2" }, environment);
        QVERIFY2(r.out.endsWith("1,LedOff,,LedOff,,led_write(0) timer_expired()\n2,LedOff,,LedOff,,led_write(0) timer_expired()\n"),
                 qPrintable(r.out));

        doc.simulation.includePath = QStringList{ "hal/board.h" };
        r = cli({ "simulate", write("file.qsmd", MachineProject::bytes(doc)), "Blinky", "--cycles", "1" }, environment);
        QCOMPARE(r.exitCode, 66);
        QVERIFY2(r.err.contains("the simulation include folder 'hal/board.h' (" + path("hal/board.h") + ") is not a folder"),
                 qPrintable(r.err));
    }

    // The TCP example's event flags are its prelude's variables: a script
    // sets them like inputs. A passive open, then a SYN arrives: Closed,
    // Listen, SynReceived, whose transition sends the SYN,ACK.
    void tcpExampleDrivenByItsPreludeVariables_data() { compilerRows(); }
    void tcpExampleDrivenByItsPreludeVariables()
    {
        QFETCH(QStringList, environment);
        const QString project = QStringLiteral(KESTRO_SOURCE_DIR "/Examples/TcpConnection.qsmd");
        const QString script = write("tcp.sim", "reset\nexpect state Closed\nset app_passive_open 1\nstep\n"
                                                "expect state Listen\nexpect no call tcp_send\nset app_passive_open 0\n"
                                                "set rx_syn 1\nstep\nexpect state SynReceived\nexpect call tcp_send 1\n"
                                                "expect rx_syn 1\n");
        Result r = cli({ "simulate", project, "Tcp", "--script", script }, environment);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("Tcp: 6 of 6 expectations held\n"));
        r = cli({ "simulate", project, "Tcp", "--script", write("tcp-wrong.sim", "reset\nset rx_syn 1\nstep\nexpect state SynReceived\n") },
                environment);
        QCOMPARE(r.exitCode, 1);   // no passive open, no Listen

        // The README's script for the example holds.
        const QByteArray readmeScript = readmeBlock(QStringLiteral(KESTRO_SOURCE_DIR "/README.md"), "their calls traced. A passive open, then a SYN:", 2);
        QVERIFY(!readmeScript.isEmpty());
        r = cli({ "simulate", project, "Tcp", "--script", write("tcp-readme.sim", readmeScript) }, environment);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("Tcp: 3 of 3 expectations held\n"));
    }

    // What cannot be stubbed is a link failure, not a compile error.
    void variablesNothingDefinesFailTheLink()
    {
        ProjectDocument doc = blinky("level = hw_status;");
        doc.simulation.prelude = "extern volatile int hw_status;";
        const Result r = cli({ "simulate", write("hw.qsmd", MachineProject::bytes(doc)), "Blinky", "--cycles", "1" });
        QCOMPARE(r.exitCode, 70);
        QVERIFY2(r.err.contains("kestro-cli: Blinky: the machine's program did not link: undefined symbol 'hw_status'\n"),
                 qPrintable(r.err));
        QVERIFY(!r.err.contains("did not compile"));
    }

private:
    using Result = CliResult;

    void compilerRows() { m_folder.addCompilerRows(); }

    QString path(const QString &name) const { return m_folder.path(name); }
    QString write(const QString &name, const QByteArray &bytes) { return m_folder.write(name, bytes); }
    static QByteArray contents(const QString &file) { return CliWorkFolder::contents(file); }

    static QString withoutWarnings(const QString &text)
    {
        QStringList lines = text.split('\n');
        lines.erase(std::remove_if(lines.begin(), lines.end(), [](const QString &l) { return l.contains(": warning: "); }),
                    lines.end());
        return lines.join('\n');
    }

    static Result cli(const QStringList &arguments, const QStringList &environment = {})
    {
        return runCli(arguments + QStringList{ "--trust" }, QStringList{ "CC=" } + environment);
    }

    CliWorkFolder m_folder;
};

QTEST_GUILESS_MAIN(TestCliSimulateStubs)
#include "tst_cli_simulate_stubs.moc"
