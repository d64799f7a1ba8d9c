// Structure of the main window: actions, menus, toolbar, dock, context
// menus and the tool sets of each context.

#include "GraphicsViewZoom.h"
#include "ItemKind.h"
#include "ItemKinds.h"
#include "ItemTypes.h"
#include "MainWindow.h"
#include "Project.h"
#include "ScriptedPrompter.h"
#include "TreeModel.h"

#include <QAction>
#include <QDockWidget>
#include <QFile>
#include <QGraphicsView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>

namespace {
QStringList actionNames(const QList<QAction *> &actions)
{
    QStringList names;
    for (QAction *a : actions)
        names << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
    return names;
}

const QStringList allTools = {
    "actionSelect", "actionSave", "actionNew", "actionOpen", "actionBringToFront",
    "actionSendToBack", "actionDelete", "actiontransition", "actionState", "actionText",
    "actionProcessRect", "actionSet_Canvas_Size", "actionLink", "actionMemory", "actionDataflow",
    "actionCode_Generator", "actionClose_Project", "actionUndo", "actionRedo",
    "actionEnable_Autosave", "actionzoom_in", "actionzoom_out", "actionFit_to_window",
    "actionSave_As", "actionRename_Project", "actionOpen_Examples", "actionSelf_transition",
    "actionSimulate", "actionExport_Diagram", "actionExport_All_Diagrams", "actionPrint", "actionPrint_Preview"};

// Pictures and printing are offered wherever a diagram is shown.
const QStringList pictureTools = {"actionExport_Diagram", "actionExport_All_Diagrams", "actionPrint",
                                  "actionPrint_Preview"};

const QStringList level1Enabled = QStringList{
    "actionSelect", "actionNew", "actionOpen", "actionBringToFront", "actionSendToBack",
    "actionDelete", "actionSet_Canvas_Size", "actionDataflow", "actionCode_Generator",
    "actionClose_Project", "actionzoom_in", "actionzoom_out", "actionFit_to_window",
    "actionSave_As", "actionRename_Project", "actionOpen_Examples", "actionEnable_Autosave",
    // Every edit of a process diagram can be undone too.
    "actionUndo", "actionRedo"} + pictureTools;
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void windowLayout();
    void actionsMenusAndToolbar();
    void contextMenus();
    void saveFollowsTheModifiedFlag();
    void toolSets_data();
    void toolSets();

private:
    ScriptedPrompter m_prompter;
};

void TestMainWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro")).clear();
}

void TestMainWindow::windowLayout()
{
    MainWindow w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Kestro"));
    QCOMPARE(w.size(), QSize(1076, 735));
    QVERIFY(!w.windowIcon().isNull());
    QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Orvanta"));
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Kestro"));
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.1.3"));
    QVERIFY(!QCoreApplication::organizationDomain().isEmpty());

    auto *view = w.findChild<QGraphicsView *>("graphicsView");
    QCOMPARE(w.centralWidget(), view);
    QCOMPARE(view->alignment(), Qt::AlignLeft | Qt::AlignTop);

    auto *dock = w.findChild<QDockWidget *>();
    QCOMPARE(dock->windowTitle(), QStringLiteral("Project Browser"));
    QCOMPARE(w.dockWidgetArea(dock), Qt::LeftDockWidgetArea);
    QCOMPARE(dock->allowedAreas(), Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    QCOMPARE(dock->maximumWidth(), 1000);
    auto *tree = w.findChild<QTreeView *>("treeView");
    QCOMPARE(tree->parentWidget()->parentWidget(), dock);
    QVERIFY(tree->isHeaderHidden());
    QCOMPARE(tree->focusPolicy(), Qt::NoFocus);
    QCOMPARE(tree->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(tree->contextMenuPolicy(), Qt::CustomContextMenu);
    QCOMPARE(tree->model(), w.project()->treeModel());
    QCOMPARE(w.project()->treeModel()->rowCount(), 0);
    w.project()->treeModel()->appendNode(QModelIndex(), QStringLiteral("project"));
    w.enterNoProjectState();   // closing a project empties the browser
    QCOMPARE(w.project()->treeModel()->rowCount(), 0);

    auto *ready = w.statusBar()->findChild<QLabel *>();
    QVERIFY(ready);
    QCOMPARE(ready->text(), QStringLiteral("Ready"));
    w.statusBar()->showMessage(QStringLiteral("transient"));
    QVERIFY(ready->isVisibleTo(w.statusBar()));   // permanent: not covered by messages

    // Window-wide shortcuts that must not repeat while the key is held.
    QStringList keys;
    for (QShortcut *s : w.findChildren<QShortcut *>(QString(), Qt::FindDirectChildrenOnly)) {
        QVERIFY(!s->autoRepeat());
        keys << s->key().toString();
    }
    keys.sort();
    QCOMPARE(keys, QStringList({"Esc", "Space"}));
}

void TestMainWindow::actionsMenusAndToolbar()
{
    MainWindow w;
    struct Row { const char *name, *text, *tip, *shortcut, *icon; };
    const QList<Row> rows = {
        {"actionNew", "New", "Create a New Project", "Ctrl+N", "New.png"},
        {"actionOpen", "Open", "Open an existing Project", "Ctrl+O", "Open.png"},
        {"actionSave", "Save", "Save", "Ctrl+S", "Save.png"},
        {"actionSave_As", "Save As", "Save As", "", ""},
        {"actionOpen_Examples", "Open Examples", "Open Examples", "", ""},
        {"actionExit", "Exit", "Exit", "", ""},
        {"actionExport_Diagram", "Export Diagram...", "Export Diagram", "Ctrl+E", ""},
        {"actionExport_All_Diagrams", "Export All Diagrams...", "Export All Diagrams", "", ""},
        {"actionPrint", "Print...", "Print", "Ctrl+P", ""},
        {"actionPrint_Preview", "Print Preview...", "Print Preview", "", ""},
        {"actionBringToFront", "Bring to front", "Bring Item to front", "", "bringtofront.png"},
        {"actionSendToBack", "Send to back", "Send Item to back", "", "sendtoback.png"},
        {"actionDelete", "Delete", "Delete", "Del", "delete.png"},
        {"actionState", "State", "Insert State", "", "state.png"},
        {"actiontransition", "Transition", "Insert Transition", "", "transition.png"},
        {"actionProcessRect", "Process", "Insert Process", "", "Process_Rect.png"},
        {"actionText", "Text", "Insert Text", "", "Text.png"},
        {"actionMemory", "Memory", "Insert Memory", "", "Memory.png"},
        {"actionLink", "Link", "Insert Connection", "", "link.png"},
        {"actionDataflow", "Dataflow", "Insert Dataflow", "", "Dataflow.png"},
        {"actionSelf_transition", "Self transition", "Insert self transition", "", "Self_transition.png"},
        {"actionSelect", "Select", "Select", "", "Cursor.png"},
        {"actionCode_Generator", "Code Generator", "Code Generator", "Ctrl+G", ""},
        {"actionUndo", "Undo", "Undo", "Ctrl+Z", "undo.png"},
        {"actionRedo", "Redo", "Redo", "Ctrl+Y", "redo.png"},
        {"actionzoom_in", "Zoom in", "Zoom in", "Ctrl+=", "zoom_in.png"},
        {"actionzoom_out", "Zoom out", "Zoom out", "Ctrl+-", "zoom_out.png"},
        {"actionFit_to_window", "Fit to window", "Fit to window", "", "fit_to_window.png"},
        {"actionAppTour", "Take a tour", "Take a tour of Kestro", "", ""},
        {"actionGetting_started", "Getting started?", "Getting started?", "", ""},
        {"actionReuqest_feature", "Request a feature", "Request a feature", "", ""},
        {"actionEula", "EULA", "EULA", "", ""},
    };
    for (const Row &r : rows) {
        auto *a = w.findChild<QAction *>(r.name);
        QVERIFY2(a, r.name);
        QCOMPARE(a->text(), QString(r.text));
        QCOMPARE(a->toolTip(), QString(r.tip));
        QCOMPARE(a->shortcut(), QKeySequence(QString(r.shortcut)));
        QCOMPARE(a->icon().isNull(), QString(r.icon).isEmpty());
        if (*r.icon) {
            const QString path = QStringLiteral(":/Images/Images/") + r.icon;
            QVERIFY2(QFile::exists(path), qPrintable(path));
            QCOMPARE(a->icon().pixmap(16).toImage(), QIcon(path).pixmap(16).toImage());
        }
    }
    for (const char *path : {"app_icon.ico", "Properties.png", "stateCursor.png"})
        QVERIFY(QFile::exists(QStringLiteral(":/Images/Images/") + path));

    QVERIFY(w.findChild<QAction *>("actionShow_Project_Browser")->isCheckable());
    QVERIFY(w.findChild<QAction *>("actionShow_Project_Browser")->isChecked());
    QVERIFY(w.findChild<QAction *>("actionEnable_Autosave")->isCheckable());
    // Autosave is on unless the user switched it off.
    QVERIFY(w.findChild<QAction *>("actionEnable_Autosave")->isChecked());
    QVERIFY(!w.findChild<QAction *>("actionSave")->isEnabled());

    QStringList titles;
    for (QAction *m : w.menuBar()->actions())
        titles << m->menu()->objectName() + ":" + m->text();
    QCOMPARE(titles, QStringList({"menuFile:File", "menuEdit:Edit", "menuDraw:Draw",
                                  "menuView:View", "menuRun:Run", "menuHelp:Help"}));
    const QMap<QString, QStringList> menus = {
        {"menuFile", {"actionNew", "actionOpen", "actionOpen_Recent", "actionSave", "actionSave_As", "actionOpen_Examples",
                      "actionClose_Project", "actionRename_Project", "|", "actionExport_Diagram",
                      "actionExport_All_Diagrams", "actionPrint", "actionPrint_Preview", "|", "actionExit"}},
        {"menuEdit", {"actionUndo", "actionRedo", "|", "actionCut", "actionCopy", "actionPaste",
                      "actionDuplicate", "actionSelect_All", "|", "actionBringToFront", "actionSendToBack",
                      "actionDelete", "|", "actionFind", "|", "actionPreferences"}},
        {"menuDraw", {"actionState", "actiontransition", "actionProcessRect", "actionText",
                      "actionMemory", "actionLink", "actionDataflow", "actionSelf_transition"}},
        {"menuView", {"actionBack", "actionForward", "|", "actionSet_Canvas_Size",
                      "actionShow_Project_Browser"}},
        {"menuRun", {"actionCode_Generator", "actionEnable_Autosave", "|", "actionSimulate",
                     "actionStopSimulation", "actionSimulationSettings"}},
        {"menuHelp", {"actionAbout", "actionAppTour", "actionGetting_started", "actionCheck_for_update",
                      "actionCheck_for_Updates_at_Start",
                      "actionReport_a_bug", "actionReuqest_feature", "actionEula", "actionAbout_Qt"}},
    };
    for (auto it = menus.cbegin(); it != menus.cend(); ++it)
        QCOMPARE(actionNames(w.findChild<QMenu *>(it.key())->actions()), it.value());

    auto *toolbar = w.findChild<QToolBar *>("mainToolBar");
    QCOMPARE(w.toolBarArea(toolbar), Qt::TopToolBarArea);
    QCOMPARE(actionNames(toolbar->actions()),
             QStringList({"actionNew", "actionOpen", "actionSave", "actionSelect", "actionUndo",
                          "actionRedo", "actionProcessRect", "actionLink", "actionState", "actionText",
                          "actiontransition", "actionMemory", "actionDataflow", "actionBringToFront",
                          "actionSendToBack", "actionDelete", "actionzoom_in", "actionzoom_out",
                          "actionFit_to_window", "actionBack", "actionForward"}));
}

void TestMainWindow::contextMenus()
{
    MainWindow w;
    QCOMPARE(w.contextMenus().size(), 7);
    QCOMPARE(w.propertiesActions().size(), 7);
    const QStringList common = {"actionBringToFront", "actionSendToBack", "actionDelete"};
    for (int kind = 0; kind < 7; ++kind) {
        QList<QAction *> actions = w.contextMenus().at(kind)->actions();
        QCOMPARE(actions.last(), w.propertiesActions().at(kind));
        QCOMPARE(actions.last()->text(), QStringLiteral("Properties"));
        QVERIFY(!actions.last()->icon().isNull());
        actions.removeLast();
        // A process item's menu starts with the diagram it stands for.
        if (kind == ItemKinds::of(ItemType::Process)->menuIndex()) {
            QCOMPARE(actionNames(actions.mid(0, 2)), QStringList({"actionOpen_Diagram", "|"}));
            actions = actions.mid(2);
        }
        // A state's menu starts with its sub-machine.
        if (kind == ItemKinds::of(ItemType::State)->menuIndex()) {
            QCOMPARE(actionNames(actions.mid(0, 3)),
                     QStringList({"actionOpen_Sub_machine", "actionAdd_Sub_machine", "|"}));
            actions = actions.mid(3);
        }
        QStringList expected = common;
        if (kind == ItemKinds::of(ItemType::State)->menuIndex())
            expected << "actionSelf_transition";
        QCOMPARE(actionNames(actions), expected);
        // The same action objects as the Edit menu, so enabling follows them.
        QCOMPARE(actions.first(), w.findChild<QAction *>("actionBringToFront"));
    }
}

void TestMainWindow::saveFollowsTheModifiedFlag()
{
    MainWindow w;
    auto *save = w.findChild<QAction *>("actionSave");
    QVERIFY(!w.project()->isModified());
    QVERIFY(!save->isEnabled());
    w.project()->markModified();
    QVERIFY(save->isEnabled());
    QVERIFY(w.project()->isModified());
    w.project()->markModified();   // already modified: stays so
    QVERIFY(w.project()->isModified());
    // No tool set changes what Save shows: it is the flag.
    for (int context : {1, 5, ToolSets::Tour, ToolSets::NoProject}) {
        w.applyToolSet(context);
        QVERIFY(save->isEnabled());
    }
    w.project()->markSaved();
    QVERIFY(!save->isEnabled());
    w.applyToolSet(ToolSets::Tour);
    QVERIFY(!save->isEnabled());
}

void TestMainWindow::toolSets_data()
{
    QTest::addColumn<int>("context");
    QTest::addColumn<QStringList>("enabled");
    QTest::addColumn<QStringList>("untouched");
    QTest::addColumn<bool>("wheelZoom");

    QTest::newRow("no project") << int(ToolSets::NoProject)
                                << QStringList({"actionNew", "actionOpen", "actionOpen_Examples"})
                                << QStringList() << false;
    QTest::newRow("level 1") << 1 << level1Enabled << QStringList({"actionSave"}) << true;
    QTest::newRow("level 2") << 2 << level1Enabled + QStringList({"actionMemory"})
                             << QStringList({"actionSave"}) << true;
    const QStringList level3 = level1Enabled + QStringList({"actionMemory", "actionProcessRect", "actionLink"});
    QTest::newRow("level 3") << 3 << level3 << QStringList({"actionSave"}) << true;
    QTest::newRow("level 4") << 4 << level3 << QStringList({"actionSave"}) << true;
    QTest::newRow("level 5") << 5
                             << QStringList({"actionSelect", "actionNew", "actionOpen", "actionBringToFront",
                                             "actionSendToBack", "actionDelete", "actiontransition",
                                             "actionState", "actionText", "actionSet_Canvas_Size",
                                             "actionMemory", "actionCode_Generator", "actionClose_Project",
                                             "actionUndo", "actionRedo", "actionzoom_in", "actionzoom_out",
                                             "actionFit_to_window", "actionSave_As", "actionRename_Project",
                                             "actionOpen_Examples", "actionSelf_transition", "actionSimulate",
                                             "actionEnable_Autosave"}) + pictureTools
                             << QStringList({"actionSave"}) << true;
    // A simulated machine's diagram is read-only and the project stays open.
    QTest::newRow("simulation") << int(ToolSets::Simulation)
                                << QStringList({"actionSelect", "actionzoom_in", "actionzoom_out",
                                                "actionFit_to_window", "actionEnable_Autosave"}) + pictureTools
                                << QStringList({"actionSave", "actionSave_As"}) << true;
    QTest::newRow("tour") << int(ToolSets::Tour)
                          << QStringList({"actionSelect", "actionSave", "actionBringToFront",
                                          "actionSendToBack", "actionSet_Canvas_Size",
                                          "actionCode_Generator", "actionClose_Project", "actionUndo",
                                          "actionRedo", "actionFit_to_window", "actionSave_As",
                                          "actionEnable_Autosave"}) + pictureTools
                          << QStringList() << false;
}

void TestMainWindow::toolSets()
{
    QFETCH(int, context);
    QFETCH(QStringList, enabled);
    QFETCH(QStringList, untouched);
    QFETCH(bool, wheelZoom);

    MainWindow w;
    // Start every tool in the opposite state, so each one the context sets
    // has to change; tools the context leaves alone are tried both ways.
    for (bool untouchedState : {true, false}) {
        for (const QString &name : allTools) {
            const bool opposite = untouched.contains(name) ? untouchedState : !enabled.contains(name);
            w.findChild<QAction *>(name)->setEnabled(opposite);
        }
        w.applyToolSet(context);
        for (const QString &name : allTools) {
            // Save shows the project's modified flag in every context.
            if (name == QLatin1String("actionSave")) {
                QCOMPARE(w.findChild<QAction *>(name)->isEnabled(), w.project()->isModified());
                continue;
            }
            // Undo and Redo also need a step to take, and there is none.
            if (name == QLatin1String("actionUndo") || name == QLatin1String("actionRedo")) {
                QVERIFY2(!w.findChild<QAction *>(name)->isEnabled(), qPrintable(name));
                const bool offered = ToolSets::forContext(context).enabled.contains(
                    name == QLatin1String("actionUndo") ? ToolSets::Undo : ToolSets::Redo);
                QCOMPARE(offered, enabled.contains(name));
                continue;
            }
            const bool expected = untouched.contains(name) ? untouchedState : enabled.contains(name);
            QVERIFY2(w.findChild<QAction *>(name)->isEnabled() == expected, qPrintable(name));
        }
        QCOMPARE(w.toolContext(), context);
        QCOMPARE(w.zoomFilter()->isEnabled(), wheelZoom);
    }
    // Actions outside the tool list are never touched by a context.
    for (const char *name : {"actionExit", "actionAbout", "actionShow_Project_Browser"})
        QVERIFY(w.findChild<QAction *>(name)->isEnabled());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
