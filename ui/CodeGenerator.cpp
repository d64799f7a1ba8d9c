#include "CodeGenerator.h"

#include "CodegenErrorLog.h"
#include "CodegenProperties.h"
#include "CompileCheck.h"
#include "ItemRef.h"
#include "ModuleFiles.h"
#include "ProjectModules.h"
#include "ProjectSnapshot.h"
#include "Prompter.h"
#include "RecordsToMachines.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSettings>

namespace {

const char *const BoxTitle = "Kestro";

} // namespace

CodeGenerator::CodeGenerator(QWidget *dialogParent)
    : m_dialogParent(dialogParent)
{
}

CodeGenerator::~CodeGenerator()
{
    // The dialogs may have a parent window that deleted them already.
    delete m_properties.data();
    delete m_errorLog.data();
}

void CodeGenerator::loadSettings(const QSettings &settings)
{
    if (settings.contains(QStringLiteral("author")))
        m_author = settings.value(QStringLiteral("author")).toString();
    if (settings.contains(QStringLiteral("organization")))
        m_organization = settings.value(QStringLiteral("organization")).toString();
    bool ok = false;
    const double version = settings.value(QStringLiteral("version")).toDouble(&ok);
    if (ok)
        m_version = version;
}

void CodeGenerator::saveSettings(QSettings &settings) const
{
    settings.setValue(QStringLiteral("author"), m_author);
    settings.setValue(QStringLiteral("organization"), m_organization);
    settings.setValue(QStringLiteral("version"), m_version);
}

void CodeGenerator::setProjectPath(const QString &path)
{
    m_outputDirectory = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

CodegenProperties *CodeGenerator::properties()
{
    if (!m_properties)
        m_properties = new CodegenProperties(m_dialogParent);
    return m_properties;
}

CodegenErrorLog *CodeGenerator::errorLog()
{
    if (!m_errorLog) {
        m_errorLog = new CodegenErrorLog(m_dialogParent);
        QObject::connect(m_errorLog, &CodegenErrorLog::itemRequested, m_errorLog,
                         [this](const QVector<int> &path, const ItemRef &item) {
                             if (m_navigator)
                                 m_navigator(path, item);
                         });
    }
    return m_errorLog;
}

QString CodeGenerator::compileCheckKey()
{
    return QStringLiteral("compileCheck");
}

void CodeGenerator::setDialogRunner(const DialogRunner &runner)
{
    m_dialogRunner = runner;
}

int CodeGenerator::runDialog(QDialog *dialog)
{
    return m_dialogRunner ? m_dialogRunner(dialog) : dialog->exec();
}

bool CodeGenerator::runProperties(QWidget *parent)
{
    if (parent && !m_dialogParent && !m_properties && !m_errorLog)
        m_dialogParent = parent;
    CodegenProperties *dialog = properties();
    dialog->setOutputDirectory(m_outputDirectory);
    dialog->setAuthor(m_author);
    dialog->setOrganization(m_organization);
    dialog->setVersion(m_version);
    QSettings settings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"));
    m_compileCheck = settings.value(compileCheckKey(), false).toBool();
    dialog->setCompileCheck(m_compileCheck);
    dialog->setProjectStyle(m_projectStyle);
    dialog->setCounterType(m_projectCounterType);
    dialog->refresh();
    if (runDialog(dialog) != QDialog::Accepted)
        return false;
    m_outputDirectory = dialog->outputDirectory();
    m_author = dialog->author();
    m_organization = dialog->organization();
    m_version = dialog->version();
    m_compileCheck = dialog->compileCheck();
    m_projectStyle = dialog->projectStyle();
    m_projectCounterType = dialog->counterType();
    settings.setValue(compileCheckKey(), m_compileCheck);
    return true;
}

ModuleProperties CodeGenerator::moduleProperties() const
{
    ModuleProperties props;
    props.projectName = m_projectName;
    props.author = m_author;
    props.organization = m_organization;
    props.version = m_version;
    return props;
}

bool CodeGenerator::runModule(const MachineDescription &machine, const GeneratedModule &module)
{
    m_moduleName = module.moduleName;
    m_lastErrors.clear();
    m_lastFindings.clear();
    m_lastWritten.clear();
    if (!module.writable) {
        // Its name or its size keeps it from being written; the log says so.
        m_lastErrors = module.errors;
        m_lastFindings = module.findings;
        showLog(machine, module.findings);
        return false;
    }

    // The old files are replaced only once both new ones are written whole:
    // a failed write leaves them as they were (read-only ones included,
    // which the user agreed to replace).
    const QStringList existing = ModuleFiles::existing(m_outputDirectory, module);
    if (!existing.isEmpty() && !mayReplaceFiles(module))
        return false;
    QHash<QString, QFileDevice::Permissions> permissions;
    // The mode bits only: the "user" flags tell what this process may do
    // and would set the owner's write bit back for a superuser.
    const QFileDevice::Permissions userFlags = QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
    for (const QString &path : existing) {
        const QFileDevice::Permissions before = QFile::permissions(path) & ~userFlags;
        if (!(before & QFileDevice::WriteOwner) && QFile::setPermissions(path, before | QFileDevice::WriteOwner))
            permissions.insert(path, before);
    }

    const ModuleFiles::Result result = ModuleFiles::write(m_outputDirectory, module);
    if (!result.ok()) {
        for (auto it = permissions.cbegin(); it != permissions.cend(); ++it)
            QFile::setPermissions(it.key(), it.value());
        Prompter::critical(m_dialogParent, QString::fromLatin1(BoxTitle),
                           QStringLiteral("The files of state machine %1 were not written.\n\n%2")
                               .arg(module.moduleName, result.errors.join(QLatin1Char('\n'))));
        return false;
    }
    m_lastWritten = result.written;
    m_lastErrors = module.errors;
    m_lastFindings = module.findings;
    if (m_compileCheck)
        m_lastFindings += compile(machine, module);
    if (!m_lastFindings.isEmpty())
        showLog(machine, m_lastFindings);
    return true;
}

bool CodeGenerator::mayReplaceFiles(const GeneratedModule &module) const
{
    MessageRequest question;
    question.icon = QMessageBox::Question;
    question.title = QString::fromLatin1(BoxTitle);
    question.text = QStringLiteral("State machine %1 has been generated before. Its files exist:\n\n%2\n%3")
                        .arg(printableText(module.moduleName),
                             QDir::toNativeSeparators(ModuleFiles::headerPath(m_outputDirectory, module)),
                             QDir::toNativeSeparators(ModuleFiles::sourcePath(m_outputDirectory, module)));
    question.informativeText = QStringLiteral("Do you want to replace the existing files?");
    question.textFormat = Qt::PlainText;
    question.buttons = QMessageBox::Yes | QMessageBox::Cancel;
    question.defaultButton = QMessageBox::Yes;
    return Prompter::current()->message(m_dialogParent, question) == QMessageBox::Yes;
}

DesignFindings CodeGenerator::compile(const MachineDescription &machine, const GeneratedModule &module)
{
    CompileCheck::Options options;
    options.compiler = CompileCheck::defaultCompiler();
    if (!m_outputDirectory.isEmpty())
        options.includeDirectories << m_outputDirectory;
    const CompileCheck::Result result = CompileCheck::run(module, machine, options);
    if (result.status == CompileCheck::Status::NoSandbox) {
        // The compiler reads what the project's texts include: unconfined, it
        // is not run for a check.
        if (!m_compilerMissingTold)
            Prompter::critical(m_dialogParent, QString::fromLatin1(BoxTitle),
                               QStringLiteral("The generated files were written but not checked: %1.\n\n"
                                              "Install bubblewrap, or turn off \"Check with C compiler\".")
                                   .arg(result.message));
        m_compilerMissingTold = true;
        return {};
    }
    if (result.status == CompileCheck::Status::CompilerMissing) {
        // Said once per generation, not once per machine.
        if (!m_compilerMissingTold)
            Prompter::critical(m_dialogParent, QString::fromLatin1(BoxTitle),
                               QStringLiteral("The generated files were written but not checked: %1.\n\n"
                                              "Install a C compiler or set CC to the one to use, or turn "
                                              "off \"Check with C compiler\".")
                                   .arg(result.message));
        m_compilerMissingTold = true;
        return {};
    }
    DesignFindings findings = result.findings;
    if (!result.note.isEmpty())
        findings.prepend(DesignFinding{ DesignFinding::Warning,
                                        ItemRef::machine().describe(machine) + QStringLiteral(": ") + result.note,
                                        ItemRef::machine(), true });
    if (result.status == CompileCheck::Status::Failed) {
        DesignFinding failure;
        failure.fromCompiler = true;
        failure.text = ItemRef::machine().describe(machine) + QStringLiteral(": ") + result.message;
        findings << failure;
    }
    return findings;
}

void CodeGenerator::showLog(const MachineDescription &machine, const DesignFindings &findings)
{
    QVector<CodegenErrorLog::Row> rows;
    for (const DesignFinding &finding : findings)
        rows << CodegenErrorLog::Row{ finding, finding.item.nodePath(machine), true };
    CodegenErrorLog *log = errorLog();
    log->setRows(rows);
    runDialog(log);
}

QString CodeGenerator::successMessage() const
{
    return QStringLiteral("Source file successfully created at %1 ").arg(m_outputDirectory);
}

QStringList CodeGenerator::generateAll(const QList<Canvas *> &canvases)
{
    m_compilerMissingTold = false;
    // What a save would write, read back the way kestro-cli reads a file.
    ProjectDocument document;
    QString error;
    if (!ProjectSnapshot::take(canvases, &document, &error)) {
        Prompter::critical(m_dialogParent, QString::fromLatin1(BoxTitle),
                           QStringLiteral("The state machines could not be read from the diagrams: %1").arg(error));
        return {};
    }
    m_projectName = document.root.label;
    const QVector<MachineDescription> machines = RecordsToMachines::build(flattenDocument(document));
    const QVector<GeneratedModule> modules = ProjectModules::generate(machines, moduleProperties());
    QStringList messages;
    for (int i = 0; i < modules.size(); ++i) {
        if (runModule(machines.at(i), modules.at(i)))
            messages << successMessage();
    }
    return messages;
}
