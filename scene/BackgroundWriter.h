#pragma once

// Writes files on a worker thread while the caller prepares the next ones:
// drawing a picture keeps the GUI thread busy, while writing a file mostly
// waits for the disk (every file is synced before it replaces the old
// one). At most a few files wait at a time, so memory stays bounded.
//
// Files are written through CheckedSaveFile, their folders made as needed.
// finish() waits for all of them and reports each, in the order queued.

#include <QByteArray>
#include <QSemaphore>
#include <QString>
#include <QThreadPool>
#include <QVector>

#include <memory>

class BackgroundWriter
{
public:
    struct Outcome
    {
        QString path;
        QString error;   // empty when every byte was written
    };

    explicit BackgroundWriter(int maxWaiting = 4);
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter &) = delete;
    BackgroundWriter &operator=(const BackgroundWriter &) = delete;

    // Queues `bytes` for `path`; blocks while maxWaiting files wait.
    void write(const QString &path, const QByteArray &bytes);
    // Waits for every queued file; their outcomes in the order queued.
    QVector<Outcome> finish();

    // Writes one file now, its folder made as needed. On failure `error`
    // names the file and the reason.
    static bool writeFile(const QString &path, const QByteArray &bytes, QString *error);

private:
    QThreadPool m_pool;
    QSemaphore m_free;
    QVector<std::shared_ptr<Outcome>> m_outcomes;
};
