#pragma once

// One item's move: where it stood and where it stands after.

#include <QPointF>

class DiagramItem;

struct ItemMove
{
    DiagramItem *item = nullptr;
    QPointF from;
    QPointF to;
};
