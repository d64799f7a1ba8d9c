// kestro-cli: checks a project's state machines and generates their C
// modules from the command line, without a display.
//
//   kestro-cli generate PROJECT.qsmd [-o DIR] [--force] [--author TEXT]
//              [--organization TEXT] [--module-version NUMBER] [--werror]
//              [--compile] [--cflags FLAGS] [--style classic|instance]
//              [--counter-type uint8_t|uint16_t|uint32_t]
//   kestro-cli check PROJECT.qsmd [--werror] [--compile] [--cflags FLAGS] [--style S]
//              [--counter-type T]
//   kestro-cli simulate PROJECT.qsmd MACHINE ...   (see SimulateCommand.h)
//   kestro-cli export PROJECT.qsmd -o DIR ...      (see ExportCommand.h)
//
// Standard error gets, in this order: what the project file holds that the
// program cannot place ("PROJECT: warning: TEXT"), then per machine its
// design errors ("MODULE: TEXT"), its design warnings ("MODULE: warning:
// TEXT") and, with --compile, the compiler's diagnostics ("MODULE:
// error|warning: ITEM: TEXT").

#include "CEmitter.h"
#include "CliSupport.h"
#include "CompileCheck.h"
#include "ExportCommand.h"
#include "ModuleFiles.h"
#include "ProjectModules.h"
#include "RecordsToMachines.h"
#include "SimulateCommand.h"
#include "TimeInState.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QFileInfo>
#include <QSettings>
#include <QTextStream>

#include <cmath>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

using namespace Cli;

struct Options
{
    QString command;
    QString project;
    QString outputDirectory;    // empty: the project file's directory
    bool force = false;
    bool werror = false;
    bool compile = false;
    bool noSandbox = false;
    QStringList cflags;
    QString style;              // empty: each machine's own, else the project's
    QString counterType;        // empty: the project's
    ModuleProperties properties;
};

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
        "  check     list the design errors and warnings only, write nothing\n"
        "  simulate  run one state machine's C cycle by cycle (see 'kestro-cli simulate --help')\n"
        "  export    draw the diagrams into SVG, PNG or PDF files (see 'kestro-cli export --help')"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption output({ "o", "output" }, "Write the files into DIR.", "DIR");
    const QCommandLineOption force("force", "Replace files that exist already (a symbolic link is replaced itself, never written through).");
    const QCommandLineOption author("author", "Author written into the files (default: the program's setting).", "TEXT");
    const QCommandLineOption organization("organization", "Organization written into the files (default: the program's setting).", "TEXT");
    const QCommandLineOption moduleVersion("module-version", "Version written into the files (default: the program's setting, else 1).", "NUMBER");
    const QCommandLineOption werror("werror", "Exit with 1 when design errors or warnings were found.");
    const QCommandLineOption compile("compile", "Compile each module with $CC (else cc), syntax only, and report "
                                                "the compiler's findings by item; exit with 1 on a compiler error.");
    const QCommandLineOption cflags("cflags", "Extra flags for --compile, split at blanks; double quotes keep blanks together.", "FLAGS");
    const QCommandLineOption noSandbox("no-sandbox", "Where the compiler cannot be confined (no bubblewrap, no user "
                                                     "namespaces), run it without the sandbox instead of exiting with 69.");
    const QCommandLineOption style("style", "Generate every machine in STYLE: classic (one machine, static state) or "
                                            "instance (a context type, several instances), whatever the project says.",
                                   "STYLE");
    const QCommandLineOption counterType("counter-type", "Keep every machine's time in state in TYPE (uint8_t, "
                                                         "uint16_t or uint32_t), whatever the project says.",
                                         "TYPE");
    parser.addOptions({ output, force, author, organization, moduleVersion, werror, compile, cflags, noSandbox, style,
                        counterType });
    parser.addPositionalArgument("command", "generate, check, simulate or export");
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
    options->compile = parser.isSet(compile);
    options->noSandbox = parser.isSet(noSandbox);
    options->cflags = QProcess::splitCommand(parser.value(cflags));
    options->style = parser.value(style);
    if (parser.isSet(style) && options->style != QLatin1String(RecordsToMachines::ClassicStyle)
        && options->style != QLatin1String(RecordsToMachines::InstanceStyle))
        return usageError(QStringLiteral("--style is classic or instance, not '%1'").arg(options->style));
    options->counterType = parser.value(counterType);
    if (parser.isSet(counterType) && !TimeInState::counterTypes().contains(options->counterType))
        return usageError(QStringLiteral("--counter-type is one of %1, not '%2'")
                              .arg(TimeInState::counterTypes().join(QStringLiteral(", ")), options->counterType));

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

// Writes one module unless that would replace files without --force.
// Returns false when nothing or not everything was written.
bool writeModule(const Options &options, const QString &directory, const GeneratedModule &module)
{
    const QStringList existing = ModuleFiles::existing(directory, module);
    if (!existing.isEmpty() && !options.force) {
        for (const QString &path : existing)
            err() << "kestro-cli: " << path << " exists; use --force to replace it\n";
        return false;
    }
    const ModuleFiles::Result result = ModuleFiles::write(directory, module);
    for (const QString &path : result.written)
        out() << path << "\n";
    for (const QString &error : result.errors)
        err() << "kestro-cli: " << error << "\n";
    return result.ok();
}

// What --compile found; Success, Failed (compiler errors) or NoCompiler.
int compileModule(const Options &options, const QString &directory, const GeneratedModule &module,
                  const MachineDescription &machine)
{
    CompileCheck::Options compile;
    compile.compiler = CompileCheck::defaultCompiler();
    compile.flags = options.cflags;
    compile.includeDirectories << directory;
    compile.allowUnconfined = options.noSandbox;
    const CompileCheck::Result result = CompileCheck::run(module, machine, compile);
    if (!result.note.isEmpty())
        err() << "kestro-cli: " << result.note << "\n";
    for (const DesignFinding &finding : result.findings) {
        err() << moduleShown(module) << ": " << (finding.severity == DesignFinding::Error ? "error: " : "warning: ")
              << finding.text << "\n";
    }
    if (result.status == CompileCheck::Status::NoSandbox) {
        err() << "kestro-cli: " << result.message << "; install bubblewrap, or pass --no-sandbox to run it unconfined\n";
        return NoCompiler;
    }
    if (result.status == CompileCheck::Status::CompilerMissing) {
        err() << "kestro-cli: " << result.message << "; set CC to the C compiler to use\n";
        return NoCompiler;
    }
    if (result.status == CompileCheck::Status::Failed) {
        err() << "kestro-cli: " << moduleShown(module) << ": " << result.message << "\n";
        return Failed;
    }
    return result.hasErrors() ? Failed : Success;
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

    LoadNotes notes;
    QVector<MachineDescription> machines = RecordsToMachines::build(records, &notes);
    if (!options.style.isEmpty()) {
        for (MachineDescription &machine : machines)
            machine.style = RecordsToMachines::style(options.style, QString());
    }
    if (!options.counterType.isEmpty()) {
        for (MachineDescription &machine : machines)
            machine.counterType = options.counterType;
    }
    for (const LoadNote &note : notes)
        err() << options.project << ": warning: " << note.text() << "\n";
    // A check without --compile needs the findings only, not the texts.
    ModuleProperties properties = options.properties;
    properties.keepText = generate || options.compile;
    const QVector<GeneratedModule> modules = ProjectModules::generate(machines, properties);

    bool findings = !notes.isEmpty();
    bool unwritable = false;
    bool allWritten = true;
    int compiled = Success;
    for (int i = 0; i < modules.size(); ++i) {
        const GeneratedModule &module = modules.at(i);
        findings = reportDesign(module) || findings;
        if (!module.writable) {
            unwritable = true;
            allWritten = false;
            continue;
        }
        if (generate)
            allWritten = writeModule(options, directory, module) && allWritten;
        if (options.compile) {
            const int code = compileModule(options, directory, module, machines.at(i));
            if (code == NoCompiler)
                return NoCompiler;
            compiled = qMax(compiled, code);
        }
    }
    if (!allWritten && generate)
        return NotWritten;
    if (unwritable || compiled != Success)
        return Failed;
    return findings && options.werror ? Failed : Success;
}

} // namespace

int main(int argc, char *argv[])
{
#ifdef __GLIBC__
    // Blocks of a megabyte and more (the texts of a huge label, the file
    // being read) go back to the system when freed. By default the C library
    // raises that threshold after the first such block is freed and keeps
    // the later ones, so a project with one huge text would hold several
    // times its size.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestro-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTRO_VERSION));

    if (app.arguments().value(1) == QLatin1String("export"))
        return ExportCommand::run(app.arguments());
    if (app.arguments().value(1) == QLatin1String("simulate")) {
        const int code = SimulateCommand().run(app.arguments());
        out().flush();
        err().flush();
        return code;
    }
    Options options;
    const int parsed = parseOptions(app, &options);
    if (parsed != Success)
        return parsed;
    const int code = run(options);
    out().flush();
    err().flush();
    return code;
}
