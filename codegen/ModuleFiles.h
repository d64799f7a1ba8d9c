#pragma once

// Writes the two files of a generated module into a directory. QtCore only,
// shared by the program's generator and the command-line tool. Questions
// (replace existing files?) are the caller's business.

#include "CEmitter.h"

#include <QString>
#include <QStringList>

class ModuleFiles
{
public:
    struct Result
    {
        QStringList written;    // paths of the files written, header first
        QStringList errors;     // "Cannot write PATH: reason", one per failed file
        bool ok() const { return errors.isEmpty(); }
    };

    static QString headerPath(const QString &directory, const GeneratedModule &module);
    static QString sourcePath(const QString &directory, const GeneratedModule &module);
    // The paths among the module's two that exist already, header first;
    // a symbolic link counts, whether or not its target exists.
    static QStringList existing(const QString &directory, const GeneratedModule &module);

    // Writes header and source (UTF-8, platform line ends). Both are written
    // and synced before either replaces anything, so a failure or a kill
    // leaves no half pair behind unless it falls between the two final
    // renames. A link at either path is replaced itself, never written through.
    static Result write(const QString &directory, const GeneratedModule &module);
};
