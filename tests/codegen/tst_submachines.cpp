// Sub-machines, run: a machine whose state holds a sub-machine, whose state
// holds another, is generated in both styles, compiled with the system C
// compiler with a driver and run; what its actions log is compared with
// the cycle as it is meant to run (the holder's action, then the
// sub-machine's cycle, the holder's own transitions only when the
// sub-machine took none; exit actions innermost first; start or resume on
// entry; init and the invalid-state reset clear every level; each diagram
// its own time in state; kestro_in(X)).

#include "CEmitter.h"
#include "GeneratedMachine.h"
#include "HandMachine.h"
#include "InstanceEmitter.h"

#include <QtTest>

namespace {

using HandMachine::join;

const char *const LogHeader =
    "extern int go, back, again, step, tick, finish;\n"
    "void note(const char *what);\n"
    "void note_n(const char *what, unsigned long n);\n";

const char *const LogDefinitions =
    "#include <stdio.h>\n"
    "int go, back, again, step, tick, finish;\n"
    "void note(const char *what) { printf(\"%s \", what); }\n"
    "void note_n(const char *what, unsigned long n) { printf(\"%s%lu \", what, n); }\n";

MachineState state(const QString &label, const QString &action, bool initial = false)
{
    MachineState s;
    s.label = label;
    s.action = action;
    s.initial = initial;
    s.entryAction = QStringLiteral("note(\"en:%1\");").arg(label);
    s.exitAction = QStringLiteral("note(\"ex:%1\");").arg(label);
    return s;
}

// Door: Closed, Open (holds Swing -> Hold, where Hold holds Wait -> Tick),
// Done. Open resumes when `resume`.
MachineDescription door(ModuleStyle style, bool resume)
{
    MachineDescription m;
    m.processLabel = "Door";
    m.style = style;
    m.texts << MachineText{ MachineText::Includes, "#include \"log.h\"" };
    m.states << state("Closed", "note(\"a:Closed\");", true)
             << state("Open", "note(\"a:Open\"); note_n(\"top\", kestro_cycles_in_state);")
             << state("Done", "note(\"a:Done\");");
    m.states[0].entryAction.clear();
    m.states[0].exitAction.clear();
    m.states[1].subMachine = 0;
    m.states[1].resumes = resume;
    join(m, 0, 1, "Go", "(go)", "note(\"t:go\");");
    join(m, 1, 0, "Back", "(back)", "note(\"t:back\");");
    join(m, 1, 2, "Finish", "(kestro_in(Tick) && finish)");
    join(m, 0, 2, "Wrong", "(kestro_in(Tick))", "note(\"t:wrong\");");
    join(m, 1, 1, "Again", "(again)", "note(\"t:again\");");

    MachineDescription open;
    open.processLabel = "Open";
    open.parent = -1;
    open.holder = 1;
    // A memory item of the sub-machine is the module's (a member of the instance).
    open.memories << MachineMemory{ "swings", "unsigned int" };
    open.states << state("Swing", "note(\"a:Swing\"); note_n(\"sub\", kestro_cycles_in_state); ++swings;", true)
                << state("Hold", "note(\"a:Hold\");");
    open.states[0].initialDescription = "note(\"i:Swing\");";
    open.states[1].subMachine = 1;
    join(open, 0, 1, "Step", "(step)", "note(\"t:step\");");

    MachineDescription hold;
    hold.processLabel = "Hold";
    hold.parent = 0;
    hold.holder = 1;
    hold.states << state("Wait", "note(\"a:Wait\");", true) << state("Tick", "note(\"a:Tick\");");
    join(hold, 0, 1, "TickT", "(tick)", "note(\"t:tick\");");

    m.subMachines.push_back(open);
    m.subMachines.push_back(hold);
    if (style == ModuleStyle::Classic)
        m.texts << MachineText{ MachineText::Default,
                                "void corrupt(int level)\n{\n\tif (level == 0)\n\t\tstate_Door = (t_state_Door)99;\n"
                                "\telse\n\t\tstate_Door_Open = (t_state_Door_Open)77;\n}" };
    return m;
}

// CORRUPT(0) puts a value no state has into the machine's state,
// CORRUPT(1) into its sub-machine Open's.
QString corruptMacro(ModuleStyle style)
{
    if (style == ModuleStyle::Classic)
        return "void corrupt(int level);\n#define CORRUPT(l) corrupt(l)\n";
    return QString("#define CORRUPT(l) ((l) == 0 ? (void)(machine.state = 99) : (void)(machine.%1 = 77))\n")
        .arg(InstanceEmitter::Names("Door").subState("Open"));
}

QString runDoor(ModuleStyle style, bool resume, const QString &body)
{
    return GeneratedMachine::run(door(style, resume), corruptMacro(style) + body, LogDefinitions,
                                 { { "log.h", LogHeader } });
}

void addRows()
{
    QTest::addColumn<ModuleStyle>("style");
    QTest::addColumn<bool>("resume");
    QTest::newRow("classic, start") << ModuleStyle::Classic << false;
    QTest::newRow("classic, resume") << ModuleStyle::Classic << true;
    QTest::newRow("instance, start") << ModuleStyle::Instance << false;
    QTest::newRow("instance, resume") << ModuleStyle::Instance << true;
}

} // namespace

Q_DECLARE_METATYPE(ModuleStyle)

class TestSubMachines : public QObject
{
    Q_OBJECT
private slots:
    void cycle_data() { addRows(); }
    // Entering Open enters its sub-machine at its initial state (initial
    // code, entry action); the sub-machine's transition comes first (Back,
    // true in the same cycle, waits); leaving Open runs the exit actions
    // innermost first; entering again starts over or resumes at Hold,
    // whose own sub-machine starts again (Wait, not Tick); kestro_in(Tick)
    // is false while Open is not active though Tick is remembered; a self
    // transition leaves and enters every level; each diagram counts its own
    // time in state, and a sub-machine's transition does not restart its
    // holder's; the init function forgets where the sub-machine was left.
    void cycle()
    {
        QFETCH(ModuleStyle, style);
        QFETCH(bool, resume);
        const QString out = runDoor(style, resume,
                                    "\tINIT(); note(\"|\");\n"
                                    "\tgo = 1; STEP(); go = 0; note(\"|\");\n"
                                    "\tSTEP(); STEP(); note(\"|\");\n"
                                    "\tstep = 1; back = 1; STEP(); step = 0; back = 0; note(\"|\");\n"
                                    "\ttick = 1; STEP(); tick = 0; note(\"|\");\n"
                                    "\tback = 1; STEP(); back = 0; note(\"|\");\n"
                                    "\tSTEP(); note(\"|\");\n"
                                    "\tgo = 1; STEP(); go = 0; note(\"|\");\n"
                                    "\tSTEP(); note(\"|\");\n"
                                    "\tINIT(); go = 1; STEP(); go = 0; note(\"|\");\n"
                                    "\tagain = 1; STEP(); again = 0;");
        const QString reentry = resume ? "a:Closed t:go en:Open en:Hold en:Wait | a:Open top0 a:Hold a:Wait |"
                                       : "a:Closed t:go en:Open i:Swing en:Swing | a:Open top0 a:Swing sub0 |";
        const QString self = resume ? "a:Open top0 a:Swing sub0 ex:Swing ex:Open t:again en:Open en:Swing"
                                    : "a:Open top0 a:Swing sub0 ex:Swing ex:Open t:again en:Open i:Swing en:Swing";
        QCOMPARE(out, "| a:Closed t:go en:Open i:Swing en:Swing | a:Open top0 a:Swing sub0 a:Open top1 a:Swing sub1 | "
                      "a:Open top2 a:Swing sub2 ex:Swing t:step en:Hold en:Wait | "
                      "a:Open top3 a:Hold a:Wait ex:Wait t:tick en:Tick | "
                      "a:Open top4 a:Hold a:Tick ex:Tick ex:Hold ex:Open t:back | a:Closed | "
                      + reentry + " a:Closed t:go en:Open i:Swing en:Swing | " + self);
    }

    void queryAndFaults_data() { addRows(); }
    // kestro_in(Tick) in a condition of Open's: false while Hold's
    // sub-machine is in Wait, true in Tick. A value no state has, in the
    // sub-machine's state or in the machine's, makes the machine start
    // again and forgets every level: Open is entered at Swing even when it
    // resumes.
    void queryAndFaults()
    {
        QFETCH(ModuleStyle, style);
        QFETCH(bool, resume);
        const QString out = runDoor(style, resume,
                                    "\tINIT(); go = 1; STEP(); go = 0; step = 1; STEP(); step = 0; note(\"|\");\n"
                                    "\tfinish = 1; STEP(); note(\"|\");\n"
                                    "\ttick = 1; STEP(); tick = 0; STEP(); finish = 0; note(\"|\");\n"
                                    "\tINIT(); go = 1; STEP(); go = 0; CORRUPT(1); STEP(); note(\"|\");\n"
                                    "\tSTEP(); note(\"|\");\n"
                                    "\tgo = 1; STEP(); go = 0; note(\"|\");\n"
                                    "\tstep = 1; STEP(); step = 0; CORRUPT(0); STEP(); STEP(); note(\"|\");\n"
                                    "\tgo = 1; STEP(); go = 0;");
        QCOMPARE(out, QString("a:Closed t:go en:Open i:Swing en:Swing a:Open top0 a:Swing sub0 ex:Swing t:step en:Hold "
                              "en:Wait | a:Open top1 a:Hold a:Wait | "
                              "a:Open top2 a:Hold a:Wait ex:Wait t:tick en:Tick a:Open top3 a:Hold a:Tick ex:Tick "
                              "ex:Hold ex:Open en:Done | "
                              "a:Closed t:go en:Open i:Swing en:Swing a:Open top0 | | "
                              "a:Closed t:go en:Open i:Swing en:Swing | "
                              "a:Open top0 a:Swing sub0 ex:Swing t:step en:Hold en:Wait | "
                              "a:Closed t:go en:Open i:Swing en:Swing"));
    }

    void counterOfASubMachineOnly_data()
    {
        QTest::addColumn<ModuleStyle>("style");
        QTest::newRow("classic") << ModuleStyle::Classic;
        QTest::newRow("instance") << ModuleStyle::Instance;
    }
    // Only the sub-machine reads the time in state: it has its counter (of
    // the project's type), the machine has none, and a timeout drawn as a
    // self transition of the sub-state repeats.
    void counterOfASubMachineOnly()
    {
        QFETCH(ModuleStyle, style);
        MachineDescription m;
        m.processLabel = "Pump";
        m.style = style;
        m.counterType = "uint8_t";
        m.texts << MachineText{ MachineText::Includes, "#include \"log.h\"" };
        m.states << state("Run", "note(\"a:Run\");", true);
        m.states[0].entryAction.clear();
        m.states[0].exitAction.clear();
        m.states[0].subMachine = 0;
        MachineDescription sub;
        sub.processLabel = "Run";
        sub.holder = 0;
        sub.states << state("Fill", "note_n(\"fill\", kestro_cycles_in_state);", true);
        sub.states[0].entryAction = "note_n(\"en\", kestro_cycles_in_state);";
        join(sub, 0, 0, "Retry", "(kestro_cycles_in_state >= 2u)", "note(\"retry\");");
        m.subMachines.push_back(sub);
        const GeneratedModule g = CEmitter::generate(m, ModuleProperties());
        QVERIFY((g.source + g.header)
                    .contains(style == ModuleStyle::Classic ? "static uint8_t Pump_Run_kestro_cycles_in_state = 0u;"
                                                            : "\tuint8_t Run_kestro_cycles_in_state;"));
        QVERIFY(!(g.source + g.header).contains(QRegularExpression("[^_]kestro_cycles_in_state")));
        const QString out = GeneratedMachine::run(m, "\tint i;\n\tINIT(); note(\"|\");\n\tfor (i = 0; i < 5; ++i) { STEP(); }",
                                                  LogDefinitions, { { "log.h", LogHeader } });
        QCOMPARE(out, QString("en0 | a:Run fill0 a:Run fill1 a:Run fill2 ex:Fill retry en0 a:Run fill0 a:Run fill1"));
    }

    // The simulator's transition hooks number a sub-machine's transitions
    // after the machine's own and the earlier sub-machines'.
    void transitionHooksNumberEveryLevel()
    {
        for (const ModuleStyle style : { ModuleStyle::Classic, ModuleStyle::Instance }) {
            ModuleProperties p;
            p.transitionHooks = true;
            const GeneratedModule g = CEmitter::generate(door(style, false), p);
            for (const char *hook : { "Go", "Back", "Finish", "Wrong", "Again", "Step", "TickT" }) {
                const int at = g.source.indexOf(QRegularExpression(QString("(transition|executed) %1 ").arg(hook)));
                QVERIFY2(at >= 0, hook);
                const QRegularExpressionMatch fired
                    = QRegularExpression("KESTRO_TRANSITION_FIRED\\((\\d+)\\)").match(g.source, at);
                QVERIFY(fired.hasMatch());
                static const QStringList order = { "Go", "Back", "Finish", "Wrong", "Again", "Step", "TickT" };
                QCOMPARE(fired.captured(1).toInt(), order.indexOf(hook));
            }
        }
    }
};

QTEST_MAIN(TestSubMachines)
#include "tst_submachines.moc"
