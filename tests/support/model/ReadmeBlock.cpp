#include "ReadmeBlock.h"

#include <QFile>
#include <QStringList>

QByteArray readmeBlock(const QString &readmePath, const QString &marker, int offset)
{
    QFile readme(readmePath);
    if (!readme.open(QIODevice::ReadOnly))
        return QByteArray();
    const QStringList lines = QString::fromUtf8(readme.readAll()).split(QLatin1Char('\n'));
    int line = lines.indexOf(marker);
    if (line < 0)
        return QByteArray();
    QByteArray block;
    for (line += offset; line < lines.size() && lines.at(line).startsWith(QLatin1String("    ")); ++line)
        block += lines.at(line).mid(4).toUtf8() + '\n';
    return block;
}
