// Copy, cut, paste and duplicate: the clip's XML written and read by the
// project file code, labels made free on the target diagram, and the Edit
// menu's entries driven with their shortcuts in real windows, within a
// diagram, between diagrams and between two windows, through the system
// clipboard and a save.

#include "Canvas.h"
#include "ClipRecords.h"
#include "DataflowItem.h"
#include "LabelRules.h"
#include "LinkItem.h"
#include "MainWindow.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectFileReader.h"
#include "RecordEquality.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "ViewDriver.h"
#include "WindowProjectFixture.h"
#include "WindowShot.h"

#include <QAction>
#include <QClipboard>
#include <QGraphicsView>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

using namespace WindowProjectFixture;

namespace {

void keys(MainWindow &w, const char *sequence)
{
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keySequence(&w, QKeySequence(QString::fromLatin1(sequence)));
    QApplication::processEvents();
}

QAction *editAction(MainWindow &w, const QString &text)
{
    for (QAction *a : w.findChild<QMenu *>(QStringLiteral("menuEdit"))->actions()) {
        if (a->text().remove(QLatin1Char('&')) == text)
            return a;
    }
    return nullptr;
}

// The pointer away from every view, so that a paste lands 20 px off.
void pointerAway()
{
    QCursor::setPos(QPoint(5000, 5000));
}

void pointerAt(QGraphicsView *view, const QPointF &scenePos)
{
    QCursor::setPos(view->viewport()->mapToGlobal(view->mapFromScene(scenePos)));
}

QStringList stateLabels(const Canvas &canvas)
{
    QStringList labels;
    for (StateItem *s : canvas.states())
        labels << s->label();
    return labels;
}

ProjectRecordLists sampleClip()
{
    ProjectRecordLists r;
    StateRecord a;
    a.label = QStringLiteral("Idle");
    a.action = QStringLiteral("x = 1; /* <&> \"q\" */\nif (x < 2) { y++; }");
    a.xCoord = 10;
    a.yCoord = 20;
    a.width = 280;
    a.height = 150;
    a.backgroundColour = QStringLiteral("#aabbcc");
    a.polygon = {QPointF(0, 0), QPointF(280, 0), QPointF(280, 150), QPointF(0, 150)};
    StateRecord b = a;
    b.label = QStringLiteral("Run");
    b.xCoord = 400;
    TransitionRecord t;
    t.label = QStringLiteral("Go");
    t.condition = QStringLiteral("a && b");
    t.startItem = QStringLiteral("Idle");
    t.endItem = QStringLiteral("Run");
    t.midPos = QStringLiteral("300,95");
    TextRecord text;
    text.action = QStringLiteral("#define N 4\n");
    text.type = 1;
    r.states = {a, b};
    r.transitions = {t};
    r.texts = {text};
    return r;
}

} // namespace

class TestClipboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }

    void clipXmlRoundTrip();
    void copyLabels();
    void machineCopyPasteUndoAndSave();
    void pasteAtPointerCutAndDuplicate();
    void pasteBetweenDiagramsAndWindows();
    void processDiagramPaste();

private:
    bool open(MainWindow &w, const QString &name, const QStringList &node)
    {
        w.resize(1500, 1000);
        if (!openDocument(w, nestedDocument(), m_dir.filePath(name)))
            return false;
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            return false;
        doubleClickNode(w, nodeIndex(w, node));
        return true;
    }

    QTemporaryDir m_dir;
};

void TestClipboard::clipXmlRoundTrip()
{
    ProjectRecordLists clip = sampleClip();
    MemoryRecord memory;
    memory.label = QStringLiteral("var_1");
    memory.datatype = QStringLiteral("uint8_t");
    clip.memories = {memory};
    ProcessRecord process;
    process.level = 4;
    process.parentId = 3;
    process.grandParentId = 2;
    process.label = QStringLiteral("Motor");
    process.code = QStringLiteral("int m;");
    process.xCoord = 50;
    clip.processes = {process};

    const QByteArray xml = ClipRecords::toXml(clip);
    QVERIFY(!xml.isEmpty());
    ProjectRecordLists back;
    QString error;
    QVERIFY2(ClipRecords::fromXml(xml, &back, &error), qPrintable(error));
    QCOMPARE(back.states.size(), 2);
    for (int i = 0; i < 2; ++i)
        QVERIFY(RecordEquality::sameStoredFields(back.states.at(i), clip.states.at(i)));
    QVERIFY(RecordEquality::sameStoredFields(back.transitions.value(0), clip.transitions.at(0)));
    QVERIFY(RecordEquality::sameStoredFields(back.texts.value(0), clip.texts.at(0)));
    QVERIFY(RecordEquality::sameStoredFields(back.memories.value(0), clip.memories.at(0)));
    // Process items keep everything but their place in the tree.
    QCOMPARE(back.processes.size(), 1);
    QCOMPARE(back.processes.first().label, process.label);
    QCOMPARE(back.processes.first().code, process.code);
    QCOMPARE(back.processes.first().xCoord, process.xCoord);
    QVERIFY(ClipRecords::isEmptyClip(ProjectRecordLists()));
    QVERIFY(!ClipRecords::isEmptyClip(back));

    // Anything else is refused and leaves the target alone: garbage, a
    // truncated clip, and a project file that is no clip.
    ProjectRecordLists untouched = sampleClip();
    QVERIFY(!ClipRecords::fromXml("not xml", &untouched, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!ClipRecords::fromXml(xml.left(xml.size() / 2), &untouched, &error));
    QVERIFY(!ClipRecords::fromXml(fileBytes(m_dir.filePath(QStringLiteral("none"))), &untouched, &error));
    const QString project = m_dir.filePath(QStringLiteral("plain.qsmd"));
    QVERIFY(writeDocument(nestedDocument(), project));
    QVERIFY(!ClipRecords::fromXml(fileBytes(project), &untouched, &error));
    QCOMPARE(untouched.states.size(), 2);
}

void TestClipboard::copyLabels()
{
    const QSet<QString> used = {QStringLiteral("Idle"), QStringLiteral("Idle2"),
                                QStringLiteral("State3"), QStringLiteral("State4"),
                                QStringLiteral("process_41")};
    QCOMPARE(LabelRules::copyLabel(QStringLiteral("Run"), used), QStringLiteral("Run"));
    QCOMPARE(LabelRules::copyLabel(QStringLiteral("Idle"), used), QStringLiteral("Idle3"));
    QCOMPARE(LabelRules::copyLabel(QStringLiteral("State3"), used), QStringLiteral("State5"));
    QCOMPARE(LabelRules::copyLabel(QStringLiteral("process_41"), used), QStringLiteral("process_42"));
}

void TestClipboard::machineCopyPasteUndoAndSave()
{
    ScriptedPrompter prompter;
    MainWindow w;
    QVERIFY(open(w, QStringLiteral("machine.qsmd"), {"HW", "CPU A", "SW", "SM"}));
    Canvas *machine = w.project()->shownCanvas();
    ViewDriver driver(&w);
    QAction *copy = editAction(w, QStringLiteral("Copy"));
    QAction *paste = editAction(w, QStringLiteral("Paste"));
    QVERIFY(copy && paste && editAction(w, QStringLiteral("Cut"))
            && editAction(w, QStringLiteral("Duplicate")) && editAction(w, QStringLiteral("Select All")));
    QCOMPARE(copy->shortcut(), QKeySequence(QKeySequence::Copy));
    QGuiApplication::clipboard()->clear();
    QVERIFY(!copy->isEnabled());
    QVERIFY(!paste->isEnabled());

    // Two states joined by a transition, and a text item.
    StateItem *idle = machine->states().first();
    driver.insertAt("actionState", QPointF(800, 200));
    StateItem *run = machine->states().last();
    driver.connect("actiontransition", ViewDriver::centreOf(idle), ViewDriver::centreOf(run));
    driver.insertAt("actionText", QPointF(800, 600));
    QCOMPARE(machine->transitions().size(), 1);
    TransitionItem *go = machine->transitions().first();
    go->setLabel(QStringLiteral("Go"));

    // The transition alone brings both its states.
    driver.click(ViewDriver::centreOf(go));
    QVERIFY(copy->isEnabled());
    keys(w, "Ctrl+C");
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data->hasFormat(ClipRecords::mimeType()));
    QCOMPARE(data->text(), QStringLiteral("CPU_A_Idle\nState1\nGo"));
    QVERIFY(paste->isEnabled());

    pointerAway();
    const int steps = machine->undoStack()->count();
    keys(w, "Ctrl+V");
    QCOMPARE(machine->states().size(), 4);
    QCOMPARE(machine->transitions().size(), 2);
    QCOMPARE(machine->undoStack()->count(), steps + 1);
    QCOMPARE(machine->undoStack()->undoText(), QStringLiteral("Paste 3 Items"));
    StateItem *idleCopy = machine->states().at(2);
    StateItem *runCopy = machine->states().at(3);
    TransitionItem *goCopy = machine->transitions().at(1);
    // Free labels, 20 px off, joined to the copies, selected and marked.
    QCOMPARE(stateLabels(*machine), QStringList({"CPU_A_Idle", "State1", "CPU_A_Idle2", "State2"}));
    QCOMPARE(idleCopy->pos(), idle->pos() + QPointF(20, 20));
    QCOMPARE(goCopy->startItem(), idleCopy);
    QCOMPARE(goCopy->endItem(), runCopy);
    QCOMPARE(goCopy->label(), QStringLiteral("Go"));
    QCOMPARE(machine->selectedItems().size(), 3);
    QCOMPARE(machine->markedItems().size(), 3);
    saveWindowShot(&w, "pasted-group");
    // The machine keeps one initial state.
    QVERIFY(idle->isInitialState());
    QVERIFY(!idleCopy->isInitialState());
    QCOMPARE(machine->markedInitialState(), idle);

    // One step back and forth.
    keys(w, "Ctrl+Z");
    QCOMPARE(machine->states().size(), 2);
    QCOMPARE(machine->transitions().size(), 1);
    QCOMPARE(idle->transitions().size(), 1);
    keys(w, "Ctrl+Y");
    QCOMPARE(machine->states().size(), 4);
    QCOMPARE(runCopy->transitions(), QList<TransitionItem *>{goCopy});

    // Saved and read back, the copies and their transition are there.
    QVERIFY(w.project()->writeTo(m_dir.filePath(QStringLiteral("machine-saved.qsmd"))));
    ProjectFileReader reader;
    QVERIFY(reader.load(m_dir.filePath(QStringLiteral("machine-saved.qsmd"))));
    bool joined = false;
    for (const TransitionRecord &t : reader.records().transitions)
        joined = joined || (t.startItem == QLatin1String("CPU_A_Idle2") && t.endItem == QLatin1String("State2"));
    QVERIFY(joined);

    // Ctrl+A then copy takes everything; the text item comes too.
    keys(w, "Ctrl+A");
    keys(w, "Ctrl+C");
    ProjectRecordLists all;
    QVERIFY(ClipRecords::fromXml(QGuiApplication::clipboard()->mimeData()->data(ClipRecords::mimeType()),
                                 &all, nullptr));
    QCOMPARE(all.states.size(), 4);
    QCOMPARE(all.transitions.size(), 2);
    QCOMPARE(all.texts.size(), 1);
}

void TestClipboard::pasteAtPointerCutAndDuplicate()
{
    ScriptedPrompter prompter;
    MainWindow w;
    QVERIFY(open(w, QStringLiteral("pointer.qsmd"), {"HW", "CPU A", "SW", "SM"}));
    Canvas *machine = w.project()->shownCanvas();
    ViewDriver driver(&w);
    StateItem *idle = machine->states().first();
    driver.click(ViewDriver::centreOf(idle));
    keys(w, "Ctrl+C");

    // At the pointer: the group's top-left corner goes there.
    QGraphicsView *view = driver.view();
    pointerAt(view, QPointF(700, 300));
    keys(w, "Ctrl+V");
    StateItem *copy = machine->states().last();
    const QPointF at = view->mapToScene(view->mapFromScene(QPointF(700, 300)));
    QCOMPARE(copy->pos(), at);
    QVERIFY(copy->isSelected() && !idle->isSelected());

    // Duplicate: 20 px off, the clipboard untouched.
    const QByteArray clip = QGuiApplication::clipboard()->mimeData()->data(ClipRecords::mimeType());
    keys(w, "Ctrl+D");
    StateItem *twin = machine->states().last();
    QCOMPARE(twin->pos(), at + QPointF(20, 20));
    QCOMPARE(twin->label(), QStringLiteral("CPU_A_Idle3"));
    QCOMPARE(QGuiApplication::clipboard()->mimeData()->data(ClipRecords::mimeType()), clip);

    // Cut: on the clipboard and off the diagram; away from the pointer,
    // each paste lands 20 px further.
    keys(w, "Ctrl+X");
    QVERIFY(!machine->states().contains(twin));
    QCOMPARE(machine->states().size(), 2);
    pointerAway();
    keys(w, "Ctrl+V");
    QCOMPARE(machine->states().last()->pos(), at + QPointF(40, 40));
    keys(w, "Ctrl+V");
    QCOMPARE(machine->states().last()->pos(), at + QPointF(60, 60));
    QCOMPARE(machine->states().size(), 4);
}

void TestClipboard::pasteBetweenDiagramsAndWindows()
{
    ScriptedPrompter prompter;
    MainWindow first;
    QVERIFY(open(first, QStringLiteral("first.qsmd"), {"HW", "CPU A", "SW", "SM"}));
    ViewDriver driver(&first);
    Canvas *machineA = first.project()->shownCanvas();
    driver.click(ViewDriver::centreOf(machineA->states().first()));
    keys(first, "Ctrl+C");
    pointerAway();

    // Another machine of the same project takes it.
    doubleClickNode(first, nodeIndex(first, {"HW", "CPU B", "SW", "SM"}));
    Canvas *machineB = first.project()->shownCanvas();
    QVERIFY(machineB != machineA);
    keys(first, "Ctrl+V");
    QCOMPARE(stateLabels(*machineB), QStringList({"CPU_B_Idle", "CPU_A_Idle"}));
    // A process diagram does not: Paste is off there and does nothing.
    doubleClickNode(first, nodeIndex(first, {"HW"}));
    Canvas *hardware = first.project()->shownCanvas();
    const int hardwareSteps = hardware->undoStack()->count();
    QVERIFY(!editAction(first, QStringLiteral("Paste"))->isEnabled());
    keys(first, "Ctrl+V");
    QCOMPARE(hardware->undoStack()->count(), hardwareSteps);

    // A second window of the session pastes through the system clipboard.
    MainWindow second;
    QVERIFY(open(second, QStringLiteral("second.qsmd"), {"HW", "CPU A", "SW", "SM"}));
    Canvas *other = second.project()->shownCanvas();
    QVERIFY(editAction(second, QStringLiteral("Paste"))->isEnabled());
    keys(second, "Ctrl+V");
    QCOMPARE(stateLabels(*other), QStringList({"CPU_A_Idle", "CPU_A_Idle2"}));
    QVERIFY(second.project()->isModified());
}

void TestClipboard::processDiagramPaste()
{
    ScriptedPrompter prompter;
    MainWindow w;
    QVERIFY(open(w, QStringLiteral("process.qsmd"), {"HW"}));
    Canvas *hardware = w.project()->shownCanvas();
    ViewDriver driver(&w);
    const int canvases = w.project()->canvases().size();
    const int steps = hardware->undoStack()->count();

    // The dataflow brings its process item and memory item.
    DataflowItem *flow = hardware->dataflows().first();
    driver.click(ViewDriver::centreOf(flow));
    keys(w, "Ctrl+C");
    pointerAway();
    keys(w, "Ctrl+V");
    QCOMPARE(hardware->processItems().size(), 3);
    QCOMPARE(hardware->memoryItems().size(), 2);
    QCOMPARE(hardware->dataflows().size(), 2);
    ProcessItem *cpuCopy = hardware->processItems().last();
    MemoryItem *sharedCopy = hardware->memoryItems().last();
    QCOMPARE(cpuCopy->label(), QStringLiteral("CPU A2"));
    QCOMPARE(sharedCopy->label(), QStringLiteral("shared2"));
    DataflowItem *flowCopy = hardware->dataflows().last();
    QCOMPARE(flowCopy->process(), cpuCopy);
    QCOMPARE(flowCopy->memory(), sharedCopy);
    // The process item gets its node and an empty diagram, not the subtree.
    QVERIFY(nodeIndex(w, {"HW", "CPU A2"}).isValid());
    QVERIFY(!nodeIndex(w, {"HW", "CPU A2", "SW"}).isValid());
    QCOMPARE(w.project()->canvases().size(), canvases + 1);
    QCOMPARE(hardware->undoStack()->count(), steps + 1);
    QVERIFY(cpuCopy->isSelected() && sharedCopy->isSelected() && flowCopy->isSelected());
    saveWindowShot(&w, "pasted-process-group");

    // The link brings both controllers.
    driver.click(ViewDriver::centreOf(hardware->links().first()));
    keys(w, "Ctrl+C");
    keys(w, "Ctrl+V");
    QCOMPARE(hardware->processItems().size(), 5);
    LinkItem *busCopy = hardware->links().last();
    QCOMPARE(busCopy->startItem()->label(), QStringLiteral("CPU A3"));
    QCOMPARE(busCopy->endItem()->label(), QStringLiteral("CPU B2"));

    // Each paste is one step: undo takes items, nodes and diagrams away.
    keys(w, "Ctrl+Z");
    keys(w, "Ctrl+Z");
    QCOMPARE(hardware->processItems().size(), 2);
    QCOMPARE(hardware->memoryItems().size(), 1);
    QCOMPARE(hardware->dataflows().size(), 1);
    QCOMPARE(hardware->links().size(), 1);
    QVERIFY(!nodeIndex(w, {"HW", "CPU A2"}).isValid());
    QCOMPARE(w.project()->canvases().size(), canvases);
    QVERIFY(!w.project()->isModified());

    // A process item pasted on its own: only the copy is selected, so
    // Delete right after the paste is about the copy.
    ProcessItem *original = hardware->processItems().first();
    driver.click(ViewDriver::centreOf(original));
    keys(w, "Ctrl+C");
    pointerAway();
    keys(w, "Ctrl+V");
    QCOMPARE(hardware->processItems().size(), 3);
    QVERIFY(!original->isSelected());
    QCOMPARE(hardware->selectedItems(), QList<QGraphicsItem *>{hardware->processItems().last()});
    keys(w, "Ctrl+Z");
}

QTEST_MAIN(TestClipboard)
#include "tst_clipboard.moc"
