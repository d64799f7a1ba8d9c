// What the window says about the open project: its title names the project
// and marks unsaved changes; Save As only gives the project another file,
// keeping its undo history and the diagram shown; two property dialogs
// accepted in a row are two undo steps; a diagram shown for the first
// time shows its items at 100 % (fitted when they do not fit), whatever
// zoom the diagram before had.

#include "Canvas.h"
#include "DemoWindow.h"
#include "ExampleProject.h"
#include "GraphicsViewZoom.h"
#include "ProcessItem.h"
#include "MainWindow.h"
#include "Project.h"
#include "ProjectActions.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QGraphicsView>
#include <QLineEdit>
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

    void diagramsShownFirstShowTheirItems()
    {
        ScriptedPrompter prompter;
        MainWindow w;
        // Small enough that the example's process item lies outside the
        // top-left corner at 100 %.
        w.resize(700, 500);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *view = w.findChild<QGraphicsView *>(QStringLiteral("graphicsView"));
        QVERIFY(view);
        auto visible = [view] { return view->mapToScene(view->viewport()->rect()).boundingRect(); };
        QVERIFY(openDocument(w, ExampleProject::document(), m_dir.filePath("Example_1.qsmd")));
        Canvas *top = w.project()->shownCanvas();
        QVERIFY(top);
        QVERIFY(visible().contains(top->processItems().first()->sceneBoundingRect()));
        QCOMPARE(view->transform().m11(), 1.0);

        // Zoomed out on one diagram, the next one shown first is not.
        w.setViewScale(0.6, 0.6);
        doubleClickNode(w, nodeIndex(w, {QStringLiteral("Motor Controller")}));
        Canvas *hardware = w.project()->shownCanvas();
        QVERIFY(hardware != top);
        const QRectF items = diagramItemsRect(hardware);
        QVERIFY(!items.isEmpty());
        QVERIFY2(view->transform().m11() == 1.0 || (view->transform().m11() < 1.0 && visible().contains(items)),
                 qPrintable(QString::number(view->transform().m11())));
        QVERIFY(visible().intersects(items));
    }

    void deletingAMixedSelectionIsOneUndoStep()
    {
        DemoWindow demo;
        Canvas *machine = demo.show(DemoWindow::machinePath());
        QVERIFY(machine);
        demo.driver()->insertAt("actionText", QPointF(900, 700));
        demo.driver()->action("actionSelect")->trigger();
        const int states = machine->states().size();
        const int transitions = machine->transitions().size();
        QVERIFY(states > 0 && transitions > 0 && machine->textItems().size() == 1);
        const int steps = machine->undoStack()->count();
        machine->selectAllItems();
        demo.driver()->action("actionDelete")->trigger();
        QVERIFY(machine->states().isEmpty() && machine->transitions().isEmpty() && machine->textItems().isEmpty());
        QCOMPARE(machine->undoStack()->count(), steps + 1);
        QTest::keyClick(demo.window(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(machine->states().size(), states);
        QCOMPARE(machine->transitions().size(), transitions);
        QCOMPARE(machine->textItems().size(), 1);
    }

    void twoAcceptedDialogsAreTwoUndoSteps()
    {
        DemoWindow demo;
        Canvas *machine = demo.show(DemoWindow::machinePath());
        QVERIFY(machine);
        StateItem *state = machine->states().at(0);
        const QString original = state->label();
        const int steps = machine->undoStack()->count();
        for (const QString &label : {QStringLiteral("First"), QStringLiteral("Second")}) {
            QVERIFY(ViewDriver::whileModal([&] { demo.driver()->doubleClick(ViewDriver::centreOf(state)); },
                                           [&](QWidget *dialog) {
                                               dialog->findChild<QLineEdit *>("lineEdit_2")->setText(label);
                                               ViewDriver::ok(dialog);
                                           }));
        }
        QCOMPARE(state->label(), QStringLiteral("Second"));
        QCOMPARE(machine->undoStack()->count(), steps + 2);
        machine->undoStack()->undo();
        QCOMPARE(state->label(), QStringLiteral("First"));
        machine->undoStack()->undo();
        QCOMPARE(state->label(), original);
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
