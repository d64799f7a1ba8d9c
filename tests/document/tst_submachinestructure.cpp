// The sub-machine diagrams of an open Project: a holder's id is its place
// among the holders of its diagram, so giving an earlier state a
// sub-machine (or taking one away) renumbers the later ones, and their
// diagrams, the diagrams below them and their nodes follow; a save writes
// the blocks in that order and a reopened project joins every diagram to
// the same state. Renaming a holder renames its diagram and node. A state
// that says it holds a sub-machine no block stores gets an empty one.

#include "AddStateCommand.h"
#include "Canvas.h"
#include "CanvasPaths.h"
#include "ItemChangeCommand.h"
#include "MachineProject.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectDocument.h"
#include "ProjectFileReader.h"
#include "StateItem.h"
#include "SubMachineLevels.h"
#include "SubMachineProject.h"
#include "TreeModel.h"
#include "TreeNode.h"

#include <QUndoStack>
#include <QtTest>

namespace {

ProjectRecordLists recordsOf(const ProjectDocument &document)
{
    ProjectFileReader reader;
    if (!reader.loadData(MachineProject::bytes(document)))
        return {};
    return reader.takeRecords();
}

// A state of the skeleton's machine.
StateRecord machineState(const QString &label, double x)
{
    StateRecord s = SubMachineProject::state(MachineCanvasLevel, label, x);
    s.parentId = s.grandParentId = 1;
    return s;
}

// Project "P", machine "M" with the states A, B, C.
ProjectRecordLists threeStates()
{
    ProjectDocument document = MachineProject::skeleton(QStringLiteral("P"), QStringLiteral("M"));
    double x = 0;
    for (const char *label : {"A", "B", "C"})
        document.blocks[3].states << machineState(QLatin1String(label), x += 300);
    return recordsOf(document);
}

Canvas *named(const Project &project, const QString &name, int level)
{
    for (Canvas *canvas : project.canvases()) {
        if (canvas->name() == name && canvas->level() == level)
            return canvas;
    }
    return nullptr;
}

StateItem *stateNamed(const Canvas *canvas, const QString &label)
{
    for (StateItem *state : canvas->states()) {
        if (state->label() == label)
            return state;
    }
    return nullptr;
}

StateItem *addState(Canvas *canvas, const QString &label)
{
    auto *command = new AddStateCommand(canvas, 100 + 300 * canvas->states().size(), 100);
    command->state()->setLabel(label);
    canvas->pushCommand(command);
    return command->state();
}

// The names of the nodes below the machine "M", depth first, each with its
// level and id: "A:6:1".
QStringList nodesBelow(Project &project, const Canvas *machine)
{
    QStringList found;
    const TreeNode *node = project.structure().nodeForCanvas(machine);
    std::function<void(const TreeNode *)> walk = [&](const TreeNode *parent) {
        for (int row = 0; row < parent->childCount(); ++row) {
            const TreeNode *child = parent->child(row);
            found << QStringLiteral("%1:%2:%3").arg(child->name()).arg(child->level()).arg(child->id());
            walk(child);
        }
    };
    if (node)
        walk(node);
    return found;
}

QStringList blockLabels(const ProjectDocument &document)
{
    QStringList labels;
    for (const CanvasBlock &block : document.blocks) {
        if (isSubMachineLevel(block.process.level))
            labels << QStringLiteral("%1:%2:%3").arg(block.process.label).arg(block.process.level).arg(block.process.id);
    }
    return labels;
}

} // namespace

class TestSubMachineStructure : public QObject
{
    Q_OBJECT

private slots:
    void holdersAreNumberedInListOrder();
    void renamedHolderRenamesItsDiagram();
    void holderWithoutBlockGetsAnEmptyDiagram();
    void subMachinesFollowTheirMachinesDiagram();
};

void TestSubMachineStructure::holdersAreNumberedInListOrder()
{
    Project project;
    QVERIFY(project.open(threeStates()).isEmpty());
    Canvas *machine = named(project, QStringLiteral("M"), MachineCanvasLevel);
    QVERIFY(machine);
    StateItem *a = stateNamed(machine, QStringLiteral("A"));
    StateItem *b = stateNamed(machine, QStringLiteral("B"));
    StateItem *c = stateNamed(machine, QStringLiteral("C"));

    Canvas *ofC = project.addSubMachine(machine, c, QLatin1String(SubMachineStart));
    QVERIFY(ofC);
    addState(ofC, QStringLiteral("InC"));
    Canvas *deep = project.addSubMachine(ofC, stateNamed(ofC, QStringLiteral("InC")), QLatin1String(SubMachineResume));
    QVERIFY(deep);
    addState(deep, QStringLiteral("Deepest"));
    QCOMPARE(ofC->id(), 1);
    // A holder earlier in the list takes id 1; C and what is below it move on.
    QVERIFY(project.addSubMachine(machine, a, QLatin1String(SubMachineStart)));
    QVERIFY(!project.addSubMachine(machine, a, QLatin1String(SubMachineStart)));   // it holds one
    Canvas *ofB = project.addSubMachine(machine, b, QLatin1String(SubMachineStart));
    QVERIFY(ofB);
    QCOMPARE(c->subMachineId(), 3);
    QCOMPARE(ofC->id(), 3);
    QCOMPARE(CanvasPaths::canvasPath(deep), CanvasPaths::canvasPath(machine) + NodePath({3, 1}));
    QCOMPARE(deep->parentId(), 3);
    QCOMPARE(deep->level(), 7);
    QCOMPARE(project.subMachines().holderOf(deep), stateNamed(ofC, QStringLiteral("InC")));
    QCOMPARE(project.subMachines().parentOf(deep), ofC);
    QCOMPARE(nodesBelow(project, machine), QStringList({"A:6:1", "B:6:2", "C:6:3", "InC:7:1"}));

    // Saved in that order and joined to the same states when reopened.
    ProjectDocument document;
    QVERIFY(project.snapshot(&document));
    QCOMPARE(blockLabels(document), QStringList({"A:6:1", "B:6:2", "C:6:3", "InC:7:1"}));
    Project reopened;
    QVERIFY(reopened.open(recordsOf(document)).isEmpty());
    Canvas *reMachine = named(reopened, QStringLiteral("M"), MachineCanvasLevel);
    Canvas *reC = reopened.subMachines().subMachineOf(reMachine, stateNamed(reMachine, QStringLiteral("C")));
    QVERIFY(reC);
    QCOMPARE(reC->name(), QStringLiteral("C"));
    QVERIFY(stateNamed(reC, QStringLiteral("InC")));
    Canvas *reDeep = reopened.subMachines().subMachineOf(reC, stateNamed(reC, QStringLiteral("InC")));
    QVERIFY(reDeep && stateNamed(reDeep, QStringLiteral("Deepest")));
    QCOMPARE(stateNamed(reC, QStringLiteral("InC"))->subMachine(), QLatin1String(SubMachineResume));
    QCOMPARE(nodesBelow(reopened, reMachine), QStringList({"A:6:1", "B:6:2", "C:6:3", "InC:7:1"}));
    ProjectDocument again;
    QVERIFY(reopened.snapshot(&again));
    QCOMPARE(MachineProject::bytes(again), MachineProject::bytes(document));

    // Taking B's away closes ranks; undo puts everything back as it was.
    QVERIFY(project.removeSubMachine(machine, b));
    QCOMPARE(ofC->id(), 2);
    QCOMPARE(CanvasPaths::canvasPath(deep), CanvasPaths::canvasPath(machine) + NodePath({2, 1}));
    QCOMPARE(nodesBelow(project, machine), QStringList({"A:6:1", "C:6:2", "InC:7:1"}));
    QVERIFY(!project.canvases().contains(ofB));
    machine->undoStack()->undo();
    QCOMPARE(ofC->id(), 3);
    QVERIFY(project.canvases().contains(ofB));
    QCOMPARE(project.subMachines().subMachineOf(machine, b), ofB);
    QCOMPARE(nodesBelow(project, machine), QStringList({"A:6:1", "B:6:2", "C:6:3", "InC:7:1"}));

    // Deleting A with its sub-machine, in one step.
    machine->clearSelection();
    a->setSelected(true);
    QVERIFY(project.deleteSelectionWithSubMachines(machine));
    QVERIFY(!machine->states().contains(a));
    QCOMPARE(nodesBelow(project, machine), QStringList({"B:6:1", "C:6:2", "InC:7:1"}));
    machine->undoStack()->undo();
    QVERIFY(machine->states().contains(a));
    QCOMPARE(nodesBelow(project, machine), QStringList({"A:6:1", "B:6:2", "C:6:3", "InC:7:1"}));
    ProjectDocument restored;
    QVERIFY(project.snapshot(&restored));
    QCOMPARE(MachineProject::bytes(restored), MachineProject::bytes(document));
}

void TestSubMachineStructure::renamedHolderRenamesItsDiagram()
{
    Project project;
    QVERIFY(project.open(threeStates()).isEmpty());
    Canvas *machine = named(project, QStringLiteral("M"), MachineCanvasLevel);
    StateItem *b = stateNamed(machine, QStringLiteral("B"));
    Canvas *sub = project.addSubMachine(machine, b, QLatin1String(SubMachineStart));
    QVERIFY(sub);
    const ItemRecord before = b->record();
    b->setLabel(QStringLiteral("Busy"));
    machine->pushCommand(new ItemChangeCommand(machine, {ItemChange{b, before, b->record()}}));
    QCOMPARE(sub->name(), QStringLiteral("Busy"));
    QCOMPARE(nodesBelow(project, machine), QStringList{"Busy:6:1"});
    machine->undoStack()->undo();
    QCOMPARE(sub->name(), QStringLiteral("B"));
    QCOMPARE(nodesBelow(project, machine), QStringList{"B:6:1"});
}

void TestSubMachineStructure::holderWithoutBlockGetsAnEmptyDiagram()
{
    ProjectDocument document = MachineProject::skeleton(QStringLiteral("P"), QStringLiteral("M"));
    document.blocks[3].states << machineState(QStringLiteral("A"), 0) << machineState(QStringLiteral("B"), 300);
    document.blocks[3].states[0].subMachine = QLatin1String(SubMachineStart);
    SubMachineProject::add(&document, 3, QStringLiteral("B"), {QStringLiteral("InB")});
    Project project;
    QVERIFY(project.open(recordsOf(document)).isEmpty());
    Canvas *machine = named(project, QStringLiteral("M"), MachineCanvasLevel);
    Canvas *ofA = project.subMachines().subMachineOf(machine, stateNamed(machine, QStringLiteral("A")));
    Canvas *ofB = project.subMachines().subMachineOf(machine, stateNamed(machine, QStringLiteral("B")));
    QVERIFY(ofA && ofB && ofA != ofB);
    QVERIFY(ofA->allItems().isEmpty());
    QVERIFY(stateNamed(ofB, QStringLiteral("InB")));
    QCOMPARE(nodesBelow(project, machine), QStringList({"B:6:1", "A:6:2"}));
    // Saved in the order of the holders.
    ProjectDocument saved;
    QVERIFY(project.snapshot(&saved));
    QCOMPARE(blockLabels(saved), QStringList({"A:6:1", "B:6:2"}));
}

// Deleting the process item before a machine renumbers the machine's
// diagram; its sub-machine diagrams (and theirs) move along with it, and
// undo brings the first machine back with every sub-machine in place.
void TestSubMachineStructure::subMachinesFollowTheirMachinesDiagram()
{
    ProjectDocument document = MachineProject::skeleton(QStringLiteral("P"), QStringLiteral("M"));
    document.blocks[3].process.nos = 2;
    CanvasBlock second;
    second.process = document.blocks[3].process;
    second.process.id = 2;
    second.process.label = QStringLiteral("M2");
    second.states << machineState(QStringLiteral("X"), 0);
    second.states[0].parentId = 2;
    document.blocks << second;
    const int sub = SubMachineProject::add(&document, 4, QStringLiteral("X"), {QStringLiteral("InX")});
    SubMachineProject::add(&document, sub, QStringLiteral("InX"), {QStringLiteral("Deep")});
    Project project;
    QVERIFY(project.open(recordsOf(document)).isEmpty());
    Canvas *tasks = named(project, document.blocks[2].process.label, 4);
    Canvas *m2 = named(project, QStringLiteral("M2"), MachineCanvasLevel);
    QVERIFY(tasks && m2);
    QCOMPARE(nodesBelow(project, m2), QStringList({"X:6:1", "InX:7:1"}));
    ProjectDocument before;
    QVERIFY(project.snapshot(&before));

    QCOMPARE(project.deleteProcessItem(tasks, tasks->processItems().first()),
             ProjectStructure::DeleteResult::Deleted);
    QCOMPARE(m2->id(), 1);
    StateItem *x = stateNamed(m2, QStringLiteral("X"));
    Canvas *ofX = project.subMachines().subMachineOf(m2, x);
    QVERIFY(ofX);
    QCOMPARE(ofX->parentId(), 1);
    Canvas *deep = project.subMachines().subMachineOf(ofX, stateNamed(ofX, QStringLiteral("InX")));
    QVERIFY(deep && stateNamed(deep, QStringLiteral("Deep")));
    QCOMPARE(nodesBelow(project, m2), QStringList({"X:6:1", "InX:7:1"}));
    ProjectDocument after;
    QVERIFY(project.snapshot(&after));

    tasks->undoStack()->undo();
    QCOMPARE(m2->id(), 2);
    QCOMPARE(project.subMachines().subMachineOf(m2, x), ofX);
    QCOMPARE(ofX->parentId(), 2);
    QCOMPARE(nodesBelow(project, m2), QStringList({"X:6:1", "InX:7:1"}));
    ProjectDocument restored;
    QVERIFY(project.snapshot(&restored));
    QCOMPARE(MachineProject::bytes(restored), MachineProject::bytes(before));
}

QTEST_MAIN(TestSubMachineStructure)
#include "tst_submachinestructure.moc"
