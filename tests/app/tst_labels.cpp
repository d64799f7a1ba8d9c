// Labels that tell items apart. The project file joins transitions to
// states and links and dataflows to process and memory items by label, so
// new items get free labels, the property dialogs refuse empty, blank and
// taken labels (and trim the rest), and projects built that way come back
// from their file with every connection on the same items.

#include "ItemKind.h"
#include "ItemKinds.h"
#include "AddStateCommand.h"
#include "AddTransitionCommand.h"
#include "Canvas.h"
#include "DefaultProject.h"
#include "LinkItem.h"
#include "MainWindow.h"
#include "MemoryItem.h"
#include "OpenProject.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectActions.h"
#include "SceneMouse.h"
#include "DemoWindow.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "TransitionItem.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QLineEdit>
#include <QUndoStack>
#include <QtTest>

using namespace WindowProjectFixture;

namespace {

QStringList labelsOf(const QList<ProcessItem *> &items)
{
    QStringList labels;
    for (const ProcessItem *item : items)
        labels << item->label();
    return labels;
}

// The Microcontroller diagram of the default project, opened in a Project
// without a window; process items inserted on it get their node and
// canvas, and are deleted, as the window does it.
class ControllerDiagram
{
public:
    ControllerDiagram()
    {
        m_opened = openInProject(m_project, DefaultProject::document(QStringLiteral("Demo")));
        m_canvas = microcontroller();
    }
    bool opened() const { return m_opened; }
    Project &project() { return m_project; }
    Canvas *canvas() const { return m_canvas; }
    // A click in an inserting mode.
    void insert(const ItemKind * mode, const QPointF &point)
    {
        m_canvas->setMode(mode);
        SceneMouse::click(m_canvas, point);
    }
    // Saves and opens the project again; the Microcontroller canvas then.
    Canvas *reopened()
    {
        m_canvas = openInProject(m_project, savedBytes(m_project)) ? microcontroller() : nullptr;
        return m_canvas;
    }

private:
    Canvas *microcontroller() const
    {
        for (Canvas *canvas : m_project.canvases()) {
            if (canvas->name() == QLatin1String("Microcontroller"))
                return canvas;
        }
        return nullptr;
    }

    Project m_project;
    Canvas *m_canvas = nullptr;
    bool m_opened = false;
};

} // namespace

class TestLabels : public QObject
{
    Q_OBJECT

    DemoWindow m_demo;

    // Double-clicks item and, while its dialog is open, types `label` into
    // the line edit named editName and presses OK. Returns the dialog's
    // refusal (the last message shown while it stayed open) or "" when it
    // closed; a refused dialog is cancelled afterwards.
    QString relabel(QGraphicsItem *item, const char *editName, const QString &label)
    {
        QString refusal;
        const int shown = m_demo.prompter().messages.size();
        const bool opened = ViewDriver::whileModal(
            [&] { m_demo.driver()->doubleClick(ViewDriver::centreOf(item)); },
            [&](QWidget *dialog) {
                dialog->findChild<QLineEdit *>(QLatin1String(editName))->setText(label);
                ViewDriver::ok(dialog);
                if (!dialog->isVisible())
                    return;
                refusal = m_demo.prompter().messages.size() > shown ? m_demo.prompter().messages.last().text
                                                             : QStringLiteral("(no message)");
                const auto *edit = dialog->findChild<QLineEdit *>(QLatin1String(editName));
                if (edit->styleSheet() != QStringLiteral("border: 1px solid red"))
                    refusal += QStringLiteral(" (edit not outlined)");
                ViewDriver::cancel(dialog);
            });
        return opened ? refusal : QStringLiteral("(no dialog)");
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { m_demo.close(); }

    void newStatesTakeTheFirstFreeLabel()
    {
        Canvas *machine = m_demo.show(DemoWindow::machinePath());
        QVERIFY(machine);
        m_demo.driver()->insertAt("actionState", QPointF(300, 750));
        m_demo.driver()->insertAt("actionState", QPointF(700, 750));
        m_demo.driver()->insertAt("actionState", QPointF(1100, 750));
        QCOMPARE(machine->states().size(), 5);
        QCOMPARE(machine->states().at(2)->label(), QStringLiteral("State1"));
        QCOMPARE(machine->states().at(3)->label(), QStringLiteral("State2"));
        QCOMPARE(machine->states().at(4)->label(), QStringLiteral("State3"));

        // A renamed state frees its label for the next one.
        QCOMPARE(relabel(machine->states().at(3), "lineEdit_2", QStringLiteral("Run")), QString());
        m_demo.driver()->insertAt("actionState", QPointF(1100, 950));
        QCOMPARE(machine->states().last()->label(), QStringLiteral("State2"));
    }

    void newProcessAndMemoryItemsSkipLabelsInUse()
    {
        ControllerDiagram diagram;
        QVERIFY(diagram.opened());
        Canvas *micro = diagram.canvas();
        const auto insert = [&diagram](const ItemKind * mode, const QPointF &point) {
            diagram.insert(mode, point);
        };
        insert(ItemKinds::of(ItemType::Process), QPointF(900, 300));
        insert(ItemKinds::of(ItemType::Process), QPointF(1400, 300));
        QCOMPARE(labelsOf(micro->processItems()),
                 QStringList({"Software Module", "process_42", "process_43"}));
        // Deleting one brings the count back to 3, whose label is taken.
        QCOMPARE(diagram.project().deleteProcessItem(micro, micro->processItems().at(1)),
                 ProjectStructure::DeleteResult::Deleted);
        insert(ItemKinds::of(ItemType::Process), QPointF(900, 800));
        QCOMPARE(labelsOf(micro->processItems()),
                 QStringList({"Software Module", "process_43", "process_44"}));

        insert(ItemKinds::of(ItemType::Memory), QPointF(300, 900));
        insert(ItemKinds::of(ItemType::Memory), QPointF(600, 900));
        QCOMPARE(micro->memoryItems().at(0)->label(), QStringLiteral("var_40"));
        QCOMPARE(micro->memoryItems().at(1)->label(), QStringLiteral("var_41"));
        micro->deleteItem(micro->memoryItems().at(0));
        insert(ItemKinds::of(ItemType::Memory), QPointF(900, 900));
        QCOMPARE(micro->memoryItems().at(1)->label(), QStringLiteral("var_42"));
        QCOMPARE(micro->memoryItems().at(1)->datatype(), QStringLiteral("type_42"));
    }

    void newStatesKeepTheirTransitionThroughTheFile()
    {
        OpenProject project;
        QVERIFY(project.open(DefaultProject::document(QStringLiteral("Demo"))));
        Canvas *machine = project.canvasNamed(QStringLiteral("StateMachine_1"));
        // Each state is built and pushed in turn, as a press inserts it.
        auto *first = new AddStateCommand(machine, 100, 800);
        machine->pushCommand(first);
        auto *second = new AddStateCommand(machine, 600, 800);
        machine->pushCommand(second);
        machine->pushCommand(new AddTransitionCommand(machine, first->state(), second->state()));

        QVERIFY(project.open(project.save()));
        machine = project.canvasNamed(QStringLiteral("StateMachine_1"));
        QCOMPARE(machine->states().size(), 4);
        QCOMPARE(machine->transitions().size(), 2);
        const TransitionItem *t = machine->transitions().last();
        QVERIFY(!t->isSelfTransition());
        QCOMPARE(t->startItem()->pos(), QPointF(100, 800));
        QCOMPARE(t->endItem()->pos(), QPointF(600, 800));
    }

    void reusedCountsNoLongerRewireLinks()
    {
        ControllerDiagram diagram;
        QVERIFY(diagram.opened());
        Canvas *micro = diagram.canvas();
        diagram.insert(ItemKinds::of(ItemType::Process), QPointF(900, 300));
        diagram.insert(ItemKinds::of(ItemType::Process), QPointF(1400, 300));
        diagram.project().deleteProcessItem(micro, micro->processItems().at(1));
        diagram.insert(ItemKinds::of(ItemType::Process), QPointF(900, 800));
        ProcessItem *third = micro->processItems().at(0);
        for (ProcessItem *item : {micro->processItems().at(1), micro->processItems().at(2)}) {
            micro->setMode(ItemKinds::of(ItemType::Link));
            SceneMouse::drag(micro, item->sceneBoundingRect().center(),
                             third->sceneBoundingRect().center());
        }

        micro = diagram.reopened();
        QVERIFY(micro);
        QCOMPARE(micro->links().size(), 2);
        QCOMPARE(micro->links().at(0)->startItem()->pos(), QPointF(1250, 175));
        QCOMPARE(micro->links().at(1)->startItem()->pos(), QPointF(750, 675));
    }

    void stateDialogRefusesEmptyBlankAndTakenLabels()
    {
        Canvas *machine = m_demo.show(DemoWindow::machinePath());
        QVERIFY(machine);
        StateItem *initial = machine->states().at(0);
        QCOMPARE(relabel(initial, "lineEdit_2", QString()),
                 QStringLiteral("The label of a state cannot be empty."));
        QCOMPARE(relabel(initial, "lineEdit_2", QStringLiteral("   ")),
                 QStringLiteral("The label of a state cannot consist of blanks only."));
        QCOMPARE(relabel(initial, "lineEdit_2", QStringLiteral(" SecondaryState ")),
                 QStringLiteral("Another state on this diagram is already labelled "
                                "\"SecondaryState\". Please choose a different label."));
        QCOMPARE(m_demo.prompter().messages.last().title, QStringLiteral("Kestro"));
        QCOMPARE(initial->label(), QStringLiteral("InitialState"));
        QVERIFY(!m_demo.window()->project()->isModified());

        // Blanks around an acceptable label are dropped.
        QCOMPARE(relabel(initial, "lineEdit_2", QStringLiteral("  Idle\t")), QString());
        QCOMPARE(initial->label(), QStringLiteral("Idle"));
        QVERIFY(m_demo.window()->project()->isModified());
        // Its own label is no clash.
        QCOMPARE(relabel(initial, "lineEdit_2", QStringLiteral("Idle")), QString());
    }

    void labelsUndoCanBringBackStayTaken()
    {
        Canvas *machine = m_demo.show(DemoWindow::machinePath());
        QVERIFY(machine);
        StateItem *secondary = machine->states().at(1);
        m_demo.driver()->click(ViewDriver::centreOf(secondary));
        m_demo.driver()->action("actionDelete")->trigger();
        QCOMPARE(machine->states().size(), 1);
        StateItem *initial = machine->states().at(0);
        QCOMPARE(relabel(initial, "lineEdit_2", QStringLiteral("SecondaryState")),
                 QStringLiteral("A deleted or undone state that Undo or Redo can bring back on "
                                "this diagram is labelled \"SecondaryState\". Please choose a "
                                "different label."));
        // A new state does not take it either.
        m_demo.driver()->insertAt("actionState", QPointF(700, 750));
        QCOMPARE(machine->states().last()->label(), QStringLiteral("State1"));

        // Undone insertions keep their label until Redo can no longer
        // bring them back.
        m_demo.driver()->action("actionUndo")->trigger();
        QCOMPARE(relabel(initial, "lineEdit_2", QStringLiteral("State1")),
                 QStringLiteral("A deleted or undone state that Undo or Redo can bring back on "
                                "this diagram is labelled \"State1\". Please choose a different "
                                "label."));
        m_demo.driver()->action("actionUndo")->trigger();
        QCOMPARE(machine->states().size(), 2);
        QCOMPARE(machine->states().at(1)->label(), QStringLiteral("SecondaryState"));
    }

    void processLabelsAreTrimmedAndKeepTheTree()
    {
        Canvas *micro = m_demo.show(DemoWindow::controllerPath());
        QVERIFY(micro);
        m_demo.driver()->insertAt("actionProcessRect", QPointF(1000, 400));
        ProcessItem *added = micro->processItems().last();
        QCOMPARE(relabel(added, "lineEdit", QString()),
                 QStringLiteral("The label of a process item cannot be empty."));
        QCOMPARE(relabel(added, "lineEdit", QStringLiteral("Software Module")),
                 QStringLiteral("Another process item on this diagram is already labelled "
                                "\"Software Module\". Please choose a different label."));
        QCOMPARE(relabel(added, "lineEdit", QStringLiteral("Motor\tControl")),
                 QStringLiteral("The label of a process item cannot contain tabs or line breaks."));
        QCOMPARE(relabel(added, "lineEdit", QStringLiteral("   Motor  ")), QString());
        QCOMPARE(added->label(), QStringLiteral("Motor"));
        QVERIFY(nodeIndex(*m_demo.window(), {"Hardware Module", "Microcontroller", "Motor"}).isValid());

        // Saved and opened again, the node sits beside its sibling and opens.
        QVERIFY(m_demo.window()->projectActions()->save());
        QVERIFY(m_demo.window()->projectActions()->openFile(m_demo.window()->projectActions()->projectPath()));
        const QModelIndex motor = nodeIndex(*m_demo.window(), {"Hardware Module", "Microcontroller", "Motor"});
        QVERIFY(motor.isValid());
        doubleClickNode(*m_demo.window(), motor);
        QVERIFY(m_demo.window()->project()->shownCanvas());
        QCOMPARE(m_demo.window()->project()->shownCanvas()->name(), QStringLiteral("Motor"));
        QCOMPARE(m_demo.window()->project()->shownCanvas()->level(), 4);
    }

    void memoryDialogRefusesBlankAndTakenLabels()
    {
        Canvas *hardware = m_demo.show({"Hardware Module"});
        QVERIFY(hardware);
        m_demo.driver()->insertAt("actionMemory", QPointF(700, 700));
        m_demo.driver()->insertAt("actionMemory", QPointF(1100, 700));
        MemoryItem *first = hardware->memoryItems().at(0);
        MemoryItem *second = hardware->memoryItems().at(1);
        QCOMPARE(relabel(second, "lineEdit", QStringLiteral(" ")),
                 QStringLiteral("The label of a memory item cannot consist of blanks only."));
        QCOMPARE(relabel(second, "lineEdit", first->label()),
                 QStringLiteral("Another memory item on this diagram is already labelled "
                                "\"var_30\". Please choose a different label."));
        // One memory item may go without a label, two may not.
        QCOMPARE(relabel(first, "lineEdit", QString()), QString());
        QCOMPARE(relabel(second, "lineEdit", QString()),
                 QStringLiteral("Another memory item on this diagram has no label either. "
                                "Please give this one a label."));
        QCOMPARE(relabel(second, "lineEdit", QStringLiteral(" speed ")), QString());
        QCOMPARE(second->label(), QStringLiteral("speed"));
    }
};

QTEST_MAIN(TestLabels)
#include "tst_labels.moc"
