#pragma once

// Generates one C module per state machine of the open project. The main
// window owns one CodeGenerator for its whole life; the generator owns its
// two dialogs (properties and error log), creates them when first needed
// and keeps author, organization, version and the output directory between
// runs.
//
// A run reads the state-machine canvas and the process item that stands for
// the machine on its parent diagram, turns them into a MachineDescription,
// lets CEmitter build the two texts and writes them with ModuleFiles. Every
// question and failure box goes through Prompter::current().

#include "MachineDescription.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class Canvas;
class CodegenErrorLog;
class CodegenProperties;
class ProcessItem;
class QDialog;
class QSettings;
class QWidget;

class CodeGenerator
{
public:
    // dialogParent: the window the dialogs and message boxes belong to.
    explicit CodeGenerator(QWidget *dialogParent = nullptr);
    ~CodeGenerator();
    CodeGenerator(const CodeGenerator &) = delete;
    CodeGenerator &operator=(const CodeGenerator &) = delete;

    // --- properties -----------------------------------------------------------
    QString outputDirectory() const { return m_outputDirectory; }
    void setOutputDirectory(const QString &directory) { m_outputDirectory = directory; }
    QString author() const { return m_author; }
    void setAuthor(const QString &author) { m_author = author; }
    QString organization() const { return m_organization; }
    void setOrganization(const QString &organization) { m_organization = organization; }
    double version() const { return m_version; }
    void setVersion(double version) { m_version = version; }
    QString projectName() const { return m_projectName; }
    void setProjectName(const QString &name) { m_projectName = name; }

    // Author, organization and version from the keys "author",
    // "organization" and "version"; a missing key leaves its value as it is.
    void loadSettings(const QSettings &settings);
    void saveSettings(QSettings &settings) const;

    // outputDirectory = path up to and including its last "/" (empty when
    // the path has none).
    void setProjectPath(const QString &path);

    // --- dialogs (created on first use) ------------------------------------------
    CodegenProperties *properties();
    CodegenErrorLog *errorLog();

    // Runs a dialog modally and returns its result. The default runs
    // exec(); tests install one that answers without a person.
    using DialogRunner = std::function<int(QDialog *)>;
    void setDialogRunner(const DialogRunner &runner);

    // Fills the properties dialog from the generator, runs it and, when it
    // is accepted, copies the four values back. Returns whether it was.
    bool runProperties(QWidget *parent = nullptr);

    // --- one run ------------------------------------------------------------------
    void setDiagram(Canvas *canvas);
    Canvas *diagram() const;
    // Also derives the module name from the item's label.
    void setProcess(ProcessItem *process);
    ProcessItem *process() const;
    QString moduleName() const { return m_moduleName; }

    // Counts the process item's dataflows: from the item an output, into it
    // an input.
    void countDataflows();
    int inputVariables() const { return m_inputVariables; }
    int outputVariables() const { return m_outputVariables; }

    // What the emitter reads from the current diagram and process item.
    MachineDescription describe() const;

    // One run for the current machine: asks before replacing existing
    // files, writes header and source, shows the error log when design
    // errors were found. Returns true only when both files were written; a
    // file that cannot be written is reported in a critical box.
    bool generate();

    // Design errors of the last run that wrote its files.
    QStringList lastErrors() const { return m_lastErrors; }
    // Paths written by the last successful run, header first.
    QStringList lastWritten() const { return m_lastWritten; }

    // --- the whole project ---------------------------------------------------------
    // Runs every state machine (level-5 canvas) of the list in list order
    // whose parent diagram and process item can be found; others are
    // skipped silently. Takes the project name from the level-1 canvas.
    // Returns one status text per machine whose files were written.
    QStringList generateAll(const QList<Canvas *> &canvases);

    // The status text of a successful run.
    QString successMessage() const;

private:
    int runDialog(QDialog *dialog);

    QWidget *m_dialogParent = nullptr;
    QPointer<CodegenProperties> m_properties;
    QPointer<CodegenErrorLog> m_errorLog;
    DialogRunner m_dialogRunner;

    QString m_outputDirectory;
    QString m_author;
    QString m_organization;
    double m_version = 1.0;
    QString m_projectName;

    QPointer<Canvas> m_diagram;
    QPointer<ProcessItem> m_process;
    QString m_moduleName;
    int m_inputVariables = 0;
    int m_outputVariables = 0;

    QStringList m_lastErrors;
    QStringList m_lastWritten;
};
