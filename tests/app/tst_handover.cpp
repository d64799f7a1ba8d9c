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
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cstdio>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// Another user's account for the processes the test starts (tests run as root).
constexpr uid_t kOtherUid = 65534;

// Runs `body` in a child process that has become the other user; the
// child's one-line report comes back through a pipe. Plain system calls
// only in the child. Returns the child's pid, or -1.
template <typename Body>
pid_t runAsOtherUser(int *reportFd, Body body)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        if (::setgid(kOtherUid) != 0 || ::setuid(kOtherUid) != 0)
            ::_exit(2);
        const char *report = body();
        (void)!::write(fds[1], report, std::strlen(report));
        ::_exit(0);
    }
    ::close(fds[1]);
    *reportFd = fds[0];
    return pid;
}

// Waits for the child's report, serving this process's events meanwhile.
QByteArray childReport(pid_t pid, int fd)
{
    QByteArray report;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        pollfd p {fd, POLLIN, 0};
        if (::poll(&p, 1, 0) > 0) {
            char buffer[256];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            report.append(buffer, int(n));
            continue;
        }
        QTest::qWait(10);
    }
    ::close(fd);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return report;
}

sockaddr_un addressOf(const QString &path)
{
    sockaddr_un sa {};
    sa.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    std::memcpy(sa.sun_path, bytes.constData(), size_t(qMin<int>(bytes.size(), sizeof sa.sun_path - 1)));
    return sa;
}
} // namespace

class TestHandOver : public QObject
{
    Q_OBJECT

private slots:
    void requestsArriveWhole();
    void leftSocketFileIsReplacedAndStrangersAreDropped();
    void longRuntimeFolderStillTakesRequests();
    void secondStartOpensItsFileInTheRunningInstance();
    void secondStartWithoutFileRaisesTheWindow();
    void listenerOfAnotherUserNeverGetsThePath();
    void requestsOfAnotherUserAreDropped();

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

void TestHandOver::listenerOfAnotherUserNeverGetsThePath()
{
    if (::geteuid() != 0)
        QSKIP("a process of another user can be started only as root");
    QTemporaryDir dir;
    InstanceGuard guard(QStringLiteral("handover_foreign_%1").arg(QCoreApplication::applicationPid()), dir.path());
    const QString socketPath = InstanceMessenger::socketPath(guard);
    // The other user gets in to make its socket first.
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0777) == 0);
    int ready[2];
    QVERIFY(::pipe(ready) == 0);
    int report = -1;
    const sockaddr_un sa = addressOf(socketPath);
    const pid_t pid = runAsOtherUser(&report, [&]() -> const char * {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) != 0 || ::listen(fd, 4) != 0)
            return "no listener";
        ::chmod(sa.sun_path, 0777);
        (void)!::write(ready[1], "r", 1);
        // Whatever connects within the time is read, and told "ok".
        static char got[128];
        int total = 0;
        pollfd p {fd, POLLIN, 0};
        while (::poll(&p, 1, 3000) > 0) {
            const int client = ::accept(fd, nullptr, nullptr);
            char buffer[4096];
            pollfd c {client, POLLIN, 0};
            while (::poll(&c, 1, 500) > 0) {
                const ssize_t n = ::read(client, buffer, sizeof buffer);
                if (n <= 0)
                    break;
                total += int(n);
                (void)!::write(client, "ok\n", 3);
            }
            ::close(client);
        }
        std::snprintf(got, sizeof got, "received %d", total);
        return got;
    });
    QVERIFY(pid > 0);
    ::close(ready[1]);
    char r = 0;
    QCOMPARE(::read(ready[0], &r, 1), ssize_t(1));
    ::close(ready[0]);
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0700) == 0);

    // Its socket file: refused before connecting.
    QString why;
    QVERIFY(!InstanceMessenger::handOver(guard, QStringLiteral("/home/u/secret.qsmd"), 1000, &why));
    QVERIFY2(why.contains(QLatin1String("another user")), qPrintable(why));
    // The file made to look like the user's: the listener's id still tells.
    QVERIFY(::lchown(QFile::encodeName(socketPath).constData(), ::geteuid(), ::getegid()) == 0);
    QVERIFY(!InstanceMessenger::handOver(guard, QStringLiteral("/home/u/secret.qsmd"), 1000, &why));
    QVERIFY2(why.contains(QLatin1String("not this user's")), qPrintable(why));
    QCOMPARE(childReport(pid, report), QByteArray("received 0"));

    // The running instance does not take over another user's entry either.
    QVERIFY(guard.tryClaim());
    QVERIFY(::lchown(QFile::encodeName(socketPath).constData(), kOtherUid, kOtherUid) == 0);
    InstanceMessenger messenger(guard);
    QVERIFY(!messenger.listen());
    QVERIFY2(messenger.errorString().contains(QLatin1String("another user")), qPrintable(messenger.errorString()));
}

void TestHandOver::requestsOfAnotherUserAreDropped()
{
    if (::geteuid() != 0)
        QSKIP("a process of another user can be started only as root");
    QTemporaryDir dir;
    InstanceGuard guard(QStringLiteral("handover_stranger_%1").arg(QCoreApplication::applicationPid()), dir.path());
    QVERIFY(guard.tryClaim());
    InstanceMessenger messenger(guard);
    QVERIFY2(messenger.listen(), qPrintable(messenger.errorString()));
    QSignalSpy opened(&messenger, &InstanceMessenger::openRequested);
    QSignalSpy raised(&messenger, &InstanceMessenger::raiseRequested);
    const QString socketPath = InstanceMessenger::socketPath(guard);
    // Opened up as if by mistake, so that the other user can connect at all.
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0777) == 0);
    QVERIFY(::chmod(QFile::encodeName(socketPath).constData(), 0777) == 0);
    const sockaddr_un sa = addressOf(socketPath);
    int report = -1;
    const pid_t pid = runAsOtherUser(&report, [&]() -> const char * {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) != 0)
            return "no connection";
        const char request[] = "open /tmp/planted.qsmd\nraise\n";
        (void)!::write(fd, request, sizeof request - 1);
        char answer[16] = {};
        pollfd p {fd, POLLIN, 0};
        if (::poll(&p, 1, 2000) > 0 && ::read(fd, answer, sizeof answer - 1) > 0)
            return std::strncmp(answer, "ok", 2) == 0 ? "answered" : "other answer";
        return "no answer";
    });
    QVERIFY(pid > 0);
    QCOMPARE(childReport(pid, report), QByteArray("no answer"));
    QTest::qWait(100);
    QCOMPARE(opened.count(), 0);
    QCOMPARE(raised.count(), 0);
    // The user's own requests still arrive.
    QVERIFY(handOverFromThread(guard, QStringLiteral("/tmp/own.qsmd")));
    QCOMPARE(opened.count(), 1);
}

void TestHandOver::longRuntimeFolderStillTakesRequests()
{
    // A socket address holds about a hundred bytes; a runtime folder deep
    // in a build tree must not leave the running instance deaf.
    QTemporaryDir base;
    const QString deep = base.path() + QLatin1Char('/') + QString(120 - base.path().size(), QLatin1Char('d'));
    // The fallback lies in the user's cache folder; the test's own home may
    // be deep in a checkout, so the cache is put in a short folder here.
    QTemporaryDir cache(QStringLiteral("/tmp/kc-XXXXXX"));
    QVERIFY(cache.isValid());
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    const auto restore = qScopeGuard([&] {
        if (oldCache.isNull())
            qunsetenv("XDG_CACHE_HOME");
        else
            qputenv("XDG_CACHE_HOME", oldCache);
    });
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
