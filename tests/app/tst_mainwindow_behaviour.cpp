// Behaviour of the main window: mode cursors, Escape, settings kept
// between runs, the close prompts and the Help menu.

#include "ItemKind.h"
#include "ItemKinds.h"
#include "MainWindow.h"
#include "Project.h"
#include "ScriptedPrompter.h"

#include <QAction>
#include <QDockWidget>
#include <QGraphicsView>
#include <QMenuBar>
#include <QSettings>
#include <QTreeView>
#include <QtTest>

namespace {
// The window's own settings store.
std::unique_ptr<QSettings> store()
{
    return std::make_unique<QSettings>(QStringLiteral("Orvanta"), QStringLiteral("Kestro"));
}

QImage cursorImage(const QCursor &c)
{
    return c.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
}

QPointF viewScale(MainWindow &w)
{
    const QTransform t = w.findChild<QGraphicsView *>("graphicsView")->transform();
    return QPointF(t.m11(), t.m22());
}
} // namespace

class TestMainWindowBehaviour : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void toolCursorCoversWholeWindow();
    void escapeWithoutProjectChangesNothing();
    void incompleteSettingPairsAreIgnored();
    void storedScaleIsUsedForProjectsOnly();
    void closeUnmodifiedAsksToQuit();
    void closeModifiedOffersToSave();
    void settingsRoundTrip();
    void aboutAndWebPages();
    void showProjectBrowserToggles();
};

void TestMainWindowBehaviour::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestMainWindowBehaviour::init()
{
    store()->clear();
}

void TestMainWindowBehaviour::toolCursorCoversWholeWindow()
{
    ScriptedPrompter prompter;
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    struct Tool { const char *action; int level; const char *image; };
    const QList<Tool> tools = {
        {"actionState", 5, ":/Images/Images/stateCursor.png"},
        {"actiontransition", 5, ":/Images/Images/transitionCursor.png"},
        {"actionText", 5, ":/Images/Images/TextCursor.png"},
        {"actionProcessRect", 3, ":/Images/Images/Process_Rect_Cursor.png"},
        {"actionLink", 3, ":/Images/Images/link_cursor.png"},
        {"actionMemory", 2, ":/Images/Images/Memory_cursor.png"},
        {"actionDataflow", 1, ":/Images/Images/Dataflow_cursor.png"},
    };
    QWidget *viewport = w.findChild<QGraphicsView *>("graphicsView")->viewport();
    QWidget *tree = w.findChild<QTreeView *>("treeView");
    for (const Tool &t : tools) {
        w.applyToolSet(t.level);
        w.findChild<QAction *>(t.action)->trigger();
        const QPixmap expected(QString::fromLatin1(t.image));
        QVERIFY(!expected.isNull());
        QCOMPARE(w.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(cursorImage(w.cursor()), expected.toImage().convertToFormat(QImage::Format_ARGB32));
        QCOMPARE(w.cursor().hotSpot(), QPoint(expected.width() / 2, expected.height() / 2));
        // Children without a cursor of their own show the window's one.
        for (QWidget *child : {static_cast<QWidget *>(w.menuBar()), viewport, tree}) {
            QVERIFY(!child->testAttribute(Qt::WA_SetCursor));
            QCOMPARE(cursorImage(child->cursor()), cursorImage(w.cursor()));
        }
    }
    // No application-wide override: dialogs and menus elsewhere keep theirs.
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestMainWindowBehaviour::escapeWithoutProjectChangesNothing()
{
    ScriptedPrompter prompter;
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.findChild<QAction *>("actionState")->trigger();
    const QImage stateCursor = cursorImage(w.cursor());
    QTest::keyClick(&w, Qt::Key_Escape);
    w.on_actionSelect_triggered();
    QVERIFY(w.project()->canvases().isEmpty());
    QCOMPARE(w.cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(cursorImage(w.cursor()), stateCursor);

    // Closing a project returns to the arrow, which Escape could not do
    // with no canvas left.
    w.applyToolSet(5);
    w.enterNoProjectState();
    QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);
}

void TestMainWindowBehaviour::incompleteSettingPairsAreIgnored()
{
    {
        auto s = store();
        s->setValue("scale_x", 2.5);
        s->setValue("canvas_width", 640);
        s->setValue("author", "Ada");
    }
    ScriptedPrompter prompter;
    MainWindow w;
    w.applyToolSet(1);
    QCOMPARE(viewScale(w), QPointF(1, 1));
    QCOMPARE(w.storedSettings().canvasWidth, 2000);
    QCOMPARE(w.storedSettings().canvasHeight, 1050);
    QCOMPARE(w.storedSettings().author, QStringLiteral("Ada"));
    QCOMPARE(w.storedSettings().organization, QString());
    QVERIFY(!w.storedSettings().hasVersion);
}

void TestMainWindowBehaviour::storedScaleIsUsedForProjectsOnly()
{
    {
        auto s = store();
        s->setValue("scale_x", 2.0);
        s->setValue("scale_y", 1.5);
        s->setValue("canvas_width", 640);
        s->setValue("canvas_height", 480);
    }
    ScriptedPrompter prompter;
    MainWindow w;
    QCOMPARE(w.storedSettings().canvasWidth, 640);
    QCOMPARE(w.storedSettings().canvasHeight, 480);
    QCOMPARE(viewScale(w), QPointF(1, 1));   // the home screen is shown at scale 1
    // A project's first diagram starts at 100 %, whatever zoom was stored
    // or the project before had.
    w.applyToolSet(1);
    QCOMPARE(viewScale(w), QPointF(1, 1));
    w.setViewScale(2.0, 1.5);
    w.applyToolSet(4);   // switching nodes keeps the zoom
    QCOMPARE(viewScale(w), QPointF(2.0, 1.5));
    w.setViewScale(3.0, 3.0);
    w.enterNoProjectState();
    QCOMPARE(viewScale(w), QPointF(1, 1));
    w.applyToolSet(1);
    QCOMPARE(viewScale(w), QPointF(1, 1));
}

void TestMainWindowBehaviour::closeUnmodifiedAsksToQuit()
{
    ScriptedPrompter prompter;
    MainWindow w;
    w.show();
    w.storedSettings().author = QStringLiteral("Grace");

    prompter.messageAnswers << QMessageBox::Cancel;
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QCOMPARE(prompter.messages.size(), 1);
    const MessageRequest asked = prompter.messages.first();
    QCOMPARE(asked.title, QStringLiteral("Kestro"));
    QCOMPARE(asked.text, QStringLiteral("Are you sure you want to quit Kestro?\n"));
    QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::Cancel);
    QCOMPARE(asked.defaultButton, QMessageBox::Yes);
    QVERIFY(!store()->contains("author"));   // refused close writes nothing

    prompter.messageAnswers << QMessageBox::Yes;
    QVERIFY(w.close());
    QCOMPARE(store()->value("author").toString(), QStringLiteral("Grace"));
}

void TestMainWindowBehaviour::closeModifiedOffersToSave()
{
    ScriptedPrompter prompter;
    MainWindow w;
    w.show();
    auto *save = w.findChild<QAction *>("actionSave");
    w.applyToolSet(1);
    w.project()->markModified();

    prompter.messageAnswers << QMessageBox::Cancel;
    QVERIFY(!w.close());
    const MessageRequest asked = prompter.messages.last();
    QCOMPARE(asked.title, QStringLiteral("Kestro"));
    QCOMPARE(asked.text, QStringLiteral("Project has been modified."));
    QCOMPARE(asked.informativeText, QStringLiteral("Do you want to save your changes before closing?"));
    QCOMPARE(asked.buttons, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    QCOMPARE(asked.defaultButton, QMessageBox::Save);
    QVERIFY(w.project()->isModified());
    QCOMPARE(w.toolContext(), 1);
    QVERIFY(store()->allKeys().isEmpty());

    // A save that does not go through keeps the window and the changes.
    int saves = 0;
    connect(save, &QAction::triggered, this, [&saves] { ++saves; });
    prompter.messageAnswers << QMessageBox::Save;
    QVERIFY(!w.close());
    QCOMPARE(saves, 1);
    QVERIFY(w.project()->isModified());
    QVERIFY(store()->allKeys().isEmpty());

    // A save that succeeds clears the modified flag; then the window closes.
    QMetaObject::Connection saving = connect(save, &QAction::triggered, w.project(), [&w] { w.project()->markSaved(); });
    prompter.messageAnswers << QMessageBox::Save;
    QVERIFY(w.close());
    QCOMPARE(saves, 2);
    QCOMPARE(w.toolContext(), int(ToolSets::NoProject));
    QVERIFY(store()->contains("canvas_width"));
    disconnect(saving);

    // Discard drops the changes and closes.
    MainWindow other;
    other.show();
    other.applyToolSet(2);
    other.project()->markModified();
    prompter.messageAnswers << QMessageBox::Discard;
    QVERIFY(other.close());
    QVERIFY(!other.project()->isModified());
    QCOMPARE(other.toolContext(), int(ToolSets::NoProject));
}

void TestMainWindowBehaviour::settingsRoundTrip()
{
    ScriptedPrompter prompter;
    {
        MainWindow w;
        w.show();
        w.applyToolSet(1);
        w.setViewScale(1.25, 1.25);
        w.setCanvasSize(800, 0);
        w.storedSettings().author = QStringLiteral("Ada");
        w.storedSettings().organization = QStringLiteral("Orvanta");
        w.storedSettings().hasVersion = true;
        w.storedSettings().version = 2.5;
        QVERIFY(w.close());   // the scripted prompter answers Yes by default
    }
    {
        auto s = store();
        // Each diagram's zoom lives with the open project only.
        QVERIFY(!s->contains("scale_x") && !s->contains("scale_y"));
        QCOMPARE(s->value("canvas_width").toInt(), 800);
        QCOMPARE(s->value("canvas_height").toInt(), 0);
        QCOMPARE(s->value("version").toDouble(), 2.5);
    }
    MainWindow again;
    QCOMPARE(again.storedSettings().canvasWidth, 800);
    QCOMPARE(again.storedSettings().canvasHeight, 0);
    QCOMPARE(again.storedSettings().author, QStringLiteral("Ada"));
    QCOMPARE(again.storedSettings().organization, QStringLiteral("Orvanta"));
    QVERIFY(again.storedSettings().hasVersion);
    QCOMPARE(again.storedSettings().version, 2.5);
    again.applyToolSet(1);
    QCOMPARE(viewScale(again), QPointF(1, 1));   // a first diagram starts at 100 %
}

void TestMainWindowBehaviour::aboutAndWebPages()
{
    ScriptedPrompter prompter;
    MainWindow w;
    w.findChild<QAction *>("actionAbout")->trigger();
    QCOMPARE(prompter.messages.size(), 1);
    QCOMPARE(prompter.messages.first().title, QStringLiteral("Kestro"));
    QCOMPARE(prompter.messages.first().text,
             QStringLiteral("Kestro 1.1.3 \n\nBuild Number: #dce7afc\nPowered by Qt\n\n"));

    QList<QUrl> opened;
    w.setUrlOpener([&opened](const QUrl &url) { opened << url; return true; });
    w.findChild<QAction *>("actionReport_a_bug")->trigger();
    w.findChild<QAction *>("actionReuqest_feature")->trigger();
    w.findChild<QAction *>("actionGetting_started")->trigger();
    QCOMPARE(opened.size(), 3);
    QCOMPARE(opened.at(0), opened.at(1));
    QVERIFY(opened.at(2) != opened.at(0));
    for (const QUrl &url : opened) {
        QVERIFY(url.isValid());
        QCOMPARE(url.scheme(), QStringLiteral("https"));
    }
    QCOMPARE(prompter.messages.size(), 1);

    // Without a browser each link shows its address, selectable to copy.
    w.setUrlOpener([](const QUrl &) { return false; });
    const QList<QUrl> pages{opened.at(0), opened.at(0), opened.at(2)};
    const char *links[] = {"actionReport_a_bug", "actionReuqest_feature", "actionGetting_started"};
    for (int i = 0; i < 3; ++i) {
        w.findChild<QAction *>(links[i])->trigger();
        QCOMPARE(prompter.messages.size(), 2 + i);
        const MessageRequest &box = prompter.messages.last();
        QCOMPARE(box.title, QStringLiteral("Kestro"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QVERIFY2(box.text.endsWith(QStringLiteral("\n\n") + pages.at(i).toString()), qPrintable(box.text));
        QVERIFY(box.selectableText);
        QCOMPARE(box.textFormat, Qt::PlainText);
    }
    // Getting started also says where else to read how to begin.
    QVERIFY(prompter.messages.last().informativeText.contains(QStringLiteral("Help > Take a tour")));
}

void TestMainWindowBehaviour::showProjectBrowserToggles()
{
    ScriptedPrompter prompter;
    MainWindow w;
    w.show();
    auto *dock = w.findChild<QDockWidget *>();
    auto *action = w.findChild<QAction *>("actionShow_Project_Browser");
    QVERIFY(dock->isVisible());
    action->trigger();
    QVERIFY(!dock->isVisible());
    QVERIFY(!action->isChecked());
    action->trigger();
    QVERIFY(dock->isVisible());
    QVERIFY(action->isChecked());
}

QTEST_MAIN(TestMainWindowBehaviour)
#include "tst_mainwindow_behaviour.moc"
