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
// The lock lives in a folder only its user can enter: the runtime folder
// when it is the user's own and closed to others (0700), otherwise a 0700
// folder "kestro" under the user's cache folder, never the shared
// temporary folder, where whoever creates a name first would own it. Its
// name carries the user id. The file is opened without following a link
// and checked with fstat: a file of another user, or anything but a plain
// file, is no lock of ours, and only a lock a live process holds on the
// user's own file means another instance runs. Every other failure says
// why (errorString()), so that the program starts normally instead.
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

    enum class Claim {
        Claimed,         // this process holds the lock
        HeldByAnother,   // a live process of this user holds it
        Failed,          // no lock could be taken; errorString() says why
    };

    // True when some other process of this user holds the claim.
    bool anotherInstanceRunning();
    // Claims the lock for this process until releaseClaim() or the end of
    // the process.
    Claim claim();
    // claim() == Claimed.
    bool tryClaim() { return claim() == Claim::Claimed; }
    // Why the last claim failed.
    QString errorString() const { return m_error; }
    // Gives the claim up (a later start may claim it).
    void releaseClaim();
    bool isClaimed() const { return m_fd >= 0; }

    // Path of the lock file used for the key.
    QString lockFilePath() const { return m_lockPath; }
    // The folder of the default guard's lock: the runtime folder when it is
    // usable, else the private fallback folder (made if needed). Empty,
    // saying why in `error`, when neither can be used.
    static QString lockDirectory(QString *error = nullptr);

    // SHA-1 of the UTF-8 bytes of key followed by those of suffix, as 40
    // lower-case hexadecimal characters.
    static QString hashedKey(const QString &key, const QString &suffix);

private:
    struct Location
    {
        QString lockPath;
        QString error;   // why there is no lock path
    };
    InstanceGuard(const QString &key, const Location &location);
    static Location defaultLocation(const QString &key);
    int openLockFile(int flags);

    const QString m_key;
    const QString m_lockPath;
    QString m_directoryError;
    QString m_error;
    int m_fd = -1;   // open and locked while claimed
};
