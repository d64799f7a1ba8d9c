#include "CheckedSaveFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Errors of the file device, or a general text when it has none.
QString reasonOf(const QFileDevice &file, const QString &fallback)
{
    if (file.error() != QFileDevice::NoError && !file.errorString().isEmpty()
        && file.errorString() != QLatin1String("Unknown error"))
        return file.errorString();
    return fallback;
}

bool isLink(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// The process's file creation mask, read without changing it (umask() can
// only be read by setting it, which races with other threads creating files).
mode_t currentUmask()
{
    mode_t mask = 022;
    if (FILE *status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = mode_t(value);
                break;
            }
        }
        std::fclose(status);
    }
    return mask;
}

const QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

} // namespace

CheckedSaveFile::CheckedSaveFile(const QString &path) : m_path(path), m_file(path) {}

CheckedSaveFile::~CheckedSaveFile()
{
    cancel();
}

QFileDevice &CheckedSaveFile::device()
{
    if (m_overLink)
        return *m_overLink;
    return m_file;
}

bool CheckedSaveFile::fail(const QString &reason)
{
    m_error = reason.isEmpty() ? QStringLiteral("writing failed") : reason;
    m_failed = true;
    cancel();
    return false;
}

bool CheckedSaveFile::existsOrIsLink(const QString &path)
{
    return QFileInfo::exists(path) || isLink(path);
}

bool CheckedSaveFile::open(QIODevice::OpenMode mode)
{
    m_error.clear();
    m_failed = false;
    m_prepared = false;
    // Unbuffered: every write reaches the system at once, so its result is
    // the real one.
    mode |= QIODevice::WriteOnly | QIODevice::Unbuffered;
    if (!m_followLinks && isLink(m_path)) {
        // The new file is made beside the link and renamed over it, which
        // replaces the link and leaves its target alone.
        const QFileInfo info(m_path);
        m_overLink = std::make_unique<QTemporaryFile>(info.absolutePath() + QStringLiteral("/.")
                                                      + info.fileName() + QStringLiteral(".XXXXXX"));
        m_overLink->setAutoRemove(true);
        if (!m_overLink->open())
            return fail(reasonOf(*m_overLink, QStringLiteral("the file cannot be created")));
        const mode_t wanted = m_private ? 0600 : (0666 & ~currentUmask());
        if (::fchmod(m_overLink->handle(), wanted) != 0)
            return fail(QString::fromLocal8Bit(std::strerror(errno)));
        return true;
    }
    if (!m_file.open(mode))
        return fail(reasonOf(m_file, QStringLiteral("the file cannot be created")));
    // Nothing is written yet, so nobody can have read anything meanwhile.
    if (m_private && !m_file.setPermissions(kOwnerOnly))
        return fail(reasonOf(m_file, QStringLiteral("the file cannot be made private")));
    return true;
}

bool CheckedSaveFile::write(const QByteArray &bytes)
{
    QFileDevice &file = device();
    if (m_failed || !file.isOpen())
        return fail(m_error);
    qint64 done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            const int code = errno;
            return fail(reasonOf(file, code ? QString::fromLocal8Bit(std::strerror(code))
                                            : QStringLiteral("the data could not be written")));
        }
        // A short count means the system stopped part-way; the next round
        // either goes on or fails with the reason.
        done += written;
    }
    return true;
}

bool CheckedSaveFile::prepare()
{
    QFileDevice &file = device();
    if (m_failed || !file.isOpen())
        return fail(m_error);
    if (m_prepared)
        return true;
    if (!file.flush())
        return fail(reasonOf(file, QStringLiteral("the data could not be written")));
    // Space the file system promised but has not allocated yet shows up
    // only here.
    const int handle = file.handle();
    if (handle >= 0 && ::fsync(handle) != 0 && errno != EINVAL && errno != EROFS)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    m_prepared = true;
    return true;
}

bool CheckedSaveFile::commitOverLink()
{
    const QString temporary = m_overLink->fileName();
    m_overLink->close();
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(m_path).constData()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    m_overLink->setAutoRemove(false);
    m_overLink.reset();
    return true;
}

bool CheckedSaveFile::commit()
{
    if (!prepare())
        return false;
    if (m_overLink)
        return commitOverLink();
    if (!m_file.commit()) {
        m_failed = true;
        m_error = reasonOf(m_file, QStringLiteral("the file could not be replaced"));
        return false;
    }
    return true;
}

void CheckedSaveFile::cancel()
{
    if (m_file.isOpen())
        m_file.cancelWriting();
    m_overLink.reset();   // removes the temporary file
}

bool CheckedSaveFile::writeWhole(const QString &path, const QByteArray &bytes,
                                 QIODevice::OpenMode mode, QString *error)
{
    CheckedSaveFile file(path);
    if (file.open(mode) && file.write(bytes) && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

bool CheckedSaveFile::writePrivate(const QString &path, const QByteArray &bytes, QString *error)
{
    CheckedSaveFile file(path);
    file.setPrivate(true);
    if (file.open() && file.write(bytes) && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}
