#pragma once

// Writes a whole file through QSaveFile and commits it only when every byte
// has reached the file. QtCore only; the project writer and the generated
// C modules both write through it.
//
// QSaveFile alone is not enough: data smaller than the device buffer is only
// handed to the system when the file is closed, and QSaveFile::commit() does
// not look at errors of that last flush, so on a full disk a small file is
// replaced by an empty one and reported as saved. A large write that stops
// part-way reports a short count with no error text at all ("Unknown
// error"). Here the file is opened unbuffered, a short write is retried for
// the rest so that the system names the real reason, and the data is synced
// before the old file is replaced.

#include <QByteArray>
#include <QIODevice>
#include <QSaveFile>
#include <QString>

class CheckedSaveFile
{
public:
    explicit CheckedSaveFile(const QString &path);
    ~CheckedSaveFile();
    CheckedSaveFile(const CheckedSaveFile &) = delete;
    CheckedSaveFile &operator=(const CheckedSaveFile &) = delete;

    // Opens the temporary file beside `path`; `mode` may add Text.
    bool open(QIODevice::OpenMode mode = QIODevice::WriteOnly);
    // Writes all of `bytes`, or fails with the system's reason.
    bool write(const QByteArray &bytes);
    // Makes sure everything written is on the disk, then replaces the file
    // at `path`. On failure the old file is left as it was.
    bool commit();
    // Drops the temporary file; the file at `path` stays as it was.
    void cancel();

    QString path() const { return m_file.fileName(); }
    // Why the last step failed, never empty after a failure.
    QString errorString() const { return m_error; }

    // open(), write() and commit() in one go. On failure `error` (if given)
    // says why; the file at `path` is untouched.
    static bool writeWhole(const QString &path, const QByteArray &bytes,
                           QIODevice::OpenMode mode = QIODevice::WriteOnly,
                           QString *error = nullptr);

private:
    bool fail(const QString &reason);

    QSaveFile m_file;
    QString m_error;
    bool m_failed = false;
};
