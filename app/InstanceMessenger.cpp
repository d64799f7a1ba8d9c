#include "InstanceMessenger.h"

#include "InstanceGuard.h"
#include "PrivateFiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
const QByteArray kRaise = QByteArrayLiteral("raise");
const QByteArray kOpenPrefix = QByteArrayLiteral("open ");
const QByteArray kAnswer = QByteArrayLiteral("ok\n");
// A path is far shorter; a longer line is not a request of ours.
constexpr qint64 kMaxRequest = 64 * 1024;
// A connection that sends no complete line in this time is dropped.
constexpr int kRequestTimeoutMs = 5000;
// The longest path a local socket address takes (without its final zero).
constexpr int kMaxSocketPath = int(sizeof(sockaddr_un::sun_path)) - 1;
constexpr int kShortHashLength = 24;

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The user id of the process at the other end of a connected local
// socket, or -1 when the system does not say.
long peerUid(int fd)
{
    ucred credentials {};
    socklen_t size = sizeof credentials;
    if (fd < 0 || ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0
        || size != sizeof credentials)
        return -1;
    return long(credentials.uid);
}

// Why the entry at `path` is not a socket of this user's, or an empty text.
QString notOwnSocket(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("%1: %2").arg(path, systemError());
    if (!S_ISSOCK(st.st_mode))
        return QStringLiteral("%1 is not a socket").arg(path);
    if (st.st_uid != ::geteuid())
        return QStringLiteral("%1 belongs to another user").arg(path);
    return QString();
}

// One attempt of the second start: connects, checks that the listener is
// this user's, sends the request and waits for the answer. Plain system
// calls, so that it needs no application object. 1 taken, 0 refused (with
// the reason), -1 nobody listening yet.
int sendOnce(const QString &server, const QByteArray &request, const QDeadlineTimer &deadline, QString *why)
{
    const QByteArray address = QFile::encodeName(server);
    sockaddr_un sa {};
    sa.sun_family = AF_UNIX;
    if (address.isEmpty() || address.size() > kMaxSocketPath) {
        *why = QStringLiteral("no socket path can be made");
        return 0;
    }
    std::memcpy(sa.sun_path, address.constData(), size_t(address.size()));
    struct stat st {};
    if (::lstat(address.constData(), &st) != 0 && errno == ENOENT) {
        *why = QStringLiteral("nothing listens on %1").arg(server);
        return -1;
    }
    const QString problem = notOwnSocket(server);
    if (!problem.isEmpty()) {
        *why = problem;
        return 0;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *why = systemError();
        return 0;
    }
    auto result = [fd](int r) {
        ::close(fd);
        return r;
    };
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) != 0) {
        *why = QStringLiteral("%1: %2").arg(server, systemError());
        return result(errno == ECONNREFUSED || errno == ENOENT ? -1 : 0);
    }
    // The path must not go to a listener of another user.
    if (peerUid(fd) != long(::geteuid())) {
        *why = QStringLiteral("the process listening on %1 is not this user's").arg(server);
        return result(0);
    }
    qint64 sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::send(fd, request.constData() + sent, size_t(request.size() - sent), MSG_NOSIGNAL);
        if (n <= 0) {
            *why = systemError();
            return result(0);
        }
        sent += n;
    }
    QByteArray answer;
    while (!answer.contains('\n') && answer.size() < 64) {
        pollfd p {fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(qMax<qint64>(1, deadline.remainingTime())));
        if (ready <= 0) {
            *why = QStringLiteral("the running Kestro did not answer");
            return result(0);
        }
        char buffer[64];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        answer.append(buffer, int(n));
    }
    if (answer.trimmed() != kAnswer.trimmed()) {
        *why = QStringLiteral("the running Kestro did not take the request");
        return result(0);
    }
    return result(1);
}
} // namespace

InstanceMessenger::InstanceMessenger(const InstanceGuard &guard, QObject *parent)
    : QObject(parent),
      m_socketPath(socketPath(guard)),
      m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceMessenger::takeConnection);
}

InstanceMessenger::~InstanceMessenger() = default;

QString InstanceMessenger::socketPath(const InstanceGuard &guard)
{
    const QFileInfo lock(guard.lockFilePath());
    if (guard.lockFilePath().isEmpty())
        return QString();
    // A socket address holds only about a hundred bytes: the name is short
    // (the lock's hash, cut), beside the lock, or when that is still too
    // long in the user's private fallback folder. Both starts compute it
    // alike. Never the shared temporary folder: a name there could be taken
    // first by another user.
    const QString hash = lock.completeBaseName().section(QLatin1Char('-'), -1).left(kShortHashLength);
    const QString name = QStringLiteral("kestro-%1.sock").arg(hash);
    for (const QString &folder : {lock.absolutePath(), PrivateFiles::fallbackRuntimeFolder()}) {
        if (folder.isEmpty())
            continue;
        const QString path = folder + QLatin1Char('/') + name;
        if (QFile::encodeName(path).size() <= kMaxSocketPath)
            return path;
    }
    return QString();
}

bool InstanceMessenger::listen()
{
    if (m_socketPath.isEmpty()) {
        m_error = QStringLiteral("no socket path short enough can be made");
        return false;
    }
    // The folder is the lock's (checked by the guard) or the private
    // fallback, made here if needed.
    const QString folder = QFileInfo(m_socketPath).absolutePath();
    if (folder == QDir::cleanPath(PrivateFiles::fallbackRuntimeFolder())
        && !PrivateFiles::makeFolder(folder, &m_error))
        return false;
    // Only the guard's holder gets here, so a socket of this user's that is
    // still there belongs to an instance that was killed. Anything else is
    // left alone, and the hand-over stays off.
    struct stat st {};
    if (::lstat(QFile::encodeName(m_socketPath).constData(), &st) == 0) {
        if (st.st_uid != ::geteuid()) {
            m_error = QStringLiteral("%1 belongs to another user").arg(m_socketPath);
            return false;
        }
        if (!S_ISSOCK(st.st_mode) && !S_ISREG(st.st_mode)) {
            m_error = QStringLiteral("%1 is neither a socket nor a file").arg(m_socketPath);
            return false;
        }
        if (::unlink(QFile::encodeName(m_socketPath).constData()) != 0) {
            m_error = QStringLiteral("%1 cannot be removed: %2").arg(m_socketPath, systemError());
            return false;
        }
    }
    if (m_server->listen(m_socketPath))
        return true;
    m_error = m_server->errorString();
    return false;
}

void InstanceMessenger::takeConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        // Requests are taken from this user's processes only.
        if (peerUid(int(socket->socketDescriptor())) != long(::geteuid())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        QTimer::singleShot(kRequestTimeoutMs, socket, [socket] { socket->abort(); });
        if (socket->bytesAvailable() > 0)
            readRequest(socket);
    }
}

void InstanceMessenger::readRequest(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxRequest)
            socket->abort();
        return;
    }
    const QByteArray line = socket->readLine(kMaxRequest).trimmed();
    const bool raise = line == kRaise;
    const bool open = line.startsWith(kOpenPrefix) && line.size() > kOpenPrefix.size();
    if (!raise && !open) {
        socket->abort();   // not a request of ours: no answer
        return;
    }
    socket->write(kAnswer);
    socket->flush();
    socket->disconnectFromServer();
    if (raise)
        emit raiseRequested();
    else
        emit openRequested(QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(kOpenPrefix.size()))));
}

bool InstanceMessenger::handOver(const InstanceGuard &guard, const QString &path, int timeoutMs, QString *error)
{
    // Percent-encoded, so that no character of the path can end the line.
    const QByteArray request = path.isEmpty()
                                   ? kRaise + '\n'
                                   : kOpenPrefix + QFileInfo(path).absoluteFilePath().toUtf8().toPercentEncoding()
                                         + '\n';
    const QString server = socketPath(guard);
    QDeadlineTimer deadline(timeoutMs);
    QString why = QStringLiteral("nothing listens on %1").arg(server);
    while (!deadline.hasExpired()) {
        const int sent = sendOnce(server, request, deadline, &why);
        if (sent >= 0) {
            if (sent == 0 && error)
                *error = why;
            return sent == 1;
        }
        // The running instance may not be listening yet.
        QThread::msleep(100);
    }
    if (error)
        *error = why;
    return false;
}
