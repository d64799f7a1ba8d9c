// Writes that cannot reach the disk: the system refuses them past a file
// size limit, as it does on a full disk. Nothing may then be reported as
// written, and the file that was there must stay as it was.

#include "CheckedSaveFile.h"
#include "DefaultProject.h"
#include "FileSizeLimit.h"
#include "ModuleFiles.h"
#include "ProjectFileWriter.h"

#include <QtTest>

#include <sys/stat.h>

namespace {

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

GeneratedModule module()
{
    MachineDescription m;
    m.processLabel = "Door";
    return CEmitter::generate(m, ModuleProperties());
}

} // namespace

class TestCheckedSaveFile : public QObject
{
    Q_OBJECT
private slots:
    void writesAndReplaces()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.txt");
        put(path, "old");
        QString error;
        QVERIFY(CheckedSaveFile::writeWhole(path, "new text", QIODevice::WriteOnly, &error));
        QCOMPARE(contents(path), QByteArray("new text"));
        QVERIFY(error.isEmpty());
        QVERIFY(CheckedSaveFile::writeWhole(path, QByteArray()));
        QCOMPARE(contents(path), QByteArray());
    }

    // A link at the path is replaced itself, never written through, unless
    // the caller follows it on purpose; files of Kestro's own are 0600.
    void linksAreReplacedAndPrivateFilesAreTheOwners()
    {
        const mode_t previous = ::umask(022);
        auto modeOf = [](const QString &path) {
            struct stat st {};
            return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
        };
        QTemporaryDir dir;
        const QString target = dir.filePath("target.txt");
        const QString dangling = dir.filePath("gone.txt");
        put(target, "kept");
        const QString toTarget = dir.filePath("link1");
        const QString toNothing = dir.filePath("link2");
        QVERIFY(QFile::link(target, toTarget));
        QVERIFY(QFile::link(dangling, toNothing));
        QVERIFY(CheckedSaveFile::existsOrIsLink(toNothing));
        QVERIFY(!CheckedSaveFile::existsOrIsLink(dangling));
        for (const QString &link : {toTarget, toNothing}) {
            QVERIFY(CheckedSaveFile::writeWhole(link, "new"));
            QVERIFY(!QFileInfo(link).isSymLink());
            QCOMPARE(contents(link), QByteArray("new"));
            QCOMPARE(modeOf(link), 0644);   // as any new file under this umask
        }
        QCOMPARE(contents(target), QByteArray("kept"));
        QVERIFY(!QFileInfo::exists(dangling));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 3);

        const QString followed = dir.filePath("link3");
        QVERIFY(QFile::link(target, followed));
        CheckedSaveFile through(followed);
        through.setFollowLinks(true);
        QVERIFY(through.open() && through.write("through") && through.commit());
        QVERIFY(QFileInfo(followed).isSymLink());
        QCOMPARE(contents(target), QByteArray("through"));

        const QString own = dir.filePath("own.json");
        QVERIFY(CheckedSaveFile::writePrivate(own, "{}"));
        QCOMPARE(modeOf(own), 0600);
        QVERIFY(CheckedSaveFile::writePrivate(own, "{ }"));
        QCOMPARE(modeOf(own), 0600);
        const QString ownLink = dir.filePath("ownlink");
        QVERIFY(QFile::link(target, ownLink));
        QVERIFY(CheckedSaveFile::writePrivate(ownLink, "{}"));
        QCOMPARE(modeOf(ownLink), 0600);
        QCOMPARE(contents(target), QByteArray("through"));
        ::umask(previous);
    }

    // Small data used to wait in the device buffer until the file was
    // closed; its failure there went unseen and an empty file replaced the
    // old one.
    void smallWriteThatFailsKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("small.txt");
        put(path, "precious");
        QString error;
        {
            FileSizeLimit full(0);
            QVERIFY(full.isActive());
            QVERIFY(!CheckedSaveFile::writeWhole(path, "a few bytes", QIODevice::WriteOnly, &error));
        }
        QCOMPARE(contents(path), QByteArray("precious"));
        QVERIFY2(error.contains("File too large"), qPrintable(error));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"small.txt"});
    }

    // A large write that stops part-way used to say "Unknown error".
    void largeWriteThatStopsPartWayNamesTheReason()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("large.txt");
        QString error;
        {
            FileSizeLimit full(8192);
            QVERIFY(!CheckedSaveFile::writeWhole(path, QByteArray(100000, 'x'),
                                                 QIODevice::WriteOnly, &error));
        }
        QVERIFY(!QFile::exists(path));
        QVERIFY2(error.contains("File too large"), qPrintable(error));
        QVERIFY(!error.contains("Unknown error"));
    }

    void projectWriterReportsTheFailure()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("p.qsmd");
        put(path, "old project");
        ProjectFileWriter writer;
        {
            FileSizeLimit full(0);
            QVERIFY(!writer.write(DefaultProject::document("P"), path));
        }
        QCOMPARE(contents(path), QByteArray("old project"));
        QVERIFY2(writer.errorString().contains(path), qPrintable(writer.errorString()));
        QVERIFY2(writer.errorString().contains("File too large"), qPrintable(writer.errorString()));

        QString error;
        {
            FileSizeLimit full(0);
            QVERIFY(!DefaultProject::write(dir.filePath("new.qsmd"), "new", &error));
        }
        QVERIFY(!QFile::exists(dir.filePath("new.qsmd")));
        QVERIFY(error.contains("File too large"));
    }

    void generatedModuleIsNotWrittenHalfway()
    {
        QTemporaryDir dir;
        put(dir.filePath("Door.h"), "old header");
        ModuleFiles::Result result;
        {
            FileSizeLimit full(0);
            result = ModuleFiles::write(dir.path(), module());
        }
        QVERIFY(!result.ok());
        QVERIFY(result.written.isEmpty());
        QCOMPARE(result.errors.size(), 2);
        QVERIFY2(result.errors.first().contains("File too large"), qPrintable(result.errors.first()));
        QCOMPARE(contents(dir.filePath("Door.h")), QByteArray("old header"));
        QVERIFY(!QFile::exists(dir.filePath("Door.c")));
    }
};

QTEST_MAIN(TestCheckedSaveFile)
#include "tst_checkedsavefile.moc"
