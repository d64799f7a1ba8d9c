#pragma once

// A small HTTP/1.1 server over TLS (https) on 127.0.0.1 for tests of
// network code, with the test certificate (TestCertificate), which start()
// makes this process trust: the program fetches https addresses only. Each
// path has a scripted response; unknown paths answer 404. Every connection
// gets one response and is then closed (unless the response stalls).

#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

class LocalHttpServer : public QTcpServer
{
    Q_OBJECT

public:
    struct Response
    {
        int status = 200;
        QByteArray reason = "OK";
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        // false: no Content-Length, the body ends when the connection closes.
        bool sendContentLength = true;
        // Content-Length to announce instead of the body's size (to send less
        // than announced); -1 announces the body's size.
        qint64 announcedLength = -1;
        // Keep the connection open after the body instead of closing it.
        bool stall = false;
    };

    explicit LocalHttpServer(QObject *parent = nullptr);
    ~LocalHttpServer() override;

    // Trusts the test certificate and listens on 127.0.0.1 on a free port.
    bool start();
    quint16 port() const;
    // "https://127.0.0.1:PORT" + path (path starts with "/").
    QString url(const QString &path) const;

    void setRoute(const QString &path, const Response &response);
    static Response ok(const QByteArray &body, const QByteArray &contentType = "application/octet-stream");
    static Response redirect(const QString &location, int status = 302);

    // Paths requested so far, in order, and the User-Agent of each request.
    QStringList requestedPaths() const { return m_paths; }
    QList<QByteArray> userAgents() const { return m_userAgents; }
    int requestCount(const QString &path) const { return m_paths.count(path); }

    // Closes every open connection abruptly (a reset).
    void dropConnections();
    // Closes every open connection in order, ending stalled responses whose
    // body is delimited by the end of the connection.
    void finishConnections();

signals:
    void requestReceived(const QString &path);

protected:
    // Each connection is a TLS socket that starts its handshake at once.
    void incomingConnection(qintptr descriptor) override;

private:
    void onReadyRead(QTcpSocket *socket);
    void respond(QTcpSocket *socket, const QString &path);

    QHash<QString, Response> m_routes;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QStringList m_paths;
    QList<QByteArray> m_userAgents;
};
