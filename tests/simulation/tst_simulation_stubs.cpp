// Machines that call functions nothing defines (their drivers), run with
// tcc and with the system's compiler: the stubs, what they return, their
// calls, the link failures left, and a project's prelude and include
// folders.

#include "CEmitter.h"
#include "CompileCheck.h"
#include "SimulationHarness.h"
#include "SimulationIncludePath.h"
#include "SimulationProtocol.h"
#include "SessionRun.h"
#include "SimulationSession.h"
#include "SimulationTrace.h"
#include "StubDeclarations.h"

#include <QtTest>

#include <memory>

namespace {

MachineDescription machine(const QVector<MachineState> &states, const QVector<MachineTransition> &transitions,
                           const QString &text, const QStringList &memories)
{
    MachineDescription m;
    m.processLabel = QStringLiteral("Blinky");
    m.states = states;
    m.transitions = transitions;
    for (int t = 0; t < transitions.size(); ++t) {
        m.states[transitions.at(t).start].transitions << t;
        m.states[transitions.at(t).end].transitions << t;
    }
    m.transitionCount = transitions.size();
    if (!text.isEmpty())
        m.texts << MachineText{ MachineText::Includes, text };
    for (const QString &memory : memories)
        m.memories << MachineMemory{ memory, QStringLiteral("int") };
    return m;
}

MachineState state(const QString &label, const QString &action, bool initial = false)
{
    MachineState s;
    s.label = label;
    s.action = action;
    s.initial = initial;
    return s;
}

MachineTransition transition(const QString &label, int from, int to, const QString &condition)
{
    MachineTransition t;
    t.label = label;
    t.start = from;
    t.end = to;
    t.condition = condition;
    return t;
}

// Off and On switch on timer_expired(); On reads the sensor into level.
// sensor_read has an empty parameter list, beep no declaration at all;
// memcpy is the C library's.
MachineDescription blinky()
{
    return machine({ state("Off", "led_write(0);", true),
                     state("On", "led_write(1);\nlevel = sensor_read();\nmemcpy(&copy, &level, sizeof copy);\nbeep();") },
                   { transition("Expired", 0, 1, "(timer_expired())"), transition("Again", 1, 0, "(timer_expired())") },
                   "#include <stdint.h>\n#include <string.h>\n/* drivers */\nuint8_t timer_expired(void);\n"
                   "void led_write(int on);\nint sensor_read();\nint beep();",
                   { "level", "copy" });
}

struct Sim : SessionRun
{
    SimulationReply stub(const QString &name, const QStringList &values, bool sequence = false)
    {
        return call(session->setStubReturns(name, values, sequence));
    }
    const SimulationStub &stubNamed(const QString &name) const { return session->stubs().at(session->stubIndex(name)); }
    QStringList callsOfLastCycle() const
    {
        SimulationTrace::Row row;
        SimulationTrace::addCalls(&row, session->stubs(), cycles.last());
        return row.calls;
    }
};

std::unique_ptr<Sim> simulate(const MachineDescription &m, const QStringList &compiler,
                              SimulationOptions options = SimulationOptions())
{
    return startSession<Sim>(m, compiler, options);
}

void compilerRows()
{
    QTest::addColumn<QStringList>("compiler");
    const QString tcc = QStandardPaths::findExecutable(QStringLiteral("tcc"));
    QTest::newRow("tcc") << (tcc.isEmpty() ? QStringList() : QStringList{ tcc });
    QTest::newRow("cc") << CompileCheck::defaultCompiler();
}

#define FETCH_COMPILER()                                                                                              \
    QFETCH(QStringList, compiler);                                                                                     \
    if (compiler.isEmpty())                                                                                            \
        QSKIP("tcc is not installed");

#define START(sim) QVERIFY2((sim)->session->waitForReady(60000), qPrintable(failureText((sim)->session->failure())))

} // namespace

class TestSimulationStubs : public QObject
{
    Q_OBJECT
private slots:
    // Each undefined function gets a stub that returns 0 of its type, and
    // then what it is set to return: one value, or a sequence whose last
    // value repeats; the settings outlast a reset.
    void stubsReturnValuesAndSequences_data() { compilerRows(); }
    void stubsReturnValuesAndSequences()
    {
        FETCH_COMPILER();
        auto sim = simulate(blinky(), compiler);
        START(sim);
        QStringList names;
        for (const SimulationStub &stub : sim->session->stubs())
            names << stub.name;
        names.sort();
        // memcpy stays the C library's.
        QCOMPARE(names, QStringList({ "beep", "led_write", "sensor_read", "timer_expired" }));
        QCOMPARE(sim->stubNamed("timer_expired").returnType, QStringLiteral("uint8_t"));
        QCOMPARE(sim->stubNamed("led_write").returns, 'v');
        QVERIFY(!sim->stubNamed("sensor_read").prototyped);

        QCOMPARE(sim->call(sim->session->reset()).kind, SimulationReply::Ok);
        QCOMPARE(sim->step(3).kind, SimulationReply::Ok);
        QCOMPARE(sim->state(), QStringLiteral("Off"));   // the timer returns 0

        SimulationReply reply = sim->stub("timer_expired", { "1" });
        QCOMPARE(reply.kind, SimulationReply::Ok);
        QCOMPARE(sim->stubNamed("timer_expired").returnText, QStringLiteral("1"));
        QCOMPARE(sim->stub("sensor_read", { "5", "0x7", "-2" }, true).text, QStringLiteral("5 7 -2"));
        QCOMPARE(sim->step().kind, SimulationReply::Ok);
        QCOMPARE(sim->state(), QStringLiteral("On"));
        sim->stub("timer_expired", { "0" });
        QCOMPARE(sim->step().kind, SimulationReply::Ok);
        QCOMPARE(sim->value("level"), QStringLiteral("5"));
        QCOMPARE(sim->value("copy"), QStringLiteral("5"));
        const QStringList levels = { "7", "-2", "-2" };
        for (const QString &level : levels) {
            QCOMPARE(sim->step().kind, SimulationReply::Ok);
            QCOMPARE(sim->value("level"), level);
        }

        // Values the type cannot hold, stubs without a value, unknown names.
        reply = sim->stub("timer_expired", { "256" });
        QCOMPARE(reply.kind, SimulationReply::Error);
        QVERIFY2(reply.text.contains("cannot hold 256"), qPrintable(reply.text));
        QCOMPARE(sim->stub("timer_expired", { "1.5" }).kind, SimulationReply::Error);
        QVERIFY(sim->stub("led_write", { "1" }).text.contains("returns nothing"));
        QVERIFY(sim->stub("memcpy", { "1" }).text.contains("no stubbed function memcpy"));
        QCOMPARE(sim->stub("timer_expired", { "1", "2" }).kind, SimulationReply::Error);
        QCOMPARE(sim->stubNamed("timer_expired").returnText, QStringLiteral("0"));   // unchanged by refusals

        // A reset starts a new program: the values set go with it, the
        // sequence from its start.
        sim->stub("timer_expired", { "1" });
        QCOMPARE(sim->call(sim->session->reset()).kind, SimulationReply::Ok);
        QCOMPARE(sim->step().kind, SimulationReply::Ok);
        QCOMPARE(sim->state(), QStringLiteral("On"));
        QCOMPARE(sim->step().kind, SimulationReply::Ok);
        QCOMPARE(sim->value("level"), QStringLiteral("5"));
    }

    // Every cycle reports which stubs it called and with which arguments;
    // a prototype without names or with pointers still records them, and
    // calls past the recorded ones are counted.
    void callsAreRecordedPerCycle_data() { compilerRows(); }
    void callsAreRecordedPerCycle()
    {
        FETCH_COMPILER();
        const MachineDescription m = machine(
            { state("Busy", "for (i = 0; i < 100; ++i)\n    tick(i, -i, 0.5 * i, i ? \"x\" : 0);\nled_write(i);", true) },
            {}, "void tick(unsigned int, long, double, const char *);\nvoid led_write(int);", { "i" });
        auto sim = simulate(m, compiler);
        START(sim);
        QCOMPARE(sim->call(sim->session->reset()).kind, SimulationReply::Ok);
        QCOMPARE(sim->step().kind, SimulationReply::Ok);
        const SimulationCycle &cycle = sim->cycles.last();
        QCOMPARE(cycle.calls.size(), 64);
        QCOMPARE(cycle.calls.first().arguments, QStringLiteral("0 0 0 NULL"));
        QCOMPARE(cycle.calls.at(3).arguments, QStringLiteral("3 -3 1.5 ptr"));
        QCOMPARE(sim->stubNamed("tick").calls, 100);
        QCOMPARE(sim->stubNamed("led_write").calls, 1);
        const QStringList shown = sim->callsOfLastCycle();
        QCOMPARE(shown.first(), QStringLiteral("tick(0, 0, 0, NULL)"));
        // led_write's call came past the recorded ones.
        QVERIFY2(shown.endsWith("36 more calls of tick") || shown.contains("36 more calls of tick"), qPrintable(shown.join(' ')));
        QVERIFY2(shown.contains("1 more call of led_write"), qPrintable(shown.join(' ')));
    }

    // What no stub can stand for stays a link failure, said as one and
    // naming the symbol; a compile error is still a compile error.
    void linkFailuresAreReportedAsSuch_data() { compilerRows(); }
    void linkFailuresAreReportedAsSuch()
    {
        FETCH_COMPILER();
        const MachineDescription m = machine({ state("Read", "level = hw_status + timer_expired();", true) }, {},
                                             "extern volatile int hw_status;\nint timer_expired(void);", { "level" });
        auto sim = simulate(m, compiler);
        QVERIFY(!sim->session->waitForReady(60000));
        const SimulationFailure &failure = sim->session->failure();
        QCOMPARE(failure.kind, SimulationFailure::NotLinked);
        QVERIFY2(failure.message.contains("did not link: undefined symbol 'hw_status'"), qPrintable(failureText(failure)));
        QVERIFY(!failure.message.contains("compile"));
        QVERIFY2(failureText(failure).contains("a variable nothing defines; define it in the simulation prelude"),
                 qPrintable(failureText(failure)));

        // A variable declared after another in one statement is no function either.
        const MachineDescription second = machine({ state("Read", "level = hw_other;", true) }, {},
                                                  "extern volatile int hw_status, hw_other;", { "level" });
        auto other = simulate(second, compiler);
        QVERIFY(!other->session->waitForReady(60000));
        QCOMPARE(other->session->failure().kind, SimulationFailure::NotLinked);
        QVERIFY2(other->session->failure().message.contains("undefined symbol 'hw_other'"),
                 qPrintable(failureText(other->session->failure())));

        const MachineDescription broken = machine({ state("Read", "level = timer_expired(;", true) }, {},
                                                  "int timer_expired(void);", { "level" });
        auto again = simulate(broken, compiler);
        QVERIFY(!again->session->waitForReady(60000));
        QCOMPARE(again->session->failure().kind, SimulationFailure::NotCompiled);
    }

    // A vendor header found through the project's include folders, and the
    // prelude's defines and fakes ahead of the machine: what the prelude
    // defines is not stubbed, what the header only declares is.
    void preludeAndIncludePath_data() { compilerRows(); }
    void preludeAndIncludePath()
    {
        FETCH_COMPILER();
        QTemporaryDir project;
        QVERIFY(QDir(project.path()).mkpath("vendor/inc"));
        QFile header(project.filePath("vendor/inc/vendor_hal.h"));
        QVERIFY(header.open(QIODevice::WriteOnly));
        header.write("#define HAL_GAIN 3\nint hal_read(void);\nint hal_write(int value);\n");
        header.close();
        const MachineDescription m = machine({ state("Run", "value = hal_read() * HAL_GAIN + BOARD_ID;\nhal_write(value);", true) },
                                             {}, "#include \"vendor_hal.h\"", { "value" });
        SimulationOptions options;
        options.prelude = QStringLiteral("#define BOARD_ID 7\nstatic int written;\n"
                                         "int hal_write(int value) { written = value; return 0; }");
        auto missing = simulate(m, compiler, options);
        QVERIFY(!missing->session->waitForReady(60000));
        QCOMPARE(missing->session->failure().kind, SimulationFailure::NotCompiled);

        QString error;
        QVERIFY2(SimulationIncludePath::resolve(project.path(), { "vendor/inc" }, &options.includeDirectories, &error),
                 qPrintable(error));
        auto sim = simulate(m, compiler, options);
        START(sim);
        QCOMPARE(sim->session->stubs().size(), 1);
        QCOMPARE(sim->session->stubs().first().name, QStringLiteral("hal_read"));
        QCOMPARE(sim->stub("hal_read", { "2" }).kind, SimulationReply::Ok);
        QCOMPARE(sim->call(sim->session->reset()).kind, SimulationReply::Ok);
        QCOMPARE(sim->step().kind, SimulationReply::Ok);
        QCOMPARE(sim->value("value"), QStringLiteral("13"));

        // The prelude's own faults are named as the prelude's.
        options.prelude = QStringLiteral("#define BOARD_ID 7\nint broken = unknown_name;\n");
        auto faulty = simulate(m, compiler, options);
        QVERIFY(!faulty->session->waitForReady(60000));
        QVERIFY2(failureText(faulty->session->failure()).contains("Simulation prelude, line 2"),
                 qPrintable(failureText(faulty->session->failure())));
    }

    // The scalar variables the prelude defines are inputs: a script's set
    // drives a transition, the explorer varies them (a fixed seed reaches
    // the state behind level == 77); pointers, arrays, structs, statics,
    // constants and mere declarations are left out, and a name the
    // machine has is the machine's, said once.
    void preludeVariablesAreInputs_data() { compilerRows(); }
    void preludeVariablesAreInputs()
    {
        FETCH_COMPILER();
        MachineDescription m = machine({ state("Idle", "", true), state("Armed", ""), state("Fired", "") },
                                       { transition("Open", 0, 1, "(door_open != 0)"),
                                         transition("Hit", 1, 2, "(level == 77 && door == 0)") },
                                       "#include <stdint.h>\nextern int door_open;\nextern volatile uint8_t level;", {});
        m.inputs << MachineMemory{ QStringLiteral("door"), QStringLiteral("int") };
        SimulationOptions options;
        options.prelude = QStringLiteral("#include <stdint.h>\nint door_open, *cursor, history[4];\n"
                                         "static int hidden;\nconst int limit = 3;\nstruct pt { int x; } where;\n"
                                         "extern int declared_only;\nvolatile uint8_t level = 0;\nint door;\n"
                                         "int sum(int a, int b) { int local = a; return local + b; }\n");
        auto sim = simulate(m, compiler, options);
        START(sim);
        QStringList inputs;
        for (const SimulationVariable &v : sim->session->variables()) {
            QCOMPARE(v.role, SimulationVariable::Input);
            inputs << v.name + QLatin1Char(':') + v.datatype;
        }
        QCOMPARE(inputs, QStringList({ "door:int", "door_open:int", "level:volatile uint8_t" }));
        int clashes = 0;
        for (const DesignFinding &f : sim->session->buildWarnings())
            clashes += f.text.contains("Simulation prelude: variable door left out of the simulation, "
                                       "the machine has a variable of that name");
        QCOMPARE(clashes, 1);

        QCOMPARE(sim->call(sim->session->reset()).kind, SimulationReply::Ok);
        QCOMPARE(sim->step(2).kind, SimulationReply::Ok);
        QCOMPARE(sim->state(), QStringLiteral("Idle"));
        QCOMPARE(sim->call(sim->session->setVariable("door_open", "1")).kind, SimulationReply::Ok);
        QCOMPARE(sim->step().kind, SimulationReply::Ok);
        QCOMPARE(sim->state(), QStringLiteral("Armed"));
        QCOMPARE(sim->value("door_open"), QStringLiteral("1"));
        QCOMPARE(sim->call(sim->session->setVariable("level", "256")).kind, SimulationReply::Error);
        QCOMPARE(sim->session->coverage().stateEntries.at(2), 0);

        const SimulationReply explored = sim->call(sim->session->explore(20000, 3));
        QVERIFY2(explored.ok(), qPrintable(explored.text));
        QVERIFY(sim->session->coverage().stateEntries.at(2) > 0);
    }

    // At most MaxPreludeVariables of the prelude are watched; the rest are
    // named as left out.
    void preludeVariablesAreBounded()
    {
        const MachineDescription m = machine({ state("Idle", "", true) }, {}, QString(), {});
        QString prelude;
        for (int i = 0; i < SimulationHarness::MaxPreludeVariables + 2; ++i)
            prelude += QStringLiteral("int v%1;\n").arg(i);
        ModuleProperties properties;
        properties.transitionHooks = true;
        const SimulationHarness harness(m, CEmitter::generate(m, properties), {}, prelude);
        QCOMPARE(harness.variables().size(), SimulationHarness::MaxPreludeVariables);
        QCOMPARE(harness.variables().last().name, QStringLiteral("v255"));
        QCOMPARE(harness.notes().size(), 1);
        QVERIFY2(harness.notes().first().text.contains("only its first 256 variables are in the simulation, v256 and "
                                                       "the rest are left out"),
                 qPrintable(harness.notes().first().text));
    }

    // Include folders are folders: relative to the project, never a file,
    // a missing one, the root or the home folder.
    void includeFoldersAreConfined()
    {
        QTemporaryDir project;
        QVERIFY(QDir(project.path()).mkpath("inc"));
        QFile file(project.filePath("plain.h"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QStringList folders;
        QString error;
        QVERIFY(SimulationIncludePath::resolve(project.path(), { "inc", "./inc", project.filePath("inc") }, &folders, &error));
        QCOMPARE(folders, QStringList{ QFileInfo(project.filePath("inc")).canonicalFilePath() });
        const QStringList refused[] = { { "plain.h" }, { "absent" }, { "/" }, { QDir::homePath() }, { "inc", "plain.h" } };
        for (const QStringList &entries : refused) {
            QVERIFY2(!SimulationIncludePath::resolve(project.path(), entries, &folders, &error), qPrintable(entries.join(' ')));
            QVERIFY(error.contains(entries.last()));
        }
    }

    // The declarations the stubs take their types from.
    void prototypesAreRead()
    {
        const StubDeclarations d({ "/* void fake(void); */ // int line(void);\n"
                                   "#define HAL_WRITE(x) hal_write(x); \\\n  int macro_line(void);\n"
                                   "static inline const uint16_t *buffer(void);\n"
                                   "unsigned long long mix(signed char c, double, const char *s, int a[4], void (*cb)(int));\n"
                                   "extern float gain(float);\nint defined(void) { return \"(;\"[0]; }\n"
                                   "struct point make(int x);\nHAL_Status hal_init(int);\nint later();\n"
                                   "int log_text(const char *format, ...);\nextern volatile uint32_t REG, OTHER;\n"
                                   "typedef int handler(int);\nint counter = 0;\nlong double precise(_Bool flag, size_t n);\n"
                                   "int later(int twice);\ndouble mystery(struct point p);\n" });
        QVERIFY(!d.stub("fake").prototyped);
        QVERIFY(!d.stub("line").prototyped);
        QVERIFY(!d.stub("macro_line").prototyped);
        QCOMPARE(d.stub("buffer").returns, 'p');
        const SimulationStub mix = d.stub("mix");
        QCOMPARE(mix.returnType, QStringLiteral("unsigned long long"));
        QCOMPARE(mix.parameters, QByteArray("ifppp"));
        QCOMPARE(mix.parameterTypes.first(), QStringLiteral("signed char"));
        QCOMPARE(d.stub("gain").returnType, QStringLiteral("float"));
        QCOMPARE(d.stub("gain").parameterTypes, QStringList{ "float" });
        QCOMPARE(d.stub("make").returnType, QStringLiteral("int"));   // a struct: "int NAME()"
        QVERIFY(!d.stub("make").prototyped);
        QVERIFY(!d.stub("hal_init").prototyped);
        QVERIFY(!d.stub("later").prototyped);   // the first declaration counts
        QVERIFY(d.stub("log_text").variadic && d.stub("log_text").prototyped);
        QVERIFY(d.declaresObject("REG") && d.declaresObject("counter") && !d.declaresObject("handler"));
        // Every declarator of a statement declares its object.
        QVERIFY(d.declaresObject("OTHER"));
        QCOMPARE(d.stub("precise").returnType, QStringLiteral("long double"));
        QCOMPARE(d.stub("precise").parameters, QByteArray("uu"));
        // A typed return with a parameter no stub can declare records no arguments.
        QCOMPARE(d.stub("mystery").returnType, QStringLiteral("double"));
        QVERIFY(!d.stub("mystery").prototyped);
        QCOMPARE(d.stub("nowhere").returnType, QStringLiteral("int"));
    }

    // The variables a text defines: each declarator, scalars only, as written.
    void scalarVariablesAreRead()
    {
        const StubDeclarations d({ "unsigned long a = 1, *p, b[2] = { 1, 2 }, c = f(1, 2), d;\n"
                                   "static int s; extern int e; extern int x = 4; const int k = 1;\n"
                                   "struct s { int in_struct; } st; enum mode m; bool flag;\nint g(void);\n"
                                   "int body(void) { int inner; return inner; }\nint a; int d;\n" });
        QStringList read;
        for (const StubDeclarations::Variable &v : d.scalarVariables())
            read << v.name + QLatin1Char(':') + v.type;
        QCOMPARE(read, QStringList({ "a:unsigned long", "c:unsigned long", "d:unsigned long", "x:int", "m:enum mode",
                                     "flag:bool" }));
        QVERIFY(d.declaresObject("p") && d.declaresObject("b") && d.declaresObject("e") && !d.declaresObject("g"));
        QVERIFY(!d.declaresObject("inner") && !d.declaresObject("in_struct"));
    }

    void callLines()
    {
        SimulationLine l = SimulationLine::parse("call led_write 1 -2 ptr");
        QCOMPARE(l.kind, SimulationLine::Call);
        QCOMPARE(l.name, QStringLiteral("led_write"));
        QCOMPARE(l.text, QStringLiteral("1 -2 ptr"));
        QCOMPARE(SimulationLine::parse("call beep").text, QString());
        l = SimulationLine::parse("calls tick 100");
        QCOMPARE(l.kind, SimulationLine::Calls);
        QCOMPARE(l.numbers, QVector<qint64>{ 100 });
        for (const char *bad : { "calls tick", "calls tick 0", "calls tick x", "call" })
            QCOMPARE(SimulationLine::parse(bad).kind, SimulationLine::Unknown);
    }
};

QTEST_GUILESS_MAIN(TestSimulationStubs)
#include "tst_simulation_stubs.moc"
