#pragma once

// Keeps Kestro to one running instance per login session.
//
// The running instance holds a small named shared-memory segment; its mere
// existence tells a later start that Kestro is already running. A named
// system semaphore serialises every attach, detach and create on that
// segment so that of several simultaneous starts exactly one claims it.
// Needs neither a window nor an event loop, so it is built before the
// application object.

#include <QSharedMemory>
#include <QString>
#include <QSystemSemaphore>

class InstanceGuard
{
public:
    explicit InstanceGuard(const QString &key);
    ~InstanceGuard();

    InstanceGuard(const InstanceGuard &) = delete;
    InstanceGuard &operator=(const InstanceGuard &) = delete;

    // True when some other process holds the segment.
    bool anotherInstanceRunning();
    // Claims the segment for this process; false if another instance holds
    // it or the segment cannot be created.
    bool tryClaim();
    // Gives the segment up (a later start may claim it).
    void releaseClaim();

    // SHA-1 of the UTF-8 bytes of key followed by those of suffix, as 40
    // lower-case hexadecimal characters.
    static QString hashedKey(const QString &key, const QString &suffix);

private:
    const QString m_key;
    const QString m_semaphoreKey;
    const QString m_segmentKey;
    QSharedMemory m_segment;
    QSystemSemaphore m_semaphore;
};
