#include "ItemKind.h"

void ItemKind::loaded(ItemCanvas &, DiagramItem *) const {}

void ItemKind::insertAt(ItemCanvas &, const QPointF &) const {}

QGraphicsItem *ItemKind::connect(ItemCanvas &, QGraphicsItem *, QGraphicsItem *) const
{
    return nullptr;
}
