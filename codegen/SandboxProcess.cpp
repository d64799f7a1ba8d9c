#include "SandboxProcess.h"

#include "Sandbox.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Read at most this much per wake-up; the session bounds what it keeps.
const int ReadChunk = 64 * 1024;

} // namespace

SandboxProcess::SandboxProcess(QObject *parent)
    : QProcess(parent)
{
    connect(this, &QProcess::started, this, &SandboxProcess::closeChildEnd);
    connect(this, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            closeChildEnd();
    });
}

SandboxProcess::~SandboxProcess()
{
    closeChildEnd();
    closeChannel();
}

bool SandboxProcess::openChannel()
{
    int fds[2];
    // Both ends close on exec: only the copy made as descriptor 3 in the
    // child goes on, and nothing else Kestro starts gets either end.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0) {
        m_channelError = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_fd = fds[0];
    m_childFd = fds[1];
    // The child's end blocks, as the program's streams expect.
    ::fcntl(m_childFd, F_SETFL, ::fcntl(m_childFd, F_GETFL) & ~O_NONBLOCK);
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &SandboxProcess::receive);
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &SandboxProcess::send);
    return true;
}

QByteArray SandboxProcess::readChannel()
{
    // Whatever the notifier has not delivered yet (the program just ended).
    if (m_fd >= 0)
        receive();
    QByteArray bytes;
    bytes.swap(m_received);
    return bytes;
}

void SandboxProcess::receive()
{
    char buffer[ReadChunk];
    bool arrived = false;
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            m_received.append(buffer, int(n));
            arrived = true;
            if (m_received.size() > 16 * ReadChunk)
                break;   // the reader takes it in parts
            continue;
        }
        if (n == 0 && m_readNotifier)
            m_readNotifier->setEnabled(false);   // the program closed its end
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    if (arrived)
        emit channelReadyRead();
}

void SandboxProcess::writeChannel(const QByteArray &bytes)
{
    m_unsent += bytes;
    send();
}

void SandboxProcess::send()
{
    while (m_fd >= 0 && !m_unsent.isEmpty()) {
        const ssize_t n = ::send(m_fd, m_unsent.constData(), size_t(m_unsent.size()), MSG_NOSIGNAL);
        if (n > 0) {
            m_unsent.remove(0, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        m_unsent.clear();   // the program is gone; its end says so
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_unsent.isEmpty());
}

void SandboxProcess::setupChildProcess()
{
    // In the child, between fork and exec: async-signal-safe calls only.
    if (m_childFd < 0)
        return;
    if (m_childFd == Sandbox::ProtocolFd)
        ::fcntl(m_childFd, F_SETFD, 0);
    else
        ::dup2(m_childFd, Sandbox::ProtocolFd);
}

void SandboxProcess::closeChildEnd()
{
    if (m_childFd >= 0)
        ::close(m_childFd);
    m_childFd = -1;
}

void SandboxProcess::closeChannel()
{
    delete m_readNotifier;
    delete m_writeNotifier;
    m_readNotifier = m_writeNotifier = nullptr;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}
