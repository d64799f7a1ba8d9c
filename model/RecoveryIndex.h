#pragma once

// The index of one recovery folder ("recovery.json"): which recovery copies
// the folder holds, newest first, with what each needs to be offered and
// checked: the project's own file and name, when the copy was taken, and
// the size and SHA-256 of the copy's bytes. QtCore only.
//
// A session writes the index naming a new copy before it writes that copy,
// and deletes a copy only once the index no longer names it. So a listed
// copy that is missing was never finished (the one after it is used), and a
// listed copy whose bytes differ from its checksum is damaged.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

struct RecoveryCopyInfo
{
    QString file;           // name of the copy inside the folder
    QByteArray sha256;      // hexadecimal
    qint64 size = 0;
    QString originalPath;   // the user's project file
    QString projectName;
    QDateTime savedAt;      // UTC
    // SHA-256 (hexadecimal) of the user's file when the copy was taken,
    // empty when there was no such file; not recorded by older versions.
    QByteArray originalSha256;
    bool originalRecorded = false;
};

class RecoveryIndex
{
public:
    // The index file's name inside a recovery folder.
    static QString fileName();

    QVector<RecoveryCopyInfo> copies;   // newest first

    QByteArray toJson() const;
    // Fails (saying why) on anything that is not an index this program wrote.
    static bool fromJson(const QByteArray &json, RecoveryIndex *index, QString *error);

    // SHA-256 of bytes as lower-case hexadecimal.
    static QByteArray checksum(const QByteArray &bytes);
    // SHA-256 of the file at `path`, empty when there is no readable file.
    static QByteArray fileChecksum(const QString &path);
};

// True when the user's file of `info` is no longer the one the copy was
// taken from: it was saved (by this program or another) after the copy was
// written, so recovering the copy over it would put older work over newer.
// A file that is gone has nothing to lose. Copies of older versions, which
// recorded no checksum, compare the file's modification time instead.
bool originalChangedSince(const RecoveryCopyInfo &info);

// What a recovery folder holds, after its copies were checked.
struct RecoveryCheck
{
    enum Status { Nothing, Good, Damaged };
    Status status = Nothing;
    RecoveryCopyInfo copy;   // Good: the newest intact copy; Damaged: the one at fault
    QString problem;         // Damaged: why; Good: why a newer copy was passed over
};

// Reads the index in `folder` and checks the newest finished copy against
// its size and checksum; when that copy is damaged, an older intact copy
// the index lists is Good (and `problem` says what was wrong with the newer). A folder without an index holds Nothing unless it
// holds copies, which can then not be checked and count as Damaged.
RecoveryCheck checkRecoveryFolder(const QString &folder);
