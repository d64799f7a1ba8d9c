// Undo and redo as a person uses them in the window: edits made with real
// mouse events on the view, the Edit menu's Undo and Redo entries with the
// step they name, Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z, the modified flag
// following the stacks back to the saved state, and a process item deleted
// with its diagrams and brought back exactly.

#include "Canvas.h"
#include "DataflowItem.h"
#include "MainWindow.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectActions.h"
#include "ProjectDocument.h"
#include "ProjectModules.h"
#include "ProjectSnapshot.h"
#include "RecordsToMachines.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "TreeModel.h"
#include "ViewDriver.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <QUndoStack>
#include <QtTest>

using namespace WindowProjectFixture;

namespace {

// The C modules of every machine, as the generator would write them.
QStringList generatedC(const Project &project)
{
    ProjectDocument document;
    if (!ProjectSnapshot::take(project.canvases(), &document))
        return {};
    QStringList files;
    const QVector<MachineDescription> machines = RecordsToMachines::build(flattenDocument(document));
    for (const GeneratedModule &module : ProjectModules::generate(machines, ModuleProperties()))
        files << module.headerFileName << module.header << module.sourceFileName << module.source;
    return files;
}

QByteArray saved(const Project &project, const QString &path)
{
    if (!project.writeTo(path))
        return QByteArray();
    return fileBytes(path);
}

void keys(MainWindow &w, const QKeySequence &sequence)
{
    // A dialog closed just before leaves no window active.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keySequence(&w, sequence);
    QApplication::processEvents();
}

} // namespace

class TestUndoWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }

    void dragPropertiesAndKeysOnStateMachine();
    void processDiagramEditsAndMemoryDeletion();
    void processItemDeletionComesBackExactly();

private:
    void open(MainWindow &w, const QString &name)
    {
        QVERIFY(openDocument(w, nestedDocument(), m_dir.filePath(name)));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }

    QTemporaryDir m_dir;
};

void TestUndoWindow::dragPropertiesAndKeysOnStateMachine()
{
    ScriptedPrompter prompter;
    MainWindow w;
    open(w, QStringLiteral("drag.qsmd"));
    doubleClickNode(w, nodeIndex(w, {"HW", "CPU A", "SW", "SM"}));
    Canvas *machine = w.project()->shownCanvas();
    QVERIFY(machine && machine->level() == 5);
    QAction *undo = action(w, "actionUndo");
    QAction *redo = action(w, "actionRedo");
    // Nothing to take back yet: both are off, even though the tool set has them.
    QVERIFY(!undo->isEnabled());
    QVERIFY(!redo->isEnabled());
    QCOMPARE(undo->text(), QStringLiteral("Undo"));
    // The Edit menu holds both, with the standard shortcuts.
    QMenu *edit = w.findChild<QMenu *>("menuEdit");
    QVERIFY(edit->actions().contains(undo) && edit->actions().contains(redo));
    QVERIFY(undo->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+Z"))));
    QVERIFY(redo->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+Y"))));
    QVERIFY(redo->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+Shift+Z"))));

    ViewDriver driver(&w);
    StateItem *idle = machine->states().first();
    const QPointF from = idle->pos();
    const QPointF grab = ViewDriver::centreOf(idle);
    driver.drag(grab, grab + QPointF(120, 80));
    QVERIFY(idle->pos() != from);
    const QPointF to = idle->pos();
    QVERIFY(w.project()->isModified());
    QVERIFY(undo->isEnabled());
    QCOMPARE(undo->text(), QStringLiteral("Undo Move State 'CPU_A_Idle'"));
    QCOMPARE(machine->undoStack()->count(), 1);   // one step for the whole drag

    // Back to the file's state: no longer modified; the marker follows.
    keys(w, QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(idle->pos(), from);
    QVERIFY(!w.project()->isModified());
    QVERIFY(!undo->isEnabled());
    QVERIFY(redo->isEnabled());
    QCOMPARE(redo->text(), QStringLiteral("Redo Move State 'CPU_A_Idle'"));
    keys(w, QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    QCOMPARE(idle->pos(), to);
    keys(w, QKeySequence(QStringLiteral("Ctrl+Z")));
    keys(w, QKeySequence(QStringLiteral("Ctrl+Y")));
    QCOMPARE(idle->pos(), to);
    QVERIFY(w.project()->isModified());

    // A property dialog's OK is one step named after the item as it was.
    QVERIFY(ViewDriver::whileModal([&] { driver.doubleClick(ViewDriver::centreOf(idle)); },
                                   [](QWidget *dialog) {
                                       dialog->findChild<QLineEdit *>("lineEdit_2")->setText(QStringLiteral("Ready"));
                                       ViewDriver::ok(dialog);
                                   }));
    QCOMPARE(idle->label(), QStringLiteral("Ready"));
    QCOMPARE(undo->text(), QStringLiteral("Undo Rename State 'CPU_A_Idle'"));
    keys(w, QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(idle->label(), QStringLiteral("CPU_A_Idle"));
    QCOMPARE(idle->pos(), to);

    // Saving makes this the clean state: undoing away from it modifies.
    QVERIFY(w.projectActions()->save());
    QVERIFY(!w.project()->isModified());
    keys(w, QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(idle->pos(), from);
    QVERIFY(w.project()->isModified());
    keys(w, QKeySequence(QStringLiteral("Ctrl+Y")));
    QVERIFY(!w.project()->isModified());
}

void TestUndoWindow::processDiagramEditsAndMemoryDeletion()
{
    ScriptedPrompter prompter;
    MainWindow w;
    open(w, QStringLiteral("diagram.qsmd"));
    doubleClickNode(w, nodeIndex(w, {"HW"}));
    Canvas *hardware = w.project()->shownCanvas();
    QCOMPARE(hardware->level(), 2);
    QAction *undo = action(w, "actionUndo");
    const QString path = m_dir.filePath(QStringLiteral("diagram-copy.qsmd"));
    const QByteArray original = saved(*w.project(), path);

    // An older step, then the memory item's deletion with the Delete tool.
    ViewDriver driver(&w);
    ProcessItem *cpuA = hardware->processItems().first();
    const QPointF cpuFrom = cpuA->pos();
    driver.drag(ViewDriver::centreOf(cpuA), ViewDriver::centreOf(cpuA) + QPointF(0, 150));
    QVERIFY(cpuA->pos() != cpuFrom);
    MemoryItem *shared = hardware->memoryItems().first();
    DataflowItem *flow = hardware->dataflows().first();
    driver.click(ViewDriver::centreOf(shared));
    QVERIFY(shared->isSelected());
    action(w, "actionDelete")->trigger();
    QVERIFY(hardware->memoryItems().isEmpty());
    QVERIFY(hardware->dataflows().isEmpty());
    QVERIFY(!cpuA->dataflows().contains(flow));
    QCOMPARE(undo->text(), QStringLiteral("Undo Delete Memory Item 'shared'"));

    // Ctrl+Z brings the memory item back with its dataflow, and only that.
    keys(w, QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(hardware->memoryItems(), QList<MemoryItem *>{shared});
    QCOMPARE(hardware->dataflows(), QList<DataflowItem *>{flow});
    QVERIFY(cpuA->dataflows().contains(flow));
    QVERIFY(cpuA->pos() != cpuFrom);
    QCOMPARE(undo->text(), QStringLiteral("Undo Move Process Item 'CPU A'"));

    // Stacking and a link drawn with the mouse are steps too.
    driver.click(ViewDriver::centreOf(cpuA));
    action(w, "actionSendToBack")->trigger();
    QCOMPARE(undo->text(), QStringLiteral("Undo Send to Back Process Item 'CPU A'"));
    keys(w, QKeySequence(QStringLiteral("Ctrl+Z")));
    const int links = hardware->links().size();
    ProcessItem *cpuB = hardware->processItems().at(1);
    driver.connect("actionLink", ViewDriver::centreOf(cpuB), ViewDriver::centreOf(cpuA));
    QCOMPARE(hardware->links().size(), links + 1);
    keys(w, QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(hardware->links().size(), links);
    keys(w, QKeySequence(QStringLiteral("Ctrl+Z")));   // the move
    QCOMPARE(cpuA->pos(), cpuFrom);
    QVERIFY(!w.project()->isModified());
    QCOMPARE(saved(*w.project(), path), original);
}

void TestUndoWindow::processItemDeletionComesBackExactly()
{
    ScriptedPrompter prompter;
    MainWindow w;
    open(w, QStringLiteral("subtree.qsmd"));
    doubleClickNode(w, nodeIndex(w, {"HW"}));
    Canvas *hardware = w.project()->shownCanvas();
    const QString path = m_dir.filePath(QStringLiteral("subtree-copy.qsmd"));
    const QByteArray before = saved(*w.project(), path);
    const QStringList codeBefore = generatedC(*w.project());
    QVERIFY(!codeBefore.isEmpty());
    const int canvases = w.project()->canvases().size();

    // The first controller goes with its software module and machine; the
    // second takes its id.
    ViewDriver driver(&w);
    ProcessItem *cpuA = hardware->processItems().first();
    driver.click(ViewDriver::centreOf(cpuA));
    prompter.messageAnswers << QMessageBox::Yes;
    action(w, "actionDelete")->trigger();
    QCOMPARE(hardware->processItems().size(), 1);
    QCOMPARE(hardware->processItems().first()->id(), 1);
    QCOMPARE(w.project()->canvases().size(), canvases - 3);
    QVERIFY(!nodeIndex(w, {"HW", "CPU A"}).isValid());
    QCOMPARE(action(w, "actionUndo")->text(), QStringLiteral("Undo Delete Process Item 'CPU A'"));

    keys(w, QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(hardware->processItems().first(), cpuA);
    QCOMPARE(w.project()->canvases().size(), canvases);
    QCOMPARE(saved(*w.project(), path), before);
    QCOMPARE(generatedC(*w.project()), codeBefore);
    QVERIFY(!w.project()->isModified());
    // The diagrams below are reachable from the tree again.
    doubleClickNode(w, nodeIndex(w, {"HW", "CPU A", "SW", "SM"}));
    Canvas *machine = w.project()->shownCanvas();
    QVERIFY(machine && machine->level() == 5);
    QCOMPARE(machine->states().first()->label(), QStringLiteral("CPU_A_Idle"));
    QCOMPARE(machine->markedInitialState(), machine->states().first());

    // Redo from the hardware diagram takes all of it away again.
    doubleClickNode(w, nodeIndex(w, {"HW"}));
    keys(w, QKeySequence(QStringLiteral("Ctrl+Y")));
    QVERIFY(!nodeIndex(w, {"HW", "CPU A"}).isValid());
    QCOMPARE(w.project()->canvases().size(), canvases - 3);
}

QTEST_MAIN(TestUndoWindow)
#include "tst_undo_window.moc"
