#include "RecoveryIndex.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
constexpr int kFormat = 1;
// An index is a few hundred bytes; anything far larger is not ours.
constexpr qint64 kMaxIndexSize = 1 << 20;

QJsonObject toObject(const RecoveryCopyInfo &info)
{
    QJsonObject o;
    o.insert(QStringLiteral("file"), info.file);
    o.insert(QStringLiteral("sha256"), QString::fromLatin1(info.sha256));
    o.insert(QStringLiteral("size"), QString::number(info.size));
    o.insert(QStringLiteral("originalPath"), info.originalPath);
    o.insert(QStringLiteral("projectName"), info.projectName);
    o.insert(QStringLiteral("originalSha256"), QString::fromLatin1(info.originalSha256));
    o.insert(QStringLiteral("savedAt"), info.savedAt.toUTC().toString(Qt::ISODateWithMs));
    return o;
}

bool fromObject(const QJsonObject &o, RecoveryCopyInfo *info)
{
    info->file = o.value(QStringLiteral("file")).toString();
    info->sha256 = o.value(QStringLiteral("sha256")).toString().toLatin1();
    bool sizeOk = false;
    info->size = o.value(QStringLiteral("size")).toString().toLongLong(&sizeOk);
    info->originalPath = o.value(QStringLiteral("originalPath")).toString();
    info->projectName = o.value(QStringLiteral("projectName")).toString();
    info->savedAt = QDateTime::fromString(o.value(QStringLiteral("savedAt")).toString(), Qt::ISODateWithMs);
    const QJsonValue original = o.value(QStringLiteral("originalSha256"));
    info->originalRecorded = original.isString();
    info->originalSha256 = original.toString().toLatin1();
    const bool originalOk = info->originalSha256.isEmpty() || info->originalSha256.size() == 64;
    // The file name must stay inside the folder.
    const bool plainName = !info->file.isEmpty() && !info->file.contains(QLatin1Char('/'))
                           && info->file != QLatin1String("..") && info->file != QLatin1String(".");
    return plainName && sizeOk && info->size >= 0 && info->sha256.size() == 64
           && info->savedAt.isValid() && originalOk;
}

bool readSmallFile(const QString &path, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    if (file.size() > kMaxIndexSize) {
        *error = QStringLiteral("the index is too large");
        return false;
    }
    *bytes = file.readAll();
    return true;
}

bool hasCopyFiles(const QString &folder)
{
    return !QDir(folder).entryList({QStringLiteral("*.qsmd")}, QDir::Files).isEmpty();
}
} // namespace

QString RecoveryIndex::fileName()
{
    return QStringLiteral("recovery.json");
}

QByteArray RecoveryIndex::toJson() const
{
    QJsonArray list;
    for (const RecoveryCopyInfo &info : copies)
        list.append(toObject(info));
    QJsonObject root;
    root.insert(QStringLiteral("format"), kFormat);
    root.insert(QStringLiteral("copies"), list);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool RecoveryIndex::fromJson(const QByteArray &json, RecoveryIndex *index, QString *error)
{
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        *error = QStringLiteral("the index cannot be read (%1)").arg(parseError.errorString());
        return false;
    }
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")).toInt() != kFormat) {
        *error = QStringLiteral("the index has an unknown format");
        return false;
    }
    RecoveryIndex result;
    for (const QJsonValue &value : root.value(QStringLiteral("copies")).toArray()) {
        RecoveryCopyInfo info;
        if (!value.isObject() || !fromObject(value.toObject(), &info)) {
            *error = QStringLiteral("the index lists a copy it does not describe completely");
            return false;
        }
        result.copies.append(info);
    }
    *index = result;
    return true;
}

QByteArray RecoveryIndex::checksum(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray RecoveryIndex::fileChecksum(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return QByteArray();
    return hash.result().toHex();
}

bool originalChangedSince(const RecoveryCopyInfo &info)
{
    const QFileInfo file(info.originalPath);
    if (info.originalPath.isEmpty() || !file.exists())
        return false;
    if (!info.originalRecorded)
        return file.lastModified().toUTC() > info.savedAt;
    return RecoveryIndex::fileChecksum(info.originalPath) != info.originalSha256;
}

RecoveryCheck checkRecoveryFolder(const QString &folder)
{
    RecoveryCheck check;
    const QString indexPath = QDir(folder).filePath(RecoveryIndex::fileName());
    if (!QFileInfo::exists(indexPath)) {
        if (hasCopyFiles(folder)) {
            check.status = RecoveryCheck::Damaged;
            check.problem = QStringLiteral("the folder holds copies but no index to check them by");
        }
        return check;
    }
    QByteArray json;
    RecoveryIndex index;
    QString error;
    if (!readSmallFile(indexPath, &json, &error) || !RecoveryIndex::fromJson(json, &index, &error)) {
        check.status = RecoveryCheck::Damaged;
        check.problem = error;
        return check;
    }
    // The first damage found is what a folder without an intact copy reports.
    RecoveryCheck damaged;
    for (const RecoveryCopyInfo &info : qAsConst(index.copies)) {
        QFile file(QDir(folder).filePath(info.file));
        if (!file.exists())
            continue;   // listed before it was written, and never finished
        QString problem;
        if (!file.open(QIODevice::ReadOnly))
            problem = QStringLiteral("%1: %2").arg(info.file, file.errorString());
        // Size first: a copy cut short is found without reading it all.
        else if (file.size() != info.size || RecoveryIndex::checksum(file.readAll()) != info.sha256)
            problem = QStringLiteral("%1 does not match its checksum").arg(info.file);
        if (problem.isEmpty()) {
            check.status = RecoveryCheck::Good;
            check.copy = info;
            check.problem = damaged.problem;
            return check;
        }
        if (damaged.status != RecoveryCheck::Damaged) {
            damaged.status = RecoveryCheck::Damaged;
            damaged.copy = info;
            damaged.problem = problem;
        }
    }
    return damaged;
}
