// The compile check with the system's C compiler: each diagnostic is put on
// the item whose text produced the line the compiler complains about.

#include "CompileCheck.h"

#include <QtTest>

namespace {

MachineDescription faultyMachine()
{
    MachineDescription m;
    m.processLabel = "Door";
    MachineState idle;
    idle.label = "Idle";
    idle.initial = true;
    idle.initialCondition = "(1)";
    idle.action = "int ok = 1;\n(void)ok;\nundeclared_in_state = 2;";   // broken action
    MachineState open;
    open.label = "Open";
    open.action = "(void)0;";
    m.states << idle << open;
    MachineTransition go;
    go.label = "go";
    go.condition = "(button ==)";                                        // broken condition
    go.start = 0;
    go.end = 1;
    MachineTransition back;
    back.label = "back";
    back.condition = "(1)";
    back.start = 1;
    back.end = 0;
    m.transitions << go << back;
    m.states[0].transitions = { 0, 1 };
    m.states[1].transitions = { 0, 1 };
    m.transitionCount = 2;
    m.texts << MachineText{ MachineText::Default, "static int helper(void) { return }" };   // broken text
    return m;
}

CompileCheck::Options options()
{
    CompileCheck::Options o;
    o.compiler = CompileCheck::defaultCompiler();
    return o;
}

} // namespace

class TestCompileCheck : public QObject
{
    Q_OBJECT
private slots:
    void faultsAreMappedToTheirItems()
    {
        const MachineDescription m = faultyMachine();
        const GeneratedModule module = CEmitter::generate(m, ModuleProperties());
        const CompileCheck::Result result = CompileCheck::run(module, m, options());
        QCOMPARE(result.status, CompileCheck::Status::Compiled);
        QVERIFY(result.hasErrors());
        QSet<ItemRef::Kind> kinds;
        QStringList errors;
        for (const DesignFinding &f : result.findings) {
            QVERIFY(f.fromCompiler);
            if (f.severity == DesignFinding::Error) {
                kinds.insert(f.item.kind);
                errors << f.text;
            }
        }
        const QString all = errors.join('\n');
        QVERIFY2(errors.filter(QRegularExpression("^State 'Idle': ")).size() >= 1, qPrintable(all));
        QVERIFY2(errors.filter(QRegularExpression("^Transition 'go': ")).size() >= 1, qPrintable(all));
        QVERIFY2(errors.filter(QRegularExpression("^Text item 1: ")).size() >= 1, qPrintable(all));
        for (const DesignFinding &f : result.findings) {
            if (f.text.startsWith("Transition 'go'"))
                QCOMPARE(f.item, ItemRef::of(ItemRef::Transition, 0));
            if (f.text.startsWith("Text item 1"))
                QCOMPARE(f.item, ItemRef::of(ItemRef::Text, 0));
        }
    }

    // A fault in a sub-machine's text is put on the sub-machine's item, in
    // both styles, and named where it is.
    void faultsInSubMachinesAreMappedToTheirItems()
    {
        for (const ModuleStyle style : { ModuleStyle::Classic, ModuleStyle::Instance }) {
            MachineDescription m;
            m.processLabel = "Lift";
            m.style = style;
            MachineState idle;
            idle.label = "Idle";
            idle.initial = true;
            idle.subMachine = 0;
            m.states << idle;
            MachineDescription sub;
            sub.processLabel = "Idle";
            sub.holder = 0;
            MachineState wait;
            wait.label = "Wait";
            wait.initial = true;
            wait.action = "(void)0;\nundeclared_in_sub = 1;";
            MachineState ring;
            ring.label = "Ring";
            sub.states << wait << ring;
            MachineTransition t;
            t.label = "ding";
            t.condition = "(bell ==)";
            t.start = 0;
            t.end = 1;
            sub.transitions << t;
            sub.states[0].transitions = { 0 };
            sub.states[1].transitions = { 0 };
            m.subMachines.push_back(sub);
            const GeneratedModule module = CEmitter::generate(m, ModuleProperties());
            QVERIFY2(module.errors.isEmpty(), qPrintable(module.errors.join('\n')));
            const CompileCheck::Result result = CompileCheck::run(module, m, options());
            QCOMPARE(result.status, CompileCheck::Status::Compiled);
            bool state = false, transition = false;
            QStringList errors;
            for (const DesignFinding &f : result.findings) {
                if (f.severity != DesignFinding::Error)
                    continue;
                errors << f.text;
                if (f.text.startsWith("State 'Wait' in sub-machine 'Idle': ")) {
                    QCOMPARE(f.item, ItemRef::in(0, ItemRef::State, 0));
                    state = true;
                }
                if (f.text.startsWith("Transition 'ding' in sub-machine 'Idle': ")) {
                    QCOMPARE(f.item, ItemRef::in(0, ItemRef::Transition, 0));
                    transition = true;
                }
            }
            QVERIFY2(state && transition, qPrintable(errors.join('\n')));
        }
    }

    void cleanModuleHasNoFindings()
    {
        MachineDescription m;
        m.processLabel = "Fan";
        MachineState on;
        on.label = "On";
        on.initial = true;
        on.initialCondition = "(1)";
        m.states << on;
        m.memories << MachineMemory{ "speed", "unsigned int" };
        const GeneratedModule module = CEmitter::generate(m, ModuleProperties());
        const CompileCheck::Result result = CompileCheck::run(module, m, options());
        QCOMPARE(result.status, CompileCheck::Status::Compiled);
        QVERIFY2(result.findings.isEmpty(), qPrintable(result.findings.value(0).text));
        // Extra flags reach the compiler.
        CompileCheck::Options flagged = options();
        flagged.flags << "-include" << "/nonexistent/forced.h";
        const CompileCheck::Result forced = CompileCheck::run(module, m, flagged);
        QVERIFY(forced.hasErrors());
        QVERIFY(forced.findings.first().text.contains("forced.h"));
    }

    void missingCompiler()
    {
        const MachineDescription m = faultyMachine();
        CompileCheck::Options o;
        o.compiler = QStringList{ "/nonexistent/cc" };
        const CompileCheck::Result result = CompileCheck::run(CEmitter::generate(m, ModuleProperties()), m, o);
        QCOMPARE(result.status, CompileCheck::Status::CompilerMissing);
        QVERIFY(result.message.contains("/nonexistent/cc"));
        QVERIFY(result.findings.isEmpty());

        qputenv("CC", "ccache  gcc -m64");
        QCOMPARE(CompileCheck::defaultCompiler(), QStringList({ "ccache", "gcc", "-m64" }));
        qputenv("CC", "  ");
        QCOMPARE(CompileCheck::defaultCompiler(), QStringList{ "cc" });
        qunsetenv("CC");
    }

    // Compilers are known by their program's name, versions and cross
    // prefixes included; each family gets its own syntax-only arguments.
    void compilerFamilies()
    {
        using F = CompileCheck::Family;
        const QVector<QPair<QString, F>> names = {
            { "gcc", F::Gcc }, { "/usr/bin/cc", F::Gcc }, { "arm-none-eabi-gcc", F::Gcc }, { "avr-gcc", F::Gcc },
            { "gcc-12", F::Gcc }, { "arm-none-eabi-gcc-13.2.1", F::Gcc }, { "clang", F::Gcc }, { "clang-17", F::Gcc },
            { "C:/tools/x86_64-w64-mingw32-gcc.exe", F::Gcc }, { "tcc", F::Tcc }, { "/opt/sdcc/bin/sdcc", F::Sdcc },
            { "xc8-cc", F::Unknown }, { "iccarm", F::Unknown }, { "armcc5", F::Unknown }, { "gccgo", F::Unknown },
        };
        for (const auto &name : names)
            QVERIFY2(CompileCheck::family(name.first) == name.second, qPrintable(name.first));
        QCOMPARE(CompileCheck::arguments(F::Sdcc, { "-mstm8" }, { "/inc" }, "/t", "M.c"),
                 QStringList({ "--std-c99", "-c", "-o", "/t/M.rel", "-mstm8", "-I/inc", "/t/M.c" }));
        QCOMPARE(CompileCheck::arguments(F::Tcc, {}, {}, "/t", "M.c"),
                 QStringList({ "-std=c99", "-Wall", "-c", "-o", "/t/M.o", "/t/M.c" }));
        QCOMPARE(CompileCheck::arguments(F::Unknown, { "-syntax" }, {}, "/t", "M.c"), QStringList({ "-syntax", "/t/M.c" }));
        QVERIFY(CompileCheck::unknownCompilerNote("/x/iccarm").contains("'iccarm'"));
        QVERIFY(CompileCheck::unknownCompilerNote("/x/iccarm").contains("--cflags"));
    }

    // Every installed compiler of a known family passes a clean module and
    // puts the faults of a broken one on their items.
    void knownCompilersRun_data()
    {
        QTest::addColumn<QStringList>("compiler");
        for (const char *name : { "gcc", "clang", "tcc", "sdcc" }) {
            const QString path = QStandardPaths::findExecutable(name);
            if (!path.isEmpty())
                QTest::newRow(name) << QStringList{ path };
        }
    }
    void knownCompilersRun()
    {
        QFETCH(QStringList, compiler);
        CompileCheck::Options o;
        o.compiler = compiler;
        MachineDescription clean = faultyMachine();
        clean.states[0].action = "(void)0;";
        clean.transitions[0].condition = "(1)";
        clean.texts.clear();
        const CompileCheck::Result fine = CompileCheck::run(CEmitter::generate(clean, ModuleProperties()), clean, o);
        QCOMPARE(fine.status, CompileCheck::Status::Compiled);
        QVERIFY2(!fine.hasErrors(), qPrintable(fine.findings.value(0).text));
        QVERIFY(fine.note.isEmpty());

        MachineDescription broken = clean;
        broken.states[1].action = "x = ;";
        const CompileCheck::Result bad = CompileCheck::run(CEmitter::generate(broken, ModuleProperties()), broken, o);
        QVERIFY(bad.hasErrors());
        bool onOpen = false;
        for (const DesignFinding &f : bad.findings)
            onOpen = onOpen || f.item == ItemRef::of(ItemRef::State, 1);
        QVERIFY2(onOpen, qPrintable(bad.findings.value(0).text));
    }

    void unknownCompilerIsRunWithTheGivenFlagsOnly()
    {
        const QString cc = QStandardPaths::findExecutable("gcc");
        if (cc.isEmpty())
            QSKIP("no gcc");
        QTemporaryDir dir;
        const QString renamed = dir.filePath("mycc");
        QVERIFY(QFile::link(cc, renamed));
        const MachineDescription m = faultyMachine();
        CompileCheck::Options o;
        o.compiler = QStringList{ renamed };
        o.flags << "-fsyntax-only";
        const CompileCheck::Result result = CompileCheck::run(CEmitter::generate(m, ModuleProperties()), m, o);
        QVERIFY(result.note.contains("'mycc' is none Kestro knows"));
        QCOMPARE(result.status, CompileCheck::Status::Compiled);
        QVERIFY(result.hasErrors());   // the faults are still found
    }

    // Flags the template does not meet (C90, pedantic) are the template's
    // fault, not a state's or a transition's.
    void templateComplaintsAreNotBlamedOnItems()
    {
        const QString cc = QStandardPaths::findExecutable("gcc");
        if (cc.isEmpty())
            QSKIP("no gcc");
        MachineDescription m;
        m.processLabel = "Door";
        MachineState idle;
        idle.label = "Idle";
        m.states << idle;   // no initial state: the template writes a "//" comment
        CompileCheck::Options o;
        o.compiler = QStringList{ cc };
        o.flags << "-std=c90" << "-pedantic";
        const CompileCheck::Result result = CompileCheck::run(CEmitter::generate(m, ModuleProperties()), m, o);
        QCOMPARE(result.status, CompileCheck::Status::Compiled);
        int fromTemplate = 0;
        for (const DesignFinding &f : result.findings) {
            QCOMPARE(f.item, ItemRef::machine());
            QVERIFY2(f.text.startsWith("State machine 'Door': the generator's template text, Door."), qPrintable(f.text));
            ++fromTemplate;
        }
        QVERIFY(fromTemplate >= 2);   // the comma after the last enumerator, the "//" comment
    }

    void outputIsRead()
    {
        const MachineDescription m = faultyMachine();
        const GeneratedModule module = CEmitter::generate(m, ModuleProperties());
        const int actionLine = module.source.left(module.source.indexOf("undeclared_in_state")).count('\n') + 1;
        const QString output = QStringLiteral(
            "In file included from /tmp/x/Door.c:14:\n"
            "/tmp/x/Door.c:%1:5: error: implicit declaration\n"
            "/tmp/x/Door.c:%1:5: note: something helpful\n"
            "/usr/include/mine.h:3:1: warning: old style\n"
            "/tmp/x/Door.h:1: error: no column here\n"
            "cc1: some other line\n"
            "cc: error: unrecognized command-line option '-fnope'\n"
            "/tmp/x/Door.c:%1: syntax error: token -> '}' ; column 1\n"
            "/tmp/x/Door.c:%1: warning 112: function 'f' implicit declaration\n").arg(actionLine);
        const DesignFindings findings = CompileCheck::parse(output, module, m);
        QCOMPARE(findings.size(), 6);
        QCOMPARE(findings.at(4).text, QString("State 'Idle': token -> '}' ; column 1"));
        QCOMPARE(findings.at(5).severity, DesignFinding::Warning);
        QCOMPARE(findings.at(3).text, QString("State machine 'Door': cc: unrecognized command-line option '-fnope'"));
        QCOMPARE(findings.at(0).text, QString("State 'Idle': implicit declaration"));
        QCOMPARE(findings.at(0).severity, DesignFinding::Error);
        QCOMPARE(findings.at(1).text, QString("State machine 'Door': /usr/include/mine.h:3: old style"));
        QCOMPARE(findings.at(1).severity, DesignFinding::Warning);
        QCOMPARE(findings.at(2).item, ItemRef::machine());
    }
};

QTEST_MAIN(TestCompileCheck)
#include "tst_compilecheck.moc"
