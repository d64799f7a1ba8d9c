#include "ExamplesLocator.h"
#include "MainWindow.h"
#include "Project.h"
#include "ProjectActions.h"
#include "ScriptedPrompter.h"

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
    void writableExampleIsOpenedItself();
    void readOnlyExampleIsOpenedAsAWritableCopy();
    void copyWithoutADataFolderSaysToSaveAs();
    void bundledExamplesOpenCleanAndSaveAsRead_data();
    void bundledExamplesOpenCleanAndSaveAsRead();

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

    // A firmware repository's own Examples folder: files and folders, but
    // no Kestro project among them.
    const QString firmware = makeDir(root + "/firmware");
    touch(firmware + "/.keep");
    touch(firmware + "/blink.c");
    touch(firmware + "/README.qsmd.txt");
    makeDir(firmware + "/inner.qsmd");
    touch(makeDir(firmware + "/nested") + "/Example_1.qsmd");
    QVERIFY(!isUsableExamplesDirectory(firmware));

    touch(firmware + "/Motor.QSMD");
    QVERIFY(isUsableExamplesDirectory(firmware));
    const QString projects = makeDir(root + "/projects");
    touch(projects + "/Other.qsmd");
    QVERIFY(isUsableExamplesDirectory(projects));
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
    touch(makeDir(work + "/Examples") + "/main.c"); // present but holds no project: not usable
    const QString missing = tmp.path() + "/nowhere/Examples";
    const QString empty = makeDir(tmp.path() + "/empty/Examples");
    const QString first = makeDir(tmp.path() + "/first/Examples");
    touch(first + "/Example_1.qsmd");
    const QString second = makeDir(tmp.path() + "/second/Examples");
    touch(second + "/Example_1.qsmd");

    QCOMPARE(findExamplesDirectory(work, {missing, empty, first, second}), first);
    QCOMPARE(findExamplesDirectory(work, {second, first}), second);

    // A file called Examples in the working directory is not a directory.
    QVERIFY(QDir(work + "/Examples").removeRecursively());
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

void TestExamplesLocator::writableExampleIsOpenedItself()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString example = makeDir(tmp.path() + "/Examples") + "/Example_1.qsmd";
    touch(example);
    const ExampleToOpen open = exampleToOpen(example, true, tmp.path() + "/data");
    QCOMPARE(open.path, example);
    QVERIFY(!open.isCopy);
    QVERIFY(open.note.isEmpty());
    QVERIFY(!QFileInfo::exists(tmp.path() + "/data"));
    QVERIFY(isWritableExample(example));
}

// An installed example cannot be saved or generated beside: the user works
// on a copy in the data folder, made once and then kept with their changes.
void TestExamplesLocator::readOnlyExampleIsOpenedAsAWritableCopy()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString example = makeDir(tmp.path() + "/share/kestro/Examples") + "/Example_1.qsmd";
    touch(example);
    QFile::setPermissions(example, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const QString data = tmp.path() + "/home/.local/share/Orvanta/Kestro";

    const ExampleToOpen first = exampleToOpen(example, false, data);
    const QString copy = data + "/Examples/Example_1.qsmd";
    QCOMPARE(first.path, copy);
    QCOMPARE(exampleCopyPath(example, data), copy);
    QVERIFY(first.isCopy);
    QVERIFY(first.note.contains(QDir::toNativeSeparators(copy)));
    QVERIFY(first.note.startsWith("Opened your copy of the read-only example"));
    QFile copied(copy);
    QVERIFY(copied.permissions() & QFileDevice::WriteOwner);
    QVERIFY(copied.open(QIODevice::ReadWrite));
    QCOMPARE(copied.readAll(), QByteArray("<QsmdProject/>\n"));
    QVERIFY(!QFile::exists(copy + ".part"));

    // The user's work in the copy is never replaced by the installed file.
    copied.resize(0);
    copied.write("<QsmdProject>mine</QsmdProject>");
    copied.close();
    const ExampleToOpen again = exampleToOpen(example, false, data);
    QCOMPARE(again.path, copy);
    QFile reread(copy);
    QVERIFY(reread.open(QIODevice::ReadOnly));
    QCOMPARE(reread.readAll(), QByteArray("<QsmdProject>mine</QsmdProject>"));
}

void TestExamplesLocator::copyWithoutADataFolderSaysToSaveAs()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString example = makeDir(tmp.path() + "/Examples") + "/Example_1.qsmd";
    touch(example);
    touch(tmp.path() + "/data");   // a file where the data folder should be

    const ExampleToOpen open = exampleToOpen(example, false, tmp.path() + "/data");
    QCOMPARE(open.path, example);
    QVERIFY(!open.isCopy);
    QCOMPARE(open.note, QStringLiteral("Example_1.qsmd is read-only: use Save As before changing it or "
                                       "generating code."));
    QCOMPARE(exampleToOpen(example, false, QString()).path, example);
}

QTEST_MAIN(TestExamplesLocator)
#include "tst_exampleslocator.moc"

void TestExamplesLocator::bundledExamplesOpenCleanAndSaveAsRead_data()
{
    QTest::addColumn<QString>("example");
    QTest::addColumn<bool>("savedAsRead");
    const QDir examples(QStringLiteral(KESTRO_SOURCE_DIR "/Examples"));
    const QStringList files = examples.entryList({QStringLiteral("*.qsmd")}, QDir::Files, QDir::Name);
    QVERIFY(files.contains(QStringLiteral("Example_1.qsmd")));
    QVERIFY(files.contains(QStringLiteral("TcpConnection.qsmd")));
    // Example_1 is written straight from records whose link and memory
    // sizes Kestro works out anew from the font when it opens them.
    for (const QString &file : files)
        QTest::newRow(qPrintable(file)) << examples.absoluteFilePath(file) << (file != QLatin1String("Example_1.qsmd"));
}

// Every example opens without a note (nothing unknown, nothing dropped)
// and saving it unchanged asks nothing; one Kestro saved writes back the
// bytes that were read.
void TestExamplesLocator::bundledExamplesOpenCleanAndSaveAsRead()
{
    QFETCH(QString, example);
    QFETCH(bool, savedAsRead);
    QFile original(example);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    QTemporaryDir dir;
    const QString copy = dir.filePath(QFileInfo(example).fileName());
    QVERIFY(QFile::copy(example, copy));

    ScriptedPrompter prompter;
    MainWindow w;
    QVERIFY(w.projectActions()->openFile(copy));
    QVERIFY2(prompter.messages.isEmpty(), qPrintable(prompter.messageTexts().join(QLatin1Char('\n'))));
    QVERIFY(!w.project()->isModified());
    QVERIFY(w.projectActions()->save());
    QVERIFY(prompter.messages.isEmpty());
    if (!savedAsRead)
        return;
    QFile saved(copy);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY2(saved.readAll() == bytes, "saving the unchanged example changed its bytes");
}
