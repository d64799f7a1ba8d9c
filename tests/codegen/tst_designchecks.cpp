// What the generator says about a machine before any C is compiled: the
// errors it always reported (unchanged), the warnings after them, names
// that must not become file names, text that must not end a comment, and
// texts that must not grow without bound.

#include "CEmitter.h"
#include "DesignChecks.h"
#include "ProjectModules.h"

#include <QtTest>

namespace {

MachineState state(const QString &label, bool initial = false, const QString &condition = QString())
{
    MachineState s;
    s.label = label;
    s.initial = initial;
    s.initialCondition = condition;
    return s;
}

// Appends a transition from `from` to `to` and puts it on both states.
void join(MachineDescription &m, int from, int to, const QString &label, const QString &condition)
{
    MachineTransition t;
    t.label = label;
    t.condition = condition;
    t.start = from;
    t.end = to;
    m.transitions << t;
    if (from != to) {
        if (from >= 0 && from < m.states.size())
            m.states[from].transitions << m.transitions.size() - 1;
        if (to >= 0 && to < m.states.size())
            m.states[to].transitions << m.transitions.size() - 1;
    }
    m.transitionCount = m.transitions.size();
}

MachineDescription machine(const QString &name = "Door")
{
    MachineDescription m;
    m.processLabel = name;
    return m;
}

QStringList texts(const DesignFindings &findings)
{
    QStringList result;
    for (const DesignFinding &f : findings)
        result << QString::number(f.severity) + " " + f.text;
    return result;
}

} // namespace

class TestDesignChecks : public QObject
{
    Q_OBJECT
private slots:
    void warningTexts()
    {
        MachineDescription m = machine();
        m.states << state("Idle", true, "(ready)")     // 0
                 << state("")                           // 1: empty
                 << state("2nd")                        // 2: not an identifier
                 << state("int")                        // 3: keyword
                 << state("idle")                       // 4: same enumerator as Idle
                 << state("Idle")                       // 5: same label
                 << state("DoorGetState");              // 6: a function of the module
        join(m, 0, 2, "go", "");                        // empty condition
        join(m, 0, 3, "bare", "x > 0");                 // not parenthesised
        join(m, 0, 4, "pair", "(a) && (b)");            // not one expression
        join(m, 0, 5, "fine", "(f(\")\"))");            // brackets inside a string do not count
        join(m, 0, -1, "away", "(1)");                  // end not in the machine
        join(m, 2, 2, "self", "");                      // self transitions are checked too
        m.memories << MachineMemory{ "my count", "int" } << MachineMemory{ "for", "int" }
                   << MachineMemory{ "9lives", "int" };
        const GeneratedModule g = CEmitter::generate(m, ModuleProperties());
        QVERIFY(g.errors.isEmpty());
        QCOMPARE(g.warnings, QStringList({
            "State number 2: label is empty",
            "State '2nd': label is not a C identifier",
            "State 'int': label is a C keyword",
            "State 'idle': label equals state 'Idle' once upper-cased (enumerator STATE_DOOR_IDLE)",
            "State 'Idle': label is used by another state",
            "State 'DoorGetState': label is the name of a function the module defines",
            "Transition 'go': condition is empty",
            "Transition 'bare': condition is not enclosed in parentheses",
            "Transition 'pair': condition is not enclosed in parentheses",
            "Transition 'away': end state is not in the machine",
            "Transition 'self': condition is empty",
            "Memory item 'for': label is not a C identifier",
            "Memory item '9lives': label is not a C identifier",
            "State '': no transition leads to it",
            "State 'DoorGetState': no transition leads to it",
        }));
        // Each names its item.
        QCOMPARE(g.findings.at(0).item, ItemRef::of(ItemRef::State, 1));
        QCOMPARE(g.findings.at(6).item, ItemRef::of(ItemRef::Transition, 0));
        QCOMPARE(g.findings.at(11).item, ItemRef::of(ItemRef::Memory, 1));
    }

    void initialStateWarnings()
    {
        MachineDescription m = machine();
        m.states << state("A", true, "ready") << state("B");
        join(m, 0, 1, "t", "(x)");
        GeneratedModule g = CEmitter::generate(m, ModuleProperties());
        QCOMPARE(g.warnings, QStringList{ "State 'A': initial condition is not enclosed in parentheses" });

        // A label with a line break or a right-to-left mark is shown escaped.
        m.states[1].label = QString::fromUtf8("B\n\u202Ex");
        g = CEmitter::generate(m, ModuleProperties());
        QVERIFY(g.warnings.contains("State 'B\\n\\u202ex': label is not a C identifier"));
    }

    // Entry and exit actions that can never run are warned about; a self
    // transition enters and leaves its state, the initial state is entered
    // by the initial transition. The time in state's name is the module's.
    void entryExitAndTimeInStateWarnings()
    {
        MachineDescription m = machine();
        m.states << state("Idle", true, "(ready)") << state("Busy") << state("Stuck") << state("Spin");
        for (MachineState &s : m.states) {
            s.entryAction = "enter();";
            s.exitAction = "leave();";
        }
        m.states[0].exitAction = "  \n";   // blank: no action
        join(m, 1, 2, "work", "(x)");
        join(m, 3, 3, "again", "(x)");
        GeneratedModule g = CEmitter::generate(m, ModuleProperties());
        QCOMPARE(g.warnings, (QStringList{
            "State 'Busy': no transition leads to it",
            "State 'Spin': no transition leads to it",
            "State 'Busy': the entry action never runs, no transition enters the state",
            "State 'Stuck': the exit action never runs, no transition leaves the state",
        }));

        m.memories << MachineMemory{ "kestro cycles in state", "int" };
        m.inputs << MachineMemory{ "kestro_cycles_in_state", "int" };
        m.states[3].label = "kestro_cycles_in_state";
        g = CEmitter::generate(m, ModuleProperties());
        QCOMPARE(g.errors, QStringList{ "Memory item 'kestro cycles in state': the module defines this name for the "
                                        "time in state" });
        QVERIFY(g.warnings.contains("State 'kestro_cycles_in_state': label is the name of the time in state"));
        QVERIFY(g.warnings.contains("Dataflow's variable 'kestro_cycles_in_state': the module defines this name for "
                                    "the time in state, so its code cannot reach the variable"));
    }

    // The generator's errors keep their texts and order; warnings follow.
    void errorsComeFirstAndUnchanged()
    {
        MachineDescription m = machine("Pump");
        m.states << state("Idle") << state("Idle");
        m.memories << MachineMemory{ "", "" };
        const GeneratedModule g = CEmitter::generate(m, ModuleProperties());
        QCOMPARE(texts(g.findings), QStringList({
            "0 Label Input for Memory Item  is absent",
            "0 Datatype Input for Memory Item  is absent",
            "0 Initial state item in state machine Pump is not assigned",
            "1 State 'Idle': label is used by another state",
            "1 State 'Idle': no transition leads to it",
            "1 State 'Idle': no transition leads to it",
        }));
        QCOMPARE(g.errors.size(), 3);
    }

    void parentheses_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<bool>("enclosed");
        QTest::newRow("plain") << "(x > 0)" << true;
        QTest::newRow("blanks around") << "  (x)  " << true;
        QTest::newRow("nested") << "((a) && (b))" << true;
        QTest::newRow("two groups") << "(a) && (b)" << false;
        QTest::newRow("none") << "x" << false;
        QTest::newRow("unbalanced") << "((x)" << false;
        QTest::newRow("char literal") << "(c == ')')" << true;
        QTest::newRow("escaped quote") << "(s == \"\\\")\")" << true;
        QTest::newRow("empty") << "" << false;
    }
    void parentheses()
    {
        QFETCH(QString, condition);
        QFETCH(bool, enclosed);
        QCOMPARE(DesignChecks::isParenthesised(condition), enclosed);
    }

    // A name that is no C identifier never becomes a file name.
    void unsafeNamesWriteNothing_data()
    {
        QTest::addColumn<QString>("label");
        QTest::newRow("parent dir") << "../x";
        QTest::newRow("absolute") << "/abs/path";
        QTest::newRow("device") << "/dev/null";
        QTest::newRow("dot") << ".";
        QTest::newRow("dot dot") << "..";
        QTest::newRow("newline") << "a\nb";
        QTest::newRow("tab") << "a\tb";
        QTest::newRow("quote") << "a\"b";
        QTest::newRow("right-to-left mark") << QString::fromUtf8("ab\u200F");
        QTest::newRow("keyword") << "while";
        QTest::newRow("digit first") << "1st";
        QTest::newRow("empty") << "";
        QTest::newRow("non-ASCII") << QString::fromUtf8("T\u00fcr");
    }
    void unsafeNamesWriteNothing()
    {
        QFETCH(QString, label);
        const GeneratedModule g = CEmitter::generate(machine(label), ModuleProperties());
        QVERIFY(!g.writable);
        QVERIFY(g.header.isEmpty());
        QVERIFY(g.source.isEmpty());
        QCOMPARE(g.errors.first(), "State machine " + printableText(CEmitter::moduleName(label))
                                       + ": name is not a C identifier, no files written");
        QVERIFY(!g.errors.first().contains('\n'));
        // Blanks still become "_".
        QVERIFY(CEmitter::generate(machine("Door Ctrl"), ModuleProperties()).writable);
    }

    // Placeholder filling puts user text into later steps: a few kilobytes
    // used to become gigabytes. The size is known before the text is built.
    void runawayTextStopsAtTheLimit()
    {
        MachineDescription m = machine();
        m.states << state(QString(4000, 'a'), true, "(1)");
        m.states[0].description = QString("%2").repeated(20000);   // 80 MB of labels
        QElapsedTimer timer;
        timer.start();
        GeneratedModule g = CEmitter::generate(m, ModuleProperties());
        QVERIFY(!g.writable);
        QVERIFY(g.source.isEmpty());
        QCOMPARE(g.errors.last(), QString("State machine Door: generated code would pass 64 MiB, no files written"));

        // The same through the file comment: the author's text is filled by
        // the later placeholders of the project's name.
        ModuleProperties p;
        p.projectName = QString("%13").repeated(3000);
        MachineDescription small = machine();
        small.processDescription = QString(30000, 'd');
        g = CEmitter::generate(small, p);
        QVERIFY(!g.writable);

        // A lower limit applies the same way, and text below it is whole.
        MachineDescription fine = machine();
        fine.states << state("A", true, "(1)");
        QVERIFY(!CEmitter::generate(fine, ModuleProperties(), 500).writable);
        const GeneratedModule whole = CEmitter::generate(fine, ModuleProperties(), 100000);
        QVERIFY(whole.writable);
        QVERIFY(whole.source.endsWith("\n}\n\n"));
        QCOMPARE(CEmitter::fillTemplate("%1%1%1", { "abcd" }, 11), QString());
        QCOMPARE(CEmitter::fillTemplate("%1%1%1", { "abcd" }, 12), QString("abcdabcdabcd"));
    }

    void commentsStayClosed()
    {
        MachineDescription m = machine();
        m.processDescription = "ends */ here /* and opens";
        m.states << state("A", true, "(1)") << state("B");
        m.states[0].description = "a*/b/*c/*/d";
        join(m, 0, 1, "go */ now /*", "(1)");
        ModuleProperties p;
        p.author = "*/";
        p.projectName = "see /* here";
        const GeneratedModule g = CEmitter::generate(m, p);
        QVERIFY(g.header.contains(" * ends * / here / * and opens \n */"));
        QVERIFY(g.source.contains("description  a* /b/ *c/ * /d \n */"));
        QVERIFY(g.source.contains("executed go * / now / * -- */"));
        QVERIFY(g.header.contains(" * @author: * / \n"));
        QVERIFY(g.header.contains(" * @project: see / * here \n"));
        QCOMPARE(g.source.count("*/"), g.source.count("/*"));
        QCOMPARE(CEmitter::commentText("no end"), QString("no end"));
    }

    // A state's function is named after its label: names the hosted C
    // library, a memory item or a dataflow's variable already use clash.
    void stateNamesThatClash()
    {
        MachineDescription m = machine();
        m.states << state("exit", true) << state("printf") << state("uint8_t") << state("EOF") << state("retries")
                 << state("rx_byte") << state("Listen");
        for (int i = 1; i < m.states.size(); ++i)
            join(m, 0, i, QString("t%1").arg(i), "(1)");
        m.memories << MachineMemory{ "retries", "int" };
        m.inputs << MachineMemory{ "rx byte", "uint8_t" };
        const GeneratedModule g = CEmitter::generate(m, ModuleProperties());
        QCOMPARE(g.warnings.filter("label is").size(), 6);
        QVERIFY(g.warnings.contains("State 'exit': label is an identifier of the C standard library"));
        QVERIFY(g.warnings.contains("State 'printf': label is an identifier of the C standard library"));
        QVERIFY(g.warnings.contains("State 'uint8_t': label is an identifier of the C standard library"));
        QVERIFY(g.warnings.contains("State 'EOF': label is an identifier of the C standard library"));
        QVERIFY(g.warnings.contains("State 'retries': label is the name of a memory item"));
        QVERIFY(g.warnings.contains("State 'rx_byte': label is the name of a dataflow's variable 'rx byte'"));
        QCOMPARE(g.findings.at(g.warnings.indexOf("State 'retries': label is the name of a memory item")).item,
                 ItemRef::of(ItemRef::State, 4));
    }

    // Names two modules of one project share: the same name ignoring case
    // (one guard macro, one file where case is ignored), and enumerators or
    // public functions that two naming schemes meet in.
    void modulesWhoseNamesClash()
    {
        MachineDescription motor = machine("Motor"), upper = machine("MOTOR");
        MachineDescription pumpCtrl = machine("Pump_Ctrl"), pump = machine("Pump");
        pumpCtrl.states << state("Run", true);
        pump.states << state("Ctrl_Run", true) << state("Ctrl_Stop");
        MachineDescription init = machine("PumpInitialize");
        init.states << state("A", true);
        motor.states << state("A", true);
        upper.states << state("B", true);
        MachineDescription fine = machine("Valve");
        fine.states << state("Run", true);
        const QVector<GeneratedModule> modules
            = ProjectModules::generate({ motor, upper, pumpCtrl, pump, init, fine }, ModuleProperties());
        QVERIFY(modules.at(0).warnings.filter("state machine").isEmpty());
        QCOMPARE(modules.at(1).warnings.filter("state machine"), QStringList({
            "State machine MOTOR: name equals state machine Motor ignoring case (same guard macro, same files where "
            "case is ignored)",
            "State machine MOTOR: enumerator STATE_0_MOTOR is also defined by state machine Motor" }));
        QCOMPARE(modules.at(3).warnings.filter("state machine"), QStringList({
            "State machine Pump: enumerator STATE_PUMP_CTRL_RUN is also defined by state machine Pump_Ctrl" }));
        QCOMPARE(modules.at(4).warnings.filter("state machine"), QStringList({
            "State machine PumpInitialize: function PumpInitialize is also defined by state machine Pump" }));
        QVERIFY(modules.at(5).warnings.filter("state machine").isEmpty());
        for (const GeneratedModule &module : modules)
            QVERIFY(module.writable);
    }

    void memoryTypes_data()
    {
        QTest::addColumn<QString>("datatype");
        QTest::addColumn<QString>("written");
        QTest::newRow("unsigned int") << "unsigned int" << "unsigned int";
        QTest::newRow("long long") << "long long" << "long long";
        QTest::newRow("const volatile char") << "const volatile char" << "const volatile char";
        QTest::newRow("own type") << "my type" << "my type";
        QTest::newRow("mixed") << "unsigned myint" << "unsigned myint";
        QTest::newRow("one word") << "uint8_t" << "uint8_t";
        QTest::newRow("volatile") << "volatile uint8_t" << "volatile uint8_t";
        QTest::newRow("const") << "const uint8_t" << "const uint8_t";
        QTest::newRow("pointer") << "uint8_t *" << "uint8_t *";
        QTest::newRow("struct") << "struct cfg_s" << "struct cfg_s";
        QTest::newRow("runs of blanks") << "  volatile \t uint8_t\n* " << "volatile uint8_t *";
        QTest::newRow("blank") << " " << "";
    }
    void memoryTypes()
    {
        QFETCH(QString, datatype);
        QFETCH(QString, written);
        QCOMPARE(CEmitter::memoryType(datatype), written);
        MachineDescription m = machine();
        m.memories << MachineMemory{ "v", datatype };
        QVERIFY(CEmitter::generate(m, ModuleProperties()).source.contains("static " + written + " v;\n"));
    }

    // Every line of the two files belongs to the item that produced it.
    // A sub-machine's findings name it and point at its items; its rules
    // are errors (no initial state, a condition on its initial transition,
    // a label or a memory name used at two levels); the checks of a diagram
    // run on it, but not the exit action of a state no transition leaves
    // (a sub-state is left with its holder) nor the top-level initial
    // transition's warnings. Its items are named where they are.
    void subMachineFindings()
    {
        MachineDescription m = machine("Lift");
        m.states << state("Idle", true, "(1)") << state("Busy");
        m.states[1].subMachine = 0;
        m.states[1].exitAction = "stop();";
        m.memories << MachineMemory{ "count", "int" };
        join(m, 0, 1, "go", "(go)");

        MachineDescription busy;
        busy.processLabel = "Busy";
        busy.holder = 1;
        busy.states << state("Up", true, "(ready)") << state("Down") << state("Idle");
        busy.states[1].subMachine = 1;
        busy.states[1].exitAction = "brake();";
        busy.memories << MachineMemory{ "count", "int" } << MachineMemory{ "state_Lift_Down", "int" };
        join(busy, 0, 2, "rest", "(1)");
        MachineDescription down;
        down.processLabel = "Down";
        down.parent = 0;
        down.holder = 1;
        m.subMachines = { busy, down };

        const GeneratedModule g = CEmitter::generate(m, ModuleProperties());
        const QStringList all = texts(g.findings);
        const QString shown = all.join('\n');
        struct Expected { DesignFinding::Severity severity; QString text; ItemRef item; };
        const QVector<Expected> expected = {
            { DesignFinding::Error, "Sub-machine 'Busy': State 'Up': the initial transition of a sub-machine takes no "
                                    "condition (it is taken on every entry)", ItemRef::in(0, ItemRef::State, 0) },
            { DesignFinding::Error, "Sub-machine 'Down': no initial state, so entering state 'Down' cannot enter it",
              ItemRef::in(1, ItemRef::Machine, -1) },
            { DesignFinding::Error, "Sub-machine 'Busy': State 'Idle': label is used by a state of another level of the "
                                    "machine", ItemRef::in(0, ItemRef::State, 2) },
            { DesignFinding::Error, "Sub-machine 'Busy': Memory item 'count': the name is used by a memory item of "
                                    "another level of the machine", ItemRef::in(0, ItemRef::Memory, 0) },
            { DesignFinding::Error, "Sub-machine 'Busy': Memory item 'state_Lift_Down': the module defines this name "
                                    "for its sub-machines", ItemRef::in(0, ItemRef::Memory, 1) },
            { DesignFinding::Warning, "Sub-machine 'Busy': State 'Down': no transition leads to it",
              ItemRef::in(0, ItemRef::State, 1) },
            { DesignFinding::Warning, "State 'Busy': the exit action never runs, no transition leaves the state",
              ItemRef::of(ItemRef::State, 1) },
        };
        for (const Expected &e : expected) {
            bool found = false;
            for (const DesignFinding &f : g.findings)
                found = found || (f.severity == e.severity && f.text == e.text && f.item == e.item);
            QVERIFY2(found, qPrintable(e.text + "\n--- found:\n" + shown));
        }
        QVERIFY2(all.filter("brake").isEmpty() && all.filter("Sub-machine 'Busy': State 'Down': the exit").isEmpty(),
                 qPrintable(shown));
        QVERIFY2(all.filter("'Up': initial condition").isEmpty() && all.filter("taken at once").filter("Sub-").isEmpty(),
                 qPrintable(shown));
        QCOMPARE(ItemRef::in(0, ItemRef::State, 1).describe(m), QString("State 'Down' in sub-machine 'Busy'"));
        QCOMPARE(ItemRef::in(1, ItemRef::Machine, -1).describe(m), QString("Sub-machine 'Down'"));
        QCOMPARE(ItemRef::of(ItemRef::State, 1).describe(m), QString("State 'Busy'"));
        // A finding shows the diagram its item is on.
        m.nodePath = { 1, 1, 1, 1 };
        m.subMachines[1].nodePath = { 1, 1, 1, 1, 1, 1 };
        QCOMPARE(ItemRef::in(1, ItemRef::Machine, -1).nodePath(m), QVector<int>({ 1, 1, 1, 1, 1, 1 }));
        QCOMPARE(ItemRef::of(ItemRef::State, 1).nodePath(m), m.nodePath);
        // The source's lines of a sub-state belong to it.
        const int line = g.sourceLines.firstLineOf(ItemRef::in(0, ItemRef::State, 1));
        QVERIFY(line > 0);
        QVERIFY(g.source.split('\n').at(line - 1).contains("Down"));
    }

    // In the instance style a sub-machine's memory items are members: the
    // machine's user code cannot name them, nor a sub-machine's the
    // machine's; a state's code may.
    void subMachineMembersInTexts()
    {
        MachineDescription m = machine("Lift");
        m.style = ModuleStyle::Instance;
        m.states << state("Idle", true) << state("Busy");
        m.states[0].subMachine = 0;
        m.states[0].action = "floor = level;";
        m.memories << MachineMemory{ "level", "int" };
        m.texts << MachineText{ MachineText::Default, "int peek(void) { return floor; }" };
        MachineDescription sub;
        sub.processLabel = "Idle";
        sub.holder = 0;
        sub.states << state("Wait", true);
        sub.memories << MachineMemory{ "floor", "int" };
        sub.texts << MachineText{ MachineText::Default, "int own(void) { return floor + level; }" };
        m.subMachines.push_back(sub);
        const GeneratedModule g = CEmitter::generate(m, ModuleProperties());
        const QStringList all = texts(g.findings);
        QVERIFY2(all.contains("0 Text item 1: names memory item 'floor' of another level, which each instance holds; "
                              "this text cannot take it from the instance (me)"),
                 qPrintable(all.join('\n')));
        QVERIFY2(all.filter(QRegularExpression("^0 Sub-machine 'Idle': Text item 1: names memory item 'level' of "
                                               "another level")).size() == 1,
                 qPrintable(all.join('\n')));
        // The sub-machine's own item is found by the checks of its level.
        QVERIFY2(all.filter(QRegularExpression("^0 Sub-machine 'Idle': Text item 1: names memory item 'floor', "))
                         .size() == 1,
                 qPrintable(all.join('\n')));
        QVERIFY2(all.filter("State 'Idle'").filter("floor").isEmpty(), qPrintable(all.join('\n')));
    }

    void lineMapNamesTheItems()
    {
        MachineDescription m = machine();
        m.states << state("Idle", true, "(ready)") << state("Open");
        m.states[0].action = "first();\nsecond();";
        m.states[0].initialDescription = "init();";
        join(m, 0, 1, "go", "(button)");
        m.transitions[0].action = "motor();";
        m.texts << MachineText{ MachineText::Includes, "#include <a.h>" }
                << MachineText{ MachineText::Default, "int helper;\nint other;" };
        m.memories << MachineMemory{ "count", "int" };
        const GeneratedModule g = CEmitter::generate(m, ModuleProperties());
        const auto lineOf = [](const QString &text, const QString &piece) {
            return text.left(text.indexOf(piece)).count('\n') + 1;
        };
        const auto owner = [&](const QString &piece) { return g.sourceLines.ownerOf(lineOf(g.source, piece)); };
        QCOMPARE(owner("second();"), ItemRef::of(ItemRef::State, 0));
        QCOMPARE(owner("if (button)"), ItemRef::of(ItemRef::Transition, 0));
        QCOMPARE(owner("motor();"), ItemRef::of(ItemRef::Transition, 0));
        QCOMPARE(owner("int other;"), ItemRef::of(ItemRef::Text, 1));
        QCOMPARE(owner("static int count;"), ItemRef::of(ItemRef::Memory, 0));
        QCOMPARE(owner("\tif(ready)"), ItemRef::of(ItemRef::State, 0));
        QCOMPARE(owner("init();"), ItemRef::of(ItemRef::State, 0));
        QCOMPARE(owner("static void Open(void);"), ItemRef::of(ItemRef::State, 1));
        QCOMPARE(owner("Open(); "), ItemRef::of(ItemRef::State, 1));
        QCOMPARE(owner("switch("), ItemRef::machine());
        QCOMPARE(g.headerLines.ownerOf(lineOf(g.header, "#include <a.h>")), ItemRef::of(ItemRef::Text, 0));
        QCOMPARE(g.headerLines.ownerOf(lineOf(g.header, "STATE_DOOR_OPEN = 1")), ItemRef::of(ItemRef::State, 1));
        QCOMPARE(g.sourceLines.lineCount(), g.source.count('\n') + 1);
        QCOMPARE(g.sourceLines.firstLineOf(ItemRef::of(ItemRef::Memory, 0)), lineOf(g.source, "static int count;"));
        // Fixed text outside any item, or of an item before its own text,
        // is the template's.
        QVERIFY(g.sourceLines.isTemplate(lineOf(g.source, "switch(")));
        QVERIFY(g.headerLines.isTemplate(lineOf(g.header, "STATE_0_DOOR = 2,")));
        QVERIFY(!g.headerLines.isTemplate(lineOf(g.header, "STATE_DOOR_OPEN = 1")));
        QVERIFY(!g.sourceLines.isTemplate(lineOf(g.source, "motor();")));
        QVERIFY(!g.sourceLines.isTemplate(lineOf(g.source, "state is changed")));   // after the transition's text
        QVERIFY(!g.sourceLines.isTemplate(lineOf(g.source, "if (button)")));
        QCOMPARE(g.sourceLines.ownerOf(0), ItemRef::machine());
        QCOMPARE(g.sourceLines.ownerOf(100000), ItemRef::machine());
    }
};

QTEST_MAIN(TestDesignChecks)
#include "tst_designchecks.moc"
