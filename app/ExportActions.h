#pragma once

// The picture commands of the File menu: Export Diagram (the diagram
// shown, as SVG, PNG or PDF), Export All Diagrams (one file per diagram
// into a folder, or one multi-page PDF), Print and Print Preview. Every
// picture comes from DiagramRender, so it is the one kestro-cli export
// writes, and exporting changes nothing in the project: not an item, not
// the selection, not the modified flag.
//
// Choices go through the export options dialog and the Prompter; failures
// are shown in a box titled "Kestro", successes in the status bar.

#include <QObject>
#include <QString>

#include <functional>

class ExportOptionsDialog;
class ProjectWindow;
class QDialog;
class QPrinter;
struct DiagramEntry;
struct ExportOptions;

class ExportActions : public QObject
{
    Q_OBJECT

public:
    using DialogRunner = std::function<int(QDialog *)>;

    explicit ExportActions(ProjectWindow *window);
    ~ExportActions() override;

    void exportDiagram();
    void exportAllDiagrams();
    void print();
    void printPreview();

    // How the options, print and preview dialogs are run (default:
    // exec()); tests answer them without a person.
    void setDialogRunner(DialogRunner runner) { m_dialogRunner = std::move(runner); }
    // The options dialog, made on first use.
    ExportOptionsDialog *optionsDialog();

private:
    bool askOptions(bool allDiagrams);
    // The shown diagram with its path; false when none is shown.
    bool shownDiagram(DiagramEntry *entry) const;
    QString startDirectory() const;
    QString askFile(const QString &caption, const QString &fileName, const ExportOptions &options);
    bool mayReplace(const QStringList &paths, const QString &where);
    void reportFailure(const QString &text, const QStringList &details);
    void reportSuccess(const QString &text);
    // Names the print job after the shown diagram and turns the paper to
    // suit it; false when no diagram is shown.
    bool preparePrinter(QPrinter *printer) const;
    void printShown(QPrinter *printer);
    int runDialog(QDialog *dialog);

    ProjectWindow *m_window;
    ExportOptionsDialog *m_optionsDialog = nullptr;
    DialogRunner m_dialogRunner;
    QString m_lastDirectory;
};
