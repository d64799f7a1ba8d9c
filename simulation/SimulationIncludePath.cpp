#include "SimulationIncludePath.h"

#include <QDir>
#include <QFileInfo>

bool SimulationIncludePath::resolve(const QString &projectFolder, const QStringList &entries, QStringList *folders,
                                    QString *error)
{
    const QString home = QFileInfo(QDir::homePath()).canonicalFilePath();
    QStringList result;
    for (const QString &entry : entries) {
        const QString path = QDir(projectFolder).absoluteFilePath(QDir::cleanPath(entry));
        const QFileInfo info(path);
        QString problem;
        if (!info.exists())
            problem = QStringLiteral("does not exist");
        else if (!info.isDir())
            problem = QStringLiteral("is not a folder");
        const QString canonical = info.canonicalFilePath();
        if (problem.isEmpty()
            && (canonical == QLatin1String("/")
                || (!home.isEmpty() && (home == canonical || home.startsWith(canonical + QLatin1Char('/'))))))
            problem = QStringLiteral("holds the home folder or the whole file system, which a simulation does not read");
        if (!problem.isEmpty()) {
            if (error)
                *error = QStringLiteral("the simulation include folder '%1' (%2) %3").arg(entry, path, problem);
            return false;
        }
        if (!result.contains(canonical))
            result << canonical;
    }
    *folders = result;
    return true;
}
