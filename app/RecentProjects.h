#pragma once

// The projects opened last, most recent first, at most ten, kept in the
// settings store under "recentProjects". Paths are kept absolute and each
// appears once. Every instance reads the store afresh, so all windows see
// the same list.

#include <QObject>
#include <QString>
#include <QStringList>

class RecentProjects : public QObject
{
    Q_OBJECT

public:
    explicit RecentProjects(QObject *parent = nullptr);

    static constexpr int MaxEntries = 10;
    static QString settingsKey();

    QStringList paths() const;
    // Puts path first (moving it up when it is already listed).
    void add(const QString &path);
    void remove(const QString &path);
    void clear();

signals:
    void changed();

private:
    void store(const QStringList &paths);
};
