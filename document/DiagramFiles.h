#pragma once

// Which diagrams a project has, what their files are called, and writing
// their pictures.
//
// Every diagram is known by its path in the project tree, the names from
// the project down joined by "/" ("Example_1/Motor Controller/
// Microcontroller"). Its file is named by the same path made safe for file
// systems: each name keeps letters, digits, '-' and '_', everything else
// (separators, dots, blanks, control characters) becomes '_', and siblings
// whose safe names would clash get "_2", "_3", ... So the file of a diagram
// is always inside the chosen folder, in folders named after its
// ancestors ("Example_1/Motor_Controller/Microcontroller.svg").
//
// Every file is written through CheckedSaveFile: it is reported written
// only when all its bytes arrived, and a file that fails keeps its old
// contents.

#include "DiagramRender.h"
#include "ExportOptions.h"

#include <QList>
#include <QString>
#include <QStringList>

class Canvas;
class ProcessItem;

struct DiagramEntry
{
    Canvas *canvas = nullptr;
    QString path;       // names joined by "/"
    QString fileStem;   // safe names joined by "/", without suffix
    // The process item on the parent diagram that this diagram details
    // (null for the top one): its links and dataflows are the diagram's
    // interface tags.
    const ProcessItem *owner = nullptr;
};

namespace DiagramFiles {

// Longest safe name kept; longer names are cut.
constexpr int MaxNameLength = 80;

// A name made safe for a file name (never empty, ".", ".." or hidden).
QString safeName(const QString &name);

// The diagrams reached from the level-1 canvas (the first of the list),
// depth first in the order of the process items (on a state machine's
// diagram: of the states holding sub-machines), as the browser lists
// them. Canvases the tree does not reach are left out.
QList<DiagramEntry> entries(const QList<Canvas *> &canvases);

// The entry whose path or file stem is `path` (a trailing suffix and
// surrounding slashes are ignored), else the only entry whose own name is
// `path` as written or with blanks as underscores (a state machine's module
// name); null when there is none or the name is not unique.
const DiagramEntry *find(const QList<DiagramEntry> &entries, const QString &path);

struct Result
{
    QStringList written;   // full paths of the files written
    QStringList errors;    // one line per file that failed
    bool ok() const { return errors.isEmpty(); }
};

// Makes the entry's interface tags (the floating ends of its owner's links
// and dataflows) afresh, so that its picture shows them whether or not the
// diagram was ever shown. The write functions call it for every entry.
void prepare(const DiagramEntry &entry);

// One file per diagram below `directory` (created as needed).
Result writeEach(const QList<DiagramEntry> &entries, const QString &directory,
                 const ExportOptions &options);
// One diagram into `filePath`.
bool writeOne(const DiagramEntry &entry, const QString &filePath, const ExportOptions &options,
              QString *error);
// All diagrams as one PDF, a page each, titled with its path.
bool writeBook(const QList<DiagramEntry> &entries, const QString &filePath,
               const ExportOptions &options, const QString &projectName, QString *error);

} // namespace DiagramFiles
