// The Project document without a window: what it reports about its
// canvases, its modified flag (the stacks' clean state plus edits no stack
// holds), the structure work a new process item needs, and writing to a
// file other than its own.

#include "ItemKind.h"
#include "ItemKinds.h"
#include "Canvas.h"
#include "DataflowItem.h"
#include "DefaultProject.h"
#include "LinkItem.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"
#include "SceneMouse.h"
#include "StateItem.h"
#include "TreeModel.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUndoGroup>
#include <QUndoStack>
#include <QtTest>

namespace {

ProjectRecordLists demoRecords()
{
    QByteArray bytes;
    ProjectFileWriter writer;
    if (!writer.writeToBytes(DefaultProject::document(QStringLiteral("Demo")), &bytes))
        return {};
    ProjectFileReader reader;
    if (!reader.loadData(bytes))
        return {};
    return reader.takeRecords();
}

Canvas *canvasAtLevel(const Project &project, int level)
{
    for (Canvas *canvas : project.canvases()) {
        if (canvas->level() == level)
            return canvas;
    }
    return nullptr;
}

} // namespace

class TestProject : public QObject
{
    Q_OBJECT

private slots:
    void openBuildsTreeAndCanvasesUnmodified()
    {
        Project project;
        QVERIFY(!project.isOpen());
        QVERIFY(project.open(demoRecords()).isEmpty());
        QCOMPARE(project.canvases().size(), 5);
        QCOMPARE(project.name(), QStringLiteral("Demo"));
        QCOMPARE(project.treeModel()->rowCount(), 1);
        QVERIFY(!project.isModified());
        // Every canvas's stack is in the group; the shown one is active.
        QCOMPARE(project.undoGroup()->stacks().size(), 5);
        Canvas *machine = canvasAtLevel(project, 5);
        project.showCanvas(machine);
        QCOMPARE(project.shownCanvas(), machine);
        QCOMPARE(project.undoGroup()->activeStack(), machine->undoStack());

        QSignalSpy closing(&project, &Project::aboutToClose);
        project.close();
        QCOMPARE(closing.count(), 1);
        QVERIFY(!project.isOpen());
        QVERIFY(!project.shownCanvas());
        QCOMPARE(project.treeModel()->rowCount(), 0);
        QVERIFY(project.undoGroup()->stacks().isEmpty());
    }

    void modifiedFollowsStacksAndPendingEdits()
    {
        Project project;
        project.open(demoRecords());
        Canvas *machine = canvasAtLevel(project, 5);
        QSignalSpy changes(&project, &Project::modifiedChanged);

        // An insertion through a command: modified until it is undone.
        const int states = machine->states().size();
        machine->setMode(ItemKinds::of(ItemType::State));
        SceneMouse::click(machine, QPointF(1500, 900));
        QCOMPARE(machine->states().size(), states + 1);
        QVERIFY(project.isModified());
        machine->undoStack()->undo();
        QVERIFY(!project.isModified());
        QCOMPARE(changes.count(), 2);
        machine->undoStack()->redo();
        QVERIFY(project.isModified());

        // Saved: clean again; undoing past the saved state modifies.
        project.markSaved();
        QVERIFY(!project.isModified());
        machine->undoStack()->undo();
        QVERIFY(project.isModified());
        machine->undoStack()->redo();
        QVERIFY(!project.isModified());

        // An edit no stack holds keeps the project modified whatever the
        // stacks do, until the next save.
        emit machine->edited();
        QVERIFY(project.isModified());
        machine->undoStack()->undo();
        machine->undoStack()->redo();
        QVERIFY(project.isModified());
        project.markSaved();
        QVERIFY(!project.isModified());
    }

    void processItemInsertionAddsNodeAndCanvas()
    {
        Project project;
        project.open(demoRecords());
        Canvas *micro = canvasAtLevel(project, 3);
        int added = 0;
        int done = 0;
        ProcessItem *item = nullptr;
        Canvas *opened = nullptr;
        connect(&project, &Project::processItemAdded, this,
                [&](Canvas *canvas, ProcessItem *newItem, Canvas *newCanvas) {
                    QCOMPARE(canvas, micro);
                    ++added;
                    item = newItem;
                    opened = newCanvas;
                });
        connect(&project, &Project::itemAdded, this, [&done] { ++done; });
        micro->setMode(ItemKinds::of(ItemType::Process));
        SceneMouse::click(micro, QPointF(900, 300));

        QCOMPARE(added, 1);
        QCOMPARE(done, 1);
        QCOMPARE(micro->processItems().last(), item);
        QCOMPARE(project.canvases().size(), 6);
        QCOMPARE(project.canvases().last(), opened);
        QCOMPARE(opened->name(), item->label());
        QVERIFY(project.undoGroup()->stacks().contains(opened->undoStack()));
        QVERIFY(project.isModified());

        // Deleting it takes its canvas along and says so. The undo step
        // keeps the canvas until the step itself goes.
        QSignalSpy removed(&project, &Project::processItemRemoved);
        QPointer<Canvas> gone = opened;
        QCOMPARE(project.deleteProcessItem(micro, item), ProjectStructure::DeleteResult::Deleted);
        QCOMPARE(removed.count(), 1);
        QVERIFY(!project.canvases().contains(opened));
        QCOMPARE(project.canvases().size(), 5);
        micro->undoStack()->undo();
        QCOMPARE(project.canvases().size(), 6);
        QCOMPARE(project.canvases().last(), opened);
        micro->undoStack()->undo();   // the insertion
        QCOMPARE(project.canvases().size(), 5);
        QVERIFY(!project.isModified());
        micro->setMode(ItemKinds::of(ItemType::Process));
        SceneMouse::click(micro, QPointF(900, 600));   // a new step drops the undone ones
        QVERIFY(gone.isNull());
    }

    // The Delete command on a selection hands a process item to the
    // project, as the window does: it goes with its links and dataflows (a
    // selected link of its own, if not yet deleted, is skipped), which leave
    // the lists of their other ends while the connections between others
    // stay, and undo brings all of it back. A memory item goes with its
    // dataflows alike.
    void deletingASelectionWithAProcessItem()
    {
        Project project;
        QVERIFY(project.open(demoRecords()).isEmpty());
        Canvas *micro = canvasAtLevel(project, 3);
        QVERIFY(micro);
        const auto insert = [micro](const ItemKind *mode, const QPointF &point) {
            micro->setMode(mode);
            SceneMouse::click(micro, point);
        };
        const auto drag = [micro](const ItemKind *mode, const QGraphicsItem *from, const QGraphicsItem *to) {
            micro->setMode(mode);
            SceneMouse::drag(micro, from->sceneBoundingRect().center(), to->sceneBoundingRect().center());
        };
        insert(ItemKinds::of(ItemType::Process), QPointF(900, 300));
        ProcessItem *p1 = micro->processItems().last();
        insert(ItemKinds::of(ItemType::Process), QPointF(1400, 300));
        ProcessItem *p2 = micro->processItems().last();
        insert(ItemKinds::of(ItemType::Process), QPointF(1700, 800));
        ProcessItem *p3 = micro->processItems().last();
        insert(ItemKinds::of(ItemType::Memory), QPointF(1150, 800));
        MemoryItem *m = micro->memoryItems().last();
        drag(ItemKinds::of(ItemType::Link), p1, p2);
        drag(ItemKinds::of(ItemType::Link), p3, p1);
        drag(ItemKinds::of(ItemType::Link), p2, p3);
        drag(ItemKinds::of(ItemType::Dataflow), p1, m);
        drag(ItemKinds::of(ItemType::Dataflow), m, p2);
        QCOMPARE(micro->links().size(), 3);
        QCOMPARE(micro->dataflows().size(), 2);
        LinkItem *link = micro->links().at(0);
        LinkItem *fromP3 = micro->links().at(1);
        LinkItem *between = micro->links().at(2);
        micro->setCurrentItem(link);
        const int processItems = micro->processItems().size();
        const int canvases = project.canvases().size();
        const int steps = micro->undoStack()->index();
        // The lines of connectors (and any rubber line) in the scene.
        const auto plainLines = [micro] {
            int lines = 0;
            for (QGraphicsItem *item : micro->items())
                lines += item->type() == QGraphicsLineItem::Type;
            return lines;
        };
        QCOMPARE(plainLines(), 10);

        micro->clearSelection();
        link->setSelected(true);
        p1->setSelected(true);
        int handled = 0;
        QVERIFY(micro->deleteSelection([&](ProcessItem *p) {
            ++handled;
            QCOMPARE(project.deleteProcessItem(micro, p), ProjectStructure::DeleteResult::Deleted);
        }));
        QCOMPARE(handled, 1);
        QVERIFY(!micro->processItems().contains(p1));
        QCOMPARE(micro->processItems().size(), processItems - 1);
        QCOMPARE(project.canvases().size(), canvases - 1);
        QCOMPARE(micro->links(), QList<LinkItem *>({between}));
        QCOMPARE(p2->links(), QList<LinkItem *>({between}));
        QCOMPARE(p3->links(), QList<LinkItem *>({between}));
        QCOMPARE(fromP3->scene(), nullptr);
        QCOMPARE(micro->dataflows().size(), 1);
        QCOMPARE(m->dataflows().size(), 1);
        QCOMPARE(p2->dataflows().size(), 1);
        QVERIFY(!micro->registeredItem(link));
        QCOMPARE(p1->scene(), nullptr);
        QCOMPARE(link->scene(), nullptr);
        QCOMPARE(plainLines(), 4);   // the link and the dataflow left

        while (micro->undoStack()->index() > steps)
            micro->undoStack()->undo();
        QCOMPARE(micro->processItems().size(), processItems);
        QCOMPARE(project.canvases().size(), canvases);
        QCOMPARE(micro->links(), QList<LinkItem *>({link, fromP3, between}));
        QCOMPARE(p1->links().size(), 2);
        QVERIFY(p1->links().contains(link) && p1->links().contains(fromP3));
        QCOMPARE(p2->links().size(), 2);
        QCOMPARE(p3->links().size(), 2);
        QCOMPARE(micro->dataflows().size(), 2);
        QCOMPARE(m->dataflows().size(), 2);
        QCOMPARE(plainLines(), 10);

        // The memory item: its dataflows leave both process items, which
        // keep their dataflows to another memory item.
        insert(ItemKinds::of(ItemType::Memory), QPointF(1150, 980));
        MemoryItem *other = micro->memoryItems().last();
        drag(ItemKinds::of(ItemType::Dataflow), p1, other);
        QCOMPARE(p1->dataflows().size(), 2);
        DataflowItem *kept = p1->dataflows().last();
        QVERIFY(micro->deleteItem(m));
        QCOMPARE(p1->dataflows(), QList<DataflowItem *>({kept}));
        QVERIFY(p2->dataflows().isEmpty());
        QCOMPARE(micro->dataflows(), QList<DataflowItem *>({kept}));
        QCOMPARE(other->dataflows(), QList<DataflowItem *>({kept}));
        QCOMPARE(m->scene(), nullptr);
        QCOMPARE(plainLines(), 8);   // three links, one dataflow
    }

    void writingElsewhereKeepsPathAndFlag()
    {
        QTemporaryDir dir;
        Project project;
        project.open(demoRecords());
        project.setFilePath(dir.filePath(QStringLiteral("Demo.qsmd")));
        project.markModified();
        const QString other = dir.filePath(QStringLiteral("copy.qsmd"));
        QString error;
        QVERIFY2(project.writeTo(other, &error), qPrintable(error));
        QVERIFY(QFileInfo::exists(other));
        QCOMPARE(project.filePath(), dir.filePath(QStringLiteral("Demo.qsmd")));
        QVERIFY(project.isModified());

        // A file that cannot be written says why.
        QVERIFY(!project.writeTo(dir.filePath(QStringLiteral("missing/dir/x.qsmd")), &error));
        QVERIFY(!error.isEmpty());
    }

    void renameReachesCanvasAndNode()
    {
        Project project;
        QVERIFY(!project.rename(QStringLiteral("None")));
        project.open(demoRecords());
        QVERIFY(project.rename(QStringLiteral("Renamed")));
        QCOMPARE(project.name(), QStringLiteral("Renamed"));
        QCOMPARE(project.treeModel()->index(0, 0).data().toString(), QStringLiteral("Renamed"));
        QVERIFY(project.isModified());
    }

    // The simulation settings come with the file, change as one undo step
    // on the level-1 canvas, are saved, and go when the project closes.
    void simulationSettingsAreUndoableAndSaved()
    {
        ProjectRecordLists records = demoRecords();
        records.simulation.includePath << QStringLiteral("hal");
        Project project;
        project.open(records);
        QCOMPARE(project.simulationSettings().includePath, QStringList{ "hal" });
        SimulationSettings changed;
        changed.includePath << QStringLiteral("vendor/inc");
        changed.prelude = QStringLiteral("#define BOARD 2");
        project.setSimulationSettings(changed);
        QVERIFY(project.isModified());
        QUndoStack *top = project.canvases().first()->undoStack();
        QCOMPARE(top->undoText(), QStringLiteral("Change Simulation Settings"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("p.qsmd"));
        QVERIFY(project.writeTo(path));
        ProjectFileReader reader;
        QVERIFY(reader.load(path));
        QCOMPARE(reader.records().simulation, changed);
        top->undo();
        QCOMPARE(project.simulationSettings().includePath, QStringList{ "hal" });
        QVERIFY(!project.isModified());
        project.setSimulationSettings(project.simulationSettings());   // no change, no step
        QCOMPARE(top->count(), 1);
        project.close();
        QVERIFY(project.simulationSettings().isEmpty());
    }
};

QTEST_MAIN(TestProject)
#include "tst_project.moc"
