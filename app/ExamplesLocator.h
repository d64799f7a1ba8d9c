#ifndef EXAMPLESLOCATOR_H
#define EXAMPLESLOCATOR_H

#include <QString>
#include <QStringList>

// Where the sample projects are. A source checkout or a portable copy keeps
// them in "Examples" next to where Kestro is started; an installed Kestro
// started from the desktop menu runs in the user's home directory and finds
// them in its data directory instead.

// True when path is a directory holding at least one entry ("." and ".."
// not counted; hidden files count).
bool isUsableExamplesDirectory(const QString &path);

// The installed places, best first: "../share/kestro/Examples" next to the
// running executable (right wherever the package tree was put), then the
// data directory compiled in at build time.
QStringList installedExamplesDirectories();

// The absolute path of "Examples" under workingDirectory when that one is
// usable, else of the first usable directory of installedDirectories. When
// none is usable, the absolute path of "Examples" under workingDirectory is
// returned anyway, so that a caller's own existence check fails and it can
// say so; the result is never empty.
QString findExamplesDirectory(const QString &workingDirectory,
                              const QStringList &installedDirectories);

// The same, for the current working directory and the installed places.
QString findExamplesDirectory();

#endif // EXAMPLESLOCATOR_H
