#include "ProjectCommands.h"

#include "Canvas.h"
#include "CodeGenerator.h"
#include "DefaultProject.h"
#include "ExamplesLocator.h"
#include "ItemCommands.h"
#include "MainWindow.h"
#include "ProjectBrowser.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"
#include "ProjectNames.h"
#include "ProjectRecords.h"
#include "ProjectSnapshot.h"
#include "Prompter.h"
#include "RenameProjectDialog.h"
#include "TreeModel.h"
#include "TreeNode.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTreeView>

namespace {

const QString kTitle = QStringLiteral("Kestro");
const QString kFilter = QStringLiteral("*.qsmd");
const QString kUnsavedText = QStringLiteral("There are unsaved changes in project.");
const QString kSaveQuestion = QStringLiteral("Do you want to save your changes?");

QString createAbortedMessage()
{
    return QStringLiteral("Design file is corrupt and cannot be opened. Creating Project Aborted.");
}

QSettings store()
{
    return QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"));
}

} // namespace

ProjectCommands::ProjectCommands(MainWindow *window, QTreeView *treeView, QAction *saveAction)
    : QObject(window),
      m_window(window),
      m_treeView(treeView),
      m_saveAction(saveAction),
      m_browser(std::make_unique<ProjectBrowser>(window, treeView)),
      m_generator(std::make_unique<CodeGenerator>(window)),
      m_examplesFinder([] { return findExamplesDirectory(); })
{
    // What a canvas reports about process items touches the tree.
    connect(window->processItemAddedAction(), &QAction::triggered, window,
            &MainWindow::slot_processItemAdded);
    connect(window->processPropertiesAction(), &QAction::triggered, window,
            &MainWindow::displayProcessItemPropertiesFromScene);
    connect(window->propertiesActions().at(MainWindow::ProcessMenu), &QAction::triggered, window,
            &MainWindow::displayProcessItemPropertiesFromScene);
    // Deleting a process item takes its node and its canvases with it.
    if (ItemCommands *items = window->itemCommands()) {
        ProjectBrowser *browser = m_browser.get();
        items->setProcessDeleteHandler([browser](ProcessItem *item) { browser->deleteProcessItem(item); });
    }
    // Rows of the code generator's log show their item.
    ProjectBrowser *browser = m_browser.get();
    m_generator->setItemNavigator(
        [browser](const QVector<int> &path, const ItemRef &item) { browser->showItem(path, item); });
}

ProjectCommands::~ProjectCommands() = default;

QString ProjectCommands::previousDirectoryKey()
{
    return QStringLiteral("previousDirectory");
}

// --- state ---------------------------------------------------------------------------

bool ProjectCommands::isProjectOpen() const
{
    return !m_window->canvases().isEmpty();
}

QString ProjectCommands::projectName() const
{
    const TreeNode *root = m_window->treeModel()->rootNode();
    return root->childCount() > 0 ? root->child(0)->name() : QString();
}

bool ProjectCommands::isModified() const
{
    return m_saveAction->isEnabled();
}

void ProjectCommands::setModified(bool modified)
{
    m_saveAction->setEnabled(modified);
}

void ProjectCommands::setProjectPath(const QString &path)
{
    m_projectPath = path;
    m_generator->setProjectPath(path);
}

QString ProjectCommands::startDirectory() const
{
    const QString previous = store().value(previousDirectoryKey()).toString();
    if (!previous.isEmpty())
        return previous;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

int ProjectCommands::runDialog(QDialog *dialog)
{
    return m_dialogRunner ? m_dialogRunner(dialog) : dialog->exec();
}

// --- prompts -------------------------------------------------------------------------

bool ProjectCommands::offerToSave()
{
    if (!isModified())
        return true;
    MessageRequest request;
    request.icon = QMessageBox::Warning;
    request.title = kTitle;
    request.text = kUnsavedText;
    request.informativeText = kSaveQuestion;
    request.buttons = QMessageBox::Save | QMessageBox::Discard;
    request.defaultButton = QMessageBox::Save;
    if (Prompter::current()->message(m_window, request) != QMessageBox::Save)
        return true;
    // Going on after a failed save would throw the changes away.
    return save();
}

void ProjectCommands::reportUnwritten(const QString &path, const QString &reason)
{
    MessageRequest request;
    request.icon = QMessageBox::Critical;
    request.title = kTitle;
    request.text = QStringLiteral("Kestro could not save the project to %1.").arg(path);
    request.informativeText = reason;
    Prompter::current()->message(m_window, request);
}

// --- opening -------------------------------------------------------------------------

bool ProjectCommands::openFile(const QString &path)
{
    if (!offerToSave())
        return false;
    return openRecords(path, Purpose::Open);
}

bool ProjectCommands::openRecords(const QString &path, Purpose purpose)
{
    const QString previousPath = m_projectPath;
    setProjectPath(path);

    // The file is read whole into records before the open project is
    // closed, so a file that is rejected leaves the open project exactly as
    // it was. The load pass rejects everything the check pass does, so one
    // reading of a large project is enough.
    ProjectFileReader reader;
    if (!reader.load(path) || reader.records().processes.isEmpty()) {
        setProjectPath(previousPath);
        MessageRequest request;
        request.icon = QMessageBox::Critical;
        request.title = kTitle;
        request.text = purpose == Purpose::Create ? createAbortedMessage() : ProjectFileReader::corruptMessage();
        request.detailedText = reader.errorString().isEmpty()
                                   ? QStringLiteral("%1: the file holds no project node").arg(path)
                                   : reader.errorDetail(path);
        Prompter::current()->message(m_window, request);
        return false;
    }

    closeCurrentProject();
    const LoadNotes notes = buildProject(reader.takeRecords());
    if (purpose != Purpose::Recover)
        emit projectOpened(path);
    if (!notes.isEmpty()) {
        m_window->statusBar()->showMessage(QStringLiteral("Project %1 opened with warnings").arg(path));
        reportLoadNotes(path, notes);
        return true;
    }
    const QString done = purpose != Purpose::Create ? QStringLiteral("Project %1 opened successfully")
                                                  : QStringLiteral("Project %1 created successfully");
    m_window->statusBar()->showMessage(done.arg(path));
    return true;
}

void ProjectCommands::reportLoadNotes(const QString &path, const LoadNotes &notes)
{
    const int dropped = countNotes(notes, LoadNote::Effect::NotKept);
    const int ambiguous = notes.size() - dropped;
    QStringList said;
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
    Prompter::current()->message(m_window, request);
}

void ProjectCommands::closeCurrentProject()
{
    m_browser->forgetCanvases();
    m_window->clearCanvases();
    m_window->treeModel()->clear();
}

LoadNotes ProjectCommands::buildProject(const ProjectRecordLists &records)
{
    m_window->treeModel()->setupModelData(records.treeText, true);
    const LoadNotes notes = m_browser->adoptCanvases(records);
    m_browser->showProjectNode();
    setModified(false);
    return notes;
}

void ProjectCommands::enterBlankState()
{
    m_window->enterNoProjectState();
    m_window->statusBar()->showMessage(QStringLiteral("Kestro is in blank state."));
}

// --- commands --------------------------------------------------------------------------

QString ProjectCommands::askSaveFile(const QString &caption)
{
    FileRequest request;
    request.caption = caption;
    request.directory = startDirectory();
    request.filter = kFilter;
    request.defaultSuffix = ProjectNames::extension().mid(1);
    return Prompter::current()->saveFileName(m_window, request);
}

bool ProjectCommands::mayReplace(const QString &answer, const QString &path)
{
    // The dialog asked about the file it was given; when the name changed
    // since, the file that will really be written has not been asked about.
    if (path == answer || !QFileInfo::exists(path))
        return true;
    MessageRequest question;
    question.icon = QMessageBox::Warning;
    question.title = kTitle;
    question.text = QStringLiteral("%1 already exists.").arg(QDir::toNativeSeparators(path));
    question.informativeText = QStringLiteral("Do you want to replace it?");
    question.buttons = QMessageBox::Yes | QMessageBox::No;
    question.defaultButton = QMessageBox::No;
    return Prompter::current()->message(m_window, question) == QMessageBox::Yes;
}

void ProjectCommands::newProject()
{
    const QString answer = askSaveFile(QStringLiteral("Create a new project"));
    if (answer.isEmpty())
        return;
    // The project is named after the file, without blanks around the name.
    const QString path = ProjectNames::withExtension(ProjectNames::withTrimmedFileName(answer));
    const QString name = ProjectNames::nameFromFilePath(path);
    if (!ProjectNames::isValidNewName(name)) {
        Prompter::critical(m_window, kTitle,
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
    QString error;
    if (!DefaultProject::write(path, name, &error)) {
        reportUnwritten(path, error);
        return;
    }
    openRecords(path, Purpose::Create);
}

void ProjectCommands::open()
{
    FileRequest request;
    request.caption = QStringLiteral("Open Project");
    request.directory = startDirectory();
    request.filter = kFilter;
    const OpenFileResult result = Prompter::current()->openFileName(m_window, request);
    if (result.files.isEmpty())
        return;
    const QString file = result.files.first();
    openFile(file);
    const QString directory = result.directory.isEmpty() ? QFileInfo(file).absolutePath()
                                                         : QDir(result.directory).absolutePath();
    store().setValue(previousDirectoryKey(), directory);
}

void ProjectCommands::openExamples()
{
    const QString directory = m_examplesFinder ? m_examplesFinder() : QString();
    if (!isUsableExamplesDirectory(directory)) {
        Prompter::critical(m_window, kTitle,
                           QStringLiteral("Kestro could not find the Examples directory on this computer."));
        return;
    }
    FileRequest request;
    request.caption = QStringLiteral("Open Project");
    request.directory = QFileInfo(directory).absoluteFilePath();
    request.filter = kFilter;
    const OpenFileResult result = Prompter::current()->openFileName(m_window, request);
    if (result.files.isEmpty())
        return;
    // An installed example is read-only; the user works on a copy of it.
    const ExampleToOpen example = exampleToOpen(result.files.first());
    if (openFile(example.path) && !example.note.isEmpty())
        m_window->statusBar()->showMessage(example.note);
}

void ProjectCommands::openFromCommandLine(const QString &path)
{
    if (QFileInfo(path).isFile()) {
        setModified(false);
        openFile(path);
        return;
    }
    Prompter::critical(m_window, kTitle,
                       QStringLiteral("There was an error opening the file ") + path
                           + QStringLiteral(". Try opening the file with Open Project."));
    // A project already open (the tour opens its sample this way) is kept:
    // the blank state would throw its unsaved changes away.
    if (!isProjectOpen())
        enterBlankState();
}

bool ProjectCommands::openRecovered(const QString &copyPath, const QString &originalPath)
{
    if (!offerToSave() || !openRecords(copyPath, Purpose::Recover))
        return false;
    setProjectPath(originalPath);
    setModified(true);
    emit projectOpened(originalPath);
    m_window->statusBar()->showMessage(QStringLiteral("Unsaved changes of %1 recovered").arg(originalPath));
    return true;
}

bool ProjectCommands::writeTo(const QString &path)
{
    ProjectDocument document;
    QString error;
    if (!ProjectSnapshot::take(m_window->canvases(), &document, &error)) {
        reportUnwritten(path, error);
        return false;
    }
    ProjectFileWriter writer;
    if (!writer.write(document, path)) {
        reportUnwritten(path, writer.errorString());
        return false;
    }
    return true;
}

bool ProjectCommands::save()
{
    if (!isProjectOpen())
        return false;
    if (m_projectPath.isEmpty()) {
        reportUnwritten(QStringLiteral("a file"), QStringLiteral("The project has no file name."));
        return false;
    }
    if (!writeTo(m_projectPath)) {
        setModified(true);
        return false;
    }
    setModified(false);
    m_window->statusBar()->showMessage(QStringLiteral("Changes have been saved successfully"));
    return true;
}

void ProjectCommands::saveAs()
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
    if (!writeTo(path)) {
        setModified(true);
        return;
    }
    setProjectPath(path);
    setModified(false);
    openFile(path);
}

void ProjectCommands::renameProject()
{
    if (!isProjectOpen())
        return;
    if (!m_renameDialog)
        m_renameDialog = new RenameProjectDialog(m_window);
    const QString oldName = projectName();
    m_renameDialog->setProjectName(oldName);
    if (runDialog(m_renameDialog) != QDialog::Accepted)
        return;
    // Blanks around the name would shift the project tree a level when the
    // file is read again.
    const QString newName = m_renameDialog->projectName().trimmed();
    if (newName == oldName)
        return;
    if (newName.isEmpty()) {
        m_renameDialog->markInvalid();
        Prompter::critical(m_window, kTitle,
                           QStringLiteral("Kestro could not rename the project as the name is "
                                          "empty. Please enter a project name and try again."));
        return;
    }
    if (!ProjectNames::isValidRename(newName)) {
        m_renameDialog->markInvalid();
        Prompter::critical(m_window, kTitle,
                           QStringLiteral("Kestro could not rename the project as the name contains "
                                          "special characters. Please remove special characters "
                                          "from the project name and try again."));
        return;
    }
    renameActiveProject(newName);
}

bool ProjectCommands::renameActiveProject(const QString &name)
{
    if (!m_browser->renameProjectNode(name))
        return false;
    setModified(true);
    return save();
}

void ProjectCommands::closeProject()
{
    if (!isProjectOpen())
        return;
    if (isModified()) {
        MessageRequest request;
        request.icon = QMessageBox::Warning;
        request.title = kTitle;
        request.text = QStringLiteral("Project has been modified.");
        request.informativeText = kSaveQuestion;
        request.buttons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
        request.defaultButton = QMessageBox::Save;
        const QMessageBox::StandardButton answer = Prompter::current()->message(m_window, request);
        if (answer == QMessageBox::Cancel || answer == QMessageBox::NoButton)
            return;
        // A save that failed keeps the project open with its changes.
        if (answer == QMessageBox::Save && !save())
            return;
    }
    closeCurrentProject();
    setProjectPath(QString());
    setModified(false);
    enterBlankState();
}

// --- code generator ----------------------------------------------------------------------

void ProjectCommands::runCodeGenerator()
{
    if (!isProjectOpen())
        return;
    m_generator->setAuthor(m_window->author());
    m_generator->setOrganization(m_window->organization());
    m_generator->setVersion(m_window->hasVersion() ? m_window->version() : 1.0);
    if (!m_generator->runProperties(m_window))
        return;
    m_window->setAuthor(m_generator->author());
    m_window->setOrganization(m_generator->organization());
    m_window->setVersion(m_generator->version());

    if (isModified()) {
        MessageRequest request;
        request.icon = QMessageBox::Warning;
        request.title = kTitle;
        request.text = kUnsavedText;
        request.informativeText = kSaveQuestion;
        request.buttons = QMessageBox::Save | QMessageBox::Discard;
        request.defaultButton = QMessageBox::Save;
        // The machines are generated from the diagrams in memory, so a save
        // that fails (and says so) does not stop the generation.
        if (Prompter::current()->message(m_window, request) == QMessageBox::Save)
            save();
    }
    m_generator->setProjectName(projectName());
    const QStringList messages = m_generator->generateAll(m_window->canvases());
    for (const QString &message : messages)
        m_window->statusBar()->showMessage(message);
}
