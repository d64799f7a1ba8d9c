#include "ItemKind.h"

void ItemKind::insertAt(ItemCanvas &, const QPointF &) const {}

QGraphicsItem *ItemKind::connect(ItemCanvas &, QGraphicsItem *, QGraphicsItem *) const
{
    return nullptr;
}
