#include "CEmitter.h"

#include <QtTest>

// Byte-exact checks of the generated header and source texts.
namespace {

const QString IncludesBanner =
    "/*--------------------------------- user includes ---------------------------------*/ \n";
const QString GlobalBanner =
    "/*------------------------------ global declarations ------------------------------*/ \n";
const QString DeclarationsBanner =
    "/*----------------------------- function declarations -----------------------------*/ \n";
const QString SourceIncludesBanner =
    "/*----------------------------------- includes -----------------------------------*/ \n";
const QString DefinesBanner =
    "/*--------------------------------- user defines ---------------------------------*/ \n";
const QString VariablesBanner =
    "/*---------------------------------- variables -----------------------------------*/ \n";
const QString UserCodeBanner =
    "/*---------------------------------- user code -----------------------------------*/ \n";
const QString HeadersBanner =
    "/*---------------------------------- headers -------------------------------------*/ \n";
const QString DefinitionsBanner =
    "/*--------------------------- function definitions -------------------------------*/ \n";

MachineState state(const QString &label, const QString &action = QString(), QVector<int> transitions = {})
{
    MachineState s;
    s.label = label;
    s.action = action;
    s.transitions = transitions;
    return s;
}

MachineTransition transition(const QString &label, int start, int end, const QString &condition,
                             const QString &action = QString())
{
    MachineTransition t;
    t.label = label;
    t.start = start;
    t.end = end;
    t.condition = condition;
    t.action = action;
    return t;
}

ModuleProperties properties()
{
    ModuleProperties p;
    p.projectName = "Demo";
    p.author = "Ann";
    p.organization = "Org";
    p.version = 1.5;
    p.date = QDate(2024, 3, 5);
    return p;
}

// Door Ctrl: Idle (initial, conditional) -T1-> Open -T2-> Idle, plus a self
// transition on Open, texts of all three kinds and two memory items.
MachineDescription doorMachine()
{
    MachineDescription m;
    m.processLabel = "Door Ctrl";
    m.processDescription = "Door\ncontroller";
    MachineState idle = state("Idle", QString(), { 0, 2 });
    idle.description = "Waits";
    idle.initial = true;
    idle.initialCondition = "(start == 1)";
    idle.initialDescription = "init();\nled = 0;\n";
    m.states << idle << state("Open", "open();\nwait();", { 0, 2 });
    m.transitions << transition("T1", 0, 1, "(btn)", "a();\nb();") << transition("Self", 1, 1, "(x)")
                  << transition("T2", 1, 0, "(closed)");
    m.transitionCount = 3;
    m.inputVariables = 1;
    m.outputVariables = 2;
    m.texts << MachineText { MachineText::Default, "int helper(void) { return 1; }" }
            << MachineText { MachineText::Includes, "#include <stdint.h>" }
            << MachineText { MachineText::Macros, "#define N 3" };
    m.memories << MachineMemory { "counter", "int" } << MachineMemory { "flag set", "unsigned char" };
    return m;
}

QString comment(const QString &file)
{
    return "/** \n * @file: " + file + " \n * @project: Demo \n * @version: 1.5 \n \n * @author: Ann \n"
           " * @organization: Org \n * @date: Tue Mar 5 2024 \n"
           " * @description: Automatic codification of state machine Door_Ctrl \n * \n"
           " * Number of States: 2\n * Number of Transitions: 3 \n * Input variables: 1 \n"
           " * Output variables: 2 \n * local variables : 2 \n * \n * Door\ncontroller \n */";
}

// The state function of a state, up to its transition blocks.
QString stateHead(const QString &description, const QString &label, const QString &code)
{
    return "/** \n * @function description  " + description + " \n */ \nstatic void " + label
        + "(void) \n{\n\n\t /* -- code of the current state -- */ \n\t" + code + "\n";
}

MachineDescription emptyMachine(const QString &label = "M")
{
    MachineDescription m;
    m.processLabel = label;
    return m;
}

} // namespace

class TestCEmitter : public QObject
{
    Q_OBJECT
private slots:
    void wholeHeader()
    {
        const GeneratedModule g = CEmitter::generate(doorMachine(), properties());
        QCOMPARE(g.moduleName, QString("Door_Ctrl"));
        QCOMPARE(g.headerFileName, QString("Door_Ctrl.h"));
        QCOMPARE(g.sourceFileName, QString("Door_Ctrl.c"));
        const QString expected = comment("Door_Ctrl.h")
            + "\n \n#ifndef _DOOR_CTRL_H\n#define _DOOR_CTRL_H\n \n"
            + IncludesBanner + "#include <stdint.h>\n" + "\n \n"
            + GlobalBanner + "\n"
            + "typedef enum { \n \tSTATE_DOOR_CTRL_IDLE = 0,\n\tSTATE_DOOR_CTRL_OPEN = 1,\n"
              "\tSTATE_0_DOOR_CTRL = 2,\n\t}t_state_Door_Ctrl;"
            + "\n \n" + DeclarationsBanner + "\n"
            + "/** \n * @function description  States diagram initialization Door_Ctrl \n */ \n"
              " void Door_CtrlInitialize(void);\n \n"
            + "/** \n * @function description  Main routine of the states diagram Door_Ctrl \n"
              " Calls theCorresponding function state. \n */ \n void Door_Ctrl(void);\n \n"
            + "/** \n * @function description  Function that returns the current state of the FSM Door_Ctrl \n */ \n"
              "t_state_Door_Ctrl Door_CtrlGetState(void);\n \n"
            + "#endif /* _DOOR_CTRL_H */";
        QCOMPARE(g.header, expected);
    }

    void wholeSource()
    {
        const GeneratedModule g = CEmitter::generate(doorMachine(), properties());
        const QString init =
            "/** \n * @function description  States diagram initialization Door_Ctrl \n */ \n"
            "void Door_CtrlInitialize(void) \n{\t \n \t/* -- state variable initialization -- */ \n"
            "\tstate_Door_Ctrl = STATE_0_DOOR_CTRL; \n \t/* -- states machine initial cycle execution -- */ \n"
            "\tDoor_Ctrl(); \n}";
        const QString cases =
            "\n\t\tcase STATE_0_DOOR_CTRL: \n\t\t\tDoor_Ctrl0();\n\t\t\tbreak;\n"
            "\n\t\tcase STATE_DOOR_CTRL_IDLE:\n\t\t\tIdle(); \n\t\t\tbreak; \n"
            "\n\t\tcase STATE_DOOR_CTRL_OPEN:\n\t\t\tOpen(); \n\t\t\tbreak; \n"
            "\n\t\tdefault: \n\t\t\tstate_Door_Ctrl = STATE_0_DOOR_CTRL;\n\t\t\tbreak;";
        const QString mainRoutine =
            "/** \n * @function description  Main routine of the states diagram Door_Ctrl \n"
            "   Calls theCorresponding function state. \n */ \nvoid Door_Ctrl(void) \n{\n\tswitch(state_Door_Ctrl){\n "
            + cases + " \n\t} \n}";
        const QString getter =
            "/** \n * @function description  Function that returns the current state of the FSM Door_Ctrl \n */ \n"
            "t_state_Door_Ctrl Door_CtrlGetState(void) \n{ \n\treturn state_Door_Ctrl; \n}";
        const QString initial =
            "/** \n * @function description:  function corresponding to the initial state of Door_Ctrl \n */ \n"
            "static void Door_Ctrl0(void) \n{\n"
            "\t/* -- condition for transition to initial state -- */\n\tif(start == 1)\n\t{\n"
            "\t\tinit();\n\tled = 0;\n\t\n\n\t\tstate_Door_Ctrl = STATE_DOOR_CTRL_IDLE;\n\t}\n}";
        const QString idle = stateHead("Waits", "Idle", "")
            + "\n\t/* -- case where transition is executed T1 -- */\n\tif (btn)\n\t{\n\t\ta();\n\t\tb();\n"
              "\t\t/* -- state is changed -- */ \n\t\tstate_Door_Ctrl = STATE_DOOR_CTRL_OPEN;\n\t}\n"
            + "\n}";
        const QString open = stateHead("", "Open", "open();\n\twait();")
            + "\n\t/* -- case where transition is executed T2 -- */\n\tif (closed)\n\t{\n\t\t\n"
              "\t\t/* -- state is changed -- */ \n\t\tstate_Door_Ctrl = STATE_DOOR_CTRL_IDLE;\n\t}\n"
            + "\n}";
        const QString expected = comment("Door_Ctrl.c") + "\n \n" + SourceIncludesBanner + "\n"
            + "#include \"Door_Ctrl.h\"\n \n"
            + DefinesBanner + "\n" + "#define N 3\n" + "\n \n"
            + VariablesBanner + "\n" + "static int counter;\nstatic unsigned char flag_set;\n" + "\n"
            + "static t_state_Door_Ctrl state_Door_Ctrl = STATE_0_DOOR_CTRL;\n\n"
            + UserCodeBanner + "\n" + "int helper(void) { return 1; }\n" + "\n \n"
            + HeadersBanner + "\n" + "static void Door_Ctrl0(void);\nstatic void Idle(void);\nstatic void Open(void);\n\n\n"
            + DefinitionsBanner + "\n" + "\n" + init + "\n \n" + mainRoutine + "\n \n" + getter + "\n \n" + "\n"
            + initial + "\n\n" + idle + "\n\n" + open + "\n\n";
        QCOMPARE(g.source, expected);
        QVERIFY(g.errors.isEmpty());
    }

    // The simulator's transition hooks are off by default (wholeSource
    // holds the plain text); switched on, each transition block gains one
    // line of its own and nothing else changes.
    void transitionHooksOnlyAddTheirLines()
    {
        const GeneratedModule plain = CEmitter::generate(doorMachine(), properties());
        ModuleProperties withHooks = properties();
        withHooks.transitionHooks = true;
        const GeneratedModule hooked = CEmitter::generate(doorMachine(), withHooks);
        QCOMPARE(hooked.header, plain.header);
        const QStringList lines = hooked.source.split('\n');
        QCOMPARE(lines.filter("KESTRO"), QStringList({ "\t\tKESTRO_TRANSITION_FIRED(0);", "\t\tKESTRO_TRANSITION_FIRED(2);" }));
        QString stripped = hooked.source;
        stripped.remove(QRegularExpression("\t\tKESTRO_TRANSITION_FIRED\\(\\d\\);\n"));
        QCOMPARE(stripped, plain.source);
        const int hookLine = lines.indexOf("\t\tKESTRO_TRANSITION_FIRED(2);") + 1;
        QCOMPARE(hooked.sourceLines.ownerOf(hookLine), ItemRef::of(ItemRef::Transition, 2));
        QCOMPARE(hooked.sourceLines.lineCount(), plain.sourceLines.lineCount() + 2);
    }

    // A check measures the files without keeping them: the same findings,
    // line maps and verdict on the size limit, down to the last character.
    void measuredWithoutKeepingTheText()
    {
        MachineDescription m = doorMachine();
        m.states << state("Lonely");
        ModuleProperties counted = properties();
        counted.keepText = false;
        const GeneratedModule kept = CEmitter::generate(m, properties());
        const GeneratedModule measured = CEmitter::generate(m, counted);
        QVERIFY(kept.writable && measured.writable);
        QVERIFY(!kept.source.isEmpty());
        QVERIFY(measured.header.isEmpty() && measured.source.isEmpty());
        QVERIFY(!kept.warnings.isEmpty());
        QCOMPARE(measured.warnings, kept.warnings);
        QCOMPARE(measured.errors, kept.errors);
        QCOMPARE(measured.sourceLines.lineCount(), kept.sourceLines.lineCount());
        QCOMPARE(measured.headerLines.lineCount(), kept.headerLines.lineCount());

        const qint64 size = kept.header.size() + kept.source.size();
        for (const ModuleProperties &p : { properties(), counted }) {
            QVERIFY(CEmitter::generate(m, p, size).writable);
            const GeneratedModule over = CEmitter::generate(m, p, size - 1);
            QVERIFY(!over.writable);
            QVERIFY(over.source.isEmpty());
            QVERIFY(over.errors.last().endsWith("no files written"));
        }
    }

    void withoutTextsOrMemory()
    {
        MachineDescription m = emptyMachine("Lamp");
        m.states << state("On");
        m.states[0].initial = true;
        m.states[0].initialCondition = "(1)";
        const GeneratedModule g = CEmitter::generate(m, properties());
        QVERIFY(g.header.contains(IncludesBanner + "\n \n" + GlobalBanner));
        QVERIFY(g.source.contains(DefinesBanner + "\n" + VariablesBanner + "\n" + "\n"
                                  + "static t_state_Lamp state_Lamp = STATE_0_LAMP;\n\n"
                                  + UserCodeBanner + "\n" + HeadersBanner));
        QVERIFY(g.source.contains(" * local variables : 0 \n"));
        QVERIFY(g.errors.isEmpty());
    }

    void textsKeepTheirOrderPerKind()
    {
        MachineDescription m = emptyMachine();
        m.texts << MachineText { MachineText::Macros, "#define A 1" } << MachineText { MachineText::Includes, "#include <a.h>" }
                << MachineText { MachineText::Macros, "#define B 2\n" } << MachineText { MachineText::Includes, "#include <b.h>" };
        const GeneratedModule g = CEmitter::generate(m, properties());
        QVERIFY(g.header.contains(IncludesBanner + "#include <a.h>\n#include <b.h>\n\n \n" + GlobalBanner));
        QVERIFY(g.source.contains(DefinesBanner + "\n#define A 1\n#define B 2\n\n\n \n" + VariablesBanner));
        QVERIFY(g.source.contains(UserCodeBanner + "\n" + HeadersBanner));
    }

    void stateWithoutOutgoingTransitions()
    {
        MachineDescription m = emptyMachine();
        m.states << state("A", "x = 1;", { 0 }) << state("B", QString(), { 0 });
        m.transitions << transition("t", 0, 1, "(go)");
        m.states[1].description = "last";
        const GeneratedModule g = CEmitter::generate(m, properties());
        QVERIFY(g.source.endsWith(stateHead("last", "B", "") + "\n}\n\n"));
    }

    void threeOutgoingTransitionsFollowTheStateList()
    {
        MachineDescription m = emptyMachine();
        m.states << state("A", QString(), { 2, 0, 3, 1 }) << state("B", QString(), { 0, 1, 2 });
        m.transitions << transition("t0", 0, 1, "(c0)") << transition("t1", 0, 1, "(c1)")
                      << transition("back", 1, 0, "(c2)") << transition("t3", 0, 0, "(never)");
        m.transitions[3].end = 1;   // listed on A only; still an outgoing transition of A
        const QString a = CEmitter::generate(m, properties()).source;
        const int first = a.indexOf("\tif (c0)");
        QVERIFY(first > 0);
        QVERIFY(a.indexOf("\telse if (never)") > first);
        QVERIFY(a.indexOf("\telse if (c1)") > a.indexOf("\telse if (never)"));
        QVERIFY(a.indexOf("\tif (c2)") > a.indexOf("\telse if (c1)"));   // B's only outgoing transition
        QCOMPARE(a.count("case where transition is executed"), 4);
    }

    void transitionToMissingStateIsSkippedWithoutBreakingTheChain()
    {
        MachineDescription m = emptyMachine();
        m.states << state("A", QString(), { 0, 1 }) << state("B");
        m.transitions << transition("lost", 0, MachineTransition::NotInDiagram, "(gone)")
                      << transition("real", 0, 1, "(here)");
        const QString s = CEmitter::generate(m, properties()).source;
        QVERIFY(!s.contains("lost"));
        QVERIFY(!s.contains("(gone)"));
        QVERIFY(s.contains("executed real -- */\n\tif (here)\n"));
    }

    void multiLineTextsGetTabs()
    {
        MachineDescription m = emptyMachine();
        m.states << state("A", "one();\ntwo();\n", { 0 }) << state("B");
        m.states[0].initial = true;
        m.states[0].initialCondition = "(go)";
        m.states[0].initialDescription = "x();\ny();";
        m.transitions << transition("t", 0, 1, "(c)", "p();\nq();\n");
        const QString s = CEmitter::generate(m, properties()).source;
        QVERIFY(s.contains("current state -- */ \n\tone();\n\ttwo();\n\t\n"));
        QVERIFY(s.contains("\n\t{\n\t\tp();\n\t\tq();\n\t\t\n\t\t/* -- state is changed -- */ \n"));
        QVERIFY(s.contains("\tif(go)\n\t{\n\t\tx();\n\ty();\n\n\t\tstate_M = STATE_M_A;\n\t}\n}"));
    }

    // Self transitions close the chain, in their list order, run their
    // action and leave the state variable alone; a state with only a self
    // transition starts its chain with it.
    void selfTransitionsFollowTheOrdinaryOnes()
    {
        MachineDescription m = emptyMachine();
        m.states << state("A", QString(), { 0 }) << state("B", QString(), { 0 });
        m.transitions << transition("go", 0, 1, "(g)") << transition("retry", 0, 0, "(timeout != 0u)", "send_syn();\nretries++;")
                      << transition("again", 0, 0, "(again)", "a();") << transition("spin", 1, 1, "(s)");
        m.states[0].selfTransitions = { 2, 1 };
        m.states[1].selfTransitions = { 3 };
        m.transitionCount = 4;
        const GeneratedModule g = CEmitter::generate(m, properties());
        QVERIFY(g.header.contains(" * Number of Transitions: 4 \n"));
        QVERIFY(g.source.contains("\tif (g)\n\t{\n\t\t\n\t\t/* -- state is changed -- */ \n\t\tstate_M = STATE_M_B;\n\t}\n"
                                  "\n\t/* -- case where transition is executed again -- */\n\telse if (again)\n\t{\n\t\ta();\n\t}\n"
                                  "\n\t/* -- case where transition is executed retry -- */\n\telse if (timeout != 0u)\n"
                                  "\t{\n\t\tsend_syn();\n\t\tretries++;\n\t}\n\n}"));
        QVERIFY(g.source.contains("executed spin -- */\n\tif (s)\n\t{\n\t\t\n\t}\n\n}"));
        QCOMPARE(g.source.count("state_M = STATE_M_A;"), 0);
    }

    // An empty condition means "always" ("if" needs its brackets); an
    // initial condition of blanks only is no condition.
    void emptyConditionsAreAlways()
    {
        MachineDescription m = emptyMachine();
        m.states << state("A", QString(), { 0 }) << state("B", QString(), { 0 });
        m.states[0].initial = true;
        m.states[0].initialCondition = " \n";
        m.transitions << transition("t", 0, 1, QString()) << transition("s", 1, 1, "  ");
        m.states[1].selfTransitions = { 1 };
        const GeneratedModule g = CEmitter::generate(m, properties());
        QVERIFY(g.source.contains("\tif (1)\n\t{\n\t\t\n\t\t/* -- state is changed"));
        QVERIFY(g.source.contains("executed s -- */\n\tif (1)\n"));
        QVERIFY(g.source.contains("static void M0(void) \n{\n\tstate_M = STATE_M_A;\n}\n\n"));
        QVERIFY(g.errors.isEmpty());
    }

    void versionText_data()
    {
        QTest::addColumn<double>("version");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("one") << 1.0 << "1";
        QTest::newRow("ten and a half") << 10.5 << "10.5";
        QTest::newRow("two decimals") << 12.25 << "12.25";
        QTest::newRow("six digits") << 1.23456789 << "1.23457";
        QTest::newRow("large") << 1234567.0 << "1.23457e+06";
    }
    void versionText()
    {
        QFETCH(double, version);
        QFETCH(QString, text);
        QCOMPARE(CEmitter::versionText(version), text);
        ModuleProperties p = properties();
        p.version = version;
        QVERIFY(CEmitter::generate(emptyMachine(), p).header.contains(" * @version: " + text + " \n"));
    }

    void defaultVersionIsOne()
    {
        QCOMPARE(ModuleProperties().version, 1.0);
    }

    void namingRules()
    {
        QCOMPARE(CEmitter::moduleName("Door Ctrl"), QString("Door_Ctrl"));
        QCOMPARE(CEmitter::guardMacro("Door_Ctrl"), QString("_DOOR_CTRL_H"));
        QCOMPARE(CEmitter::enumTypeName("Door_Ctrl"), QString("t_state_Door_Ctrl"));
        QCOMPARE(CEmitter::stateVariable("Door_Ctrl"), QString("state_Door_Ctrl"));
        QCOMPARE(CEmitter::stateEnumerator("Door_Ctrl", "Idle"), QString("STATE_DOOR_CTRL_IDLE"));
        QCOMPARE(CEmitter::startEnumerator("Door_Ctrl"), QString("STATE_0_DOOR_CTRL"));
        QCOMPARE(CEmitter::initialFunction("Door_Ctrl"), QString("Door_Ctrl0"));
        // Full upper-case mapping; state labels keep their blanks.
        QCOMPARE(CEmitter::guardMacro(QString::fromUtf8("Stra\u00dfe")), QString("_STRASSE_H"));
        QCOMPARE(CEmitter::stateEnumerator("M", "wait here"), QString("STATE_M_WAIT HERE"));
    }

    void machineWithoutStates()
    {
        const GeneratedModule g = CEmitter::generate(emptyMachine("Empty"), properties());
        QVERIFY(g.header.contains("typedef enum { \n \tSTATE_0_EMPTY = 0,\n\t}t_state_Empty;"));
        QVERIFY(g.source.contains("switch(state_Empty){\n \n\t\tcase STATE_0_EMPTY: \n\t\t\tEmpty0();\n\t\t\tbreak;\n"
                                  "\n\t\tdefault: "));
        QVERIFY(g.source.contains("static void Empty0(void) \n{\n"
                                  "\t// Error : Initial state item in state machine Empty is not assigned \n}\n\n"));
        QCOMPARE(g.errors, QStringList { "Initial state item in state machine Empty is not assigned" });
    }

    void firstFlaggedStateIsTheInitialOne()
    {
        MachineDescription m = emptyMachine();
        m.states << state("A") << state("B") << state("C");
        m.states[1].initial = m.states[2].initial = true;
        m.states[1].initialCondition = "(b)";
        const GeneratedModule g = CEmitter::generate(m, properties());
        QVERIFY(g.source.contains("\tif(b)\n\t{\n\t\t\n\n\t\tstate_M = STATE_M_B;\n\t}\n}"));
        QVERIFY(g.errors.isEmpty());
    }

    void initialStateWithoutCondition()
    {
        MachineDescription m = emptyMachine();
        m.states << state("A");
        m.states[0].initial = true;
        m.states[0].initialDescription = "never_written();";
        const GeneratedModule g = CEmitter::generate(m, properties());
        QVERIFY(g.source.contains("static void M0(void) \n{\n\tstate_M = STATE_M_A;\n}\n\n"));
        QVERIFY(!g.source.contains("never_written"));
        QVERIFY(g.errors.isEmpty());
        QCOMPARE(g.warnings, QStringList { "State 'A': the initial transition has no condition, so it is taken at once "
                                           "and its code is not run" });
    }

    void memoryChecksInOrder()
    {
        MachineDescription m = emptyMachine();
        m.memories << MachineMemory { "", "" } << MachineMemory { "speed", "" } << MachineMemory { "ok", "int" };
        const GeneratedModule g = CEmitter::generate(m, properties());
        QCOMPARE(g.errors, (QStringList {
            "Label Input for Memory Item  is absent", "Datatype Input for Memory Item  is absent",
            "Datatype Input for Memory Item speed is absent",
            "Initial state item in state machine M is not assigned" }));
        QVERIFY(g.source.contains(VariablesBanner + "\nstatic  ;\nstatic  speed;\nstatic int ok;\n\n"));
    }

    void fillTemplateLowestFirst()
    {
        QCOMPARE(CEmitter::fillTemplate("%2 and %1", { "a", "b" }), QString("b and a"));
        QCOMPARE(CEmitter::fillTemplate("%1 %10 %1", { "x", "y" }), QString("x y x"));
        // Substituted text takes part in the later steps.
        QCOMPARE(CEmitter::fillTemplate("%1 %3", { "(%2)", "two", "three" }), QString("(two) three"));
        // A value bringing a lower placeholder is served first.
        QCOMPARE(CEmitter::fillTemplate("%2 %3", { "%1", "b", "c" }), QString("b c"));
        QCOMPARE(CEmitter::fillTemplate("100% sure, %0 and %", { "x" }), QString("100% sure, %0 and %"));
        QCOMPARE(CEmitter::fillTemplate("%100", { "x", "y" }), QString("x0"));
    }

    void substitutedTextIsFilledByLaterSteps()
    {
        MachineDescription m = emptyMachine();
        m.states << state("Run");
        m.states[0].description = "calls %2, keeps %8";
        ModuleProperties p = properties();
        p.author = "%9";
        m.transitionCount = 4;
        const GeneratedModule g = CEmitter::generate(m, p);
        QVERIFY(g.source.contains("description  calls Run, keeps %8 \n */ \nstatic void Run(void)"));
        QVERIFY(g.header.contains(" * @author: 4 \n"));
        QVERIFY(g.header.contains(" * Number of Transitions: 4 \n"));
    }

    void descriptionWithLineBreaksIsCopied()
    {
        MachineDescription m = emptyMachine();
        m.processDescription = "first\n\nthird\r\n";
        QVERIFY(CEmitter::generate(m, properties()).header.contains(" * \n * first\n\nthird\r\n \n */\n \n#ifndef"));
    }

    void generationDate()
    {
        const QByteArray saved = qgetenv("SOURCE_DATE_EPOCH");
        qputenv("SOURCE_DATE_EPOCH", "1709251199");   // 2024-02-29 23:59:59 UTC
        QCOMPARE(ModuleProperties::generationDate(), QDate(2024, 2, 29));
        QCOMPARE(ModuleProperties().date, QDate(2024, 2, 29));
        qputenv("SOURCE_DATE_EPOCH", "soon");
        QCOMPARE(ModuleProperties::generationDate(), QDate::currentDate());
        qunsetenv("SOURCE_DATE_EPOCH");
        QCOMPARE(ModuleProperties::generationDate(), QDate::currentDate());
        if (!saved.isNull())
            qputenv("SOURCE_DATE_EPOCH", saved);
        QLocale::setDefault(QLocale(QLocale::German));
        QCOMPARE(CEmitter::dateText(QDate(2024, 2, 29)), QString("Thu Feb 29 2024"));
        QLocale::setDefault(QLocale::c());
    }
};

QTEST_MAIN(TestCEmitter)
#include "tst_cemitter.moc"
