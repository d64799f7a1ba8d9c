#include "InstanceGuard.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
QString lockDirectory()
{
    // The runtime directory belongs to the user's login session.
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir;
}

int tryLock(int fd)
{
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc;
}
} // namespace

QString InstanceGuard::hashedKey(const QString &key, const QString &suffix)
{
    QByteArray data = key.toUtf8();
    data.append(suffix.toUtf8());
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex());
}

InstanceGuard::InstanceGuard(const QString &key)
    : InstanceGuard(key, lockDirectory())
{
}

InstanceGuard::InstanceGuard(const QString &key, const QString &directory)
    : m_key(key),
      m_lockPath(directory + QLatin1Char('/') + QStringLiteral("kestro-")
                 + hashedKey(key, QStringLiteral("_segmentGuard")) + QStringLiteral(".lock"))
{
}

InstanceGuard::~InstanceGuard()
{
    releaseClaim();
}

int InstanceGuard::openLockFile() const
{
    // The file is never removed: unlinking a lock file that another
    // process has just opened would let two processes lock different files.
    return ::open(QFile::encodeName(m_lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}

bool InstanceGuard::anotherInstanceRunning()
{
    if (isClaimed())
        return false;
    const int fd = ::open(QFile::encodeName(m_lockPath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;   // nobody ever claimed this key here
    const bool heldElsewhere = tryLock(fd) != 0 && errno == EWOULDBLOCK;
    ::close(fd);   // closing drops a lock taken for the test
    return heldElsewhere;
}

bool InstanceGuard::tryClaim()
{
    if (isClaimed())
        return true;
    const int fd = openLockFile();
    if (fd < 0)
        return false;
    if (tryLock(fd) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void InstanceGuard::releaseClaim()
{
    if (!isClaimed())
        return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}
