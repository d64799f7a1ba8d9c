#include "ExamplesLocator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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
    return !dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
                .isEmpty();
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
