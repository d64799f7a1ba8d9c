#pragma once

// The actions that create, open, save, rename and close a project, and the
// prompts around them. The main window's File-menu slots delegate here.
//
// At most one project is open, the Project. Its file path is handed to the
// code generator, which writes next to the project file. Opening reads the
// whole file into records before the open project is touched, so a file
// that turns out to be unreadable leaves the open project as it was. A save
// that cannot be written says so, keeps the old file and leaves the project
// modified; every command that saves on the way stops then.
//
// The file's stamp (size, time, checksum) is taken before it is read and
// after every write. A save finds out when the file changed on disk since
// and asks before overwriting it (Reload / Overwrite / Cancel); when the
// window is activated after such a change and the project has no unsaved
// changes, Reload is offered at once.

#include "FileStamp.h"
#include "LoadNote.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class CodeGenerator;
class Project;
class ProjectBrowser;
class ProjectWindow;
class QDialog;
class QTreeView;
class RenameProjectDialog;
struct ProjectRecordLists;

class ProjectActions : public QObject
{
    Q_OBJECT

public:
    using DialogRunner = std::function<int(QDialog *)>;
    using ExamplesFinder = std::function<QString()>;

    // treeView: the project browser.
    ProjectActions(ProjectWindow *window, Project *project, QTreeView *treeView);
    ~ProjectActions() override;

    // --- commands ------------------------------------------------------------------
    void newProject();
    void open();
    void openExamples();
    // Writes the open project to its file; false (after saying why) when it
    // could not be written.
    bool save();
    void saveAs();
    void renameProject();
    void closeProject();
    // Opens the file named on the command line (also the tour's way in): no
    // unsaved-changes prompt; a missing file is reported.
    void openFromCommandLine(const QString &path);
    // Opens a recovery copy as the project of `originalPath`, modified, so
    // that Save writes the user's file (after the unsaved-changes prompt).
    // With no `originalPath` it is a separate project with no file yet.
    bool openRecovered(const QString &copyPath, const QString &originalPath);
    void runCodeGenerator();
    // Offers to read the project's file again when it changed on disk and
    // the project has no unsaved changes; a change already declined is not
    // asked about again. Runs when the window is activated.
    void checkFileOnDisk();

    // --- inner operations ------------------------------------------------------------
    // The full open sequence; true when the file is now the open project.
    bool openFile(const QString &path);
    // No project: home screen, no-project tools, the blank-state status.
    void enterBlankState();
    // Gives the level-1 canvas and node a new name and saves.
    bool renameActiveProject(const QString &name);

    // --- state -------------------------------------------------------------------------
    QString projectPath() const;
    bool isProjectOpen() const;
    // The level-1 node's name (empty without a project).
    QString projectName() const;

    ProjectBrowser *browser() const { return m_browser.get(); }
    CodeGenerator *codeGenerator() const { return m_generator.get(); }
    // Null until Rename Project first ran.
    RenameProjectDialog *renameDialog() const { return m_renameDialog; }

    // How modal dialogs of these commands are run (default: exec());
    // tests answer them without a person.
    void setDialogRunner(DialogRunner runner) { m_dialogRunner = std::move(runner); }
    // Where Open Examples looks (default: findExamplesDirectory()).
    void setExamplesFinder(ExamplesFinder finder) { m_examplesFinder = std::move(finder); }

    // The settings key of the directory the last project was opened from.
    static QString previousDirectoryKey();
    // Where the file dialogs of New, Open and Save As start: the last
    // folder used, else the documents folder, else the home folder (a
    // folder that does not exist is never proposed).
    static QString startDirectory();
    // Why the file at path, named on the command line or handed over by a
    // second start, is not opened: its name and the reason.
    static QString notOpenedMessage(const QString &path);

signals:
    // A project file was opened or created, or its changes were recovered.
    void projectOpened(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Records a project made by the user (New, Save As of their own) as trusted.
    void trustOwnProject(const QString &path);
    enum class Purpose { Open, Create, Recover, Reload };

    // The unsaved-changes prompt before New and Open; false when the
    // command must stop because the user's changes could not be saved.
    bool offerToSave();
    // Before a save over the project's own file: true when it may be
    // written (the file is as last read or written, or the user chose
    // Overwrite). Reload reads the file again and, like Cancel, ends the save.
    bool mayOverwriteChangedFile();
    // Before a save over the project's own file when its reading passed
    // over parts this version does not know: true when the user agrees to
    // drop them (Save); Cancel ends the save and keeps the project unsaved.
    bool mayDropUnknownParts();
    // "NAME[*] — Kestro" with the project open, else "Kestro".
    void updateWindowTitle();
    // Why Rename Project refuses `name` (trimmed); empty when it may be used.
    static QString renameRefusal(const QString &name);
    bool openRecords(const QString &path, Purpose purpose);
    LoadNotes buildProject(const ProjectRecordLists &records);
    void reportLoadNotes(const QString &path, const LoadNotes &notes);
    void setProjectPath(const QString &path);
    bool writeTo(const QString &path);
    void reportUnwritten(const QString &path, const QString &reason);
    // The folder New, Open and Save As start in next time.
    static void rememberDirectoryOf(const QString &file);
    // The save-file dialog of New and Save As; empty when cancelled.
    QString askSaveFile(const QString &caption);
    // Whether path, the file the dialog's answer really writes, may be
    // written: asks first when it exists and is not the file the dialog
    // already asked about.
    bool mayReplace(const QString &answer, const QString &path);
    int runDialog(QDialog *dialog);

    ProjectWindow *m_window;
    Project *m_project;
    std::unique_ptr<ProjectBrowser> m_browser;
    std::unique_ptr<CodeGenerator> m_generator;
    RenameProjectDialog *m_renameDialog = nullptr;
    FileStamp m_diskStamp;       // the file as last read or written
    FileStamp m_declinedStamp;   // a change the user chose not to reload
    bool m_checkingDisk = false;
    // How many unknown elements and attributes the reading of the project's
    // file listed; saving over the file drops them (0 once it has).
    int m_unknownParts = 0;
    DialogRunner m_dialogRunner;
    ExamplesFinder m_examplesFinder;
};
