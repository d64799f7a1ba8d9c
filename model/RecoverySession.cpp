#include "RecoverySession.h"

#include "CheckedSaveFile.h"
#include "InstanceGuard.h"
#include "PrivateFiles.h"
#include "ProjectFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>

namespace {
// Attempts at a fresh folder name when a scan claimed the one just made.
constexpr int kFolderAttempts = 3;

int generationOf(const QString &fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^copy-(\\d+)\\.qsmd$"));
    const QRegularExpressionMatch match = pattern.match(fileName);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}
} // namespace

RecoverySession::RecoverySession(const QString &root)
    : m_root(root)
{
}

RecoverySession::~RecoverySession()
{
    if (m_folder.isEmpty())
        return;
    if (m_index.copies.isEmpty())
        removeFolder();
    // The claim goes with this object, whichever way.
}

QString RecoverySession::filePath(const QString &name) const
{
    return QDir(m_folder).filePath(name);
}

QString RecoverySession::copyPath() const
{
    return m_index.copies.isEmpty() ? QString() : filePath(m_index.copies.first().file);
}

bool RecoverySession::ensureFolder(QString *error)
{
    if (!m_folder.isEmpty())
        return true;
    QString reason;
    for (int attempt = 0; attempt < kFolderAttempts; ++attempt) {
        const QString folder = QDir(m_root).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces));
        // Private: the copies hold the user's project.
        if (!PrivateFiles::makeFolder(folder, &reason))
            break;
        auto claim = RecoveryStore::folderLock(folder);
        // A start scanning for left folders may have claimed it first.
        if (claim->tryClaim()) {
            m_folder = folder;
            m_claim = claim;
            return true;
        }
    }
    if (error)
        *error = QStringLiteral("no recovery folder could be made in %1%2")
                     .arg(QDir::toNativeSeparators(m_root), reason.isEmpty() ? QString() : QStringLiteral(": ") + reason);
    return false;
}

bool RecoverySession::write(const ProjectDocument &document, const QString &originalPath,
                            const QString &projectName, QString *error)
{
    QByteArray bytes;
    ProjectFileWriter writer;
    if (!writer.writeToBytes(document, &bytes)) {
        if (error)
            *error = writer.errorString();
        return false;
    }
    RecoveryCopyInfo info;
    info.sha256 = RecoveryIndex::checksum(bytes);
    info.size = bytes.size();
    info.originalPath = originalPath;
    info.projectName = projectName;
    info.originalSha256 = originalChecksum(originalPath);
    info.originalRecorded = true;
    if (!m_index.copies.isEmpty()) {
        const RecoveryCopyInfo &newest = m_index.copies.first();
        if (newest.sha256 == info.sha256 && newest.originalPath == originalPath
            && newest.projectName == projectName && newest.originalSha256 == info.originalSha256)
            return true;
    }
    if (!ensureFolder(error))
        return false;
    info.file = QStringLiteral("copy-%1.qsmd").arg(m_generation + 1);
    info.savedAt = QDateTime::currentDateTimeUtc();

    // The index names the new copy first; the newest finished copy stays
    // listed (and on disk) until the new one is complete.
    RecoveryIndex next;
    next.copies.append(info);
    if (!m_index.copies.isEmpty())
        next.copies.append(m_index.copies.first());
    QString reason;
    if (!CheckedSaveFile::writePrivate(filePath(RecoveryIndex::fileName()), next.toJson(), &reason)
        || !CheckedSaveFile::writePrivate(filePath(info.file), bytes, &reason)) {
        if (error)
            *error = reason;
        return false;
    }
    ++m_generation;
    m_index = next;
    removeUnlisted();
    return true;
}

QByteArray RecoverySession::originalChecksum(const QString &path)
{
    // The user's file changes only when it is saved, so its checksum is
    // taken again only when its size or time changed.
    const QFileInfo file(path);
    if (path.isEmpty() || !file.exists())
        return QByteArray();
    const QDateTime modified = file.lastModified();
    if (path != m_checkedPath || file.size() != m_checkedSize || modified != m_checkedTime) {
        m_checkedPath = path;
        m_checkedSize = file.size();
        m_checkedTime = modified;
        m_checkedSum = RecoveryIndex::fileChecksum(path);
    }
    return m_checkedSum;
}

void RecoverySession::removeUnlisted()
{
    QStringList keep{RecoveryIndex::fileName(), QFileInfo(m_claim->lockFilePath()).fileName()};
    for (const RecoveryCopyInfo &info : qAsConst(m_index.copies))
        keep << info.file;
    // Older copies and the temporary files of writes that never finished.
    const QStringList names = QDir(m_folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        if (!keep.contains(name))
            QFile::remove(filePath(name));
    }
}

void RecoverySession::discard()
{
    if (m_folder.isEmpty() || m_index.copies.isEmpty())
        return;
    // An empty index first, so that a kill half-way leaves nothing listed.
    const RecoveryIndex listed = m_index;
    m_index = RecoveryIndex();
    if (CheckedSaveFile::writePrivate(filePath(RecoveryIndex::fileName()), m_index.toJson())) {
        removeUnlisted();
        return;
    }
    // Without a new index the copies go oldest first and the index last,
    // so that whatever a kill leaves is still listed and checkable.
    for (int i = listed.copies.size() - 1; i >= 0; --i)
        QFile::remove(filePath(listed.copies.at(i).file));
    QFile::remove(filePath(RecoveryIndex::fileName()));
}

void RecoverySession::adopt(const RecoveryCandidate &candidate)
{
    if (!m_folder.isEmpty()) {
        discard();
        removeFolder();
    }
    m_folder = candidate.folder;
    m_claim = candidate.claim;
    m_index = RecoveryIndex();
    if (candidate.check.status == RecoveryCheck::Good) {
        m_index.copies.append(candidate.check.copy);
        m_generation = generationOf(candidate.check.copy.file);
    }
    // The index is rewritten to name only the copy taken over.
    if (!CheckedSaveFile::writePrivate(filePath(RecoveryIndex::fileName()), m_index.toJson()))
        return;
    removeUnlisted();
}

void RecoverySession::removeFolder()
{
    if (m_folder.isEmpty())
        return;
    QDir(m_folder).removeRecursively();
    m_folder.clear();
    m_claim.reset();
    m_index = RecoveryIndex();
}
