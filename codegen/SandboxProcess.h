#pragma once

// A QProcess with a channel of its own to the program: a socket pair whose
// far end the program finds as descriptor 3 (Sandbox::ProtocolFd), opened
// before the program starts. The program's standard output and error stay
// what they are, its output, so nothing it prints can pass for a message on
// the channel. QtCore only (kestro-cli links no network library).

#include <QByteArray>
#include <QProcess>

class QSocketNotifier;

class SandboxProcess : public QProcess
{
    Q_OBJECT
public:
    explicit SandboxProcess(QObject *parent = nullptr);
    ~SandboxProcess() override;

    // Makes the channel; call before start(). False (with channelError())
    // when the system gave no socket pair.
    bool openChannel();
    QString channelError() const { return m_channelError; }

    // What arrived on the channel since the last call.
    QByteArray readChannel();
    // Queues `bytes` for the program; they go out as it reads.
    void writeChannel(const QByteArray &bytes);

signals:
    void channelReadyRead();

protected:
    void setupChildProcess() override;

private:
    void closeChildEnd();
    void closeChannel();
    void receive();
    void send();

    int m_fd = -1;
    int m_childFd = -1;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_received;
    QByteArray m_unsent;
    QString m_channelError;
};
