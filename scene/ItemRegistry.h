#pragma once

// The items a canvas keeps: one list per item kind, each in the order the
// items joined it (the order the project file stores and the generated C
// tests them in), and a lookup from a graphics item to its entry that never
// touches the graphics item itself, so a pointer to an item destroyed
// meanwhile is simply not found. Non-owning.

#include "DiagramItem.h"

#include <QHash>
#include <QList>

class ItemRegistry
{
public:
    // Appends the item to its kind's list; an item already listed stays
    // where it is.
    void append(DiagramItem *item);
    // Puts the item at a position of its kind's list (clamped), unless it
    // is listed already.
    void insert(int index, DiagramItem *item);
    // Returns whether the item was listed.
    bool remove(DiagramItem *item);
    // Position in its kind's list, or -1.
    int indexOf(const DiagramItem *item) const;

    // The listed item behind a graphics item, or null.
    DiagramItem *find(const QGraphicsItem *item) const { return m_byItem.value(item); }
    bool contains(const QGraphicsItem *item) const { return m_byItem.contains(item); }

    // The items of one kind (an ItemType value), in list order.
    QList<DiagramItem *> ofKind(int kind) const { return m_byKind.value(kind); }
    // The same as items of their class.
    template <class T> QList<T *> items() const
    {
        const QList<DiagramItem *> listed = m_byKind.value(T::Type);
        QList<T *> typed;
        typed.reserve(listed.size());
        for (DiagramItem *item : listed)
            typed.append(static_cast<T *>(item));
        return typed;
    }
    // Every listed item, kind after kind.
    QList<DiagramItem *> all() const;

private:
    QHash<int, QList<DiagramItem *>> m_byKind;
    QHash<const QGraphicsItem *, DiagramItem *> m_byItem;
};
