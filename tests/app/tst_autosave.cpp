#include "Autosaver.h"
#include "Canvas.h"
#include "Project.h"
#include "DemoWindow.h"
#include "MainWindow.h"
#include "ProjectActions.h"
#include "ProjectFileWriter.h"
#include "ProjectSnapshot.h"
#include "RecoveryOffer.h"
#include "RecoverySession.h"
#include "RecoveryStore.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "ToolSets.h"
#include "ViewDriver.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <cstdlib>

// This binary doubles as a Kestro that crashes: started with
// KESTRO_AUTOSAVE_CHILD_DIR in its environment it opens the default project
// "Demo" from that folder, inserts a state with the mouse, waits for the
// recovery copy, writes what the project then holds to "expected.qsmd",
// prints "saved" and runs until the test kills it.
namespace {
const char *const kChildDirVar = "KESTRO_AUTOSAVE_CHILD_DIR";

QByteArray snapshotBytes(MainWindow &window)
{
    ProjectDocument document;
    QByteArray bytes;
    if (!ProjectSnapshot::take(window.project()->canvases(), &document) || !ProjectFileWriter().writeToBytes(document, &bytes))
        return QByteArray();
    return bytes;
}

int runCrashingChild(const QString &dir)
{
    ScriptedPrompter prompter;
    MainWindow window;
    const QStringList machine = DemoWindow::machinePath();
    if (!WindowProjectFixture::showDefaultProject(window, QDir(dir).filePath(QStringLiteral("Demo.qsmd")), machine))
        return 2;
    ViewDriver driver(&window);
    driver.insertAt("actionState", QPointF(500, 750));
    QSignalSpy written(window.autosaver(), &Autosaver::copyWritten);
    if (!written.wait(20000))
        return 3;
    QFile expected(QDir(dir).filePath(QStringLiteral("expected.qsmd")));
    if (!expected.open(QIODevice::WriteOnly) || expected.write(snapshotBytes(window)) <= 0)
        return 4;
    expected.close();
    std::printf("saved\n");
    std::fflush(stdout);
    return QApplication::exec();
}

} // namespace

class TestAutosave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void copyIsWrittenAfterAChangeAndRemovedBySave();
    void closingWithoutSavingRemovesTheCopy();
    void switchedOffNothingIsWrittenAndTheChoiceIsKept();
    void offeredWheneverAProjectIsOpen();
    void crashThenStartRecoversTheExactProject();
    void laterKeepsDiscardRemovesDamagedIsKeptAside();
    void copyOlderThanItsFileIsNeverRecoveredOverIt();

private:
    static QString root() { return RecoveryStore::defaultRoot(); }
    // Every copy file under the recovery root, damaged ones included.
    static QStringList copies();
    static void setInterval(double seconds);
};

QStringList TestAutosave::copies()
{
    QStringList found;
    QDirIterator it(root(), {QStringLiteral("*.qsmd")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

void TestAutosave::setInterval(double seconds)
{
    QSettings settings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"));
    settings.setValue(Autosaver::intervalKey(), seconds);
    settings.sync();
}

void TestAutosave::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QCoreApplication::setApplicationName(QStringLiteral("Kestro"));
    QVERIFY(root().startsWith(QDir::homePath()));
    QDir(root()).removeRecursively();
    setInterval(0.05);
}

void TestAutosave::cleanup()
{
    QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro")).remove(Autosaver::enabledKey());
    QDir(root()).removeRecursively();
}

void TestAutosave::copyIsWrittenAfterAChangeAndRemovedBySave()
{
    DemoWindow demo;
    QVERIFY(demo.show(DemoWindow::machinePath()));
    MainWindow *w = demo.window();
    const QString userFile = demo.filePath(QStringLiteral("Demo.qsmd"));
    const QByteArray saved = WindowProjectFixture::fileBytes(userFile);
    QVERIFY(w->autosaver()->isEnabled());
    QCOMPARE(w->autosaver()->intervalMs(), 50);

    // Unmodified: several intervals pass without a copy.
    QTest::qWait(300);
    w->autosaver()->waitForWorker();
    QVERIFY(copies().isEmpty());

    QSignalSpy written(w->autosaver(), &Autosaver::copyWritten);
    demo.driver()->insertAt("actionState", QPointF(400, 700));
    QVERIFY(demo.isModified());
    QVERIFY(written.wait(5000));
    w->autosaver()->waitForWorker();
    const QString copy = w->autosaver()->copyPath();
    QCOMPARE(copies(), QStringList({copy}));
    QVERIFY(copy.startsWith(root()));
    QCOMPARE(WindowProjectFixture::fileBytes(copy), snapshotBytes(*w));
    QCOMPARE(WindowProjectFixture::fileBytes(userFile), saved);   // never the user's file

    WindowProjectFixture::action(*w, "actionSave")->trigger();
    QVERIFY(!demo.isModified());
    w->autosaver()->waitForWorker();
    QVERIFY(copies().isEmpty());
    QTest::qWait(200);
    w->autosaver()->waitForWorker();
    QVERIFY(copies().isEmpty());
}

void TestAutosave::closingWithoutSavingRemovesTheCopy()
{
    DemoWindow demo;
    QVERIFY(demo.show(DemoWindow::machinePath()));
    MainWindow *w = demo.window();
    QSignalSpy written(w->autosaver(), &Autosaver::copyWritten);
    demo.driver()->insertAt("actionState", QPointF(400, 700));
    QVERIFY(written.wait(5000));
    w->autosaver()->waitForWorker();
    QCOMPARE(copies().size(), 1);

    demo.prompter().messageAnswers << QMessageBox::Discard;
    WindowProjectFixture::action(*w, "actionClose_Project")->trigger();
    QVERIFY(!w->projectActions()->isProjectOpen());
    w->autosaver()->waitForWorker();
    QVERIFY(copies().isEmpty());
    demo.close();
    QVERIFY(QDir(root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

void TestAutosave::switchedOffNothingIsWrittenAndTheChoiceIsKept()
{
    DemoWindow demo;
    QVERIFY(demo.show(DemoWindow::machinePath()));
    MainWindow *w = demo.window();
    QAction *enable = WindowProjectFixture::action(*w, "actionEnable_Autosave");
    QVERIFY(enable->isChecked());
    enable->trigger();
    QVERIFY(!w->autosaver()->isEnabled());
    demo.driver()->insertAt("actionState", QPointF(400, 700));
    QTest::qWait(300);
    w->autosaver()->waitForWorker();
    QVERIFY(copies().isEmpty());
    {
        MainWindow other;
        QVERIFY(!WindowProjectFixture::action(other, "actionEnable_Autosave")->isChecked());
    }
    // Switched on again while modified, the next interval writes a copy.
    QSignalSpy written(w->autosaver(), &Autosaver::copyWritten);
    enable->trigger();
    QVERIFY(written.wait(5000));
    w->autosaver()->waitForWorker();
    QCOMPARE(copies().size(), 1);
    // And off again: the copy goes.
    enable->trigger();
    w->autosaver()->waitForWorker();
    QVERIFY(copies().isEmpty());
}

void TestAutosave::offeredWheneverAProjectIsOpen()
{
    MainWindow w;
    QAction *enable = WindowProjectFixture::action(w, "actionEnable_Autosave");
    QVERIFY(!enable->isEnabled());
    for (int context : {1, 2, 3, 4, 5, int(ToolSets::Tour), int(ToolSets::Simulation)}) {
        w.applyToolSet(ToolSets::NoProject);
        w.applyToolSet(context);
        QVERIFY2(enable->isEnabled(), qPrintable(QString::number(context)));
    }
    w.applyToolSet(ToolSets::NoProject);
    QVERIFY(!enable->isEnabled());
}

void TestAutosave::crashThenStartRecoversTheExactProject()
{
    QTemporaryDir dir;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildDirVar), dir.path());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), QStringList());
    QElapsedTimer timer;
    timer.start();
    while (!child.canReadLine() && child.state() != QProcess::NotRunning && timer.elapsed() < 60000)
        child.waitForReadyRead(200);
    QCOMPARE(child.readLine().trimmed(), QByteArray("saved"));
    child.kill();
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    const QString userFile = dir.filePath(QStringLiteral("Demo.qsmd"));
    const QByteArray unsaved = WindowProjectFixture::fileBytes(userFile);
    const QByteArray expected = WindowProjectFixture::fileBytes(dir.filePath(QStringLiteral("expected.qsmd")));
    QVERIFY(!expected.isEmpty());
    QVERIFY(expected != unsaved);

    ScriptedPrompter prompter;
    MainWindow w;
    RecoveryStore store;
    prompter.messageAnswers << QMessageBox::Yes;
    QCOMPARE(RecoveryOffer::run(&w, store), userFile);
    QCOMPARE(prompter.messages.size(), 1);
    const MessageRequest &question = prompter.messages.first();
    QVERIFY2(question.text.startsWith(
                 QStringLiteral("Kestro was not closed properly. Recover the unsaved changes of Demo from ")),
             qPrintable(question.text));
    QCOMPARE(question.buttonTexts.value(QMessageBox::Yes), QStringLiteral("Recover"));
    QCOMPARE(question.buttonTexts.value(QMessageBox::Cancel), QStringLiteral("Later"));
    QVERIFY(question.buttons & QMessageBox::Discard);

    // The copy is open as the user's project, modified, and exactly as it was.
    QCOMPARE(w.projectActions()->projectPath(), userFile);
    QVERIFY(w.project()->isModified());
    QCOMPARE(snapshotBytes(w), expected);
    QCOMPARE(WindowProjectFixture::fileBytes(userFile), unsaved);

    // Save writes the user's file, and the recovered copy goes.
    QVERIFY(w.projectActions()->save());
    QCOMPARE(WindowProjectFixture::fileBytes(userFile), expected);
    w.autosaver()->waitForWorker();
    QVERIFY(copies().isEmpty());
}

// Killed with unsaved changes, then Later, then the file saved anew: the
// copy left behind is older than the file and must not replace it.
void TestAutosave::copyOlderThanItsFileIsNeverRecoveredOverIt()
{
    QTemporaryDir dir;
    const QString userFile = dir.filePath(QStringLiteral("Stale.qsmd"));
    QVERIFY(ProjectFileWriter().write(WindowProjectFixture::nestedDocument(), userFile));
    const ProjectDocument unsaved = WindowProjectFixture::nestedDocument(QStringLiteral("CPU unsaved"));
    {
        RecoverySession session(root());
        QVERIFY(session.write(unsaved, userFile, QStringLiteral("Stale")));
    }
    // Unchanged file: the usual question.
    {
        ScriptedPrompter prompter;
        MainWindow w;
        RecoveryStore store;
        prompter.messageAnswers << QMessageBox::Cancel;
        QVERIFY(RecoveryOffer::run(&w, store).isEmpty());
        QCOMPARE(prompter.messages.size(), 1);
        QVERIFY(prompter.messages.first().buttons & QMessageBox::Yes);
    }
    // The file is saved with newer work after the copy was taken.
    QVERIFY(ProjectFileWriter().write(WindowProjectFixture::nestedDocument(QStringLiteral("CPU newer")), userFile));
    const QByteArray newer = WindowProjectFixture::fileBytes(userFile);

    ScriptedPrompter prompter;
    MainWindow w;
    RecoveryStore store;
    prompter.messageAnswers << QMessageBox::Cancel << QMessageBox::Open;
    QVERIFY(RecoveryOffer::run(&w, store).isEmpty());   // Later
    QVERIFY(!w.projectActions()->isProjectOpen());
    QCOMPARE(prompter.messages.size(), 1);
    const MessageRequest &question = prompter.messages.first();
    QVERIFY2(question.text.startsWith(QStringLiteral("The recovery copy of Stale from ")), qPrintable(question.text));
    QVERIFY(question.text.contains(QStringLiteral("has been saved since the copy was taken")));
    QVERIFY(!(question.buttons & QMessageBox::Yes));
    QCOMPARE(question.defaultButton, QMessageBox::Cancel);
    QCOMPARE(question.buttonTexts.value(QMessageBox::Open), QStringLiteral("Open as Unsaved Project"));

    // Asked again at the next start; opening it leaves the file alone.
    QVERIFY(RecoveryOffer::run(&w, store).isEmpty());
    QCOMPARE(prompter.messages.size(), 2);
    QVERIFY(w.projectActions()->isProjectOpen());
    QVERIFY(w.projectActions()->projectPath().isEmpty());
    QVERIFY(w.project()->isModified());
    QVERIFY(snapshotBytes(w).contains("CPU unsaved"));
    QCOMPARE(WindowProjectFixture::fileBytes(userFile), newer);

    // Save asks where to put it; declined, nothing is written anywhere.
    prompter.saveAnswers << QString();
    QVERIFY(!w.projectActions()->save());
    QCOMPARE(prompter.fileRequests.size(), 1);
    QCOMPARE(WindowProjectFixture::fileBytes(userFile), newer);
    QVERIFY(w.project()->isModified());
}

void TestAutosave::laterKeepsDiscardRemovesDamagedIsKeptAside()
{
    const ProjectDocument document = WindowProjectFixture::nestedDocument();
    QTemporaryDir dir;
    const QString later = dir.filePath(QStringLiteral("Later.qsmd"));
    const QString dropped = dir.filePath(QStringLiteral("Dropped.qsmd"));
    // Sessions that ended with changes: the later one is newer.
    for (const QString &path : {dropped, later}) {
        RecoverySession session(root());
        QVERIFY(session.write(document, path, QFileInfo(path).baseName()));
        QTest::qWait(20);
    }
    QString damagedCopy;
    {
        RecoverySession session(root());
        QVERIFY(session.write(document, dir.filePath(QStringLiteral("Broken.qsmd")), QStringLiteral("Broken")));
        damagedCopy = session.copyPath();
    }
    QFile copy(damagedCopy);
    QVERIFY(copy.resize(copy.size() / 2));   // cut short

    ScriptedPrompter prompter;
    MainWindow w;
    RecoveryStore store;
    prompter.messageAnswers << QMessageBox::Cancel << QMessageBox::Discard << QMessageBox::Ok;
    QVERIFY(RecoveryOffer::run(&w, store).isEmpty());
    QVERIFY(!w.projectActions()->isProjectOpen());
    const QStringList texts = prompter.messageTexts();
    QCOMPARE(texts.size(), 3);
    QVERIFY(texts.at(0).contains(QLatin1String(" of Later from ")));
    QVERIFY(texts.at(1).contains(QLatin1String(" of Dropped from ")));
    QVERIFY2(texts.at(2).startsWith(QLatin1String("The recovery copy of Broken from ")), qPrintable(texts.at(2)));
    QVERIFY(prompter.messages.at(2).informativeText.contains(QDir::toNativeSeparators(store.damagedFolder())));

    // Later: offered again at the next start; Discard: gone; damaged: kept aside.
    const QVector<RecoveryCandidate> left = store.claimOrphans();
    QCOMPARE(left.size(), 1);
    QCOMPARE(left.first().check.copy.originalPath, later);
    QDirIterator kept(store.damagedFolder(), {QStringLiteral("*.qsmd")}, QDir::Files, QDirIterator::Subdirectories);
    QVERIFY(kept.hasNext());
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kChildDirVar))
        return runCrashingChild(qEnvironmentVariable(kChildDirVar));
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestAutosave test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_autosave.moc"
