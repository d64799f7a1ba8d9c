#include "CEmitter.h"
#include "ExampleProject.h"
#include "ModuleFiles.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"
#include "RecordsToMachines.h"
#include "TreeModel.h"
#include "TreeNode.h"

#include <QtTest>

// The sample project the app tour and Open Examples use: it must be the file
// the builder produces, read cleanly, be laid out the way the tour walks it
// and generate C modules that compile and run.
class TestExampleProject : public QObject
{
    Q_OBJECT

    static QString examplePath() { return QStringLiteral(KESTRO_SOURCE_DIR "/Examples/Example_1.qsmd"); }

    // Records of the canvas a Process record opens, one kind at a time.
    template <typename Record>
    static QVector<Record> itemsOf(const QVector<Record> &records, const ProcessRecord &canvas)
    {
        QVector<Record> found;
        for (const Record &r : records) {
            if (r.level - 1 == canvas.level && r.parentId == canvas.id && r.grandParentId == canvas.parentId)
                found << r;
        }
        return found;
    }

    ProjectRecordLists m_records;
    QString m_cc;

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsSet("KESTRO_WRITE_EXAMPLE")) {
            ProjectFileWriter writer;
            QVERIFY2(writer.write(ExampleProject::document(), examplePath()), qPrintable(writer.errorString()));
        }
        ProjectFileReader reader;
        QVERIFY2(reader.check(examplePath()), qPrintable(reader.errorString()));
        QVERIFY2(reader.load(examplePath()), qPrintable(reader.errorString()));
        m_records = reader.takeRecords();
        m_cc = QStandardPaths::findExecutable(QStringLiteral("cc"));
    }

    void committedFileIsWhatTheBuilderWrites()
    {
        QFile file(examplePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray expected;
        ProjectFileWriter writer;
        QVERIFY(writer.writeToBytes(ExampleProject::document(), &expected));
        QVERIFY2(file.readAll() == expected,
                 "Examples/Example_1.qsmd is stale: rewrite it with KESTRO_WRITE_EXAMPLE=1 tst_example_project");
        QString problem = documentProblem(ExampleProject::document());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void recordsGroupBackIntoTheDocument()
    {
        ProjectDocument grouped;
        QString error;
        QVERIFY2(groupRecords(m_records, GroupLayout::Saved, &grouped, &error), qPrintable(error));
        QByteArray rewritten, expected;
        ProjectFileWriter writer;
        QVERIFY(writer.writeToBytes(grouped, &rewritten));
        QVERIFY(writer.writeToBytes(ExampleProject::document(), &expected));
        QCOMPARE(rewritten, expected);
    }

    void treeAndCanvasOrderSuitTheTour()
    {
        // Canvases are created one per Process record, in file order.
        const QVector<ProcessRecord> &canvases = m_records.processes;
        QCOMPARE(canvases.size(), 8);
        QCOMPARE(canvases.at(0).level, 1);

        // Step 1: root -> first child three times, a node whose diagram has process items.
        TreeModel model({ QString() }, m_records.treeText);
        const TreeNode *node = model.rootNode();
        for (int i = 0; i < 3; ++i) {
            QVERIFY(node->childCount() > 0);
            node = node->child(0);
        }
        QCOMPARE(node->name(), QStringLiteral("Microcontroller"));
        QCOMPARE(node->level(), 3);
        const auto nodeCanvas = std::find_if(canvases.begin(), canvases.end(), [node](const ProcessRecord &p) {
            return p.level == node->level() && p.id == node->id() && p.parentId == node->parentId()
                && p.label == node->name();
        });
        QVERIFY(nodeCanvas != canvases.end());
        QVERIFY(itemsOf(canvases, *nodeCanvas).size() >= 2);

        // Step 2: the third diagram has a link.
        QVERIFY(!itemsOf(m_records.links, canvases.at(2)).isEmpty());

        // Steps 3 to 7: the fifth diagram is a state machine with all the
        // elements the tour points at.
        const ProcessRecord &machine = canvases.at(4);
        QCOMPARE(machine.level, 5);
        const QVector<StateRecord> states = itemsOf(m_records.states, machine);
        QVERIFY(std::any_of(states.begin(), states.end(), [](const StateRecord &s) { return s.ifInitialState; }));
        QVERIFY(std::any_of(states.begin(), states.end(), [](const StateRecord &s) { return !s.ifInitialState; }));
        QVERIFY(!itemsOf(m_records.transitions, machine).isEmpty());
        QVERIFY(!itemsOf(m_records.memories, machine).isEmpty());
        QVERIFY(!itemsOf(m_records.texts, machine).isEmpty());
    }

    // The boxes of every diagram stay on the default canvas and do not cover
    // each other.
    void diagramsAreLaidOutCleanly_data()
    {
        QTest::addColumn<int>("canvas");
        for (int i = 1; i < m_records.processes.size(); ++i)
            QTest::newRow(qPrintable(m_records.processes.at(i).label)) << i;
    }

    void diagramsAreLaidOutCleanly()
    {
        QFETCH(int, canvas);
        const ProcessRecord &owner = m_records.processes.at(canvas);
        QVector<QPair<QString, QRectF>> boxes;
        const auto add = [&boxes](const QString &what, double x, double y, const PolygonPoints &outline) {
            boxes << qMakePair(what, QPolygonF(outline).boundingRect().translated(x, y));
        };
        for (const ProcessRecord &p : itemsOf(m_records.processes, owner))
            add(p.label, p.xCoord, p.yCoord, p.polygon);
        for (const MemoryRecord &m : itemsOf(m_records.memories, owner))
            add(m.label, m.xCoord, m.yCoord, m.polygon);
        for (const StateRecord &s : itemsOf(m_records.states, owner))
            add(s.label, s.xCoord, s.yCoord, s.polygon);
        for (const TransitionRecord &t : itemsOf(m_records.transitions, owner))
            add(t.label, t.xCoord, t.yCoord, t.polygon);
        for (const LinkRecord &l : itemsOf(m_records.links, owner))
            add(l.label, l.xCoord, l.yCoord, l.polygon);
        for (const DataflowRecord &d : itemsOf(m_records.dataflows, owner))
            add(d.startItem + "->" + d.endItem, d.xCoord, d.yCoord, d.polygon);
        for (const TextRecord &t : itemsOf(m_records.texts, owner))
            add(QStringLiteral("text %1").arg(t.type), t.xCoord, t.yCoord, t.polygon);
        QVERIFY(!boxes.isEmpty());
        const QRectF area(0, 0, 2000, 1050);   // the default canvas size
        for (int i = 0; i < boxes.size(); ++i) {
            QVERIFY2(area.contains(boxes.at(i).second), qPrintable(boxes.at(i).first));
            for (int j = i + 1; j < boxes.size(); ++j)
                QVERIFY2(!boxes.at(i).second.intersects(boxes.at(j).second),
                         qPrintable(boxes.at(i).first + " / " + boxes.at(j).first));
        }
    }

    void everyMachineCompilesAndRuns()
    {
        const QVector<MachineDescription> machines = RecordsToMachines::build(m_records);
        QCOMPARE(machines.size(), 3);
        if (m_cc.isEmpty())
            QSKIP("no C compiler on this system");
        for (const MachineDescription &machine : machines) {
            const GeneratedModule module = CEmitter::generate(machine, ModuleProperties());
            QVERIFY2(module.errors.isEmpty(), qPrintable(module.errors.join('\n')));
            QTemporaryDir dir;
            QVERIFY(ModuleFiles::write(dir.path(), module).ok());
            compileAndRun(dir.path(), machine, module);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void machinesCountTheirDataflows()
    {
        const QVector<MachineDescription> machines = RecordsToMachines::build(m_records);
        QCOMPARE(machines.size(), 3);
        QCOMPARE(machines.at(0).processLabel, QStringLiteral("SpeedControl"));
        QCOMPARE(machines.at(0).inputVariables, 1);
        QCOMPARE(machines.at(0).outputVariables, 1);
        QCOMPARE(machines.at(0).transitionCount, 5);   // the self transition counts
        QCOMPARE(machines.at(1).processLabel, QStringLiteral("FaultMonitor"));
        QCOMPARE(machines.at(1).inputVariables, 1);
        QCOMPARE(machines.at(1).outputVariables, 0);
        QCOMPARE(machines.at(2).processLabel, QStringLiteral("CommandParser"));
        QCOMPARE(machines.at(2).inputVariables, 1);
        QCOMPARE(machines.at(2).outputVariables, 1);
        // The memory items behind them, with their types.
        const auto names = [](const QVector<MachineMemory> &memories) {
            QStringList list;
            for (const MachineMemory &m : memories)
                list << m.label + QLatin1Char(':') + m.datatype;
            return list;
        };
        QCOMPARE(names(machines.at(0).inputs), QStringList{ "speedLimit:uint16_t" });
        QCOMPARE(names(machines.at(0).outputs), QStringList{ "motorSpeed:uint16_t" });
        QCOMPARE(names(machines.at(1).inputs), QStringList{ "motorSpeed:uint16_t" });
        QCOMPARE(names(machines.at(2).inputs), QStringList{ "rxBuffer:uint8_t" });
        QCOMPARE(names(machines.at(2).outputs), QStringList{ "command:uint8_t" });
    }

    void commandLineToolWritesTheSameModules()
    {
        const QString cli = QStringLiteral(KESTRO_BINARY_DIR "/cli/kestro-cli");
        if (!QFileInfo(cli).isExecutable())
            QSKIP("kestro-cli is not built");
        QTemporaryDir dir;
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QStringLiteral("1700000000"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(cli, { QStringLiteral("generate"), examplePath(), QStringLiteral("-o"), dir.path(),
                             QStringLiteral("--author"), QStringLiteral("A. Tester"), QStringLiteral("--organization"),
                             QStringLiteral("Lab"), QStringLiteral("--module-version"), QStringLiteral("2.5") });
        QVERIFY(process.waitForFinished(60000));
        QVERIFY2(process.exitCode() == 0, process.readAll().constData());

        ModuleProperties properties;
        properties.projectName = ExampleProject::projectName();
        properties.author = QStringLiteral("A. Tester");
        properties.organization = QStringLiteral("Lab");
        properties.version = 2.5;
        properties.date = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC).date();
        for (const MachineDescription &machine : RecordsToMachines::build(m_records)) {
            const GeneratedModule module = CEmitter::generate(machine, properties);
            QCOMPARE(readText(ModuleFiles::headerPath(dir.path(), module)), module.header);
            QCOMPARE(readText(ModuleFiles::sourcePath(dir.path(), module)), module.source);
        }
    }

private:
    static QString readText(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return QStringLiteral("<missing %1>").arg(path);
        return QString::fromUtf8(file.readAll());
    }

    // Builds the module with a driver that checks the start in the initial
    // state and prints the index of the state after every cycle.
    void compileAndRun(const QString &dir, const MachineDescription &machine, const GeneratedModule &module)
    {
        const QString m = module.moduleName;
        int initial = -1;
        for (int i = 0; i < machine.states.size() && initial < 0; ++i) {
            if (machine.states.at(i).initial)
                initial = i;
        }
        QVERIFY(initial >= 0);
        const QString driver = QStringLiteral(
            "#include \"%1\"\n#include <stdio.h>\n"
            "int main(void)\n{\n"
            "    int i;\n"
            "    %2Initialize();\n"
            "    if (%2GetState() != %3)\n        return 3;\n"
            "    for (i = 0; i < 60; ++i) {\n"
            "        %2();\n"
            "        printf(\"%d\\n\", (int)%2GetState());\n"
            "    }\n"
            "    return 0;\n}\n")
                                   .arg(module.headerFileName, m,
                                        CEmitter::stateEnumerator(m, machine.states.at(initial).label));
        QFile file(dir + QStringLiteral("/driver.c"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(driver.toUtf8());
        file.close();

        QProcess cc;
        cc.setWorkingDirectory(dir);
        cc.setProcessChannelMode(QProcess::MergedChannels);
        cc.start(m_cc, { QStringLiteral("-std=c99"), QStringLiteral("-Wall"), QStringLiteral("-Wextra"),
                         QStringLiteral("-Werror"), QStringLiteral("-o"), QStringLiteral("machine"),
                         QStringLiteral("driver.c"), module.sourceFileName });
        QVERIFY(cc.waitForFinished(60000));
        QVERIFY2(cc.exitCode() == 0, qPrintable(QString::fromLocal8Bit(cc.readAll()) + '\n' + module.source));

        QProcess run;
        run.setWorkingDirectory(dir);
        run.start(dir + QStringLiteral("/machine"), QStringList());
        QVERIFY(run.waitForFinished(30000));
        QVERIFY2(run.exitCode() == 0, qPrintable(m + QStringLiteral(" did not start in its initial state")));
        // Within the cycles run, the machine passes through every state.
        QSet<int> visited;
        const QList<QByteArray> lines = run.readAllStandardOutput().split('\n');
        for (const QByteArray &line : lines) {
            if (!line.isEmpty())
                visited.insert(line.toInt());
        }
        for (int i = 0; i < machine.states.size(); ++i)
            QVERIFY2(visited.contains(i), qPrintable(m + " never reached " + machine.states.at(i).label));
        QVERIFY2(!visited.contains(machine.states.size()), qPrintable(m + " fell back to its start value"));
    }
};

QTEST_MAIN(TestExampleProject)
#include "tst_example_project.moc"
