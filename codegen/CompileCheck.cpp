#include "CompileCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "CheckedSaveFile.h"
#include "Sandbox.h"

bool CompileCheck::Result::hasErrors() const
{
    for (const DesignFinding &finding : findings) {
        if (finding.severity == DesignFinding::Error)
            return true;
    }
    return false;
}

QStringList CompileCheck::defaultCompiler()
{
    const QString cc = qEnvironmentVariable("CC").trimmed();
    const QStringList command = QProcess::splitCommand(cc);
    return command.isEmpty() ? QStringList{ QStringLiteral("cc") } : command;
}

QStringList CompileCheck::absoluteIncludeFlags(const QStringList &flags, QStringList *folders)
{
    static const char *const folderOptions[] = { "-I", "-isystem", "-iquote", "-idirafter" };
    static const char *const fileOptions[] = { "-include", "-imacros" };
    const auto absolute = [folders](const QString &path, bool file) {
        const QFileInfo info(QDir::current(), path);
        *folders << (file ? info.absolutePath() : info.absoluteFilePath());
        return info.absoluteFilePath();
    };
    QStringList result;
    for (int i = 0; i < flags.size(); ++i) {
        const QString &flag = flags.at(i);
        bool done = false;
        for (int kind = 0; kind < 2 && !done; ++kind) {
            const auto options = kind == 0 ? QVector<const char *>(std::begin(folderOptions), std::end(folderOptions))
                                           : QVector<const char *>(std::begin(fileOptions), std::end(fileOptions));
            for (const char *option : options) {
                const QLatin1String name(option);
                if (flag == name && i + 1 < flags.size()) {
                    result << flag << absolute(flags.at(++i), kind == 1);
                    done = true;
                } else if (flag.startsWith(name) && flag.size() > name.size() && kind == 0) {
                    result << name + absolute(flag.mid(name.size()), false);
                    done = true;
                }
                if (done)
                    break;
            }
        }
        if (!done)
            result << flag;
    }
    return result;
}

CompileCheck::Family CompileCheck::family(const QString &program)
{
    QString name = QFileInfo(program).fileName().toLower();
    if (name.endsWith(QLatin1String(".exe")))
        name.chop(4);
    // A version after the name: gcc-12, clang-17, arm-none-eabi-gcc-13.2.1.
    static const QRegularExpression version(QStringLiteral("-[0-9][0-9.]*$"));
    name.remove(version);
    const auto named = [&](const char *base) {
        return name == QLatin1String(base) || name.endsWith(QLatin1Char('-') + QLatin1String(base));
    };
    if (named("gcc") || named("clang") || name == QLatin1String("cc") || name == QLatin1String("c99"))
        return Family::Gcc;
    if (named("tcc"))
        return Family::Tcc;
    if (named("sdcc"))
        return Family::Sdcc;
    return Family::Unknown;
}

QString CompileCheck::unknownCompilerNote(const QString &program)
{
    return QStringLiteral("the C compiler '%1' is none Kestro knows (gcc, clang, cc and their cross compilers, "
                          "tcc, sdcc); it is run as '%1 FLAGS -I DIR MODULE.c' with FLAGS from --cflags, "
                          "so pass its syntax-only or compile-only flags there")
        .arg(QFileInfo(program).fileName());
}

QStringList CompileCheck::arguments(Family family, const QStringList &flags, const QStringList &includeDirectories,
                                    const QString &directory, const QString &sourceFile)
{
    QStringList arguments;
    const QString object = QDir(directory).filePath(QFileInfo(sourceFile).completeBaseName());
    switch (family) {
    case Family::Gcc:
        arguments << QStringLiteral("-std=c99") << QStringLiteral("-fsyntax-only") << QStringLiteral("-Wall")
                  << QStringLiteral("-Wextra");
        break;
    case Family::Tcc:
        arguments << QStringLiteral("-std=c99") << QStringLiteral("-Wall") << QStringLiteral("-c")
                  << QStringLiteral("-o") << object + QLatin1String(".o");
        break;
    case Family::Sdcc:
        arguments << QStringLiteral("--std-c99") << QStringLiteral("-c") << QStringLiteral("-o")
                  << object + QLatin1String(".rel");
        break;
    case Family::Unknown:
        break;
    }
    arguments << flags;
    for (const QString &include : includeDirectories)
        arguments << QStringLiteral("-I") + include;
    arguments << QDir(directory).filePath(sourceFile);
    return arguments;
}

QVector<CompileCheck::Diagnostic> CompileCheck::diagnostics(const QString &output)
{
    // file:line:column: kind: text, the column being optional; sdcc numbers
    // its kinds ("error 20:", "warning 112:") and has "syntax error:".
    static const QRegularExpression diagnostic(
        QStringLiteral("^(.*?):(\\d+):(?:(\\d+):)? (fatal error|syntax error|error|warning)(?: \\d+)?: (.*)$"));
    // The compiler's own complaints ("cc1: error: ..."), about no file.
    static const QRegularExpression general(QStringLiteral("^([^:\\s]+): (fatal error|error|warning): (.*)$"));
    const auto severity = [](const QString &kind) {
        return kind == QLatin1String("warning") ? DesignFinding::Warning : DesignFinding::Error;
    };
    QVector<Diagnostic> found;
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = diagnostic.match(line.trimmed());
        if (m.hasMatch()) {
            found << Diagnostic{ m.captured(1), m.captured(2).toInt(), severity(m.captured(4)), m.captured(5) };
            continue;
        }
        const QRegularExpressionMatch g = general.match(line.trimmed());
        if (g.hasMatch())
            found << Diagnostic{ QString(), 0, severity(g.captured(2)), g.captured(1) + QStringLiteral(": ") + g.captured(3) };
    }
    return found;
}

DesignFinding CompileCheck::finding(const Diagnostic &d, const GeneratedModule &module,
                                    const MachineDescription &machine)
{
    DesignFinding finding;
    finding.fromCompiler = true;
    finding.severity = d.severity;
    QString text = d.text;
    const QString file = QFileInfo(d.file).fileName();
    if (d.file.isEmpty()) {
        // The compiler's own complaint: about the machine as a whole.
    } else if (file == module.sourceFileName || file == module.headerFileName) {
        const LineMap &lines = file == module.sourceFileName ? module.sourceLines : module.headerLines;
        if (lines.isTemplate(d.line)) {
            // Text no diagram item holds: the item shown is the machine.
            finding.text = QStringLiteral("%1: the generator's template text, %2 line %3: %4")
                               .arg(ItemRef::machine().describe(machine), file)
                               .arg(d.line)
                               .arg(text);
            return finding;
        }
        finding.item = lines.ownerOf(d.line);
    } else {
        text = QStringLiteral("%1:%2: %3").arg(d.file).arg(d.line).arg(text);
    }
    finding.text = finding.item.describe(machine) + QStringLiteral(": ") + text;
    return finding;
}

DesignFindings CompileCheck::parse(const QString &output, const GeneratedModule &module,
                                   const MachineDescription &machine)
{
    DesignFindings findings;
    for (const Diagnostic &d : diagnostics(output))
        findings << finding(d, module, machine);
    return findings;
}

CompileCheck::Result CompileCheck::run(const GeneratedModule &module, const MachineDescription &machine,
                                       const Options &options)
{
    Result result;
    if (options.compiler.isEmpty()) {
        result.status = Status::CompilerMissing;
        result.message = QStringLiteral("no C compiler is named");
        return result;
    }
    QTemporaryDir dir;
    QString error;
    if (!dir.isValid()
        || !CheckedSaveFile::writeWhole(dir.filePath(module.headerFileName), module.header.toUtf8(),
                                        QIODevice::WriteOnly, &error)
        || !CheckedSaveFile::writeWhole(dir.filePath(module.sourceFileName), module.source.toUtf8(),
                                        QIODevice::WriteOnly, &error)) {
        result.message = QStringLiteral("the files to compile could not be prepared: %1")
                             .arg(error.isEmpty() ? dir.errorString() : error);
        return result;
    }
    QStringList folders = options.includeDirectories;
    QStringList includes;
    for (const QString &directory : options.includeDirectories)
        includes << QFileInfo(directory).absoluteFilePath();
    const Family kind = family(options.compiler.first());
    if (kind == Family::Unknown)
        result.note = unknownCompilerNote(options.compiler.first());
    const QStringList arguments = options.compiler.mid(1)
        + CompileCheck::arguments(kind, absoluteIncludeFlags(options.flags, &folders), includes, dir.path(),
                                  module.sourceFileName);

    Sandbox::Spec spec;
    spec.role = Sandbox::Role::Compiler;
    spec.program = options.compiler.first();
    spec.arguments = arguments;
    spec.buildFolder = dir.path();
    spec.readOnlyFolders = folders;
    const Sandbox::Command command = Sandbox::command(spec, options.allowUnconfined);
    if (command.status != Sandbox::Command::Ready) {
        result.status = command.status == Sandbox::Command::NoSandbox ? Status::NoSandbox : Status::CompilerMissing;
        result.message = command.status == Sandbox::Command::NoSandbox
            ? QStringLiteral("the C compiler was not run: %1").arg(command.error)
            : QStringLiteral("the C compiler '%1' could not be started (no such program)").arg(options.compiler.first());
        return result;
    }
    QProcess compiler;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    compiler.setProcessEnvironment(environment);
    compiler.setProcessChannelMode(QProcess::MergedChannels);
    compiler.setWorkingDirectory(dir.path());
    compiler.start(command.program, command.arguments);
    if (!compiler.waitForStarted()) {
        result.status = Status::CompilerMissing;
        result.message = QStringLiteral("the C compiler '%1' could not be started (%2)")
                             .arg(options.compiler.first(), compiler.errorString());
        return result;
    }
    if (!compiler.waitForFinished(options.timeoutMs)) {
        compiler.kill();
        compiler.waitForFinished();
        result.message = QStringLiteral("the C compiler '%1' did not finish in %2 s")
                             .arg(options.compiler.first())
                             .arg(options.timeoutMs / 1000);
        return result;
    }
    const QString output = QString::fromLocal8Bit(compiler.readAll());
    result.findings = parse(output, module, machine);
    // bubblewrap ends with 128 + the signal its program died of.
    if (compiler.exitStatus() != QProcess::NormalExit || (command.confined && compiler.exitCode() > 128)) {
        result.message = QStringLiteral("the C compiler '%1' crashed").arg(options.compiler.first());
        return result;
    }
    // A failing compiler that said nothing readable still failed.
    if (compiler.exitCode() != 0 && !result.hasErrors()) {
        DesignFinding finding;
        finding.fromCompiler = true;
        finding.text = ItemRef::machine().describe(machine) + QStringLiteral(": ")
            + (output.trimmed().isEmpty() ? QStringLiteral("the compiler failed (exit code %1)")
                                                .arg(compiler.exitCode())
                                          : output.trimmed().section(QLatin1Char('\n'), 0, 0));
        result.findings << finding;
    }
    result.status = Status::Compiled;
    return result;
}
