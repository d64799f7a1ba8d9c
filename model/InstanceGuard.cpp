#include "InstanceGuard.h"

#include "PrivateFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Why `dir` may not hold the lock, or an empty text when it may: it must be
// a real folder (not a link) of this user and, when `closed`, one nobody
// else can enter.
QString unusableBecause(const QString &dir, bool closed = true)
{
    struct stat st {};
    if (dir.isEmpty())
        return QStringLiteral("no folder is set");
    if (!QDir::isAbsolutePath(dir))
        return QStringLiteral("%1 is not an absolute path").arg(dir);
    if (::lstat(QFile::encodeName(dir).constData(), &st) != 0)
        return QStringLiteral("%1: %2").arg(dir, systemError());
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("%1 is not a folder").arg(dir);
    if (st.st_uid != ::geteuid())
        return QStringLiteral("%1 belongs to another user").arg(dir);
    if (closed && (st.st_mode & 077))
        return QStringLiteral("%1 is open to other users").arg(dir);
    return QString();
}

QString guardName(const QString &key)
{
    return QStringLiteral("kestro-%1-%2.lock")
        .arg(::geteuid())
        .arg(InstanceGuard::hashedKey(key, QStringLiteral("_segmentGuard")));
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

QString InstanceGuard::lockDirectory(QString *error)
{
    // The runtime folder belongs to the user's login session.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString runtimeProblem = unusableBecause(runtime);
    if (runtimeProblem.isEmpty())
        return runtime;
    const QString fallback = PrivateFiles::fallbackRuntimeFolder();
    QString problem;
    if (PrivateFiles::makeFolder(fallback, &problem) && (problem = unusableBecause(fallback)).isEmpty())
        return fallback;
    if (error)
        *error = QStringLiteral("the runtime folder cannot be used (%1), nor %2 (%3)")
                     .arg(runtimeProblem, fallback, problem);
    return QString();
}

InstanceGuard::InstanceGuard(const QString &key)
    : InstanceGuard(key, defaultLocation(key))
{
}

InstanceGuard::InstanceGuard(const QString &key, const Location &location)
    : m_key(key),
      m_lockPath(location.lockPath),
      m_directoryError(location.error)
{
}

InstanceGuard::Location InstanceGuard::defaultLocation(const QString &key)
{
    Location location;
    const QString dir = lockDirectory(&location.error);
    if (!dir.isEmpty())
        location.lockPath = dir + QLatin1Char('/') + guardName(key);
    return location;
}

InstanceGuard::InstanceGuard(const QString &key, const QString &directory)
    : m_key(key),
      m_lockPath(directory + QLatin1Char('/') + QStringLiteral("kestro-")
                 + hashedKey(key, QStringLiteral("_segmentGuard")) + QStringLiteral(".lock")),
      m_directoryError(unusableBecause(directory, false))
{
}

InstanceGuard::~InstanceGuard()
{
    releaseClaim();
}

int InstanceGuard::openLockFile(int flags)
{
    if (!m_directoryError.isEmpty()) {
        m_error = m_directoryError;
        return -1;
    }
    // The file is never removed: unlinking a lock file that another
    // process has just opened would let two processes lock different files.
    // A link is not followed, and what was opened is checked by its handle.
    const int fd = ::open(QFile::encodeName(m_lockPath).constData(), flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd < 0) {
        m_error = errno == ELOOP ? QStringLiteral("%1 is a symbolic link").arg(m_lockPath)
                                 : QStringLiteral("%1: %2").arg(m_lockPath, systemError());
        return -1;
    }
    struct stat st {};
    QString problem;
    if (::fstat(fd, &st) != 0)
        problem = systemError();
    else if (!S_ISREG(st.st_mode))
        problem = QStringLiteral("%1 is not a plain file").arg(m_lockPath);
    else if (st.st_uid != ::geteuid())
        problem = QStringLiteral("%1 belongs to another user").arg(m_lockPath);
    else if ((st.st_mode & 077) && ::fchmod(fd, 0600) != 0)
        problem = QStringLiteral("%1 cannot be made private: %2").arg(m_lockPath, systemError());
    if (!problem.isEmpty()) {
        ::close(fd);
        m_error = problem;
        return -1;
    }
    return fd;
}

bool InstanceGuard::anotherInstanceRunning()
{
    if (isClaimed())
        return false;
    if (!m_directoryError.isEmpty()
        || !QFile::exists(m_lockPath))   // nobody ever claimed this key here
        return false;
    const int fd = openLockFile(O_RDONLY);
    if (fd < 0)
        return false;   // not a lock of this user's
    const bool heldElsewhere = tryLock(fd) != 0 && errno == EWOULDBLOCK;
    ::close(fd);   // closing drops a lock taken for the test
    return heldElsewhere;
}

InstanceGuard::Claim InstanceGuard::claim()
{
    if (isClaimed())
        return Claim::Claimed;
    m_error.clear();
    const int fd = openLockFile(O_RDWR | O_CREAT);
    if (fd < 0)
        return Claim::Failed;
    if (tryLock(fd) != 0) {
        const bool held = errno == EWOULDBLOCK;
        m_error = held ? QStringLiteral("another Kestro of this user runs")
                       : QStringLiteral("%1 cannot be locked: %2").arg(m_lockPath, systemError());
        ::close(fd);
        return held ? Claim::HeldByAnother : Claim::Failed;
    }
    m_fd = fd;
    return Claim::Claimed;
}

void InstanceGuard::releaseClaim()
{
    if (!isClaimed())
        return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}
