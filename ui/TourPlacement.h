#pragma once

// Where the tour box goes: beside the element it explains, its pointer level
// with the element's top, and always wholly inside the area it may cover.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace TourPlacement {

struct Placement
{
    QPoint topLeft;
    // The box lies left of the element, so its pointer is on its right
    // side, pointing right.
    bool pointerOnRight = false;
};

// anchor: the element's left and right edges and the height the pointer
// aims at (its top); all rectangles in the coordinates of the box's parent.
// The box goes right of the anchor when it fits there, else left of it when
// it fits there, else on the side with more room; then it is moved as little
// as needed to lie inside bounds (to the bounds' top-left corner when it is
// larger than they are).
Placement beside(const QRect &anchor, const QSize &box, const QRect &bounds);

// The same for a box whose top-left corner is given (a fixed point of the
// window): only moved inside bounds, pointer on the left.
Placement at(const QPoint &topLeft, const QSize &box, const QRect &bounds);

// topLeft moved as little as needed for a box of that size to lie inside
// bounds.
QPoint clamped(const QPoint &topLeft, const QSize &box, const QRect &bounds);

} // namespace TourPlacement
