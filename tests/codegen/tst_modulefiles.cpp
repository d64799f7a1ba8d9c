#include "ModuleFiles.h"

#include <QtTest>

namespace {

GeneratedModule module()
{
    MachineDescription m;
    m.processLabel = "Door Ctrl";
    m.processDescription = QString::fromUtf8("T\u00fcr");
    return CEmitter::generate(m, ModuleProperties());
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestModuleFiles : public QObject
{
    Q_OBJECT
private slots:
    void writesBothFiles()
    {
        QTemporaryDir dir;
        const GeneratedModule g = module();
        QVERIFY(ModuleFiles::existing(dir.path(), g).isEmpty());
        const ModuleFiles::Result r = ModuleFiles::write(dir.path(), g);
        QVERIFY(r.ok());
        QCOMPARE(r.written, (QStringList { dir.filePath("Door_Ctrl.h"), dir.filePath("Door_Ctrl.c") }));
        QCOMPARE(contents(dir.filePath("Door_Ctrl.h")), g.header.toUtf8());
        QCOMPARE(contents(dir.filePath("Door_Ctrl.c")), g.source.toUtf8());
        QCOMPARE(ModuleFiles::existing(dir.path() + "/", g).size(), 2);
        QCOMPARE(ModuleFiles::headerPath(dir.path() + "/", g), dir.filePath("Door_Ctrl.h"));
        QCOMPARE(ModuleFiles::sourcePath(QString(), g), QString("Door_Ctrl.c"));
    }

    void replacesExistingFiles()
    {
        QTemporaryDir dir;
        QFile old(dir.filePath("Door_Ctrl.c"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old text that is longer than nothing");
        old.close();
        const GeneratedModule g = module();
        QCOMPARE(ModuleFiles::existing(dir.path(), g), QStringList { dir.filePath("Door_Ctrl.c") });
        QVERIFY(ModuleFiles::write(dir.path(), g).ok());
        QCOMPARE(contents(dir.filePath("Door_Ctrl.c")), g.source.toUtf8());
    }

    void failureNamesTheFileAndWritesNothing()
    {
        QTemporaryDir dir;
        const GeneratedModule g = module();
        const ModuleFiles::Result missing = ModuleFiles::write(dir.filePath("no/such/dir"), g);
        QVERIFY(!missing.ok());
        QVERIFY(missing.written.isEmpty());
        QCOMPARE(missing.errors.size(), 2);
        QVERIFY(missing.errors.at(0).startsWith("Cannot write " + dir.filePath("no/such/dir/Door_Ctrl.h") + ": "));

        // A directory where the source should go: the header is not written either.
        QVERIFY(QDir(dir.path()).mkdir("Door_Ctrl.c"));
        const ModuleFiles::Result blocked = ModuleFiles::write(dir.path(), g);
        QCOMPARE(blocked.errors.size(), 1);
        QVERIFY(blocked.errors.at(0).contains("Door_Ctrl.c"));
        QVERIFY(!QFile::exists(dir.filePath("Door_Ctrl.h")));
    }
};

QTEST_MAIN(TestModuleFiles)
#include "tst_modulefiles.moc"
