#include "LocalHttpServer.h"

#include "TestCertificate.h"

#include <QHostAddress>
#include <QSslConfiguration>
#include <QSslSocket>

LocalHttpServer::LocalHttpServer(QObject *parent)
    : QTcpServer(parent)
{
}

LocalHttpServer::~LocalHttpServer()
{
    dropConnections();
}

bool LocalHttpServer::start()
{
    TestCertificate::trustTestCertificate();
    return listen(QHostAddress::LocalHost, 0);
}

quint16 LocalHttpServer::port() const
{
    return serverPort();
}

QString LocalHttpServer::url(const QString &path) const
{
    return QStringLiteral("https://127.0.0.1:%1%2").arg(port()).arg(path);
}

void LocalHttpServer::setRoute(const QString &path, const Response &response)
{
    m_routes.insert(path, response);
}

LocalHttpServer::Response LocalHttpServer::ok(const QByteArray &body, const QByteArray &contentType)
{
    Response r;
    r.body = body;
    r.headers.append(qMakePair(QByteArray("Content-Type"), contentType));
    return r;
}

LocalHttpServer::Response LocalHttpServer::redirect(const QString &location, int status)
{
    Response r;
    r.status = status;
    r.reason = status == 301 ? "Moved Permanently" : "Found";
    r.headers.append(qMakePair(QByteArray("Location"), location.toUtf8()));
    return r;
}

void LocalHttpServer::dropConnections()
{
    const QList<QTcpSocket *> sockets = m_buffers.keys();
    m_buffers.clear();
    for (QTcpSocket *socket : sockets) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

void LocalHttpServer::finishConnections()
{
    const QList<QTcpSocket *> sockets = m_buffers.keys();
    for (QTcpSocket *socket : sockets)
        socket->disconnectFromHost();
}

void LocalHttpServer::incomingConnection(qintptr descriptor)
{
    auto *socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    QSslConfiguration configuration = socket->sslConfiguration();
    configuration.setLocalCertificate(TestCertificate::certificate());
    configuration.setPrivateKey(TestCertificate::privateKey());
    socket->setSslConfiguration(configuration);
    m_buffers.insert(socket, QByteArray());
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        m_buffers.remove(socket);
        socket->deleteLater();
    });
    socket->startServerEncryption();
}

void LocalHttpServer::onReadyRead(QTcpSocket *socket)
{
    if (!m_buffers.contains(socket))
        return;
    QByteArray &buffer = m_buffers[socket];
    buffer += socket->readAll();
    const int end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    buffer.clear();
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    QByteArray userAgent;
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == "user-agent")
            userAgent = line.mid(colon + 1).trimmed();
    }
    const QString path = QString::fromUtf8(requestLine.value(1));
    m_paths.append(path);
    m_userAgents.append(userAgent);
    emit requestReceived(path);
    respond(socket, path);
}

void LocalHttpServer::respond(QTcpSocket *socket, const QString &path)
{
    Response r;
    if (m_routes.contains(path)) {
        r = m_routes.value(path);
    } else {
        r.status = 404;
        r.reason = "Not Found";
        r.body = "not found";
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + ' ' + r.reason + "\r\n";
    for (const auto &header : qAsConst(r.headers))
        head += header.first + ": " + header.second + "\r\n";
    if (r.sendContentLength) {
        const qint64 length = r.announcedLength >= 0 ? r.announcedLength : r.body.size();
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    }
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    socket->write(r.body);
    if (!r.stall)
        socket->disconnectFromHost();
}
