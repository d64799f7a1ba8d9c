#include "CliSupport.h"

#include "ItemRef.h"
#include "ProjectFileReader.h"

#include <QFileInfo>

namespace Cli {

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

int usageError(const QString &message)
{
    err() << "kestro-cli: " << message << "\n"
          << "Try 'kestro-cli --help' for more information.\n";
    err().flush();
    return Usage;
}

int readProject(const QString &path, RecordsToMachines::Records *records, QString *projectName)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile() || !info.isReadable()) {
        err() << "kestro-cli: cannot read " << path << ": "
              << (info.exists() ? "not a readable file" : "no such file") << "\n";
        return NoProject;
    }
    // The load pass rejects everything the check pass does, so the file is
    // read once, as the application reads it.
    ProjectFileReader reader;
    if (!reader.load(path)) {
        err() << ProjectFileReader::corruptMessage() << "\n" << reader.errorDetail(path) << "\n";
        return CorruptProject;
    }
    *records = reader.takeRecords();
    // The project's name is the name of its first (level-1) node.
    *projectName = records->processes.isEmpty() ? info.completeBaseName() : records->processes.first().label;
    return Success;
}

QString moduleShown(const GeneratedModule &module)
{
    return printableText(module.moduleName);
}

namespace {

// Writes a text that may be as long as a huge label in pieces, so that the
// stream never holds a converted copy of all of it.
void writePieces(QTextStream &stream, const QString &text)
{
    constexpr int Piece = 1 << 16;
    for (int at = 0; at < text.size(); at += Piece) {
        stream << text.midRef(at, Piece);
        stream.flush();
    }
}

} // namespace

bool reportDesign(const GeneratedModule &module)
{
    for (const DesignFinding &finding : module.findings) {
        err() << moduleShown(module) << ": " << (finding.severity == DesignFinding::Warning ? "warning: " : "");
        writePieces(err(), finding.text);
        err() << "\n";
    }
    return !module.findings.isEmpty();
}

} // namespace Cli
