// What the window says about the open project: its title names the project
// and marks unsaved changes; Save As only gives the project another file,
// keeping its undo history and the diagram shown.

#include "Canvas.h"
#include "MainWindow.h"
#include "Project.h"
#include "ProjectActions.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

using namespace WindowProjectFixture;

class TestWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }

    void titleNamesTheProjectAndMarksChanges()
    {
        ScriptedPrompter prompter;
        MainWindow w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Kestro"));
        QVERIFY(openDocument(w, nestedDocument(), m_dir.filePath("Alpha.qsmd")));
        QCOMPARE(w.windowTitle(), QStringLiteral("Alpha[*] \u2014 Kestro"));
        QVERIFY(!w.isWindowModified());
        w.project()->markModified();
        QVERIFY(w.isWindowModified());
        QVERIFY(w.projectActions()->save());
        QVERIFY(!w.isWindowModified());
        // Another file, another name; no project, the program's name alone.
        prompter.saveAnswers << m_dir.filePath("Beta.qsmd");
        action(w, "actionSave_As")->trigger();
        QCOMPARE(w.windowTitle(), QStringLiteral("Beta[*] \u2014 Kestro"));
        action(w, "actionClose_Project")->trigger();
        QCOMPARE(w.windowTitle(), QStringLiteral("Kestro"));
        QVERIFY(!w.isWindowModified());
    }

    void saveAsKeepsHistoryAndShownDiagram()
    {
        ScriptedPrompter prompter;
        MainWindow w;
        QVERIFY(openDocument(w, nestedDocument(), m_dir.filePath("History.qsmd")));
        doubleClickNode(w, nodeIndex(w, {QStringLiteral("HW"), QStringLiteral("CPU A"), QStringLiteral("SW"),
                                         QStringLiteral("SM")}));
        Canvas *machine = w.project()->shownCanvas();
        QVERIFY(machine);
        QVERIFY(machine->level() == 5);
        StateItem *state = machine->states().first();
        const QPointF before = state->pos();
        state->setSelected(true);
        QVERIFY(machine->moveSelectionBy(QPointF(30, 0)));
        QCOMPARE(machine->undoStack()->count(), 1);

        const QString copy = m_dir.filePath("Copy.qsmd");
        prompter.saveAnswers << copy;
        action(w, "actionSave_As")->trigger();
        QCOMPARE(w.projectActions()->projectPath(), copy);
        QVERIFY(!w.project()->isModified());
        QCOMPARE(w.project()->shownCanvas(), machine);
        QCOMPARE(machine->undoStack()->count(), 1);
        // The move can still be undone, which marks the saved copy changed.
        machine->undoStack()->undo();
        QCOMPARE(state->pos(), before);
        QVERIFY(w.project()->isModified());
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
