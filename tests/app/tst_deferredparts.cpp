// The parts of the window that its first frame does not show stay out of
// sight: a fresh window shows no Find dock, no Simulation dock, no agreement
// and no export options, and each dock works when its key is the first thing
// to reach it. (They are made on first use; the start-up time this saves is
// bench_startup's figure.)

#include "Canvas.h"
#include "Eula.h"
#include "ExportOptionsDialog.h"
#include "FindPanel.h"
#include "MainWindow.h"
#include "NavigationActions.h"
#include "Project.h"
#include "ScriptedPrompter.h"
#include "SimulationController.h"
#include "SimulationDock.h"
#include "TrustStore.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace WindowProjectFixture;

class TestDeferredParts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup();
    void freshWindowShowsOnlyItsFirstFrame();
    void findKeyBuildsTheFindDockOnFirstUse();
    void findDockBuiltWithoutProjectFollowsTheProject();
    void simulateKeyBuildsTheSimulationDockOnFirstUse();

private:
    void openProject();
    template <class Part> bool shows() const;

    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<MainWindow> m_window;
};

void TestDeferredParts::init()
{
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_window = std::make_unique<MainWindow>();
    m_window->resize(1500, 1000);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestDeferredParts::cleanup()
{
    if (m_window)
        m_window->project()->markSaved();
    m_window.reset();
    m_prompter.reset();
}

void TestDeferredParts::openProject()
{
    static int count = 0;
    const QString path = m_dir.filePath(QStringLiteral("deferred%1.qsmd").arg(++count));
    // The test's own project: its C runs without the question.
    TrustStore::trustFolderForSession(m_dir.path());
    QVERIFY(openDocument(*m_window, documentWithCode(), path));
}

template <class Part> bool TestDeferredParts::shows() const
{
    for (const Part *part : m_window->findChildren<Part *>()) {
        if (part->isVisible())
            return true;
    }
    return false;
}

void TestDeferredParts::freshWindowShowsOnlyItsFirstFrame()
{
    QVERIFY(!shows<SimulationDock>());
    QVERIFY(!shows<FindPanel>());
    QVERIFY(!shows<Eula>());
    QVERIFY(!shows<ExportOptionsDialog>());
    for (const QWidget *top : QApplication::topLevelWidgets())
        QVERIFY2(top == m_window.get() || !top->isVisible(), qPrintable(top->objectName()));
    // Their actions are there from the start.
    QVERIFY(action(*m_window, "actionSimulate"));
    QCOMPARE(m_window->navigation()->findAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
}

void TestDeferredParts::findKeyBuildsTheFindDockOnFirstUse()
{
    openProject();
    QVERIFY(!shows<FindPanel>());

    QTest::keyClick(m_window.get(), Qt::Key_F, Qt::ControlModifier);
    const QList<FindPanel *> panels = m_window->findChildren<FindPanel *>();
    QCOMPARE(panels.size(), 1);
    FindPanel *panel = panels.first();
    QVERIFY(panel->isVisible());
    QCOMPARE(m_window->dockWidgetArea(panel), Qt::BottomDockWidgetArea);
    QVERIFY(panel->widget()->isEnabled());
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(panel->searchField()));
    QCOMPARE(m_window->navigation()->findPanel(), panel);

    // Typed and searched like any later use.
    QTest::keyClicks(panel->searchField(), QStringLiteral("lamp"));
    QTest::keyClick(panel->searchField(), Qt::Key_Return);
    QCOMPARE(panel->statusText(), QStringLiteral("2 results"));

    // A second Ctrl+F reuses the dock.
    QTest::keyClick(m_window.get(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(m_window->findChildren<FindPanel *>().size(), 1);
}

void TestDeferredParts::findDockBuiltWithoutProjectFollowsTheProject()
{
    // Asked for before any project is open, the dock is built disabled...
    FindPanel *panel = m_window->navigation()->findPanel();
    QVERIFY(!panel->isVisible());
    QVERIFY(!panel->widget()->isEnabled());
    // ...and follows the project from then on.
    openProject();
    QVERIFY(panel->widget()->isEnabled());
    QTest::keyClick(m_window.get(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(panel->isVisible());
    m_window->project()->markSaved();
    action(*m_window, "actionClose_Project")->trigger();
    QVERIFY(!m_window->project()->isOpen());
    QVERIFY(!panel->widget()->isEnabled());
}

void TestDeferredParts::simulateKeyBuildsTheSimulationDockOnFirstUse()
{
    openProject();
    doubleClickNode(*m_window, nodeIndex(*m_window, {QStringLiteral("HW"), QStringLiteral("CPU A"),
                                                     QStringLiteral("SW"), QStringLiteral("SM")}));
    QCOMPARE(m_window->project()->shownCanvas()->level(), 5);
    QVERIFY(!shows<SimulationDock>());

    QTest::keyClick(m_window.get(), Qt::Key_F5);
    const QList<SimulationDock *> docks = m_window->findChildren<SimulationDock *>();
    QCOMPARE(docks.size(), 1);
    SimulationDock *dock = docks.first();
    QVERIFY(m_window->simulation()->isActive());
    QVERIFY(dock->isVisible());
    QCOMPARE(m_window->dockWidgetArea(dock), Qt::RightDockWidgetArea);
    QCOMPARE(dock->windowTitle(), QStringLiteral("Simulation: SM"));

    // Shift+F5 leaves; the dock is hidden and kept for the next run.
    QTest::keyClick(m_window.get(), Qt::Key_F5, Qt::ShiftModifier);
    QVERIFY(!m_window->simulation()->isActive());
    QVERIFY(!dock->isVisible());
    QTest::keyClick(m_window.get(), Qt::Key_F5);
    QVERIFY(dock->isVisible());
    QCOMPARE(m_window->findChildren<SimulationDock *>().size(), 1);
    QTest::keyClick(m_window.get(), Qt::Key_F5, Qt::ShiftModifier);
}

QTEST_MAIN(TestDeferredParts)
#include "tst_deferredparts.moc"
