#pragma once

// The silhouette an item paints, as its drop shadow needs to know it: the
// kind of shape, its rectangle in item coordinates, the corner radii of a
// rounded rectangle and the width of the pen stroked along its edge. An
// item that paints nothing at the moment (an inactive initial dot, a
// transition hidden between overlapping states) reports None.

#include <QRectF>

struct ShadowOutline
{
    enum Kind { None, Rectangle, RoundedRectangle, Ellipse };

    Kind kind = Rectangle;
    QRectF rect;
    qreal xRadius = 0;
    qreal yRadius = 0;
    qreal penWidth = 0;
    // The item fills its silhouette with an opaque colour, so the shadow
    // under it need not be drawn.
    bool opaque = false;
};
