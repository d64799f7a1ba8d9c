#include "Canvas.h"
#include "DataflowItem.h"
#include "FloatingLinkItem.h"
#include "FloatingMemoryItem.h"
#include "InitialTransition.h"
#include "InitialTransitionLine.h"
#include "ItemKind.h"
#include "ItemKinds.h"
#include "LinkItem.h"
#include "LinkLine.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "PropertyDialogs.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "TransitionLine.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGraphicsView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QUndoStack>
#include <QtTest>

// Drives a canvas through a real view with real mouse events. QTest's move
// events carry no buttons, so the events are built here and sent to the
// viewport.
class TestCanvas : public QObject
{
    Q_OBJECT

    Canvas *m_canvas = nullptr;
    QGraphicsView *m_view = nullptr;
    // What the canvas reported, in order: "modified" for an edit (one it
    // reports itself or a command pushed on its stack), "added" for a
    // process item, "properties" for a double-click and "select" when its
    // tool has done its work (the window then returns to select mode).
    QStringList m_log;

    void makeCanvas(int level)
    {
        delete m_view;
        delete m_canvas;
        m_log.clear();
        m_canvas = new Canvas(nullptr);
        m_canvas->setLevel(level);
        m_canvas->setId(2);
        m_canvas->setParentId(1);
        m_canvas->setGrandParentId(1);
        m_canvas->setName("machine");
        m_canvas->setSceneRect(0, 0, 1100, 800);
        connect(m_canvas, &Canvas::edited, this, [this] { m_log << "modified"; });
        connect(m_canvas->undoStack(), &QUndoStack::indexChanged, this, [this] { m_log << "modified"; });
        connect(m_canvas, &Canvas::processItemInserted, this, [this] { m_log << "added"; });
        connect(m_canvas, &Canvas::propertiesRequested, this, [this] { m_log << "properties"; });
        connect(m_canvas, &Canvas::itemInserted, this, [this] {
            m_log << "select";
            m_canvas->setMode(nullptr);
        });
        m_view = new QGraphicsView(m_canvas);
        m_view->resize(1200, 900);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view));
    }

    void send(QEvent::Type type, const QPointF &scenePos, Qt::MouseButton button,
              Qt::MouseButtons buttons)
    {
        const QPoint vp = m_view->mapFromScene(scenePos);
        QMouseEvent event(type, vp, m_view->viewport()->mapToGlobal(vp), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(m_view->viewport(), &event);
    }
    void press(const QPointF &p, Qt::MouseButton b = Qt::LeftButton)
    {
        send(QEvent::MouseButtonPress, p, b, b);
    }
    void release(const QPointF &p, Qt::MouseButton b = Qt::LeftButton)
    {
        send(QEvent::MouseButtonRelease, p, b, Qt::NoButton);
    }
    void moveHeld(const QPointF &p) { send(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
    void hover(const QPointF &p) { send(QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton); }
    void click(const QPointF &p)
    {
        press(p);
        release(p);
    }
    void drag(const QPointF &from, const QPointF &to)
    {
        press(from);
        moveHeld((from + to) / 2);
        moveHeld(to);
        release(to);
    }
    void doubleClick(const QPointF &p)
    {
        click(p);
        send(QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
        release(p);
    }

    StateItem *insertState(const QPointF &centre)
    {
        m_canvas->setMode(ItemKinds::of(ItemType::State));
        click(centre);
        return m_canvas->states().last();
    }
    ProcessItem *insertProcess(const QPointF &centre)
    {
        m_canvas->setMode(ItemKinds::of(ItemType::Process));
        click(centre);
        return m_canvas->processItems().last();
    }
    static bool marked(StateItem *s) { return s->borderPen().style() == Qt::DotLine; }
    int plainLines() const
    {
        int n = 0;
        for (QGraphicsItem *item : m_canvas->items())
            n += item->type() == QGraphicsLineItem::Type;
        return n;
    }

    // Closes the next modal dialog after optionally checking its
    // "Set Initial State" box.
    void answerNextDialog(bool accept, bool checkInitial = false)
    {
        QTimer::singleShot(0, this, [=] {
            QWidget *w = QApplication::activeModalWidget();
            QVERIFY(w);
            if (checkInitial) {
                auto *box = w->findChild<QCheckBox *>("checkBox");
                QVERIFY(box);
                box->setChecked(!box->isChecked());
            }
            auto *buttons = w->findChild<QDialogButtonBox *>("buttonBox");
            QVERIFY(buttons);
            buttons->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        });
    }

private slots:
    void cleanupTestCase()
    {
        delete m_view;
        delete m_canvas;
    }

    void construction()
    {
        Canvas canvas(nullptr);
        QCOMPARE(canvas.mode(), nullptr);
        QCOMPARE(canvas.highestZ(), 0.0);
        QVERIFY(canvas.undoStack());
        QCOMPARE(canvas.undoStack()->count(), 0);
        QVERIFY(canvas.items().isEmpty());   // marker and title wait outside
        QCOMPARE(canvas.initialLine()->dot(), canvas.initialDot());
        canvas.setName("Motor");
        QCOMPARE(canvas.titleItem()->toPlainText(), QString("Motor"));
        QCOMPARE(canvas.titleItem()->scene(), &canvas);
        QCOMPARE(canvas.titleItem()->pos(), QPointF(0, 0));
        QCOMPARE(canvas.titleItem()->textInteractionFlags(), Qt::NoTextInteraction);
    }

    void stateInsertionCentredAndOnTop()
    {
        makeCanvas(5);
        StateItem *first = insertState(QPointF(400, 300));
        QCOMPARE(first->pos(), QPointF(260, 225));
        QCOMPARE(first->zValue(), 1.0);
        QCOMPARE(first->level(), 6);
        QCOMPARE(first->parentId(), 2);
        QCOMPARE(first->grandParentId(), 1);
        QCOMPARE(m_log, QStringList({"modified", "select"}));
        QCOMPARE(m_canvas->mode(), nullptr);

        // Pressing on top of the first state still inserts a new one above it.
        StateItem *second = insertState(QPointF(450, 320));
        QVERIFY(second != first);
        QCOMPARE(second->pos(), QPointF(310, 245));
        QCOMPARE(second->zValue(), 2.0);
        QCOMPARE(m_canvas->topItemAt(QPointF(450, 320)), static_cast<QGraphicsItem *>(second));
        QCOMPARE(m_canvas->states().size(), 2);
        QCOMPARE(m_canvas->undoStack()->count(), 2);
        QCOMPARE(m_canvas->states().last(), second);
    }

    void textAndMemoryInsertion()
    {
        makeCanvas(5);
        m_canvas->setMode(ItemKinds::of(ItemType::Text));
        click(QPointF(500, 400));
        QCOMPARE(m_canvas->textItems().size(), 1);
        QCOMPARE(m_canvas->textItems().first()->pos(), QPointF(425, 363));
        m_canvas->setMode(ItemKinds::of(ItemType::Memory));
        click(QPointF(700, 400));
        QCOMPARE(m_canvas->memoryItems().size(), 1);
        MemoryItem *memory = m_canvas->memoryItems().first();
        QCOMPARE(memory->pos(), QPointF(650, 368));
        QCOMPARE(memory->label(), QString("var_60"));
        QCOMPARE(memory->datatype(), QString("type_60"));
        QCOMPARE(memory->zValue(), 2.0);
        QCOMPARE(m_log.count("select"), 2);
    }

    void rightPressChangesNeitherSelectionNorMarking()
    {
        makeCanvas(5);
        StateItem *a = insertState(QPointF(300, 300));
        StateItem *b = insertState(QPointF(700, 300));
        click(QPointF(300, 300));
        QVERIFY(a->isSelected());
        QVERIFY(marked(a));
        m_log.clear();

        press(QPointF(700, 300), Qt::RightButton);
        release(QPointF(700, 300), Qt::RightButton);
        QVERIFY(a->isSelected());
        QVERIFY(!b->isSelected());
        QVERIFY(marked(a));
        QVERIFY(!marked(b));
        // On empty canvas the selection would otherwise be cleared.
        press(QPointF(900, 700), Qt::RightButton);
        QVERIFY(a->isSelected());
        QVERIFY(m_log.isEmpty());
    }

    void selectModeMarksTheTopmostItem()
    {
        makeCanvas(5);
        StateItem *a = insertState(QPointF(300, 300));
        StateItem *b = insertState(QPointF(340, 320));   // overlaps a, on top
        click(QPointF(180, 235));   // only a here
        QVERIFY(marked(a));
        QVERIFY(!marked(b));
        click(QPointF(340, 320));   // both here: b is topmost
        QVERIFY(!marked(a));
        QVERIFY(marked(b));
        click(QPointF(900, 700));   // empty canvas unmarks all
        QVERIFY(!marked(a));
        QVERIFY(!marked(b));
    }

    void initialMarkerFollowsTheDraggedState()
    {
        makeCanvas(5);
        StateItem *s = insertState(QPointF(300, 300));
        s->setInitialState(true);
        m_canvas->attachInitialMarker(s);
        QCOMPARE(m_canvas->initialDot()->pos(), QPointF(160 + 140 - 10, 225 - 75));
        drag(QPointF(300, 300), QPointF(500, 450));
        QCOMPARE(s->pos(), QPointF(360, 375));
        QCOMPARE(m_canvas->initialDot()->pos(), QPointF(360 + 130, 375 - 75));
    }

    void editsAreReportedAsDescribed()
    {
        makeCanvas(5);
        StateItem *s = insertState(QPointF(300, 300));
        m_log.clear();
        // Select mode: a press alone does not modify.
        click(QPointF(900, 700));
        click(QPointF(300, 300));
        QVERIFY(m_log.isEmpty());
        // Dragging the state does: one undo step for the whole drag, made
        // when the button is released.
        press(QPointF(300, 300));
        moveHeld(QPointF(320, 300));
        moveHeld(QPointF(340, 310));
        QVERIFY(m_log.isEmpty());
        release(QPointF(340, 310));
        QCOMPARE(m_log.count("modified"), 1);
        QCOMPARE(m_canvas->undoStack()->undoText(), QStringLiteral("Move State 'State1'"));
        QCOMPARE(s->pos(), QPointF(200, 235));
        // Hovering afterwards, without a button, does not.
        m_log.clear();
        hover(QPointF(350, 320));
        hover(QPointF(600, 600));
        QVERIFY(m_log.isEmpty());
        // Dragging on empty canvas does not either.
        drag(QPointF(900, 700), QPointF(950, 720));
        QVERIFY(m_log.isEmpty());
        // A press in a connection mode that creates nothing leaves the
        // project as it was; a connection made marks it modified.
        m_canvas->setMode(ItemKinds::of(ItemType::Transition));
        click(QPointF(900, 700));
        QVERIFY(m_log.isEmpty());
        QCOMPARE(m_canvas->transitions().size(), 0);
        StateItem *t = insertState(QPointF(900, 700));
        m_log.clear();
        m_canvas->setMode(ItemKinds::of(ItemType::Transition));
        drag(QPointF(340, 310), QPointF(900, 700));
        QCOMPARE(m_canvas->transitions().size(), 1);
        QCOMPARE(m_canvas->transitions().first()->endItem(), t);
        QCOMPARE(m_log.count("modified"), 1);
    }

    void transitionDragConnectsTwoStates()
    {
        makeCanvas(5);
        StateItem *a = insertState(QPointF(250, 250));
        StateItem *b = insertState(QPointF(750, 550));
        m_canvas->setMode(ItemKinds::of(ItemType::Transition));
        m_log.clear();
        drag(QPointF(250, 250), QPointF(750, 550));
        QCOMPARE(m_canvas->transitions().size(), 1);
        TransitionItem *t = m_canvas->transitions().first();
        QCOMPARE(t->startItem(), a);
        QCOMPARE(t->endItem(), b);
        QCOMPARE(a->transitions(), QList<TransitionItem *>({t}));
        QCOMPARE(b->transitions(), QList<TransitionItem *>({t}));
        QCOMPARE(t->zValue(), 3.0);
        QCOMPARE(t->scene(), m_canvas);
        QCOMPARE(t->startLine()->scene(), m_canvas);
        QCOMPARE(t->endLine()->scene(), m_canvas);
        QCOMPARE(t->startLine()->zValue(), 0.0);
        QCOMPARE(m_canvas->rubberLine(), nullptr);
        QCOMPARE(plainLines(), 2);   // the two connectors, no rubber line left
        // The transition made modifies (the press and the moves of the drag
        // do not move anything); then the canvas asks for select mode.
        QCOMPARE(m_log, QStringList({"modified", "select"}));
        QCOMPARE(m_canvas->mode(), nullptr);
    }

    void transitionDragsThatCreateNothing()
    {
        makeCanvas(5);
        StateItem *a = insertState(QPointF(250, 250));
        insertState(QPointF(750, 550));
        m_canvas->setMode(ItemKinds::of(ItemType::Text));
        click(QPointF(750, 550));   // a text item on top of state b
        m_canvas->setMode(ItemKinds::of(ItemType::Transition));
        m_log.clear();

        drag(QPointF(250, 250), QPointF(1000, 100));   // onto nothing
        drag(QPointF(1000, 100), QPointF(250, 250));   // from nothing
        drag(QPointF(240, 250), QPointF(260, 260));    // onto the same state
        drag(QPointF(250, 250), QPointF(750, 550));    // onto the text over b
        press(QPointF(250, 250));                       // no move at all
        release(QPointF(750, 550));
        QCOMPARE(m_canvas->transitions().size(), 0);
        QVERIFY(a->transitions().isEmpty());
        QCOMPARE(m_canvas->mode(), ItemKinds::of(ItemType::Transition));   // still drawing
        QCOMPARE(plainLines(), 0);
        QVERIFY(m_log.isEmpty());   // nothing made, nothing modified

        // The rubber line follows the cursor while dragging.
        press(QPointF(250, 250));
        moveHeld(QPointF(600, 100));
        QVERIFY(m_canvas->rubberLine());
        QCOMPARE(m_canvas->rubberLine()->line(), QLineF(QPointF(250, 250), QPointF(600, 100)));
        QCOMPARE(m_canvas->rubberLine()->pen().width(), 2);
        release(QPointF(600, 100));
        QCOMPARE(m_canvas->rubberLine(), nullptr);
    }

    void processInsertionNumbersAndLabels()
    {
        makeCanvas(3);
        ProcessItem *p1 = insertProcess(QPointF(300, 300));
        QCOMPARE(p1->label(), QString("process_41"));
        QCOMPARE(p1->pos(), QPointF(150, 175));
        // The project makes the node, the canvas and the undo step.
        QCOMPARE(m_log, QStringList({"added", "select"}));
        insertProcess(QPointF(700, 300));
        ProcessItem *p3 = insertProcess(QPointF(500, 600));
        QCOMPARE(p3->label(), QString("process_43"));
        QCOMPARE(p3->id(), 3);
        QCOMPARE(p3->nos(), 3);
        QCOMPARE(p3->level(), 4);
        QCOMPARE(p3->parentId(), 2);
        QCOMPARE(p3->grandParentId(), 1);
        QCOMPARE(p3->zValue(), 3.0);
        QCOMPARE(m_canvas->processItems().last(), p3);
        QVERIFY(p3->backgroundColour() != QColor(Qt::red));
        QCOMPARE(m_canvas->undoStack()->count(), 0);   // not undoable

        // Process items of a software module stand for state machines: red.
        makeCanvas(4);
        ProcessItem *machine = insertProcess(QPointF(300, 300));
        QCOMPARE(machine->backgroundColour(), QColor(Qt::red));
        QCOMPARE(machine->label(), QString("process_51"));
    }

    void linkAndDataflowDrags()
    {
        makeCanvas(3);
        ProcessItem *p1 = insertProcess(QPointF(200, 200));
        ProcessItem *p2 = insertProcess(QPointF(800, 200));
        m_canvas->setMode(ItemKinds::of(ItemType::Memory));
        click(QPointF(500, 600));
        MemoryItem *m = m_canvas->memoryItems().first();
        QCOMPARE(m->label(), QString("var_40"));

        m_canvas->setMode(ItemKinds::of(ItemType::Link));
        drag(QPointF(200, 200), QPointF(800, 200));
        QCOMPARE(m_canvas->links().size(), 1);
        LinkItem *link = m_canvas->links().first();
        QCOMPARE(link->startItem(), p1);
        QCOMPARE(link->endItem(), p2);
        QCOMPARE(link->level(), 4);
        QCOMPARE(p1->links(), QList<LinkItem *>({link}));
        QCOMPARE(p2->links(), QList<LinkItem *>({link}));
        QVERIFY(link->startLine() && link->endLine());
        QCOMPARE(link->startLine()->scene(), m_canvas);
        QCOMPARE(m_canvas->mode(), nullptr);
        // Repeating the drag makes another link; wrong kinds make none.
        m_canvas->setMode(ItemKinds::of(ItemType::Link));
        drag(QPointF(200, 200), QPointF(800, 200));
        m_canvas->setMode(ItemKinds::of(ItemType::Link));
        drag(QPointF(200, 200), QPointF(500, 600));
        QCOMPARE(m_canvas->mode(), ItemKinds::of(ItemType::Link));
        QCOMPARE(m_canvas->links().size(), 2);
        QCOMPARE(p1->links().size(), 2);

        m_canvas->setMode(ItemKinds::of(ItemType::Dataflow));
        drag(QPointF(200, 200), QPointF(500, 600));
        m_canvas->setMode(ItemKinds::of(ItemType::Dataflow));
        drag(QPointF(500, 600), QPointF(800, 200));
        m_canvas->setMode(ItemKinds::of(ItemType::Dataflow));
        drag(QPointF(200, 200), QPointF(800, 200));   // two processes: nothing
        QCOMPARE(m_canvas->dataflows().size(), 2);
        DataflowItem *write = m_canvas->dataflows().at(0);
        DataflowItem *read = m_canvas->dataflows().at(1);
        QCOMPARE(write->lineType(), 1);
        QCOMPARE(read->lineType(), 2);
        QCOMPARE(write->label(), QString("var_40"));
        QCOMPARE(m->dataflows(), QList<DataflowItem *>({write, read}));
        QCOMPARE(p1->dataflows(), QList<DataflowItem *>({write}));
        QCOMPARE(p2->dataflows(), QList<DataflowItem *>({read}));
        QCOMPARE(m_canvas->mode(), ItemKinds::of(ItemType::Dataflow));
    }

    void deletingProcessDiagramItems()
    {
        makeCanvas(3);
        ProcessItem *p1 = insertProcess(QPointF(200, 200));
        ProcessItem *p2 = insertProcess(QPointF(800, 200));
        m_canvas->setMode(ItemKinds::of(ItemType::Memory));
        click(QPointF(500, 600));
        MemoryItem *m = m_canvas->memoryItems().first();
        m_canvas->setMode(ItemKinds::of(ItemType::Link));
        drag(QPointF(200, 200), QPointF(800, 200));
        m_canvas->setMode(ItemKinds::of(ItemType::Dataflow));
        drag(QPointF(200, 200), QPointF(500, 600));
        m_canvas->setMode(ItemKinds::of(ItemType::Dataflow));
        drag(QPointF(500, 600), QPointF(800, 200));
        LinkItem *link = m_canvas->links().first();
        m_canvas->setCurrentItem(link);

        // A memory item takes its dataflows with it and cannot come back.
        m_canvas->clearSelection();
        m->setSelected(true);
        QVERIFY(m_canvas->deleteSelection());
        QVERIFY(m_canvas->memoryItems().isEmpty());
        QVERIFY(m_canvas->dataflows().isEmpty());
        QVERIFY(p1->dataflows().isEmpty());
        QVERIFY(p2->dataflows().isEmpty());
        QCOMPARE(m->scene(), nullptr);
        m_canvas->undoStack()->undo();   // undoes the memory insertion: nothing to do
        m_canvas->undoStack()->redo();   // must not bring the deleted item back
        QVERIFY(m_canvas->memoryItems().isEmpty());
        QCOMPARE(m->scene(), nullptr);

        // A process item selected with its own link: the process item is
        // handed to the handler (the project deletes it with its diagrams,
        // tst_project), never deleted by the canvas; the link is.
        m_canvas->clearSelection();
        link->setSelected(true);
        p1->setSelected(true);
        QList<ProcessItem *> handed;
        QVERIFY(m_canvas->deleteSelection([&](ProcessItem *p) { handed << p; }));
        QCOMPARE(handed, QList<ProcessItem *>({p1}));
        QCOMPARE(m_canvas->processItems(), QList<ProcessItem *>({p1, p2}));
        QVERIFY(m_canvas->links().isEmpty());
        QVERIFY(p1->links().isEmpty());
        QVERIFY(p2->links().isEmpty());
        QCOMPARE(plainLines(), 0);

        // Nothing deletable selected: not modified.
        m_canvas->clearSelection();
        QVERIFY(!m_canvas->deleteSelection());
    }

    void doubleClickMakesTheItemCurrent()
    {
        makeCanvas(3);
        ProcessItem *p = insertProcess(QPointF(400, 400));
        m_log.clear();
        doubleClick(QPointF(400, 400));
        QCOMPARE(m_canvas->current<ProcessItem>(), p);
        QCOMPARE(m_log, QStringList({"properties"}));   // the window opens the dialog

        // Every kind is handed on the same way: the canvas opens no dialog.
        makeCanvas(5);
        StateItem *a = insertState(QPointF(300, 300));
        StateItem *b = insertState(QPointF(700, 300));
        m_log.clear();
        doubleClick(QPointF(700, 300));
        QCOMPARE(m_canvas->current<StateItem>(), b);
        doubleClick(QPointF(300, 300));
        QCOMPARE(m_canvas->current<StateItem>(), a);
        QCOMPARE(m_log, QStringList({"properties", "properties"}));
    }

    void statePropertiesKeepTheMarkerConsistent()
    {
        PropertyDialogs dialogs;
        makeCanvas(5);
        StateItem *a = insertState(QPointF(300, 300));
        StateItem *b = insertState(QPointF(700, 300));
        answerNextDialog(true, true);
        dialogs.edit(m_canvas, a);
        QVERIFY(a->isInitialState());
        QCOMPARE(m_canvas->markedInitialState(), a);
        QCOMPARE(m_canvas->initialDot()->scene(), m_canvas);
        QCOMPARE(m_canvas->initialLine()->scene(), m_canvas);
        QVERIFY(m_canvas->initialDot()->isActive());

        // b cannot become initial while a is.
        answerNextDialog(true, true);
        dialogs.edit(m_canvas, b);
        QVERIFY(!b->isInitialState());
        QCOMPARE(m_canvas->markedInitialState(), a);

        // a stops being initial: the marker leaves the scene.
        answerNextDialog(true, true);
        dialogs.edit(m_canvas, a);
        QVERIFY(!a->isInitialState());
        QCOMPARE(m_canvas->initialDot()->scene(), nullptr);
        QCOMPARE(m_canvas->initialLine()->scene(), nullptr);
        QCOMPARE(m_canvas->markedInitialState(), nullptr);
    }

    void selfTransitionNeedsACurrentState()
    {
        makeCanvas(5);
        StateItem *s = insertState(QPointF(300, 300));
        m_log.clear();
        m_canvas->addSelfTransition();
        QVERIFY(m_canvas->transitions().isEmpty());
        QVERIFY(m_log.isEmpty());

        // A right click makes the state current.
        const QPoint vp = m_view->mapFromScene(QPointF(300, 300));
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, vp, m_view->viewport()->mapToGlobal(vp));
        QApplication::sendEvent(m_view->viewport(), &menuEvent);
        QCOMPARE(m_canvas->current<StateItem>(), s);
        m_canvas->addSelfTransition();
        m_canvas->addSelfTransition();
        QCOMPARE(m_canvas->transitions().size(), 2);
        QCOMPARE(s->selfTransitions().size(), 2);
        QVERIFY(s->transitions().isEmpty());
        QCOMPARE(m_log, QStringList({"modified", "select", "modified", "select"}));
        // Stacked upwards by 37.
        QCOMPARE(s->selfTransitions().at(0)->midPos().y() - s->selfTransitions().at(1)->midPos().y(),
                 37.0);

        // A state taken away by undo is no longer a valid current state.
        m_canvas->undoStack()->undo();
        m_canvas->undoStack()->undo();
        m_canvas->undoStack()->undo();
        QVERIFY(m_canvas->states().isEmpty());
        m_canvas->addSelfTransition();
        QVERIFY(m_canvas->transitions().isEmpty());
    }

    void floatingEnds()
    {
        makeCanvas(4);
        const qreal z = m_canvas->highestZ();
        FloatingLinkItem *l1 = m_canvas->addFloatingLink("bus", true);
        FloatingLinkItem *l2 = m_canvas->addFloatingLink("irq", false);
        QCOMPARE(l1->pos(), QPointF(10, 40));
        QCOMPARE(l2->pos(), QPointF(10, 80));
        QCOMPARE(l1->direction(), 1);
        QCOMPARE(l2->direction(), 0);
        QCOMPARE(l2->label(), QString("irq"));
        FloatingMemoryItem *m1 = m_canvas->addFloatingMemory("speed", "int", QColor(1, 2, 3));
        FloatingMemoryItem *m2 = m_canvas->addFloatingMemory("mode", "char", QColor(4, 5, 6));
        // Memory tags start at 160, or right of the widest link tag, which
        // would overlap them there.
        const qreal widestLink = qMax(l1->boundingRect().width(), l2->boundingRect().width());
        QCOMPARE(m1->pos(), QPointF(qMax<qreal>(160, 10 + widestLink + 20), 30));
        QVERIFY(!m1->sceneBoundingRect().intersects(l1->sceneBoundingRect()));
        // Side by side from the first tag's real width, not overlapping it.
        QCOMPARE(m2->pos(), QPointF(m1->pos().x() + m1->boundingRect().width() + 20, 30));
        QVERIFY(!m1->sceneBoundingRect().intersects(m2->sceneBoundingRect()));
        QCOMPARE(m2->datatype(), QString("char"));
        QCOMPARE(m2->backgroundColour(), QColor(4, 5, 6));
        QCOMPARE(m2->zValue(), z + 4);
        QCOMPARE(m_canvas->floatingLinks().size(), 2);

        m_canvas->removeFloatingLinks();
        m_canvas->removeFloatingMemories();
        QVERIFY(m_canvas->floatingLinks().isEmpty());
        QVERIFY(m_canvas->floatingMemories().isEmpty());
        QCOMPARE(m_canvas->items().size(), 1);   // the title
        QCOMPARE(m_canvas->addFloatingLink("again", true)->pos(), QPointF(10, 40));
    }
};

QTEST_MAIN(TestCanvas)
#include "tst_canvas.moc"
