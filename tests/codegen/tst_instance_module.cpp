// The instance style of module: strict C90 with gcc and clang, a C++
// caller, several instances that keep apart, names no state label can
// produce twice, and memory items rewritten into members only where that
// is sound.

#include "CEmitter.h"
#include "MemberRewrite.h"
#include "ProjectFileReader.h"
#include "RecordsToMachines.h"

#include <QtTest>

namespace {

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

// A connection machine: Closed -open-> SynSent -ack-> Established
// -close-> Closed, a self transition on SynSent that retries, states named
// like generated names ("Init", "H") and a C library name ("exit").
MachineDescription tcpMachine()
{
    MachineDescription m;
    m.processLabel = "Tcp";
    m.style = ModuleStyle::Instance;
    const QStringList labels = { "Closed", "SynSent", "Established", "Init", "H", "exit" };
    for (const QString &label : labels) {
        MachineState s;
        s.label = label;
        s.description = "state " + label + " /* nested? */";
        m.states << s;
    }
    m.states[0].initial = true;
    m.states[1].action = "ticks++; /* retries is counted below */";
    m.transitions << transition("open", 0, 1, "(tcp_open != 0)", "retries = 0u;")
                  << transition("ack", 1, 2, "(tcp_ack != 0 && retries < LIMIT)")
                  << transition("retry", 1, 1, "(timeout != 0u)", "send_syn();\nretries++;")
                  << transition("close", 2, 0, "(tcp_close != 0)", "log_text(\"retries\", 'r');")
                  << transition("give up", 1, 0, "(retries >= LIMIT)");
    m.states[0].transitions = { 0, 3 };
    m.states[1].transitions = { 0, 1, 4 };
    m.states[1].selfTransitions = { 2 };
    m.states[2].transitions = { 1, 3 };
    m.transitionCount = m.transitions.size();
    m.memories << MachineMemory{ "retries", " volatile  uint8_t " } << MachineMemory{ "ticks", "unsigned long" };
    m.texts << MachineText{ MachineText::Includes, "#include \"tcp_io.h\"" }
            << MachineText{ MachineText::Macros, "#define LIMIT 3u\n#define RETRIES_LEFT (LIMIT - retries)" };
    return m;
}

const char *const TcpIo =
    "extern int tcp_open, tcp_ack, tcp_close;\n"
    "extern unsigned int timeout;\n"
    "void send_syn(void);\n"
    "void log_text(const char *text, char tag);\n";

bool writeFile(const QString &path, const QString &text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) == text.toUtf8().size();
}

QString run(const QString &program, const QStringList &arguments, const QString &dir, int *exitCode)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForFinished(60000))
        return QStringLiteral("timed out");
    *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAll());
}

void writeModule(const QString &dir, const GeneratedModule &g)
{
    QVERIFY(writeFile(dir + '/' + g.headerFileName, g.header));
    QVERIFY(writeFile(dir + '/' + g.sourceFileName, g.source));
}

const QStringList StrictC = { "-std=c90", "-pedantic", "-Wall", "-Wextra", "-Werror", "-c" };

} // namespace

class TestInstanceModule : public QObject
{
    Q_OBJECT
private slots:
    void compilers_data()
    {
        QTest::addColumn<QString>("compiler");
        QTest::addColumn<QStringList>("targetFlags");
        // Cross compilers where installed, freestanding (no C library needed).
        const QVector<QPair<const char *, QStringList>> compilers = {
            { "gcc", {} }, { "clang", {} },
            { "arm-none-eabi-gcc", { "-mcpu=cortex-m4", "-mthumb", "-Os", "-ffreestanding" } },
            { "avr-gcc", { "-mmcu=atmega328p", "-Os", "-ffreestanding" } },
        };
        for (const auto &compiler : compilers) {
            const QString path = QStandardPaths::findExecutable(compiler.first);
            if (!path.isEmpty())
                QTest::newRow(compiler.first) << path << compiler.second;
        }
    }

    // The example's machines and a machine with self transitions compile
    // as strict C90, and a C++ file may include every header.
    void compilers()
    {
        QFETCH(QString, compiler);
        QFETCH(QStringList, targetFlags);
        ProjectFileReader reader;
        QVERIFY(reader.load(KESTRO_SOURCE_DIR "/Examples/Example_1.qsmd"));
        QVector<MachineDescription> machines = RecordsToMachines::build(reader.takeRecords());
        QCOMPARE(machines.size(), 3);
        machines << tcpMachine();
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("tcp_io.h"), TcpIo));
        QString includes;
        for (MachineDescription &m : machines) {
            m.style = ModuleStyle::Instance;
            const GeneratedModule g = CEmitter::generate(m, ModuleProperties());
            QVERIFY2(g.errors.isEmpty(), qPrintable(g.errors.join('\n')));
            writeModule(dir.path(), g);
            int code = -1;
            const QString out = run(compiler, StrictC + targetFlags + QStringList{ g.sourceFileName }, dir.path(), &code);
            QVERIFY2(code == 0, qPrintable(out + '\n' + g.source));
            includes += QString("#include \"%1\"\n").arg(g.headerFileName);
        }
        const QString gxx = QStandardPaths::findExecutable("g++");
        if (gxx.isEmpty() || !targetFlags.isEmpty())
            return;
        QVERIFY(writeFile(dir.filePath("caller.cpp"),
                          includes + "int main() { Tcp_t t; TcpInit(&t); return TcpStep(&t) + (int)TcpState(&t) "
                                     "+ (TcpStateName(&t)[0] == 0); }\n"));
        int code = -1;
        const QString out = run(gxx, { "-std=c++11", "-Wall", "-Wextra", "-Werror", "-c", "caller.cpp" }, dir.path(), &code);
        QVERIFY2(code == 0, qPrintable(out));
    }

    // Two instances driven with interleaved inputs keep their own state and
    // memory items; the self transition runs its action and keeps the state.
    void instancesKeepApart()
    {
        const QString cc = QStandardPaths::findExecutable("cc");
        if (cc.isEmpty())
            QSKIP("no C compiler");
        const GeneratedModule g = CEmitter::generate(tcpMachine(), ModuleProperties());
        QTemporaryDir dir;
        writeModule(dir.path(), g);
        QVERIFY(writeFile(dir.filePath("tcp_io.h"), TcpIo));
        QVERIFY(writeFile(dir.filePath("main.c"),
            "#include <stdio.h>\n#include \"Tcp.h\"\n"
            "int tcp_open, tcp_ack, tcp_close; unsigned int timeout; int syns;\n"
            "void send_syn(void) { ++syns; }\n"
            "void log_text(const char *text, char tag) { (void)text; (void)tag; }\n"
            "static void show(const char *what, const Tcp_t *t) {\n"
            "    printf(\"%s %s %u %lu\\n\", what, TcpStateName(t), (unsigned)t->retries, t->ticks); }\n"
            "int main(void) {\n"
            "    Tcp_t a, b; int fired;\n"
            "    TcpInit(&a); TcpInit(&b);\n"
            "    tcp_open = 1; TcpStep(&a); tcp_open = 0;\n"           // a: SynSent, b: Closed
            "    timeout = 1; fired = TcpStep(&a); TcpStep(&b);\n"     // a retries (self), b stays
            "    printf(\"fired %d syns %d\\n\", fired, syns);\n"
            "    timeout = 0; tcp_open = 1; TcpStep(&b); tcp_open = 0;\n" // b: SynSent
            "    tcp_ack = 1; TcpStep(&b); tcp_ack = 0;\n"             // b: Established
            "    fired = TcpStep(&a);\n"                                // a: SynSent, nothing fires
            "    printf(\"fired %d\\n\", fired);\n"
            "    a.state = 200u; TcpStep(&a);\n"                        // invalid: back to the start value
            "    show(\"a\", &a); show(\"b\", &b);\n"
            "    printf(\"%d %d\\n\", (int)TcpState(&a) == TCP_S_CLOSED, (int)TcpState(&b) == TCP_S_ESTABLISHED);\n"
            "    return 0; }\n"));
        int code = -1;
        QString out = run(cc, { "-std=c99", "-Wall", "-Wextra", "-Werror", "-o", "tcp", "main.c", "Tcp.c" }, dir.path(), &code);
        QVERIFY2(code == 0, qPrintable(out + '\n' + g.source));
        out = run(dir.filePath("tcp"), {}, dir.path(), &code);
        QCOMPARE(code, 0);
        QCOMPARE(out, QString("fired 1 syns 1\n"
                              "fired 0\n"
                              "a (start) 1 2\n"
                              "b Established 0 1\n"
                              "0 1\n"));
    }

    // Every generated name carries the module's prefix in a form no state
    // label can make into another generated name.
    void namesNeverClash()
    {
        const GeneratedModule g = CEmitter::generate(tcpMachine(), ModuleProperties());
        QVERIFY(g.header.contains("#ifndef TCP_H\n#define TCP_H\n"));
        QVERIFY(g.header.endsWith("#endif /* TCP_H */\n"));
        QVERIFY(g.header.contains("#ifdef __cplusplus\nextern \"C\" {\n#endif\n"));
        QVERIFY(g.header.contains("#define TCP_STATE_TYPE uint8_t\n"));
        QVERIFY(g.header.contains("#define TCP_S_INIT 3u\n#define TCP_S_H 4u\n#define TCP_S_EXIT 5u\n#define TCP_START 6u\n"));
        QVERIFY(g.source.contains("static int Tcp_s_Init(Tcp_t *me);\n"));
        QVERIFY(g.source.contains("static int Tcp_s_exit(Tcp_t *me);\n"));
        QVERIFY(g.header.contains("void TcpInit(Tcp_t *me);"));
        // No "//" comment, no identifier with a leading underscore, nested
        // comment openers defused.
        QVERIFY(!g.source.contains("//") && !g.header.contains("//"));
        QVERIFY(!g.source.contains(QRegularExpression("(^|[^A-Za-z0-9_\"])_[A-Za-z_]")));
        QVERIFY(!QString(g.header).remove("__cplusplus").contains(QRegularExpression("(^|[^A-Za-z0-9_\"])_[A-Za-z_]")));
        QVERIFY(g.source.contains("state SynSent / * nested? * / */"));
        // The warnings of the classic names are not given: nothing clashes.
        QVERIFY2(g.warnings.filter("label").isEmpty(), qPrintable(g.warnings.join('\n')));
        // A chain of two or more blocks ends with an else.
        QVERIFY(g.source.contains("\telse {\n\t\t/* no transition fires */\n\t}\n"));
        QCOMPARE(g.source.count("no transition fires"), 1);   // SynSent; the other states have one block
    }

    void memoryItemsBecomeMembers()
    {
        const GeneratedModule g = CEmitter::generate(tcpMachine(), ModuleProperties());
        QVERIFY(g.header.contains("\tvolatile uint8_t retries;\n\tunsigned long ticks;\n} Tcp_t;"));
        QVERIFY(g.source.contains("#define RETRIES_LEFT (LIMIT - me->retries)"));
        QVERIFY(g.source.contains("if (tcp_ack != 0 && me->retries < LIMIT) {"));
        QVERIFY(g.source.contains("\tme->ticks++; /* retries is counted below */\n"));
        QVERIFY(g.source.contains("\t\tsend_syn();\n\t\tme->retries++;\n\t\tfired = 1;\n"));
        QVERIFY(g.source.contains("log_text(\"retries\", 'r');"));

        const QSet<QString> members = { "count", "n" };
        const auto rewritten = [&](const QString &text) {
            return MemberRewrite::rewrite(text, members, "me->").text;
        };
        QCOMPARE(rewritten("count = n + 1;"), QString("me->count = me->n + 1;"));
        QCOMPARE(rewritten("s.count = p->n; /* count */ // n\nx = \"count\" + 'n';"),
                 QString("s.count = p->n; /* count */ // n\nx = \"count\" + 'n';"));
        QCOMPARE(rewritten("a = 0x1n + 2.5e-3 + counter + n_1 + count2;"), QString("a = 0x1n + 2.5e-3 + counter + n_1 + count2;"));
        QCOMPARE(rewritten("s . count = n;"), QString("s . count = me->n;"));
        QCOMPARE(rewritten("#include \"count.h\"\n#define TWICE (2 * count)\n"),
                 QString("#include \"count.h\"\n#define TWICE (2 * me->count)\n"));
        const MemberRewrite::Result directive = MemberRewrite::rewrite("#define count 3\n#define ADD(n) (n + 1)\n#ifdef n\n#endif",
                                                                       members, "me->");
        QCOMPARE(directive.text, QString("#define count 3\n#define ADD(n) (n + 1)\n#ifdef n\n#endif"));
        QCOMPARE(directive.unsound, QStringList({ "count", "n" }));
        QCOMPARE(MemberRewrite::named("int get(void) { return count; } /* n */", members), QStringList{ "count" });
    }

    // Where no rewriting is sound the design says so.
    void unsoundTextsAreErrors()
    {
        MachineDescription m = tcpMachine();
        m.texts << MachineText{ MachineText::Default, "static unsigned long uptime(void) { return ticks; }" }
                << MachineText{ MachineText::Macros, "#define ticks 0" };
        m.memories << MachineMemory{ "state", "int" };
        const GeneratedModule g = CEmitter::generate(m, ModuleProperties());
        QCOMPARE(g.errors, QStringList({
            "Memory item 'state': an instance keeps its state in a member of this name",
            "Text item 3: names memory item 'ticks', which each instance holds; code outside the states has no "
            "instance (me) to take it from",
            "Text item 4: defines or tests the name of memory item 'ticks', which cannot become the instance's "
            "member there",
        }));
        // A module name with a leading underscore makes every name reserved.
        MachineDescription reserved = tcpMachine();
        reserved.processLabel = "_Tcp";
        QVERIFY(CEmitter::generate(reserved, ModuleProperties())
                    .warnings.contains("State machine _Tcp: the name begins with \"_\", so every name the module "
                                       "defines is one C reserves"));
    }

    // Numbers of states past a byte get a wider state type.
    void stateTypeFitsTheStates()
    {
        MachineDescription m;
        m.processLabel = "Big";
        m.style = ModuleStyle::Instance;
        for (int i = 0; i < 255; ++i)
            m.states << MachineState{ QString("s%1").arg(i), {}, {}, i == 0, {}, {}, {}, {}, {}, {} };
        QVERIFY(CEmitter::generate(m, ModuleProperties()).header.contains("#define BIG_STATE_TYPE uint8_t\n"));
        m.states << MachineState{ "s255", {}, {}, false, {}, {}, {}, {}, {}, {} };
        QVERIFY(CEmitter::generate(m, ModuleProperties()).header.contains("#define BIG_STATE_TYPE uint16_t\n"));
    }
};

QTEST_MAIN(TestInstanceModule)
#include "tst_instance_module.moc"
