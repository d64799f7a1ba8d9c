#include "TrustStore.h"

#include "CheckedSaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

namespace {

const char FolderWord[] = "folder ";
const char ProjectWord[] = "project ";

QSet<QString> &sessionEntries()
{
    static QSet<QString> entries;
    return entries;
}

// The real place of a file or folder; its absolute path while it does not exist.
QString canonical(const QString &path)
{
    const QFileInfo info(path);
    const QString real = info.canonicalFilePath();
    return real.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : real;
}

QString folderEntry(const QString &folder)
{
    return QLatin1String(FolderWord) + canonical(folder);
}

QString projectEntry(const QString &projectPath)
{
    return QLatin1String(ProjectWord) + canonical(projectPath);
}

} // namespace

TrustStore::TrustStore(const QString &root)
    : m_root(root.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                                  + QStringLiteral("/Orvanta/Kestro/trust")
                            : root)
{
}

QString TrustStore::filePath() const
{
    return QDir(m_root).filePath(QStringLiteral("trusted"));
}

QStringList TrustStore::entries() const
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly))
        return QStringList();
    const QString text = QString::fromUtf8(file.read(MaxSize));
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool TrustStore::isTrusted(const QString &projectPath) const
{
    const QString project = projectEntry(projectPath);
    const QString folder = folderEntry(QFileInfo(canonical(projectPath)).absolutePath());
    const QSet<QString> &session = sessionEntries();
    if (session.contains(project) || session.contains(folder))
        return true;
    const QStringList recorded = entries();
    return recorded.contains(project) || recorded.contains(folder);
}

bool TrustStore::trustFolder(const QString &folder, QString *error)
{
    return add(folderEntry(folder), error);
}

bool TrustStore::trustProject(const QString &projectPath, QString *error)
{
    return add(projectEntry(projectPath), error);
}

void TrustStore::trustFolderForSession(const QString &folder)
{
    sessionEntries().insert(folderEntry(folder));
}

void TrustStore::trustProjectForSession(const QString &projectPath)
{
    sessionEntries().insert(projectEntry(projectPath));
}

bool TrustStore::add(const QString &entry, QString *error)
{
    QStringList recorded = entries();
    if (recorded.contains(entry))
        return true;
    recorded << entry;
    // Private: the folder first, so the file is never readable by others,
    // not even while it is being replaced.
    if (!QDir().mkpath(m_root)
        || !QFile::setPermissions(m_root, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)) {
        if (error)
            *error = QStringLiteral("cannot make the private folder %1").arg(m_root);
        return false;
    }
    if (!CheckedSaveFile::writeWhole(filePath(), (recorded.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8(),
                                     QIODevice::WriteOnly, error))
        return false;
    if (!QFile::setPermissions(filePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (error)
            *error = QStringLiteral("cannot make %1 private").arg(filePath());
        return false;
    }
    return true;
}
