#include "ProjectNames.h"

namespace {

bool isAsciiWordChar(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_';
}

bool consistsOf(const QString &name, bool blanksAllowed)
{
    if (name.isEmpty())
        return false;
    for (QChar c : name) {
        if (!isAsciiWordChar(c) && !(blanksAllowed && c == QLatin1Char(' ')))
            return false;
    }
    return true;
}

} // namespace

QString ProjectNames::withExtension(const QString &path)
{
    return path.endsWith(extension()) ? path : path + extension();
}

QString ProjectNames::withTrimmedFileName(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    QString fileName = path.mid(slash + 1).trimmed();
    if (fileName.endsWith(extension()))
        fileName = fileName.left(fileName.size() - extension().size()).trimmed() + extension();
    return path.left(slash + 1) + fileName;
}

QString ProjectNames::nameFromFilePath(const QString &path)
{
    const QString fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    return fileName.endsWith(extension()) ? fileName.left(fileName.size() - extension().size())
                                          : fileName;
}

bool ProjectNames::isValidNewName(const QString &name)
{
    return consistsOf(name, false);
}

bool ProjectNames::isValidRename(const QString &name)
{
    return consistsOf(name, true);
}
