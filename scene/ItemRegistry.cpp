#include "ItemRegistry.h"

void ItemRegistry::append(DiagramItem *item)
{
    insert(-1, item);
}

void ItemRegistry::insert(int index, DiagramItem *item)
{
    if (!item || m_byItem.contains(item))
        return;
    QList<DiagramItem *> &list = m_byKind[item->type()];
    list.insert(index < 0 ? list.size() : qBound(0, index, list.size()), item);
    m_byItem.insert(item, item);
}

bool ItemRegistry::remove(DiagramItem *item)
{
    if (!item || !m_byItem.remove(item))
        return false;
    m_byKind[item->type()].removeOne(item);
    return true;
}

int ItemRegistry::indexOf(const DiagramItem *item) const
{
    if (!item || !m_byItem.contains(item))
        return -1;
    return m_byKind.value(item->type()).indexOf(const_cast<DiagramItem *>(item));
}

QList<DiagramItem *> ItemRegistry::all() const
{
    QList<DiagramItem *> items;
    for (auto it = m_byKind.cbegin(); it != m_byKind.cend(); ++it)
        items += it.value();
    return items;
}
