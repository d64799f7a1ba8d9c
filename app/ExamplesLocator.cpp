#include "ExamplesLocator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef KESTRO_DATADIR
#define KESTRO_DATADIR "/usr/share/kestro"
#endif

namespace {

const char kExamplesName[] = "Examples";

} // namespace

bool isUsableExamplesDirectory(const QString &path)
{
    if (path.isEmpty())
        return false; // QDir("") would mean the working directory itself
    const QFileInfo info(path);
    if (!info.isDir())
        return false;
    const QDir dir(info.absoluteFilePath());
    return !dir.entryList({QStringLiteral("*.qsmd")}, QDir::Files | QDir::Readable | QDir::Hidden).isEmpty();
}

QStringList installedExamplesDirectories()
{
    QStringList places;
    // applicationDirPath() needs the application object; without one only
    // the compiled-in directory is known.
    if (QCoreApplication::instance()) {
        const QString besideBinary = QDir::cleanPath(QCoreApplication::applicationDirPath()
                                                     + QStringLiteral("/../share/kestro/")
                                                     + QLatin1String(kExamplesName));
        places << besideBinary;
    }
    const QString compiledIn = QDir::cleanPath(QStringLiteral(KESTRO_DATADIR "/")
                                               + QLatin1String(kExamplesName));
    if (!places.contains(compiledIn))
        places << compiledIn;
    return places;
}

QString findExamplesDirectory(const QString &workingDirectory,
                              const QStringList &installedDirectories)
{
    const QString local = QDir(workingDirectory).absoluteFilePath(QLatin1String(kExamplesName));
    if (isUsableExamplesDirectory(local))
        return QDir::cleanPath(local);
    for (const QString &place : installedDirectories) {
        if (isUsableExamplesDirectory(place))
            return QDir::cleanPath(QFileInfo(place).absoluteFilePath());
    }
    return QDir::cleanPath(local);
}

QString findExamplesDirectory()
{
    return findExamplesDirectory(QDir::currentPath(), installedExamplesDirectories());
}

QString exampleCopyPath(const QString &examplePath, const QString &dataFolder)
{
    return QDir(dataFolder).absoluteFilePath(QLatin1String(kExamplesName) + QLatin1Char('/')
                                             + QFileInfo(examplePath).fileName());
}

namespace {

bool makeWritableCopy(const QString &from, const QString &to)
{
    if (!QDir().mkpath(QFileInfo(to).absolutePath()))
        return false;
    const QString part = to + QStringLiteral(".part");
    QFile::remove(part);
    // Copied under a temporary name: a copy cut short is never mistaken
    // for the user's own copy later.
    if (!QFile::copy(from, part))
        return false;
    QFile copy(part);
    if (!copy.setPermissions(copy.permissions() | QFileDevice::WriteOwner) || !copy.rename(to)) {
        QFile::remove(part);
        return false;
    }
    return true;
}

} // namespace

bool isWritableExample(const QString &examplePath)
{
    const QFileInfo example(examplePath);
    return QFileInfo(example.absolutePath()).isWritable() && (!example.exists() || example.isWritable());
}

ExampleToOpen exampleToOpen(const QString &examplePath, bool writable, const QString &dataFolder)
{
    ExampleToOpen result;
    result.path = examplePath;
    if (writable)
        return result;

    const QString copy = dataFolder.isEmpty() ? QString() : exampleCopyPath(examplePath, dataFolder);
    if (!copy.isEmpty() && (QFileInfo(copy).isFile() || makeWritableCopy(examplePath, copy))) {
        result.path = copy;
        result.isCopy = true;
        result.note = QStringLiteral("Opened your copy of the read-only example: %1")
                          .arg(QDir::toNativeSeparators(copy));
        return result;
    }
    result.note = QStringLiteral("%1 is read-only: use Save As before changing it or generating code.")
                      .arg(QFileInfo(examplePath).fileName());
    return result;
}

ExampleToOpen exampleToOpen(const QString &examplePath)
{
    return exampleToOpen(examplePath, isWritableExample(examplePath),
                         QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}
