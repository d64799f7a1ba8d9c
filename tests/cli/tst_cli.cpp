#include "CEmitter.h"
#include "CliRunner.h"
#include "MachineProject.h"
#include "DefaultProject.h"
#include "FileSizeLimit.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"
#include "RandomProject.h"
#include "RecordsToMachines.h"
#include "SubMachineProject.h"
#include "TcpConnection.h"
#include <QtTest>

// Runs the built kestro-cli on project files written here and checks its
// output, its files and its exit codes.
namespace {

const char *const Epoch = "1700000000";   // 2023-11-14 UTC

ProcessRecord process(int level, const QString &label, const QString &description = QString(), int id = 1)
{
    ProcessRecord p;
    p.level = level;
    p.nos = 1;
    p.id = id;
    p.parentId = p.grandParentId = 1;
    p.label = label;
    p.description = description;
    return p;
}

using MachineProject::item;

// A project with one machine "Door Ctrl": two states, one transition, one
// memory item without datatype (a design error), one dataflow out of the
// machine's process item. A twin is a second machine of the same name.
QByteArray projectXml(bool initialCondition = true, bool twin = false, const QString &projectStyle = QString(),
                      const QString &machineStyle = QString(), const QString &closedAction = "wait();",
                      const QString &counterType = QString())
{
    ProjectDocument doc;
    doc.root = savedRootProcess("Demo");
    doc.root.codeStyle = projectStyle;
    doc.root.counterType = counterType;
    for (int level = 2; level <= 5; ++level) {
        CanvasBlock block;
        block.process = process(level, QStringList { "Hardware Module", "Microcontroller", "Software Module",
                                                     "Door Ctrl" }.at(level - 2));
        doc.blocks << block;
    }
    CanvasBlock &module = doc.blocks[2];
    module.memories << item<MemoryRecord>(5, "shared");
    DataflowRecord flow = item<DataflowRecord>(5, "out");
    flow.lineType = 1;
    flow.startItem = "Door Ctrl";
    flow.endItem = "shared";
    module.dataflows << flow;

    CanvasBlock &machine = doc.blocks[3];
    machine.process.description = "Opens\nand closes";
    machine.process.codeStyle = machineStyle;
    machine.memories << item<MemoryRecord>(6, "count");
    StateRecord closed = item<StateRecord>(6, "Closed");
    closed.ifInitialState = true;
    closed.initialCondition = initialCondition ? "(ready)" : "";
    closed.action = closedAction;
    machine.states << closed << item<StateRecord>(6, "Open");
    TransitionRecord t = item<TransitionRecord>(6, "Opening");
    t.condition = "(go)";
    t.action = "step();\nmore();";
    t.startItem = "Closed";
    t.endItem = "Open";
    machine.transitions << t;
    if (twin) {
        CanvasBlock second;
        second.process = process(5, "Door Ctrl", QString(), 2);
        doc.blocks << second;
    }
    doc.treeText = treeTextFromBlocks(doc);
    QByteArray bytes;
    ProjectFileWriter writer;
    if (!writer.writeToBytes(doc, &bytes))
        qFatal("%s", qPrintable(writer.errorString()));
    return bytes;
}

// The same machine as a description, to compare the files byte for byte.
GeneratedModule expectedModule(const QString &author, double version)
{
    MachineDescription m;
    m.processLabel = "Door Ctrl";
    m.processDescription = "Opens\nand closes";
    MachineState closed;
    closed.label = "Closed";
    closed.initial = true;
    closed.initialCondition = "(ready)";
    closed.action = "wait();";
    closed.transitions = { 0 };
    MachineState open;
    open.label = "Open";
    open.transitions = { 0 };
    m.states << closed << open;
    MachineTransition t;
    t.label = "Opening";
    t.condition = "(go)";
    t.action = "step();\nmore();";
    t.start = 0;
    t.end = 1;
    m.transitions << t;
    m.transitionCount = 1;
    m.outputVariables = 1;
    m.memories << MachineMemory { "count", "" };
    ModuleProperties p;
    p.projectName = "Demo";
    p.author = author;
    p.organization = "Settings Org";
    p.version = version;
    p.date = QDate(2023, 11, 14);
    return CEmitter::generate(m, p);
}

using Result = CliResult;

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!QFileInfo(cliProgram()).isExecutable())
            QSKIP("kestro-cli is not built");
        QVERIFY(m_dir.isValid());
        writeSettings("Settings Author", 3.25);
    }

    void helpAndVersion()
    {
        Result r = cli({ "--version" });
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("1.1.3"), qPrintable(r.out));
        r = cli({ "--help" });
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("generate"));
        QVERIFY(r.out.contains("--module-version"));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("nothing") << QStringList();
        QTest::newRow("unknown command") << QStringList { "build", "x.qsmd" };
        QTest::newRow("no project") << QStringList { "generate" };
        QTest::newRow("two projects") << QStringList { "check", "a.qsmd", "b.qsmd" };
        QTest::newRow("unknown option") << QStringList { "check", "a.qsmd", "--fast" };
        QTest::newRow("bad version") << QStringList { "generate", "a.qsmd", "--module-version", "one" };
        QTest::newRow("missing value") << QStringList { "generate", "a.qsmd", "-o" };
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        const Result r = cli(arguments);
        QCOMPARE(r.exitCode, 64);
        QVERIFY(!r.err.isEmpty());
        QVERIFY(r.out.isEmpty());
    }

    void missingAndCorruptProjects()
    {
        Result r = cli({ "generate", m_dir.filePath("none.qsmd") });
        QCOMPARE(r.exitCode, 66);
        QVERIFY(r.err.contains("none.qsmd"));

        // State and transition children in the wrong order.
        QString reordered = QString::fromUtf8(projectXml());
        reordered.replace(QRegularExpression("(<level>6</level>)(\\s*)(<parentId>1</parentId>)"), "\\3\\2\\1");
        QVERIFY(reordered != QString::fromUtf8(projectXml()));
        const QString corrupt = writeProject("corrupt.qsmd", reordered.toUtf8());
        r = cli({ "generate", corrupt });
        QCOMPARE(r.exitCode, 65);
        // The message, then where and why: PROJECT:LINE:COLUMN: reason.
        const QStringList lines = r.err.split('\n');
        QCOMPARE(lines.mid(0, 2), QStringList({ "Design file is corrupt and cannot be opened. ", "Opening Project Aborted." }));
        QVERIFY2(QRegularExpression("^" + QRegularExpression::escape(corrupt)
                                    + ":\\d+:\\d+: StateItem: expected element 'level', found 'parentId'$")
                     .match(lines.value(2))
                     .hasMatch(),
                 qPrintable(r.err));
        QCOMPARE(lines.size(), 4);
        r = cli({ "check", writeProject("garbage.qsmd", "<QsmdProject><ProjectFiles>") });
        QCOMPARE(r.exitCode, 65);
        QVERIFY2(r.err.contains("garbage.qsmd:1:"), qPrintable(r.err));
    }

    void generateWritesTheModule()
    {
        const QString project = writeProject("door.qsmd", projectXml());
        const QString out = m_dir.filePath("out1");
        const Result r = cli({ "generate", project, "-o", out, "--module-version", "10.5" });
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QDir(out).filePath("Door_Ctrl.h") + "\n" + QDir(out).filePath("Door_Ctrl.c") + "\n");
        QCOMPARE(r.err, QString("Door_Ctrl: Datatype Input for Memory Item count is absent\n"));
        const GeneratedModule expected = expectedModule("Settings Author", 10.5);
        QCOMPARE(QString::fromUtf8(contents(QDir(out).filePath("Door_Ctrl.h"))), expected.header);
        QCOMPARE(QString::fromUtf8(contents(QDir(out).filePath("Door_Ctrl.c"))), expected.source);
    }

    void defaultsComeFromTheSettingsAndTheProjectDirectory()
    {
        QTemporaryDir here;
        QFile::copy(writeProject("door2.qsmd", projectXml()), here.filePath("door.qsmd"));
        Result r = cli({ "generate", here.filePath("door.qsmd"), "--author", "Cli Author" });
        QCOMPARE(r.exitCode, 0);
        const GeneratedModule expected = expectedModule("Cli Author", 3.25);
        QCOMPARE(QString::fromUtf8(contents(here.filePath("Door_Ctrl.c"))), expected.source);
        QVERIFY(QString::fromUtf8(contents(here.filePath("Door_Ctrl.h"))).contains(" * @organization: Settings Org \n"));
    }

    void existingFilesNeedForce()
    {
        const QString project = writeProject("door3.qsmd", projectXml());
        const QString out = m_dir.filePath("out3");
        QCOMPARE(cli({ "generate", project, "-o", out }).exitCode, 0);
        QFile header(QDir(out).filePath("Door_Ctrl.h"));
        QVERIFY(header.open(QIODevice::WriteOnly | QIODevice::Truncate));
        header.write("edited");
        header.close();

        Result r = cli({ "generate", project, "-o", out });
        QCOMPARE(r.exitCode, 73);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.contains(QDir(out).filePath("Door_Ctrl.h") + " exists"));
        QVERIFY(r.err.contains(QDir(out).filePath("Door_Ctrl.c") + " exists"));
        QCOMPARE(contents(header.fileName()), QByteArray("edited"));

        r = cli({ "generate", project, "-o", out, "--force" });
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.count('\n'), 2);
        QCOMPARE(QString::fromUtf8(contents(header.fileName())), expectedModule("Settings Author", 3.25).header);
    }

    // A link in the output folder is an existing file: refused without
    // --force, and with it the link itself is replaced, never its target.
    void linksInTheOutputFolderAreNeverWrittenThrough()
    {
        const QString project = writeProject("door_links.qsmd", projectXml());
        const QString out = m_dir.filePath("out_links");
        const QString elsewhere = m_dir.filePath("elsewhere");
        QVERIFY(QDir().mkpath(out) && QDir().mkpath(elsewhere));
        const QString headerTarget = QDir(elsewhere).filePath("planted.h");   // dangling
        const QString sourceTarget = QDir(elsewhere).filePath("victim.c");    // an existing file
        QFile victim(sourceTarget);
        QVERIFY(victim.open(QIODevice::WriteOnly));
        victim.write("precious");
        victim.close();
        QVERIFY(QFile::link(headerTarget, QDir(out).filePath("Door_Ctrl.h")));
        QVERIFY(QFile::link(sourceTarget, QDir(out).filePath("Door_Ctrl.c")));

        Result r = cli({ "generate", project, "-o", out });
        QCOMPARE(r.exitCode, 73);
        QVERIFY2(r.err.contains(QDir(out).filePath("Door_Ctrl.h") + " exists"), qPrintable(r.err));
        QVERIFY(r.err.contains(QDir(out).filePath("Door_Ctrl.c") + " exists"));
        QVERIFY(!QFileInfo::exists(headerTarget));
        QCOMPARE(contents(sourceTarget), QByteArray("precious"));

        r = cli({ "generate", project, "-o", out, "--force" });
        QCOMPARE(r.exitCode, 0);
        QVERIFY(!QFileInfo::exists(headerTarget));
        QCOMPARE(contents(sourceTarget), QByteArray("precious"));
        const GeneratedModule expected = expectedModule("Settings Author", 3.25);
        for (const char *name : {"Door_Ctrl.h", "Door_Ctrl.c"}) {
            const QFileInfo written(QDir(out).filePath(name));
            QVERIFY(!written.isSymLink());
            QVERIFY(written.isFile());
        }
        QCOMPARE(QString::fromUtf8(contents(QDir(out).filePath("Door_Ctrl.c"))), expected.source);
        QCOMPARE(QString::fromUtf8(contents(QDir(out).filePath("Door_Ctrl.h"))), expected.header);
    }

    void twoMachinesOfOneNameDoNotOverwriteEachOther()
    {
        const QString project = writeProject("twins.qsmd", projectXml(true, true));
        const QString out = m_dir.filePath("twins");
        const Result r = cli({ "generate", project, "-o", out, "--force" });
        QCOMPARE(r.exitCode, 73);
        QCOMPARE(r.out.count('\n'), 2);
        QVERIFY2(r.err.contains("Door_Ctrl: State machine Door_Ctrl: another state machine has this name, "
                                "no files written\n"),
                 qPrintable(r.err));
        // The first machine's files stay (the twin has no states).
        QVERIFY(contents(QDir(out).filePath("Door_Ctrl.c")).contains(" * Number of States: 2\n"));
    }

    void newProjectGenerates()
    {
        const QString project = m_dir.filePath("Fresh.qsmd");
        QVERIFY(DefaultProject::write(project, "Fresh"));
        const Result r = cli({ "generate", project, "-o", m_dir.filePath("fresh") });
        QCOMPARE(r.exitCode, 0);
        // Both the initial transition and the default transition have no
        // condition: they are always taken, and warnings say so.
        QCOMPARE(r.err, QString("StateMachine_1: warning: Transition 'DefaultTransition': condition is empty\n"
                                "StateMachine_1: warning: State 'InitialState': the initial transition has no "
                                "condition, so it is taken at once\n"));
        const QByteArray source = contents(m_dir.filePath("fresh/StateMachine_1.c"));
        QVERIFY(source.contains(" * @project: Fresh \n"));
        QVERIFY(source.contains("\tstate_StateMachine_1 = STATE_STATEMACHINE_1_INITIALSTATE;\n}"));
        QVERIFY(source.contains("executed DefaultTransition -- */\n\tif (1)\n\t{"));
        if (QStandardPaths::findExecutable("cc").isEmpty())
            QSKIP("no C compiler on this system");
        const Result checked = cli({ "check", project, "--compile", "--cflags", "-Werror" });
        QVERIFY2(checked.exitCode == 0, qPrintable(checked.err));
        QVERIFY(!checked.err.contains("error"));
    }

    // The style is the machine's, else the project's, else classic, and
    // --style overrides both; a file without styles keeps none.
    void moduleStyles()
    {
        const auto style = [&](const QByteArray &xml, const QStringList &extra) {
            static int n = 0;
            const QString project = writeProject(QString("styled%1.qsmd").arg(++n), xml);
            const QString out = m_dir.filePath(QString("styled%1").arg(n));
            const Result r = cli(QStringList{ "generate", project, "-o", out } + extra);
            if (r.exitCode != 0)
                return QString("exit %1: %2").arg(r.exitCode).arg(r.err);
            const QByteArray header = contents(QDir(out).filePath("Door_Ctrl.h"));
            return QString(header.contains("typedef struct {") ? "instance" : "classic");
        };
        QCOMPARE(style(projectXml(), {}), QString("classic"));
        QCOMPARE(style(projectXml(true, false, "instance"), {}), QString("instance"));
        QCOMPARE(style(projectXml(true, false, "instance", "classic"), {}), QString("classic"));
        QCOMPARE(style(projectXml(true, false, QString(), "instance"), {}), QString("instance"));
        QCOMPARE(style(projectXml(true, false, "instance"), { "--style", "classic" }), QString("classic"));
        QCOMPARE(style(projectXml(), { "--style", "instance" }), QString("instance"));
        QCOMPARE(cli({ "check", writeProject("bad-style.qsmd", projectXml()), "--style", "objects" }).exitCode, 64);

        const QByteArray styled = projectXml(true, false, "instance", "classic");
        QCOMPARE(styled.count("codeStyle="), 2);
        QVERIFY(!projectXml().contains("codeStyle"));
        ProjectFileReader reader;
        QVERIFY(reader.load(writeProject("roundtrip.qsmd", styled)));
        const ProjectRecordLists records = reader.takeRecords();
        QCOMPARE(records.processes.first().codeStyle, QString("instance"));
        const QVector<MachineDescription> machines = RecordsToMachines::build(records);
        QCOMPARE(machines.size(), 1);
        QCOMPARE(machines.first().style, ModuleStyle::Classic);
    }

    // The time in state's type is the project's, --counter-type overrides
    // it, a stored type that is none of the three is reported and nothing
    // is written for a machine that reads the time in state.
    void counterTypes()
    {
        const QString timed = "wait(kestro_cycles_in_state);";
        const auto counter = [&](const QByteArray &xml, const QStringList &extra) {
            static int n = 0;
            const QString project = writeProject(QString("timed%1.qsmd").arg(++n), xml);
            const QString out = m_dir.filePath(QString("timed%1").arg(n));
            const Result r = cli(QStringList{ "generate", project, "-o", out } + extra);
            if (r.exitCode != 0)
                return QString("exit %1: %2").arg(r.exitCode).arg(r.err);
            const QByteArray source = contents(QDir(out).filePath("Door_Ctrl.c"));
            const int at = source.indexOf(" kestro_cycles_in_state = 0u;\t");
            if (at < 0)
                return QString("none");
            const int from = source.lastIndexOf("static ", at);
            return QString(source.mid(from, at - from));
        };
        QCOMPARE(counter(projectXml(), {}), QString("none"));
        QCOMPARE(counter(projectXml(true, false, "", "", timed), {}), QString("static uint32_t"));
        QCOMPARE(counter(projectXml(true, false, "", "", timed, "uint16_t"), {}), QString("static uint16_t"));
        QCOMPARE(counter(projectXml(true, false, "", "", timed, "uint16_t"), { "--counter-type", "uint8_t" }),
                 QString("static uint8_t"));
        const QString bad = counter(projectXml(true, false, "", "", timed, "int16_t"), {});
        QVERIFY2(bad.startsWith("exit 73: ") && bad.contains("Door_Ctrl: State machine Door_Ctrl: the project's counter "
                                                             "type 'int16_t' for kestro_cycles_in_state is not one of "
                                                             "uint8_t, uint16_t, uint32_t, no files written\n"),
                 qPrintable(bad));
        QCOMPARE(counter(projectXml(true, false, "", "", "wait();", "int16_t"), {}), QString("none"));
        const Result unused = cli({ "check", writeProject("unused-counter.qsmd", projectXml(true, false, "", "", "wait();",
                                                                                         "int16_t")), "--werror" });
        QCOMPARE(unused.exitCode, 1);
        QVERIFY2(unused.err.contains("Door_Ctrl: warning: State machine Door_Ctrl: the project's counter type 'int16_t'"),
                 qPrintable(unused.err));
        QCOMPARE(cli({ "check", writeProject("bad-counter.qsmd", projectXml()), "--counter-type", "int" }).exitCode, 64);

        QVERIFY(!projectXml().contains("counterType"));
        const QByteArray typed = projectXml(true, false, "", "", timed, "uint8_t");
        QCOMPARE(typed.count("counterType=\"uint8_t\""), 1);
        ProjectFileReader reader;
        QVERIFY(reader.load(writeProject("counter-roundtrip.qsmd", typed)));
        const QVector<MachineDescription> machines = RecordsToMachines::build(reader.takeRecords());
        QCOMPARE(machines.size(), 1);
        QCOMPARE(machines.first().counterType, QString("uint8_t"));
    }

    void unwritableOutputFails()
    {
        const QString project = writeProject("door4.qsmd", projectXml());
        QFile blocker(m_dir.filePath("plainfile"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const Result r = cli({ "generate", project, "-o", m_dir.filePath("plainfile/sub") });
        QCOMPARE(r.exitCode, 73);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.contains("plainfile/sub"));
    }

    void werrorAndCheck()
    {
        const QString project = writeProject("door5.qsmd", projectXml(false));
        const QString out = m_dir.filePath("out5");
        Result r = cli({ "generate", project, "-o", out, "--werror" });
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out.count('\n'), 2);   // the files are still written
        QCOMPARE(r.err.count("Door_Ctrl: "), 2);
        QVERIFY(r.err.contains("Door_Ctrl: warning: State 'Closed': the initial transition has no condition, so it is taken at once"));

        const QString fresh = m_dir.filePath("check");
        QVERIFY(QDir().mkpath(fresh));
        QFile::copy(project, QDir(fresh).filePath("door.qsmd"));
        r = cli({ "check", QDir(fresh).filePath("door.qsmd") });
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err.count("Door_Ctrl: "), 2);
        QCOMPARE(QDir(fresh).entryList(QDir::Files), QStringList { "door.qsmd" });
        QCOMPARE(cli({ "check", QDir(fresh).filePath("door.qsmd"), "--werror" }).exitCode, 1);
    }

    // What the reader did not know is listed, as the window lists it; the
    // check still passes unless --werror.
    void unknownElementsAreWarnedAbout()
    {
        QString xml = QString::fromUtf8(projectXml());
        QVERIFY(xml.contains("</StateItem>"));
        xml.replace("</StateItem>", "<colour>red</colour></StateItem>");
        const QString project = writeProject("newer.qsmd", xml.toUtf8());
        const Result r = cli({ "check", project });
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(QRegularExpression("^" + QRegularExpression::escape(project)
                                    + ": warning: Element 'colour': in StateItem, \\d+ times from line \\d+; this "
                                      "version of Kestro does not know it, and saving over the file drops it$",
                                    QRegularExpression::MultilineOption)
                     .match(r.err)
                     .hasMatch(),
                 qPrintable(r.err));
        QCOMPARE(cli({ "check", project, "--werror" }).exitCode, 1);
    }

    // A finding as long as a huge label is printed whole, also where a
    // character outside the basic plane straddles the pieces it is written in.
    void longFindingsArePrintedWhole()
    {
        ProjectDocument doc = MachineProject::skeleton("Demo", "Texts");
        const QString label = "L" + QString(65527, 'a') + QString::fromUtf8("\xF0\x9F\x98\x80") + QString(100, 'b');
        StateRecord start = item<StateRecord>(6, "Start");
        start.ifInitialState = true;
        start.initialCondition = "(1)";
        StateRecord lonely = item<StateRecord>(6, label);
        lonely.xCoord = 800;
        doc.blocks[3].states << start << lonely;
        const Result r = cli({ "check", writeProject("long.qsmd", MachineProject::bytes(doc)) });
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.contains("Texts: warning: State '" + label + "': no transition leads to it\n"));
    }

    // The compiler's findings name the item behind the offending line.
    void compileCheck()
    {
        const QString project = writeProject("compile.qsmd", projectXml());
        Result r = cli({ "check", project, "--compile" });
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains(QRegularExpression("\nDoor_Ctrl: error: Transition 'Opening': .*'go' undeclared")),
                 qPrintable(r.err));
        QVERIFY2(r.err.contains(QRegularExpression("\nDoor_Ctrl: error: State 'Closed': .*'ready' undeclared")),
                 qPrintable(r.err));
        // The design error comes first, unchanged.
        QVERIFY(r.err.startsWith("Door_Ctrl: Datatype Input for Memory Item count is absent\n"));

        // --cflags reach the compiler: with the names defined only warnings are left.
        r = cli({ "check", project, "--compile", "--cflags", "-Dgo=1 -Dready=1 \"-Dwait()=0\" -Dstep()=0 -Dmore()=0" });
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(!r.err.contains(": error: "), qPrintable(r.err));

        // generate --compile writes the files and still reports.
        const QString out = m_dir.filePath("compiled");
        r = cli({ "generate", project, "-o", out, "--compile" });
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out.count('\n'), 2);
        QVERIFY(QFile::exists(QDir(out).filePath("Door_Ctrl.c")));

        r = cli({ "check", project, "--compile" }, { "CC=/nonexistent/cc" });
        QCOMPARE(r.exitCode, 69);
        QVERIFY2(r.err.contains("kestro-cli: the C compiler '/nonexistent/cc' could not be started"), qPrintable(r.err));
    }

    void tcpExample_data()
    {
        QTest::addColumn<QString>("style");
        QTest::newRow("classic") << "classic";
        QTest::newRow("instance") << "instance";
    }
    // The example project as a user runs it: the check with the compiler
    // finds no error, and the module of either style builds with strict
    // flags and runs the connection scenario.
    void tcpExample()
    {
        QFETCH(QString, style);
        const QString cc = QStandardPaths::findExecutable("cc");
        if (cc.isEmpty())
            QSKIP("no C compiler");
        const QString example = TcpConnection::examplePath();
        Result r = cli({ "check", example, "--compile", "--style", style });
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(!r.err.contains(": error: "), qPrintable(r.err));

        const QString out = m_dir.filePath("tcp-" + style);
        r = cli({ "generate", example, "-o", out, "--style", style });
        QCOMPARE(r.exitCode, 0);
        QFile driver(QDir(out).filePath("main.c"));
        QVERIFY(driver.open(QIODevice::WriteOnly));
        const QByteArray program = TcpConnection::scenarioProgram(style == "instance").toUtf8();
        QCOMPARE(driver.write(program), qint64(program.size()));
        driver.close();
        QProcess build;
        build.setWorkingDirectory(out);
        build.setProcessChannelMode(QProcess::MergedChannels);
        build.start(cc, { "-std=c99", "-Wall", "-Wextra", "-Werror", "-o", "machine", "main.c", "Tcp.c" });
        QVERIFY(build.waitForFinished(60000));
        QVERIFY2(build.exitCode() == 0, build.readAll().constData());
        QProcess run;
        run.start(QDir(out).filePath("machine"), QStringList());
        QVERIFY(run.waitForFinished(10000));
        QCOMPARE(run.exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(run.readAllStandardOutput()).trimmed(), TcpConnection::scenarioOutput());
    }

    void subMachines_data()
    {
        QTest::addColumn<QString>("style");
        QTest::newRow("classic") << "classic";
        QTest::newRow("instance") << "instance";
    }
    // check and generate work on sub-machines through the same code: a
    // finding inside a sub-machine names it, and once mended the module of
    // a machine with sub-machines four levels deep compiles with the
    // compiler check and with strict flags.
    void subMachines()
    {
        QFETCH(QString, style);
        ProjectDocument doc = DefaultProject::document("Motors");
        doc.layout = GroupLayout::Saved;
        const int running = SubMachineProject::add(&doc, 3, "SecondaryState", { "RampUp", "Cruise", "RampDown" }, true);
        const int cruise = SubMachineProject::add(&doc, running, "Cruise", { "Hold", "Trim" });
        const int hold = SubMachineProject::add(&doc, cruise, "Hold", { "A", "B" });
        SubMachineProject::add(&doc, hold, "A", { "X" });
        doc.blocks[cruise].states[0].initialCondition = "(ready)";
        const QString project = writeProject("sub-" + style + ".qsmd", MachineProject::bytes(doc));
        Result r = cli({ "check", project, "--style", style, "--werror" });
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("StateMachine_1: Sub-machine 'Cruise': State 'Hold': the initial transition of a "
                                "sub-machine takes no condition (it is taken on every entry)\n"),
                 qPrintable(r.err));

        doc.blocks[cruise].states[0].initialCondition.clear();
        writeProject("sub-" + style + ".qsmd", MachineProject::bytes(doc));
        r = cli({ "check", project, "--style", style, "--compile" });
        QVERIFY2(!r.err.contains(": error: ") && !r.err.contains("Sub-machine"), qPrintable(r.err));
        const QString out = m_dir.filePath("sub-" + style);
        r = cli({ "generate", project, "-o", out, "--style", style });
        QVERIFY2(QFile::exists(QDir(out).filePath("StateMachine_1.c")), qPrintable(r.err));
        const QByteArray source = contents(QDir(out).filePath("StateMachine_1.c"));
        QVERIFY(source.contains(style == "classic" ? "state_StateMachine_1_Hold" : "me->state_Hold"));
        const QString cc = QStandardPaths::findExecutable("cc");
        if (cc.isEmpty())
            QSKIP("no C compiler");
        QProcess build;
        build.setWorkingDirectory(out);
        build.setProcessChannelMode(QProcess::MergedChannels);
        build.start(cc, { "-std=c99", "-Wall", "-Wextra", "-Werror", "-c", "StateMachine_1.c" });
        QVERIFY(build.waitForFinished(60000));
        QVERIFY2(build.exitCode() == 0, build.readAll().constData());
    }

    void flatModulesUnchanged_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("checksum");
        const QString examples = QStringLiteral(KESTRO_SOURCE_DIR "/Examples/");
        const QString ring = writeProject("flat-ring.qsmd", MachineProject::bytes(MachineProject::ring(200)));
        const QString random = writeProject("flat-random.qsmd",
                                            MachineProject::bytes(randomProject(50, largeProjectOptions(3))));
        QTest::newRow("Example_1 classic") << examples + "Example_1.qsmd" << "classic" 
                                                << "8703545e52d01f4eb245a6a73c33079aadd038087db4158d7629d0191c83c547";
        QTest::newRow("Example_1 instance") << examples + "Example_1.qsmd" << "instance" 
                                                << "ccf513905b279428cc4f8fabbe07c4e48439ae6c0759ac185e4c4e9bd36497ee";
        QTest::newRow("TcpConnection classic") << examples + "TcpConnection.qsmd" << "classic" 
                                                << "fe82822b7cdb9a3b53a1387e056b6b37fa4a9275d87b4277b6b528ce1ebc9142";
        QTest::newRow("TcpConnection instance") << examples + "TcpConnection.qsmd" << "instance" 
                                                << "a57e4ebb20f3dd13f49fe5af9e3aae64c3da09f34affbc01bb2d00375a58f0a3";
        QTest::newRow("ring classic") << ring << "classic" 
                                                << "b514ee8dc6df637769d80db50c6f1dbb82d79f1db3fe95644d8132a5cb8b11c2";
        QTest::newRow("ring instance") << ring << "instance" 
                                                << "9b8b1512286fb8c36ca59ebea691bb5c7dab22a717b26a4fa37c2b96186ff60c";
        QTest::newRow("random classic") << random << "classic" 
                                                << "35c3edd02366aaf9e430ee3118fd9bbd41c1896702c9061e6da973670a438563";
        QTest::newRow("random instance") << random << "instance" 
                                                << "e658372b6369224863a8a62a133b1c87bb24fa23dc97a529ed1b159aa4bf8308";
    }
    // The modules of machines without sub-machines are byte for byte what
    // the release before sub-machines wrote, in both styles: the examples
    // and the benchmark projects, generated with fixed properties, keep the
    // checksums measured with that release (SHA-256 over the file names and
    // contents, in name order).
    void flatModulesUnchanged()
    {
        QFETCH(QString, project);
        QFETCH(QString, style);
        QFETCH(QString, checksum);
        const QString out = m_dir.filePath("flat-" + QString(QTest::currentDataTag()).replace(' ', '-'));
        const Result r = cli({ "generate", project, "-o", out, "--style", style, "--author", "A", "--organization",
                               "O", "--module-version", "1", "--force" });
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCryptographicHash hash(QCryptographicHash::Sha256);
        const QStringList files = QDir(out).entryList(QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QString &file : files) {
            hash.addData(file.toUtf8() + '\n');
            hash.addData(contents(QDir(out).filePath(file)));
        }
        QCOMPARE(QString::fromLatin1(hash.result().toHex()), checksum);
    }

    // A large random project whose machines hold sub-machines three levels
    // deep: check and generate read, check and write it, with findings
    // inside the sub-machines, in both styles.
    void randomSubMachines()
    {
        const QString project = writeProject("nested-random.qsmd",
                                             MachineProject::bytes(randomProject(7, nestedProjectOptions(2))));
        for (const char *style : { "classic", "instance" }) {
            const QString out = m_dir.filePath(QStringLiteral("nested-") + style);
            const Result r = cli({ "generate", project, "-o", out, "--style", style, "--force" });
            QVERIFY2(r.exitCode == 0, qPrintable(r.err.left(2000)));
            QVERIFY2(r.err.contains(": Sub-machine '"), qPrintable(r.err.left(2000)));
            QCOMPARE(QDir(out).entryList(QDir::Files).size(), 4);
        }
    }

    // A disk that takes nothing more: nothing is reported as written.
    void refusedWritesFail()
    {
        const QString project = writeProject("full.qsmd", projectXml());
        const QString out = m_dir.filePath("full");
        QVERIFY(QDir().mkpath(out));
        Result r;
        {
            FileSizeLimit full(0);
            r = cli({ "generate", project, "-o", out });
        }
        QCOMPARE(r.exitCode, 73);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains("Cannot write " + QDir(out).filePath("Door_Ctrl.h") + ": File too large"), qPrintable(r.err));
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList());
    }

    // No label makes kestro-cli write outside its folder.
    void unsafeMachineNamesWriteNothing()
    {
        QTemporaryDir root;
        const QString out = QDir(root.path()).filePath("a/b/out");
        QVERIFY(QDir().mkpath(out));
        for (const QString &label : { QString("../x"), QString("../../evil"), QString("/abs/path"), QString("."),
                                      QString(".."), QString("a\nb"), QString::fromUtf8("x\u202Ey") }) {
            QString xml = QString::fromUtf8(projectXml());
            xml.replace("label=\"Door Ctrl\"", "label=\"" + label.toHtmlEscaped().replace("\n", "&#10;") + "\"");
            xml.replace("Door Ctrl", label);
            const QString project = writeProject("unsafe.qsmd", xml.toUtf8());
            const Result r = cli({ "generate", project, "-o", out, "--force" });
            QCOMPARE(r.exitCode, 73);
            QVERIFY2(r.err.contains(": name is not a C identifier, no files written\n"), qPrintable(r.err));
            QVERIFY(r.out.isEmpty());
        }
        QDirIterator all(root.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
        QStringList found;
        while (all.hasNext())
            found << QDir(root.path()).relativeFilePath(all.next());
        found.sort();
        QCOMPARE(found, QStringList({ "a", "a/b", "a/b/out" }));
    }

private:
    void writeSettings(const QString &author, double version)
    {
        QSettings s(m_dir.filePath("config/Orvanta/Kestro.conf"), QSettings::IniFormat);
        s.setValue("author", author);
        s.setValue("organization", "Settings Org");
        s.setValue("version", version);
    }

    QString writeProject(const QString &name, const QByteArray &xml)
    {
        QFile f(m_dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(f.fileName()));
        f.write(xml);
        return f.fileName();
    }

    Result cli(const QStringList &arguments, const QStringList &environment = {})
    {
        return runCli(arguments, QStringList{ "XDG_CONFIG_HOME=" + m_dir.filePath("config"),
                                              QStringLiteral("SOURCE_DATE_EPOCH=") + Epoch } + environment, 30000);
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
