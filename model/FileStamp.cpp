#include "FileStamp.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {

// The checksum of the file's bytes, read in pieces; empty when it cannot be read.
QByteArray checksumOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return hash.result();
}

} // namespace

FileStamp FileStamp::of(const QString &path)
{
    FileStamp stamp;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return stamp;
    stamp.m_checksum = checksumOf(path);
    if (stamp.m_checksum.isEmpty())
        return stamp;
    stamp.m_valid = true;
    stamp.m_size = info.size();
    stamp.m_modified = info.lastModified();
    return stamp;
}

bool FileStamp::matches(const QString &path) const
{
    if (!m_valid)
        return true;
    const QFileInfo info(path);
    if (!info.isFile())
        return true;
    if (info.size() != m_size)
        return false;
    if (info.lastModified() == m_modified)
        return true;
    return checksumOf(path) == m_checksum;
}

bool FileStamp::operator==(const FileStamp &other) const
{
    return m_valid == other.m_valid && m_size == other.m_size && m_checksum == other.m_checksum;
}
