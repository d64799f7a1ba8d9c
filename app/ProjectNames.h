#pragma once

// Rules for project names and project file names.

#include <QString>

namespace ProjectNames {

// The extension of project files.
inline QString extension() { return QStringLiteral(".qsmd"); }

// `path` with ".qsmd" appended unless it already ends with it.
QString withExtension(const QString &path);

// `path` with the blanks around its file name (after the last "/") removed,
// and around the name before a ".qsmd" extension.
QString withTrimmedFileName(const QString &path);

// The project name a new project file gives: the file name (after the last
// "/") without its ".qsmd" extension.
QString nameFromFilePath(const QString &path);

// A new project's name: not empty, ASCII letters, digits and underscores.
bool isValidNewName(const QString &name);

// A name given by Rename Project: not empty, ASCII letters, digits,
// underscores and blanks.
bool isValidRename(const QString &name);

} // namespace ProjectNames
