#include "PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

void narrowEntry(const QByteArray &path, const struct stat &st)
{
    if (st.st_uid != ::geteuid() || S_ISLNK(st.st_mode))
        return;
    const mode_t wanted = S_ISDIR(st.st_mode) ? 0700 : 0600;
    if ((st.st_mode & 07777 & ~wanted) == 0)
        return;
    // Opened without following a link, then changed through the handle, so
    // an entry swapped for a link meanwhile is not followed either.
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK
                                                | (S_ISDIR(st.st_mode) ? O_DIRECTORY : 0));
    if (fd < 0) {
        // A socket cannot be opened; its mode is changed by name.
        if (S_ISSOCK(st.st_mode))
            ::chmod(path.constData(), st.st_mode & wanted);
        return;
    }
    struct stat now {};
    if (::fstat(fd, &now) == 0 && now.st_uid == ::geteuid() && now.st_ino == st.st_ino)
        ::fchmod(fd, now.st_mode & wanted);
    ::close(fd);
}

void narrowBelow(const QByteArray &path, int depth)
{
    // Kestro's folders are shallow; the bound keeps a loop of bind mounts
    // or an odd tree from running on.
    if (depth > 8)
        return;
    DIR *dir = ::opendir(path.constData());
    if (!dir)
        return;
    while (dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray child = path + '/' + name;
        struct stat st {};
        if (::lstat(child.constData(), &st) != 0)
            continue;
        narrowEntry(child, st);
        if (S_ISDIR(st.st_mode) && st.st_uid == ::geteuid())
            narrowBelow(child, depth + 1);
    }
    ::closedir(dir);
}

} // namespace

bool PrivateFiles::makeFolder(const QString &path, QString *error)
{
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("no folder is named");
        return false;
    }
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QStringList parts = clean.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current;
    for (const QString &part : parts) {
        current += QLatin1Char('/') + part;
        if (::mkdir(encoded(current).constData(), 0700) != 0 && errno != EEXIST) {
            if (error)
                *error = QStringLiteral("%1 cannot be made: %2").arg(current, systemError());
            return false;
        }
    }
    struct stat st {};
    if (::lstat(encoded(clean).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        if (error)
            *error = QStringLiteral("%1 is not a folder").arg(clean);
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        if (error)
            *error = QStringLiteral("%1 belongs to another user").arg(clean);
        return false;
    }
    narrowEntry(encoded(clean), st);
    return true;
}

void PrivateFiles::narrow(const QString &path)
{
    struct stat st {};
    if (::lstat(encoded(path).constData(), &st) == 0)
        narrowEntry(encoded(path), st);
}

void PrivateFiles::narrowTree(const QString &root)
{
    struct stat st {};
    const QByteArray path = encoded(root);
    if (::lstat(path.constData(), &st) != 0)
        return;
    narrowEntry(path, st);
    if (S_ISDIR(st.st_mode) && st.st_uid == ::geteuid())
        narrowBelow(path, 0);
}

QString PrivateFiles::fallbackRuntimeFolder()
{
    // No cache folder (no home): no fallback, rather than one at the root.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return cache.isEmpty() ? QString() : cache + QStringLiteral("/kestro");
}

QStringList PrivateFiles::ownRoots()
{
    // The settings file lives in the organisation's folder, which holds
    // nothing but this program's settings.
    const QString settings = QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro")).fileName();
    return {QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation),
            QFileInfo(settings).absolutePath(), fallbackRuntimeFolder()};
}

void PrivateFiles::narrowOwnFiles()
{
    const QStringList roots = ownRoots();
    for (int i = 0; i < roots.size(); ++i) {
        if (roots.at(i).isEmpty())
            continue;
        // The data and settings folders are made private before anything
        // is written into them; the fallback folder only when it is used.
        if (i < 2)
            makeFolder(roots.at(i));
        narrowTree(roots.at(i));
    }
}
