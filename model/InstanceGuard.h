#pragma once

// Keeps Kestro to one running instance per login session.
//
// The running instance holds an exclusive advisory lock (flock) on a small
// file in the user's runtime directory; a later start that cannot take the
// lock knows that Kestro is already running. The kernel drops the lock when
// the holding process ends for whatever reason, a crash or SIGKILL included,
// so no stale state can block a later start, and taking the lock is atomic,
// so of several simultaneous starts exactly one wins.
//
// (Named shared memory guarded by a named semaphore was tried first: a
// segment left by a killed instance can be cleaned, but the System V
// semaphores behind it are removed by whichever process created them when
// it exits, and a start racing with that removal can leave a semaphore
// stuck at zero, hanging later starts and exits.)
//
// Needs neither a window nor an event loop, so it is built before the
// application object.

#include <QString>

class InstanceGuard
{
public:
    explicit InstanceGuard(const QString &key);
    // A guard whose lock file lives in `directory` instead of the runtime
    // directory (a recovery folder is claimed by the session writing it).
    InstanceGuard(const QString &key, const QString &directory);
    ~InstanceGuard();

    InstanceGuard(const InstanceGuard &) = delete;
    InstanceGuard &operator=(const InstanceGuard &) = delete;

    // True when some other process holds the claim.
    bool anotherInstanceRunning();
    // Claims the lock for this process until releaseClaim() or the end of
    // the process; false if another instance holds it or the lock file
    // cannot be opened.
    bool tryClaim();
    // Gives the claim up (a later start may claim it).
    void releaseClaim();
    bool isClaimed() const { return m_fd >= 0; }

    // Path of the lock file used for the key.
    QString lockFilePath() const { return m_lockPath; }

    // SHA-1 of the UTF-8 bytes of key followed by those of suffix, as 40
    // lower-case hexadecimal characters.
    static QString hashedKey(const QString &key, const QString &suffix);

private:
    int openLockFile() const;

    const QString m_key;
    const QString m_lockPath;
    int m_fd = -1;   // open and locked while claimed
};
