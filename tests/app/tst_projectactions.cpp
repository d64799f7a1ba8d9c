// The project lifecycle commands driven through the main window's actions:
// New, Open, Open Examples, Save, Save As, Rename Project, Close Project and
// the command-line open, with every box and file dialog answered by script.

#include "Canvas.h"
#include "CodeGenerator.h"
#include "MainWindow.h"
#include "Project.h"
#include "ProjectBrowser.h"
#include "ProjectActions.h"
#include "RenameProjectDialog.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "TreeModel.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace WindowProjectFixture;

namespace {

const QString kCorrupt = QStringLiteral("Design file is corrupt and cannot be opened. \nOpening Project Aborted.");

} // namespace

class TestProjectActions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void newProjectRefusesNamesWithBlanks();
    void newProjectAppendsExtensionAndOpens();
    void saveAndOpenRoundTripIsByteIdentical();
    void saveAsSwitchesTheProjectFile();
    void replacingTheFileReallyWrittenIsAsked();
    void saveAsReplacesALinkNeverItsTarget();
    void failedSavesKeepOldFileAndModifiedFlag();
    void corruptFileKeepsOpenProject();
    void unsavedChangesPromptBeforeOpen();
    void renameProject();
    void closeProject();
    void openExamples();
    void commandLineOpen();
    void codeGeneratorFollowsProjectPath();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    bool openSample(MainWindow &w, ScriptedPrompter &prompter, const QString &file);
};

void TestProjectActions::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void TestProjectActions::init()
{
    store().clear();
}

bool TestProjectActions::openSample(MainWindow &w, ScriptedPrompter &prompter, const QString &file)
{
    if (!writeDocument(nestedDocument(), file))
        return false;
    prompter.openAnswers << OpenFileResult{{file}, m_dir.path()};
    action(w, "actionOpen")->trigger();
    return w.projectActions()->projectPath() == file && w.project()->canvases().size() == 8;
}

void TestProjectActions::newProjectRefusesNamesWithBlanks()
{
    ScriptedPrompter prompter;
    MainWindow w;
    for (const QString &name : {QStringLiteral("my project"), QStringLiteral(".qsmd"),
                                QStringLiteral("na-me.qsmd"), QStringLiteral("Zähler")}) {
        prompter.saveAnswers << path(name);
        trigger(w, "actionNew");
        QCOMPARE(prompter.messages.last().title, QStringLiteral("Kestro"));
        QCOMPARE(prompter.messages.last().text,
                 QStringLiteral("File name cannot be blank or contain special characters. "
                                "Creating Project Aborted."));
    }
    QVERIFY(QDir(m_dir.path()).entryList(QDir::Files).isEmpty());
    QVERIFY(w.project()->canvases().isEmpty());

    const FileRequest asked = prompter.fileRequests.first();
    QCOMPARE(asked.caption, QStringLiteral("Create a new project"));
    QCOMPARE(asked.filter, QStringLiteral("*.qsmd"));
    QCOMPARE(asked.directory, ProjectActions::startDirectory());

    // Cancelling the dialog does nothing at all.
    const int shown = prompter.messages.size();
    trigger(w, "actionNew");
    QCOMPARE(prompter.messages.size(), shown);
}

void TestProjectActions::newProjectAppendsExtensionAndOpens()
{
    ScriptedPrompter prompter;
    MainWindow w;
    prompter.saveAnswers << path("Alpha_1");
    trigger(w, "actionNew");
    const QString file = path("Alpha_1.qsmd");
    QVERIFY(QFile::exists(file));
    QVERIFY(!QFile::exists(path("Alpha_1")));
    QVERIFY(prompter.messages.isEmpty());
    QCOMPARE(w.projectActions()->projectPath(), file);
    QCOMPARE(w.projectActions()->projectName(), QStringLiteral("Alpha_1"));
    QCOMPARE(w.project()->canvases().size(), 5);
    QCOMPARE(w.project()->shownCanvas(), w.project()->canvases().first());
    QCOMPARE(w.project()->shownCanvas()->name(), QStringLiteral("Alpha_1"));
    QCOMPARE(w.toolContext(), 1);
    QVERIFY(!w.project()->isModified());
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Project %1 created successfully").arg(file));
    Canvas *machine = canvasNamed(w, QStringLiteral("StateMachine_1"), 5);
    QVERIFY(machine);
    QCOMPARE(machine->states().size(), 2);
    QCOMPARE(machine->transitions().size(), 1);

    // A second new project replaces the first; the first's changes are
    // offered for saving (Discard here) and its file stays as it was.
    const QByteArray before = fileBytes(file);
    w.project()->markModified();
    prompter.saveAnswers << path("Beta.qsmd");
    prompter.messageAnswers << QMessageBox::Discard;
    trigger(w, "actionNew");
    QCOMPARE(prompter.messages.last().text, QStringLiteral("There are unsaved changes in project."));
    QCOMPARE(prompter.messages.last().informativeText, QStringLiteral("Do you want to save your changes?"));
    QCOMPARE(prompter.messages.last().buttons, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    QCOMPARE(prompter.messages.last().defaultButton, QMessageBox::Save);
    QCOMPARE(w.projectActions()->projectName(), QStringLiteral("Beta"));
    QCOMPARE(fileBytes(file), before);
}

void TestProjectActions::saveAndOpenRoundTripIsByteIdentical()
{
    ScriptedPrompter prompter;
    MainWindow w;
    const QString sample = path("roundtrip.qsmd");
    QVERIFY(openSample(w, prompter, sample));

    // The first save lays link, memory and dataflow boxes out around their
    // texts; from then on a project reads back and saves as it was.
    w.project()->markModified();
    trigger(w, "actionSave");
    QVERIFY(!w.project()->isModified());
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Changes have been saved successfully"));
    const QByteArray written = fileBytes(sample);
    QVERIFY(written.contains("label=\"bus\""));
    QVERIFY(written.contains("<label>CPU_B_Idle</label>"));
    prompter.openAnswers << OpenFileResult{{sample}, m_dir.path()};
    trigger(w, "actionOpen");
    w.project()->markModified();
    trigger(w, "actionSave");
    QCOMPARE(fileBytes(sample), written);

    // A new project saved, opened again and saved again is the same file.
    prompter.saveAnswers << path("Fresh.qsmd");
    trigger(w, "actionNew");
    w.project()->markModified();
    trigger(w, "actionSave");
    const QByteArray saved = fileBytes(path("Fresh.qsmd"));
    prompter.openAnswers << OpenFileResult{{path("Fresh.qsmd")}, m_dir.path()};
    trigger(w, "actionOpen");
    QCOMPARE(w.statusBar()->currentMessage(),
             QStringLiteral("Project %1 opened successfully").arg(path("Fresh.qsmd")));
    w.project()->markModified();
    trigger(w, "actionSave");
    QCOMPARE(fileBytes(path("Fresh.qsmd")), saved);
    QVERIFY(prompter.messages.isEmpty());
}

void TestProjectActions::saveAsSwitchesTheProjectFile()
{
    ScriptedPrompter prompter;
    MainWindow w;
    const QString first = path("first.qsmd");
    QVERIFY(openSample(w, prompter, first));
    w.project()->markModified();
    trigger(w, "actionSave");
    const QByteArray firstBytes = fileBytes(first);

    prompter.saveAnswers << path("second");
    trigger(w, "actionSave_As");
    const QString second = path("second.qsmd");
    QCOMPARE(prompter.fileRequests.last().caption, QStringLiteral("Save File As"));
    QCOMPARE(prompter.fileRequests.last().filter, QStringLiteral("*.qsmd"));
    QCOMPARE(w.projectActions()->projectPath(), second);
    QCOMPARE(fileBytes(second), firstBytes);
    QVERIFY(!w.project()->isModified());
    QCOMPARE(w.project()->canvases().size(), 8);

    // A later Save writes to the new file only.
    QVERIFY(w.projectActions()->renameActiveProject(QStringLiteral("Renamed")));
    QVERIFY(fileBytes(second).contains("Renamed"));
    QCOMPARE(fileBytes(first), firstBytes);

    // Cancelling changes nothing.
    trigger(w, "actionSave_As");
    QCOMPARE(w.projectActions()->projectPath(), second);
}

void TestProjectActions::replacingTheFileReallyWrittenIsAsked()
{
    ScriptedPrompter prompter;
    MainWindow w;
    const QString other = path("other.qsmd");
    QVERIFY(writeDocument(nestedDocument(QStringLiteral("X"), QStringLiteral("Y")), other));
    const QByteArray otherBytes = fileBytes(other);
    const QString current = path("current.qsmd");
    QVERIFY(openSample(w, prompter, current));
    prompter.messages.clear();

    // The name typed lacks the extension: the dialog asked about "other",
    // so the file really written is asked about; No keeps it.
    const auto asked = [&prompter, &other] {
        if (prompter.messages.isEmpty())
            return false;
        const MessageRequest &r = prompter.messages.last();
        return r.title == QStringLiteral("Kestro")
               && r.text == QStringLiteral("%1 already exists.").arg(QDir::toNativeSeparators(other))
               && r.informativeText == QStringLiteral("Do you want to replace it?")
               && r.buttons == (QMessageBox::Yes | QMessageBox::No)
               && r.defaultButton == QMessageBox::No;
    };
    for (const char *command : {"actionSave_As", "actionNew"}) {
        prompter.saveAnswers << path("other");
        prompter.messageAnswers << QMessageBox::No;
        trigger(w, command);
        QVERIFY2(asked(), command);
        QCOMPARE(prompter.fileRequests.last().defaultSuffix, QStringLiteral("qsmd"));
        QCOMPARE(fileBytes(other), otherBytes);
        QCOMPARE(w.projectActions()->projectPath(), current);
        QCOMPARE(w.project()->canvases().size(), 8);
    }

    // Yes replaces it; a name the dialog itself asked about is not asked
    // about twice.
    prompter.saveAnswers << path("other");
    prompter.messageAnswers << QMessageBox::Yes;
    trigger(w, "actionSave_As");
    QCOMPARE(w.projectActions()->projectPath(), other);
    QVERIFY(fileBytes(other) != otherBytes);
    const int shown = prompter.messages.size();
    prompter.saveAnswers << current;
    trigger(w, "actionSave_As");
    QCOMPARE(prompter.messages.size(), shown);
    QCOMPARE(w.projectActions()->projectPath(), current);

    // New drops blanks around the typed name: project and file are "Gamma".
    prompter.saveAnswers << path("  Gamma ");
    trigger(w, "actionNew");
    QCOMPARE(w.projectActions()->projectPath(), path("Gamma.qsmd"));
    QCOMPARE(w.projectActions()->projectName(), QStringLiteral("Gamma"));
}

void TestProjectActions::saveAsReplacesALinkNeverItsTarget()
{
    ScriptedPrompter prompter;
    MainWindow w;
    const QString current = path("linked.qsmd");
    QVERIFY(openSample(w, prompter, current));
    prompter.messages.clear();
    const QString victim = path("victim.txt");
    QFile file(victim);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("precious");
    file.close();
    const QString planted = path("planted.qsmd");   // dangling
    const QString toVictim = path("toVictim.qsmd");
    const QString dangling = path("dangling.qsmd");
    QVERIFY(QFile::link(victim, toVictim));
    QVERIFY(QFile::link(planted, dangling));

    // A dangling link is an existing file the dialog could not see: asked
    // about, and No writes nothing anywhere.
    prompter.saveAnswers << dangling;
    prompter.messageAnswers << QMessageBox::No;
    trigger(w, "actionSave_As");
    QCOMPARE(prompter.messages.size(), 1);
    QCOMPARE(prompter.messages.last().text, QStringLiteral("%1 already exists.").arg(QDir::toNativeSeparators(dangling)));
    QVERIFY(!QFileInfo::exists(planted));
    QCOMPARE(w.projectActions()->projectPath(), current);

    // Replacing either link writes a file in its place; the targets stay.
    for (const QString &link : {dangling, toVictim}) {
        prompter.saveAnswers << link;
        prompter.messageAnswers << QMessageBox::Yes;
        trigger(w, "actionSave_As");
        QCOMPARE(w.projectActions()->projectPath(), link);
        QVERIFY(!QFileInfo(link).isSymLink());
        QVERIFY(fileBytes(link).contains("<QsmdProject>"));
    }
    QVERIFY(!QFileInfo::exists(planted));
    QCOMPARE(fileBytes(victim), QByteArray("precious"));

    // A project opened through a link is saved to the file it was read from.
    const QString real = path("real.qsmd");
    QVERIFY(QFile::copy(current, real));
    const QString alias = path("alias.qsmd");
    QVERIFY(QFile::link(real, alias));
    QVERIFY(w.projectActions()->openFile(alias));
    QVERIFY(w.projectActions()->renameActiveProject(QStringLiteral("ThroughLink")));
    QVERIFY(QFileInfo(alias).isSymLink());
    QVERIFY(fileBytes(real).contains("ThroughLink"));
}

void TestProjectActions::failedSavesKeepOldFileAndModifiedFlag()
{
    ScriptedPrompter prompter;
    MainWindow w;
    const QString file = path("keep.qsmd");
    QVERIFY(openSample(w, prompter, file));
    const QByteArray old = fileBytes(file);

    // Save As into a directory that does not exist.
    const QString nowhere = path("missing/dir/other.qsmd");
    w.project()->markModified();
    prompter.saveAnswers << nowhere;
    trigger(w, "actionSave_As");
    QCOMPARE(prompter.messages.size(), 1);
    QCOMPARE(prompter.messages.last().title, QStringLiteral("Kestro"));
    QCOMPARE(prompter.messages.last().icon, QMessageBox::Critical);
    QVERIFY(prompter.messages.last().text.contains(nowhere));
    QVERIFY(!prompter.messages.last().informativeText.isEmpty());
    QCOMPARE(w.projectActions()->projectPath(), file);
    QVERIFY(w.project()->isModified());

    // Save over a path that has become a directory (refused even for root).
    QVERIFY(QFile::rename(file, path("keep.moved")));
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("keep.qsmd")));
    trigger(w, "actionSave");
    QCOMPARE(prompter.messages.size(), 2);
    QVERIFY(prompter.messages.last().text.contains(file));
    QVERIFY(w.project()->isModified());
    QVERIFY(w.statusBar()->currentMessage() != QStringLiteral("Changes have been saved successfully"));
    QVERIFY(QDir(m_dir.path()).rmdir(QStringLiteral("keep.qsmd")));
    QVERIFY(QFile::rename(path("keep.moved"), file));
    QCOMPARE(fileBytes(file), old);

    // A save that fails inside Close Project keeps the project open.
    QVERIFY(QFile::rename(file, path("keep.moved")));
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("keep.qsmd")));
    prompter.messageAnswers << QMessageBox::Save;
    trigger(w, "actionClose_Project");
    QCOMPARE(w.project()->canvases().size(), 8);
    QVERIFY(w.project()->isModified());

    // ... and inside Rename Project: the name changes in memory, the
    // failure is told and the project stays modified.
    w.projectActions()->setDialogRunner([](QDialog *dialog) {
        static_cast<RenameProjectDialog *>(dialog)->lineEdit()->setText(QStringLiteral("Other"));
        return int(QDialog::Accepted);
    });
    const int shown = prompter.messages.size();
    trigger(w, "actionRename_Project");
    QCOMPARE(prompter.messages.size(), shown + 1);
    QCOMPARE(prompter.messages.last().icon, QMessageBox::Critical);
    QVERIFY(w.project()->isModified());

    // ... and the window's own close prompt refuses to close.
    prompter.messageAnswers << QMessageBox::Save;
    QVERIFY(!w.close());
    QVERIFY(w.project()->isModified());
    QVERIFY(QDir(m_dir.path()).rmdir(QStringLiteral("keep.qsmd")));
    QVERIFY(QFile::rename(path("keep.moved"), file));
    QCOMPARE(fileBytes(file), old);

    // Before Open, a failed save stops the Open: the changes are not lost.
    QVERIFY(QFile::rename(file, path("keep.moved")));
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("keep.qsmd")));
    const QString other = path("other.qsmd");
    QVERIFY(writeDocument(nestedDocument(QStringLiteral("X"), QStringLiteral("Y")), other));
    prompter.messageAnswers << QMessageBox::Save;
    prompter.openAnswers << OpenFileResult{{other}, m_dir.path()};
    trigger(w, "actionOpen");
    QCOMPARE(w.projectActions()->projectPath(), file);
    QCOMPARE(w.projectActions()->projectName(), QStringLiteral("Other"));
    QVERIFY(w.project()->isModified());
    QVERIFY(QDir(m_dir.path()).rmdir(QStringLiteral("keep.qsmd")));
    QVERIFY(QFile::rename(path("keep.moved"), file));
}

void TestProjectActions::corruptFileKeepsOpenProject()
{
    ScriptedPrompter prompter;
    MainWindow w;
    const QString file = path("good.qsmd");
    QVERIFY(openSample(w, prompter, file));
    const QList<Canvas *> canvases = w.project()->canvases();
    Canvas *machine = canvasNamed(w, QStringLiteral("SM"), 5);
    QVERIFY(machine);
    const QString firstState = machine->states().first()->label();
    w.project()->markModified();

    // Reordered state children fail the check pass; a truncated file too.
    QByteArray bytes = fileBytes(file);
    QByteArray reordered = bytes;
    reordered.replace("<level>6</level>\n                    <parentId>1</parentId>",
                      "<parentId>1</parentId>\n                    <level>6</level>");
    QVERIFY(reordered != bytes);
    const QList<QByteArray> corrupt = {reordered, bytes.left(bytes.size() / 2), QByteArray()};
    for (const QByteArray &content : corrupt) {
        QFile out(path("bad.qsmd"));
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(content);
        out.close();
        prompter.messageAnswers << QMessageBox::Discard;   // the unsaved-changes prompt
        prompter.openAnswers << OpenFileResult{{path("bad.qsmd")}, m_dir.path()};
        trigger(w, "actionOpen");
        QCOMPARE(prompter.messages.last().text, kCorrupt);
        QCOMPARE(prompter.messages.last().title, QStringLiteral("Kestro"));
        QCOMPARE(w.project()->canvases(), canvases);
        QCOMPARE(w.project()->shownCanvas(), canvases.first());
        QCOMPARE(w.projectActions()->projectPath(), file);
        QCOMPARE(w.projectActions()->codeGenerator()->outputDirectory(), m_dir.path() + "/");
        QCOMPARE(machine->states().first()->label(), firstState);
        QCOMPARE(w.project()->treeModel()->rowCount(w.project()->treeModel()->index(0, 0)), 1);
        QCOMPARE(w.toolContext(), 1);
    }
}

void TestProjectActions::unsavedChangesPromptBeforeOpen()
{
    ScriptedPrompter prompter;
    MainWindow w;
    const QString file = path("changed.qsmd");
    QVERIFY(openSample(w, prompter, file));
    const QString other = path("target.qsmd");
    QVERIFY(writeDocument(nestedDocument(QStringLiteral("P"), QStringLiteral("Q")), other));

    // Save writes the changes first, then the other file opens.
    QVERIFY(w.projectActions()->renameActiveProject(QStringLiteral("Changed")));
    w.project()->treeModel()->renameNode(w.project()->treeModel()->index(0, 0), QStringLiteral("Changed2"));
    w.project()->canvases().first()->setName(QStringLiteral("Changed2"));
    w.project()->markModified();
    prompter.messageAnswers << QMessageBox::Save;
    prompter.openAnswers << OpenFileResult{{other}, m_dir.path()};
    trigger(w, "actionOpen");
    QVERIFY(fileBytes(file).contains("Changed2"));
    QCOMPARE(w.projectActions()->projectPath(), other);
    QVERIFY(canvasNamed(w, QStringLiteral("P"), 3));
    QVERIFY(!w.project()->isModified());

    // Unmodified: no prompt.
    const int shown = prompter.messages.size();
    prompter.openAnswers << OpenFileResult{{file}, m_dir.path()};
    trigger(w, "actionOpen");
    QCOMPARE(prompter.messages.size(), shown);
    QCOMPARE(w.projectActions()->projectName(), QStringLiteral("Changed2"));
}

void TestProjectActions::renameProject()
{
    ScriptedPrompter prompter;
    MainWindow w;
    const QString file = path("rename.qsmd");
    QVERIFY(openSample(w, prompter, file));
    const QByteArray before = fileBytes(file);
    ProjectActions *commands = w.projectActions();

    // Each run of the dialog types the next name and accepts; with none
    // left it is cancelled (a refused name keeps the dialog open).
    QString typed;
    int runs = 0;
    RenameProjectDialog *shownDialog = nullptr;
    QString presetName;
    QString shownText;
    commands->setDialogRunner([&](QDialog *dialog) {
        shownDialog = static_cast<RenameProjectDialog *>(dialog);
        shownText = shownDialog->lineEdit()->text();
        if (++runs > 1)
            return int(QDialog::Rejected);
        presetName = shownText;
        shownDialog->lineEdit()->setText(typed);
        return int(QDialog::Accepted);
    });

    // The same name: no message, no save.
    typed = QStringLiteral("Proj");
    trigger(w, "actionRename_Project");
    QVERIFY(shownDialog);
    QCOMPARE(shownDialog->windowTitle(), QStringLiteral("Rename Project"));
    QVERIFY(shownDialog->maximumHeight() <= 118);
    QCOMPARE(presetName, QStringLiteral("Proj"));
    QVERIFY(prompter.messages.isEmpty());
    QVERIFY(!w.project()->isModified());
    QCOMPARE(fileBytes(file), before);
    RenameProjectDialog *first = shownDialog;

    // Case matters: "proj" is another name. Special characters are refused.
    for (const QString &bad : {QStringLiteral("bad/name"), QStringLiteral("Zähler")}) {
        typed = bad;
        runs = 0;
        trigger(w, "actionRename_Project");
        QCOMPARE(shownDialog, first);
        // Shown again after the refusal, with the refused name to correct.
        QCOMPARE(runs, 2);
        QCOMPARE(shownText, bad);
        QCOMPARE(prompter.messages.last().text,
                 QStringLiteral("Kestro could not rename the project as the name contains special "
                                "characters. Please remove special characters from the project "
                                "name and try again."));
        QCOMPARE(shownDialog->lineEdit()->styleSheet(), QStringLiteral("border: 1px solid red"));
        QCOMPARE(commands->projectName(), QStringLiteral("Proj"));
        QCOMPARE(fileBytes(file), before);
    }

    // An empty name, or one of blanks only, is refused as empty.
    for (const QString &empty : {QString(), QStringLiteral("   ")}) {
        typed = empty;
        runs = 0;
        trigger(w, "actionRename_Project");
        QCOMPARE(runs, 2);
        QCOMPARE(prompter.messages.last().text,
                 QStringLiteral("Kestro could not rename the project as the name is empty. "
                                "Please enter a project name and try again."));
        QCOMPARE(shownDialog->lineEdit()->styleSheet(), QStringLiteral("border: 1px solid red"));
        QCOMPARE(commands->projectName(), QStringLiteral("Proj"));
        QCOMPARE(fileBytes(file), before);
    }

    // A name with blanks is accepted without the blanks around it, shown at
    // once and saved.
    typed = QStringLiteral("  My Project 2 ");
    runs = 0;
    trigger(w, "actionRename_Project");
    QCOMPARE(runs, 1);
    QCOMPARE(prompter.messages.size(), 4);
    QCOMPARE(commands->projectName(), QStringLiteral("My Project 2"));
    QCOMPARE(w.project()->canvases().first()->name(), QStringLiteral("My Project 2"));
    QVERIFY(!w.project()->isModified());
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Changes have been saved successfully"));
    QVERIFY(fileBytes(file).contains("label=\"My Project 2\""));
    QVERIFY(fileBytes(file).contains("\nMy Project 2\r\n") || fileBytes(file).contains("\nMy Project 2\n"));
    QCOMPARE(commands->projectPath(), file);

    // Cancelled: nothing.
    commands->setDialogRunner([](QDialog *) { return int(QDialog::Rejected); });
    trigger(w, "actionRename_Project");
    QCOMPARE(commands->projectName(), QStringLiteral("My Project 2"));
}

void TestProjectActions::closeProject()
{
    ScriptedPrompter prompter;
    MainWindow w;
    const QString file = path("close.qsmd");
    QVERIFY(openSample(w, prompter, file));
    const QByteArray before = fileBytes(file);
    auto closedToBlank = [&w] {
        return w.project()->canvases().isEmpty() && w.project()->treeModel()->rowCount() == 0
               && w.toolContext() == 0 && w.project()->shownCanvas() == nullptr
               && w.statusBar()->currentMessage() == QStringLiteral("No project is open. Create one with File > New or open one with File > Open.");
    };

    // Modified, Cancel: nothing.
    w.project()->rename(QStringLiteral("Unsaved"));
    w.project()->markModified();
    prompter.messageAnswers << QMessageBox::Cancel;
    trigger(w, "actionClose_Project");
    const MessageRequest asked = prompter.messages.last();
    QCOMPARE(asked.text, QStringLiteral("Project has been modified."));
    QCOMPARE(asked.informativeText, QStringLiteral("Do you want to save your changes?"));
    QCOMPARE(asked.buttons, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    QCOMPARE(asked.defaultButton, QMessageBox::Save);
    QCOMPARE(w.project()->canvases().size(), 8);
    QVERIFY(w.project()->isModified());

    // Discard: closed, file untouched.
    prompter.messageAnswers << QMessageBox::Discard;
    trigger(w, "actionClose_Project");
    QVERIFY(closedToBlank());
    QCOMPARE(fileBytes(file), before);

    // Save: written, then closed.
    QVERIFY(openSample(w, prompter, file));
    w.project()->rename(QStringLiteral("Kept"));
    w.project()->markModified();
    prompter.messageAnswers << QMessageBox::Save;
    trigger(w, "actionClose_Project");
    QVERIFY(closedToBlank());
    QVERIFY(fileBytes(file).contains("label=\"Kept\""));

    // Unmodified: no question.
    prompter.openAnswers << OpenFileResult{{file}, m_dir.path()};
    trigger(w, "actionOpen");
    const int shown = prompter.messages.size();
    trigger(w, "actionClose_Project");
    QCOMPARE(prompter.messages.size(), shown);
    QVERIFY(closedToBlank());
}

void TestProjectActions::openExamples()
{
    ScriptedPrompter prompter;
    MainWindow w;
    QString examples = path("Examples");
    w.projectActions()->setExamplesFinder([&examples] { return examples; });
    const QString missing = QStringLiteral("Kestro could not find the Examples directory on this computer.");

    trigger(w, "actionOpen_Examples");
    QCOMPARE(prompter.messages.last().text, missing);
    QCOMPARE(prompter.messages.last().title, QStringLiteral("Kestro"));
    QVERIFY(prompter.fileRequests.isEmpty());

    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("Examples")));
    trigger(w, "actionOpen_Examples");
    QCOMPARE(prompter.messages.size(), 2);
    QCOMPARE(prompter.messages.last().text, missing);

    const QString sample = path("Examples/Sample.qsmd");
    QVERIFY(writeDocument(nestedDocument(), sample));
    prompter.openAnswers << OpenFileResult{{sample}, path("Examples")};
    trigger(w, "actionOpen_Examples");
    QCOMPARE(prompter.fileRequests.last().caption, QStringLiteral("Open Project"));
    QCOMPARE(prompter.fileRequests.last().directory, QDir(path("Examples")).absolutePath());
    QCOMPARE(prompter.fileRequests.last().filter, QStringLiteral("*.qsmd"));
    QCOMPARE(w.projectActions()->projectPath(), sample);
    QCOMPARE(w.projectActions()->codeGenerator()->outputDirectory(), path("Examples") + "/");
    // Open Examples does not move the Open dialog's start.
    QVERIFY(!store().contains(ProjectActions::previousDirectoryKey()));
}

void TestProjectActions::commandLineOpen()
{
    ScriptedPrompter prompter;
    MainWindow w;
    const QString missing = path("nothere.qsmd");
    w.openFromCommandLine(missing);
    QCOMPARE(prompter.messages.size(), 1);
    QCOMPARE(prompter.messages.last().title, QStringLiteral("Kestro"));
    QCOMPARE(prompter.messages.last().text,
             QStringLiteral("There was an error opening the file ") + missing
                 + QStringLiteral(": it does not exist. Try opening the file with Open Project."));
    // A folder is named as one.
    w.openFromCommandLine(m_dir.path());
    QCOMPARE(prompter.messages.last().text,
             QStringLiteral("There was an error opening the file %1: it is a folder, not a project file. "
                            "Try opening the file with Open Project.")
                 .arg(m_dir.path()));
    prompter.messages.removeLast();
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("No project is open. Create one with File > New or open one with File > Open."));
    QVERIFY(w.project()->canvases().isEmpty());

    // An existing file opens without asking, even over unsaved changes.
    const QString file = path("cmd.qsmd");
    QVERIFY(writeDocument(nestedDocument(), file));
    prompter.saveAnswers << path("Scratch.qsmd");
    trigger(w, "actionNew");
    w.project()->markModified();
    w.openFromCommandLine(file);
    QCOMPARE(prompter.messages.size(), 1);
    QCOMPARE(w.projectActions()->projectPath(), file);
    QCOMPARE(w.projectActions()->projectName(), QStringLiteral("Proj"));
    QVERIFY(!w.project()->isModified());
    QCOMPARE(w.projectActions()->codeGenerator()->outputDirectory(), m_dir.path() + "/");

    // A missing file while a project is open keeps that project.
    w.openFromCommandLine(missing);
    QCOMPARE(prompter.messages.size(), 2);
    QCOMPARE(w.projectActions()->projectPath(), file);
    QCOMPARE(w.project()->canvases().size(), 8);

    // So does a rejected file, and its unsaved changes stay marked as such.
    const QString corrupt = path("corrupt.qsmd");
    QFile bad(corrupt);
    QVERIFY(bad.open(QIODevice::WriteOnly));
    QCOMPARE(bad.write("<not a project"), qint64(14));
    bad.close();
    w.project()->markModified();
    w.openFromCommandLine(corrupt);
    QCOMPARE(prompter.messages.size(), 3);
    QCOMPARE(w.projectActions()->projectPath(), file);
    QCOMPARE(w.project()->canvases().size(), 8);
    QVERIFY(w.project()->isModified());
}

void TestProjectActions::codeGeneratorFollowsProjectPath()
{
    ScriptedPrompter prompter;
    MainWindow w;
    const QString file = path("gen/Machines.qsmd");
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("gen")));
    QVERIFY(openSample(w, prompter, file));
    CodeGenerator *generator = w.projectActions()->codeGenerator();
    QCOMPARE(generator->outputDirectory(), path("gen") + "/");

    w.storedSettings().author = QStringLiteral("Ada");
    w.storedSettings().organization = QStringLiteral("Works");
    QVERIFY(!w.storedSettings().hasVersion);
    generator->setDialogRunner([](QDialog *) { return int(QDialog::Rejected); });
    trigger(w, "actionCode_Generator");
    QCOMPARE(generator->author(), QStringLiteral("Ada"));
    QCOMPARE(generator->version(), 1.0);
    QVERIFY(!w.storedSettings().hasVersion);   // nothing written back when cancelled
    QVERIFY(!QFile::exists(path("gen/SM.c")));

    // Accepted with unsaved changes: offered for saving, then every state
    // machine is generated into the project's directory.
    w.project()->markModified();
    generator->setDialogRunner([](QDialog *dialog) {
        return dialog->inherits("CodegenProperties") ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    prompter.messageAnswers << QMessageBox::Discard;
    trigger(w, "actionCode_Generator");
    QCOMPARE(prompter.messages.first().text, QStringLiteral("There are unsaved changes in project."));
    QCOMPARE(prompter.messages.first().buttons, QMessageBox::Save | QMessageBox::Discard);
    QVERIFY(w.project()->isModified());
    QVERIFY(QFile::exists(path("gen/SM.c")));
    QVERIFY(QFile::exists(path("gen/SM.h")));
    QVERIFY(fileBytes(path("gen/SM.c")).contains("Proj"));
    QCOMPARE(w.statusBar()->currentMessage(),
             QStringLiteral("Source file successfully created at %1 ").arg(path("gen") + "/"));
    QVERIFY(w.storedSettings().hasVersion);
    QCOMPARE(w.storedSettings().version, 1.0);
    QCOMPARE(w.storedSettings().author, QStringLiteral("Ada"));
}

QTEST_MAIN(TestProjectActions)
#include "tst_projectactions.moc"
