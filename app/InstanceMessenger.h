#pragma once

// Lets a second start of Kestro hand its work to the running instance.
//
// The running instance listens on a local socket beside the instance
// guard's lock file (same folder, same name, ".sock"; in the user's private
// fallback folder under a shorter name when that path is too long for a
// socket), open only to the user. Both ends check the other's user id
// (SO_PEERCRED): a request from another user's process is dropped, and a
// path is never sent to a listener of another user. A second start, which failed to claim the guard, connects and sends
// one line: the absolute path of the project file it was given, or a
// request to raise the window when it was given none. The running instance
// answers "ok" once it has taken the request, so the second start knows it
// arrived before it exits. Because only the guard's holder listens, a
// socket file left by a killed instance can be removed safely.

#include <QObject>
#include <QString>

class InstanceGuard;
class QLocalServer;
class QLocalSocket;

class InstanceMessenger : public QObject
{
    Q_OBJECT

public:
    explicit InstanceMessenger(const InstanceGuard &guard, QObject *parent = nullptr);
    ~InstanceMessenger() override;

    // The socket beside the guard's lock file, or its short stand-in.
    static QString socketPath(const InstanceGuard &guard);

    // Starts listening (the guard must be claimed); false when it cannot.
    bool listen();
    QString errorString() const { return m_error; }

    // The second start's side: hands `path` (empty: raise the window) to
    // the instance holding `guard`. Retries while that instance is still
    // starting, up to timeoutMs; true when the request was taken, else
    // `error` says why. Needs no application object.
    static bool handOver(const InstanceGuard &guard, const QString &path, int timeoutMs = 5000,
                         QString *error = nullptr);

signals:
    void openRequested(const QString &path);
    void raiseRequested();

private:
    void takeConnection();
    void readRequest(QLocalSocket *socket);

    QString m_socketPath;
    QLocalServer *m_server;
    QString m_error;
};
