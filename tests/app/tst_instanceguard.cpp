#include "InstanceGuard.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// This binary doubles as the guarded program: started with
// KESTRO_GUARD_CHILD_KEY in its environment it claims the guard instead of
// running the tests, prints "claimed" or "refused", and when it claimed,
// holds the claim until its standard input closes.
namespace {
const char *const kChildKeyVar = "KESTRO_GUARD_CHILD_KEY";
const char *const kChildStartVar = "KESTRO_GUARD_CHILD_START_AT";

int runGuardChild(const QString &key)
{
    // Lets several children reach the guard at the same moment.
    const qint64 startAt = qEnvironmentVariable(kChildStartVar).toLongLong();
    while (QDateTime::currentMSecsSinceEpoch() < startAt)
        QThread::usleep(200);

    InstanceGuard guard(key);
    if (!guard.tryClaim()) {
        std::printf("refused\n");
        std::fflush(stdout);
        return 0;
    }
    std::printf("claimed\n");
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) {
    }
    return 0;
}

void guardChildEntry()
{
    if (qEnvironmentVariableIsSet(kChildKeyVar))
        std::exit(runGuardChild(qEnvironmentVariable(kChildKeyVar)));
}
} // namespace

Q_CONSTRUCTOR_FUNCTION(guardChildEntry)

class TestInstanceGuard : public QObject
{
    Q_OBJECT

private slots:
    void hashedKeyIsSha1OfKeyAndSuffix();
    void claimIsExclusiveWithinOneProcess();
    void secondStartIsRefusedUntilFirstEnds();
    void startAfterSigkillSucceeds();
    void simultaneousStartsLeaveExactlyOne();
    void realProgramExitsQuietlyOnSecondStart();
    void lockFolderIsTheUsersOwnNeverTheSharedTemporaryFolder();
    void lockOfAnotherUserOrALinkIsNoInstance();
    void realProgramStartsDespiteAnotherUsersLock();

private:
    QString uniqueKey();
    QProcess *startChild(const QString &key, qint64 startAt = 0);
    static QString readAnswer(QProcess *child);

    int m_keyCounter = 0;
};

namespace {
// The runtime folder seen by guards made while it lives; the old one back after.
class RuntimeFolder
{
public:
    explicit RuntimeFolder(const QByteArray &path)
        : m_had(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")), m_old(qgetenv("XDG_RUNTIME_DIR"))
    {
        if (path.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", path);
    }
    ~RuntimeFolder()
    {
        if (m_had)
            qputenv("XDG_RUNTIME_DIR", m_old);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    }

private:
    bool m_had;
    QByteArray m_old;
};

int modeOf(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// Another user's account for files the test makes (tests run as root).
constexpr uid_t kOtherUid = 65534;
} // namespace

QString TestInstanceGuard::uniqueKey()
{
    return QStringLiteral("kestro_test_guard_%1_%2")
        .arg(QCoreApplication::applicationPid())
        .arg(++m_keyCounter);
}

QProcess *TestInstanceGuard::startChild(const QString &key, qint64 startAt)
{
    auto *child = new QProcess(this);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildKeyVar), key);
    env.insert(QString::fromLatin1(kChildStartVar), QString::number(startAt));
    child->setProcessEnvironment(env);
    child->start(QCoreApplication::applicationFilePath(), QStringList());
    return child;
}

QString TestInstanceGuard::readAnswer(QProcess *child)
{
    QElapsedTimer timer;
    timer.start();
    while (!child->canReadLine() && timer.elapsed() < 15000) {
        if (!child->waitForReadyRead(200) && child->state() == QProcess::NotRunning)
            break;
    }
    return QString::fromLatin1(child->readLine()).trimmed();
}

void TestInstanceGuard::lockFolderIsTheUsersOwnNeverTheSharedTemporaryFolder()
{
    const QString fallback = QDir::homePath() + QStringLiteral("/.cache/kestro");
    QTemporaryDir dir;
    const QString open = dir.filePath(QStringLiteral("open"));
    QVERIFY(QDir().mkpath(open));
    QVERIFY(::chmod(QFile::encodeName(open).constData(), 0777) == 0);
    const QString linked = dir.filePath(QStringLiteral("linked"));
    QVERIFY(QFile::link(dir.path(), linked));
    QList<QByteArray> unusable = {QByteArray(), QByteArray(""), QFile::encodeName(dir.filePath("missing")),
                                  QFile::encodeName(open), QFile::encodeName(linked)};
    if (::geteuid() == 0) {
        const QString foreign = dir.filePath(QStringLiteral("foreign"));
        QVERIFY(QDir().mkpath(foreign));
        QVERIFY(::chmod(QFile::encodeName(foreign).constData(), 0700) == 0);
        QVERIFY(::chown(QFile::encodeName(foreign).constData(), kOtherUid, kOtherUid) == 0);
        unusable << QFile::encodeName(foreign);
    }
    for (const QByteArray &runtime : unusable) {
        RuntimeFolder folder(runtime);
        InstanceGuard guard(uniqueKey());
        const QString path = guard.lockFilePath();
        QVERIFY2(path.startsWith(fallback + QLatin1Char('/')), qPrintable(runtime + " -> " + path));
        // Never the shared temporary folder itself (the test's home may lie
        // below it, as in a checkout under /tmp).
        QVERIFY(QFileInfo(path).absolutePath() != QDir(QDir::tempPath()).absolutePath());
        QCOMPARE(modeOf(fallback), 0700);
        QVERIFY2(guard.tryClaim(), qPrintable(guard.errorString()));
        QCOMPARE(modeOf(path), 0600);
        // The name is the user's.
        QVERIFY(QFileInfo(path).fileName().startsWith(QStringLiteral("kestro-%1-").arg(::geteuid())));
    }
    // A private runtime folder of the user's is used as it is.
    const QString runtime = dir.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkpath(runtime));
    QVERIFY(::chmod(QFile::encodeName(runtime).constData(), 0700) == 0);
    RuntimeFolder folder(QFile::encodeName(runtime));
    QVERIFY(InstanceGuard(uniqueKey()).lockFilePath().startsWith(runtime + QLatin1Char('/')));
}

void TestInstanceGuard::lockOfAnotherUserOrALinkIsNoInstance()
{
    if (::geteuid() != 0)
        QSKIP("files of another user can be made only as root");
    QTemporaryDir dir;
    RuntimeFolder folder(QFile::encodeName(dir.path()));
    const QString key = uniqueKey();
    const QString lockPath = InstanceGuard(key).lockFilePath();
    QVERIFY(lockPath.startsWith(dir.path()));
    // Another user's file under the name, locked by a live process.
    const QByteArray encoded = QFile::encodeName(lockPath);
    const int fd = ::open(encoded.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    QVERIFY(fd >= 0);
    QVERIFY(::fchown(fd, kOtherUid, kOtherUid) == 0);
    QVERIFY(::flock(fd, LOCK_EX | LOCK_NB) == 0);
    {
        InstanceGuard guard(key);
        QVERIFY(!guard.anotherInstanceRunning());
        QCOMPARE(guard.claim(), InstanceGuard::Claim::Failed);
        QVERIFY2(guard.errorString().contains(QLatin1String("another user")), qPrintable(guard.errorString()));
    }
    ::close(fd);
    QVERIFY(QFile::remove(lockPath));

    // A link under the name is not followed, even to a file of the user's.
    const QString target = dir.filePath(QStringLiteral("target"));
    QVERIFY(QFile::link(target, lockPath));
    {
        InstanceGuard guard(key);
        QVERIFY(!guard.anotherInstanceRunning());
        QCOMPARE(guard.claim(), InstanceGuard::Claim::Failed);
        QVERIFY2(guard.errorString().contains(QLatin1String("symbolic link")), qPrintable(guard.errorString()));
        QVERIFY(!QFileInfo::exists(target));
    }
    QVERIFY(QFile::remove(lockPath));

    // The user's own lock, wider than it should be, is narrowed and held.
    const int own = ::open(encoded.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    QVERIFY(own >= 0 && ::fchmod(own, 0644) == 0);
    ::close(own);
    InstanceGuard first(key);
    QCOMPARE(first.claim(), InstanceGuard::Claim::Claimed);
    QCOMPARE(modeOf(lockPath), 0600);
    InstanceGuard second(key);
    QVERIFY(second.anotherInstanceRunning());
    QCOMPARE(second.claim(), InstanceGuard::Claim::HeldByAnother);
}

// Another user who made Kestro's lock first, and holds it, must not keep
// Kestro from starting.
void TestInstanceGuard::realProgramStartsDespiteAnotherUsersLock()
{
    if (::geteuid() != 0)
        QSKIP("files of another user can be made only as root");
    const QString program = QStringLiteral(KESTRO_BINARY_DIR "/kestro");
    QVERIFY2(QFile::exists(program), qPrintable(program));
    QTemporaryDir runtime;
    QString lockPath;
    {
        RuntimeFolder folder(QFile::encodeName(runtime.path()));
        lockPath = InstanceGuard(QStringLiteral("app_unique_lock")).lockFilePath();
    }
    QVERIFY(lockPath.startsWith(runtime.path()));
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    QVERIFY(fd >= 0);
    QVERIFY(::fchown(fd, kOtherUid, kOtherUid) == 0);
    QVERIFY(::flock(fd, LOCK_EX | LOCK_NB) == 0);

    QProcess kestro;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    kestro.setProcessEnvironment(env);
    kestro.setProcessChannelMode(QProcess::MergedChannels);
    kestro.start(program, QStringList());
    QVERIFY(kestro.waitForStarted(10000));
    QTest::qWait(1500);
    const QByteArray said = kestro.readAll();
    QCOMPARE(kestro.state(), QProcess::Running);
    // It says why later starts cannot hand their files over.
    QVERIFY2(said.contains("another user"), said.constData());
    kestro.kill();
    QVERIFY(kestro.waitForFinished(10000));
    ::close(fd);
}

void TestInstanceGuard::hashedKeyIsSha1OfKeyAndSuffix()
{
    QCOMPARE(InstanceGuard::hashedKey("app_unique_lock", "_semGuardId"),
             QStringLiteral("b30619343d81aec47f723848b0f682225763c574"));
    QCOMPARE(InstanceGuard::hashedKey("app_unique_lock", "_segmentGuard"),
             QStringLiteral("8b610364bd256988bc47bcf97588279ef2a828c5"));
    // Non-ASCII keys are hashed as UTF-8.
    QCOMPARE(InstanceGuard::hashedKey(QStringLiteral("ключ"), "_x"),
             QStringLiteral("f7c190ffe5c1590da93f562d3d55615a3dd0e1cd"));
}

void TestInstanceGuard::claimIsExclusiveWithinOneProcess()
{
    const QString key = uniqueKey();
    InstanceGuard first(key);
    InstanceGuard second(key);
    QVERIFY(!second.anotherInstanceRunning());
    QVERIFY(first.tryClaim());
    QVERIFY(!first.anotherInstanceRunning());   // its own claim does not count
    QVERIFY(second.anotherInstanceRunning());
    QVERIFY(!second.tryClaim());
    first.releaseClaim();
    QVERIFY(!second.anotherInstanceRunning());
    QVERIFY(second.tryClaim());
}

void TestInstanceGuard::secondStartIsRefusedUntilFirstEnds()
{
    const QString key = uniqueKey();
    QProcess *first = startChild(key);
    QCOMPARE(readAnswer(first), QStringLiteral("claimed"));

    QProcess *second = startChild(key);
    QCOMPARE(readAnswer(second), QStringLiteral("refused"));
    QVERIFY(second->waitForFinished(10000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(first->state(), QProcess::Running);

    first->closeWriteChannel();
    QVERIFY(first->waitForFinished(10000));
    QCOMPARE(first->exitCode(), 0);

    QProcess *third = startChild(key);
    QCOMPARE(readAnswer(third), QStringLiteral("claimed"));
    third->closeWriteChannel();
    QVERIFY(third->waitForFinished(10000));
}

void TestInstanceGuard::startAfterSigkillSucceeds()
{
    const QString key = uniqueKey();
    QProcess *first = startChild(key);
    QCOMPARE(readAnswer(first), QStringLiteral("claimed"));
    first->kill();   // SIGKILL: no destructor runs, nothing is released by us
    QVERIFY(first->waitForFinished(10000));
    QCOMPARE(first->exitStatus(), QProcess::CrashExit);

    QProcess *next = startChild(key);
    QCOMPARE(readAnswer(next), QStringLiteral("claimed"));
    next->closeWriteChannel();
    QVERIFY(next->waitForFinished(10000));
}

void TestInstanceGuard::simultaneousStartsLeaveExactlyOne()
{
    for (int round = 0; round < 3; ++round) {
        const QString key = uniqueKey();
        const qint64 startAt = QDateTime::currentMSecsSinceEpoch() + 1500;
        QList<QProcess *> children;
        for (int i = 0; i < 4; ++i)
            children << startChild(key, startAt);

        int claimed = 0;
        int refused = 0;
        for (QProcess *child : children) {
            const QString answer = readAnswer(child);
            claimed += answer == QLatin1String("claimed");
            refused += answer == QLatin1String("refused");
        }
        for (QProcess *child : children) {
            child->closeWriteChannel();
            QVERIFY(child->waitForFinished(10000));
            QCOMPARE(child->exitCode(), 0);
        }
        QCOMPARE(claimed, 1);
        QCOMPARE(refused, 3);
    }
}

void TestInstanceGuard::realProgramExitsQuietlyOnSecondStart()
{
    const QString program = QStringLiteral(KESTRO_BINARY_DIR "/kestro");
    QVERIFY2(QFile::exists(program), qPrintable(program));
    const QString key = QStringLiteral("app_unique_lock");
    {
        InstanceGuard probe(key);
        if (probe.anotherInstanceRunning())
            QSKIP("Kestro is running on this machine; its guard cannot be tested now");
    }
    auto waitUntilRunning = [&key]() {
        InstanceGuard probe(key);
        QElapsedTimer timer;
        timer.start();
        while (!probe.anotherInstanceRunning() && timer.elapsed() < 15000)
            QThread::msleep(50);
        return probe.anotherInstanceRunning();
    };

    QProcess first;
    first.start(program, QStringList());
    QVERIFY(first.waitForStarted(10000));
    QVERIFY(waitUntilRunning());

    QProcess second;
    second.start(program, {QStringLiteral("ignored.qsmd")});
    QVERIFY(second.waitForFinished(15000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);

    first.kill();
    QVERIFY(first.waitForFinished(10000));
    QProcess third;
    third.start(program, QStringList());
    QVERIFY(third.waitForStarted(10000));
    QVERIFY(waitUntilRunning());
    QTest::qWait(300);
    QCOMPARE(third.state(), QProcess::Running);
    third.kill();
    QVERIFY(third.waitForFinished(10000));
    InstanceGuard after(key);
    QVERIFY(!after.anotherInstanceRunning());
}

QTEST_GUILESS_MAIN(TestInstanceGuard)
#include "tst_instanceguard.moc"
