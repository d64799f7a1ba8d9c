#include "CheckedSaveFile.h"

#include <cerrno>
#include <cstring>

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

} // namespace

CheckedSaveFile::CheckedSaveFile(const QString &path) : m_file(path) {}

CheckedSaveFile::~CheckedSaveFile()
{
    if (m_file.isOpen())
        m_file.cancelWriting();
}

bool CheckedSaveFile::fail(const QString &reason)
{
    m_error = reason.isEmpty() ? QStringLiteral("writing failed") : reason;
    m_failed = true;
    if (m_file.isOpen())
        m_file.cancelWriting();
    return false;
}

bool CheckedSaveFile::open(QIODevice::OpenMode mode)
{
    m_error.clear();
    m_failed = false;
    // Unbuffered: every write reaches the system at once, so its result is
    // the real one.
    if (!m_file.open(mode | QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(reasonOf(m_file, QStringLiteral("the file cannot be created")));
    return true;
}

bool CheckedSaveFile::write(const QByteArray &bytes)
{
    if (m_failed || !m_file.isOpen())
        return fail(m_error);
    qint64 done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const qint64 written = m_file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            const int code = errno;
            return fail(reasonOf(m_file, code ? QString::fromLocal8Bit(std::strerror(code))
                                              : QStringLiteral("the data could not be written")));
        }
        // A short count means the system stopped part-way; the next round
        // either goes on or fails with the reason.
        done += written;
    }
    return true;
}

bool CheckedSaveFile::commit()
{
    if (m_failed || !m_file.isOpen())
        return fail(m_error);
    if (!m_file.flush())
        return fail(reasonOf(m_file, QStringLiteral("the data could not be written")));
    // Space the file system promised but has not allocated yet shows up
    // only here.
    const int handle = m_file.handle();
    if (handle >= 0 && ::fsync(handle) != 0 && errno != EINVAL && errno != EROFS)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
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
