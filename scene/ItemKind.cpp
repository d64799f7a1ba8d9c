#include "ItemKind.h"

void ItemKind::insertAt(Canvas &, const QPointF &) const {}

QGraphicsItem *ItemKind::connect(Canvas &, QGraphicsItem *, QGraphicsItem *) const
{
    return nullptr;
}
