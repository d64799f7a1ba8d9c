#include "ExportActions.h"

#include "CheckedSaveFile.h"

#include "Canvas.h"
#include "DiagramFiles.h"
#include "DiagramRender.h"
#include "ExportOptionsDialog.h"
#include "Project.h"
#include "ProjectActions.h"
#include "ProjectWindow.h"
#include "Prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardPaths>

namespace {

const QString kTitle = QStringLiteral("Kestro");

QString filterFor(ExportOptions::Format format)
{
    switch (format) {
    case ExportOptions::Format::Png: return QStringLiteral("PNG image (*.png)");
    case ExportOptions::Format::Pdf: return QStringLiteral("PDF document (*.pdf)");
    case ExportOptions::Format::Svg: break;
    }
    return QStringLiteral("SVG image (*.svg)");
}

} // namespace

ExportActions::ExportActions(ProjectWindow *window)
    : QObject(window->dialogParent()), m_window(window)
{
}

ExportOptionsDialog *ExportActions::optionsDialog()
{
    // Made the first time an export asks for its options; it then keeps
    // the choices made in it for the next export.
    if (!m_optionsDialog)
        m_optionsDialog = new ExportOptionsDialog(m_window->dialogParent());
    return m_optionsDialog;
}

ExportActions::~ExportActions() = default;

int ExportActions::runDialog(QDialog *dialog)
{
    return m_dialogRunner ? m_dialogRunner(dialog) : dialog->exec();
}

bool ExportActions::askOptions(bool allDiagrams)
{
    optionsDialog()->prepare(allDiagrams);
    return runDialog(optionsDialog()) == QDialog::Accepted;
}

bool ExportActions::shownDiagram(DiagramEntry *entry) const
{
    Canvas *shown = m_window->project()->shownCanvas();
    if (!shown)
        return false;
    for (const DiagramEntry &e : DiagramFiles::entries(m_window->project()->canvases())) {
        if (e.canvas == shown) {
            *entry = e;
            DiagramFiles::prepare(e);
            return true;
        }
    }
    *entry = DiagramEntry{shown, shown->name(), DiagramFiles::safeName(shown->name())};
    return true;
}

QString ExportActions::startDirectory() const
{
    if (!m_lastDirectory.isEmpty())
        return m_lastDirectory;
    const QString project = m_window->projectActions()->projectPath();
    if (!project.isEmpty())
        return QFileInfo(project).absolutePath();
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString ExportActions::askFile(const QString &caption, const QString &fileName,
                                const ExportOptions &options)
{
    const QString suffix = ExportOptions::suffix(options.format);
    FileRequest request;
    request.caption = caption;
    request.directory = QDir(startDirectory()).filePath(fileName + QLatin1Char('.') + suffix);
    request.filter = filterFor(options.format);
    request.defaultSuffix = suffix;
    const QString answer = Prompter::current()->saveFileName(m_window->dialogParent(), request);
    if (answer.isEmpty())
        return QString();
    QString path = answer;
    if (QFileInfo(path).suffix().compare(suffix, Qt::CaseInsensitive) != 0)
        path += QLatin1Char('.') + suffix;
    // The dialog asked about the name it returned; a name given its suffix
    // here has not been asked about yet.
    // A dangling link is an existing file the dialog did not see.
    const bool asked = path == answer && QFileInfo::exists(path);
    if (!asked && CheckedSaveFile::existsOrIsLink(path) && !mayReplace({path}, QFileInfo(path).absolutePath()))
        return QString();
    m_lastDirectory = QFileInfo(path).absolutePath();
    return path;
}

bool ExportActions::mayReplace(const QStringList &paths, const QString &where)
{
    MessageRequest question;
    question.icon = QMessageBox::Warning;
    question.title = kTitle;
    question.text = paths.size() == 1
                        ? QStringLiteral("%1 already exists.").arg(QDir::toNativeSeparators(paths.first()))
                        : QStringLiteral("%1 of the files already exist in %2.")
                              .arg(paths.size())
                              .arg(QDir::toNativeSeparators(where));
    question.informativeText = paths.size() == 1 ? QStringLiteral("Do you want to replace it?")
                                                 : QStringLiteral("Do you want to replace them?");
    if (paths.size() > 1)
        question.detailedText = paths.join(QLatin1Char('\n'));
    question.buttons = QMessageBox::Yes | QMessageBox::No;
    question.defaultButton = QMessageBox::No;
    return Prompter::current()->message(m_window->dialogParent(), question) == QMessageBox::Yes;
}

void ExportActions::reportFailure(const QString &text, const QStringList &details)
{
    MessageRequest request;
    request.icon = QMessageBox::Critical;
    request.title = kTitle;
    request.text = text;
    request.informativeText = details.mid(0, 5).join(QLatin1Char('\n'));
    if (details.size() > 5)
        request.detailedText = details.join(QLatin1Char('\n'));
    Prompter::current()->message(m_window->dialogParent(), request);
}

void ExportActions::reportSuccess(const QString &text)
{
    m_window->showStatus(text);
}

void ExportActions::exportDiagram()
{
    DiagramEntry entry;
    if (!shownDiagram(&entry) || !askOptions(false))
        return;
    const ExportOptions options = optionsDialog()->options();
    const QString path =
        askFile(QStringLiteral("Export Diagram"), QFileInfo(entry.fileStem).fileName(), options);
    if (path.isEmpty())
        return;
    QString error;
    if (!DiagramFiles::writeOne(entry, path, options, &error)) {
        reportFailure(QStringLiteral("The diagram could not be exported."), {error});
        return;
    }
    reportSuccess(QStringLiteral("Diagram exported to %1").arg(QDir::toNativeSeparators(path)));
}

void ExportActions::exportAllDiagrams()
{
    const QList<DiagramEntry> entries = DiagramFiles::entries(m_window->project()->canvases());
    if (entries.isEmpty() || !askOptions(true))
        return;
    const ExportOptions options = optionsDialog()->options();
    const QString projectName = m_window->projectActions()->projectName();
    if (optionsDialog()->onePdf()) {
        const QString path =
            askFile(QStringLiteral("Export All Diagrams"), DiagramFiles::safeName(projectName), options);
        if (path.isEmpty())
            return;
        QString error;
        if (!DiagramFiles::writeBook(entries, path, options, projectName, &error)) {
            reportFailure(QStringLiteral("The diagrams could not be exported."), {error});
            return;
        }
        reportSuccess(QStringLiteral("%1 diagrams exported to %2").arg(entries.size()).arg(QDir::toNativeSeparators(path)));
        return;
    }

    FileRequest request;
    request.caption = QStringLiteral("Export All Diagrams");
    request.directory = startDirectory();
    const QString directory = Prompter::current()->existingDirectory(m_window->dialogParent(), request);
    if (directory.isEmpty())
        return;
    m_lastDirectory = directory;
    const QString suffix = QLatin1Char('.') + ExportOptions::suffix(options.format);
    QStringList existing;
    for (const DiagramEntry &entry : entries) {
        const QString path = QDir(directory).filePath(entry.fileStem + suffix);
        if (CheckedSaveFile::existsOrIsLink(path))
            existing << QDir::toNativeSeparators(path);
    }
    if (!existing.isEmpty() && !mayReplace(existing, directory))
        return;
    const DiagramFiles::Result result = DiagramFiles::writeEach(entries, directory, options);
    if (!result.ok()) {
        reportFailure(QStringLiteral("%1 of %2 diagrams could not be exported.")
                          .arg(result.errors.size())
                          .arg(entries.size()),
                      result.errors);
        return;
    }
    reportSuccess(QStringLiteral("%1 diagrams exported to %2").arg(entries.size()).arg(QDir::toNativeSeparators(directory)));
}

void ExportActions::printShown(QPrinter *printer)
{
    DiagramEntry entry;
    if (!shownDiagram(&entry))
        return;
    QString error;
    if (!DiagramRender::print(printer, entry.canvas, entry.path,
                              m_window->projectActions()->projectName(), &error))
        reportFailure(QStringLiteral("The diagram could not be printed."), {error});
}

bool ExportActions::preparePrinter(QPrinter *printer) const
{
    DiagramEntry entry;
    if (!shownDiagram(&entry))
        return false;
    // The print dialog proposes the document's name as the file of Print
    // to File: the diagram's path would name folders that do not exist.
    const QString fileName = QString(entry.fileStem).replace(QLatin1Char('/'), QLatin1Char('_'));
    printer->setDocName(fileName);
    // Without a printer the file is all there is: it goes beside the project.
    const QString project = m_window->projectActions()->projectPath();
    if (printer->outputFormat() == QPrinter::PdfFormat && !project.isEmpty())
        printer->setOutputFileName(QFileInfo(project).absoluteDir().filePath(fileName + QStringLiteral(".pdf")));
    printer->setPageOrientation(DiagramRender::orientation(entry.canvas));
    return true;
}

void ExportActions::print()
{
    QPrinter printer(QPrinter::HighResolution);
    if (!preparePrinter(&printer))
        return;
    QPrintDialog dialog(&printer, m_window->dialogParent());
    if (runDialog(&dialog) != QDialog::Accepted)
        return;
    printShown(&printer);
}

void ExportActions::printPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    if (!preparePrinter(&printer))
        return;
    QPrintPreviewDialog dialog(&printer, m_window->dialogParent());
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, &ExportActions::printShown);
    runDialog(&dialog);
}
