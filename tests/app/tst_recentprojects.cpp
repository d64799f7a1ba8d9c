#include "HomeScreen.h"
#include "MainWindow.h"
#include "ProjectActions.h"
#include "RecentProjects.h"
#include "RecentProjectsMenu.h"
#include "ScriptedPrompter.h"
#include "ToolSets.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QGraphicsView>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestRecentProjects : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void orderLimitAndNoRepeats();
    void openedProjectsAreListedAndReopenedFromTheMenu();
    void missingProjectIsRemovedWhenChosen();
    void menuIsUsableOnlyWithEntriesAndWhileOpenIs();
    void homeScreenListsThemAndAClickOpensOne();

private:
    static QStringList entryTexts(MainWindow &w);
};

QStringList TestRecentProjects::entryTexts(MainWindow &w)
{
    w.recentProjectsMenu()->rebuild();
    QStringList texts;
    for (QAction *a : w.recentProjectsMenu()->menu()->actions())
        texts << a->text();
    return texts;
}

void TestRecentProjects::cleanup()
{
    RecentProjects().clear();
}

void TestRecentProjects::orderLimitAndNoRepeats()
{
    RecentProjects recent;
    QSignalSpy changed(&recent, &RecentProjects::changed);
    for (int i = 1; i <= 12; ++i)
        recent.add(QStringLiteral("/p/%1.qsmd").arg(i));
    QCOMPARE(changed.count(), 12);
    QStringList expected;
    for (int i = 12; i >= 3; --i)
        expected << QStringLiteral("/p/%1.qsmd").arg(i);
    QCOMPARE(recent.paths(), expected);

    // Opened again: moves to the front, listed once.
    recent.add(QStringLiteral("/p/5.qsmd"));
    QCOMPARE(recent.paths().first(), QStringLiteral("/p/5.qsmd"));
    QCOMPARE(recent.paths().count(QStringLiteral("/p/5.qsmd")), 1);
    QCOMPARE(recent.paths().size(), RecentProjects::MaxEntries);
    // Relative paths are kept absolute; another instance sees the same list.
    recent.add(QStringLiteral("rel/x.qsmd"));
    QCOMPARE(RecentProjects().paths().first(), QDir::current().absoluteFilePath(QStringLiteral("rel/x.qsmd")));
    recent.remove(QStringLiteral("/p/5.qsmd"));
    QVERIFY(!recent.paths().contains(QStringLiteral("/p/5.qsmd")));
    // A hand-edited store with repeats and too many entries reads cleanly.
    QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"))
        .setValue(RecentProjects::settingsKey(), QStringList({"/a", "/a", "", "/b"}) + expected);
    QCOMPARE(recent.paths().mid(0, 3), QStringList({"/a", "/b", "/p/12.qsmd"}));
    QCOMPARE(recent.paths().size(), RecentProjects::MaxEntries);
}

void TestRecentProjects::openedProjectsAreListedAndReopenedFromTheMenu()
{
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    MainWindow w;
    const QString first = dir.filePath(QStringLiteral("First.qsmd"));
    const QString second = dir.filePath(QStringLiteral("Second & more.qsmd"));
    QVERIFY(WindowProjectFixture::openDocument(w, WindowProjectFixture::nestedDocument(), first));
    QVERIFY(WindowProjectFixture::openDocument(w, WindowProjectFixture::nestedDocument(), second));
    QCOMPARE(w.recentProjects()->paths(), QStringList({second, first}));

    const QStringList texts = entryTexts(w);
    QCOMPARE(texts.size(), 4);   // two entries, a separator, Clear
    QVERIFY2(texts.at(0).startsWith(QStringLiteral("&1  Second && more.qsmd  \u2014  ")), qPrintable(texts.at(0)));
    QVERIFY(texts.at(1).startsWith(QStringLiteral("&2  First.qsmd")));
    QCOMPARE(texts.at(3), QStringLiteral("Clear Recently Opened"));

    w.recentProjectsMenu()->menu()->actions().at(1)->trigger();
    QCOMPARE(w.projectActions()->projectPath(), first);
    QCOMPARE(w.recentProjects()->paths(), QStringList({first, second}));
    QVERIFY(prompter.messages.isEmpty());

    w.recentProjectsMenu()->menu()->actions().last()->trigger();
    QVERIFY(w.recentProjects()->paths().isEmpty());
}

void TestRecentProjects::missingProjectIsRemovedWhenChosen()
{
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    MainWindow w;
    const QString kept = dir.filePath(QStringLiteral("Kept.qsmd"));
    QVERIFY(WindowProjectFixture::openDocument(w, WindowProjectFixture::nestedDocument(), kept));
    const QString gone = dir.filePath(QStringLiteral("Gone.qsmd"));
    w.recentProjects()->add(gone);
    prompter.messages.clear();

    w.recentProjectsMenu()->rebuild();
    w.recentProjectsMenu()->menu()->actions().first()->trigger();
    QCOMPARE(prompter.messages.size(), 1);
    QCOMPARE(prompter.messages.first().title, QStringLiteral("Kestro"));
    QCOMPARE(prompter.messages.first().text,
             QStringLiteral("The project %1 no longer exists.").arg(QDir::toNativeSeparators(gone)));
    QCOMPARE(w.recentProjects()->paths(), QStringList({kept}));
    QCOMPARE(w.projectActions()->projectPath(), kept);   // the open project stays
}

void TestRecentProjects::menuIsUsableOnlyWithEntriesAndWhileOpenIs()
{
    MainWindow w;
    QAction *submenu = w.recentProjectsMenu()->menu()->menuAction();
    // In the File menu right after Open.
    const QList<QAction *> file = w.findChild<QMenu *>(QStringLiteral("menuFile"))->actions();
    QCOMPARE(file.at(file.indexOf(WindowProjectFixture::action(w, "actionOpen")) + 1), submenu);
    QCOMPARE(submenu->text(), QStringLiteral("Open Recent"));
    QVERIFY(!submenu->isEnabled());
    w.recentProjects()->add(QStringLiteral("/p/a.qsmd"));
    QVERIFY(submenu->isEnabled());
    w.applyToolSet(ToolSets::Tour);
    QVERIFY(!submenu->isEnabled());
    w.applyToolSet(1);
    QVERIFY(submenu->isEnabled());
}

void TestRecentProjects::homeScreenListsThemAndAClickOpensOne()
{
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    const QString path = dir.filePath(QStringLiteral("Home.qsmd"));
    QVERIFY(WindowProjectFixture::writeDocument(WindowProjectFixture::nestedDocument(), path));
    RecentProjects().add(dir.filePath(QStringLiteral("Other.qsmd")));
    RecentProjects().add(path);

    MainWindow w;
    w.resize(1200, 800);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *view = w.findChild<QGraphicsView *>(QStringLiteral("graphicsView"));
    QCOMPARE(view->scene(), HomeScreen::instance());
    QCOMPARE(HomeScreen::instance()->recentProjects(), QStringList({path, dir.filePath(QStringLiteral("Other.qsmd"))}));

    const QRectF area = view->mapToScene(view->viewport()->rect()).boundingRect();
    const HomeLayout layout = HomeScreen::instance()->layoutFor(area, view->viewport());
    QCOMPARE(layout.rows.size(), 2);
    // The rows sit below the welcome text, centred.
    QVERIFY(layout.rows.first().top() > layout.welcome.bottom());
    QVERIFY(qAbs(layout.rows.first().center().x() - area.center().x()) < 1.0);
    // A click beside the rows does nothing.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->mapFromScene(QPointF(area.left() + 5, layout.rows.first().center().y())));
    QTest::qWait(50);
    QVERIFY(!w.projectActions()->isProjectOpen());

    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->mapFromScene(layout.rows.first().center()));
    QTRY_COMPARE(w.projectActions()->projectPath(), path);
    QVERIFY(prompter.messages.isEmpty());
}

QTEST_MAIN(TestRecentProjects)
#include "tst_recentprojects.moc"
