// Simulation sessions run with the Tiny C Compiler (when installed) and
// with the system's C compiler: the example project's machines, crashes,
// endless loops, compile errors by item, variables of every kind,
// breakpoints and the bounds on what is read from the machine's program.

#include "CEmitter.h"
#include "CompileCheck.h"
#include "ExampleProject.h"
#include "RecordsToMachines.h"
#include "SimulationCompiler.h"
#include "SimulationProtocol.h"
#include "SimulationRuntime.h"
#include "SessionRun.h"
#include "SimulationSession.h"
#include "SimulationTrace.h"

#include <QtTest>

#include <memory>

namespace {

// A machine built in code; states and transitions by label.
class Machine
{
public:
    explicit Machine(const QString &name) { m_m.processLabel = name; }

    Machine &state(const QString &label, const QString &action = QString(), bool initial = false)
    {
        MachineState s;
        s.label = label;
        s.action = action;
        s.initial = initial;
        m_m.states << s;
        return *this;
    }
    Machine &transition(const QString &label, int from, int to, const QString &condition,
                        const QString &action = QString())
    {
        MachineTransition t;
        t.label = label;
        t.start = from;
        t.end = to;
        t.condition = condition;
        t.action = action;
        m_m.states[from].transitions << m_m.transitions.size();
        m_m.states[to].transitions << m_m.transitions.size();
        m_m.transitions << t;
        m_m.transitionCount = m_m.transitions.size();
        return *this;
    }
    Machine &memory(const QString &label, const QString &type)
    {
        m_m.memories << MachineMemory{ label, type };
        return *this;
    }
    Machine &text(int type, const QString &code)
    {
        m_m.texts << MachineText{ type, code };
        return *this;
    }
    Machine &input(const QString &label, const QString &type)
    {
        m_m.inputs << MachineMemory{ label, type };
        return *this;
    }
    Machine &output(const QString &label, const QString &type)
    {
        m_m.outputs << MachineMemory{ label, type };
        return *this;
    }
    const MachineDescription &description() const { return m_m; }

private:
    MachineDescription m_m;
};

// Idle (initial) counts its cycles; "Go" to Busy when go is set, running `action`.
Machine counting(const QString &action, const QString &includes = QString())
{
    Machine m(QStringLiteral("Worker"));
    m.state(QStringLiteral("Idle"), QStringLiteral("count++;"), true)
        .state(QStringLiteral("Busy"), QStringLiteral("count += 10;"))
        .transition(QStringLiteral("Go"), 0, 1, QStringLiteral("(go != 0)"), action)
        .memory(QStringLiteral("go"), QStringLiteral("int"))
        .memory(QStringLiteral("count"), QStringLiteral("int"));
    if (!includes.isEmpty())
        m.text(MachineText::Includes, includes);
    return m;
}

// A running simulation with blocking helpers.
struct Sim : SessionRun
{
    SimulationReply compare(const QString &name, const QString &value)
    {
        return call(session->compareVariable(name, value));
    }
};

std::unique_ptr<Sim> simulate(const MachineDescription &machine, const QStringList &compiler,
                              SimulationOptions options = SimulationOptions())
{
    return startSession<Sim>(machine, compiler, options);
}

// Calls `addRows(name, compiler)` for tcc (empty when it is not installed)
// and for the system's compiler.
template <typename AddRows>
void perCompiler(AddRows addRows)
{
    const QString tcc = QStandardPaths::findExecutable(QStringLiteral("tcc"));
    addRows("tcc", tcc.isEmpty() ? QStringList() : QStringList{ tcc });
    addRows("cc", CompileCheck::defaultCompiler());
}

void compilerRows()
{
    QTest::addColumn<QStringList>("compiler");
    perCompiler([](const char *name, const QStringList &compiler) { QTest::newRow(name) << compiler; });
}

#define FETCH_COMPILER()                                                                                              \
    QFETCH(QStringList, compiler);                                                                                     \
    if (compiler.isEmpty())                                                                                            \
        QSKIP("tcc is not installed");

#define START(sim)                                                                                                     \
    QVERIFY2((sim)->session->waitForReady(60000), qPrintable(failureText((sim)->session->failure())))

} // namespace

Q_DECLARE_METATYPE(ModuleStyle)

class TestSimulation : public QObject
{
    Q_OBJECT
private slots:
    void exampleMachinesRunTheirScenarios_data() { compilerRows(); }
    void exampleMachinesRunTheirScenarios()
    {
        FETCH_COMPILER();
        const QVector<MachineDescription> machines = RecordsToMachines::build(flattenDocument(ExampleProject::document()));
        QCOMPARE(machines.size(), 3);

        // SpeedControl ramps up, cruises, brakes and stops again.
        auto speed = simulate(machines.at(0), compiler);
        START(speed);
        QCOMPARE(speed->reset().kind, SimulationReply::Ok);
        QCOMPARE(speed->state(), QStringLiteral("Stopped"));
        QCOMPARE(speed->cycles.last().number, 0);
        QVERIFY(speed->cycles.last().initialTransition(4));
        QCOMPARE(speed->step(3).kind, SimulationReply::Ok);
        QCOMPARE(speed->state(), QStringLiteral("Accelerating"));
        QCOMPARE(speed->value("cycles"), QStringLiteral("0"));
        QCOMPARE(speed->step(3).kind, SimulationReply::Ok);
        QCOMPARE(speed->state(), QStringLiteral("Cruising"));
        QCOMPARE(speed->value("speed"), QStringLiteral("15"));
        QCOMPARE(speed->step(6).kind, SimulationReply::Ok);
        QCOMPARE(speed->state(), QStringLiteral("Braking"));
        QCOMPARE(speed->step(3).kind, SimulationReply::Ok);
        QCOMPARE(speed->state(), QStringLiteral("Stopped"));
        QCOMPARE(speed->value("speed"), QStringLiteral("0"));
        QCOMPARE(speed->cycles.size(), 16);
        const SimulationCycle halt = speed->cycles.last();
        QCOMPARE(halt.number, 15);
        QCOMPARE(speed->session->transitionName(halt.fired), QStringLiteral("Halt"));
        QCOMPARE(halt.changes.size(), 1);   // speed 5 -> 0; cycles was 0 already
        QCOMPARE(speed->cycles.at(1).fired, -1);
        // Its input and output are variables too.
        QCOMPARE(speed->session->variables().at(speed->session->variableIndex("speedLimit")).role,
                 SimulationVariable::Input);
        QCOMPARE(speed->session->variables().at(speed->session->variableIndex("motorSpeed")).role,
                 SimulationVariable::Output);

        // FaultMonitor trips after more than three overloaded cycles and recovers.
        auto fault = simulate(machines.at(1), compiler);
        START(fault);
        fault->reset();
        QCOMPARE(fault->step(3).kind, SimulationReply::Ok);
        QCOMPARE(fault->state(), QStringLiteral("Monitoring"));
        QCOMPARE(fault->value("faultCount"), QStringLiteral("3"));
        fault->step();
        QCOMPARE(fault->state(), QStringLiteral("Fault"));
        fault->step();
        QCOMPARE(fault->state(), QStringLiteral("Monitoring"));
        QCOMPARE(fault->value("faultCount"), QStringLiteral("0"));

        // CommandParser: a value set before reset reaches the initial cycle.
        auto parser = simulate(machines.at(2), compiler);
        START(parser);
        QCOMPARE(parser->set("rxByte", "1").kind, SimulationReply::Ok);
        parser->reset();
        QCOMPARE(parser->state(), QStringLiteral("(start)"));   // (rxByte == 0) does not hold
        QCOMPARE(parser->set("rxByte", "0").kind, SimulationReply::Ok);
        parser->reset();
        QCOMPARE(parser->state(), QStringLiteral("Idle"));
        parser->step(4);
        QCOMPARE(parser->state(), QStringLiteral("Receiving"));
        QCOMPARE(parser->value("length"), QStringLiteral("3"));
        parser->step();
        QCOMPARE(parser->state(), QStringLiteral("Idle"));
        QCOMPARE(parser->value("length"), QStringLiteral("4"));
        QCOMPARE(parser->set("rxBuffer", "0x7f").text, QStringLiteral("127"));
        QCOMPARE(parser->value("rxBuffer"), QStringLiteral("127"));
        QVERIFY(parser->failures.isEmpty());
    }

    // A reset after cycles restarts the program: every variable is back at
    // its start value.
    void entryExitAndTimeInStateRun_data()
    {
        QTest::addColumn<QStringList>("compiler");
        QTest::addColumn<ModuleStyle>("style");
        perCompiler([](const char *name, const QStringList &compiler) {
            QTest::newRow(QByteArray(name).append(" classic").constData()) << compiler << ModuleStyle::Classic;
            QTest::newRow(QByteArray(name).append(" instance").constData()) << compiler << ModuleStyle::Instance;
        });
    }
    // The simulated machine runs its entry and exit actions and counts its
    // time in state as the generated module does; the trace names the exit
    // and the entry of each transition, a self transition's included.
    void entryExitAndTimeInStateRun()
    {
        FETCH_COMPILER();
        QFETCH(ModuleStyle, style);
        Machine m = counting(QString());
        MachineDescription machine = m.memory("entries", "int").memory("exits", "int").memory("ticks", "int")
                                         .transition("Tick", 0, 0, "(kestro_cycles_in_state >= 2u)", "ticks++;")
                                         .description();
        // A self transition sits in the state's own list.
        machine.states[0].transitions.removeAll(1);
        machine.states[0].selfTransitions << 1;
        machine.states[0].entryAction = "entries++;";
        machine.states[0].exitAction = "exits++;";
        machine.states[1].entryAction = "count = 1000 + (int)kestro_cycles_in_state;";
        machine.style = style;
        auto sim = simulate(machine, compiler);
        START(sim);
        sim->reset();
        sim->step(4);
        QCOMPARE(sim->value("kestro_cycles_in_state"), QStringLiteral("1"));
        sim->step(2);
        QCOMPARE(sim->value("kestro_cycles_in_state"), QStringLiteral("0"));
        QCOMPARE(sim->value("entries"), QStringLiteral("3"));
        QCOMPARE(sim->value("exits"), QStringLiteral("2"));
        QCOMPARE(sim->value("ticks"), QStringLiteral("2"));
        QCOMPARE(sim->set("go", "1").kind, SimulationReply::Ok);
        sim->step();
        QCOMPARE(sim->state(), QStringLiteral("Busy"));
        QCOMPARE(sim->value("count"), QStringLiteral("1000"));
        QCOMPARE(sim->value("exits"), QStringLiteral("3"));
        QStringList fired;
        for (const SimulationCycle &cycle : sim->cycles)
            fired << SimulationTrace::firedText(SimulationTrace::row(machine, sim->session->variables(), cycle));
        QCOMPARE(fired, (QStringList{ "(initial), entry Idle", "", "", "exit Idle, Tick, entry Idle", "", "",
                                       "exit Idle, Tick, entry Idle", "exit Idle, Go, entry Busy" }));
    }

    void resetStartsAfresh_data() { compilerRows(); }
    void resetStartsAfresh()
    {
        FETCH_COMPILER();
        auto sim = simulate(counting(QString()).description(), compiler);
        START(sim);
        sim->reset();
        sim->step(4);
        QCOMPARE(sim->value("count"), QStringLiteral("4"));
        QCOMPARE(sim->set("go", "1").kind, SimulationReply::Ok);
        sim->step();
        QCOMPARE(sim->state(), QStringLiteral("Busy"));
        // The new program's start values are announced: no cycle reports them.
        QSignalSpy announced(sim->session.get(), &SimulationSession::variablesChanged);
        sim->reset();
        QCOMPARE(announced.count(), 1);
        QCOMPARE(sim->cycles.last().changes.size(), 0);
        QCOMPARE(sim->state(), QStringLiteral("Idle"));
        QCOMPARE(sim->value("count"), QStringLiteral("0"));
        QCOMPARE(sim->value("go"), QStringLiteral("0"));
        QCOMPARE(sim->session->cycle(), 0);
    }

    void crashesAreReportedAndResetRecovers_data()
    {
        QTest::addColumn<QStringList>("compiler");
        QTest::addColumn<QString>("includes");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("signal");
        perCompiler([](const char *name, const QStringList &compiler) {
            QTest::addRow("%s null pointer", name) << compiler << QString() << "*(volatile int *)0 = count;"
                                                   << "SIGSEGV";
            QTest::addRow("%s stack overflow", name) << compiler << "int deep(volatile int n);"
                                                     << "count = deep(1);" << "SIGSEGV";
            QTest::addRow("%s abort", name) << compiler << "#include <stdlib.h>" << "abort();" << "SIGABRT";
        });
    }
    void crashesAreReportedAndResetRecovers()
    {
        FETCH_COMPILER();
        QFETCH(QString, includes);
        QFETCH(QString, action);
        QFETCH(QString, signal);
        Machine m = counting(action, includes);
        m.text(MachineText::Default, "int deep(volatile int n) { volatile char pad[4096]; pad[0] = (char)n; "
                                     "return n + deep(n + pad[0]); }");
        auto sim = simulate(m.description(), compiler);
        START(sim);
        sim->reset();
        sim->step(2);
        sim->set("go", "1");
        const SimulationReply reply = sim->step(5);
        QCOMPARE(reply.kind, SimulationReply::Failed);
        QCOMPARE(sim->failures.size(), 1);
        const SimulationFailure failure = sim->failures.first();
        QCOMPARE(failure.kind, SimulationFailure::Crashed);
        QVERIFY2(failure.message.startsWith("the machine crashed with " + signal), qPrintable(failure.message));
        QVERIFY2(failure.message.endsWith("in cycle 3, in state 'Idle' while running transition 'Go'"),
                 qPrintable(failure.message));
        QCOMPARE(failure.cycle, 3);
        QCOMPARE(failure.state, 0);
        QCOMPARE(failure.transition, 0);
        QVERIFY(!sim->session->isRunning());
        // Commands other than reset are refused until reset.
        QCOMPARE(sim->step().kind, SimulationReply::Failed);

        QCOMPARE(sim->reset().kind, SimulationReply::Ok);
        QVERIFY(sim->session->isRunning());
        QCOMPARE(sim->state(), QStringLiteral("Idle"));
        QCOMPARE(sim->value("count"), QStringLiteral("0"));
        sim->step();
        QCOMPARE(sim->value("count"), QStringLiteral("1"));
    }

    // A cycle that does not end is stopped after the step timeout and
    // reported with where it was; the project's next reset works.
    void endlessLoopsTimeOut_data() { compilerRows(); }
    void endlessLoopsTimeOut()
    {
        FETCH_COMPILER();
        Machine m = counting(QStringLiteral("for (;;) {\n}"));
        SimulationOptions options;
        options.stepTimeoutMs = 400;
        auto sim = simulate(m.description(), compiler, options);
        START(sim);
        sim->reset();
        sim->set("go", "1");
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(sim->step(3).kind, SimulationReply::Failed);
        QVERIFY(clock.elapsed() < 10000);
        QCOMPARE(sim->failures.size(), 1);
        QCOMPARE(sim->failures.first().kind, SimulationFailure::TimedOut);
        QCOMPARE(sim->failures.first().message,
                 QStringLiteral("cycle 1 did not finish within 0.4 s, in state 'Idle' while running transition 'Go'; "
                                "the machine was stopped"));
        QCOMPARE(sim->reset().kind, SimulationReply::Ok);
        QCOMPARE(sim->step(2).kind, SimulationReply::Ok);
        QCOMPARE(sim->value("count"), QStringLiteral("2"));
    }

    // What the machine prints reaches the session, bounded; what it reads
    // is not the protocol.
    void machineOutputIsBoundedAndInputIsItsOwn_data() { compilerRows(); }
    void machineOutputIsBoundedAndInputIsItsOwn()
    {
        FETCH_COMPILER();
        Machine m = counting(QStringLiteral("for (;;)\n    printf(\"spam spam spam spam\\n\");"),
                             QStringLiteral("#include <stdio.h>"));
        m.text(MachineText::Default, QStringLiteral("static int echo(void) { printf(\"count %d\\n\", count); "
                                                    "return getchar(); }"));
        m.description();
        MachineDescription d = m.description();
        d.states[0].action += QStringLiteral("\n(void)echo();");
        SimulationOptions options;
        options.stepTimeoutMs = 500;
        auto sim = simulate(d, compiler, options);
        START(sim);
        sim->reset();
        QCOMPARE(sim->step(2).kind, SimulationReply::Ok);   // getchar() read nothing of the protocol
        QTRY_VERIFY(sim->output.contains("count 2\n"));
        sim->set("go", "1");
        QCOMPARE(sim->step().kind, SimulationReply::Failed);
        QCOMPARE(sim->failures.first().kind, SimulationFailure::TimedOut);
        QVERIFY2(sim->output.size() <= SimulationSession::MaxOutput + 100, QByteArray::number(sim->output.size()));
        QVERIFY(sim->output.endsWith("[the machine's further output is not shown]\n"));
    }

    void exitIsReported_data() { compilerRows(); }
    void exitIsReported()
    {
        FETCH_COMPILER();
        auto sim = simulate(counting(QStringLiteral("exit(3);"), QStringLiteral("#include <stdlib.h>")).description(),
                            compiler);
        START(sim);
        sim->reset();
        sim->set("go", "1");
        QCOMPARE(sim->step().kind, SimulationReply::Failed);
        QCOMPARE(sim->failures.first().kind, SimulationFailure::Exited);
        QCOMPARE(sim->failures.first().message,
                 QStringLiteral("the machine's program ended with exit code 3 in cycle 1, in state 'Idle' "
                                "while running transition 'Go'"));
    }

    void compileErrorsNameTheirItems_data()
    {
        QTest::addColumn<QStringList>("compiler");
        QTest::addColumn<int>("broken");
        QTest::addColumn<QString>("expected");
        perCompiler([](const char *name, const QStringList &compiler) {
            QTest::addRow("%s condition", name) << compiler << 0 << "Transition 'Go': ";
            QTest::addRow("%s state", name) << compiler << 1 << "State 'Busy': ";
            QTest::addRow("%s text", name) << compiler << 2 << "Text item 1: ";
            QTest::addRow("%s input", name) << compiler << 3 << "Input 'limit' (no_such_type): ";
            QTest::addRow("%s breakpoint", name) << compiler << 4 << "Breakpoint condition 2 '(count >)': ";
            // tcc names the line of the next token, here the transition's.
            QTest::addRow("%s state before a transition", name) << compiler << 5 << "State 'Idle': ";
            QTest::addRow("%s transition action", name) << compiler << 6 << "Transition 'Go': ";
            QTest::addRow("%s initial condition", name) << compiler << 7 << "State 'Idle': ";
            QTest::addRow("%s initial action", name) << compiler << 8 << "State 'Idle': ";
            QTest::addRow("%s memory item", name) << compiler << 9 << "Memory item 'count': ";
        });
    }
    void compileErrorsNameTheirItems()
    {
        FETCH_COMPILER();
        QFETCH(int, broken);
        QFETCH(QString, expected);
        MachineDescription m = counting(QString()).description();
        SimulationOptions options;
        options.conditions << QStringLiteral("(count > 1)");
        switch (broken) {
        case 0: m.transitions[0].condition = QStringLiteral("(go ==)"); break;
        case 1: m.states[1].action = QStringLiteral("count = ;"); break;
        case 2: m.texts << MachineText{ MachineText::Default, QStringLiteral("static int f(void) { return }") }; break;
        case 3: m.inputs << MachineMemory{ QStringLiteral("limit"), QStringLiteral("no_such_type") }; break;
        case 4: options.conditions << QStringLiteral("(count >)"); break;
        case 5: m.states[0].action = QStringLiteral("count = ;"); break;
        case 6: m.transitions[0].action = QStringLiteral("count = ;"); break;
        case 7: m.states[0].initialCondition = QStringLiteral("(go ==)"); break;
        case 8:
            m.states[0].initialCondition = QStringLiteral("(1)");
            m.states[0].initialDescription = QStringLiteral("count = ;");
            break;
        case 9: m.memories[1].datatype = QStringLiteral("no_such_type"); break;
        }
        auto sim = simulate(m, compiler, options);
        QVERIFY(!sim->session->waitForReady(60000));
        const SimulationFailure failure = sim->session->failure();
        QCOMPARE(failure.kind, SimulationFailure::NotCompiled);
        QCOMPARE(failure.message, QStringLiteral("the machine's C did not compile"));
        bool found = false;
        for (const DesignFinding &f : failure.findings)
            found = found || (f.severity == DesignFinding::Error && f.text.startsWith(expected));
        QVERIFY2(found, qPrintable(failureText(failure)));
        // Commands given meanwhile fail with the reason.
        const SimulationReply reply = sim->reset();
        QCOMPARE(reply.kind, SimulationReply::Failed);
        QCOMPARE(reply.text, failure.message);
    }

    // Without a system compiler to ask, what tcc said is reported as its
    // words, with the hint to ask check --compile.
    void tccWordsAreMarkedWithoutASystemCompiler()
    {
        const QString tcc = QStandardPaths::findExecutable(QStringLiteral("tcc"));
        if (tcc.isEmpty())
            QSKIP("tcc is not installed");
        const QByteArray cc = qgetenv("CC");
        qputenv("CC", "/nonexistent/cc");
        MachineDescription m = counting(QString()).description();
        m.states[0].action = QStringLiteral("count = ;");
        auto sim = simulate(m, { tcc });
        const bool ready = sim->session->waitForReady(60000);
        qputenv("CC", cc);
        QVERIFY(!ready);
        const QString text = failureText(sim->session->failure());
        QVERIFY2(text.contains(QStringLiteral(": identifier expected (as tcc said it; tcc may name the line after the "
                                              "fault: kestro-cli check --compile asks the system's C compiler)")),
                 qPrintable(text));
    }

    void missingCompilerIsReported()
    {
        auto sim = simulate(counting(QString()).description(), { QStringLiteral("/nonexistent/cc") });
        QVERIFY(!sim->session->waitForReady(60000));
        QCOMPARE(sim->session->failure().kind, SimulationFailure::NoCompiler);
        QVERIFY2(sim->session->failure().message.startsWith("the C compiler '/nonexistent/cc' could not be started"),
                 qPrintable(sim->session->failure().message));
    }

    // Every kind of variable is read, set within its range and compared in
    // its own type.
    void variablesKeepTheirTypes_data() { compilerRows(); }
    void variablesKeepTheirTypes()
    {
        FETCH_COMPILER();
        Machine m(QStringLiteral("Types"));
        m.state(QStringLiteral("Only"), QStringLiteral("(void)0;"), true)
            .text(MachineText::Includes, QStringLiteral("#include <stdint.h>\n#include <stdbool.h>\n"
                                                        "typedef unsigned short word_t;\n"
                                                        "typedef struct { int a; int b; } pair_t;"));
        const char *const memories[][2] = {
            { "u8", "uint8_t" }, { "i8", "int8_t" }, { "i64", "int64_t" }, { "u64", "uint64_t" },
            { "f", "float" },    { "d", "double" },  { "flag", "bool" },   { "w", "word_t" },
            { "p", "pair_t" },   { "big", "unsigned long long" }, { "fixed", "const int" },
        };
        for (const auto &memory : memories)
            m.memory(QLatin1String(memory[0]), QLatin1String(memory[1]));
        auto sim = simulate(m.description(), compiler);
        START(sim);
        QString kinds;
        for (const SimulationVariable &v : sim->session->variables())
            kinds += QStringLiteral("%1:%2%3 ").arg(v.name).arg(QLatin1Char(v.kind)).arg(v.size);
        QCOMPARE(kinds, QStringLiteral("u8:u1 i8:i1 i64:i8 u64:u8 f:f4 d:f8 flag:b1 w:u2 p:r8 big:u8 fixed:i4 "));
        QCOMPARE(sim->value("p"), QStringLiteral("bytes:0000000000000000"));

        struct Case
        {
            const char *command;
            const char *name;
            const char *literal;
            SimulationReply::Kind kind;
            const char *text;
        };
        const Case cases[] = {
            { "set", "u8", "255", SimulationReply::Ok, "255" },
            { "set", "u8", "256", SimulationReply::Error, "u8 cannot hold 256" },
            { "set", "u8", "-1", SimulationReply::Error, "u8 takes no negative values, not -1" },
            { "set", "u8", "0x10u", SimulationReply::Ok, "16" },
            { "set", "u8", "017", SimulationReply::Ok, "15" },
            { "set", "i8", "-128", SimulationReply::Ok, "-128" },
            { "set", "i8", "128", SimulationReply::Error, "i8 cannot hold 128" },
            { "set", "i8", "2.5", SimulationReply::Error, "i8 takes whole numbers only, not 2.5" },
            { "set", "i8", "3.0", SimulationReply::Ok, "3" },
            { "set", "i64", "-9223372036854775808", SimulationReply::Ok, "-9223372036854775808" },
            { "set", "u64", "0xFFFFFFFFFFFFFFFF", SimulationReply::Ok, "18446744073709551615" },
            { "set", "u64", "18446744073709551616", SimulationReply::Error, "18446744073709551616 is too large for any integer type" },
            { "set", "big", "1e3", SimulationReply::Ok, "1000" },
            { "set", "f", "0.1f", SimulationReply::Ok, "0.100000001" },
            { "set", "f", "1e39", SimulationReply::Error, "f cannot hold 1e39" },
            { "set", "d", "0x1.8p1", SimulationReply::Ok, "3" },
            { "set", "d", "-2.5e-3", SimulationReply::Ok, "-0.0025000000000000001" },
            { "set", "flag", "2", SimulationReply::Error, "flag cannot hold 2" },
            { "set", "flag", "1", SimulationReply::Ok, "1" },
            { "set", "w", "65535", SimulationReply::Ok, "65535" },
            { "set", "p", "1", SimulationReply::Error, "p has no numeric type and cannot be set to 1" },
            { "set", "nothing", "1", SimulationReply::Error, "no variable nothing" },
            { "set", "fixed", "1", SimulationReply::Error, "fixed is constant and cannot be set to 1" },
            { "compare", "fixed", "0", SimulationReply::Ok, "1 0" },
            { "set", "u8", "nan", SimulationReply::Error, "nan is not a C integer or floating literal" },
            { "compare", "f", "0.1", SimulationReply::Ok, "1 0.100000001" },
            { "compare", "d", "-0.0025", SimulationReply::Ok, "1 -0.0025000000000000001" },
            { "compare", "i8", "3", SimulationReply::Ok, "1 3" },
            { "compare", "i8", "3.0", SimulationReply::Ok, "1 3" },
            { "compare", "i8", "3.5", SimulationReply::Ok, "0 3" },
            { "compare", "i8", "-3", SimulationReply::Ok, "0 3" },
            { "compare", "u64", "-1", SimulationReply::Ok, "0 18446744073709551615" },
            { "compare", "i64", "-0x8000000000000000", SimulationReply::Ok, "1 -9223372036854775808" },
            { "compare", "p", "0", SimulationReply::Error, "p has no numeric type and cannot be compared" },
        };
        for (const Case &c : cases) {
            const SimulationReply reply = QByteArray(c.command) == "set" ? sim->set(c.name, c.literal)
                                                                         : sim->compare(c.name, c.literal);
            const QString what = QStringLiteral("%1 %2 %3: %4").arg(c.command, c.name, c.literal, reply.text);
            QVERIFY2(reply.kind == c.kind, qPrintable(what));
            QVERIFY2(reply.text == QLatin1String(c.text), qPrintable(what));
        }
        QCOMPARE(sim->value("u8"), QStringLiteral("15"));
        // A value the session was handed stays the variable's: the next
        // cycle reports no change for it.
        sim->reset();
        QCOMPARE(sim->cycles.last().changes.size(), 0);
        // Names and values travel as single words.
        QCOMPARE(sim->set("u8", "1\nstep").kind, SimulationReply::Error);
        QCOMPARE(sim->set("u8 i8", "1").kind, SimulationReply::Error);
        QCOMPARE(sim->value("u8"), QStringLiteral("15"));
    }

    // Inputs and outputs are globals of their types: standard types before
    // the machine's code (which may use them undeclared), its own types after
    // its includes (which declare them).
    void inputsAndOutputsAreGlobals_data() { compilerRows(); }
    void inputsAndOutputsAreGlobals()
    {
        FETCH_COMPILER();
        Machine m(QStringLiteral("Level Meter"));
        m.state(QStringLiteral("Low"), QStringLiteral("level = (level_t)(limit / 2);\nshared = shared + 1;"), true)
            .state(QStringLiteral("High"))
            .transition(QStringLiteral("Rise"), 0, 1, QStringLiteral("(level > 10)"))
            .text(MachineText::Includes, QStringLiteral("typedef long level_t;\nextern level_t level;"))
            .memory(QStringLiteral("shared"), QStringLiteral("int"))
            .input(QStringLiteral("limit"), QStringLiteral("unsigned short"))
            .input(QStringLiteral("both ways"), QStringLiteral("uint8_t"))
            .output(QStringLiteral("level"), QStringLiteral("level_t"))
            .output(QStringLiteral("both ways"), QStringLiteral("uint8_t"))
            .output(QStringLiteral("shared"), QStringLiteral("int"))
            .output(QStringLiteral("no type"), QString());
        auto sim = simulate(m.description(), compiler);
        START(sim);
        QStringList roles;
        for (const SimulationVariable &v : sim->session->variables())
            roles << v.name + QLatin1Char(' ') + SimulationVariable::roleName(v.role) + QLatin1Char(' ') + v.datatype;
        QCOMPARE(roles, QStringList({ "shared local int", "limit input unsigned short", "both_ways input/output uint8_t",
                                      "level output level_t" }));
        QCOMPARE(sim->session->buildWarnings().size(), 1);
        QCOMPARE(sim->session->buildWarnings().first().text,
                 QStringLiteral("Output 'no type': left out of the simulation, it has no datatype"));
        sim->set("limit", "30");
        sim->reset();
        sim->step();
        QCOMPARE(sim->value("level"), QStringLiteral("15"));
        QCOMPARE(sim->state(), QStringLiteral("High"));
        QCOMPARE(sim->value("shared"), QStringLiteral("1"));
    }

    void breakpointsStopARun_data() { compilerRows(); }
    void breakpointsStopARun()
    {
        FETCH_COMPILER();
        const QVector<MachineDescription> machines = RecordsToMachines::build(flattenDocument(ExampleProject::document()));
        SimulationOptions options;
        options.conditions << QStringLiteral("(speed >= 10)") << QStringLiteral("(cycles > 100)");
        auto sim = simulate(machines.at(0), compiler, options);
        START(sim);
        sim->reset();
        sim->call(sim->session->setStateBreakpoint(2, true));   // Cruising
        SimulationReply reply = sim->step(100);
        QCOMPARE(reply.kind, SimulationReply::Break);
        QCOMPARE(reply.hit.kind, SimulationBreak::StateEntered);
        QCOMPARE(reply.hit.index, 2);
        QCOMPARE(sim->session->cycle(), 6);
        // Kept over a restart.
        sim->reset();
        QCOMPARE(sim->step(100).hit.index, 2);
        QCOMPARE(sim->session->cycle(), 6);
        sim->call(sim->session->setStateBreakpoint(2, false));

        // A condition breaks when it becomes true, not while it stays true.
        sim->reset();
        sim->call(sim->session->setConditionBreakpoint(0, true));
        reply = sim->step(100);
        QCOMPARE(reply.kind, SimulationReply::Break);
        QCOMPARE(reply.hit.kind, SimulationBreak::Condition);
        QCOMPARE(reply.hit.index, 0);
        QCOMPARE(sim->session->cycle(), 5);
        reply = sim->step(100);
        QCOMPARE(reply.kind, SimulationReply::Break);
        QCOMPARE(sim->session->cycle(), 20);   // the next ramp, after braking to a stop
        sim->call(sim->session->setConditionBreakpoint(0, false));
        QCOMPARE(sim->step(50).kind, SimulationReply::Ok);
    }

    // The runtime is the C file in the tree, plain C with POSIX: no
    // compiler finds fault with it, and what a simulation is handed is
    // that file byte for byte.
    // A self transition enters its state again: Break on Entry stops on it,
    // and coverage counts it; a long run counts and stops as steps do.
    void selfTransitionsAreEntries_data() { compilerRows(); }
    void selfTransitionsAreEntries()
    {
        FETCH_COMPILER();
        const QVector<MachineDescription> machines = RecordsToMachines::build(flattenDocument(ExampleProject::document()));
        auto sim = simulate(machines.at(0), compiler);
        START(sim);
        sim->reset();
        sim->call(sim->session->setStateBreakpoint(2, true));   // Cruising, which Hold keeps
        QCOMPARE(sim->step(100).hit.index, 2);
        QCOMPARE(sim->session->cycle(), 6);
        QCOMPARE(sim->step(100).kind, SimulationReply::Break);
        QCOMPARE(sim->session->cycle(), 7);
        QCOMPARE(sim->state(), QStringLiteral("Cruising"));
        // The same inside one long run.
        SimulationReply reply = sim->call(sim->session->run(100));
        QCOMPARE(reply.kind, SimulationReply::Break);
        QCOMPARE(reply.hit.index, 2);
        QCOMPARE(sim->session->cycle(), 8);
        sim->call(sim->session->setStateBreakpoint(2, false));
        const int traced = sim->cycles.size();
        reply = sim->call(sim->session->run(42));
        QCOMPARE(reply.kind, SimulationReply::Ok);
        QCOMPARE(sim->session->cycle(), 50);
        QCOMPARE(sim->cycles.size(), traced);   // no cycle reported one by one
        QCOMPARE(sim->value("speed"), QStringLiteral("10"));   // cycle 50 = cycle 5: accelerating
        QCOMPARE(sim->state(), QStringLiteral("Accelerating"));

        // Stepped and run, the counts are the same.
        auto stepped = simulate(machines.at(0), compiler);
        START(stepped);
        stepped->reset();
        stepped->step(50);
        QCOMPARE(stepped->session->coverage().stateEntries, sim->session->coverage().stateEntries);
        QCOMPARE(stepped->session->coverage().transitionFires, sim->session->coverage().transitionFires);
        // Cruising: entered from Accelerating three times (6, 21, 36), each followed by five Holds.
        QCOMPARE(stepped->session->coverage().stateEntries.at(2), qint64(3 * 6));
    }

    void runtimeCompilesCleanly()
    {
        const QString folder = QStringLiteral(KESTRO_SOURCE_DIR "/simulation/runtime/");
        const QVector<QPair<QString, QString>> files = { { "kestro-sim-runtime.c", SimulationRuntime::source() },
                                                         { "kestro-sim-runs.c", SimulationRuntime::runsSource() },
                                                         { "kestro-sim-calls.c", SimulationRuntime::callsSource() },
                                                         { "kestro-sim-runtime.h", SimulationRuntime::header() } };
        QTemporaryDir dir;
        for (const auto &part : files) {
            QFile file(folder + part.first);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
            QCOMPARE(part.second.toUtf8(), file.readAll());
            if (part.first.endsWith(QLatin1String(".h")))
                continue;
            QProcess cc;
            cc.setProcessChannelMode(QProcess::MergedChannels);
            const QStringList compiler = CompileCheck::defaultCompiler();
            cc.start(compiler.first(), compiler.mid(1) + QStringList{ "-std=c99", "-pedantic", "-Wall", "-Wextra", "-Werror",
                                                                      "-c", file.fileName(), "-o", dir.filePath("r.o") });
            QVERIFY(cc.waitForFinished(60000));
            QVERIFY2(cc.exitCode() == 0, cc.readAll().constData());
        }
    }

    void protocolLines()
    {
        SimulationLine l = SimulationLine::parse("cycle 12 1 -1 2");
        QCOMPARE(l.kind, SimulationLine::Cycle);
        QCOMPARE(l.numbers, QVector<qint64>({ 12, 1, -1, 2 }));
        l = SimulationLine::parse("changed speed_x -0.25");
        QCOMPARE(l.kind, SimulationLine::Changed);
        QCOMPARE(l.name, QStringLiteral("speed_x"));
        QCOMPARE(l.text, QStringLiteral("-0.25"));
        QCOMPARE(SimulationLine::parse("break condition 3").numbers, QVector<qint64>{ 3 });
        QCOMPARE(SimulationLine::parse("ok").kind, SimulationLine::Ok);
        QCOMPARE(SimulationLine::parse("error no variable x").text, QStringLiteral("no variable x"));
        l = SimulationLine::parse("covered transition 4 123456789012");
        QCOMPARE(l.kind, SimulationLine::Covered);
        QCOMPARE(l.name, QStringLiteral("transition"));
        QCOMPARE(l.numbers, QVector<qint64>({ 4, 123456789012 }));
        QCOMPARE(SimulationLine::parse("ran 10 2 -1").numbers, QVector<qint64>({ 10, 2, -1 }));
        QCOMPARE(SimulationLine::parse("alive").kind, SimulationLine::Alive);
        // The bits of a value given may need all 64.
        l = SimulationLine::parse("replay 17 3 18446744073709551615");
        QCOMPARE(l.kind, SimulationLine::Replay);
        QCOMPARE(quint64(l.numbers.at(2)), Q_UINT64_C(18446744073709551615));
        QVERIFY(l.name.isEmpty());
        l = SimulationLine::parse("replay 17 stub 2 5");   // a stub's return
        QCOMPARE(l.kind, SimulationLine::Replay);
        QCOMPARE(l.name, QStringLiteral("stub"));
        QCOMPARE(l.numbers, QVector<qint64>({ 17, 2, 5 }));
        for (const char *bad : { "cycle 1 2 3", "cycle 1 2 3 x", "break here 1", "changed x", "crash 11", "hello",
                                 "covered state 1 -2", "covered item 1 2", "ran 1 2", "replay 1 2 -3", "alive 1",
                                 "replay 1 stub 2", "replay 1 pin 2 3" })
            QCOMPARE(SimulationLine::parse(bad).kind, SimulationLine::Unknown);
    }
};

QTEST_GUILESS_MAIN(TestSimulation)
#include "tst_simulation.moc"
