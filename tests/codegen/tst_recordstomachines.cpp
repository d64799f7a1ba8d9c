#include "CEmitter.h"
#include "DefaultProject.h"
#include "MachineProject.h"
#include "ProjectFileReader.h"
#include "RecordsToMachines.h"
#include "SubMachineProject.h"

#include <QtTest>

namespace {

ProcessRecord process(int level, int id, int parentId, int grandParentId, const QString &label, int nos = 1)
{
    ProcessRecord p;
    p.level = level;
    p.id = id;
    p.parentId = parentId;
    p.grandParentId = grandParentId;
    p.label = label;
    p.nos = nos;
    return p;
}

StateRecord state(int parentId, const QString &label, bool initial = false)
{
    StateRecord s;
    s.level = 6;
    s.parentId = parentId;
    s.grandParentId = 1;
    s.label = label;
    s.ifInitialState = initial;
    s.action = label + "_code();";
    return s;
}

TransitionRecord transition(const QString &label, const QString &from, const QString &to)
{
    TransitionRecord t;
    t.level = 6;
    t.parentId = 1;
    t.grandParentId = 1;
    t.label = label;
    t.startItem = from;
    t.endItem = to;
    t.condition = "(" + label + ")";
    return t;
}

MemoryRecord memory(int level, int parentId, const QString &label, const QString &datatype = "int")
{
    MemoryRecord m;
    m.level = level;
    m.parentId = parentId;
    m.grandParentId = 1;
    m.label = label;
    m.datatype = datatype;
    return m;
}

DataflowRecord dataflow(int lineType, const QString &from, const QString &to)
{
    DataflowRecord d;
    d.level = 5;
    d.parentId = 1;
    d.grandParentId = 1;
    d.lineType = lineType;
    d.startItem = from;
    d.endItem = to;
    return d;
}

// A project with two machines under one software module and one machine
// whose module does not exist.
RecordsToMachines::Records project()
{
    RecordsToMachines::Records r;
    r.processes << process(1, 1, 1, 1, "Project") << process(2, 1, 1, 1, "Hardware Module")
                << process(3, 1, 1, 1, "Microcontroller") << process(4, 1, 1, 1, "Software Module")
                << process(5, 1, 1, 1, "Door Ctrl", 2) << process(5, 2, 1, 1, "Second", 2)
                << process(5, 1, 9, 1, "Orphan");
    r.processes[4].description = "the door";
    r.states << state(1, "Idle", true) << state(1, "Open") << state(2, "Other", true) << state(1, "Idle");
    StateRecord wrongLevel = state(1, "Ghost");
    wrongLevel.level = 5;
    r.states << wrongLevel;
    r.transitions << transition("t1", "Idle", "Open") << transition("loop", "Open", "Open")
                  << transition("lost", "Open", "Nowhere") << transition("t3", "Open", "Idle");
    TextRecord text;
    text.level = 6;
    text.parentId = 1;
    text.grandParentId = 1;
    text.type = 2;
    text.action = "#define X 1";
    r.texts << text;
    r.memories << memory(6, 1, "count") << memory(5, 1, "shared") << memory(6, 2, "other", "char");
    r.dataflows << dataflow(1, "Door Ctrl", "shared") << dataflow(2, "shared", "Door Ctrl")
                << dataflow(1, "Door Ctrl", "shared") << dataflow(2, "shared", "Second")
                << dataflow(1, "Door Ctrl", "missing") << dataflow(0, "Door Ctrl", "shared");
    return r;
}

} // namespace

class TestRecordsToMachines : public QObject
{
    Q_OBJECT
private slots:
    void machinesOfAProject()
    {
        const QVector<MachineDescription> machines = RecordsToMachines::build(project());
        QCOMPARE(machines.size(), 2);
        const MachineDescription &door = machines.at(0);
        QCOMPARE(door.processLabel, QString("Door Ctrl"));
        QCOMPARE(door.processDescription, QString("the door"));
        QCOMPARE(door.states.size(), 3);
        QCOMPARE(door.states.at(0).label, QString("Idle"));
        QVERIFY(door.states.at(0).initial);
        QCOMPARE(door.states.at(1).action, QString("Open_code();"));
        QCOMPARE(door.texts.size(), 1);
        QCOMPARE(door.texts.at(0).type, 2);
        QCOMPARE(door.memories.size(), 1);
        QCOMPARE(door.memories.at(0).label, QString("count"));
        QCOMPARE(door.outputVariables, 2);
        QCOMPARE(door.inputVariables, 1);

        const MachineDescription &second = machines.at(1);
        QCOMPARE(second.processLabel, QString("Second"));
        QCOMPARE(second.states.size(), 1);
        QCOMPARE(second.memories.at(0).datatype, QString("char"));
        QCOMPARE(second.inputVariables, 1);
        QCOMPARE(second.outputVariables, 0);
        QCOMPARE(second.transitionCount, 0);
    }

    void transitionsJoinTheLastStateOfTheirLabel()
    {
        const MachineDescription door = RecordsToMachines::build(project()).at(0);
        // "lost" names no state and is not part of the diagram; the self
        // transition counts and is in its state's list of self transitions.
        QCOMPARE(door.transitions.size(), 3);
        QCOMPARE(door.transitionCount, 3);
        QCOMPARE(door.transitions.at(0).label, QString("t1"));
        QCOMPARE(door.transitions.at(0).start, 2);   // the second "Idle"
        QCOMPARE(door.transitions.at(0).end, 1);
        QCOMPARE(door.transitions.at(1).start, 1);
        QCOMPARE(door.transitions.at(1).end, 1);
        QCOMPARE(door.transitions.at(2).end, 2);
        QCOMPARE(door.states.at(0).transitions, QVector<int>());
        QCOMPARE(door.states.at(1).transitions, (QVector<int> { 0, 2 }));
        QCOMPARE(door.states.at(2).transitions, (QVector<int> { 0, 2 }));
        QCOMPARE(door.states.at(1).selfTransitions, QVector<int> { 1 });
        QCOMPARE(door.states.at(0).selfTransitions, QVector<int>());
        QCOMPARE(door.states.at(2).selfTransitions, QVector<int>());
    }

    void processItemMustMatchTheNode()
    {
        RecordsToMachines::Records r = project();
        // A second process item with the same id opens the same diagram: the
        // tree lists that diagram twice, each time under its own item, whose
        // label and dataflows count (dataflows join the last item of their
        // label: the duplicate). The orphan module's machine is left out.
        r.processes << process(5, 1, 1, 1, "Door Ctrl", 2);
        LoadNotes notes;
        QVector<MachineDescription> machines = RecordsToMachines::build(r, &notes);
        QCOMPARE(machines.size(), 3);
        QCOMPARE(machines.at(2).states.size(), 3);
        QCOMPARE(machines.at(2).nodePath, machines.at(0).nodePath);
        QCOMPARE(machines.at(2).outputVariables, 2);
        QCOMPARE(machines.at(0).outputVariables, 0);
        const QString notesText = loadNoteTexts(notes).join('\n');
        QVERIFY2(notesText.contains("Process item 'Door Ctrl' on 'Software Module': 2 process items have the id 1"),
                 qPrintable(notesText));
        QVERIFY2(notesText.contains("Process item 'Orphan': no diagram"), qPrintable(notesText));

        // Without its software module a machine is skipped.
        r.processes.removeAt(3);
        QCOMPARE(RecordsToMachines::build(r).size(), 0);
    }

    // Sub-machines come depth first in the order of their blocks, each
    // naming the diagram that holds it and the holder's place there; a
    // holder whose diagram is not stored holds an empty sub-machine, after
    // the stored ones of its diagram.
    void subMachinesOfAMachine()
    {
        ProjectDocument doc = DefaultProject::document("Motors");
        doc.layout = GroupLayout::Saved;
        const int running = SubMachineProject::add(&doc, 3, "SecondaryState", { "RampUp", "Cruise", "RampDown" }, true);
        const int cruise = SubMachineProject::add(&doc, running, "Cruise", { "Hold", "Trim" });
        const int hold = SubMachineProject::add(&doc, cruise, "Hold", { "A", "B" });
        SubMachineProject::add(&doc, hold, "A", { "X" });
        SubMachineProject::add(&doc, 3, "InitialState", { "Wait" });
        doc.blocks[running].states[2].subMachine = "start";
        ProjectFileReader reader;
        QVERIFY(reader.loadData(MachineProject::bytes(doc)));
        const QVector<MachineDescription> machines = RecordsToMachines::build(reader.takeRecords());
        QCOMPARE(machines.size(), 1);
        const MachineDescription &m = machines.at(0);
        QCOMPARE(int(m.subMachines.size()), 6);
        struct Expected { const char *label; int parent, holder, states; };
        const Expected expected[] = { { "SecondaryState", -1, 1, 3 }, { "Cruise", 0, 1, 2 }, { "Hold", 1, 0, 2 },
                                      { "A", 2, 0, 1 }, { "RampDown", 0, 2, 0 }, { "InitialState", -1, 0, 1 } };
        for (int i = 0; i < 6; ++i) {
            const MachineDescription &sub = m.subMachines.at(size_t(i));
            QCOMPARE(sub.processLabel, QString(expected[i].label));
            QCOMPARE(sub.parent, expected[i].parent);
            QCOMPARE(sub.holder, expected[i].holder);
            QCOMPARE(sub.states.size(), expected[i].states);
            QVERIFY(sub.subMachines.empty());
            const MachineDescription &parent = sub.parent < 0 ? m : m.subMachines.at(size_t(sub.parent));
            QCOMPARE(parent.states.at(sub.holder).subMachine, i);
            QCOMPARE(parent.states.at(sub.holder).label, sub.processLabel);
        }
        QVERIFY(m.states.at(1).resumes);
        QVERIFY(!m.states.at(0).resumes);
        QCOMPARE(m.subMachines.at(1).states.at(0).subMachine, 2);
        QCOMPARE(m.subMachines.at(0).states.at(0).subMachine, -1);
        QCOMPARE(m.subMachines.at(0).transitions.size(), 2);
        QCOMPARE(m.subMachines.at(0).transitions.at(0).start, 0);
        QCOMPARE(m.subMachines.at(0).transitions.at(0).end, 1);
        QCOMPARE(m.subMachines.at(0).nodePath, m.nodePath + QVector<int>{ 1 });
        QCOMPARE(m.subMachines.at(5).nodePath, m.nodePath + QVector<int>{ 2 });
        QCOMPARE(m.subMachines.at(3).nodePath, m.nodePath + QVector<int>({ 1, 1, 1, 1 }));
    }

    void generatesFromRecords()
    {
        ModuleProperties p;
        const GeneratedModule g = CEmitter::generate(RecordsToMachines::build(project()).at(0), p);
        QCOMPARE(g.headerFileName, QString("Door_Ctrl.h"));
        QVERIFY(g.source.contains("\n\t/* -- case where transition is executed t3 -- */\n\tif (t3)"));
        // The self transition closes its state's chain.
        QVERIFY(g.source.contains("executed loop -- */\n\t"));
        QVERIFY(g.header.contains(" * Number of Transitions: 3 \n * Input variables: 1 \n * Output variables: 2 \n"));
    }
};

QTEST_MAIN(TestRecordsToMachines)
#include "tst_recordstomachines.moc"
