#include "RecentProjects.h"

#include <QFileInfo>
#include <QSettings>

namespace {
QSettings settings()
{
    return QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"));
}

QString normalised(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}
} // namespace

RecentProjects::RecentProjects(QObject *parent)
    : QObject(parent)
{
}

QString RecentProjects::settingsKey()
{
    return QStringLiteral("recentProjects");
}

QStringList RecentProjects::paths() const
{
    QStringList result;
    for (const QString &path : settings().value(settingsKey()).toStringList()) {
        if (!path.isEmpty() && !result.contains(path) && result.size() < MaxEntries)
            result << path;
    }
    return result;
}

void RecentProjects::add(const QString &path)
{
    if (path.isEmpty())
        return;
    const QString entry = normalised(path);
    QStringList list = paths();
    list.removeAll(entry);
    list.prepend(entry);
    store(list.mid(0, MaxEntries));
}

void RecentProjects::remove(const QString &path)
{
    QStringList list = paths();
    if (list.removeAll(path) + list.removeAll(normalised(path)) > 0)
        store(list);
}

void RecentProjects::clear()
{
    store(QStringList());
}

void RecentProjects::store(const QStringList &paths)
{
    settings().setValue(settingsKey(), paths);
    emit changed();
}
