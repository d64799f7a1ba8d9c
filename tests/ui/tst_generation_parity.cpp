// The program and kestro-cli generate from the same project file: the
// program from the diagrams it opened, kestro-cli from the records of the
// file. Both must write the same files byte for byte and report the same
// load notes, design errors and warnings, also for files that hold records
// the loader cannot place, machines whose identity numbers coincide under
// two boards, and machines of the same name.

#include "CodeGenerator.h"
#include "DefaultProject.h"
#include "ItemRef.h"
#include "OpenProject.h"
#include "RandomProject.h"
#include "ScriptedPrompter.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const char *const Epoch = "1700000000";

struct Output
{
    QMap<QString, QByteArray> files;   // name -> bytes
    QStringList notes;                  // load notes
    QStringList findings;               // "MODULE: [warning: ]TEXT", in order
};

QMap<QString, QByteArray> filesIn(const QString &directory)
{
    QMap<QString, QByteArray> files;
    for (const QFileInfo &info : QDir(directory).entryInfoList(QDir::Files)) {
        QFile f(info.filePath());
        f.open(QIODevice::ReadOnly);
        files.insert(info.fileName(), f.readAll());
    }
    return files;
}

QByteArray withStrayRecords(ProjectDocument document)
{
    // The first machine's block gets a state on no diagram ahead of its
    // own states (the loader used to drop every state after it), a
    // transition to a state that is not there, a memory item of a level no
    // diagram has, and a dataflow without direction; the first software
    // module a link with a missing end.
    for (CanvasBlock &block : document.blocks) {
        if (block.process.level == 5) {
            StateRecord stray = block.states.value(0);
            stray.label = "Stray";
            stray.parentId = 99;
            block.states.prepend(stray);
            TransitionRecord lost = block.transitions.value(0);
            lost.label = "Lost";
            lost.endItem = "Nowhere";
            block.transitions.insert(1, lost);
            MemoryRecord deep = block.memories.value(0);
            deep.label = "deep";
            deep.level = 9;
            block.memories.prepend(deep);
            break;
        }
    }
    for (CanvasBlock &block : document.blocks) {
        if (block.process.level == 4) {
            LinkRecord link = block.links.value(0);
            link.label = "halfLink";
            link.level = 5;
            link.parentId = block.process.id;
            link.grandParentId = block.process.parentId;
            link.startItem = "nobody";
            block.links << link;
            DataflowRecord flow = block.dataflows.value(0);
            flow.label = "aimless";
            flow.lineType = 0;
            block.dataflows.prepend(flow);
            break;
        }
    }
    return projectBytes(document);
}

} // namespace

class TestGenerationParity : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_cli = QStringLiteral(KESTRO_BINARY_DIR "/cli/kestro-cli");
        if (!QFileInfo(m_cli).isExecutable())
            QSKIP("kestro-cli is not built");
        QVERIFY(m_dir.isValid());
        qputenv("SOURCE_DATE_EPOCH", Epoch);
        QSettings s(m_dir.filePath("config/Orvanta/Kestro.conf"), QSettings::IniFormat);
        s.setValue("author", "Ann");
        s.setValue("organization", "Works");
        s.setValue("version", 2.5);
    }

    void sameFilesAndFindings_data()
    {
        QTest::addColumn<QByteArray>("project");
        RandomProjectOptions plain;
        plain.exoticText = false;
        RandomProjectOptions exotic;
        exotic.stateMachines = 3;
        // Two boards: the machines under the second have the same four
        // identity numbers as those under the first, and the same names.
        QTest::newRow("colliding ids, same names") << projectBytes(randomProject(3, plain));
        QTest::newRow("exotic labels") << projectBytes(randomProject(8, exotic));
        QTest::newRow("stray records") << withStrayRecords(randomProject(5, plain));
        QTest::newRow("new project") << projectBytes(DefaultProject::document("Fresh"));
        QFile example(QStringLiteral(KESTRO_SOURCE_DIR "/Examples/Example_1.qsmd"));
        QVERIFY(example.open(QIODevice::ReadOnly));
        QTest::newRow("example") << example.readAll();
    }

    void sameFilesAndFindings()
    {
        QFETCH(QByteArray, project);
        const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_').remove(',');
        const QString path = m_dir.filePath(name + ".qsmd");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(project);
        file.close();

        const Output program = viaProgram(project, m_dir.filePath(name + "-program"));
        const Output cli = viaCli(path, m_dir.filePath(name + "-cli"));
        QCOMPARE(program.notes, cli.notes);
        QCOMPARE(program.findings, cli.findings);
        QCOMPARE(program.files.keys(), cli.files.keys());
        for (const QString &file : program.files.keys())
            QVERIFY2(program.files.value(file) == cli.files.value(file), qPrintable(file));

        if (name.startsWith("colliding")) {
            // Each board's machines were generated from their own diagrams
            // and the twins of the second board were not written.
            QVERIFY(!program.files.isEmpty());
            QVERIFY(program.findings.filter("another state machine has this name").size() >= 1);
        } else if (name.startsWith("stray")) {
            QVERIFY2(cli.notes.filter("Stray").size() == 1, qPrintable(cli.notes.join('\n')));
            QVERIFY(cli.notes.filter("Lost").size() == 1);
            QVERIFY(cli.notes.filter("halfLink").size() == 1);
            QVERIFY(cli.notes.filter("aimless").size() == 1);
            QVERIFY(cli.notes.filter("deep").size() == 1);
        }
    }

private:
    Output viaCli(const QString &project, const QString &directory)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
        env.insert("SOURCE_DATE_EPOCH", Epoch);
        process.setProcessEnvironment(env);
        process.start(m_cli, { "generate", project, "-o", directory });
        process.waitForFinished(60000);
        Output output;
        const QString prefix = project + ": warning: ";
        for (const QString &line : QString::fromUtf8(process.readAllStandardError()).split('\n')) {
            if (line.startsWith(prefix))
                output.notes << line.mid(prefix.size());
            else if (!line.isEmpty())
                output.findings << line;
        }
        output.files = filesIn(directory);
        return output;
    }

    Output viaProgram(const QByteArray &bytes, const QString &directory)
    {
        Output output;
        OpenProject project;
        if (!project.open(bytes))
            qFatal("not opened: %s", qPrintable(project.error()));
        output.notes = project.notes();
        QDir().mkpath(directory);
        CodeGenerator generator;
        generator.setOutputDirectory(directory);
        generator.setAuthor("Ann");
        generator.setOrganization("Works");
        generator.setVersion(2.5);
        // The log is shown once per machine with findings; it tells which.
        generator.setDialogRunner([&](QDialog *) {
            for (const DesignFinding &f : generator.lastFindings()) {
                output.findings << printableText(generator.moduleName()) + ": "
                        + (f.severity == DesignFinding::Warning ? "warning: " : "") + f.text;
            }
            return int(QDialog::Accepted);
        });
        ScriptedPrompter prompter;
        generator.generateAll(project.canvases());
        if (!prompter.messages.isEmpty())
            qFatal("unexpected box: %s", qPrintable(prompter.messages.first().text));
        output.files = filesIn(directory);
        return output;
    }

    QString m_cli;
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestGenerationParity)
#include "tst_generation_parity.moc"
