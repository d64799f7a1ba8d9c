#pragma once

// The recovery folders under the application's data folder
// (AppLocalDataLocation/recovery), one per running session that has
// unsaved changes to keep. A session holds a lock in its own folder for as
// long as it runs (see InstanceGuard), so a folder whose lock nobody holds
// was left by a session that ended without cleaning up: a crash, a kill or
// a power cut. This class finds those folders and disposes of them; the
// session side is RecoverySession.
//
// A damaged folder is never deleted: it is moved into "damaged" beside the
// others, where it stays for the user to look at.

#include "RecoveryIndex.h"

#include <QString>
#include <QVector>

#include <memory>

class InstanceGuard;

// A folder left by a session that no longer runs. While a candidate (or a
// copy of it) exists, its lock is held, so nobody else takes it meanwhile.
struct RecoveryCandidate
{
    QString folder;
    RecoveryCheck check;
    std::shared_ptr<InstanceGuard> claim;
};

class RecoveryStore
{
public:
    explicit RecoveryStore(const QString &root = defaultRoot());

    // AppLocalDataLocation + "/recovery".
    static QString defaultRoot();
    QString root() const { return m_root; }
    // Where damaged folders are kept.
    QString damagedFolder() const;

    // Claims every folder whose session no longer runs, newest copy first
    // (damaged ones last). Folders that hold nothing are removed on the way.
    QVector<RecoveryCandidate> claimOrphans();

    // Deletes a candidate's folder (the user discarded its changes).
    bool discard(const RecoveryCandidate &candidate, QString *error = nullptr);
    // Moves a candidate's folder into damagedFolder(); returns its new
    // path, or an empty text (saying why in error) when it could not be moved.
    QString setAside(const RecoveryCandidate &candidate, QString *error = nullptr);

    // The lock of a recovery folder, not yet claimed.
    static std::shared_ptr<InstanceGuard> folderLock(const QString &folder);

private:
    QString m_root;
};
