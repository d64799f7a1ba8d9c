#include "ExamplesLocator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestExamplesLocator : public QObject
{
    Q_OBJECT

private slots:
    void emptinessRules();
    void workingDirectoryWinsWhenUsable();
    void fallsBackToFirstUsableInstalledPlace();
    void nothingUsableGivesLocalPathThatFailsTheCheck();
    void installedPlacesStartBesideTheExecutable();
    void defaultLookupUsesCurrentDirectory();

private:
    static QString makeDir(const QString &path);
    static void touch(const QString &path);
};

QString TestExamplesLocator::makeDir(const QString &path)
{
    if (!QDir().mkpath(path))
        qFatal("cannot create %s", qPrintable(path));
    return path;
}

void TestExamplesLocator::touch(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot create %s", qPrintable(path));
    file.write("<QsmdProject/>\n");
}

void TestExamplesLocator::emptinessRules()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString root = tmp.path();

    QVERIFY(!isUsableExamplesDirectory(QString()));          // never the working directory
    QVERIFY(!isUsableExamplesDirectory(root + "/missing"));
    QVERIFY(!isUsableExamplesDirectory(makeDir(root + "/empty")));

    touch(root + "/plainfile");
    QVERIFY(!isUsableExamplesDirectory(root + "/plainfile"));

    const QString hidden = makeDir(root + "/hidden");
    touch(hidden + "/.keep");
    QVERIFY(isUsableExamplesDirectory(hidden));

    const QString onlySubdir = makeDir(root + "/subdir");
    makeDir(onlySubdir + "/inner");
    QVERIFY(isUsableExamplesDirectory(onlySubdir));
}

void TestExamplesLocator::workingDirectoryWinsWhenUsable()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString work = makeDir(tmp.path() + "/work");
    touch(makeDir(work + "/Examples") + "/Example_1.qsmd");
    const QString installed = makeDir(tmp.path() + "/share/kestro/Examples");
    touch(installed + "/Example_1.qsmd");

    QCOMPARE(findExamplesDirectory(work, {installed}), QDir(work).absoluteFilePath("Examples"));
    // A trailing slash or dots in the working directory do not leak into the result.
    QCOMPARE(findExamplesDirectory(work + "/./", {installed}),
             QDir::cleanPath(work + "/Examples"));
}

void TestExamplesLocator::fallsBackToFirstUsableInstalledPlace()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString work = makeDir(tmp.path() + "/work");
    makeDir(work + "/Examples"); // present but empty: not usable
    const QString missing = tmp.path() + "/nowhere/Examples";
    const QString empty = makeDir(tmp.path() + "/empty/Examples");
    const QString first = makeDir(tmp.path() + "/first/Examples");
    touch(first + "/Example_1.qsmd");
    const QString second = makeDir(tmp.path() + "/second/Examples");
    touch(second + "/Example_1.qsmd");

    QCOMPARE(findExamplesDirectory(work, {missing, empty, first, second}), first);
    QCOMPARE(findExamplesDirectory(work, {second, first}), second);

    // A file called Examples in the working directory is not a directory.
    QVERIFY(QDir(work).rmdir("Examples"));
    touch(work + "/Examples");
    QCOMPARE(findExamplesDirectory(work, {first}), first);
}

void TestExamplesLocator::nothingUsableGivesLocalPathThatFailsTheCheck()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString work = makeDir(tmp.path() + "/work");
    const QString empty = makeDir(tmp.path() + "/empty/Examples");

    const QString found = findExamplesDirectory(work, {empty, tmp.path() + "/missing"});
    QCOMPARE(found, QDir(work).absoluteFilePath("Examples"));
    QVERIFY(!isUsableExamplesDirectory(found));
    QCOMPARE(findExamplesDirectory(work, {}), found);
}

void TestExamplesLocator::installedPlacesStartBesideTheExecutable()
{
    const QStringList places = installedExamplesDirectories();
    QVERIFY(!places.isEmpty());
    QCOMPARE(places.first(),
             QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/kestro/Examples"));
    QVERIFY(places.contains(QDir::cleanPath(QStringLiteral(KESTRO_DATADIR "/Examples"))));
    QStringList unique = places;
    QCOMPARE(unique.removeDuplicates(), 0);
}

void TestExamplesLocator::defaultLookupUsesCurrentDirectory()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    touch(makeDir(tmp.path() + "/Examples") + "/Example_1.qsmd");
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(tmp.path()));
    const QString found = findExamplesDirectory();
    QVERIFY(QDir::setCurrent(before));
    QCOMPARE(QFileInfo(found).canonicalFilePath(),
             QFileInfo(tmp.path() + "/Examples").canonicalFilePath());
}

QTEST_MAIN(TestExamplesLocator)
#include "tst_exampleslocator.moc"
