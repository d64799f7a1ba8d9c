#pragma once

// The diagrams the user has visited, for Back and Forward. Each entry is a
// canvas of the open project; an entry whose canvas has been destroyed (its
// process item was deleted) is dropped, and neighbours that become equal
// through that merge into one.

#include <QList>
#include <QObject>
#include <QPointer>

class Canvas;

class NavigationHistory : public QObject
{
    Q_OBJECT
public:
    // Older entries are let go beyond this many.
    static constexpr int MaxEntries = 100;

    explicit NavigationHistory(QObject *parent = nullptr);

    // A diagram was shown: it becomes the current entry. Unless it is the
    // current entry already, the entries after the current one are dropped.
    void visit(Canvas *canvas);
    // Steps to the previous (next) entry and returns its canvas, or null
    // (and stays) when there is none.
    Canvas *back();
    Canvas *forward();
    bool canGoBack() const;
    bool canGoForward() const;
    Canvas *current() const;
    int count() const;
    void clear();
    // Drops the entries of destroyed canvases and of canvases not in
    // `kept` (a deleted process item's diagrams, which its undo step keeps
    // alive); emits changed() if any went.
    void prune(const QList<Canvas *> &kept);

signals:
    void changed();

private:
    Canvas *step(int direction);
    bool dropDeadEntries(const QList<Canvas *> *kept = nullptr);

    QList<QPointer<Canvas>> m_entries;
    int m_current = -1;
};
