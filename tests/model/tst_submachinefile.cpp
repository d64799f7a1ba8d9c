#include "DefaultProject.h"
#include "MachineProject.h"
#include "ProjectDocument.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"
#include "RandomProject.h"
#include "RecordPlacement.h"
#include "SubMachineLevels.h"
#include "SubMachineProject.h"

#include <QtTest>

namespace {

ProjectRecordLists load(const QByteArray &bytes)
{
    ProjectFileReader reader;
    if (!reader.loadData(bytes))
        qWarning() << reader.errorString();
    return reader.takeRecords();
}

int stateNamed(const ProjectRecordLists &records, const QString &label)
{
    for (int i = 0; i < records.states.size(); ++i) {
        if (records.states.at(i).label == label)
            return i;
    }
    return -1;
}

// The default project (its machine is block 3, canvas 4) with sub-machines
// four levels deep under SecondaryState and one more under InitialState.
ProjectDocument nested()
{
    ProjectDocument doc = DefaultProject::document(QStringLiteral("Motors"));
    doc.layout = GroupLayout::Saved;
    const int running = SubMachineProject::add(&doc, 3, "SecondaryState", {"RampUp", "Cruise", "RampDown"}, true);
    const int cruise = SubMachineProject::add(&doc, running, "Cruise", {"Hold", "Trim"});
    const int hold = SubMachineProject::add(&doc, cruise, "Hold", {"A", "B"});
    SubMachineProject::add(&doc, hold, "A", {"X"});
    SubMachineProject::add(&doc, 3, "InitialState", {"Wait"});
    return doc;
}

} // namespace

// Sub-machine diagrams are stored as blocks after their parent diagram and
// joined to their states by label.
class TestSubMachineFile : public QObject
{
    Q_OBJECT

private slots:
    void subMachinesRoundTripAtEveryLevel();
    void looseSubMachinePartsAreNoted();
};

void TestSubMachineFile::subMachinesRoundTripAtEveryLevel()
{
    const ProjectDocument doc = nested();
    const QByteArray bytes = MachineProject::bytes(doc);
    // The tree text lists the process nodes only.
    QCOMPARE(treeTextFromBlocks(doc), treeTextFromBlocks(DefaultProject::document(QStringLiteral("Motors"))));
    QVERIFY(bytes.contains("<subMachine>resume</subMachine>"));
    QVERIFY(bytes.contains("<subMachine>start</subMachine>"));

    const ProjectRecordLists records = load(bytes);
    ProjectDocument regrouped;
    QString error;
    QVERIFY2(groupRecords(records, GroupLayout::Saved, &regrouped, &error), qPrintable(error));
    QCOMPARE(MachineProject::bytes(regrouped), bytes);

    const RecordPlacement placement(records);
    QCOMPARE(loadNoteTexts(placement.notes()), QStringList());
    // Canvases are Process records: 0 the project, 4 the machine, then the
    // blocks in file order.
    const QStringList expected{"SecondaryState", "Cruise", "Hold", "A", "InitialState"};
    QVector<int> visited;
    for (const RecordPlacement::Visit &visit : placement.reachable())
        visited << visit.canvas;
    QCOMPARE(visited, QVector<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    const QVector<int> machinePath = placement.path(4);
    const QVector<QVector<int>> paths{machinePath + QVector<int>{1}, machinePath + QVector<int>{1, 1},
                                      machinePath + QVector<int>{1, 1, 1},
                                      machinePath + QVector<int>{1, 1, 1, 1}, machinePath + QVector<int>{2}};
    const QVector<int> parents{4, 5, 6, 7, 4};
    for (int i = 0; i < expected.size(); ++i) {
        const int canvas = 5 + i;
        QCOMPARE(records.processes.at(canvas).label, expected.at(i));
        QCOMPARE(records.processes.at(canvas).level, i < 4 ? MachineCanvasLevel + 1 + i : MachineCanvasLevel + 1);
        const int holder = placement.holderOf(canvas);
        QCOMPARE(records.states.value(holder).label, expected.at(i));
        QCOMPARE(placement.stateCanvas(holder), parents.at(i));
        QCOMPARE(placement.subMachineOf(holder), canvas);
        QVERIFY(placement.holdsSubMachine(holder));
        QCOMPARE(placement.parentOf(canvas), parents.at(i));
        QCOMPARE(placement.path(canvas), paths.at(i));
    }
    QCOMPARE(placement.subMachinesOn(4), QVector<int>({5, 9}));
    QVERIFY(resumesSubMachine(records.states.at(stateNamed(records, "SecondaryState")).subMachine));
    QVERIFY(!resumesSubMachine(records.states.at(stateNamed(records, "Cruise")).subMachine));
    // Every item is on its own diagram, every transition joins two states
    // of that diagram.
    QCOMPARE(placement.stateCanvas(stateNamed(records, "RampDown")), 5);
    QCOMPARE(placement.stateCanvas(stateNamed(records, "X")), 8);
    QCOMPARE(placement.stateCanvas(stateNamed(records, "Wait")), 9);
    for (int t = 0; t < records.transitions.size(); ++t) {
        const int canvas = placement.transitionCanvas(t);
        QVERIFY(canvas != RecordPlacement::None);
        QCOMPARE(placement.stateCanvas(placement.transitionStart(t)), canvas);
        QCOMPARE(placement.stateCanvas(placement.transitionEnd(t)), canvas);
        QCOMPARE(records.states.at(placement.transitionStart(t)).label, records.transitions.at(t).startItem);
    }
    QVERIFY(placement.holderOf(4) == RecordPlacement::None && placement.parentOf(4) == RecordPlacement::None);

    // Random projects with sub-machines four levels deep under every
    // machine read back as written, every sub-machine joined.
    for (quint32 seed : {1u, 2u, 3u}) {
        RandomProjectOptions options;
        options.subMachineLevels = MaxSubMachineDepth;
        options.randomCounts = true;
        const ProjectDocument random = randomProject(seed, options);
        const QByteArray written = MachineProject::bytes(random);
        const ProjectRecordLists read = load(written);
        ProjectDocument again;
        QVERIFY(groupRecords(read, GroupLayout::Saved, &again, &error));
        QCOMPARE(MachineProject::bytes(again), written);
        const RecordPlacement randomPlacement(read);
        int joined = 0;
        for (int c = 0; c < read.processes.size(); ++c)
            joined += randomPlacement.holderOf(c) != RecordPlacement::None;
        int subMachines = 0;
        for (const CanvasBlock &block : random.blocks)
            subMachines += isSubMachineLevel(block.process.level);
        QVERIFY(subMachines >= MaxSubMachineDepth);
        QCOMPARE(joined, subMachines);
        QCOMPARE(randomPlacement.reachable().size(), read.processes.size());
    }
}

void TestSubMachineFile::looseSubMachinePartsAreNoted()
{
    // A block whose state holds no sub-machine, a second block for one
    // state, and a holder on the deepest level, which cannot hold one.
    ProjectDocument doc = nested();
    doc.blocks[3].states[1].subMachine.clear();   // "SecondaryState" now holds none
    const int second = SubMachineProject::add(&doc, 3, "InitialState", {"Again"});
    doc.blocks[7].states[0].subMachine = QLatin1String(SubMachineStart);   // "X", level 9
    // A state that says it holds a sub-machine whose diagram is missing.
    doc.blocks[3].states << SubMachineProject::state(MachineCanvasLevel, "Lonely", 900);
    doc.blocks[3].states.last().parentId = doc.blocks[3].states.last().grandParentId = 1;
    doc.blocks[3].states.last().subMachine = QLatin1String(SubMachineStart);
    QCOMPARE(doc.blocks.at(second).process.label, QStringLiteral("InitialState"));

    const ProjectRecordLists records = load(MachineProject::bytes(doc));
    const RecordPlacement placement(records);
    QCOMPARE(loadNoteTexts(placement.notes()),
             QStringList({"Sub-machine 'X' on 'A': sub-machines go at most 4 levels below their machine; "
                          "not kept",
                          "Sub-machine 'SecondaryState' on 'StateMachine_1': no state with this label holds a "
                          "sub-machine there; its diagram and everything on it are not kept",
                          "Sub-machine 'InitialState' on 'StateMachine_1': its state has a sub-machine "
                          "diagram already; this diagram and everything on it are not kept"}));
    QVERIFY(!placement.holdsSubMachine(stateNamed(records, "X")));
    QCOMPARE(placement.holderOf(5), int(RecordPlacement::None));
    const int lonely = stateNamed(records, "Lonely");
    QVERIFY(placement.holdsSubMachine(lonely));
    QCOMPARE(placement.subMachineOf(lonely), int(RecordPlacement::None));
    // What is not joined is not reached; the first InitialState diagram is.
    QVector<int> visited;
    for (const RecordPlacement::Visit &visit : placement.reachable())
        visited << visit.canvas;
    QCOMPARE(visited, QVector<int>({0, 1, 2, 3, 4, 9}));
}

QTEST_MAIN(TestSubMachineFile)
#include "tst_submachinefile.moc"
