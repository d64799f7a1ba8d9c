#include "TourPlacement.h"

#include <QtGlobal>

namespace TourPlacement {

namespace {
int clampedStart(int start, int length, int boundsStart, int boundsLength)
{
    const int last = boundsStart + boundsLength - length;
    return qMax(boundsStart, qMin(start, last));
}
} // namespace

QPoint clamped(const QPoint &topLeft, const QSize &box, const QRect &bounds)
{
    return QPoint(clampedStart(topLeft.x(), box.width(), bounds.left(), bounds.width()),
                  clampedStart(topLeft.y(), box.height(), bounds.top(), bounds.height()));
}

Placement beside(const QRect &anchor, const QSize &box, const QRect &bounds)
{
    const int rightStart = anchor.left() + anchor.width();
    const int leftStart = anchor.left() - box.width();
    const int roomRight = bounds.left() + bounds.width() - rightStart;
    const int roomLeft = anchor.left() - bounds.left();

    Placement placement;
    placement.pointerOnRight = roomRight < box.width() && (roomLeft >= box.width() || roomLeft > roomRight);
    const int x = placement.pointerOnRight ? leftStart : rightStart;
    placement.topLeft = clamped(QPoint(x, anchor.top()), box, bounds);
    return placement;
}

Placement at(const QPoint &topLeft, const QSize &box, const QRect &bounds)
{
    Placement placement;
    placement.topLeft = clamped(topLeft, box, bounds);
    return placement;
}

} // namespace TourPlacement
