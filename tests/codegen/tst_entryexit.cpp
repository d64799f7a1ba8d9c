// Entry and exit actions and the time in state, run: each generated module
// (both styles) is compiled with the system C compiler together with a
// driver, and what its actions log is compared with the cycle as it is
// meant to run: the state's action, then for the transition that fires the
// exit action of the state left, the transition's action, the new state,
// its entry action (a self transition included), the time in state back at
// 0 there and one more at the end of every cycle in which nothing fired.

#include "CEmitter.h"
#include "GeneratedMachine.h"
#include "HandMachine.h"
#include "ProjectFileReader.h"
#include "RecordsToMachines.h"
#include "TcpConnection.h"
#include "TimeInState.h"

#include <QtTest>

namespace {

using HandMachine::join;
using HandMachine::state;

const char *const LogHeader =
    "extern int go, self, back;\n"
    "extern unsigned long seen;\n"
    "void note(const char *what);\n"
    "void note_n(const char *what, unsigned long n);\n";

const char *const LogDefinitions =
    "#include <stdio.h>\n"
    "int go, self, back;\n"
    "unsigned long seen;\n"
    "void note(const char *what) { printf(\"%s \", what); }\n"
    "void note_n(const char *what, unsigned long n) { printf(\"%s%lu \", what, n); }\n";

MachineDescription machine(const QString &name)
{
    MachineDescription m;
    m.processLabel = name;
    m.texts << MachineText{ MachineText::Includes, "#include \"log.h\"" };
    return m;
}

// Generates `m`, compiles it with a driver whose main() runs `body` after
// `definitions` and the style's INIT and STEP, with `headers` (file name,
// text) beside it, and returns what it printed, or why it did not build
// or run.
QString runMachine(const MachineDescription &m, const QString &body, const QString &definitions = LogDefinitions,
                   const QMap<QString, QString> &headers = { { "log.h", LogHeader } })
{
    return GeneratedMachine::run(m, body, definitions, headers);
}

void addStyles()
{
    QTest::addColumn<ModuleStyle>("style");
    QTest::newRow("classic") << ModuleStyle::Classic;
    QTest::newRow("instance") << ModuleStyle::Instance;
}

} // namespace

Q_DECLARE_METATYPE(ModuleStyle)

class TestEntryExit : public QObject
{
    Q_OBJECT
private slots:
    void order_data() { addStyles(); }
    // Exit action, transition's action, entry action, in that order, for a
    // transition between two states and for a self transition; the initial
    // state is entered after the initial transition. Entry and exit actions
    // declare what the transition's action declares too.
    void order()
    {
        QFETCH(ModuleStyle, style);
        MachineDescription m = machine("Ord");
        m.style = style;
        m.states << state("A", "note(\"A.do\");", true) << state("B", "note(\"B.do\");");
        m.states[0].entryAction = "int n = 1;\n(void)n;\nnote(\"A.in\");";
        m.states[0].exitAction = "int n = 2;\n(void)n;\nnote(\"A.out\");";
        m.states[1].entryAction = "note(\"B.in\");";
        m.states[1].exitAction = "note(\"B.out\");";
        join(m, 0, 1, "T1", "(go != 0)", "note(\"T1\");");
        join(m, 1, 1, "T2", "(self != 0)", "note(\"T2\");");
        join(m, 1, 0, "T3", "(back != 0)", "note(\"T3\");");
        const QString out = runMachine(m, "\tINIT(); note(\"|\");\n"
                                          "\tgo = 1; STEP(); go = 0; note(\"|\");\n"
                                          "\tself = 1; STEP(); self = 0; note(\"|\");\n"
                                          "\tback = 1; STEP(); back = 0; note(\"|\");\n"
                                          "\tSTEP();");
        QCOMPARE(out, QString("A.in | A.do A.out T1 B.in | B.do B.out T2 B.in | B.do B.out T3 A.in | A.do"));
    }

    void timeRestartsOnEveryEntry_data() { addStyles(); }
    // 0 in the entry action and in the first cycle after it, one more per
    // cycle; a retry drawn as a self transition with (T >= 3) fires once
    // every 4 cycles, not on every cycle after the first; the counter also
    // restarts when the state is entered again from another, and counts
    // the cycles before the initial transition is taken.
    void timeRestartsOnEveryEntry()
    {
        QFETCH(ModuleStyle, style);
        MachineDescription m = machine("Tis");
        m.style = style;
        m.states << state("Wait", "note_n(\"w\", kestro_cycles_in_state);", true)
                 << state("Done", "note_n(\"d\", kestro_cycles_in_state);");
        m.states[0].entryAction = "note_n(\"in\", kestro_cycles_in_state);";
        m.states[0].initialCondition = "(kestro_cycles_in_state >= 2u)";
        join(m, 0, 1, "Go", "(go != 0)");
        join(m, 0, 0, "Retry", "(kestro_cycles_in_state >= 3u)", "note(\"retry\");");
        join(m, 1, 0, "Back", "(back != 0)");
        const QString out = runMachine(m, "\tint i;\n"
                                          "\tINIT(); note(\"|\"); STEP(); note(\"|\"); STEP(); note(\"|\");\n"
                                          "\tfor (i = 0; i < 9; ++i) { STEP(); }\n"
                                          "\tnote(\"|\"); go = 1; STEP(); go = 0; note(\"|\");\n"
                                          "\tSTEP(); STEP(); note(\"|\");\n"
                                          "\tback = 1; STEP(); back = 0; note(\"|\");\n"
                                          "\tSTEP(); STEP();");
        QCOMPARE(out, QString("| | in0 | w0 w1 w2 w3 retry in0 w0 w1 w2 w3 retry in0 w0 | w1 | d0 d1 | d2 in0 | w0 w1"));
    }

    void counterSaturates_data() { addStyles(); }
    // A uint8_t counter stops at 255 instead of wrapping to 0, which would
    // make a timeout fire again.
    void counterSaturates()
    {
        QFETCH(ModuleStyle, style);
        MachineDescription m = machine("Sat");
        m.style = style;
        m.counterType = "uint8_t";
        m.states << state("Hold", "seen = kestro_cycles_in_state;", true) << state("Again");
        join(m, 0, 1, "Wrapped", "(kestro_cycles_in_state == 0u && go != 0)", "note(\"wrapped\");");
        const GeneratedModule g = CEmitter::generate(m, ModuleProperties());
        QVERIFY(g.source.contains(style == ModuleStyle::Classic ? "static uint8_t kestro_cycles_in_state = 0u;"
                                                                : "UINT8_MAX"));
        QVERIFY(g.source.contains("UINT8_MAX"));
        const QString out = runMachine(m, "\tint i;\n\tunsigned long bad = 0;\n"
                                          "\tINIT(); STEP(); go = 1;\n"
                                          "\tfor (i = 1; i < 300; ++i) {\n"
                                          "\t\tSTEP();\n"
                                          "\t\tif (seen != (unsigned long)(i < 255 ? i : 255)) { ++bad; }\n"
                                          "\t}\n"
                                          "\tnote_n(\"seen\", seen); note_n(\"bad\", bad);");
        QCOMPARE(out, QString("seen255 bad0"));
    }

    void counterOnlyWhereNamed_data() { addStyles(); }
    // The counter is emitted only for a machine whose code names it as an
    // identifier: not in a comment, a string or after "->"; a define text
    // counts. A type the project stored that is none of the three is an
    // error for a machine that has the counter, and no files are written.
    void counterOnlyWhereNamed()
    {
        QFETCH(ModuleStyle, style);
        MachineDescription m = machine("Plain");
        m.style = style;
        m.states << state("A", "/* kestro_cycles_in_state */ note(\"kestro_cycles_in_state\");", true);
        m.states[0].entryAction = "note(\"in\"); /* kestro_cycles_in_state */";
        m.states[0].exitAction = "note(\"out\");";
        m.memories << MachineMemory{ "p", "struct { int kestro_cycles_in_state; } *" };
        join(m, 0, 0, "Again", "(p->kestro_cycles_in_state > 0)");
        QVERIFY(!TimeInState::isUsed(m));
        GeneratedModule g = CEmitter::generate(m, ModuleProperties());
        QVERIFY(g.errors.isEmpty());
        QVERIFY(!g.source.contains("kestro_cycles_in_state = 0u"));
        QVERIFY(!g.source.contains("kestro_cycles_in_state;\t/*"));
        QVERIFY(!g.source.contains("_MAX"));
        if (style == ModuleStyle::Classic)
            QVERIFY(!g.source.contains("<stdint.h>"));

        m.texts << MachineText{ MachineText::Macros, "#define LATE (kestro_cycles_in_state > 9u)" };
        QVERIFY(TimeInState::isUsed(m));
        g = CEmitter::generate(m, ModuleProperties());
        QVERIFY(g.source.contains("UINT32_MAX"));

        m.counterType = "int";
        g = CEmitter::generate(m, ModuleProperties());
        QVERIFY(!g.writable);
        QVERIFY(g.source.isEmpty());
        QCOMPARE(g.errors, QStringList{ "State machine Plain: the project's counter type 'int' for "
                                        "kestro_cycles_in_state is not one of uint8_t, uint16_t, uint32_t, no files "
                                        "written" });
        m.texts.removeLast();
        g = CEmitter::generate(m, ModuleProperties());
        QVERIFY(g.writable);
        QVERIFY(g.warnings.contains("State machine Plain: the project's counter type 'int' for kestro_cycles_in_state "
                                    "is not one of uint8_t, uint16_t, uint32_t; the machine does not read it"));
    }

    void tcpConnection_data() { addStyles(); }
    // The connection machine with its timeouts, as the example project
    // holds it, read without notes and run through a whole scenario.
    void tcpConnection()
    {
        QFETCH(ModuleStyle, style);
        ProjectFileReader reader;
        QVERIFY2(reader.check(TcpConnection::examplePath()) && reader.load(TcpConnection::examplePath()),
                 qPrintable(reader.errorString()));
        const ProjectRecordLists records = reader.takeRecords();
        QVERIFY(records.readNotes.isEmpty());
        LoadNotes notes;
        const QVector<MachineDescription> machines = RecordsToMachines::build(records, &notes);
        QVERIFY(notes.isEmpty());
        QCOMPARE(machines.size(), 1);
        MachineDescription m = machines.first();
        QCOMPARE(m.states.size(), 11);
        m.style = style;
        const QString out = runMachine(m, TcpConnection::scenarioDriver(), TcpConnection::scenarioDefinitions(), {});
        QCOMPARE(out, TcpConnection::scenarioOutput());
    }
};

QTEST_MAIN(TestEntryExit)
#include "tst_entryexit.moc"
