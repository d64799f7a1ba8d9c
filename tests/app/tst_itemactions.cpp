// The main window's item commands on the canvas it shows: property dialogs
// from the context menus, stacking, delete with undo and redo, self
// transitions and the canvas size. Everything runs on a real window, with
// real mouse events on its view wherever selection matters.

#include "ItemKind.h"
#include "ItemKinds.h"
#include "Canvas.h"
#include "CanvasSize.h"
#include "DataflowItem.h"
#include "InitialTransition.h"
#include "InitialTransitionLine.h"
#include "ItemActions.h"
#include "LinkItem.h"
#include "MainWindow.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "TransitionLine.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGraphicsView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QUndoStack>
#include <QtTest>

#include <functional>
#include <memory>

class TestItemActions : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindow> m_window;
    Canvas *m_canvas = nullptr;
    QGraphicsView *m_view = nullptr;
    ScriptedPrompter *m_prompter = nullptr;

    // A window showing one canvas of the given level, not modified.
    void openWindow(int level)
    {
        m_window = std::make_unique<MainWindow>();
        m_canvas = m_window->project()->createCanvas({level, 1, 1, 1, 1, QStringLiteral("node")});
        m_window->project()->showCanvas(m_canvas);
        m_window->applyToolSet(level);
        m_view = m_window->findChild<QGraphicsView *>(QStringLiteral("graphicsView"));
        m_window->resize(1500, 1000);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    QAction *action(const char *name) const { return m_window->findChild<QAction *>(name); }
    void clearModified() { m_window->project()->markSaved(); }

    void send(QEvent::Type type, const QPointF &scenePos, Qt::MouseButton button,
              Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPoint vp = m_view->mapFromScene(scenePos);
        QMouseEvent event(type, vp, m_view->viewport()->mapToGlobal(vp), button, buttons, modifiers);
        QApplication::sendEvent(m_view->viewport(), &event);
    }
    void click(const QPointF &p, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        send(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, modifiers);
        send(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton, modifiers);
    }
    void drag(const QPointF &from, const QPointF &to)
    {
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    static QPointF centreOf(const QGraphicsItem *item) { return item->sceneBoundingRect().center(); }

    void insertAt(const char *tool, const QPointF &p)
    {
        action(tool)->trigger();
        click(p);
    }
    StateItem *insertState(const QPointF &centre)
    {
        insertAt("actionState", centre);
        return m_canvas->states().last();
    }
    ProcessItem *insertProcess(const QPointF &centre)
    {
        insertAt("actionProcessRect", centre);
        return m_canvas->processItems().last();
    }
    void connectItems(const char *tool, const QPointF &from, const QPointF &to)
    {
        action(tool)->trigger();
        drag(from, to);
    }

    // Runs trigger while `answer` is called on the modal dialog or popup
    // menu it opens; returns whether one opened.
    bool whileOpen(const std::function<void()> &trigger, const std::function<void(QWidget *)> &answer,
                   bool popup = false)
    {
        bool opened = false;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            QWidget *w = popup ? QApplication::activePopupWidget() : QApplication::activeModalWidget();
            if (!w)
                return;
            opened = true;
            answer(w);
        });
        timer.start(0);
        trigger();
        timer.stop();
        return opened;
    }
    static void pressButton(QWidget *dialog, QDialogButtonBox::StandardButton which)
    {
        dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))->button(which)->click();
    }
    static void cancel(QWidget *dialog) { pressButton(dialog, QDialogButtonBox::Cancel); }

    // A right click on the view, which opens the item's context menu; the
    // menu runs `inMenu` and closes.
    bool rightClick(const QPointF &scenePos, const std::function<void(QMenu *)> &inMenu = {})
    {
        const QPoint vp = m_view->mapFromScene(scenePos);
        QContextMenuEvent event(QContextMenuEvent::Mouse, vp, m_view->viewport()->mapToGlobal(vp));
        return whileOpen([&] { QApplication::sendEvent(m_view->viewport(), &event); },
                         [&](QWidget *w) {
                             auto *menu = qobject_cast<QMenu *>(w);
                             if (inMenu)
                                 inMenu(menu);
                             menu->close();
                         },
                         true);
    }

    // Everything that tells whether a state machine is as before, apart
    // from the order of the lists.
    struct MachineShape
    {
        QSet<StateItem *> states;
        QSet<TransitionItem *> transitions;
        QList<QSet<TransitionItem *>> stateTransitions;
        QList<QList<TransitionItem *>> selfTransitions;
        QList<QPointF> positions;
        QList<bool> inScene;
        // Each state's outgoing transitions in the order they are tried.
        QList<QList<TransitionItem *>> outgoing;
        bool operator==(const MachineShape &o) const
        {
            return states == o.states && transitions == o.transitions
                   && stateTransitions == o.stateTransitions && selfTransitions == o.selfTransitions
                   && positions == o.positions && inScene == o.inScene;
        }
    };
    MachineShape shape(const QList<StateItem *> &allStates,
                       const QList<TransitionItem *> &allTransitions) const
    {
        MachineShape s;
        const QList<StateItem *> listedStates = m_canvas->states();
        const QList<TransitionItem *> listedTransitions = m_canvas->transitions();
        s.states = QSet<StateItem *>(listedStates.begin(), listedStates.end());
        s.transitions = QSet<TransitionItem *>(listedTransitions.begin(), listedTransitions.end());
        for (StateItem *state : allStates) {
            const QList<TransitionItem *> &list = state->transitions();
            s.stateTransitions << QSet<TransitionItem *>(list.begin(), list.end());
            s.selfTransitions << state->selfTransitions();
            s.positions << state->pos();
            s.inScene << (state->scene() == m_canvas);
            QList<TransitionItem *> out;
            for (TransitionItem *t : list) {
                if (t->startItem() == state)
                    out << t;
            }
            s.outgoing << out;
        }
        for (TransitionItem *t : allTransitions) {
            s.positions << t->pos();
            s.inScene << (t->scene() == m_canvas) << (t->startLine()->scene() == m_canvas)
                      << (t->endLine()->scene() == m_canvas);
        }
        return s;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro")).clear();
        m_prompter = new ScriptedPrompter;
    }
    void cleanupTestCase()
    {
        m_window.reset();
        delete m_prompter;
    }
    void cleanup()
    {
        m_prompter->messages.clear();
        if (m_window)
            m_window->hide();
    }

    void propertiesFromMenusMarkModifiedOnlyWhenChanged();
    void propertiesOfProcessDiagramItems();
    void stacking();
    void deleteStateWithItsTransitionUndoRedo();
    void deleteInitialStateTakesTheMarker();
    void undoRedo();
    void selfTransitionFromTheStateMenu();
    void deleteProcessDiagramItems();
    void lastProcessItemIsKept();
    void canvasSize();
};

void TestItemActions::propertiesFromMenusMarkModifiedOnlyWhenChanged()
{
    openWindow(5);
    StateItem *a = insertState(QPointF(300, 250));
    StateItem *b = insertState(QPointF(800, 250));
    connectItems("actiontransition", centreOf(a), centreOf(b));
    TransitionItem *t = m_canvas->transitions().value(0);
    QVERIFY(t);
    insertAt("actionText", QPointF(300, 600));
    TextItem *text = m_canvas->textItems().value(0);
    insertAt("actionMemory", QPointF(800, 600));
    MemoryItem *memory = m_canvas->memoryItems().value(0);
    QVERIFY(text && memory);
    const QVector<QAction *> &properties = m_window->propertiesActions();
    const QString label = a->label();

    // No item right-clicked yet: nothing opens, nothing is modified.
    clearModified();
    for (int kind : {ItemKinds::of(ItemType::State)->menuIndex(), ItemKinds::of(ItemType::Transition)->menuIndex(), ItemKinds::of(ItemType::Text)->menuIndex(),
                     ItemKinds::of(ItemType::Memory)->menuIndex()})
        QVERIFY(!whileOpen([&] { properties.at(kind)->trigger(); }, cancel));
    QVERIFY(!m_window->project()->isModified());

    // Right-clicking makes an item current; its "Properties" opens its own
    // dialog. Cancelling it, or OK without a change, leaves the project
    // unmodified.
    const QList<QPair<QGraphicsItem *, int>> cases = {
        {a, ItemKinds::of(ItemType::State)->menuIndex()}, {t, ItemKinds::of(ItemType::Transition)->menuIndex()},
        {text, ItemKinds::of(ItemType::Text)->menuIndex()}, {memory, ItemKinds::of(ItemType::Memory)->menuIndex()}};
    const auto ok = [](QWidget *w) { pressButton(w, QDialogButtonBox::Ok); };
    for (const auto &c : cases) {
        QVERIFY(rightClick(centreOf(c.first)));
        clearModified();
        QVERIFY(whileOpen([&] { properties.at(c.second)->trigger(); }, cancel));
        QVERIFY2(!m_window->project()->isModified(), qPrintable(QString::number(c.second)));
        QVERIFY(whileOpen([&] { properties.at(c.second)->trigger(); }, ok));
        QVERIFY2(!m_window->project()->isModified(), qPrintable(QString::number(c.second)));
    }
    QCOMPARE(m_canvas->current<StateItem>(), a);
    QCOMPARE(a->label(), label);   // cancelled

    // Accepting a changed label keeps it and marks the project modified.
    QVERIFY(whileOpen([&] { properties.at(ItemKinds::of(ItemType::State)->menuIndex())->trigger(); }, [](QWidget *w) {
        w->findChild<QLineEdit *>(QStringLiteral("lineEdit_2"))->setText(QStringLiteral("IDLE"));
        pressButton(w, QDialogButtonBox::Ok);
    }));
    QCOMPARE(a->label(), QStringLiteral("IDLE"));
    QVERIFY(m_window->project()->isModified());

    // A current item deleted meanwhile gets no dialog.
    m_canvas->clearSelection();
    click(centreOf(text));
    action("actionDelete")->trigger();
    clearModified();
    QVERIFY(!whileOpen([&] { properties.at(ItemKinds::of(ItemType::Text)->menuIndex())->trigger(); }, cancel));
    QVERIFY(!m_window->project()->isModified());
}

void TestItemActions::propertiesOfProcessDiagramItems()
{
    openWindow(3);
    ProcessItem *p1 = insertProcess(QPointF(250, 250));
    ProcessItem *p2 = insertProcess(QPointF(850, 250));
    insertAt("actionMemory", QPointF(550, 650));
    MemoryItem *memory = m_canvas->memoryItems().value(0);
    QVERIFY(memory);
    connectItems("actionLink", centreOf(p1), centreOf(p2));
    connectItems("actionDataflow", centreOf(p1), centreOf(memory));
    LinkItem *link = m_canvas->links().value(0);
    DataflowItem *flow = m_canvas->dataflows().value(0);
    QVERIFY(link && flow);

    const QList<QPair<QGraphicsItem *, int>> cases = {
        {link, ItemKinds::of(ItemType::Link)->menuIndex()}, {memory, ItemKinds::of(ItemType::Memory)->menuIndex()}, {flow, ItemKinds::of(ItemType::Dataflow)->menuIndex()}};
    for (const auto &c : cases) {
        QVERIFY(rightClick(centreOf(c.first)));
        clearModified();
        QVERIFY(whileOpen([&] { m_window->propertiesActions().at(c.second)->trigger(); }, cancel));
        QVERIFY(!m_window->project()->isModified());
        // A new datatype of each item's own (a memory item hands its
        // datatype to its dataflows).
        QVERIFY(whileOpen([&] { m_window->propertiesActions().at(c.second)->trigger(); },
                          [&](QWidget *w) {
                              w->findChild<QLineEdit *>(QStringLiteral("lineEdit_2"))
                                  ->setText(QStringLiteral("type_%1").arg(c.second));
                              pressButton(w, QDialogButtonBox::Ok);
                          }));
        QVERIFY2(m_window->project()->isModified(), qPrintable(QString::number(c.second)));
    }
    QCOMPARE(m_canvas->current<LinkItem>(), link);
    QCOMPARE(m_canvas->current<DataflowItem>(), flow);
}

void TestItemActions::stacking()
{
    openWindow(5);
    StateItem *a = insertState(QPointF(300, 250));
    StateItem *b = insertState(QPointF(800, 250));
    QCOMPARE(a->zValue(), 1.0);
    QCOMPARE(b->zValue(), 2.0);
    QCOMPARE(m_canvas->highestZ(), 2.0);

    // Nothing selected: nothing happens.
    m_canvas->clearSelection();
    clearModified();
    action("actionBringToFront")->trigger();
    action("actionSendToBack")->trigger();
    QCOMPARE(a->zValue(), 1.0);
    QCOMPARE(b->zValue(), 2.0);
    QVERIFY(!m_window->project()->isModified());

    // The topmost item still goes one higher, and so does the canvas's value.
    click(centreOf(b));
    QCOMPARE(m_canvas->selectedItems(), QList<QGraphicsItem *>({b}));
    action("actionBringToFront")->trigger();
    QCOMPARE(b->zValue(), 3.0);
    QCOMPARE(m_canvas->highestZ(), 3.0);
    QVERIFY(m_window->project()->isModified());
    click(centreOf(a));
    action("actionBringToFront")->trigger();
    QCOMPARE(a->zValue(), 4.0);
    // A state inserted afterwards still lands on top.
    StateItem *c = insertState(QPointF(550, 650));
    QCOMPARE(c->zValue(), 5.0);

    // Send to back on two items: both at 1.
    click(centreOf(a));
    clearModified();
    action("actionSendToBack")->trigger();
    QVERIFY(m_window->project()->isModified());
    click(centreOf(c));
    action("actionSendToBack")->trigger();
    QCOMPARE(a->zValue(), 1.0);
    QCOMPARE(c->zValue(), 1.0);
    QCOMPARE(b->zValue(), 3.0);
    QCOMPARE(m_canvas->highestZ(), 5.0);
}

void TestItemActions::deleteStateWithItsTransitionUndoRedo()
{
    openWindow(5);
    StateItem *a = insertState(QPointF(300, 250));
    StateItem *b = insertState(QPointF(800, 250));
    StateItem *c = insertState(QPointF(550, 650));
    connectItems("actiontransition", centreOf(a), centreOf(b));
    connectItems("actiontransition", centreOf(b), QPointF(300, 200));
    connectItems("actiontransition", centreOf(b), centreOf(c));
    QCOMPARE(m_canvas->transitions().size(), 3);
    TransitionItem *ab = m_canvas->transitions().at(0);
    TransitionItem *ba = m_canvas->transitions().at(1);
    TransitionItem *bc = m_canvas->transitions().at(2);
    QCOMPARE(ba->endItem(), a);
    m_canvas->clearSelection();
    click(centreOf(a));
    action("actionSelf_transition")->trigger();
    TransitionItem *aa = m_canvas->transitions().value(3);
    QVERIFY(aa);
    const QList<StateItem *> states{a, b, c};
    const QList<TransitionItem *> transitions{ab, ba, bc, aa};
    const MachineShape before = shape(states, transitions);
    const int stackBefore = m_canvas->undoStack()->index();

    // The state and its own transition, selected by clicks.
    m_canvas->clearSelection();
    click(centreOf(a));
    click(centreOf(ab), Qt::ControlModifier);
    QCOMPARE(m_canvas->selectedItems().size(), 2);
    clearModified();
    action("actionDelete")->trigger();
    QVERIFY(m_window->project()->isModified());
    QCOMPARE(m_canvas->states(), QList<StateItem *>({b, c}));
    QCOMPARE(m_canvas->transitions(), QList<TransitionItem *>({bc}));
    QVERIFY(!a->scene() && !ab->scene() && !ba->scene() && !aa->scene());
    QVERIFY(!ab->startLine()->scene() && !ab->endLine()->scene());
    QCOMPARE(b->transitions(), QList<TransitionItem *>({bc}));
    const MachineShape deleted = shape(states, transitions);

    // Undo every step of the deletion: as before. Redo deletes again.
    while (m_canvas->undoStack()->index() > stackBefore)
        action("actionUndo")->trigger();
    QVERIFY(shape(states, transitions) == before);
    while (m_canvas->undoStack()->canRedo())
        action("actionRedo")->trigger();
    QVERIFY(shape(states, transitions) == deleted);
    while (m_canvas->undoStack()->index() > stackBefore)
        action("actionUndo")->trigger();
    const MachineShape restored = shape(states, transitions);
    QVERIFY(restored == before);
    // The order in which a state tries its transitions is the if / else-if
    // order of the generated code.
    QCOMPARE(restored.outgoing, before.outgoing);
}

void TestItemActions::deleteInitialStateTakesTheMarker()
{
    openWindow(5);
    StateItem *a = insertState(QPointF(300, 250));
    insertState(QPointF(800, 250));
    QVERIFY(rightClick(centreOf(a)));
    QVERIFY(whileOpen([&] { m_window->propertiesActions().at(ItemKinds::of(ItemType::State)->menuIndex())->trigger(); },
                      [](QWidget *w) {
                          w->findChild<QCheckBox *>(QStringLiteral("checkBox"))->setChecked(true);
                          pressButton(w, QDialogButtonBox::Ok);
                      }));
    QCOMPARE(m_canvas->markedInitialState(), a);
    QCOMPARE(m_canvas->initialDot()->scene(), m_canvas);

    m_canvas->clearSelection();
    click(centreOf(a));
    action("actionDelete")->trigger();
    QVERIFY(!m_canvas->states().contains(a));
    QCOMPARE(m_canvas->initialDot()->scene(), nullptr);
    QCOMPARE(m_canvas->initialLine()->scene(), nullptr);
    QCOMPARE(m_canvas->markedInitialState(), nullptr);

    // Undo brings the state back, but not the marker.
    action("actionUndo")->trigger();
    QVERIFY(m_canvas->states().contains(a));
    QCOMPARE(a->scene(), m_canvas);
    QCOMPARE(m_canvas->markedInitialState(), a->isInitialState() ? a : nullptr);
}

void TestItemActions::undoRedo()
{
    openWindow(5);
    // Nothing to undo or redo: nothing happens.
    action("actionUndo")->trigger();
    action("actionRedo")->trigger();
    QVERIFY(!m_window->project()->isModified());
    QVERIFY(m_canvas->items().size() <= 1);   // at most the title

    // Undoing and redoing change the diagram: the project is modified.
    StateItem *s = insertState(QPointF(300, 250));
    clearModified();
    action("actionUndo")->trigger();
    QVERIFY(m_canvas->states().isEmpty());
    QCOMPARE(s->scene(), nullptr);
    QVERIFY(m_window->project()->isModified());
    clearModified();
    action("actionRedo")->trigger();
    QCOMPARE(m_canvas->states(), QList<StateItem *>({s}));
    QVERIFY(m_window->project()->isModified());
    clearModified();
    action("actionRedo")->trigger();   // nothing left to redo
    QVERIFY(!m_window->project()->isModified());
}

void TestItemActions::selfTransitionFromTheStateMenu()
{
    openWindow(5);
    insertState(QPointF(300, 250));
    StateItem *s = insertState(QPointF(800, 250));
    clearModified();
    // The command needs a selected state.
    m_canvas->clearSelection();
    action("actionSelf_transition")->trigger();
    QVERIFY(m_canvas->transitions().isEmpty());
    QVERIFY(!m_window->project()->isModified());

    bool offered = false;
    QVERIFY(rightClick(centreOf(s), [&](QMenu *menu) {
        offered = menu->actions().contains(action("actionSelf_transition"));
        action("actionSelf_transition")->trigger();
    }));
    QVERIFY(offered);
    QCOMPARE(m_canvas->current<StateItem>(), s);
    QCOMPARE(m_canvas->transitions().size(), 1);
    QCOMPARE(s->selfTransitions(), m_canvas->transitions());
    QCOMPARE(m_canvas->transitions().first()->scene(), m_canvas);
    QVERIFY(m_window->project()->isModified());
    QCOMPARE(m_canvas->mode(), nullptr);
}

void TestItemActions::deleteProcessDiagramItems()
{
    openWindow(3);
    ProcessItem *p1 = insertProcess(QPointF(250, 250));
    ProcessItem *p2 = insertProcess(QPointF(850, 250));
    insertAt("actionMemory", QPointF(550, 650));
    MemoryItem *memory = m_canvas->memoryItems().value(0);
    QVERIFY(memory);
    insertAt("actionMemory", QPointF(1100, 650));
    MemoryItem *other = m_canvas->memoryItems().value(1);
    QVERIFY(other);
    connectItems("actionLink", centreOf(p1), centreOf(p2));
    connectItems("actionDataflow", centreOf(p1), centreOf(memory));
    connectItems("actionDataflow", centreOf(memory), centreOf(p2));
    connectItems("actionDataflow", centreOf(p2), centreOf(other));
    QCOMPARE(m_canvas->dataflows().size(), 3);
    DataflowItem *toOther = m_canvas->dataflows().at(2);
    LinkItem *link = m_canvas->links().value(0);
    QVERIFY(link);

    // A memory item takes its dataflows with it, for good.
    m_canvas->clearSelection();
    click(centreOf(memory));
    clearModified();
    action("actionDelete")->trigger();
    QVERIFY(m_window->project()->isModified());
    QCOMPARE(m_canvas->memoryItems(), QList<MemoryItem *>({other}));
    QCOMPARE(m_canvas->dataflows(), QList<DataflowItem *>({toOther}));
    QVERIFY(p1->dataflows().isEmpty());
    QCOMPARE(p2->dataflows(), QList<DataflowItem *>({toOther}));
    action("actionUndo")->trigger();
    action("actionRedo")->trigger();
    QCOMPARE(m_canvas->memoryItems(), QList<MemoryItem *>({other}));

    // A link leaves both its process items.
    click(centreOf(link));
    QCOMPARE(m_canvas->selectedItems(), QList<QGraphicsItem *>({link}));
    action("actionDelete")->trigger();
    QVERIFY(m_canvas->links().isEmpty());
    QVERIFY(p1->links().isEmpty() && p2->links().isEmpty());

    // A dataflow leaves its process item and its memory item.
    click(centreOf(toOther));
    QCOMPARE(m_canvas->selectedItems(), QList<QGraphicsItem *>({toOther}));
    action("actionDelete")->trigger();
    QVERIFY(m_canvas->dataflows().isEmpty());
    QVERIFY(p2->dataflows().isEmpty());
    QVERIFY(other->dataflows().isEmpty());

    // Only the two process items and the memory item are left; no line stays behind.
    int lines = 0;
    for (QGraphicsItem *item : m_canvas->items())
        lines += item->type() == QGraphicsLineItem::Type;
    QCOMPARE(lines, 0);
    QCOMPARE(m_canvas->processItems(), QList<ProcessItem *>({p1, p2}));
}

void TestItemActions::lastProcessItemIsKept()
{
    openWindow(3);
    ProcessItem *only = insertProcess(QPointF(400, 300));
    m_canvas->clearSelection();
    click(centreOf(only));
    action("actionDelete")->trigger();
    QCOMPARE(m_prompter->messages.size(), 1);
    QCOMPARE(m_prompter->messages.first().title, QStringLiteral("Kestro"));
    QCOMPARE(m_prompter->messages.first().text, QStringLiteral("Last Process Item cannot be deleted"));
    QCOMPARE(m_canvas->processItems(), QList<ProcessItem *>({only}));
    QCOMPARE(only->scene(), m_canvas);
    QCOMPARE(m_window->project()->canvases(), QList<Canvas *>({m_canvas}));

    // The handler can be replaced; it gets each selected process item.
    QList<ProcessItem *> handed;
    m_window->itemActions()->setProcessDeleteHandler([&](ProcessItem *p) { handed << p; });
    action("actionDelete")->trigger();
    QCOMPARE(handed, QList<ProcessItem *>({only}));
    QCOMPARE(m_prompter->messages.size(), 1);
}

void TestItemActions::canvasSize()
{
    openWindow(3);
    Canvas *shown = m_canvas;
    Canvas *other = m_window->project()->createCanvas({4, 1, 1, 1, 1, QStringLiteral("other")});
    QCOMPARE(other->sceneRect(), QRectF(0, 0, 2000, 1050));

    auto answer = [](int width, int height, QDialogButtonBox::StandardButton button) {
        return [=](QWidget *w) {
            QVERIFY(qobject_cast<CanvasSize *>(w));
            // The dialog shows the size new canvases get.
            QCOMPARE(w->findChild<QSpinBox *>(QStringLiteral("widthBox"))->value(), 2000);
            QCOMPARE(w->findChild<QSpinBox *>(QStringLiteral("heightBox"))->value(), 1050);
            w->findChild<QSpinBox *>(QStringLiteral("widthBox"))->setValue(width);
            w->findChild<QSpinBox *>(QStringLiteral("heightBox"))->setValue(height);
            pressButton(w, button);
        };
    };
    QVERIFY(whileOpen([&] { action("actionSet_Canvas_Size")->trigger(); },
                      answer(10, 10, QDialogButtonBox::Cancel)));
    QCOMPARE(shown->sceneRect(), QRectF(0, 0, 2000, 1050));
    QCOMPARE(m_window->storedSettings().canvasWidth, 2000);

    QVERIFY(whileOpen([&] { action("actionSet_Canvas_Size")->trigger(); },
                      answer(3000, 1200, QDialogButtonBox::Ok)));
    QCOMPARE(shown->sceneRect(), QRectF(0, 0, 3000, 1200));
    QCOMPARE(other->sceneRect(), QRectF(0, 0, 2000, 1050));
    QCOMPARE(m_window->storedSettings().canvasWidth, 3000);
    QCOMPARE(m_window->storedSettings().canvasHeight, 1200);
    QCOMPARE(m_window->project()->createCanvas({4, 2, 2, 1, 1, QStringLiteral("later")})->sceneRect(),
             QRectF(0, 0, 3000, 1200));
    // The same dialog every time.
    QCOMPARE(m_window->findChildren<CanvasSize *>().size(), 1);

    // Written on close.
    QSettings settings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"));
    QVERIFY(!settings.contains(QStringLiteral("canvas_width")));
    clearModified();
    m_prompter->messageAnswers.enqueue(QMessageBox::Yes);
    QVERIFY(m_window->close());
    settings.sync();
    QCOMPARE(settings.value(QStringLiteral("canvas_width")).toInt(), 3000);
    QCOMPARE(settings.value(QStringLiteral("canvas_height")).toInt(), 1200);
}

QTEST_MAIN(TestItemActions)
#include "tst_itemactions.moc"
