// kestro-render: the pictures of `kestro-cli export`. Reads the project
// file, builds its canvases the way the application does (offscreen, no
// window) and writes one picture per diagram, or one multi-page PDF.
//
// Standard output lists every file written; standard error what the
// project file holds that cannot be placed ("PROJECT: warning: TEXT") and
// every file that could not be written. Exit status: 0 success; 64 usage;
// 65 corrupt project; 66 missing project; 73 a file was not written.

#include "CanvasSetup.h"
#include "CliSupport.h"
#include "DiagramFiles.h"
#include "ProjectBuilder.h"
#include "RenderOptions.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace {

using namespace Cli;

QtMessageHandler g_defaultHandler = nullptr;

// Pictures need no runtime folder: Qt's note that the environment names
// none is noise on a build machine, where it is usually unset.
void dropRuntimeDirNote(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    g_defaultHandler(type, context, message);
}

int writeDiagrams(const RenderOptions &options, const QList<DiagramEntry> &entries,
                  const QString &projectName)
{
    if (!QDir().mkpath(options.outputDirectory)) {
        err() << "kestro-cli: cannot create the directory " << options.outputDirectory << "\n";
        return NotWritten;
    }
    DiagramFiles::Result result;
    if (options.onePdf) {
        const QString path = QDir(options.outputDirectory)
                                 .absoluteFilePath(DiagramFiles::safeName(projectName) + QStringLiteral(".pdf"));
        QString error;
        if (DiagramFiles::writeBook(entries, path, options.picture, projectName, &error))
            result.written << path;
        else
            result.errors << error;
    } else {
        result = DiagramFiles::writeEach(entries, options.outputDirectory, options.picture);
    }
    for (const QString &path : qAsConst(result.written))
        out() << QDir::toNativeSeparators(path) << "\n";
    for (const QString &error : qAsConst(result.errors))
        err() << "kestro-cli: " << error << "\n";
    return result.ok() ? Success : NotWritten;
}

int run(const RenderOptions &options)
{
    ProjectRecordLists records;
    QString projectName;
    const int read = readProject(options.project, &records, &projectName);
    if (read != Success)
        return read;

    QObject owner;
    CanvasSetup setup;
    setup.parent = &owner;
    ProjectBuilder builder(setup);
    const QList<Canvas *> canvases = builder.build(records);
    for (const QString &note : builder.notes())
        err() << options.project << ": warning: " << note << "\n";

    QList<DiagramEntry> entries = DiagramFiles::entries(canvases);
    if (!options.diagram.isEmpty()) {
        const DiagramEntry *entry = DiagramFiles::find(entries, options.diagram);
        if (!entry) {
            QStringList paths;
            for (const DiagramEntry &e : qAsConst(entries))
                paths << QStringLiteral("  ") + e.path;
            err() << "kestro-cli: the project has no diagram '" << options.diagram << "'; its diagrams are:\n"
                  << paths.join(QLatin1Char('\n')) << "\n";
            return Usage;
        }
        entries = {*entry};
    }
    return writeDiagrams(options, entries, projectName);
}

} // namespace

int main(int argc, char *argv[])
{
    // Pictures need fonts and painting but never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_defaultHandler = qInstallMessageHandler(dropRuntimeDirNote);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestro-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTRO_VERSION));

    RenderOptions options;
    int code = options.parse(app.arguments().mid(1));
    if (code == Success)
        code = run(options);
    out().flush();
    err().flush();
    return code;
}
