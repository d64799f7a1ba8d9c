#include "InstanceGuard.h"
#include "PrivateFiles.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"
#include "RandomProject.h"
#include "RecoveryIndex.h"
#include "RecoverySession.h"
#include "RecoveryStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

// This binary doubles as a session that autosaves without end: started
// with KESTRO_RECOVERY_CHILD_ROOT in its environment it writes recovery
// copies of ever newer versions of a large project into that root, prints
// "ready" after the first, saves the user's file (KESTRO_RECOVERY_CHILD_FILE)
// every fifth version, and never stops by itself; the test kills it.
namespace {
const char *const kRootVar = "KESTRO_RECOVERY_CHILD_ROOT";
const char *const kFileVar = "KESTRO_RECOVERY_CHILD_FILE";
constexpr quint32 kSeed = 17;

ProjectDocument largeProject()
{
    RandomProjectOptions options;
    options.hardwareModules = options.microcontrollers = options.softwareModules = 1;
    options.stateMachines = 4;
    options.statesPerMachine = 60;
    options.transitionsPerMachine = 120;
    options.exoticText = false;
    return randomProject(kSeed, options);
}

// Version n of the project differs from the base in one state's description.
void makeVersion(ProjectDocument *document, int version)
{
    document->blocks.last().states.first().description = QStringLiteral("version %1").arg(version);
}

int runSessionChild()
{
    ProjectDocument document = largeProject();
    RecoverySession session(qEnvironmentVariable(kRootVar));
    const QString userFile = qEnvironmentVariable(kFileVar);
    for (int version = 1;; ++version) {
        makeVersion(&document, version);
        if (!session.write(document, userFile, QStringLiteral("Large"))) {
            std::printf("write failed\n");
            return 1;
        }
        // From the first copy on, there is always one to recover.
        if (version == 1) {
            std::printf("ready\n");
            std::fflush(stdout);
        }
        if (version % 5 == 0 && !ProjectFileWriter().write(document, userFile))
            return 1;
    }
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT

private slots:
    void sessionWritesCheckableCopiesAndSkipsUnchangedOnes();
    void storeLeavesRunningSessionsAlone();
    void discardedChangesLeaveNothingBehind();
    void damagedCopyIsReportedAndKeptAside();
    void unfinishedWritesFallBackOrCountAsNothing();
    void adoptedFolderKeepsItsCopyUntilANewerOne();
    void killsDuringAutosaveNeverLeaveDamage();
    void damagedNewestCopyFallsBackToAnIntactOlderOne();
    void copiesRecordTheirFilesChecksum();
    void recoveryFilesArePrivateAndOldOnesAreNarrowed();

private:
    static QByteArray bytesOf(const ProjectDocument &document);
    // Writes one copy in a session that then ends as a crashed one would
    // (its folder stays, unlocked); returns the copy's path.
    static QString leaveCopy(const QString &root, const ProjectDocument &document, const QString &name);
    static QStringList filesIn(const QString &folder);
    // The version a project file holds when it is exactly one of ours, or -1.
    static int versionOf(const QString &path, const ProjectDocument &base);
};

QByteArray TestRecovery::bytesOf(const ProjectDocument &document)
{
    QByteArray bytes;
    ProjectFileWriter().writeToBytes(document, &bytes);
    return bytes;
}

QString TestRecovery::leaveCopy(const QString &root, const ProjectDocument &document, const QString &name)
{
    RecoverySession session(root);
    if (!session.write(document, QStringLiteral("/p/%1.qsmd").arg(name), name))
        return QString();
    return session.copyPath();
}

QStringList TestRecovery::filesIn(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    // The lock file's name is a hash; tests only care that it is there.
    for (QString &name : names) {
        if (name.endsWith(QLatin1String(".lock")))
            name = QStringLiteral("lock");
    }
    return names;
}

int TestRecovery::versionOf(const QString &path, const ProjectDocument &base)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    ProjectFileReader reader;
    if (!reader.loadData(bytes))
        return -1;
    QString description;
    for (const StateRecord &state : reader.records().states) {
        if (state.description.startsWith(QLatin1String("version ")))
            description = state.description;
    }
    bool ok = false;
    const int version = description.mid(8).toInt(&ok);
    if (!ok)
        return -1;
    ProjectDocument expected = base;
    makeVersion(&expected, version);
    return bytesOf(expected) == bytes ? version : -1;
}

void TestRecovery::sessionWritesCheckableCopiesAndSkipsUnchangedOnes()
{
    QTemporaryDir root;
    ProjectDocument document = randomProject(3);
    RecoverySession session(root.path());
    QVERIFY(session.copyPath().isEmpty());
    QVERIFY(QDir(root.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());

    QVERIFY(session.write(document, QStringLiteral("/home/u/a.qsmd"), QStringLiteral("A")));
    const QString first = session.copyPath();
    QFile copy(first);
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), bytesOf(document));
    copy.close();
    // The same bytes for the same file are not written again.
    QVERIFY(session.write(document, QStringLiteral("/home/u/a.qsmd"), QStringLiteral("A")));
    QCOMPARE(session.copyPath(), first);

    for (int version = 1; version <= 2; ++version) {
        makeVersion(&document, version);
        QVERIFY(session.write(document, QStringLiteral("/home/u/a.qsmd"), QStringLiteral("A")));
    }
    // The newest copy and the one before it are kept, nothing older.
    QCOMPARE(filesIn(session.folder()),
             QStringList({"copy-2.qsmd", "copy-3.qsmd", "lock", "recovery.json"}));
    const RecoveryCheck check = checkRecoveryFolder(session.folder());
    QCOMPARE(check.status, RecoveryCheck::Good);
    QCOMPARE(check.copy.file, QStringLiteral("copy-3.qsmd"));
    QCOMPARE(check.copy.originalPath, QStringLiteral("/home/u/a.qsmd"));
    QCOMPARE(check.copy.projectName, QStringLiteral("A"));
    QVERIFY(qAbs(check.copy.savedAt.secsTo(QDateTime::currentDateTimeUtc())) < 60);
}

void TestRecovery::damagedNewestCopyFallsBackToAnIntactOlderOne()
{
    QTemporaryDir root;
    ProjectDocument document = randomProject(4);
    QString folder;
    {
        RecoverySession session(root.path());
        for (int version = 1; version <= 2; ++version) {
            makeVersion(&document, version);
            QVERIFY(session.write(document, QStringLiteral("/p/N.qsmd"), QStringLiteral("N")));
        }
        folder = session.folder();
    }
    QFile newest(QDir(folder).filePath(QStringLiteral("copy-2.qsmd")));
    QVERIFY(newest.open(QIODevice::ReadWrite));
    newest.seek(newest.size() / 3);
    newest.write("#");
    newest.close();

    const RecoveryCheck check = checkRecoveryFolder(folder);
    QCOMPARE(check.status, RecoveryCheck::Good);
    QCOMPARE(check.copy.file, QStringLiteral("copy-1.qsmd"));
    QVERIFY2(check.problem.contains(QLatin1String("copy-2.qsmd")), qPrintable(check.problem));
    QCOMPARE(versionOf(QDir(folder).filePath(check.copy.file), randomProject(4)), 1);
    RecoveryStore store(root.path());
    const QVector<RecoveryCandidate> found = store.claimOrphans();
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().check.status, RecoveryCheck::Good);

    // With both damaged the folder is damaged, naming the newest.
    QFile older(QDir(folder).filePath(QStringLiteral("copy-1.qsmd")));
    QVERIFY(older.resize(older.size() / 2));
    const RecoveryCheck both = checkRecoveryFolder(folder);
    QCOMPARE(both.status, RecoveryCheck::Damaged);
    QCOMPARE(both.copy.file, QStringLiteral("copy-2.qsmd"));
}

void TestRecovery::copiesRecordTheirFilesChecksum()
{
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("recovery"));
    const QString userFile = dir.filePath(QStringLiteral("U.qsmd"));
    const QString neverSaved = dir.filePath(QStringLiteral("New.qsmd"));
    const ProjectDocument document = randomProject(5);
    QVERIFY(ProjectFileWriter().write(document, userFile));
    QString folder;
    {
        RecoverySession session(root);
        QVERIFY(session.write(randomProject(6), userFile, QStringLiteral("U")));
        folder = session.folder();
        RecoverySession other(root);
        QVERIFY(other.write(randomProject(6), neverSaved, QStringLiteral("New")));
    }
    RecoveryStore store(root);
    QVector<RecoveryCandidate> found = store.claimOrphans();
    QCOMPARE(found.size(), 2);
    for (const RecoveryCandidate &candidate : found) {
        const RecoveryCopyInfo &copy = candidate.check.copy;
        QVERIFY(copy.originalRecorded);
        QCOMPARE(copy.originalSha256, copy.originalPath == userFile ? RecoveryIndex::checksum(bytesOf(document))
                                                                    : QByteArray());
        QVERIFY(!originalChangedSince(copy));
    }
    found.clear();

    // The file saved again or made where there was none: the copies are
    // older than their files.
    QVERIFY(ProjectFileWriter().write(randomProject(8), userFile));
    QVERIFY(QFile::copy(userFile, neverSaved));
    found = store.claimOrphans();
    QCOMPARE(found.size(), 2);
    for (const RecoveryCandidate &candidate : found)
        QVERIFY2(originalChangedSince(candidate.check.copy), qPrintable(candidate.check.copy.originalPath));
    found.clear();
    // A file that is gone has nothing newer to lose.
    QVERIFY(QFile::remove(userFile));
    RecoveryCheck check = checkRecoveryFolder(folder);
    QVERIFY(!originalChangedSince(check.copy));

    // An index of an older version has no checksum: the file's time decides.
    RecoveryCopyInfo old = check.copy;
    old.originalRecorded = false;
    old.originalPath = neverSaved;
    old.savedAt = QDateTime::currentDateTimeUtc().addSecs(-3600);
    QVERIFY(originalChangedSince(old));
    old.savedAt = QDateTime::currentDateTimeUtc().addSecs(3600);
    QVERIFY(!originalChangedSince(old));
}

void TestRecovery::recoveryFilesArePrivateAndOldOnesAreNarrowed()
{
    const mode_t previous = ::umask(022);
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("data/recovery"));
    auto modeOf = [](const QString &path) {
        struct stat st {};
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
    };
    {
        RecoverySession session(root);
        QVERIFY(session.write(randomProject(7), QStringLiteral("/p/M.qsmd"), QStringLiteral("M")));
        QCOMPARE(modeOf(root), 0700);
        QCOMPARE(modeOf(session.folder()), 0700);
        const QStringList names = QDir(session.folder()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(names.size(), 3);   // the copy, the index and the lock
        for (const QString &name : names)
            QCOMPARE(modeOf(QDir(session.folder()).filePath(name)), 0600);
    }

    // What an earlier version left readable is narrowed; a link is not
    // followed to change what it points to.
    const QString old = QDir(root).filePath(QStringLiteral("old"));
    QVERIFY(QDir().mkpath(QDir(old).filePath(QStringLiteral("inner"))));
    const QString copy = QDir(old).filePath(QStringLiteral("copy-1.qsmd"));
    const QString outside = dir.filePath(QStringLiteral("outside.txt"));
    for (const QString &path : {copy, outside, QDir(old).filePath(QStringLiteral("inner/x"))}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QVERIFY(::chmod(QFile::encodeName(old).constData(), 0755) == 0);
    QVERIFY(::chmod(QFile::encodeName(root).constData(), 0775) == 0);
    QVERIFY(::chmod(QFile::encodeName(copy).constData(), 0644) == 0);
    QVERIFY(::chmod(QFile::encodeName(outside).constData(), 0644) == 0);
    QVERIFY(QFile::link(outside, QDir(old).filePath(QStringLiteral("link"))));
    PrivateFiles::narrowTree(root);
    QCOMPARE(modeOf(root), 0700);
    QCOMPARE(modeOf(old), 0700);
    QCOMPARE(modeOf(QDir(old).filePath(QStringLiteral("inner"))), 0700);
    QCOMPARE(modeOf(copy), 0600);
    QCOMPARE(modeOf(QDir(old).filePath(QStringLiteral("inner/x"))), 0600);
    QCOMPARE(modeOf(outside), 0644);

    // Kestro's own roots: the recovery folders' data folder, the settings
    // folder and the instance guard's fallback are among them.
    const QStringList roots = PrivateFiles::ownRoots();
    QVERIFY(RecoveryStore::defaultRoot().startsWith(roots.first() + QLatin1Char('/')));
    QCOMPARE(roots.size(), 3);
    ::umask(previous);
}

void TestRecovery::storeLeavesRunningSessionsAlone()
{
    QTemporaryDir root;
    RecoveryStore store(root.path());
    QString folder;
    {
        RecoverySession session(root.path());
        QVERIFY(session.write(randomProject(4), QStringLiteral("/p/b.qsmd"), QStringLiteral("B")));
        folder = session.folder();
        QVERIFY(store.claimOrphans().isEmpty());
    }
    // A session that ends with changes nobody decided about leaves them.
    QVERIFY(QFileInfo::exists(folder));
    QVector<RecoveryCandidate> found = store.claimOrphans();
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().check.status, RecoveryCheck::Good);
    QCOMPARE(found.first().check.copy.projectName, QStringLiteral("B"));
    // Claimed by this caller: a second look does not find it again.
    QVERIFY(store.claimOrphans().isEmpty());
    found.clear();
    QCOMPARE(store.claimOrphans().size(), 1);
}

void TestRecovery::discardedChangesLeaveNothingBehind()
{
    QTemporaryDir root;
    QString folder;
    {
        RecoverySession session(root.path());
        QVERIFY(session.write(randomProject(5), QStringLiteral("/p/c.qsmd"), QStringLiteral("C")));
        folder = session.folder();
        session.discard();
        QCOMPARE(filesIn(folder), QStringList({"lock", "recovery.json"}));
        QVERIFY(session.copyPath().isEmpty());
    }
    QVERIFY(!QFileInfo::exists(folder));

    // A folder a killed session left without a finished copy holds nothing
    // to offer and is cleared away.
    const QString empty = QDir(root.path()).filePath(QStringLiteral("left"));
    QVERIFY(QDir().mkpath(empty));
    RecoveryIndex index;
    index.copies.append({QStringLiteral("copy-1.qsmd"), QByteArray(64, 'a'), 10, QStringLiteral("/p/c.qsmd"),
                         QStringLiteral("C"), QDateTime::currentDateTimeUtc()});
    QFile indexFile(QDir(empty).filePath(RecoveryIndex::fileName()));
    QVERIFY(indexFile.open(QIODevice::WriteOnly));
    indexFile.write(index.toJson());
    indexFile.close();
    QVERIFY(RecoveryStore(root.path()).claimOrphans().isEmpty());
    QVERIFY(!QFileInfo::exists(empty));
}

void TestRecovery::damagedCopyIsReportedAndKeptAside()
{
    QTemporaryDir root;
    const QString copyPath = leaveCopy(root.path(), randomProject(6), QStringLiteral("D"));
    QFile copy(copyPath);
    QVERIFY(copy.open(QIODevice::ReadWrite));
    copy.seek(copy.size() / 2);
    copy.write("#");   // same size, one byte changed
    copy.close();

    RecoveryStore store(root.path());
    QVector<RecoveryCandidate> found = store.claimOrphans();
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().check.status, RecoveryCheck::Damaged);
    QVERIFY(found.first().check.problem.contains(QLatin1String("checksum")));
    const QString keptIn = store.setAside(found.first());
    QVERIFY(keptIn.startsWith(store.damagedFolder()));
    QVERIFY(QFileInfo::exists(QDir(keptIn).filePath(QFileInfo(copyPath).fileName())));
    found.clear();
    // Kept aside, it is neither offered nor reported again.
    QVERIFY(store.claimOrphans().isEmpty());

    // Copies without an index cannot be checked: damaged, not good.
    const QString bare = QDir(root.path()).filePath(QStringLiteral("bare"));
    QVERIFY(QDir().mkpath(bare));
    QVERIFY(QFile::copy(QDir(keptIn).filePath(QFileInfo(copyPath).fileName()),
                        QDir(bare).filePath(QStringLiteral("copy-1.qsmd"))));
    QCOMPARE(checkRecoveryFolder(bare).status, RecoveryCheck::Damaged);
    // An index that cannot be read is damage too.
    QFile garbage(QDir(bare).filePath(RecoveryIndex::fileName()));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write("{\"format\": 1, \"copies\": [{\"file\": \"../x\"");
    garbage.close();
    QCOMPARE(checkRecoveryFolder(bare).status, RecoveryCheck::Damaged);
}

void TestRecovery::unfinishedWritesFallBackOrCountAsNothing()
{
    QTemporaryDir root;
    ProjectDocument document = randomProject(7);
    RecoverySession session(root.path());
    makeVersion(&document, 1);
    QVERIFY(session.write(document, QStringLiteral("/p/e.qsmd"), QStringLiteral("E")));
    makeVersion(&document, 2);
    QVERIFY(session.write(document, QStringLiteral("/p/e.qsmd"), QStringLiteral("E")));
    // As if killed after the index named copy 2 but before copy 2 was in place.
    QVERIFY(QFile::remove(session.copyPath()));
    const RecoveryCheck check = checkRecoveryFolder(session.folder());
    QCOMPARE(check.status, RecoveryCheck::Good);
    QCOMPARE(check.copy.file, QStringLiteral("copy-1.qsmd"));
    QCOMPARE(versionOf(QDir(session.folder()).filePath(check.copy.file), randomProject(7)), 1);
}

void TestRecovery::adoptedFolderKeepsItsCopyUntilANewerOne()
{
    QTemporaryDir root;
    ProjectDocument document = randomProject(8);
    makeVersion(&document, 1);
    const QString leftCopy = leaveCopy(root.path(), document, QStringLiteral("F"));
    RecoveryStore store(root.path());
    QVector<RecoveryCandidate> found = store.claimOrphans();
    QCOMPARE(found.size(), 1);

    RecoverySession session(root.path());
    session.adopt(found.first());
    found.clear();
    QCOMPARE(session.copyPath(), leftCopy);
    QVERIFY(store.claimOrphans().isEmpty());   // held by the session now
    // Recovered bytes written again are not a new copy.
    QVERIFY(session.write(document, QStringLiteral("/p/F.qsmd"), QStringLiteral("F")));
    QCOMPARE(session.copyPath(), leftCopy);
    makeVersion(&document, 2);
    QVERIFY(session.write(document, QStringLiteral("/p/F.qsmd"), QStringLiteral("F")));
    QCOMPARE(QFileInfo(session.copyPath()).fileName(), QStringLiteral("copy-2.qsmd"));
    QVERIFY(QFileInfo::exists(leftCopy));
}

void TestRecovery::killsDuringAutosaveNeverLeaveDamage()
{
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("recovery"));
    const QString userFile = dir.filePath(QStringLiteral("Large.qsmd"));
    const ProjectDocument base = largeProject();
    ProjectDocument original = base;
    makeVersion(&original, 0);
    QVERIFY(ProjectFileWriter().write(original, userFile));

    QRandomGenerator random(2026);
    RecoveryStore store(root);
    int recovered = 0;
    int interrupted = 0;
    constexpr int kKills = 200;
    for (int round = 0; round < kKills; ++round) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kRootVar), root);
        env.insert(QString::fromLatin1(kFileVar), userFile);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(child.waitForReadyRead(20000));
        QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));
        QThread::msleep(random.bounded(0, 100));
        child.kill();   // SIGKILL, at whatever point the writing has reached
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        // The user's file is always one whole version.
        QVERIFY2(versionOf(userFile, base) >= 0, qPrintable(QStringLiteral("round %1").arg(round)));
        const QVector<RecoveryCandidate> found = store.claimOrphans();
        QCOMPARE(found.size(), 1);
        for (const RecoveryCandidate &candidate : found) {
            QVERIFY2(candidate.check.status == RecoveryCheck::Good,
                     qPrintable(QStringLiteral("round %1: %2").arg(round).arg(candidate.check.problem)));
            const QString copy = QDir(candidate.folder).filePath(candidate.check.copy.file);
            QVERIFY2(versionOf(copy, base) >= 1, qPrintable(copy));
            QCOMPARE(candidate.check.copy.originalPath, userFile);
            // The index already names a copy the kill kept from being finished.
            QFile indexFile(QDir(candidate.folder).filePath(RecoveryIndex::fileName()));
            RecoveryIndex index;
            QString error;
            QVERIFY(indexFile.open(QIODevice::ReadOnly));
            QVERIFY(RecoveryIndex::fromJson(indexFile.readAll(), &index, &error));
            interrupted += index.copies.first().file != candidate.check.copy.file ? 1 : 0;
            ++recovered;
            QVERIFY(store.discard(candidate));
        }
    }
    qInfo("%d kills, each left a good copy; %d came while a newer copy was being written", recovered, interrupted);
    QCOMPARE(recovered, kKills);
    QVERIFY(!QFileInfo::exists(store.damagedFolder()));
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kRootVar))
        return runSessionChild();
    TestRecovery test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
