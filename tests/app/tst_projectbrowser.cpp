// The project browser and the process items that stand for tree nodes:
// activating nodes with real double-clicks, adding, renaming and deleting
// process items, and what a saved project keeps of that.

#include "ItemKind.h"
#include "ItemKinds.h"
#include "Canvas.h"
#include "ItemActions.h"
#include "FloatingLinkItem.h"
#include "FloatingMemoryItem.h"
#include "MainWindow.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectBrowser.h"
#include "ProjectActions.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "TreeModel.h"
#include "TreeNode.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QGraphicsView>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

using namespace WindowProjectFixture;

class TestProjectBrowser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void activationShowsCanvasToolsAndFloatingEnds();
    void siblingsWithTheSameNameAreToldApart();
    void treeCannotBeEdited();
    void addingProcessItemAddsNodeAndCanvas();
    void renamingProcessItemRenamesCanvasAndNode();
    void deletingProcessItemKeepsSiblingsReachable();

private:
    QTemporaryDir m_dir;
    void open(MainWindow &w, ScriptedPrompter &prompter, const ProjectDocument &doc,
              const QString &name);
};

void TestProjectBrowser::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void TestProjectBrowser::open(MainWindow &w, ScriptedPrompter &prompter,
                              const ProjectDocument &doc, const QString &name)
{
    const QString file = m_dir.filePath(name);
    QVERIFY(writeDocument(doc, file));
    prompter.openAnswers << OpenFileResult{{file}, m_dir.path()};
    action(w, "actionOpen")->trigger();
    QCOMPARE(w.projectActions()->projectPath(), file);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
}

void TestProjectBrowser::activationShowsCanvasToolsAndFloatingEnds()
{
    ScriptedPrompter prompter;
    MainWindow w;
    open(w, prompter, nestedDocument(), QStringLiteral("activate.qsmd"));
    QCOMPARE(w.toolContext(), 1);

    // The first controller: the link leaves it, the dataflow too.
    const QModelIndex cpuA = nodeIndex(w, {"HW", "CPU A"});
    doubleClickNode(w, cpuA);
    Canvas *shown = w.project()->shownCanvas();
    QVERIFY(shown);
    QCOMPARE(shown->name(), QStringLiteral("CPU A"));
    QCOMPARE(shown->id(), 1);
    QCOMPARE(w.toolContext(), 3);
    QVERIFY(action(w, "actionProcessRect")->isEnabled());
    QVERIFY(!action(w, "actionState")->isEnabled());
    QCOMPARE(w.findChild<QTreeView *>("treeView")->currentIndex(), cpuA);
    QCOMPARE(w.findChild<QGraphicsView *>("graphicsView")->scene(), shown);
    QCOMPARE(shown->floatingLinks().size(), 1);
    QCOMPARE(shown->floatingLinks().first()->label(), QStringLiteral("bus"));
    QCOMPARE(shown->floatingMemories().size(), 1);

    // Activating the node shown again rebuilds nothing.
    FloatingLinkItem *tag = shown->floatingLinks().first();
    FloatingMemoryItem *memoryTag = shown->floatingMemories().first();
    doubleClickNode(w, cpuA);
    QCOMPARE(shown->floatingLinks().size(), 1);
    QCOMPARE(shown->floatingLinks().first(), tag);
    QCOMPARE(shown->floatingMemories().first(), memoryTag);

    // The second controller: the link enters it, no dataflow.
    doubleClickNode(w, nodeIndex(w, {"HW", "CPU B"}));
    QCOMPARE(w.project()->shownCanvas()->name(), QStringLiteral("CPU B"));
    QCOMPARE(w.project()->shownCanvas()->floatingLinks().size(), 1);
    QVERIFY(w.project()->shownCanvas()->floatingLinks().first()->direction()
            != tag->direction());
    QCOMPARE(w.project()->shownCanvas()->floatingMemories().size(), 0);

    // Back and forth: the ends of a canvas never pile up.
    doubleClickNode(w, cpuA);
    QCOMPARE(w.project()->shownCanvas(), shown);
    QCOMPARE(shown->floatingLinks().size(), 1);
    QCOMPARE(shown->floatingMemories().size(), 1);

    // A state machine gets the state-machine tools; the project node level 1.
    doubleClickNode(w, nodeIndex(w, {"HW", "CPU B", "SW", "SM"}));
    QCOMPARE(w.toolContext(), 5);
    QCOMPARE(w.project()->shownCanvas()->states().first()->label(), QStringLiteral("CPU_B_Idle"));
    QVERIFY(action(w, "actionState")->isEnabled());
    doubleClickNode(w, w.project()->treeModel()->index(0, 0));
    QCOMPARE(w.project()->shownCanvas(), w.project()->canvases().first());
    QCOMPARE(w.toolContext(), 1);
}

void TestProjectBrowser::siblingsWithTheSameNameAreToldApart()
{
    ScriptedPrompter prompter;
    MainWindow w;
    open(w, prompter, nestedDocument(QStringLiteral("Twin"), QStringLiteral("Twin")),
         QStringLiteral("twins.qsmd"));
    TreeModel *model = w.project()->treeModel();
    const QModelIndex hardware = model->index(0, 0, model->index(0, 0));
    const QModelIndex second = model->index(1, 0, hardware);
    QCOMPARE(second.data().toString(), QStringLiteral("Twin"));
    doubleClickNode(w, second);
    QCOMPARE(w.project()->shownCanvas()->name(), QStringLiteral("Twin"));
    QCOMPARE(w.project()->shownCanvas()->id(), 2);

    // Their state machines have equal identity numbers below level 3 too.
    const QModelIndex machine = model->index(0, 0, model->index(0, 0, second));
    doubleClickNode(w, machine);
    QCOMPARE(w.project()->shownCanvas()->grandParentId(), 2);
    QCOMPARE(w.project()->shownCanvas()->states().first()->label(), QStringLiteral("Twin_Idle"));
    const QModelIndex firstMachine =
        model->index(0, 0, model->index(0, 0, model->index(0, 0, hardware)));
    doubleClickNode(w, firstMachine);
    QCOMPARE(w.project()->shownCanvas()->grandParentId(), 1);
    QVERIFY(w.project()->shownCanvas() != w.project()->canvases().last());
}

void TestProjectBrowser::treeCannotBeEdited()
{
    ScriptedPrompter prompter;
    MainWindow w;
    open(w, prompter, nestedDocument(), QStringLiteral("edit.qsmd"));
    auto *tree = w.findChild<QTreeView *>("treeView");
    const QModelIndex node = nodeIndex(w, {"HW"});
    doubleClickNode(w, node);
    QTest::keyClick(tree, Qt::Key_F2);
    QVERIFY(!tree->indexWidget(node));
    QVERIFY(!tree->findChild<QLineEdit *>());
    QCOMPARE(tree->contextMenuPolicy(), Qt::CustomContextMenu);
    QCOMPARE(node.data().toString(), QStringLiteral("HW"));
}

void TestProjectBrowser::addingProcessItemAddsNodeAndCanvas()
{
    ScriptedPrompter prompter;
    MainWindow w;
    open(w, prompter, nestedDocument(), QStringLiteral("add.qsmd"));
    const int before = w.project()->canvases().size();
    doubleClickNode(w, nodeIndex(w, {"HW"}));
    Canvas *hardware = w.project()->shownCanvas();
    QCOMPARE(hardware->processItems().size(), 2);

    // Process tool, then a real click on the diagram.
    action(w, "actionProcessRect")->trigger();
    auto *view = w.findChild<QGraphicsView *>("graphicsView");
    const QPoint at = view->mapFromScene(QPointF(1500, 600));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);

    QCOMPARE(hardware->processItems().size(), 3);
    QVERIFY(w.project()->isModified());
    QCOMPARE(w.project()->canvases().size(), before + 1);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(hardware->processItems().at(i)->id(), i + 1);
        QCOMPARE(hardware->processItems().at(i)->nos(), 3);
    }
    ProcessItem *added = hardware->processItems().last();
    Canvas *canvas = w.project()->canvases().last();
    QCOMPARE(canvas->name(), added->label());
    QCOMPARE(canvas->level(), 3);
    QCOMPARE(canvas->id(), 3);
    QCOMPARE(canvas->nos(), 3);
    QCOMPARE(canvas->parentId(), 1);
    QCOMPARE(canvas->grandParentId(), 1);
    QCOMPARE(canvasNamed(w, QStringLiteral("CPU A"), 3)->nos(), 3);

    const QModelIndex node = nodeIndex(w, {"HW", added->label()});
    QVERIFY(node.isValid());
    QCOMPARE(node.row(), 2);
    TreeNode *treeNode = w.project()->treeModel()->nodeFromIndex(node);
    QCOMPARE(treeNode->id(), 3);
    QCOMPARE(treeNode->level(), 3);
    QVERIFY(w.findChild<QTreeView *>("treeView")->isExpanded(node.parent()));

    // The new node opens its new, empty diagram.
    doubleClickNode(w, node);
    QCOMPARE(w.project()->shownCanvas(), canvas);
    QVERIFY(canvas->processItems().isEmpty());
}

void TestProjectBrowser::renamingProcessItemRenamesCanvasAndNode()
{
    ScriptedPrompter prompter;
    MainWindow w;
    open(w, prompter, nestedDocument(), QStringLiteral("renameitem.qsmd"));
    doubleClickNode(w, nodeIndex(w, {"HW"}));
    Canvas *hardware = w.project()->shownCanvas();
    ProcessItem *item = hardware->processItems().first();
    QCOMPARE(item->label(), QStringLiteral("CPU A"));
    Canvas *canvas = canvasNamed(w, QStringLiteral("CPU A"), 3);

    auto answer = [](const QString &label, bool accept) {
        QTimer::singleShot(0, [label, accept] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            dialog->findChild<QLineEdit *>("lineEdit")->setText(label);
            auto *box = dialog->findChild<QDialogButtonBox *>("buttonBox");
            box->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        });
    };
    hardware->setCurrentItem(item);
    answer(QStringLiteral("Main CPU"), true);
    w.itemActions()->editCurrent(ItemType::Process);
    QCOMPARE(item->label(), QStringLiteral("Main CPU"));
    QCOMPARE(canvas->name(), QStringLiteral("Main CPU"));
    QVERIFY(nodeIndex(w, {"HW", "Main CPU"}).isValid());
    QVERIFY(w.project()->isModified());

    // The process menu's Properties action goes the same way; a cancelled
    // dialog, or OK on the same label, changes nothing.
    w.projectActions()->save();
    QVERIFY(!w.project()->isModified());
    answer(QStringLiteral("Ignored"), false);
    w.propertiesActions().at(ItemKinds::of(ItemType::Process)->menuIndex())->trigger();
    QCOMPARE(item->label(), QStringLiteral("Main CPU"));
    QVERIFY(!w.project()->isModified());
    answer(QStringLiteral("Main CPU"), true);
    w.propertiesActions().at(ItemKinds::of(ItemType::Process)->menuIndex())->trigger();
    QVERIFY(!w.project()->isModified());

    // The renamed node still opens its diagram.
    doubleClickNode(w, nodeIndex(w, {"HW", "Main CPU"}));
    QCOMPARE(w.project()->shownCanvas(), canvas);
}

void TestProjectBrowser::deletingProcessItemKeepsSiblingsReachable()
{
    ScriptedPrompter prompter;
    MainWindow w;
    open(w, prompter, nestedDocument(), QStringLiteral("delete.qsmd"));
    doubleClickNode(w, nodeIndex(w, {"HW"}));
    Canvas *hardware = w.project()->shownCanvas();
    auto deleteItem = [&](ProcessItem *item) {
        hardware->clearSelection();
        item->setSelected(true);
        action(w, "actionDelete")->trigger();
    };

    // The diagrams below CPU A hold a state: the user is asked first, and
    // No keeps everything.
    prompter.messageAnswers.enqueue(QMessageBox::No);
    deleteItem(hardware->processItems().first());
    QVERIFY(!prompter.messages.isEmpty());
    QCOMPARE(prompter.messages.last().text,
             QStringLiteral("Deleting \"CPU A\" also deletes 3 diagrams below it, with 1 state "
                            "and 0 transitions."));
    QCOMPARE(prompter.messages.last().defaultButton, QMessageBox::No);
    QCOMPARE(hardware->processItems().size(), 2);
    QCOMPARE(w.project()->canvases().size(), 8);
    prompter.messageAnswers.enqueue(QMessageBox::Yes);
    deleteItem(hardware->processItems().first());
    QCOMPARE(hardware->processItems().size(), 1);
    QCOMPARE(hardware->processItems().first()->label(), QStringLiteral("CPU B"));
    QCOMPARE(hardware->processItems().first()->id(), 1);
    QCOMPARE(hardware->links().size(), 0);
    QCOMPARE(hardware->dataflows().size(), 0);
    QCOMPARE(w.project()->canvases().size(), 5);   // CPU A, its module and its machine went
    QVERIFY(!nodeIndex(w, {"HW", "CPU A"}).isValid());

    // The last one cannot go.
    const int shown = prompter.messages.size();
    deleteItem(hardware->processItems().first());
    QCOMPARE(prompter.messages.size(), shown + 1);
    QCOMPARE(prompter.messages.last().text, QStringLiteral("Last Process Item cannot be deleted"));
    QCOMPARE(prompter.messages.last().title, QStringLiteral("Kestro"));
    QCOMPARE(hardware->processItems().size(), 1);
    QCOMPARE(w.project()->canvases().size(), 5);

    // Saved and opened again, the remaining controller's diagrams are
    // reachable from the tree.
    w.project()->markModified();
    QVERIFY(w.projectActions()->save());
    prompter.openAnswers << OpenFileResult{{w.projectActions()->projectPath()}, m_dir.path()};
    action(w, "actionOpen")->trigger();
    QCOMPARE(w.project()->canvases().size(), 5);
    doubleClickNode(w, nodeIndex(w, {"HW", "CPU B"}));
    QCOMPARE(w.project()->shownCanvas()->name(), QStringLiteral("CPU B"));
    QCOMPARE(w.project()->shownCanvas()->id(), 1);
    doubleClickNode(w, nodeIndex(w, {"HW", "CPU B", "SW", "SM"}));
    QCOMPARE(w.project()->shownCanvas()->level(), 5);
    QCOMPARE(w.project()->shownCanvas()->states().size(), 1);
    QCOMPARE(w.project()->shownCanvas()->states().first()->label(), QStringLiteral("CPU_B_Idle"));
}

QTEST_MAIN(TestProjectBrowser)
#include "tst_projectbrowser.moc"
