#include "InstanceGuard.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <cstdio>
#include <cstdlib>

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

private:
    QString uniqueKey();
    QProcess *startChild(const QString &key, qint64 startAt = 0);
    static QString readAnswer(QProcess *child);

    int m_keyCounter = 0;
};

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
