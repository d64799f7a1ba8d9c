// The project's modified flag (shown by the Save action) on a real window:
// a property dialog accepted with a change marks the project modified by
// every route (double-click or the context menu's "Properties"); a
// cancelled dialog, or OK on unchanged values, marks nothing; a press in a
// connection mode that connects nothing marks nothing. Close, New and Open
// ask about unsaved changes only while the flag is set.

#include "Canvas.h"
#include "DataflowItem.h"
#include "LinkItem.h"
#include "MainWindow.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectActions.h"
#include "DemoWindow.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "ViewDriver.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QUndoStack>
#include <QtTest>

#include <functional>

using namespace WindowProjectFixture;

namespace {
const QStringList kMachine = DemoWindow::machinePath();
const QStringList kController = DemoWindow::controllerPath();

// Types text into the dialog's widget called name (a line, text or code edit).
void type(QWidget *dialog, const char *name, const QString &text)
{
    if (auto *line = dialog->findChild<QLineEdit *>(QLatin1String(name)))
        line->setText(text);
    else if (auto *code = dialog->findChild<QPlainTextEdit *>(QLatin1String(name)))
        code->setPlainText(text);
    else
        dialog->findChild<QTextEdit *>(QLatin1String(name))->setPlainText(text);
}
} // namespace

class TestModifiedFlag : public QObject
{
    Q_OBJECT

    DemoWindow m_demo;
    void clearModified() { m_demo.clearModified(); }

    // Opens item's dialog by double-click three times: cancelled after an
    // edit, accepted unchanged and accepted with the edit. Only the last
    // may mark the project modified, and it must.
    void checkDoubleClickRoute(QGraphicsItem *item, const char *edit, const QString &text)
    {
        const QPointF at = ViewDriver::centreOf(item);
        const auto open = [&] { m_demo.driver()->doubleClick(at); };
        clearModified();
        QVERIFY(ViewDriver::whileModal(open, [&](QWidget *d) {
            type(d, edit, text);
            ViewDriver::cancel(d);
        }));
        QVERIFY2(!m_demo.window()->project()->isModified(), "cancelled");
        QVERIFY(ViewDriver::whileModal(open, ViewDriver::ok));
        QVERIFY2(!m_demo.window()->project()->isModified(), "accepted unchanged");
        QVERIFY(ViewDriver::whileModal(open, [&](QWidget *d) {
            type(d, edit, text);
            ViewDriver::ok(d);
        }));
        QVERIFY2(m_demo.window()->project()->isModified(), "accepted with a change");
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { m_demo.close(); }

    void doubleClickedDialogsOnAStateMachine()
    {
        Canvas *machine = m_demo.show(kMachine);
        QVERIFY(machine);
        m_demo.driver()->insertAt("actionText", QPointF(700, 800));
        checkDoubleClickRoute(machine->states().at(0), "lineEdit_2", QStringLiteral("Idle"));
        checkDoubleClickRoute(machine->transitions().at(0), "lineEdit", QStringLiteral("go"));
        checkDoubleClickRoute(machine->textItems().at(0), "textEdit",
                              QStringLiteral("#include <stdint.h>"));
    }

    void doubleClickedDialogsOnAProcessDiagram()
    {
        Canvas *controller = m_demo.show(kController);
        QVERIFY(controller);
        m_demo.driver()->insertAt("actionProcessRect", QPointF(1100, 400));
        m_demo.driver()->insertAt("actionMemory", QPointF(700, 800));
        ProcessItem *software = controller->processItems().at(0);
        ProcessItem *added = controller->processItems().at(1);
        MemoryItem *memory = controller->memoryItems().at(0);
        m_demo.driver()->connect("actionLink", ViewDriver::centreOf(software), ViewDriver::centreOf(added));
        m_demo.driver()->connect("actionDataflow", ViewDriver::centreOf(added), ViewDriver::centreOf(memory));
        QCOMPARE(controller->links().size(), 1);
        QCOMPARE(controller->dataflows().size(), 1);
        checkDoubleClickRoute(controller->links().at(0), "lineEdit", QStringLiteral("bus"));
        checkDoubleClickRoute(memory, "lineEdit", QStringLiteral("speed"));
        checkDoubleClickRoute(controller->dataflows().at(0), "lineEdit", QStringLiteral("out"));
        checkDoubleClickRoute(added, "lineEdit", QStringLiteral("Motor"));
    }

    void acceptedEditIsOfferedForSavingOnClose()
    {
        Canvas *machine = m_demo.show(kMachine);
        QVERIFY(machine);
        clearModified();
        QVERIFY(ViewDriver::whileModal(
            [&] { m_demo.driver()->doubleClick(ViewDriver::centreOf(machine->states().at(0))); },
            [](QWidget *d) {
                type(d, "lineEdit_2", QStringLiteral("Idle"));
                ViewDriver::ok(d);
            }));
        // Close Project asks, and Cancel keeps the edit.
        m_demo.prompter().messageAnswers.enqueue(QMessageBox::Cancel);
        m_demo.driver()->action("actionClose_Project")->trigger();
        QVERIFY(!m_demo.prompter().messages.isEmpty());
        QCOMPARE(m_demo.prompter().messages.last().text, QStringLiteral("Project has been modified."));
        QCOMPARE(machine->states().at(0)->label(), QStringLiteral("Idle"));
    }

    void connectionPressesThatConnectNothing()
    {
        Canvas *controller = m_demo.show(kController);
        QVERIFY(controller);
        ProcessItem *software = controller->processItems().at(0);
        for (const char *tool : {"actionLink", "actionDataflow"}) {
            clearModified();
            m_demo.driver()->action(tool)->trigger();
            m_demo.driver()->click(QPointF(1200, 800));   // empty canvas
            m_demo.driver()->drag(ViewDriver::centreOf(software), QPointF(1200, 800));
            QVERIFY2(!m_demo.window()->project()->isModified(), tool);
            QCOMPARE(controller->links().size() + controller->dataflows().size(), 0);
        }
        m_demo.driver()->action("actionSelect")->trigger();

        Canvas *machine = nullptr;
        doubleClickNode(*m_demo.window(), nodeIndex(*m_demo.window(), kMachine));
        machine = m_demo.window()->project()->shownCanvas();
        clearModified();
        m_demo.driver()->action("actiontransition")->trigger();
        m_demo.driver()->click(QPointF(1200, 800));
        QVERIFY(!m_demo.window()->project()->isModified());
        // A transition made does mark it.
        m_demo.driver()->drag(ViewDriver::centreOf(machine->states().at(1)),
                       ViewDriver::centreOf(machine->states().at(0)));
        QCOMPARE(machine->transitions().size(), 2);
        QVERIFY(m_demo.window()->project()->isModified());
    }

    // Escape during a connection drag ends the whole gesture: dragging on
    // until the button is released moves neither the item it started on
    // nor anything else, and leaves no undo step and no modified mark.
    void escapeEndsAConnectionDrag()
    {
        auto check = [this](Canvas *canvas, const char *tool, DiagramItem *start) {
            clearModified();
            const QPointF before = start->pos();
            const int steps = canvas->undoStack()->count();
            const QPointF from = ViewDriver::centreOf(start);
            ViewDriver *driver = m_demo.driver();
            driver->action(tool)->trigger();
            driver->press(from);
            driver->moveHeld(from + QPointF(40, 30));
            driver->key(Qt::Key_Escape);
            driver->moveHeld(from + QPointF(160, 120));
            driver->moveHeld(from + QPointF(200, 150));
            driver->release(from + QPointF(200, 150));
            QVERIFY2(start->pos() == before, tool);
            QVERIFY2(canvas->undoStack()->count() == steps, tool);
            QVERIFY2(!m_demo.window()->project()->isModified(), tool);
            QVERIFY2(!canvas->rubberLine(), tool);
            // The canvas is back in select mode and a plain drag moves again.
            driver->drag(from, from + QPointF(50, 0));
            QVERIFY2(start->pos() == before + QPointF(50, 0), tool);
            QVERIFY2(canvas->undoStack()->count() == steps + 1, tool);
        };
        Canvas *controller = m_demo.show(kController);
        QVERIFY(controller);
        check(controller, "actionLink", controller->processItems().at(0));
        check(controller, "actionDataflow", controller->processItems().at(0));
        doubleClickNode(*m_demo.window(), nodeIndex(*m_demo.window(), kMachine));
        Canvas *machine = m_demo.window()->project()->shownCanvas();
        check(machine, "actiontransition", machine->states().at(0));
    }
};

QTEST_MAIN(TestModifiedFlag)
#include "tst_modifiedflag.moc"
