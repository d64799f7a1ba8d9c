// kestro-cli: checks a project's state machines and generates their C
// modules from the command line, without a display.
//
//   kestro-cli generate PROJECT.qsmd [-o DIR] [--force] [--author TEXT]
//              [--organization TEXT] [--module-version NUMBER] [--werror]
//   kestro-cli check PROJECT.qsmd [--werror]

#include "CEmitter.h"
#include "ModuleFiles.h"
#include "RecordsToMachines.h"
#include "ProjectFileReader.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <QTextStream>

#include <cmath>

namespace {

// Exit codes (BSD sysexits where one fits).
enum Exit : int {
    Success = 0,
    DesignErrors = 1,   // only with --werror
    Usage = 64,
    CorruptProject = 65,
    NoProject = 66,
    NotWritten = 73,
};

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

struct Options
{
    QString command;
    QString project;
    QString outputDirectory;    // empty: the project file's directory
    bool force = false;
    bool werror = false;
    ModuleProperties properties;
};

int usageError(const QString &message)
{
    err() << "kestro-cli: " << message << "\n"
          << "Try 'kestro-cli --help' for more information.\n";
    err().flush();
    return Usage;
}

// Author, organization and version as the program keeps them.
void applySettings(ModuleProperties *p)
{
    QSettings settings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"));
    p->author = settings.value(QStringLiteral("author")).toString();
    p->organization = settings.value(QStringLiteral("organization")).toString();
    bool ok = false;
    const double version = settings.value(QStringLiteral("version")).toDouble(&ok);
    p->version = ok ? version : 1.0;
}

// Returns Success, or the exit code of a usage error (already reported).
int parseOptions(const QCoreApplication &app, Options *options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Checks the state machines of a Kestro project and generates one C module "
        "(a .h and a .c file) per state machine.\n\n"
        "Commands:\n"
        "  generate  write the modules (into the project's directory unless -o is given)\n"
        "  check     list the design errors only, write nothing"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption output({ "o", "output" }, "Write the files into DIR.", "DIR");
    const QCommandLineOption force("force", "Replace files that exist already.");
    const QCommandLineOption author("author", "Author written into the files (default: the program's setting).", "TEXT");
    const QCommandLineOption organization("organization", "Organization written into the files (default: the program's setting).", "TEXT");
    const QCommandLineOption moduleVersion("module-version", "Version written into the files (default: the program's setting, else 1).", "NUMBER");
    const QCommandLineOption werror("werror", "Exit with 1 when design errors were found.");
    parser.addOptions({ output, force, author, organization, moduleVersion, werror });
    parser.addPositionalArgument("command", "generate or check");
    parser.addPositionalArgument("project", "The project file (.qsmd).");

    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(Success);
    if (parser.isSet(version))
        parser.showVersion();

    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usageError(QStringLiteral("missing command"));
    options->command = args.at(0);
    if (options->command != QLatin1String("generate") && options->command != QLatin1String("check"))
        return usageError(QStringLiteral("unknown command '%1'").arg(options->command));
    if (args.size() < 2)
        return usageError(QStringLiteral("missing project file"));
    if (args.size() > 2)
        return usageError(QStringLiteral("unexpected argument '%1'").arg(args.at(2)));
    options->project = args.at(1);
    options->outputDirectory = parser.value(output);
    options->force = parser.isSet(force);
    options->werror = parser.isSet(werror);

    applySettings(&options->properties);
    if (parser.isSet(author))
        options->properties.author = parser.value(author);
    if (parser.isSet(organization))
        options->properties.organization = parser.value(organization);
    if (parser.isSet(moduleVersion)) {
        bool ok = false;
        const double v = parser.value(moduleVersion).toDouble(&ok);
        if (!ok || !std::isfinite(v))
            return usageError(QStringLiteral("--module-version needs a number, not '%1'").arg(parser.value(moduleVersion)));
        options->properties.version = v;
    }
    return Success;
}

// Reads the project's records; returns Success, NoProject or CorruptProject.
int readProject(const QString &path, RecordsToMachines::Records *records, QString *projectName)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile() || !info.isReadable()) {
        err() << "kestro-cli: cannot read " << path << ": "
              << (info.exists() ? "not a readable file" : "no such file") << "\n";
        return NoProject;
    }
    ProjectFileReader reader;
    if (!reader.check(path) || !reader.load(path)) {
        err() << ProjectFileReader::corruptMessage() << "\n";
        return CorruptProject;
    }
    *records = reader.takeRecords();
    // The project's name is the name of its first (level-1) node.
    *projectName = records->processes.isEmpty() ? info.completeBaseName() : records->processes.first().label;
    return Success;
}

bool reportDesignErrors(const GeneratedModule &module)
{
    for (const QString &error : module.errors)
        err() << module.moduleName << ": " << error << "\n";
    return !module.errors.isEmpty();
}

// Writes one module unless that would replace files without --force, or
// files this run wrote for another machine. Returns false when nothing or
// not everything was written.
bool writeModule(const Options &options, const QString &directory, const GeneratedModule &module,
                 QSet<QString> *writtenThisRun)
{
    const QStringList paths = { ModuleFiles::headerPath(directory, module), ModuleFiles::sourcePath(directory, module) };
    for (const QString &path : paths) {
        if (writtenThisRun->contains(QFileInfo(path).absoluteFilePath())) {
            err() << "kestro-cli: " << path << " was already written for another state machine named "
                  << module.moduleName << "; not replaced\n";
            return false;
        }
    }
    const QStringList existing = ModuleFiles::existing(directory, module);
    if (!existing.isEmpty() && !options.force) {
        for (const QString &path : existing)
            err() << "kestro-cli: " << path << " exists; use --force to replace it\n";
        return false;
    }
    const ModuleFiles::Result result = ModuleFiles::write(directory, module);
    for (const QString &path : result.written) {
        out() << path << "\n";
        writtenThisRun->insert(QFileInfo(path).absoluteFilePath());
    }
    for (const QString &error : result.errors)
        err() << "kestro-cli: " << error << "\n";
    return result.ok();
}

int run(Options options)
{
    RecordsToMachines::Records records;
    const int read = readProject(options.project, &records, &options.properties.projectName);
    if (read != Success)
        return read;

    const bool generate = options.command == QLatin1String("generate");
    QString directory = options.outputDirectory;
    if (directory.isEmpty())
        directory = QFileInfo(options.project).absolutePath();
    if (generate && !QDir().mkpath(directory)) {
        err() << "kestro-cli: cannot create the directory " << directory << "\n";
        return NotWritten;
    }

    bool designErrors = false;
    bool allWritten = true;
    QSet<QString> writtenThisRun;
    for (const MachineDescription &machine : RecordsToMachines::build(records)) {
        const GeneratedModule module = CEmitter::generate(machine, options.properties);
        designErrors = reportDesignErrors(module) || designErrors;
        if (generate)
            allWritten = writeModule(options, directory, module, &writtenThisRun) && allWritten;
    }
    if (!allWritten)
        return NotWritten;
    return designErrors && options.werror ? DesignErrors : Success;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestro-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTRO_VERSION));

    Options options;
    const int parsed = parseOptions(app, &options);
    if (parsed != Success)
        return parsed;
    const int code = run(options);
    out().flush();
    err().flush();
    return code;
}
