// Find in the window, with real keys and clicks: Ctrl+F, typing, the list
// of hits over several machines, and a chosen hit opening its diagram with
// the item selected and centred; a hit the project no longer holds is not
// followed.

#include "Canvas.h"
#include "FindPanel.h"
#include "FindResultsModel.h"
#include "MainWindow.h"
#include "NavigationActions.h"
#include "Project.h"
#include "ScriptedPrompter.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QGraphicsView>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace WindowProjectFixture;

class TestFind : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void findsOverEveryMachineAndShowsTheHit();
    void aHitThatIsGoneIsNotFollowed();
    void findNeedsAProject();

private:
    void openProject(MainWindow &w);
    void typeSearch(MainWindow &w, const QString &text);
    void clickRow(FindPanel *panel, int row);

    QTemporaryDir m_dir;
};

void TestFind::openProject(MainWindow &w)
{
    w.resize(1500, 1000);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY(openDocument(w, documentWithCode(), m_dir.filePath(QStringLiteral("find.qsmd"))));
}

void TestFind::typeSearch(MainWindow &w, const QString &text)
{
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
    FindPanel *panel = w.navigation()->findPanel();
    QVERIFY(panel->isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(panel->searchField()));
    QTest::keyClicks(panel->searchField(), text);
}

void TestFind::clickRow(FindPanel *panel, int row)
{
    QTreeView *results = panel->resultsView();
    const QRect rect = results->visualRect(results->model()->index(row, FindResultsModel::ItemColumn));
    QTest::mouseClick(results->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

void TestFind::findsOverEveryMachineAndShowsTheHit()
{
    ScriptedPrompter prompter;
    MainWindow w;
    openProject(w);
    FindPanel *panel = w.navigation()->findPanel();
    QVERIFY(!panel->isVisible());

    // Typing searches after a pause: labels of both machines.
    typeSearch(w, QStringLiteral("idle"));
    FindResultsModel *model = panel->resultsModel();
    QTRY_COMPARE(model->rowCount(), 2);
    QCOMPARE(model->index(0, FindResultsModel::DiagramColumn).data().toString(),
             QStringLiteral("Proj / HW / CPU A / SW / SM"));
    QCOMPARE(model->index(1, FindResultsModel::DiagramColumn).data().toString(),
             QStringLiteral("Proj / HW / CPU B / SW / SM"));
    QCOMPARE(model->index(1, FindResultsModel::ItemColumn).data().toString(),
             QStringLiteral("State 'CPU_B_Idle'"));
    QCOMPARE(panel->statusText(), QStringLiteral("2 results"));

    // Enter searches at once: an action and a text item.
    panel->searchField()->selectAll();
    QTest::keyClicks(panel->searchField(), QStringLiteral("lamp"));
    QTest::keyClick(panel->searchField(), Qt::Key_Return);
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->index(0, FindResultsModel::MatchColumn).data().toString(),
             QStringLiteral("action: lamp_on();"));

    // The transition: its machine is shown and it alone is selected.
    clickRow(panel, 0);
    Canvas *machine = w.project()->shownCanvas();
    QCOMPARE(machine->name(), QStringLiteral("SM"));
    QCOMPARE(machine->parentId(), 1);
    QCOMPARE(machine->grandParentId(), 2);
    QCOMPARE(machine->selectedItems().size(), 1);
    QCOMPARE(machine->selectedItems().first(), machine->transitions().first());
    QCOMPARE(w.toolContext(), 5);

    // The text item, far from the origin, in the middle of the view.
    clickRow(panel, 1);
    TextItem *text = machine->textItems().first();
    QCOMPARE(machine->selectedItems(), QList<QGraphicsItem *>{text});
    QGraphicsView *view = w.findChild<QGraphicsView *>(QStringLiteral("graphicsView"));
    const QPoint centre = view->mapFromScene(text->sceneBoundingRect().center());
    const QPoint middle = view->viewport()->rect().center();
    QVERIFY2((centre - middle).manhattanLength() <= 4,
             qPrintable(QStringLiteral("%1,%2 vs %3,%4").arg(centre.x()).arg(centre.y()).arg(middle.x()).arg(middle.y())));

    // Match case narrows the hits; Back returns from a hit like any visit.
    panel->matchCaseBox()->click();
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(model->index(0, FindResultsModel::ItemColumn).data().toString(), QStringLiteral("Transition 'Close'"));
    QTest::keyClick(&w, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(w.project()->shownCanvas()->name(), QStringLiteral("Proj"));
}

void TestFind::aHitThatIsGoneIsNotFollowed()
{
    ScriptedPrompter prompter;
    MainWindow w;
    openProject(w);
    typeSearch(w, QStringLiteral("LAMP"));
    FindPanel *panel = w.navigation()->findPanel();
    QTest::keyClick(panel->searchField(), Qt::Key_Return);
    QCOMPARE(panel->resultsModel()->rowCount(), 2);
    clickRow(panel, 1);
    Canvas *machine = w.project()->shownCanvas();
    QCOMPARE(machine->selectedItems().size(), 1);

    // The text item is deleted; its hit then renews the list instead.
    action(w, "actionDelete")->trigger();
    QVERIFY(machine->textItems().isEmpty());
    action(w, "actionBack")->trigger();
    Canvas *before = w.project()->shownCanvas();
    QVERIFY(before != machine);
    clickRow(panel, 1);
    QCOMPARE(w.project()->shownCanvas(), before);
    QCOMPARE(panel->resultsModel()->rowCount(), 1);
    QVERIFY2(panel->statusText().contains(QStringLiteral("the project changed")), qPrintable(panel->statusText()));
}

void TestFind::findNeedsAProject()
{
    ScriptedPrompter prompter;
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QAction *find = action(w, "actionFind");
    QVERIFY(find);
    QVERIFY(!find->isEnabled());
    openProject(w);
    QVERIFY(find->isEnabled());
    typeSearch(w, QStringLiteral("idle"));
    QTRY_COMPARE(w.navigation()->findPanel()->resultsModel()->rowCount(), 2);
    // A long diagram path is shortened in the middle, keeping the diagram's name.
    auto *results = w.findChild<QTreeView *>(QStringLiteral("findResults"));
    QVERIFY(results);
    QCOMPARE(results->textElideMode(), Qt::ElideMiddle);
    // Closing the project empties the panel.
    action(w, "actionClose_Project")->trigger();
    QVERIFY(!find->isEnabled());
    QCOMPARE(w.navigation()->findPanel()->resultsModel()->rowCount(), 0);
    QVERIFY(w.navigation()->findPanel()->searchField()->text().isEmpty());
}

QTEST_MAIN(TestFind)
#include "tst_find.moc"
