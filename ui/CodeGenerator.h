#pragma once

// Generates one C module per state machine of the open project. The main
// window owns one CodeGenerator for its whole life; the generator owns its
// two dialogs (properties and error log), creates them when first needed
// and keeps author, organization, version and the output directory between
// runs.
//
// generateAll() takes a snapshot of the diagrams, the records a save would
// write, and goes the way kestro-cli goes from a project file:
// RecordsToMachines places them, ProjectModules emits every machine (a
// later machine of an earlier one's name is not written), ModuleFiles
// writes the files. So the program writes exactly what kestro-cli writes
// for the saved project. With the compile check on, each written module is compiled (CompileCheck) and what the compiler
// says joins the error log, where double-clicking a row shows the item.
// Every question and failure box goes through Prompter::current().

#include "CEmitter.h"
#include "ItemRef.h"
#include "MachineDescription.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class Canvas;
class CodegenErrorLog;
class CodegenProperties;
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
    // The project's default module style the properties dialog shows and edits.
    QString projectStyle() const { return m_projectStyle; }
    void setProjectStyle(const QString &style) { m_projectStyle = style; }
    // The project's type of the time in state the properties dialog shows and edits.
    QString projectCounterType() const { return m_projectCounterType; }
    void setProjectCounterType(const QString &type) { m_projectCounterType = type; }

    // Whether written modules are compiled; kept in the settings under
    // "compileCheck" by runProperties(), off until turned on.
    bool compileCheck() const { return m_compileCheck; }
    void setCompileCheck(bool on) { m_compileCheck = on; }
    static QString compileCheckKey();

    // Shows an item named by the error log: the machine's node path and
    // the item. Set by the window; without it rows cannot be followed.
    using ItemNavigator = std::function<void(const QVector<int> &, const ItemRef &)>;
    void setItemNavigator(const ItemNavigator &navigator) { m_navigator = navigator; }

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

    // --- the last machine run ---------------------------------------------------
    // The module name of the machine run last (the one whose log is shown).
    QString moduleName() const { return m_moduleName; }
    // Design errors of the last run that wrote its files.
    QStringList lastErrors() const { return m_lastErrors; }
    // Everything the last run found (design errors, warnings, compiler).
    DesignFindings lastFindings() const { return m_lastFindings; }
    // Paths written by the last successful run, header first.
    QStringList lastWritten() const { return m_lastWritten; }

    // --- the whole project ---------------------------------------------------------
    // Runs every state machine the project tree reaches, depth first, as
    // kestro-cli does for the saved project. Takes the project name from the
    // level-1 canvas. For each machine it asks before replacing existing
    // files, writes header and source and shows the error log when there
    // are findings; a file that cannot be written is reported in a critical
    // box. Returns one status text per machine whose files were written. A
    // project that cannot be taken as a snapshot is reported.
    QStringList generateAll(const QList<Canvas *> &canvases);

    // The status text of a successful run.
    QString successMessage() const;

private:
    int runDialog(QDialog *dialog);
    ModuleProperties moduleProperties() const;
    // Asks, writes, compiles and shows the log for one emitted module.
    bool runModule(const MachineDescription &machine, const GeneratedModule &module);
    // Asks whether the module's existing files may be replaced; names the
    // machine and both of its files.
    bool mayReplaceFiles(const GeneratedModule &module) const;
    DesignFindings compile(const MachineDescription &machine, const GeneratedModule &module);
    void showLog(const MachineDescription &machine, const DesignFindings &findings);

    QWidget *m_dialogParent = nullptr;
    QPointer<CodegenProperties> m_properties;
    QPointer<CodegenErrorLog> m_errorLog;
    DialogRunner m_dialogRunner;

    QString m_outputDirectory;
    QString m_author;
    QString m_organization;
    double m_version = 1.0;
    QString m_projectName;
    QString m_projectStyle;
    QString m_projectCounterType;

    QString m_moduleName;

    bool m_compileCheck = false;
    bool m_compilerMissingTold = false;
    ItemNavigator m_navigator;

    QStringList m_lastErrors;
    DesignFindings m_lastFindings;
    QStringList m_lastWritten;
};
