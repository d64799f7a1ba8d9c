// The Project document without a window: what it reports about its
// canvases, its modified flag (the stacks' clean state plus edits no stack
// holds), the structure work a new process item needs, and writing to a
// file other than its own.

#include "Canvas.h"
#include "DefaultProject.h"
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
        machine->setMode(Canvas::StateMode);
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
        micro->setMode(Canvas::ProcessMode);
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
        micro->setMode(Canvas::ProcessMode);
        SceneMouse::click(micro, QPointF(900, 600));   // a new step drops the undone ones
        QVERIFY(gone.isNull());
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
};

QTEST_MAIN(TestProject)
#include "tst_project.moc"
