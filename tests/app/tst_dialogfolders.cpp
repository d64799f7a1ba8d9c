// Where the project file dialogs (New, Open, Save As) start: the folder
// used last, else the documents folder, else the home folder, each only
// while it exists.

#include "MainWindow.h"
#include "ProjectActions.h"
#include "ScriptedPrompter.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace WindowProjectFixture;

namespace {

const QString kCorrupt = QStringLiteral("Design file is corrupt and cannot be opened. \nOpening Project Aborted.");

} // namespace

class TestDialogFolders : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }
    void init() { store().clear(); }
    void previousDirectoryIsTheFolderLastUsed();
    void fileDialogsStartInAFolderThatExists();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

void TestDialogFolders::previousDirectoryIsTheFolderLastUsed()
{
    ScriptedPrompter prompter;
    MainWindow w;
    const QString elsewhere = path("elsewhere");
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("elsewhere")));
    store().setValue(ProjectActions::previousDirectoryKey(), elsewhere);

    trigger(w, "actionOpen");   // cancelled
    QCOMPARE(prompter.fileRequests.last().caption, QStringLiteral("Open Project"));
    QCOMPARE(prompter.fileRequests.last().directory, elsewhere);
    QCOMPARE(store().value(ProjectActions::previousDirectoryKey()).toString(), elsewhere);

    // New starts there too; the folder it creates the project in is the
    // one used last from then on.
    prompter.saveAnswers << path("Gamma.qsmd");
    trigger(w, "actionNew");
    QCOMPARE(prompter.fileRequests.last().directory, elsewhere);
    QCOMPARE(store().value(ProjectActions::previousDirectoryKey()).toString(), m_dir.path());
    trigger(w, "actionSave_As");   // cancelled: nothing changes
    QCOMPARE(prompter.fileRequests.last().directory, m_dir.path());
    QCOMPARE(store().value(ProjectActions::previousDirectoryKey()).toString(), m_dir.path());
    // Save As into another folder makes that the one.
    prompter.saveAnswers << path("elsewhere/Delta.qsmd");
    trigger(w, "actionSave_As");
    QCOMPARE(w.projectActions()->projectPath(), path("elsewhere/Delta.qsmd"));
    QCOMPARE(store().value(ProjectActions::previousDirectoryKey()).toString(), elsewhere);
    trigger(w, "actionNew");   // cancelled
    QCOMPARE(prompter.fileRequests.last().directory, elsewhere);

    // An accepted Open stores the dialog's directory, as an absolute path,
    // even when the file turns out corrupt.
    QFile bad(path("elsewhere/broken.qsmd"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("<QsmdProject>");
    bad.close();
    prompter.openAnswers << OpenFileResult{{bad.fileName()}, m_dir.path() + "/elsewhere/../."};
    trigger(w, "actionOpen");
    QCOMPARE(prompter.messages.last().text, kCorrupt);
    QCOMPARE(store().value(ProjectActions::previousDirectoryKey()).toString(), m_dir.path());
}

void TestDialogFolders::fileDialogsStartInAFolderThatExists()
{
    // The suite's home folder is its own (see tests/CMakeLists.txt), so its
    // documents folder can be taken away.
    const QString home = QDir::homePath();
    if (!home.startsWith(QStringLiteral(KESTRO_BINARY_DIR)))
        QSKIP("the home folder is not the suite's own");
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QVERIFY(documents.startsWith(home + QLatin1Char('/')));
    QDir(documents).removeRecursively();

    // No documents folder: the home folder, not a proposed file called
    // "Documents" in it.
    ScriptedPrompter prompter;
    MainWindow w;
    trigger(w, "actionNew");
    QCOMPARE(prompter.fileRequests.last().directory, home);
    QCOMPARE(ProjectActions::startDirectory(), home);
    QVERIFY(QDir().mkpath(documents));
    QCOMPARE(ProjectActions::startDirectory(), documents);
    trigger(w, "actionNew");
    QCOMPARE(prompter.fileRequests.last().directory, documents);

    // A remembered folder that is gone is passed over.
    store().setValue(ProjectActions::previousDirectoryKey(), path("gone"));
    QCOMPARE(ProjectActions::startDirectory(), documents);
    QVERIFY(QDir(documents).removeRecursively());
    QCOMPARE(ProjectActions::startDirectory(), home);
    QVERIFY(QDir().mkpath(path("gone")));
    QCOMPARE(ProjectActions::startDirectory(), path("gone"));
}

QTEST_MAIN(TestDialogFolders)
#include "tst_dialogfolders.moc"
