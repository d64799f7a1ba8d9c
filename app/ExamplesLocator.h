#ifndef EXAMPLESLOCATOR_H
#define EXAMPLESLOCATOR_H

#include <QString>
#include <QStringList>

// Where the sample projects are. A source checkout or a portable copy keeps
// them in "Examples" next to where Kestro is started; an installed Kestro
// started from the desktop menu runs in the user's home directory and finds
// them in its data directory instead.

// True when path is a directory holding at least one project file (*.qsmd).
// An "Examples" folder of something else, common in firmware repositories,
// does not count.
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

// What to open for an example the user picked. An installed example is
// read-only, so saving it or generating code beside it would fail: such an
// example is copied into the user's data folder and the copy is opened. A
// copy made earlier is opened as it is, so work done in it is never
// replaced; delete it to start again from the installed example.
struct ExampleToOpen
{
    QString path;       // the file to open
    bool isCopy = false;
    QString note;       // for the status bar; empty when nothing needs saying
};

// Where the copy of a read-only example goes: <dataFolder>/Examples/<name>.
QString exampleCopyPath(const QString &examplePath, const QString &dataFolder);

// Whether the example and its folder can be written to by this user.
bool isWritableExample(const QString &examplePath);

// The example itself when it is writable, else its copy in dataFolder. When
// no copy can be made the example itself is opened, and the note says to
// use Save As.
ExampleToOpen exampleToOpen(const QString &examplePath, bool writable, const QString &dataFolder);

// The same, for this user's rights and data folder (QStandardPaths'
// AppDataLocation).
ExampleToOpen exampleToOpen(const QString &examplePath);

#endif // EXAMPLESLOCATOR_H
