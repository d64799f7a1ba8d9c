#pragma once

// What the commands of kestro-cli share: exit codes, the output streams,
// reading a project file and reporting a module's design findings.

#include "CEmitter.h"
#include "RecordsToMachines.h"

#include <QString>
#include <QTextStream>

namespace Cli {

// Exit codes (BSD sysexits where one fits).
enum Exit : int {
    Success = 0,
    // generate and check: design errors or warnings with --werror, errors of
    // the compiler, with check a machine whose files would not be written;
    // simulate: an expectation that did not hold.
    Failed = 1,
    Usage = 64,
    CorruptProject = 65,
    NoProject = 66,
    NoCompiler = 69,   // also: the compiler or the machine cannot be confined here
    Software = 70,     // simulate: the machine's C did not compile or link, crashed or timed out
    NotWritten = 73,
    Untrusted = 77,    // simulate: the project's folder is not trusted and --trust was not given
};

QTextStream &out();
QTextStream &err();

// Reports a usage error and returns Usage.
int usageError(const QString &message);

// Reads the project's records; returns Success, NoProject or CorruptProject
// (reported). `projectName` gets the name of the project's first node.
int readProject(const QString &path, RecordsToMachines::Records *records, QString *projectName);

// A module's name as it starts its lines on standard error.
QString moduleShown(const GeneratedModule &module);
// Its design errors and warnings; true when there were any.
bool reportDesign(const GeneratedModule &module);

} // namespace Cli
