#pragma once

// Writes a whole file through a temporary file beside it and puts it in
// place only when every byte has reached the disk. QtCore only; the project
// writer, the generated C modules, the pictures and Kestro's own files all
// write through it.
//
// QSaveFile alone is not enough: data smaller than the device buffer is only
// handed to the system when the file is closed, and QSaveFile::commit() does
// not look at errors of that last flush, so on a full disk a small file is
// replaced by an empty one and reported as saved. A large write that stops
// part-way reports a short count with no error text at all ("Unknown
// error"). Here the file is opened unbuffered, a short write is retried for
// the rest so that the system names the real reason, and the data is synced
// before the old file is replaced.
//
// A symbolic link at `path` is an existing file like any other: unless the
// caller asks to follow links (Save over a project opened through a link),
// the link itself is replaced by the new file, so nothing is ever written
// to wherever a link points.

#include <QByteArray>
#include <QIODevice>
#include <QSaveFile>
#include <QString>

#include <memory>

class QTemporaryFile;

class CheckedSaveFile
{
public:
    explicit CheckedSaveFile(const QString &path);
    ~CheckedSaveFile();
    CheckedSaveFile(const CheckedSaveFile &) = delete;
    CheckedSaveFile &operator=(const CheckedSaveFile &) = delete;

    // Before open(): the file is made readable and writable by its owner
    // only (0600), whatever the umask, for the files Kestro keeps for itself.
    void setPrivate(bool on) { m_private = on; }
    // Before open(): write to the file a link at `path` points to, as a
    // plain save does, instead of replacing the link.
    void setFollowLinks(bool on) { m_followLinks = on; }

    // Opens the temporary file beside `path`; `mode` may add Text.
    bool open(QIODevice::OpenMode mode = QIODevice::WriteOnly);
    // Writes all of `bytes`, or fails with the system's reason.
    bool write(const QByteArray &bytes);
    // Makes sure everything written is on the disk, without replacing
    // anything yet; commit() does it if not done before. Files that belong
    // together are each prepared before the first is committed.
    bool prepare();
    // Prepares, then replaces the file at `path`. On failure the old file
    // is left as it was.
    bool commit();
    // Drops the temporary file; the file at `path` stays as it was.
    void cancel();

    QString path() const { return m_path; }
    // Why the last step failed, never empty after a failure.
    QString errorString() const { return m_error; }

    // open(), write() and commit() in one go. On failure `error` (if given)
    // says why; the file at `path` is untouched.
    static bool writeWhole(const QString &path, const QByteArray &bytes,
                           QIODevice::OpenMode mode = QIODevice::WriteOnly,
                           QString *error = nullptr);
    // The same for a file of Kestro's own, made 0600.
    static bool writePrivate(const QString &path, const QByteArray &bytes, QString *error = nullptr);

    // True when something, a symbolic link included (dangling or not),
    // exists at `path`.
    static bool existsOrIsLink(const QString &path);

private:
    bool fail(const QString &reason);
    QFileDevice &device();
    bool commitOverLink();

    QString m_path;
    QSaveFile m_file;
    // Used instead of m_file when a link at m_path is to be replaced.
    std::unique_ptr<QTemporaryFile> m_overLink;
    QString m_error;
    bool m_failed = false;
    bool m_prepared = false;
    bool m_private = false;
    bool m_followLinks = false;
};
