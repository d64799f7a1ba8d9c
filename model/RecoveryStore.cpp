#include "RecoveryStore.h"

#include "InstanceGuard.h"
#include "PrivateFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace {
const QString kDamaged = QStringLiteral("damaged");

// Newest good copies first, then the damaged ones.
bool offeredBefore(const RecoveryCandidate &a, const RecoveryCandidate &b)
{
    const bool aGood = a.check.status == RecoveryCheck::Good;
    const bool bGood = b.check.status == RecoveryCheck::Good;
    if (aGood != bGood)
        return aGood;
    return a.check.copy.savedAt > b.check.copy.savedAt;
}
} // namespace

RecoveryStore::RecoveryStore(const QString &root)
    : m_root(root)
{
}

QString RecoveryStore::defaultRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
           + QStringLiteral("/recovery");
}

QString RecoveryStore::damagedFolder() const
{
    return QDir(m_root).filePath(kDamaged);
}

std::shared_ptr<InstanceGuard> RecoveryStore::folderLock(const QString &folder)
{
    return std::make_shared<InstanceGuard>(QFileInfo(folder).fileName(), folder);
}

QVector<RecoveryCandidate> RecoveryStore::claimOrphans()
{
    QVector<RecoveryCandidate> found;
    const QStringList names = QDir(m_root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        if (name == kDamaged)
            continue;
        RecoveryCandidate candidate;
        candidate.folder = QDir(m_root).filePath(name);
        candidate.claim = folderLock(candidate.folder);
        // A session that still runs holds its lock; its folder is not ours.
        if (!candidate.claim->tryClaim())
            continue;
        candidate.check = checkRecoveryFolder(candidate.folder);
        if (candidate.check.status == RecoveryCheck::Nothing) {
            discard(candidate);
            continue;
        }
        found.append(candidate);
    }
    std::stable_sort(found.begin(), found.end(), offeredBefore);
    return found;
}

bool RecoveryStore::discard(const RecoveryCandidate &candidate, QString *error)
{
    if (QDir(candidate.folder).removeRecursively())
        return true;
    if (error)
        *error = QStringLiteral("%1 could not be removed").arg(QDir::toNativeSeparators(candidate.folder));
    return false;
}

QString RecoveryStore::setAside(const RecoveryCandidate &candidate, QString *error)
{
    PrivateFiles::makeFolder(damagedFolder());
    const QString target = QDir(damagedFolder()).filePath(QFileInfo(candidate.folder).fileName());
    if (QDir().rename(candidate.folder, target))
        return target;
    if (error)
        *error = QStringLiteral("%1 could not be moved to %2")
                     .arg(QDir::toNativeSeparators(candidate.folder), QDir::toNativeSeparators(target));
    return QString();
}
