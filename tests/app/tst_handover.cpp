#include "InstanceGuard.h"
#include "InstanceMessenger.h"
#include "MainWindow.h"
#include "Project.h"
#include "OpenRequestHandler.h"
#include "ProjectActions.h"
#include "ScriptedPrompter.h"
#include "WindowProjectFixture.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

class TestHandOver : public QObject
{
    Q_OBJECT

private slots:
    void requestsArriveWhole();
    void leftSocketFileIsReplacedAndStrangersAreDropped();
    void longRuntimeFolderStillTakesRequests();
    void secondStartOpensItsFileInTheRunningInstance();
    void secondStartWithoutFileRaisesTheWindow();

private:
    // This test as the running instance, set up as the real program does.
    struct RunningInstance
    {
        InstanceGuard guard{QStringLiteral("app_unique_lock")};
        std::unique_ptr<InstanceMessenger> messenger;
        ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> window;
        bool start();
    };
    // Runs the second start's hand-over on a thread while this one serves.
    static bool handOverFromThread(const InstanceGuard &guard, const QString &path);
    // Starts the real program and keeps serving requests until it ends.
    static int runSecondStart(const QStringList &arguments);
};

bool TestHandOver::RunningInstance::start()
{
    if (!guard.tryClaim())
        return false;
    messenger = std::make_unique<InstanceMessenger>(guard);
    window = std::make_unique<MainWindow>();
    connect(messenger.get(), &InstanceMessenger::openRequested, window->openRequests(), &OpenRequestHandler::open);
    connect(messenger.get(), &InstanceMessenger::raiseRequested, window->openRequests(),
            &OpenRequestHandler::raiseWindow);
    return messenger->listen();
}

bool TestHandOver::handOverFromThread(const InstanceGuard &guard, const QString &path)
{
    bool taken = false;
    QThread *thread = QThread::create([&] { taken = InstanceMessenger::handOver(guard, path, 5000); });
    thread->start();
    while (!thread->isFinished())
        QTest::qWait(10);
    delete thread;
    return taken;
}

int TestHandOver::runSecondStart(const QStringList &arguments)
{
    QProcess second;
    second.start(QStringLiteral(KESTRO_BINARY_DIR "/kestro"), arguments);
    if (!second.waitForStarted(10000))
        return -1;
    QElapsedTimer timer;
    timer.start();
    while (second.state() != QProcess::NotRunning && timer.elapsed() < 30000)
        QTest::qWait(20);
    if (second.state() != QProcess::NotRunning || second.exitStatus() != QProcess::NormalExit)
        return -1;
    return second.exitCode();
}

void TestHandOver::requestsArriveWhole()
{
    InstanceGuard guard(QStringLiteral("handover_test_%1").arg(QCoreApplication::applicationPid()));
    QVERIFY(guard.tryClaim());
    InstanceMessenger messenger(guard);
    QVERIFY(messenger.listen());
    QVERIFY(InstanceMessenger::socketPath(guard).endsWith(QLatin1String(".sock")));
    QSignalSpy opened(&messenger, &InstanceMessenger::openRequested);
    QSignalSpy raised(&messenger, &InstanceMessenger::raiseRequested);

    // Blanks, a line break and letters beyond ASCII survive the trip.
    const QString odd = QStringLiteral("/tmp/a b/\u00e9t\u00e9\nnext line.qsmd");
    QVERIFY(handOverFromThread(guard, odd));
    QVERIFY(handOverFromThread(guard, QString()));
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.first().first().toString(), odd);
    QCOMPARE(raised.count(), 1);
}

void TestHandOver::leftSocketFileIsReplacedAndStrangersAreDropped()
{
    InstanceGuard guard(QStringLiteral("handover_stale_%1").arg(QCoreApplication::applicationPid()));
    QVERIFY(guard.tryClaim());
    // What a killed instance leaves behind.
    QFile left(InstanceMessenger::socketPath(guard));
    QVERIFY(left.open(QIODevice::WriteOnly));
    left.close();
    InstanceMessenger messenger(guard);
    QVERIFY2(messenger.listen(), qPrintable(messenger.errorString()));
    QSignalSpy opened(&messenger, &InstanceMessenger::openRequested);

    // Something that is not a request gets no answer and changes nothing.
    QLocalSocket stranger;
    stranger.connectToServer(InstanceMessenger::socketPath(guard));
    QVERIFY(stranger.waitForConnected(2000));
    stranger.write("delete everything\n");
    stranger.flush();
    QTest::qWait(100);
    QCOMPARE(opened.count(), 0);
    // Nothing was listening: the hand-over gives up in time and says so.
    InstanceGuard nobody(QStringLiteral("handover_nobody_%1").arg(QCoreApplication::applicationPid()));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!InstanceMessenger::handOver(nobody, QStringLiteral("/x.qsmd"), 500));
    QVERIFY(timer.elapsed() < 3000);
}

void TestHandOver::longRuntimeFolderStillTakesRequests()
{
    // A socket address holds about a hundred bytes; a runtime folder deep
    // in a build tree must not leave the running instance deaf.
    QTemporaryDir base;
    const QString deep = base.path() + QLatin1Char('/') + QString(120 - base.path().size(), QLatin1Char('d'));
    QVERIFY(QDir().mkpath(deep));
    InstanceGuard guard(QStringLiteral("handover_deep_%1").arg(QCoreApplication::applicationPid()), deep);
    QVERIFY(guard.tryClaim());
    const QString socket = InstanceMessenger::socketPath(guard);
    QVERIFY(QFile::encodeName(socket).size() < 108);
    InstanceMessenger messenger(guard);
    QVERIFY2(messenger.listen(), qPrintable(messenger.errorString()));
    QSignalSpy opened(&messenger, &InstanceMessenger::openRequested);
    QVERIFY(handOverFromThread(guard, QStringLiteral("/tmp/deep.qsmd")));
    QCOMPARE(opened.count(), 1);
    // Another key gets another socket, even under the short name.
    InstanceGuard other(QStringLiteral("handover_deep_other_%1").arg(QCoreApplication::applicationPid()), deep);
    QVERIFY(InstanceMessenger::socketPath(other) != socket);
}

void TestHandOver::secondStartOpensItsFileInTheRunningInstance()
{
    RunningInstance running;
    if (!running.start())
        QSKIP("another Kestro holds this runtime folder's lock");
    MainWindow &w = *running.window;
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("First.qsmd"));
    const QString second = dir.filePath(QStringLiteral("Second.qsmd"));
    QVERIFY(WindowProjectFixture::openDocument(w, WindowProjectFixture::nestedDocument(), first));
    QVERIFY(WindowProjectFixture::writeDocument(WindowProjectFixture::nestedDocument(), second));
    w.project()->markModified();   // unsaved changes: the usual prompt comes first
    running.prompter.messageAnswers << QMessageBox::Discard;

    QCOMPARE(runSecondStart({second}), 0);
    QTRY_COMPARE(w.projectActions()->projectPath(), second);
    QCOMPARE(running.prompter.messageTexts(), QStringList({QStringLiteral("There are unsaved changes in project.")}));

    // A file that is not there is reported; the open project stays.
    QCOMPARE(runSecondStart({dir.filePath(QStringLiteral("Missing.qsmd"))}), 0);
    QTRY_COMPARE(running.prompter.messages.size(), 2);
    QVERIFY(running.prompter.messages.last().text.startsWith(QStringLiteral("There was an error opening the file ")));
    QCOMPARE(w.projectActions()->projectPath(), second);
}

void TestHandOver::secondStartWithoutFileRaisesTheWindow()
{
    RunningInstance running;
    if (!running.start())
        QSKIP("another Kestro holds this runtime folder's lock");
    running.window->showMinimized();
    QSignalSpy raised(running.messenger.get(), &InstanceMessenger::raiseRequested);
    QCOMPARE(runSecondStart({}), 0);
    QCOMPARE(raised.count(), 1);
    QTRY_VERIFY(!running.window->isMinimized());
    QVERIFY(running.window->isVisible());
    QVERIFY(running.prompter.messages.isEmpty());
}

QTEST_MAIN(TestHandOver)
#include "tst_handover.moc"
