#include "BackgroundWriter.h"

#include "CheckedSaveFile.h"

#include <QDir>
#include <QFileInfo>

BackgroundWriter::BackgroundWriter(int maxWaiting)
    : m_free(qMax(1, maxWaiting))
{
    // One thread: the disk is the limit, and the other core draws.
    m_pool.setMaxThreadCount(1);
}

BackgroundWriter::~BackgroundWriter()
{
    m_pool.waitForDone();
}

void BackgroundWriter::write(const QString &path, const QByteArray &bytes)
{
    auto outcome = std::make_shared<Outcome>();
    outcome->path = path;
    m_outcomes << outcome;
    m_free.acquire();
    m_pool.start([this, outcome, bytes] {
        writeFile(outcome->path, bytes, &outcome->error);
        m_free.release();
    });
}

QVector<BackgroundWriter::Outcome> BackgroundWriter::finish()
{
    m_pool.waitForDone();
    QVector<Outcome> outcomes;
    for (const std::shared_ptr<Outcome> &outcome : qAsConst(m_outcomes))
        outcomes << *outcome;
    m_outcomes.clear();
    return outcomes;
}

bool BackgroundWriter::writeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QString reason;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        reason = QStringLiteral("cannot create the folder");
    else if (CheckedSaveFile::writeWhole(path, bytes, QIODevice::WriteOnly, &reason))
        return true;
    if (error)
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
    return false;
}
