#include "ProjectActions.h"

#include "CheckedSaveFile.h"

#include "CodeGenerator.h"
#include "DefaultProject.h"
#include "DiagramFont.h"
#include "ExamplesLocator.h"
#include "Project.h"
#include "ProjectBrowser.h"
#include "ProjectFileReader.h"
#include "ProjectNames.h"
#include "ProjectRecords.h"
#include "ProjectWindow.h"
#include "Prompter.h"
#include "RecordFit.h"
#include "RenameProjectDialog.h"
#include "TrustStore.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

namespace {

const QString kTitle = QStringLiteral("Kestro");
const QString kFilter = QStringLiteral("*.qsmd");
const QString kUnsavedText = QStringLiteral("There are unsaved changes in project.");
const QString kSaveQuestion = QStringLiteral("Do you want to save your changes?");

QString createAbortedMessage()
{
    return QStringLiteral("Design file is corrupt and cannot be opened. Creating Project Aborted.");
}

QString blankStateMessage()
{
    return QStringLiteral("No project is open. Create one with File > New or open one with File > Open.");
}

QSettings store()
{
    return QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"));
}

} // namespace

ProjectActions::ProjectActions(ProjectWindow *window, Project *project, QTreeView *treeView)
    : QObject(project),
      m_window(window),
      m_project(project),
      m_browser(std::make_unique<ProjectBrowser>(window, project, treeView)),
      m_generator(std::make_unique<CodeGenerator>(window->dialogParent())),
      m_examplesFinder([] { return findExamplesDirectory(); })
{
    // The generator writes beside the project file.
    connect(project, &Project::filePathChanged, this,
            [this](const QString &path) { m_generator->setProjectPath(path); });
    // Rows of the code generator's log show their item.
    ProjectBrowser *browser = m_browser.get();
    m_generator->setItemNavigator(
        [browser](const QVector<int> &path, const ItemRef &item) { browser->showItem(path, item); });
    // The installed examples and Kestro's copies of them are its own.
    for (const QString &folder : installedExamplesDirectories())
        TrustStore::trustFolderForSession(folder);
    TrustStore::trustFolderForSession(
        QFileInfo(exampleCopyPath(QStringLiteral("x.qsmd"), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)))
            .absolutePath());
    // Coming back to the window is when a change made elsewhere is noticed.
    if (QWidget *parent = window->dialogParent())
        parent->installEventFilter(this);
    // The title names the open project and marks unsaved changes.
    connect(project, &Project::filePathChanged, this, &ProjectActions::updateWindowTitle);
    connect(project, &Project::modifiedChanged, this, &ProjectActions::updateWindowTitle);
    updateWindowTitle();
}

void ProjectActions::updateWindowTitle()
{
    QWidget *window = m_window->dialogParent();
    if (!window)
        return;
    const QString path = m_project->filePath();
    if (path.isEmpty()) {
        window->setWindowTitle(kTitle);
        window->setWindowModified(false);
        return;
    }
    window->setWindowTitle(QStringLiteral("%1[*] \u2014 %2").arg(QFileInfo(path).completeBaseName(), kTitle));
    window->setWindowModified(m_project->isModified());
}

ProjectActions::~ProjectActions() = default;

QString ProjectActions::previousDirectoryKey()
{
    return QStringLiteral("previousDirectory");
}

// --- state ---------------------------------------------------------------------------

bool ProjectActions::isProjectOpen() const
{
    return m_project->isOpen();
}

QString ProjectActions::projectName() const
{
    return m_project->name();
}

QString ProjectActions::projectPath() const
{
    return m_project->filePath();
}

void ProjectActions::setProjectPath(const QString &path)
{
    m_project->setFilePath(path);
    m_generator->setProjectPath(path);
}

QString ProjectActions::startDirectory()
{
    // A folder that is gone would leave the dialog elsewhere with the
    // folder's name proposed as the file name.
    const QString previous = store().value(previousDirectoryKey()).toString();
    if (!previous.isEmpty() && QFileInfo(previous).isDir())
        return previous;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

void ProjectActions::rememberDirectoryOf(const QString &file)
{
    store().setValue(previousDirectoryKey(), QFileInfo(file).absolutePath());
}

int ProjectActions::runDialog(QDialog *dialog)
{
    return m_dialogRunner ? m_dialogRunner(dialog) : dialog->exec();
}

// --- prompts -------------------------------------------------------------------------

bool ProjectActions::offerToSave()
{
    if (!m_project->isModified())
        return true;
    MessageRequest request;
    request.icon = QMessageBox::Warning;
    request.title = kTitle;
    request.text = kUnsavedText;
    request.informativeText = kSaveQuestion;
    request.buttons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    request.defaultButton = QMessageBox::Save;
    const QMessageBox::StandardButton answer = Prompter::current()->message(m_window->dialogParent(), request);
    // Escape and the close button answer Cancel: the open project stays.
    if (answer == QMessageBox::Discard)
        return true;
    if (answer != QMessageBox::Save)
        return false;
    // Going on after a failed save would throw the changes away.
    return save();
}

bool ProjectActions::mayOverwriteChangedFile()
{
    const QString path = m_project->filePath();
    if (m_diskStamp.matches(path))
        return true;
    MessageRequest request;
    request.icon = QMessageBox::Warning;
    request.title = kTitle;
    request.text = QStringLiteral("%1 has been changed on disk since Kestro read or saved it.")
                       .arg(QDir::toNativeSeparators(path));
    request.informativeText = QStringLiteral(
        "Reload reads the file again: your unsaved changes in Kestro are lost. "
        "Overwrite replaces the file with this project: the changes made on disk are lost.");
    request.buttons = QMessageBox::Reset | QMessageBox::Save | QMessageBox::Cancel;
    request.defaultButton = QMessageBox::Cancel;
    request.buttonTexts.insert(QMessageBox::Reset, QStringLiteral("Reload"));
    request.buttonTexts.insert(QMessageBox::Save, QStringLiteral("Overwrite"));
    const QMessageBox::StandardButton answer = Prompter::current()->message(m_window->dialogParent(), request);
    if (answer == QMessageBox::Save)
        return true;
    if (answer == QMessageBox::Reset)
        openRecords(path, Purpose::Reload);
    return false;
}

bool ProjectActions::mayDropUnknownParts()
{
    if (m_unknownParts == 0)
        return true;
    MessageRequest request;
    request.icon = QMessageBox::Warning;
    request.title = kTitle;
    request.text = QStringLiteral("%1 holds parts that this version of Kestro does not know.")
                       .arg(QDir::toNativeSeparators(m_project->filePath()));
    request.informativeText = QStringLiteral(
        "They were listed when the file was opened. Saving over the file drops them; "
        "Save As keeps the file as it is. Do you want to save over it?");
    request.buttons = QMessageBox::Save | QMessageBox::Cancel;
    request.defaultButton = QMessageBox::Cancel;
    return Prompter::current()->message(m_window->dialogParent(), request) == QMessageBox::Save;
}

void ProjectActions::checkFileOnDisk()
{
    const QString path = m_project->filePath();
    if (m_checkingDisk || !isProjectOpen() || m_project->isModified() || path.isEmpty()
        || m_diskStamp.matches(path))
        return;
    const FileStamp now = FileStamp::of(path);
    if (now == m_declinedStamp)
        return;
    // The box takes the window's activation away and gives it back.
    m_checkingDisk = true;
    MessageRequest request;
    request.icon = QMessageBox::Question;
    request.title = kTitle;
    request.text = QStringLiteral("%1 has been changed on disk.").arg(QDir::toNativeSeparators(path));
    request.informativeText = QStringLiteral("The project has no unsaved changes. Do you want to reload it?");
    request.buttons = QMessageBox::Reset | QMessageBox::Ignore;
    request.defaultButton = QMessageBox::Reset;
    request.buttonTexts.insert(QMessageBox::Reset, QStringLiteral("Reload"));
    const QMessageBox::StandardButton answer = Prompter::current()->message(m_window->dialogParent(), request);
    if (answer == QMessageBox::Reset)
        openRecords(path, Purpose::Reload);
    else
        m_declinedStamp = now;
    m_checkingDisk = false;
}

bool ProjectActions::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && watched == m_window->dialogParent())
        QTimer::singleShot(0, this, [this] {
            // Not under a dialog of the window: the question waits for the next activation.
            if (!QApplication::activeModalWidget())
                checkFileOnDisk();
        });
    return QObject::eventFilter(watched, event);
}

void ProjectActions::reportUnwritten(const QString &path, const QString &reason)
{
    MessageRequest request;
    request.icon = QMessageBox::Critical;
    request.title = kTitle;
    request.text = QStringLiteral("Kestro could not save the project to %1.").arg(path);
    request.informativeText = reason;
    Prompter::current()->message(m_window->dialogParent(), request);
}

// --- opening -------------------------------------------------------------------------

bool ProjectActions::openFile(const QString &path)
{
    if (!offerToSave())
        return false;
    return openRecords(path, Purpose::Open);
}

bool ProjectActions::openRecords(const QString &path, Purpose purpose)
{
    const QString previousPath = m_project->filePath();
    const FileStamp previousStamp = m_diskStamp;
    setProjectPath(path);
    // Taken before reading: a change made while the file is read is then
    // noticed by the next save, never missed.
    m_diskStamp = FileStamp::of(path);

    // The file is read whole into records before the open project is
    // closed, so a file that is rejected leaves the open project exactly as
    // it was. The load pass rejects everything the check pass does, so one
    // reading of a large project is enough.
    ProjectFileReader reader;
    if (!reader.load(path) || reader.records().processes.isEmpty()) {
        setProjectPath(previousPath);
        m_diskStamp = previousStamp;
        MessageRequest request;
        request.icon = QMessageBox::Critical;
        request.title = kTitle;
        request.text = purpose == Purpose::Create ? createAbortedMessage() : ProjectFileReader::corruptMessage();
        request.detailedText = reader.errorString().isEmpty()
                                   ? QStringLiteral("%1: the file holds no project node").arg(path)
                                   : reader.errorDetail(path);
        Prompter::current()->message(m_window->dialogParent(), request);
        return false;
    }

    const LoadNotes notes = buildProject(reader.takeRecords());
    m_declinedStamp = FileStamp();
    m_unknownParts = countNotes(notes, LoadNote::Effect::Unknown);
    if (purpose != Purpose::Recover && purpose != Purpose::Reload)
        emit projectOpened(path);
    if (!notes.isEmpty()) {
        m_window->showStatus(QStringLiteral("Project %1 opened with warnings").arg(path));
        reportLoadNotes(path, notes);
        return true;
    }
    const QString done = purpose == Purpose::Create   ? QStringLiteral("Project %1 created successfully")
                         : purpose == Purpose::Reload ? QStringLiteral("Project %1 reloaded from disk")
                                                      : QStringLiteral("Project %1 opened successfully");
    m_window->showStatus(done.arg(path));
    return true;
}

void ProjectActions::reportLoadNotes(const QString &path, const LoadNotes &notes)
{
    const int unknown = countNotes(notes, LoadNote::Effect::Unknown);
    const int dropped = countNotes(notes, LoadNote::Effect::NotKept);
    const int ambiguous = countNotes(notes, LoadNote::Effect::Ambiguous);
    QStringList said;
    if (unknown > 0)
        said << QStringLiteral("The file holds parts that this version of Kestro does not know. "
                               "They are not shown, and Kestro asks before saving over the file, "
                               "which drops them.");
    if (dropped > 0)
        said << (dropped == 1 ? QStringLiteral("1 item of this project could not be placed. It is not shown "
                                               "and will not be kept when the project is saved.")
                              : QStringLiteral("%1 items of this project could not be placed. They are not "
                                               "shown and will not be kept when the project is saved.")
                                    .arg(dropped));
    if (ambiguous > 0)
        said << (ambiguous == 1 ? QStringLiteral("1 label does not tell items apart; connections by label "
                                                 "go to the last item with it.")
                                : QStringLiteral("%1 labels do not tell items apart; connections by label "
                                                 "go to the last item with each.")
                                      .arg(ambiguous));
    // The box shows the first notes; all of them are behind Show Details.
    constexpr int Shown = 12;
    const QStringList lines = loadNoteTexts(notes);
    QString list = QStringList(lines.mid(0, Shown)).join(QLatin1Char('\n'));
    if (lines.size() > Shown)
        list += QStringLiteral("\n... and %1 more").arg(lines.size() - Shown);
    MessageRequest request;
    request.icon = QMessageBox::Warning;
    request.title = kTitle;
    request.text = QStringLiteral("%1 opened with warnings.\n\n").arg(QFileInfo(path).fileName()) + said.join(QLatin1Char(' '));
    request.informativeText = list;
    request.detailedText = lines.join(QLatin1Char('\n'));
    request.textFormat = Qt::PlainText;
    Prompter::current()->message(m_window->dialogParent(), request);
}

LoadNotes ProjectActions::buildProject(const ProjectRecordLists &records)
{
    const LoadNotes notes = m_project->open(records);
    m_browser->showProjectNode();
    return notes;
}

void ProjectActions::enterBlankState()
{
    m_window->enterNoProjectState();
    m_window->showStatus(blankStateMessage());
}

// --- commands --------------------------------------------------------------------------

QString ProjectActions::notOpenedMessage(const QString &path)
{
    const QFileInfo info(path);
    QString reason;
    if (!info.exists())
        reason = QStringLiteral("it does not exist");
    else if (info.isDir())
        reason = QStringLiteral("it is a folder, not a project file");
    else if (!info.isReadable())
        reason = QStringLiteral("it cannot be read (permission denied)");
    else
        reason = QStringLiteral("it is not a regular file");
    return QStringLiteral("There was an error opening the file %1: %2. Try opening the file with Open Project.")
        .arg(QDir::toNativeSeparators(info.absoluteFilePath()), reason);
}

QString ProjectActions::askSaveFile(const QString &caption)
{
    FileRequest request;
    request.caption = caption;
    request.directory = startDirectory();
    request.filter = kFilter;
    request.defaultSuffix = ProjectNames::extension().mid(1);
    return Prompter::current()->saveFileName(m_window->dialogParent(), request);
}

bool ProjectActions::mayReplace(const QString &answer, const QString &path)
{
    // The dialog asked about the file it was given; when the name changed
    // since, the file that will really be written has not been asked about,
    // and a dangling link is an existing file the dialog did not see.
    // A link is an existing file too, dangling or not; it is replaced
    // itself, never written through.
    if (!CheckedSaveFile::existsOrIsLink(path) || (path == answer && QFileInfo::exists(path)))
        return true;
    MessageRequest question;
    question.icon = QMessageBox::Warning;
    question.title = kTitle;
    question.text = QStringLiteral("%1 already exists.").arg(QDir::toNativeSeparators(path));
    question.informativeText = QStringLiteral("Do you want to replace it?");
    question.buttons = QMessageBox::Yes | QMessageBox::No;
    question.defaultButton = QMessageBox::No;
    return Prompter::current()->message(m_window->dialogParent(), question) == QMessageBox::Yes;
}

void ProjectActions::newProject()
{
    const QString answer = askSaveFile(QStringLiteral("Create a new project"));
    if (answer.isEmpty())
        return;
    // The project is named after the file, without blanks around the name.
    const QString path = ProjectNames::withExtension(ProjectNames::withTrimmedFileName(answer));
    const QString name = ProjectNames::nameFromFilePath(path);
    if (!ProjectNames::isValidNewName(name)) {
        Prompter::critical(m_window->dialogParent(), kTitle,
                           QStringLiteral("File name cannot be blank or contain special characters. "
                                          "Creating Project Aborted."));
        return;
    }
    if (!mayReplace(answer, path))
        return;
    // The open project's changes are offered for saving before anything is
    // written: the new file may replace the open project's own file.
    if (!offerToSave())
        return;
    // The new project's boxes fit their texts in the font its diagrams
    // are shown in.
    ProjectDocument document = DefaultProject::document(name);
    growBoxesToTexts(document, textMetrics(DiagramFont::font()));
    QString error;
    if (!DefaultProject::write(path, document, &error)) {
        reportUnwritten(path, error);
        return;
    }
    rememberDirectoryOf(path);
    trustOwnProject(path);
    openRecords(path, Purpose::Create);
}

void ProjectActions::trustOwnProject(const QString &path)
{
    // The user's own work: its C runs without the question. A record that
    // cannot be written still holds for this session.
    TrustStore::trustProjectForSession(path);
    TrustStore().trustProject(path);
}

void ProjectActions::open()
{
    FileRequest request;
    request.caption = QStringLiteral("Open Project");
    request.directory = startDirectory();
    request.filter = kFilter;
    const OpenFileResult result = Prompter::current()->openFileName(m_window->dialogParent(), request);
    if (result.files.isEmpty())
        return;
    const QString file = result.files.first();
    openFile(file);
    const QString directory = result.directory.isEmpty() ? QFileInfo(file).absolutePath()
                                                         : QDir(result.directory).absolutePath();
    store().setValue(previousDirectoryKey(), directory);
}

void ProjectActions::openExamples()
{
    const QString directory = m_examplesFinder ? m_examplesFinder() : QString();
    if (!isUsableExamplesDirectory(directory)) {
        Prompter::critical(m_window->dialogParent(), kTitle,
                           QStringLiteral("Kestro could not find the Examples directory on this computer."));
        return;
    }
    FileRequest request;
    request.caption = QStringLiteral("Open Project");
    request.directory = QFileInfo(directory).absoluteFilePath();
    request.filter = kFilter;
    const OpenFileResult result = Prompter::current()->openFileName(m_window->dialogParent(), request);
    if (result.files.isEmpty())
        return;
    // An installed example is read-only; the user works on a copy of it.
    const ExampleToOpen example = exampleToOpen(result.files.first());
    // A bundled example (or Kestro's copy of it) runs without the question.
    TrustStore::trustProjectForSession(example.path);
    if (openFile(example.path) && !example.note.isEmpty())
        m_window->showStatus(example.note);
}

void ProjectActions::openFromCommandLine(const QString &path)
{
    // No unsaved-changes prompt: at start nothing is open, and the tour has
    // asked before it opens its sample. A file that is rejected leaves the
    // open project as it was, its modified flag included.
    if (QFileInfo(path).isFile()) {
        openRecords(path, Purpose::Open);
        return;
    }
    Prompter::critical(m_window->dialogParent(), kTitle, notOpenedMessage(path));
    // A project already open (the tour opens its sample this way) is kept:
    // the blank state would throw its unsaved changes away.
    if (!isProjectOpen())
        enterBlankState();
}

bool ProjectActions::openRecovered(const QString &copyPath, const QString &originalPath)
{
    if (!offerToSave() || !openRecords(copyPath, Purpose::Recover))
        return false;
    setProjectPath(originalPath);
    m_diskStamp = FileStamp::of(originalPath);
    m_project->markModified();
    if (originalPath.isEmpty()) {
        // A copy opened apart from its file: Save asks where to put it.
        m_window->showStatus(QStringLiteral("Recovery copy opened as an unsaved project"));
        return true;
    }
    emit projectOpened(originalPath);
    m_window->showStatus(QStringLiteral("Unsaved changes of %1 recovered").arg(originalPath));
    return true;
}

bool ProjectActions::writeTo(const QString &path)
{
    QString error;
    if (!m_project->writeTo(path, &error)) {
        reportUnwritten(path, error);
        return false;
    }
    m_diskStamp = FileStamp::of(path);
    return true;
}

bool ProjectActions::save()
{
    if (!isProjectOpen())
        return false;
    if (m_project->filePath().isEmpty()) {
        // A recovery copy opened on its own has no file yet.
        saveAs();
        return !m_project->filePath().isEmpty() && !m_project->isModified();
    }
    if (!mayOverwriteChangedFile() || !mayDropUnknownParts())
        return false;
    // A file that could not be written leaves the project modified. A
    // project opened through a link is saved to the file it was read from.
    const QFileInfo opened(m_project->filePath());
    const QString target = opened.isSymLink() && !opened.canonicalFilePath().isEmpty()
                               ? opened.canonicalFilePath()
                               : m_project->filePath();
    if (!writeTo(target))
        return false;
    m_unknownParts = 0;
    m_project->markSaved();
    m_window->showStatus(QStringLiteral("Changes have been saved successfully"));
    return true;
}

void ProjectActions::saveAs()
{
    if (!isProjectOpen())
        return;
    const QString answer = askSaveFile(QStringLiteral("Save File As"));
    if (answer.isEmpty())
        return;
    const QString path = ProjectNames::withExtension(answer);
    if (!mayReplace(answer, path))
        return;
    // The project stays with its old file until the new one is written.
    if (!writeTo(path))
        return;
    // The user's own project stays theirs under its new name; a project of
    // someone else does not become trusted by being saved.
    if (TrustStore().isTrusted(m_project->filePath()))
        trustOwnProject(path);
    rememberDirectoryOf(path);
    setProjectPath(path);
    // The new file holds only what this version knows.
    m_unknownParts = 0;
    m_project->markSaved();
    // The project stays as it is, undo history and shown diagram included:
    // only its file changed.
    emit projectOpened(path);
    m_window->showStatus(QStringLiteral("Project saved as %1").arg(path));
}

void ProjectActions::renameProject()
{
    if (!isProjectOpen())
        return;
    if (!m_renameDialog)
        m_renameDialog = new RenameProjectDialog(m_window->dialogParent());
    const QString oldName = projectName();
    m_renameDialog->setProjectName(oldName);
    // A refused name keeps the dialog open with what was typed, as the
    // item dialogs do, until a good name or Cancel.
    for (;;) {
        if (runDialog(m_renameDialog) != QDialog::Accepted)
            return;
        // Blanks around the name would shift the project tree a level when
        // the file is read again.
        const QString newName = m_renameDialog->projectName().trimmed();
        if (newName == oldName)
            return;
        const QString refusal = renameRefusal(newName);
        if (refusal.isEmpty()) {
            renameActiveProject(newName);
            return;
        }
        m_renameDialog->markInvalid();
        Prompter::critical(m_window->dialogParent(), kTitle, refusal);
    }
}

QString ProjectActions::renameRefusal(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("Kestro could not rename the project as the name is "
                              "empty. Please enter a project name and try again.");
    if (!ProjectNames::isValidRename(name))
        return QStringLiteral("Kestro could not rename the project as the name contains "
                              "special characters. Please remove special characters "
                              "from the project name and try again.");
    return QString();
}

bool ProjectActions::renameActiveProject(const QString &name)
{
    if (!m_project->rename(name))
        return false;
    return save();
}

void ProjectActions::closeProject()
{
    if (!isProjectOpen())
        return;
    if (m_project->isModified()) {
        MessageRequest request;
        request.icon = QMessageBox::Warning;
        request.title = kTitle;
        request.text = QStringLiteral("Project has been modified.");
        request.informativeText = kSaveQuestion;
        request.buttons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
        request.defaultButton = QMessageBox::Save;
        const QMessageBox::StandardButton answer = Prompter::current()->message(m_window->dialogParent(), request);
        if (answer == QMessageBox::Cancel || answer == QMessageBox::NoButton)
            return;
        // A save that failed keeps the project open with its changes.
        if (answer == QMessageBox::Save && !save())
            return;
    }
    m_project->close();
    setProjectPath(QString());
    m_diskStamp = FileStamp();
    m_unknownParts = 0;
    enterBlankState();
}

// --- code generator ----------------------------------------------------------------------

void ProjectActions::runCodeGenerator()
{
    if (!isProjectOpen())
        return;
    StoredSettings &stored = m_window->storedSettings();
    m_generator->setAuthor(stored.author);
    m_generator->setOrganization(stored.organization);
    m_generator->setVersion(stored.hasVersion ? stored.version : 1.0);
    m_generator->setProjectStyle(m_project->codeStyle());
    m_generator->setProjectCounterType(m_project->counterType());
    if (!m_generator->runProperties(m_window->dialogParent()))
        return;
    m_project->setCodeStyle(m_generator->projectStyle());
    m_project->setCounterType(m_generator->projectCounterType());
    stored.author = m_generator->author();
    stored.organization = m_generator->organization();
    stored.hasVersion = true;
    stored.version = m_generator->version();

    if (m_project->isModified()) {
        MessageRequest request;
        request.icon = QMessageBox::Warning;
        request.title = kTitle;
        request.text = kUnsavedText;
        request.informativeText = kSaveQuestion;
        request.buttons = QMessageBox::Save | QMessageBox::Discard;
        request.defaultButton = QMessageBox::Save;
        // Nothing is thrown away: the code comes from what is shown.
        request.buttonTexts.insert(QMessageBox::Discard, QStringLiteral("Don't Save"));
        // The machines are generated from the diagrams in memory, so a save
        // that fails (and says so) does not stop the generation.
        if (Prompter::current()->message(m_window->dialogParent(), request) == QMessageBox::Save)
            save();
    }
    m_generator->setProjectName(projectName());
    const QStringList messages = m_generator->generateAll(m_project->canvases());
    for (const QString &message : messages)
        m_window->showStatus(message);
}
