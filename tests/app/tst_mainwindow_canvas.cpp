// The main window with canvases: drawing modes on the shown canvas, Escape,
// Space, closing and screen changes.

#include "ItemKind.h"
#include "ItemKinds.h"
#include "Canvas.h"
#include "HomeScreen.h"
#include "MainWindow.h"
#include "Project.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "TextItem.h"

#include <QAction>
#include <QGraphicsView>
#include <QUndoGroup>
#include <QUndoStack>
#include <QWindow>
#include <QtTest>

class TestMainWindowCanvas : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void createdCanvasIsSetUp();
    void toolsSetTheModeOfTheShownCanvas();
    void escapeReturnsToSelect();
    void spaceFitsOnlyWithCanvases();
    void discardedCloseDropsCanvases();
    void screenChangeRefitsBoxes();

private:
    ScriptedPrompter m_prompter;
};

void TestMainWindowCanvas::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro")).clear();
}

void TestMainWindowCanvas::createdCanvasIsSetUp()
{
    MainWindow w;
    w.setCanvasSize(640, 480);
    Canvas *c = w.project()->createCanvas({5, 2, 4, 1, 3, QStringLiteral("machine")});
    QCOMPARE(w.project()->canvases(), QList<Canvas *>({c}));
    QCOMPARE(c->name(), QStringLiteral("machine"));
    QCOMPARE(c->level(), 5);
    QCOMPARE(c->id(), 2);
    QCOMPARE(c->parentId(), 1);
    QCOMPARE(c->grandParentId(), 3);
    QCOMPARE(c->nos(), 4);
    QCOMPARE(c->sceneRect(), QRectF(0, 0, 640, 480));
    // The canvas reports to the window's project: its stack is in the
    // project's undo group, and an edit it reports marks the project.
    QVERIFY(w.project()->undoGroup()->stacks().contains(c->undoStack()));
    QVERIFY(!w.project()->isModified());
    emit c->edited();
    QVERIFY(w.project()->isModified());
    for (const ItemKind *kind : ItemKinds::all())
        QCOMPARE(c->menuOf(kind->type()), w.contextMenus().at(kind->menuIndex()));
    QVERIFY(!w.project()->shownCanvas());
    w.project()->showCanvas(c);
    QCOMPARE(w.project()->shownCanvas(), c);
    QCOMPARE(w.findChild<QGraphicsView *>("graphicsView")->scene(), c);
}

void TestMainWindowCanvas::toolsSetTheModeOfTheShownCanvas()
{
    MainWindow w;
    Canvas *top = w.project()->createCanvas({3, 1, 1, 1, 1, QStringLiteral("top")});
    Canvas *machine = w.project()->createCanvas({5, 1, 1, 1, 1, QStringLiteral("machine")});
    w.project()->showCanvas(machine);
    w.applyToolSet(5);
    const QList<QPair<const char *, const ItemKind *>> stateMachineTools = {
        {"actionState", ItemKinds::of(ItemType::State)}, {"actiontransition", ItemKinds::of(ItemType::Transition)},
        {"actionText", ItemKinds::of(ItemType::Text)}, {"actionMemory", ItemKinds::of(ItemType::Memory)}};
    for (const auto &tool : stateMachineTools) {
        w.findChild<QAction *>(tool.first)->trigger();
        QCOMPARE(machine->mode(), tool.second);
        QCOMPARE(top->mode(), nullptr);   // only the shown canvas changes
    }
    w.findChild<QAction *>("actionSelect")->trigger();
    QCOMPARE(machine->mode(), nullptr);
    QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);

    w.project()->showCanvas(top);
    w.applyToolSet(3);
    top->setProcessShape(2);
    w.findChild<QAction *>("actionProcessRect")->trigger();
    QCOMPARE(top->mode(), ItemKinds::of(ItemType::Process));
    QCOMPARE(top->processShape(), 1);
    w.findChild<QAction *>("actionLink")->trigger();
    QCOMPARE(top->mode(), ItemKinds::of(ItemType::Link));
    w.findChild<QAction *>("actionDataflow")->trigger();
    QCOMPARE(top->mode(), ItemKinds::of(ItemType::Dataflow));
    // A canvas whose tool has done its work gets select mode back.
    emit top->itemInserted(nullptr);
    QCOMPARE(top->mode(), nullptr);
    QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);
}

void TestMainWindowCanvas::escapeReturnsToSelect()
{
    MainWindow w;
    Canvas *c = w.project()->createCanvas({5, 1, 1, 1, 1, QStringLiteral("machine")});
    w.project()->showCanvas(c);
    w.applyToolSet(5);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.findChild<QAction *>("actionState")->trigger();
    QCOMPARE(w.cursor().shape(), Qt::BitmapCursor);
    QTest::keyClick(&w, Qt::Key_Escape);
    QCOMPARE(c->mode(), nullptr);
    QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);
}

void TestMainWindowCanvas::spaceFitsOnlyWithCanvases()
{
    MainWindow w;
    w.resize(800, 600);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto *view = w.findChild<QGraphicsView *>("graphicsView");
    QTest::keyClick(&w, Qt::Key_Space);
    QCOMPARE(view->transform(), QTransform());   // home screen: nothing happens

    Canvas *c = w.project()->createCanvas({1, 1, 1, 1, 1, QStringLiteral("top")});
    w.project()->showCanvas(c);
    w.applyToolSet(1);
    c->addRect(0, 0, 8000, 4000);
    QTest::keyClick(&w, Qt::Key_Space);
    QVERIFY(view->transform().m11() < 0.2);
    QCOMPARE(view->transform().m11(), view->transform().m22());
}

void TestMainWindowCanvas::discardedCloseDropsCanvases()
{
    MainWindow w;
    w.show();
    QPointer<Canvas> c = w.project()->createCanvas({1, 1, 1, 1, 1, QStringLiteral("top")});
    w.project()->showCanvas(c);
    w.applyToolSet(1);
    w.project()->markModified();
    m_prompter.messageAnswers << QMessageBox::Discard;
    QVERIFY(w.close());
    QVERIFY(w.project()->canvases().isEmpty());
    QVERIFY(!w.project()->shownCanvas());
    QVERIFY(c.isNull());
    QCOMPARE(w.findChild<QGraphicsView *>("graphicsView")->scene(), HomeScreen::instance());
}

void TestMainWindowCanvas::screenChangeRefitsBoxes()
{
    MainWindow w;
    QVERIFY(w.windowHandle());
    Canvas *c = w.project()->createCanvas({5, 1, 1, 1, 1, QStringLiteral("machine")});
    auto *state = new StateItem(nullptr, 0, 0);
    state->setLabel(QStringLiteral("a_rather_long_state_label_that_needs_room"));
    state->setWidth(20);
    c->addItem(state);
    c->registerItem(state);
    auto *text = new TextItem(nullptr, 0, 400);
    text->setAction(QStringLiteral("#define A_VERY_LONG_MACRO_NAME_FOR_TESTING 1"));
    text->setWidth(20);
    c->addItem(text);
    c->registerItem(text);

    emit w.windowHandle()->screenChanged(w.windowHandle()->screen());
    QVERIFY(state->width() > 20);
    QVERIFY(text->width() > 20);
}

QTEST_MAIN(TestMainWindowCanvas)
#include "tst_mainwindow_canvas.moc"
