#include "AddMemoryCommand.h"
#include "AddStateCommand.h"
#include "AddTextCommand.h"
#include "AddTransitionCommand.h"
#include "CEmitter.h"
#include "Canvas.h"
#include "CodeGenerator.h"
#include "CodegenErrorLog.h"
#include "CodegenProperties.h"
#include "DataflowItem.h"
#include "DataflowLine.h"
#include "FileSizeLimit.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"

#include <QtTest>
#include <QtWidgets>

// The code generator on real canvases, run as the window runs it
// (generateAll): what it reads from the items, the questions it asks, how
// it reports failures and how the whole project is walked.
namespace {

// One project in memory: canvases of every level, owned here.
class Project
{
public:
    // The project, hardware and microcontroller diagrams, each drawn as a
    // process item one level up, so the tree reaches what is below them.
    Project()
    {
        m_root = canvas(1, 1, 1, 1, 1, QStringLiteral("Plant"));
        Canvas *hardware = canvas(2, 1, 1, 1, 1, QStringLiteral("Hardware Module"));
        m_micro = canvas(3, 1, 1, 1, 1, QStringLiteral("Microcontroller"));
        processItem(m_root, 1, 1, hardware->name());
        processItem(hardware, 1, 1, m_micro->name());
    }
    ~Project() { qDeleteAll(m_canvases); }

    Canvas *canvas(int level, int id, int parentId, int grandParentId, int nos, const QString &name)
    {
        auto *c = new Canvas(nullptr);
        c->setLevel(level);
        c->setId(id);
        c->setParentId(parentId);
        c->setGrandParentId(grandParentId);
        c->setNos(nos);
        c->setName(name);
        m_canvases << c;
        return c;
    }

    // A process item on `diagram` standing for a node of the given identity.
    static ProcessItem *processItem(Canvas *diagram, int id, int nos, const QString &label,
                                    const QString &description = QString())
    {
        ProcessRecord r;
        r.level = diagram->level() + 1;
        r.id = id;
        r.nos = nos;
        r.parentId = diagram->id();
        r.grandParentId = diagram->parentId();
        r.label = label;
        r.description = description;
        r.width = 300;
        r.height = 250;
        r.xCoord = 100 + 400 * diagram->processItems().size();
        r.yCoord = 100;
        r.polygon = { QPointF(0, 0), QPointF(300, 0), QPointF(300, 250), QPointF(0, 250), QPointF(0, 0) };
        auto *item = new ProcessItem(nullptr, r.xCoord, r.yCoord, 1);
        item->applyRecord(r);
        diagram->addItem(item);
        diagram->registerItem(item);
        return item;
    }

    static MemoryItem *memoryOnDiagram(Canvas *diagram, const QString &label, qreal x)
    {
        auto *memory = new MemoryItem(nullptr, x, 600);
        memory->setLabel(label);
        memory->setDatatype(QStringLiteral("int"));
        diagram->addItem(memory);
        diagram->registerItem(memory);
        return memory;
    }

    // A dataflow from `from` to `to` (one is a process item, the other a memory item).
    static DataflowItem *dataflow(Canvas *diagram, QGraphicsItem *from, QGraphicsItem *to)
    {
        auto *d = new DataflowItem(nullptr, from, to);
        auto *startLine = new DataflowLine(from, d);
        auto *endLine = new DataflowLine(d, to);
        d->setStartLine(startLine);
        d->setEndLine(endLine);
        d->process()->addDataflow(d);
        d->memory()->addDataflow(d);
        diagram->addItem(d);
        diagram->addItem(startLine);
        diagram->addItem(endLine);
        diagram->registerItem(d);
        return d;
    }

    Canvas *root() const { return m_root; }
    Canvas *micro() const { return m_micro; }
    const QList<Canvas *> &canvases() const { return m_canvases; }

private:
    Canvas *m_root = nullptr;
    Canvas *m_micro = nullptr;
    QList<Canvas *> m_canvases;
};

StateItem *addState(Canvas *c, const QString &label, qreal x, const QString &action)
{
    auto *cmd = new AddStateCommand(c, x, 300);
    c->pushCommand(cmd);
    cmd->state()->setLabel(label);
    cmd->state()->setAction(action);
    cmd->state()->setDescription(label + QStringLiteral(" state"));
    return cmd->state();
}

TransitionItem *addTransition(Canvas *c, StateItem *from, StateItem *to, const QString &label,
                              const QString &condition, const QString &action)
{
    auto *cmd = new AddTransitionCommand(c, from, to);
    c->pushCommand(cmd);
    cmd->transition()->setLabel(label);
    cmd->transition()->setCondition(condition);
    cmd->transition()->setAction(action);
    return cmd->transition();
}

void addText(Canvas *c, int type, const QString &text)
{
    auto *cmd = new AddTextCommand(c, 100, 900);
    c->pushCommand(cmd);
    cmd->textItem()->setTextType(type);
    cmd->textItem()->setAction(text);
}

void addMemory(Canvas *c, const QString &label, const QString &datatype)
{
    auto *cmd = new AddMemoryCommand(c, 1500, 100);
    c->pushCommand(cmd);
    cmd->memoryItem()->setLabel(label);
    cmd->memoryItem()->setDatatype(datatype);
}

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("<missing %1>").arg(path);
    return QString::fromUtf8(file.readAll());
}

void writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

} // namespace

class TestCodeGenerator : public QObject
{
    Q_OBJECT

    // A software module with the state machine "Door Ctrl" drawn on it.
    struct Machine
    {
        Canvas *module = nullptr;
        Canvas *diagram = nullptr;
        ProcessItem *process = nullptr;
    };

    static Machine addMachine(Project &p, int moduleId, const QString &label)
    {
        Machine m;
        m.module = p.canvas(4, moduleId, 1, 1, 1, QStringLiteral("Software Module"));
        Project::processItem(p.micro(), moduleId, moduleId, m.module->name());
        m.process = Project::processItem(m.module, 1, 1, label);
        m.diagram = p.canvas(5, 1, moduleId, 1, 1, label);
        return m;
    }

    // A machine with only an initial state, so a run shows no error log.
    static Machine addSimpleMachine(Project &p, int moduleId, const QString &label)
    {
        Machine m = addMachine(p, moduleId, label);
        StateItem *s = addState(m.diagram, QStringLiteral("Idle"), 100, QString());
        s->setInitialState(true);
        s->setInitialCondition(QStringLiteral("(1)"));
        return m;
    }

    // The generator writes into a fresh directory and answers dialogs
    // without a person, recording which it was shown.
    void prepare(CodeGenerator &g, const QString &directory)
    {
        g.setOutputDirectory(directory);
        g.setDialogRunner([this](QDialog *dialog) {
            m_shownDialogs << dialog;
            return int(QDialog::Accepted);
        });
    }

    QList<QDialog *> m_shownDialogs;

private slots:
    void initTestCase()
    {
        // Fixed date in the file comments, so files of two runs compare.
        qputenv("SOURCE_DATE_EPOCH", "1700000000");
    }

    void init() { m_shownDialogs.clear(); }

    void projectPathGivesTheOutputDirectory()
    {
        CodeGenerator g;
        QCOMPARE(g.version(), 1.0);
        g.setProjectPath(QStringLiteral("/home/user/projects/Plant.qsmd"));
        QCOMPARE(g.outputDirectory(), QStringLiteral("/home/user/projects/"));
        g.setProjectPath(QStringLiteral("Plant.qsmd"));
        QCOMPARE(g.outputDirectory(), QString());
    }

    void settingsKeepAuthorOrganizationAndVersion()
    {
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
        CodeGenerator g;
        g.setAuthor(QStringLiteral("Ada"));
        g.loadSettings(settings);   // nothing stored yet
        QCOMPARE(g.author(), QStringLiteral("Ada"));
        QCOMPARE(g.version(), 1.0);
        g.setOrganization(QStringLiteral("Works"));
        g.setVersion(10.5);
        g.saveSettings(settings);
        CodeGenerator other;
        other.loadSettings(settings);
        QCOMPARE(other.author(), QStringLiteral("Ada"));
        QCOMPARE(other.organization(), QStringLiteral("Works"));
        QCOMPARE(other.version(), 10.5);
        QCOMPARE(other.outputDirectory(), QString());   // never kept
    }

    // Everything read from the items, in the diagram's orders, against a
    // description written out by hand; the dataflows of the machine's
    // process item on its module diagram count as its inputs and outputs.
    void writesWhatTheEmitterMakesOfTheDiagram()
    {
        Project p;
        Machine m = addMachine(p, 1, QStringLiteral("Door Ctrl"));
        ProcessRecord r = m.process->toRecord();
        r.description = QStringLiteral("Opens and closes\nthe door");
        m.process->applyRecord(r);
        MemoryItem *in = Project::memoryOnDiagram(m.module, QStringLiteral("request"), 100);
        MemoryItem *out1 = Project::memoryOnDiagram(m.module, QStringLiteral("motor"), 500);
        MemoryItem *out2 = Project::memoryOnDiagram(m.module, QStringLiteral("lamp"), 900);
        Project::dataflow(m.module, in, m.process);
        Project::dataflow(m.module, m.process, out1);
        Project::dataflow(m.module, m.process, out2);

        Canvas *c = m.diagram;
        StateItem *closed = addState(c, QStringLiteral("Closed"), 100, QStringLiteral("motor = 0;\nlamp = 0;"));
        StateItem *opening = addState(c, QStringLiteral("Opening"), 600, QStringLiteral("motor = 1;"));
        StateItem *open = addState(c, QStringLiteral("Open"), 1100, QStringLiteral("lamp = 1;"));
        opening->setInitialState(true);   // not the first state of the list
        opening->setInitialCondition(QStringLiteral("(request)"));
        opening->setInitialDescription(QStringLiteral("lamp = 1;\nmotor = 1;"));
        addTransition(c, closed, opening, QStringLiteral("Request"), QStringLiteral("(request)"),
                      QStringLiteral("request = 0;"));
        addTransition(c, opening, open, QStringLiteral("Arrived"), QStringLiteral("(motor > 5)"), QString());
        c->setCurrentItem(open);
        c->addSelfTransition();
        c->transitions().at(2)->setCondition(QStringLiteral("(lamp > 1)"));
        addTransition(c, open, closed, QStringLiteral("Timeout"), QStringLiteral("(lamp)"),
                      QStringLiteral("motor = 0;\nlamp = 0;"));
        addTransition(c, closed, open, QStringLiteral("Forced"), QStringLiteral("(motor < 0)"), QString());
        addText(c, MachineText::Macros, QStringLiteral("#define LIMIT 5"));
        addText(c, MachineText::Default, QStringLiteral("static int helper;"));
        addText(c, MachineText::Includes, QStringLiteral("#include <stdint.h>"));
        addMemory(c, QStringLiteral("motor"), QStringLiteral("int"));
        addMemory(c, QStringLiteral("lamp state"), QStringLiteral("unsigned char"));

        MachineDescription expected;
        expected.processLabel = QStringLiteral("Door Ctrl");
        expected.processDescription = QStringLiteral("Opens and closes\nthe door");
        expected.states = {
            { "Closed", "Closed state", "motor = 0;\nlamp = 0;", false, {}, {}, { 0, 3, 4 } },
            { "Opening", "Opening state", "motor = 1;", true, "(request)", "lamp = 1;\nmotor = 1;", { 0, 1 } },
            { "Open", "Open state", "lamp = 1;", false, {}, {}, { 1, 3, 4 }, { 2 } },
        };
        const QString self = c->transitions().at(2)->label();
        expected.transitions = {
            { "Request", "(request)", "request = 0;", 0, 1 },
            { "Arrived", "(motor > 5)", "", 1, 2 },
            { self, "(lamp > 1)", "", 2, 2 },
            { "Timeout", "(lamp)", "motor = 0;\nlamp = 0;", 2, 0 },
            { "Forced", "(motor < 0)", "", 0, 2 },
        };
        expected.texts = { { MachineText::Macros, "#define LIMIT 5" },
                           { MachineText::Default, "static int helper;" },
                           { MachineText::Includes, "#include <stdint.h>" } };
        expected.memories = { { "motor", "int" }, { "lamp state", "unsigned char" } };
        expected.transitionCount = 5;
        expected.inputVariables = 1;
        expected.outputVariables = 2;

        QTemporaryDir dir;
        CodeGenerator g;
        prepare(g, dir.path());
        g.setAuthor(QStringLiteral("Ada"));
        g.setOrganization(QStringLiteral("Works"));
        g.setVersion(10.5);
        QCOMPARE(g.generateAll(p.canvases()), QStringList{ g.successMessage() });
        QCOMPARE(g.moduleName(), QStringLiteral("Door_Ctrl"));
        QCOMPARE(g.projectName(), QStringLiteral("Plant"));

        ModuleProperties props;
        props.projectName = QStringLiteral("Plant");
        props.author = QStringLiteral("Ada");
        props.organization = QStringLiteral("Works");
        props.version = 10.5;
        const GeneratedModule module = CEmitter::generate(expected, props);
        QCOMPARE(readText(dir.filePath(QStringLiteral("Door_Ctrl.h"))), module.header);
        QCOMPARE(readText(dir.filePath(QStringLiteral("Door_Ctrl.c"))), module.source);
        QCOMPARE(g.lastWritten().size(), 2);
        QVERIFY(m_shownDialogs.isEmpty());   // no design errors, no log
    }

    void designErrorsAreShownInTheLog()
    {
        Project p;
        Machine m = addMachine(p, 1, QStringLiteral("Pump"));
        addState(m.diagram, QStringLiteral("Idle"), 100, QString());   // no initial state
        addMemory(m.diagram, QString(), QStringLiteral("int"));
        QTemporaryDir dir;
        CodeGenerator g;
        prepare(g, dir.path());
        QCOMPARE(g.generateAll(p.canvases()).size(), 1);
        const QStringList errors { QStringLiteral("Label Input for Memory Item  is absent"),
                                   QStringLiteral("Initial state item in state machine Pump is not assigned") };
        QCOMPARE(g.lastErrors(), errors);
        QCOMPARE(m_shownDialogs.size(), 1);
        QCOMPARE(m_shownDialogs.first(), g.errorLog());
        auto *table = g.errorLog()->findChild<QTableWidget *>(QStringLiteral("tableWidget"));
        QVERIFY(table);
        // The errors, then the warnings, marked.
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->item(1, 0)->text(), errors.at(1));
        QCOMPARE(table->item(2, 0)->text(), QStringLiteral("Warning: State 'Idle': no transition leads to it"));
        // The files are written all the same.
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Pump.c"))));
    }

    void replacingExistingFilesIsAsked()
    {
        Project p;
        addSimpleMachine(p, 1, QStringLiteral("Fan"));
        QTemporaryDir dir;
        CodeGenerator g;
        prepare(g, dir.path());
        ScriptedPrompter prompter;
        QCOMPARE(g.generateAll(p.canvases()).size(), 1);
        QVERIFY(prompter.messages.isEmpty());   // nothing there yet
        const QString header = dir.filePath(QStringLiteral("Fan.h"));
        const QString source = dir.filePath(QStringLiteral("Fan.c"));
        const QString fresh = readText(source);

        // Declined: both files stay as they are.
        writeText(header, "old header");
        writeText(source, "old source");
        prompter.messageAnswers << QMessageBox::Cancel;
        QVERIFY(g.generateAll(p.canvases()).isEmpty());
        QCOMPARE(prompter.messages.size(), 1);
        const MessageRequest &question = prompter.messages.first();
        QCOMPARE(question.title, QStringLiteral("Kestro"));
        // The question names the machine and both of its files.
        QCOMPARE(question.text, QStringLiteral("State machine Fan has been generated before. Its files exist:\n\n%1\n%2")
                                    .arg(QDir::toNativeSeparators(header), QDir::toNativeSeparators(source)));
        QCOMPARE(question.informativeText, QStringLiteral("Do you want to replace the existing files?"));
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::Cancel);
        QCOMPARE(question.defaultButton, QMessageBox::Yes);
        QCOMPARE(readText(header), QStringLiteral("old header"));
        QCOMPARE(readText(source), QStringLiteral("old source"));

        // Only the source exists, read-only: Yes removes it and writes both.
        QVERIFY(QFile::remove(header));
        QFile(source).setPermissions(QFileDevice::ReadOwner);
        prompter.messageAnswers << QMessageBox::Yes;
        QCOMPARE(g.generateAll(p.canvases()).size(), 1);
        QCOMPARE(prompter.messages.size(), 2);
        QCOMPARE(readText(source), fresh);
        QVERIFY(readText(header).startsWith(QStringLiteral("/** \n * @file: Fan.h")));
    }

    void failedReplacementKeepsTheOldFiles()
    {
        Project p;
        addSimpleMachine(p, 1, QStringLiteral("Pump"));
        QTemporaryDir dir;
        CodeGenerator g;
        prepare(g, dir.path());
        const QString header = dir.filePath(QStringLiteral("Pump.h"));
        const QString source = dir.filePath(QStringLiteral("Pump.c"));
        writeText(header, "old header");
        writeText(source, "old source");
        QFile(source).setPermissions(QFileDevice::ReadOwner);

        // Yes to replacing, then the disk refuses the new files: the old
        // ones are still there, read-only as before, and the failure is told.
        ScriptedPrompter prompter;
        prompter.messageAnswers << QMessageBox::Yes;
        {
            FileSizeLimit limit(16);
            QVERIFY(limit.isActive());
            QVERIFY(g.generateAll(p.canvases()).isEmpty());
        }
        QCOMPARE(prompter.messages.size(), 2);
        QCOMPARE(prompter.messages.last().icon, QMessageBox::Critical);
        QCOMPARE(readText(header), QStringLiteral("old header"));
        QCOMPARE(readText(source), QStringLiteral("old source"));
        QVERIFY(!(QFile::permissions(source) & QFileDevice::WriteOwner));
        QVERIFY(g.lastWritten().isEmpty());
    }

    void unwritableFilesAreReportedNotCelebrated()
    {
        Project p;
        Machine m = addSimpleMachine(p, 1, QStringLiteral("Valve"));
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("no/such/directory"));
        CodeGenerator g;
        prepare(g, missing);
        ScriptedPrompter prompter;
        QVERIFY(p.canvases().contains(m.diagram));
        QCOMPARE(g.generateAll(p.canvases()), QStringList());
        QCOMPARE(prompter.messages.size(), 1);
        const MessageRequest &box = prompter.messages.first();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.title, QStringLiteral("Kestro"));
        QVERIFY2(box.text.contains(missing + QStringLiteral("/Valve.h")), qPrintable(box.text));
        QVERIFY(g.lastWritten().isEmpty());
        QVERIFY(!QFileInfo::exists(missing));
        QVERIFY(m_shownDialogs.isEmpty());
    }

    // The machines the project tree reaches, depth first, each under the
    // process item that opens its diagram (whatever its label); a diagram
    // the tree does not reach is not generated, as it is not saved either.
    void generateAllWalksTheMachines()
    {
        Project p;
        Machine fan = addSimpleMachine(p, 1, QStringLiteral("Fan"));
        // A machine whose process item was given another label.
        Machine renamed = addSimpleMachine(p, 2, QStringLiteral("Heater"));
        ProcessRecord r = renamed.process->toRecord();
        r.label = QStringLiteral("Heater2");
        renamed.process->applyRecord(r);
        // A machine whose parent diagram does not exist.
        Canvas *orphan = p.canvas(5, 1, 7, 1, 1, QStringLiteral("Orphan"));
        addState(orphan, QStringLiteral("Idle"), 100, QString());
        // A second machine on the first module, after the others in the list.
        Canvas *pump = p.canvas(5, 2, 1, 1, 2, QStringLiteral("Pump"));
        StateItem *s = addState(pump, QStringLiteral("Idle"), 100, QString());
        s->setInitialState(true);
        s->setInitialCondition(QStringLiteral("(1)"));
        fan.process->setNos(2);
        fan.diagram->setNos(2);
        Project::processItem(fan.module, 2, 2, QStringLiteral("Pump"));

        QTemporaryDir dir;
        CodeGenerator g;
        prepare(g, dir.path() + QLatin1Char('/'));
        ScriptedPrompter prompter;
        const QString status = QStringLiteral("Source file successfully created at %1/ ").arg(dir.path());
        QCOMPARE(g.generateAll(p.canvases()), QStringList({ status, status, status }));
        QVERIFY(prompter.messages.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
                 QStringList({ "Fan.c", "Fan.h", "Heater2.c", "Heater2.h", "Pump.c", "Pump.h" }));
        const QString pumpSource = readText(dir.filePath(QStringLiteral("Pump.c")));
        QVERIFY(pumpSource.contains(QStringLiteral(" * @project: Plant \n")));
        QCOMPARE(g.projectName(), QStringLiteral("Plant"));

        // The second time each machine asks; declining one goes on with the next.
        prompter.messageAnswers << QMessageBox::Cancel << QMessageBox::Yes << QMessageBox::Yes;
        QCOMPARE(g.generateAll(p.canvases()), QStringList({ status, status }));
        QCOMPARE(prompter.messages.size(), 3);
    }

    void projectWithoutMachinesGeneratesNothing()
    {
        Project p;
        Canvas *module = p.canvas(4, 1, 1, 1, 1, QStringLiteral("Software Module"));
        Project::processItem(module, 1, 1, QStringLiteral("Planned"));
        QTemporaryDir dir;
        CodeGenerator g;
        prepare(g, dir.path());
        ScriptedPrompter prompter;
        QVERIFY(g.generateAll(p.canvases()).isEmpty());
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
        QVERIFY(prompter.messages.isEmpty());
        QVERIFY(m_shownDialogs.isEmpty());
    }

    void propertiesAreCopiedBackOnlyOnOk()
    {
        CodeGenerator g;
        g.setOutputDirectory(QStringLiteral("/out/"));
        g.setAuthor(QStringLiteral("Ada"));
        g.setOrganization(QStringLiteral("Works"));
        g.setVersion(2);
        QDialogButtonBox::StandardButton press = QDialogButtonBox::Cancel;
        QStringList seen;
        g.setDialogRunner([&](QDialog *dialog) {
            auto *author = dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit"));
            auto *version = dialog->findChild<QDoubleSpinBox *>(QStringLiteral("doubleSpinBox"));
            seen << author->text() << dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit_3"))->text();
            author->setText(QStringLiteral("Grace"));
            version->setValue(3.25);
            dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))->button(press)->click();
            return dialog->result();
        });
        QVERIFY(!g.runProperties(nullptr));
        QCOMPARE(seen, QStringList({ "Ada", "/out/" }));
        QCOMPARE(g.author(), QStringLiteral("Ada"));
        QCOMPARE(g.version(), 2.0);

        press = QDialogButtonBox::Ok;
        QVERIFY(g.runProperties(nullptr));
        QCOMPARE(seen.mid(2), QStringList({ "Ada", "/out/" }));   // filled afresh
        QCOMPARE(g.author(), QStringLiteral("Grace"));
        QCOMPARE(g.organization(), QStringLiteral("Works"));
        QCOMPARE(g.version(), 3.25);
        QCOMPARE(g.outputDirectory(), QStringLiteral("/out/"));
    }

    // Without a runner the dialogs run modally; the error log closes with OK.
    void errorLogRunsModally()
    {
        Project p;
        addMachine(p, 1, QStringLiteral("Lift"));
        QTemporaryDir dir;
        CodeGenerator g;
        g.setOutputDirectory(dir.path());
        bool closed = false;
        QTimer::singleShot(0, [&]() {
            auto *log = qobject_cast<CodegenErrorLog *>(QApplication::activeModalWidget());
            if (log) {
                closed = true;
                log->findChild<QPushButton *>(QStringLiteral("pushButton"))->click();
            }
        });
        QCOMPARE(g.generateAll(p.canvases()).size(), 1);
        QVERIFY(closed);
    }
};

QTEST_MAIN(TestCodeGenerator)
#include "tst_codegenerator.moc"
