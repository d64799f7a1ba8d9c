#include "InstanceMessenger.h"

#include "InstanceGuard.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

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
    QString path = guard.lockFilePath();
    path.chop(QStringLiteral(".lock").size());
    path += QStringLiteral(".sock");
    if (QFile::encodeName(path).size() <= kMaxSocketPath)
        return path;
    // A socket address holds only about a hundred bytes, so a long runtime
    // folder cannot hold the socket: use a short name in the temporary
    // folder instead, unique per user and key. Both starts compute it alike.
    const QString hash = QFileInfo(path).completeBaseName().section(QLatin1Char('-'), -1);
    return QDir::tempPath() + QStringLiteral("/kestro-%1-%2.sock").arg(::getuid()).arg(hash.left(kShortHashLength));
}

bool InstanceMessenger::listen()
{
    // Only the guard's holder gets here, so a socket file that is still
    // there belongs to an instance that was killed.
    QLocalServer::removeServer(m_socketPath);
    if (m_server->listen(m_socketPath))
        return true;
    m_error = m_server->errorString();
    return false;
}

void InstanceMessenger::takeConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
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

bool InstanceMessenger::handOver(const InstanceGuard &guard, const QString &path, int timeoutMs)
{
    // Percent-encoded, so that no character of the path can end the line.
    const QByteArray request = path.isEmpty()
                                   ? kRaise + '\n'
                                   : kOpenPrefix + QFileInfo(path).absoluteFilePath().toUtf8().toPercentEncoding()
                                         + '\n';
    const QString server = socketPath(guard);
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(server);
        if (socket.waitForConnected(int(qMax<qint64>(1, deadline.remainingTime())))) {
            socket.write(request);
            socket.flush();
            while (!socket.canReadLine() && socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) {
            }
            return socket.readLine().trimmed() == kAnswer.trimmed();
        }
        // The running instance may not be listening yet.
        QThread::msleep(100);
    }
    return false;
}
