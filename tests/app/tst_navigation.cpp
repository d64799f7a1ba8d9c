// Moving between diagrams with real mouse and key events: double-clicks in
// the project browser, "Open Diagram" and Enter on process items, Back and
// Forward (keys, toolbar actions and the mouse's side buttons), each
// diagram's own zoom and scroll, the stored zoom at start, the zoom limits
// and the smallest canvas size.

#include "Canvas.h"
#include "CanvasSize.h"
#include "MainWindow.h"
#include "NavigationActions.h"
#include "NavigationHistory.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ScriptedPrompter.h"
#include "ViewDriver.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QGraphicsView>
#include <QMenu>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtMath>
#include <QtTest>

using namespace WindowProjectFixture;

class TestNavigation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void browserDoubleClickKeepsNodesAsTheyAre();
    void processItemOpensItsDiagram();
    void backAndForwardWalkTheDiagramsVisited();
    void deletedDiagramsLeaveTheHistory();
    void eachDiagramKeepsItsZoomAndScroll();
    void storedZoomAtStartShowsTheItems();
    void zoomStaysWithinItsLimits();
    void canvasSizeCannotCutItemsOff();

private:
    void open(MainWindow &w, const QString &name);
    Canvas *shown(MainWindow &w) { return w.project()->shownCanvas(); }
    QGraphicsView *view(MainWindow &w) { return w.findChild<QGraphicsView *>(QStringLiteral("graphicsView")); }
    ProcessItem *processNamed(Canvas *canvas, const QString &label);
    void wheel(MainWindow &w, int notches);

    QTemporaryDir m_dir;
    ScriptedPrompter *m_prompter = nullptr;
};

void TestNavigation::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void TestNavigation::init()
{
    QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro")).clear();
}

void TestNavigation::open(MainWindow &w, const QString &name)
{
    w.resize(1500, 1000);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY(openDocument(w, nestedDocument(), m_dir.filePath(name)));
    QCOMPARE(w.toolContext(), 1);
}

ProcessItem *TestNavigation::processNamed(Canvas *canvas, const QString &label)
{
    for (ProcessItem *item : canvas->processItems())
        if (item->label() == label)
            return item;
    return nullptr;
}

void TestNavigation::wheel(MainWindow &w, int notches)
{
    QWidget *viewport = view(w)->viewport();
    const QPoint at = viewport->rect().center();
    // QTest's key clicks with modifiers leave them in the application's
    // state; a plain key click sets it back to none.
    QTest::keyClick(viewport, Qt::Key_Shift);
    QCOMPARE(QApplication::keyboardModifiers(), Qt::NoModifier);
    QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&event);
    QApplication::sendEvent(viewport, &event);
}

void TestNavigation::browserDoubleClickKeepsNodesAsTheyAre()
{
    ScriptedPrompter prompter;
    MainWindow w;
    open(w, QStringLiteral("fold.qsmd"));
    auto *tree = w.findChild<QTreeView *>(QStringLiteral("treeView"));

    // An expanded node stays expanded, a collapsed one collapsed; both open.
    const QModelIndex hw = nodeIndex(w, {"HW"});
    QVERIFY(tree->isExpanded(hw));
    doubleClickNode(w, hw);
    QCOMPARE(shown(w)->name(), QStringLiteral("HW"));
    QVERIFY(tree->isExpanded(hw));

    const QModelIndex cpuA = nodeIndex(w, {"HW", "CPU A"});
    tree->collapse(cpuA);
    doubleClickNode(w, cpuA);
    QCOMPARE(shown(w)->name(), QStringLiteral("CPU A"));
    QVERIFY(!tree->isExpanded(cpuA));
}

void TestNavigation::processItemOpensItsDiagram()
{
    ScriptedPrompter prompter;
    MainWindow w;
    open(w, QStringLiteral("open-diagram.qsmd"));
    doubleClickNode(w, nodeIndex(w, {"HW"}));
    Canvas *hardware = shown(w);
    ViewDriver driver(&w);

    // The context menu of a process item opens the diagram it stands for.
    ProcessItem *cpuB = processNamed(hardware, QStringLiteral("CPU B"));
    QVERIFY(cpuB);
    QStringList offered;
    QVERIFY(driver.rightClick(ViewDriver::centreOf(cpuB), [&](QMenu *menu) {
        QAction *open = nullptr;
        for (QAction *a : menu->actions()) {
            offered << a->text();
            if (a->text() == QStringLiteral("Open Diagram"))
                open = a;
        }
        if (open)
            QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(open).center());
    }));
    QVERIFY2(offered.contains(QStringLiteral("Open Diagram")), qPrintable(offered.join(", ")));
    QCOMPARE(shown(w), canvasNamed(w, QStringLiteral("CPU B"), 3));
    // The offscreen platform leaves the closed menu active.
    w.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(&w));

    // Enter with a process item selected does the same.
    QTest::keyClick(&w, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(shown(w), hardware);
    ProcessItem *cpuA = processNamed(hardware, QStringLiteral("CPU A"));
    // A click that gives the view the focus, as a person's does.
    QTest::mouseClick(view(w)->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view(w)->mapFromScene(ViewDriver::centreOf(cpuA)));
    QVERIFY(cpuA->isSelected());
    QTest::keyClick(view(w)->viewport(), Qt::Key_Return);
    QCOMPARE(shown(w), canvasNamed(w, QStringLiteral("CPU A"), 3));

    // A double-click still opens the properties, and no other diagram.
    QTest::keyClick(&w, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(shown(w), hardware);
    const bool dialog = ViewDriver::whileModal([&] { driver.doubleClick(ViewDriver::centreOf(cpuA)); },
                                               [](QWidget *d) { ViewDriver::cancel(d); });
    QVERIFY(dialog);
    QCOMPARE(shown(w), hardware);
}

void TestNavigation::backAndForwardWalkTheDiagramsVisited()
{
    ScriptedPrompter prompter;
    MainWindow w;
    open(w, QStringLiteral("history.qsmd"));
    QAction *back = action(w, "actionBack");
    QAction *forward = action(w, "actionForward");
    QVERIFY(back && forward);
    QVERIFY(!back->isEnabled());
    QVERIFY(!forward->isEnabled());

    doubleClickNode(w, nodeIndex(w, {"HW"}));
    doubleClickNode(w, nodeIndex(w, {"HW", "CPU A"}));
    doubleClickNode(w, nodeIndex(w, {"HW", "CPU A", "SW"}));
    QVERIFY(back->isEnabled());
    QVERIFY(!forward->isEnabled());

    QTest::keyClick(&w, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(shown(w)->name(), QStringLiteral("CPU A"));
    QTest::keyClick(&w, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(shown(w)->name(), QStringLiteral("HW"));
    QVERIFY(forward->isEnabled());
    QTest::keyClick(&w, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(shown(w)->name(), QStringLiteral("CPU A"));

    // The mouse's side buttons, over the diagram and over the browser.
    QTest::mouseClick(view(w)->viewport(), Qt::BackButton);
    QCOMPARE(shown(w)->name(), QStringLiteral("HW"));
    auto *tree = w.findChild<QTreeView *>(QStringLiteral("treeView"));
    QTest::mouseClick(tree->viewport(), Qt::ForwardButton);
    QCOMPARE(shown(w)->name(), QStringLiteral("CPU A"));
    QTest::mouseClick(view(w)->viewport(), Qt::ForwardButton);
    QCOMPARE(shown(w)->name(), QStringLiteral("SW"));
    QVERIFY(!forward->isEnabled());

    // A new visit from the middle of the history drops what lay ahead.
    back->trigger();
    back->trigger();
    QCOMPARE(shown(w)->name(), QStringLiteral("HW"));
    doubleClickNode(w, nodeIndex(w, {"HW", "CPU B"}));
    QVERIFY(!forward->isEnabled());
    back->trigger();
    QCOMPARE(shown(w)->name(), QStringLiteral("HW"));
    back->trigger();
    QCOMPARE(shown(w)->name(), QStringLiteral("Proj"));
    QVERIFY(!back->isEnabled());

    // Closing the project ends the history and the actions.
    action(w, "actionClose_Project")->trigger();
    QVERIFY(!back->isEnabled());
    QVERIFY(!forward->isEnabled());
    QCOMPARE(w.navigation()->history()->count(), 0);
}

void TestNavigation::deletedDiagramsLeaveTheHistory()
{
    ScriptedPrompter prompter;
    MainWindow w;
    open(w, QStringLiteral("deleted.qsmd"));
    doubleClickNode(w, nodeIndex(w, {"HW"}));
    doubleClickNode(w, nodeIndex(w, {"HW", "CPU B"}));
    doubleClickNode(w, nodeIndex(w, {"HW", "CPU B", "SW"}));
    doubleClickNode(w, nodeIndex(w, {"HW"}));
    QCOMPARE(w.navigation()->history()->count(), 5);

    // CPU B goes with its diagrams (the question is answered Yes).
    ViewDriver driver(&w);
    driver.click(ViewDriver::centreOf(processNamed(shown(w), QStringLiteral("CPU B"))));
    prompter.messageAnswers << QMessageBox::Yes;
    action(w, "actionDelete")->trigger();
    QVERIFY(!canvasNamed(w, QStringLiteral("CPU B"), 3));

    // What is left: the project and the hardware diagram, once each.
    NavigationHistory *history = w.navigation()->history();
    QCOMPARE(history->count(), 2);
    QCOMPARE(history->current(), shown(w));
    QVERIFY(!action(w, "actionForward")->isEnabled());
    QTest::keyClick(&w, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(shown(w)->name(), QStringLiteral("Proj"));
    QTest::keyClick(&w, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(shown(w)->name(), QStringLiteral("HW"));

    // Undo brings CPU B back and its diagram can be visited again; redoing
    // the deletion takes that visit out of the history as well.
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(canvasNamed(w, QStringLiteral("CPU B"), 3));
    doubleClickNode(w, nodeIndex(w, {"HW", "CPU B"}));
    doubleClickNode(w, nodeIndex(w, {"HW"}));
    QCOMPARE(history->count(), 4);
    QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(!canvasNamed(w, QStringLiteral("CPU B"), 3));
    QCOMPARE(history->count(), 2);
    QTest::keyClick(&w, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(shown(w)->name(), QStringLiteral("Proj"));
    QVERIFY(!action(w, "actionBack")->isEnabled());
}

void TestNavigation::eachDiagramKeepsItsZoomAndScroll()
{
    ScriptedPrompter prompter;
    MainWindow w;
    open(w, QStringLiteral("views.qsmd"));
    doubleClickNode(w, nodeIndex(w, {"HW"}));
    QGraphicsView *v = view(w);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&w, Qt::Key_Equal, Qt::ControlModifier);
    v->horizontalScrollBar()->setValue(v->horizontalScrollBar()->maximum() / 2);
    v->verticalScrollBar()->setValue(v->verticalScrollBar()->maximum() / 3);
    const QTransform hardwareZoom = v->transform();
    const QPoint hardwareScroll(v->horizontalScrollBar()->value(), v->verticalScrollBar()->value());
    QVERIFY(hardwareZoom.m11() > 1.3);
    QVERIFY(hardwareScroll.x() > 0 && hardwareScroll.y() > 0);

    // A diagram shown the first time does not inherit the zoom: it starts
    // at 100 % (its items fit) at its top-left corner.
    doubleClickNode(w, nodeIndex(w, {"HW", "CPU A"}));
    QCOMPARE(v->transform().m11(), 1.0);
    QCOMPARE(v->horizontalScrollBar()->value(), v->horizontalScrollBar()->minimum());
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(&w, Qt::Key_Minus, Qt::ControlModifier);
    const qreal controllerZoom = v->transform().m11();
    QVERIFY(controllerZoom < 1.0);

    QTest::keyClick(&w, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(shown(w)->name(), QStringLiteral("HW"));
    QCOMPARE(v->transform(), hardwareZoom);
    QCOMPARE(QPoint(v->horizontalScrollBar()->value(), v->verticalScrollBar()->value()), hardwareScroll);
    QTest::keyClick(&w, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(v->transform().m11(), controllerZoom);
}

void TestNavigation::storedZoomAtStartShowsTheItems()
{
    {
        QSettings settings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"));
        settings.setValue(QStringLiteral("scale_x"), 1.43);
        settings.setValue(QStringLiteral("scale_y"), 1.43);
    }
    const QString path = m_dir.filePath(QStringLiteral("start.qsmd"));
    QVERIFY(writeDocument(nestedDocument(), path));
    ScriptedPrompter prompter;
    // As the program starts: the window is shown, then the file is opened.
    MainWindow w;
    w.showMaximized();
    w.openFromCommandLine(path);
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QGraphicsView *v = view(w);
    // The first diagram shown starts at 100 %, whatever zoom was stored.
    QCOMPARE(v->transform().m11(), 1.0);
    QCoreApplication::processEvents();

    const QRectF visible = v->mapToScene(v->viewport()->rect()).boundingRect();
    ProcessItem *hardware = processNamed(shown(w), QStringLiteral("HW"));
    QVERIFY(hardware);
    QVERIFY2(visible.intersects(hardware->sceneBoundingRect()),
             qPrintable(QStringLiteral("visible %1,%2 %3x%4")
                            .arg(visible.x()).arg(visible.y()).arg(visible.width()).arg(visible.height())));
}

void TestNavigation::zoomStaysWithinItsLimits()
{
    ScriptedPrompter prompter;
    MainWindow w;
    open(w, QStringLiteral("limits.qsmd"));
    QGraphicsView *v = view(w);
    // 30 notches of the wheel would be 1.197^30, about 220 times.
    wheel(w, 30);
    QCOMPARE(w.toolContext(), 1);
    QVERIFY2(qAbs(v->transform().m11() - 20.0) < 1e-9, qPrintable(QString::number(v->transform().m11())));
    QTest::keyClick(&w, Qt::Key_Equal, Qt::ControlModifier);
    QVERIFY(qAbs(v->transform().m11() - 20.0) < 1e-9);
    for (int i = 0; i < 60; ++i)
        QTest::keyClick(&w, Qt::Key_Minus, Qt::ControlModifier);
    QVERIFY2(qAbs(v->transform().m11() - 0.05) < 1e-9, qPrintable(QString::number(v->transform().m11())));
    wheel(w, -10);
    QVERIFY(qAbs(v->transform().m11() - 0.05) < 1e-9);
    // From the limit the other way works at once.
    wheel(w, 1);
    QVERIFY(v->transform().m11() > 0.059);
}

void TestNavigation::canvasSizeCannotCutItemsOff()
{
    ScriptedPrompter prompter;
    MainWindow w;
    open(w, QStringLiteral("size.qsmd"));
    doubleClickNode(w, nodeIndex(w, {"HW"}));
    Canvas *hardware = shown(w);
    const QRectF items = hardware->itemsBoundingRect();
    const QRectF before = hardware->sceneRect();

    bool stayedOpen = false;
    QVERIFY(ViewDriver::whileModal([&] { action(w, "actionSet_Canvas_Size")->trigger(); },
                                   [&](QWidget *dialog) {
                                       auto *width = dialog->findChild<QSpinBox *>(QStringLiteral("widthBox"));
                                       auto *height = dialog->findChild<QSpinBox *>(QStringLiteral("heightBox"));
                                       width->setValue(int(items.right()) - 10);
                                       height->setValue(int(items.bottom()) + 100);
                                       ViewDriver::ok(dialog);
                                       stayedOpen = dialog->isVisible();
                                       ViewDriver::cancel(dialog);
                                   }));
    QVERIFY(stayedOpen);
    QCOMPARE(prompter.messages.size(), 1);
    QVERIFY2(prompter.messages.first().text.contains(QStringLiteral("cannot be smaller")),
             qPrintable(prompter.messages.first().text));
    QCOMPARE(hardware->sceneRect(), before);

    // Just large enough is taken.
    QVERIFY(ViewDriver::whileModal([&] { action(w, "actionSet_Canvas_Size")->trigger(); },
                                   [&](QWidget *dialog) {
                                       dialog->findChild<QSpinBox *>(QStringLiteral("widthBox"))
                                           ->setValue(qCeil(items.right()));
                                       dialog->findChild<QSpinBox *>(QStringLiteral("heightBox"))
                                           ->setValue(qCeil(items.bottom()));
                                       ViewDriver::ok(dialog);
                                   }));
    QCOMPARE(prompter.messages.size(), 1);
    QCOMPARE(hardware->sceneRect(), QRectF(0, 0, qCeil(items.right()), qCeil(items.bottom())));
}

QTEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
