#include "InstanceGuard.h"

#include <QCryptographicHash>

namespace {
// Holds the system semaphore for one step and always gives it back.
class SemaphoreStep
{
public:
    explicit SemaphoreStep(QSystemSemaphore &semaphore) : m_semaphore(semaphore)
    {
        m_semaphore.acquire();
    }
    ~SemaphoreStep() { m_semaphore.release(1); }

private:
    QSystemSemaphore &m_semaphore;
};
} // namespace

QString InstanceGuard::hashedKey(const QString &key, const QString &suffix)
{
    QByteArray data = key.toUtf8();
    data.append(suffix.toUtf8());
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex());
}

InstanceGuard::InstanceGuard(const QString &key)
    : m_key(key),
      m_semaphoreKey(hashedKey(key, QStringLiteral("_semGuardId"))),
      m_segmentKey(hashedKey(key, QStringLiteral("_segmentGuard"))),
      m_segment(m_segmentKey),
      m_semaphore(m_semaphoreKey, 1, QSystemSemaphore::Open)
{
    // A segment left behind by an instance that died without detaching
    // (a crash, SIGKILL) outlives it on platforms with System V shared
    // memory. Attaching and detaching once drops the attach count back to
    // zero, at which point the segment is removed.
    SemaphoreStep step(m_semaphore);
    QSharedMemory leftover(m_segmentKey);
    leftover.attach(QSharedMemory::ReadWrite);
}

InstanceGuard::~InstanceGuard()
{
    releaseClaim();
}

bool InstanceGuard::anotherInstanceRunning()
{
    if (m_segment.isAttached())
        return false;

    SemaphoreStep step(m_semaphore);
    const bool attached = m_segment.attach(QSharedMemory::ReadWrite);
    if (attached)
        m_segment.detach();
    return attached;
}

bool InstanceGuard::tryClaim()
{
    if (anotherInstanceRunning())
        return false;

    bool created = false;
    {
        SemaphoreStep step(m_semaphore);
        created = m_segment.create(8, QSharedMemory::ReadWrite);
    }
    if (!created) {
        releaseClaim();
        return false;
    }
    return true;
}

void InstanceGuard::releaseClaim()
{
    SemaphoreStep step(m_semaphore);
    if (m_segment.isAttached())
        m_segment.detach();
}
