#pragma once

// What a file on disk looked like when Kestro last read or wrote it: its
// size, its modification time and a checksum of its bytes. The open
// project keeps one, so that a save notices when someone else (another
// program, a version-control update, a second Kestro) changed the file
// since, instead of overwriting their work without a word.

#include <QByteArray>
#include <QDateTime>
#include <QString>

class FileStamp
{
public:
    FileStamp() = default;

    // The file at path as it is now; an empty stamp when it cannot be read.
    static FileStamp of(const QString &path);

    bool isEmpty() const { return !m_valid; }
    qint64 size() const { return m_size; }

    // Whether the file at path still holds what this stamp saw. Same size
    // and time count as unchanged without reading the file; otherwise the
    // checksums decide, so a file only touched (or rewritten with the same
    // bytes) is not taken for changed. A file that is gone, or an empty
    // stamp, counts as unchanged: a save then loses nobody's work.
    bool matches(const QString &path) const;

    bool operator==(const FileStamp &other) const;
    bool operator!=(const FileStamp &other) const { return !(*this == other); }

private:
    bool m_valid = false;
    qint64 m_size = 0;
    QDateTime m_modified;
    QByteArray m_checksum;
};
