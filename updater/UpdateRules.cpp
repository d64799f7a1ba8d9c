#include "UpdateRules.h"

#include <QStringList>
#include <QUrl>

namespace UpdateRules {

namespace {
qulonglong partValue(const QString &part)
{
    bool ok = false;
    const qulonglong value = part.toULongLong(&ok, 10);
    return ok ? value : 0;
}
} // namespace

QString defaultFeedUrl()
{
    return QStringLiteral("https://updates.orvanta.com/kestro/feed.json");
}

QString updateFeedUrl()
{
    const QString overridden = qEnvironmentVariable("KESTRO_UPDATE_FEED");
    return overridden.isEmpty() ? defaultFeedUrl() : overridden;
}

QString downloadPageUrl()
{
    return QStringLiteral("https://orvanta.com/kestro/download");
}

bool compareVersions(const QString &a, const QString &b)
{
    const QStringList partsA = a.split(QLatin1Char('.'));
    const QStringList partsB = b.split(QLatin1Char('.'));
    const int parts = qMax(partsA.size(), partsB.size());
    for (int i = 0; i < parts; ++i) {
        const qulonglong va = partValue(partsA.value(i));
        const qulonglong vb = partValue(partsB.value(i));
        if (va != vb)
            return va > vb;
    }
    return false;
}

QString sizeText(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 bytes").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg(bytes / 1024);
    return QStringLiteral("%1 MB").arg(bytes / (1024 * 1024));
}

qint64 remainingSeconds(qint64 received, qint64 total, qint64 elapsedSeconds)
{
    if (elapsedSeconds < 1)
        return -1;
    const qint64 rate = received / elapsedSeconds;
    if (rate <= 0)
        return -1;
    return qMax<qint64>(0, total - received) / rate;
}

QString timeRemainingText(qint64 seconds)
{
    if (seconds > 7200) {
        const qint64 hours = qRound64(seconds / 3600.0);
        return hours < 2 ? QStringLiteral("about one hour")
                         : QStringLiteral("about %1 hours").arg(hours);
    }
    if (seconds > 60) {
        const qint64 minutes = qRound64(seconds / 60.0);
        return minutes < 2 ? QStringLiteral("1 minute") : QStringLiteral("%1 minutes").arg(minutes);
    }
    return seconds < 2 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(seconds);
}

QString downloadKind(const QString &url)
{
    const QString name = fileNameFromUrl(url).toLower();
    if (name.endsWith(QLatin1String(".deb")))
        return QStringLiteral("Kestro (a .deb package)");
    if (name.endsWith(QLatin1String(".rpm")))
        return QStringLiteral("Kestro (an .rpm package)");
    if (name.endsWith(QLatin1String(".appimage")))
        return QStringLiteral("Kestro (an AppImage)");
    if (name.endsWith(QLatin1String(".tar.gz")) || name.endsWith(QLatin1String(".tar.xz")))
        return QStringLiteral("Kestro (a tar archive)");
    return QStringLiteral("Kestro");
}

bool isFetchAllowed(const QUrl &url)
{
    return url.isValid() && !url.host().isEmpty()
           && url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

QString fileNameFromUrl(const QString &url)
{
    QString path = QUrl(url).path(QUrl::FullyDecoded);
    if (path.isEmpty())
        path = url;
    QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    name = name.mid(name.lastIndexOf(QLatin1Char('\\')) + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return defaultFileName();
    return name;
}

} // namespace UpdateRules

QString UpdateRules::cappedText(const QString &text, int limit)
{
    if (text.size() <= limit)
        return text;
    int cut = qMax(0, limit - 1);
    if (cut > 0 && text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut) + QChar(0x2026);
}
