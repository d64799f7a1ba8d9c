// Sub-machines in the window, driven with real mouse and key events: the
// state menu's "Add Sub-machine" and "Open Sub-machine", Enter on a holder
// state, the browser's sub-machine nodes, Back and Forward; drawing in a
// sub-machine and saving and reopening with every connection on the same
// items at every level; undo and redo of adding and deleting sub-machines
// (and of deleting the state that holds one, after a question naming what
// goes); the dialog's "Sub-machine" box; the depth limit; copy and paste of
// a state with its sub-machine.

#include "Canvas.h"
#include "DiagramFiles.h"
#include "FindPanel.h"
#include "FindResultsModel.h"
#include "MainWindow.h"
#include "NavigationActions.h"
#include "Project.h"
#include "ProjectDocument.h"
#include "ProjectFileReader.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "SubMachineActions.h"
#include "SubMachineLevels.h"
#include "TransitionItem.h"
#include "TreeModel.h"
#include "TreeNode.h"
#include "ViewDriver.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QGraphicsView>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <QUndoStack>
#include <QtTest>

using namespace WindowProjectFixture;

namespace {

const QStringList kMachine{"HW", "CPU A", "SW", "SM"};
const QString kIdle = QStringLiteral("CPU_A_Idle");

StateItem *stateNamed(const Canvas *canvas, const QString &label)
{
    for (StateItem *state : canvas->states()) {
        if (state->label() == label)
            return state;
    }
    return nullptr;
}

// The names of the children of a tree node.
QStringList childNames(const QModelIndex &index)
{
    QStringList names;
    for (int row = 0; row < index.model()->rowCount(index); ++row)
        names << index.model()->index(row, 0, index).data().toString();
    return names;
}

} // namespace

class TestSubMachines : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void menuEnterBrowserAndHistoryOpenIt();
    void drawnSubMachinesSaveAndReopen();
    void undoRedoOfAddingAndDeleting();
    void dialogBoxAddsAndRemoves();
    void depthLimitDisablesAdding();
    void copyAndPasteBringTheSubMachine();
    void findAndExportReachSubMachines();

private:
    // Opens the nested project and shows the first machine.
    Canvas *openMachine(const QString &file);
    Canvas *shown() const { return m_window->project()->shownCanvas(); }
    QAction *action(const char *name) const { return WindowProjectFixture::action(*m_window, name); }
    // Right-clicks the state and triggers the menu's action `name` if it
    // is enabled; returns whether it was.
    bool fromMenu(StateItem *state, const char *name);
    // The state's sub-machine added and opened from its menu: the diagram shown, or null.
    Canvas *addAndOpen(StateItem *state);
    StateItem *insertState(const QPointF &at, const QString &label);

    QTemporaryDir m_dir;
    ScriptedPrompter *m_prompter = nullptr;
    MainWindow *m_window = nullptr;
    ViewDriver *m_driver = nullptr;
};

void TestSubMachines::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void TestSubMachines::init()
{
    QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro")).clear();
    m_prompter = new ScriptedPrompter;
    m_window = new MainWindow;
    m_window->resize(1500, 1000);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_driver = new ViewDriver(m_window);
}

void TestSubMachines::cleanup()
{
    delete m_driver;
    m_window->project()->markSaved();
    delete m_window;
    delete m_prompter;
}

Canvas *TestSubMachines::openMachine(const QString &file)
{
    if (!openDocument(*m_window, nestedDocument(), m_dir.filePath(file)))
        return nullptr;
    doubleClickNode(*m_window, nodeIndex(*m_window, kMachine));
    return shown() && shown()->name() == QLatin1String("SM") ? shown() : nullptr;
}

bool TestSubMachines::fromMenu(StateItem *state, const char *name)
{
    bool enabled = false;
    m_driver->rightClick(ViewDriver::centreOf(state), [&](QMenu *menu) {
        QAction *wanted = action(name);
        enabled = menu->actions().contains(wanted) && wanted->isEnabled();
        if (enabled)
            wanted->trigger();
    });
    return enabled;
}

Canvas *TestSubMachines::addAndOpen(StateItem *state)
{
    return fromMenu(state, "actionAdd_Sub_machine") && fromMenu(state, "actionOpen_Sub_machine") ? shown() : nullptr;
}

StateItem *TestSubMachines::insertState(const QPointF &at, const QString &label)
{
    const QList<StateItem *> before = shown()->states();
    m_driver->insertAt("actionState", at);
    for (StateItem *state : shown()->states()) {
        if (!before.contains(state)) {
            state->setLabel(label);
            return state;
        }
    }
    return nullptr;
}

// "Add Sub-machine" gives the state its marker, a diagram one level down
// and a node below the machine's named after it; "Open Sub-machine", Enter
// on the selected state and the node open that diagram; Back and Forward
// walk between it and the machine.
void TestSubMachines::menuEnterBrowserAndHistoryOpenIt()
{
    Canvas *machine = openMachine(QStringLiteral("open.qsmd"));
    QVERIFY(machine);
    StateItem *idle = stateNamed(machine, kIdle);
    QVERIFY(idle);
    QVERIFY(!fromMenu(idle, "actionOpen_Sub_machine"));
    QVERIFY(!m_window->project()->isModified());

    QVERIFY(fromMenu(idle, "actionAdd_Sub_machine"));
    QVERIFY(idle->holdsSubMachine());
    QCOMPARE(idle->subMachine(), QLatin1String(SubMachineStart));
    QCOMPARE(shown(), machine);
    QVERIFY(m_window->project()->isModified());
    const QModelIndex machineNode = nodeIndex(*m_window, kMachine);
    QCOMPARE(childNames(machineNode), QStringList{kIdle});
    Canvas *sub = canvasNamed(*m_window, kIdle, 6);
    QVERIFY(sub);
    QVERIFY(!fromMenu(idle, "actionAdd_Sub_machine"));

    QVERIFY(fromMenu(idle, "actionOpen_Sub_machine"));
    QCOMPARE(shown(), sub);
    QCOMPARE(m_window->toolContext(), 6);
    QVERIFY(action("actionState")->isEnabled());
    QVERIFY(action("actiontransition")->isEnabled());
    QVERIFY(!action("actionProcessRect")->isEnabled());
    auto *tree = m_window->findChild<QTreeView *>(QStringLiteral("treeView"));
    QCOMPARE(tree->currentIndex(), nodeIndex(*m_window, kMachine + QStringList{kIdle}));

    action("actionBack")->trigger();
    QCOMPARE(shown(), machine);
    action("actionForward")->trigger();
    QCOMPARE(shown(), sub);
    action("actionBack")->trigger();

    // Enter on the selected state; nothing for a state without one.
    StateItem *other = insertState(QPointF(900, 600), QStringLiteral("Other"));
    QVERIFY(other);
    machine->clearSelection();
    m_driver->click(ViewDriver::centreOf(other));
    m_driver->key(Qt::Key_Return);
    QCOMPARE(shown(), machine);
    machine->clearSelection();
    m_driver->click(ViewDriver::centreOf(idle));
    QVERIFY(idle->isSelected());
    m_driver->key(Qt::Key_Return);
    QCOMPARE(shown(), sub);

    // The browser's node, after another diagram was shown.
    doubleClickNode(*m_window, nodeIndex(*m_window, {"HW"}));
    QCOMPARE(shown()->name(), QStringLiteral("HW"));
    doubleClickNode(*m_window, nodeIndex(*m_window, kMachine + QStringList{kIdle}));
    QCOMPARE(shown(), sub);
}

// A sub-machine with states, transitions, a text and a sub-machine of its
// own saves and reopens with every item on its diagram and every
// transition between the same states, at every level; saving again
// writes the same bytes.
void TestSubMachines::drawnSubMachinesSaveAndReopen()
{
    Canvas *machine = openMachine(QStringLiteral("draw.qsmd"));
    QVERIFY(machine);
    StateItem *idle = stateNamed(machine, kIdle);
    Canvas *sub = addAndOpen(idle);
    QVERIFY(sub);
    StateItem *a = insertState(QPointF(300, 300), QStringLiteral("Inner_A"));
    StateItem *b = insertState(QPointF(900, 300), QStringLiteral("Inner_B"));
    QVERIFY(a && b);
    m_driver->connect("actiontransition", ViewDriver::centreOf(a), ViewDriver::centreOf(b));
    QCOMPARE(sub->transitions().size(), 1);
    Canvas *deep = addAndOpen(b);
    QVERIFY(deep);
    QCOMPARE(deep->level(), 7);
    StateItem *c = insertState(QPointF(300, 300), QStringLiteral("Deep_C"));
    StateItem *d = insertState(QPointF(900, 300), QStringLiteral("Deep_D"));
    m_driver->connect("actiontransition", ViewDriver::centreOf(d), ViewDriver::centreOf(c));
    QCOMPARE(deep->transitions().size(), 1);

    const QString path = m_dir.filePath(QStringLiteral("draw.qsmd"));
    action("actionSave")->trigger();
    QVERIFY(!m_window->project()->isModified());
    const QByteArray saved = fileBytes(path);
    QVERIFY(saved.contains("<subMachine>start</subMachine>"));

    QVERIFY(openDocument(*m_window, nestedDocument(), m_dir.filePath(QStringLiteral("other.qsmd"))));
    m_prompter->openAnswers.enqueue(OpenFileResult{QStringList{path}, QString()});
    action("actionOpen")->trigger();
    QCOMPARE(m_window->project()->filePath(), path);
    Canvas *reSub = canvasNamed(*m_window, kIdle, 6);
    Canvas *reDeep = canvasNamed(*m_window, QStringLiteral("Inner_B"), 7);
    QVERIFY(reSub && reDeep);
    QCOMPARE(childNames(nodeIndex(*m_window, kMachine)), QStringList{kIdle});
    QCOMPARE(childNames(nodeIndex(*m_window, kMachine + QStringList{kIdle})), QStringList{"Inner_B"});
    QCOMPARE(reSub->states().size(), 2);
    QCOMPARE(reDeep->states().size(), 2);
    const TransitionItem *t = reSub->transitions().value(0);
    QVERIFY(t);
    QCOMPARE(t->startItem()->label(), QStringLiteral("Inner_A"));
    QCOMPARE(t->endItem()->label(), QStringLiteral("Inner_B"));
    const TransitionItem *u = reDeep->transitions().value(0);
    QVERIFY(u);
    QCOMPARE(u->startItem()->label(), QStringLiteral("Deep_D"));
    QCOMPARE(u->endItem()->label(), QStringLiteral("Deep_C"));
    QVERIFY(stateNamed(reSub, QStringLiteral("Inner_B"))->holdsSubMachine());
    QVERIFY(stateNamed(canvasNamed(*m_window, QStringLiteral("SM"), 5), kIdle)->holdsSubMachine());

    // Opened through the browser and saved again: the same bytes.
    doubleClickNode(*m_window, nodeIndex(*m_window, kMachine + QStringList{kIdle, "Inner_B"}));
    QCOMPARE(shown(), reDeep);
    m_window->project()->markModified();
    action("actionSave")->trigger();
    QCOMPARE(fileBytes(path), saved);
}

// Undo takes an added sub-machine away with what was drawn in it, redo
// brings all of it back; deleting the holder asks first, naming the
// diagrams and items that go, and takes everything in one undo step.
void TestSubMachines::undoRedoOfAddingAndDeleting()
{
    Canvas *machine = openMachine(QStringLiteral("undo.qsmd"));
    QVERIFY(machine);
    StateItem *idle = stateNamed(machine, kIdle);
    Canvas *sub = addAndOpen(idle);
    QVERIFY(sub);
    StateItem *inner = insertState(QPointF(300, 300), QStringLiteral("Inner"));
    QVERIFY(inner);
    QVERIFY(fromMenu(inner, "actionAdd_Sub_machine"));
    action("actionBack")->trigger();
    QCOMPARE(shown(), machine);
    const int canvases = m_window->project()->canvases().size();

    // Undo of the add on the machine's stack.
    action("actionUndo")->trigger();
    QVERIFY(!idle->holdsSubMachine());
    QCOMPARE(m_window->project()->canvases().size(), canvases - 2);
    QVERIFY(childNames(nodeIndex(*m_window, kMachine)).isEmpty());
    action("actionRedo")->trigger();
    QVERIFY(idle->holdsSubMachine());
    QCOMPARE(m_window->project()->canvases().size(), canvases);
    QCOMPARE(childNames(nodeIndex(*m_window, kMachine)), QStringList{kIdle});
    QVERIFY(sub->states().contains(inner));
    QVERIFY(inner->holdsSubMachine());
    QCOMPARE(childNames(nodeIndex(*m_window, kMachine + QStringList{kIdle})), QStringList{"Inner"});

    // Deleting the holder: No keeps everything.
    machine->clearSelection();
    m_driver->click(ViewDriver::centreOf(idle));
    m_prompter->messageAnswers.enqueue(QMessageBox::No);
    action("actionDelete")->trigger();
    QCOMPARE(m_prompter->messages.size(), 1);
    QCOMPARE(m_prompter->messages.last().text,
             QStringLiteral("Deleting \"CPU_A_Idle\" also deletes its sub-machine: the 2 diagrams "
                            "\"CPU_A_Idle\" and \"Inner\" with 1 item."));
    QVERIFY(machine->states().contains(idle));
    QCOMPARE(m_window->project()->canvases().size(), canvases);

    m_prompter->messageAnswers.enqueue(QMessageBox::Yes);
    action("actionDelete")->trigger();
    QVERIFY(!machine->states().contains(idle));
    QCOMPARE(m_window->project()->canvases().size(), canvases - 2);
    QVERIFY(childNames(nodeIndex(*m_window, kMachine)).isEmpty());

    // One step brings the state, its diagrams, their items and nodes back.
    action("actionUndo")->trigger();
    QVERIFY(machine->states().contains(idle));
    QVERIFY(idle->holdsSubMachine());
    QCOMPARE(m_window->project()->canvases().size(), canvases);
    QCOMPARE(childNames(nodeIndex(*m_window, kMachine + QStringList{kIdle})), QStringList{"Inner"});
    QVERIFY(sub->states().contains(inner));
    doubleClickNode(*m_window, nodeIndex(*m_window, kMachine + QStringList{kIdle}));
    QCOMPARE(shown(), sub);
    action("actionBack")->trigger();
    action("actionRedo")->trigger();
    QVERIFY(!machine->states().contains(idle));
    QCOMPARE(m_window->project()->canvases().size(), canvases - 2);
    action("actionUndo")->trigger();
    // Undoing further takes the added sub-machine away again, then the
    // state drawn before it is still there.
    action("actionUndo")->trigger();
    QVERIFY(!idle->holdsSubMachine());
    QCOMPARE(m_window->project()->canvases().size(), canvases - 2);
}

// The dialog's "Sub-machine" box adds one (one undo step with the
// dialog's other changes); "Resume where it was left" is the mode;
// clearing the box on a sub-machine with items asks the same question.
void TestSubMachines::dialogBoxAddsAndRemoves()
{
    Canvas *machine = openMachine(QStringLiteral("dialog.qsmd"));
    QVERIFY(machine);
    StateItem *idle = stateNamed(machine, kIdle);
    const int canvases = m_window->project()->canvases().size();
    const auto edit = [&](const std::function<void(QWidget *)> &answer) {
        return ViewDriver::whileModal([&] { m_driver->doubleClick(ViewDriver::centreOf(idle)); }, answer);
    };
    QVERIFY(edit([](QWidget *dialog) {
        auto *box = dialog->findChild<QCheckBox *>(QStringLiteral("checkBox_subMachine"));
        auto *resume = dialog->findChild<QCheckBox *>(QStringLiteral("checkBox_resume"));
        QCOMPARE(box->text(), QStringLiteral("Sub-machine"));
        QCOMPARE(resume->text(), QStringLiteral("Resume where it was left"));
        QVERIFY(!box->isChecked());
        QVERIFY(!resume->isEnabled());
        box->setChecked(true);
        QVERIFY(resume->isEnabled());
        resume->setChecked(true);
        dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit_2"))->setText(QStringLiteral("Working"));
        ViewDriver::ok(dialog);
    }));
    QCOMPARE(idle->subMachine(), QLatin1String(SubMachineResume));
    QCOMPARE(idle->label(), QStringLiteral("Working"));
    QCOMPARE(m_window->project()->canvases().size(), canvases + 1);
    QCOMPARE(childNames(nodeIndex(*m_window, kMachine)), QStringList{"Working"});
    const int steps = machine->undoStack()->count();
    // One step: label and sub-machine go back together.
    action("actionUndo")->trigger();
    QCOMPARE(idle->label(), kIdle);
    QVERIFY(!idle->holdsSubMachine());
    QCOMPARE(m_window->project()->canvases().size(), canvases);
    action("actionRedo")->trigger();
    QCOMPARE(machine->undoStack()->count(), steps);
    QCOMPARE(idle->subMachine(), QLatin1String(SubMachineResume));

    // The holder's new label follows into its diagram and node.
    Canvas *sub = canvasNamed(*m_window, QStringLiteral("Working"), 6);
    QVERIFY(sub);
    QVERIFY(fromMenu(idle, "actionOpen_Sub_machine"));
    insertState(QPointF(300, 300), QStringLiteral("Inside"));
    action("actionBack")->trigger();

    // Clearing the box: No keeps the sub-machine, but the other change goes in.
    m_prompter->messageAnswers.enqueue(QMessageBox::No);
    QVERIFY(edit([](QWidget *dialog) {
        QVERIFY(dialog->findChild<QCheckBox *>(QStringLiteral("checkBox_resume"))->isChecked());
        dialog->findChild<QCheckBox *>(QStringLiteral("checkBox_subMachine"))->setChecked(false);
        dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit_2"))->setText(QStringLiteral("Busy"));
        ViewDriver::ok(dialog);
    }));
    QCOMPARE(m_prompter->messages.size(), 1);
    QCOMPARE(m_prompter->messages.last().text,
             QStringLiteral("Clearing \"Sub-machine\" of \"Working\" also deletes its sub-machine: "
                            "the diagram \"Working\" with 1 item."));
    QVERIFY(idle->holdsSubMachine());
    QCOMPARE(idle->label(), QStringLiteral("Busy"));
    QCOMPARE(sub->name(), QStringLiteral("Busy"));
    QCOMPARE(childNames(nodeIndex(*m_window, kMachine)), QStringList{"Busy"});
    action("actionUndo")->trigger();
    QCOMPARE(sub->name(), QStringLiteral("Working"));
    QCOMPARE(childNames(nodeIndex(*m_window, kMachine)), QStringList{"Working"});

    m_prompter->messageAnswers.enqueue(QMessageBox::Yes);
    QVERIFY(edit([](QWidget *dialog) {
        dialog->findChild<QCheckBox *>(QStringLiteral("checkBox_subMachine"))->setChecked(false);
        ViewDriver::ok(dialog);
    }));
    QVERIFY(!idle->holdsSubMachine());
    QCOMPARE(m_window->project()->canvases().size(), canvases);
    action("actionUndo")->trigger();
    QCOMPARE(idle->subMachine(), QLatin1String(SubMachineResume));
    QCOMPARE(sub->states().size(), 1);
    QCOMPARE(childNames(nodeIndex(*m_window, kMachine)), QStringList{"Working"});
}

// Four levels of sub-machines below the machine; on the deepest the menu
// entry is off with a status tip saying why, and so is the dialog's box.
void TestSubMachines::depthLimitDisablesAdding()
{
    Canvas *machine = openMachine(QStringLiteral("deep.qsmd"));
    QVERIFY(machine);
    StateItem *holder = stateNamed(machine, kIdle);
    for (int depth = 1; depth <= MaxSubMachineDepth; ++depth) {
        QVERIFY2(fromMenu(holder, "actionAdd_Sub_machine"), qPrintable(QString::number(depth)));
        QVERIFY(fromMenu(holder, "actionOpen_Sub_machine"));
        QCOMPARE(shown()->level(), MachineCanvasLevel + depth);
        holder = insertState(QPointF(400, 300), QStringLiteral("Level_%1").arg(depth));
        QVERIFY(holder);
    }
    QCOMPARE(shown()->level(), DeepestCanvasLevel);
    QVERIFY(!fromMenu(holder, "actionAdd_Sub_machine"));
    QVERIFY(action("actionAdd_Sub_machine")->statusTip().contains(QStringLiteral("4 levels deep")));
    QVERIFY(ViewDriver::whileModal([&] { m_driver->doubleClick(ViewDriver::centreOf(holder)); },
                                   [](QWidget *dialog) {
                                       auto *box = dialog->findChild<QCheckBox *>(QStringLiteral("checkBox_subMachine"));
                                       QVERIFY(!box->isEnabled());
                                       QVERIFY(box->toolTip().contains(QStringLiteral("deepest")));
                                       ViewDriver::cancel(dialog);
                                   }));
    // The deepest node, its diagram's level.
    const QModelIndex deepest = nodeIndex(*m_window, kMachine + QStringList{kIdle, "Level_1", "Level_2", "Level_3"});
    QVERIFY(deepest.isValid());
    QCOMPARE(m_window->project()->treeModel()->nodeFromIndex(deepest)->level(), DeepestCanvasLevel);
    QVERIFY(childNames(deepest).isEmpty());
}

// Copy and paste of a state that holds a sub-machine brings its diagram
// and everything below it along, as new diagrams; undo takes them away.
void TestSubMachines::copyAndPasteBringTheSubMachine()
{
    Canvas *machine = openMachine(QStringLiteral("copy.qsmd"));
    QVERIFY(machine);
    StateItem *idle = stateNamed(machine, kIdle);
    QVERIFY(addAndOpen(idle));
    StateItem *a = insertState(QPointF(300, 300), QStringLiteral("Inner_A"));
    StateItem *b = insertState(QPointF(900, 300), QStringLiteral("Inner_B"));
    m_driver->connect("actiontransition", ViewDriver::centreOf(a), ViewDriver::centreOf(b));
    QVERIFY(addAndOpen(b));
    insertState(QPointF(300, 300), QStringLiteral("Deep"));
    action("actionBack")->trigger();
    action("actionBack")->trigger();
    QCOMPARE(shown(), machine);
    const int canvases = m_window->project()->canvases().size();

    machine->clearSelection();
    m_driver->click(ViewDriver::centreOf(idle));
    action("actionCopy")->trigger();
    machine->clearSelection();
    m_driver->click(QPointF(1500, 800));
    action("actionPaste")->trigger();
    QCOMPARE(machine->states().size(), 2);
    StateItem *copy = machine->states().last();
    QVERIFY(copy != idle);
    QVERIFY(copy->holdsSubMachine());
    QCOMPARE(m_window->project()->canvases().size(), canvases + 2);
    QCOMPARE(childNames(nodeIndex(*m_window, kMachine)), QStringList({kIdle, copy->label()}));
    Canvas *pastedSub = canvasNamed(*m_window, copy->label(), 6);
    QVERIFY(pastedSub);
    QCOMPARE(pastedSub->states().size(), 2);
    QCOMPARE(pastedSub->transitions().size(), 1);
    QCOMPARE(pastedSub->transitions().first()->startItem()->label(), QStringLiteral("Inner_A"));
    QVERIFY(stateNamed(pastedSub, QStringLiteral("Inner_B"))->holdsSubMachine());
    QCOMPARE(childNames(nodeIndex(*m_window, kMachine + QStringList{copy->label()})), QStringList{"Inner_B"});
    // The copies are new diagrams: the originals keep their items.
    Canvas *original = canvasNamed(*m_window, kIdle, 6);
    QVERIFY(original != pastedSub);
    QVERIFY(original->states().contains(a));
    // The pasted sub-machine opens and saves like the original.
    m_driver->key(Qt::Key_Return);
    QCOMPARE(shown(), pastedSub);
    action("actionBack")->trigger();
    ProjectDocument document;
    QVERIFY(m_window->project()->snapshot(&document));

    // One undo step takes the state and all its diagrams away.
    action("actionUndo")->trigger();
    QCOMPARE(machine->states().size(), 1);
    QCOMPARE(m_window->project()->canvases().size(), canvases);
    QCOMPARE(childNames(nodeIndex(*m_window, kMachine)), QStringList{kIdle});
    action("actionRedo")->trigger();
    QCOMPARE(machine->states().size(), 2);
    QCOMPARE(m_window->project()->canvases().size(), canvases + 2);

    // Pasted into a sub-machine diagram it goes one level deeper.
    doubleClickNode(*m_window, nodeIndex(*m_window, kMachine + QStringList{kIdle}));
    QCOMPARE(shown(), original);
    m_driver->click(QPointF(1500, 800));
    action("actionPaste")->trigger();
    QCOMPARE(original->states().size(), 3);
    QVERIFY(canvasNamed(*m_window, original->states().last()->label(), 7));
    QVERIFY(canvasNamed(*m_window, QStringLiteral("Inner_B"), 8));
}

// Find searches the sub-machine diagrams and shows a hit on its diagram
// with the item selected; the export lists and writes every sub-machine
// diagram after its parent, named by its path.
void TestSubMachines::findAndExportReachSubMachines()
{
    Canvas *machine = openMachine(QStringLiteral("find.qsmd"));
    QVERIFY(machine);
    StateItem *idle = stateNamed(machine, kIdle);
    QVERIFY(addAndOpen(idle));
    StateItem *inner = insertState(QPointF(300, 300), QStringLiteral("Inner"));
    Canvas *deep = addAndOpen(inner);
    QVERIFY(deep);
    insertState(QPointF(300, 300), QStringLiteral("Other"));
    StateItem *target = insertState(QPointF(900, 300), QStringLiteral("Needle"));
    doubleClickNode(*m_window, nodeIndex(*m_window, {"HW"}));

    m_window->navigation()->findAction()->trigger();
    FindPanel *panel = m_window->navigation()->findPanel();
    QVERIFY(panel->isVisible());
    QTest::keyClicks(panel->searchField(), QStringLiteral("needle"));
    QTest::keyClick(panel->searchField(), Qt::Key_Return);
    FindResultsModel *model = panel->resultsModel();
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(model->index(0, FindResultsModel::DiagramColumn).data().toString(),
             QStringLiteral("Proj / HW / CPU A / SW / SM / CPU_A_Idle / Inner"));
    QTreeView *results = panel->resultsView();
    const QRect row = results->visualRect(results->model()->index(0, FindResultsModel::ItemColumn));
    QTest::mouseClick(results->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    QCOMPARE(shown(), deep);
    QCOMPARE(deep->selectedItems(), QList<QGraphicsItem *>{target});

    const QList<DiagramEntry> entries = DiagramFiles::entries(m_window->project()->canvases());
    QStringList paths;
    for (const DiagramEntry &entry : entries)
        paths << entry.path;
    const int sm = paths.indexOf(QStringLiteral("Proj/HW/CPU A/SW/SM"));
    QVERIFY(sm >= 0);
    QCOMPARE(paths.mid(sm, 3), QStringList({"Proj/HW/CPU A/SW/SM", "Proj/HW/CPU A/SW/SM/CPU_A_Idle",
                                            "Proj/HW/CPU A/SW/SM/CPU_A_Idle/Inner"}));
    QTemporaryDir out;
    const DiagramFiles::Result written = DiagramFiles::writeEach(entries, out.path(), ExportOptions());
    QVERIFY2(written.ok(), qPrintable(written.errors.join(QLatin1Char('\n'))));
    const QString deepFile = out.filePath(QStringLiteral("Proj/HW/CPU_A/SW/SM/CPU_A_Idle/Inner.svg"));
    QVERIFY(written.written.contains(deepFile));
    QVERIFY(fileBytes(deepFile).contains("Needle"));
}

QTEST_MAIN(TestSubMachines)
#include "tst_submachines_window.moc"
