#pragma once

// The recovery folder of one running session: writes recovery copies of the
// open project and removes them again. QtCore only; the autosave worker
// thread is its only user once it is built.
//
// The folder is made and locked on the first write, so a session without
// unsaved changes leaves nothing on disk. Every copy is the project file
// writer's complete output, written beside the previous copy through
// CheckedSaveFile after the index names it (see RecoveryIndex), so a
// session killed at any moment leaves either its previous copy or its new
// one, each checkable. The user's own file is never written here; each
// copy records the checksum the file had when the copy was taken, so that a
// copy older than the file is never recovered over it unasked. Folders are
// made 0700 and every file in them 0600.

#include "RecoveryIndex.h"
#include "RecoveryStore.h"

#include <QDateTime>
#include <QString>

#include <memory>

class InstanceGuard;
struct ProjectDocument;

class RecoverySession
{
public:
    explicit RecoverySession(const QString &root);
    // Without copies the folder goes; with copies (changes nobody decided
    // about) it stays, unlocked, to be offered by the next start.
    ~RecoverySession();
    RecoverySession(const RecoverySession &) = delete;
    RecoverySession &operator=(const RecoverySession &) = delete;

    // Writes a copy of `document` unless the newest copy holds the same
    // bytes for the same file. False, saying why, when it could not.
    bool write(const ProjectDocument &document, const QString &originalPath,
               const QString &projectName, QString *error = nullptr);
    // Removes every copy (the changes were saved or thrown away).
    void discard();
    // Takes over a folder left by an earlier session whose copy was
    // recovered: its copy stays until a newer one replaces it.
    void adopt(const RecoveryCandidate &candidate);

    QString folder() const { return m_folder; }
    // The newest copy, or an empty text when there is none.
    QString copyPath() const;

private:
    bool ensureFolder(QString *error);
    QString filePath(const QString &name) const;
    void removeUnlisted();
    void removeFolder();
    QByteArray originalChecksum(const QString &path);

    QString m_root;
    QString m_folder;
    std::shared_ptr<InstanceGuard> m_claim;
    RecoveryIndex m_index;   // what is on disk: newest copy first
    int m_generation = 0;
    // The user's file as last checksummed.
    QString m_checkedPath;
    qint64 m_checkedSize = -1;
    QDateTime m_checkedTime;
    QByteArray m_checkedSum;
};
