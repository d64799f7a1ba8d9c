#pragma once

// The drop shadow of one silhouette at one zoom, drawn from a small blurred
// picture whatever the size of the item.
//
// From 1:1 up, the blur and offset are those of the stock drop-shadow effect
// in device pixels. Zoomed out, they shrink with the zoom like the rest of
// the drawing (shadowScale), so a diagram fitted to the window shows each
// item with a shadow in proportion and blends no more shadow than it needs.
//
// The picture is the stock drop-shadow effect's own result for the same
// silhouette, so the shadow looks as it always did. Beyond a few blur radii
// from its corners the shadow of a (rounded) rectangle no longer changes
// along an edge, so a picture of a box of at most 2M+1 pixels holds every
// distinct part: its corners are drawn as they are, its middle column and
// row are stretched along the edges and its middle pixel fills the inside.
// An ellipse has no straight edges; a large one is blurred at a reduced
// scale and drawn enlarged, which keeps the soft edge as wide as before.
//
// Pictures are shared by every item of the same size and style and kept in
// a cache of bounded size.

#include "ShadowOutline.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRect>

class QPainter;

// Style and device-pixel geometry of one shadow picture; equal keys give
// equal pictures.
struct ShadowKey
{
    ShadowOutline::Kind kind = ShadowOutline::Rectangle;
    QSize size;           // of the silhouette in the picture, in pixels
    QPointF phase;        // its top-left corner within its first pixel, in quarters
                          // (a fraction of the offset is carried here, see below)
    qreal xRadius = 0;    // corner radii and pen width in picture pixels
    qreal yRadius = 0;
    qreal penWidth = 0;
    qreal blurRadius = 0;
    QPoint offset;        // whole pixels; the shadow lies at phase + offset from
                          // the item's first pixel
    QColor colour;
    bool opaque = false;  // the item covers its silhouette; not part of the picture

    bool operator==(const ShadowKey &other) const;
};

uint qHash(const ShadowKey &key, uint seed = 0);

// How much the shadow's blur and offset shrink at a device scale: in
// proportion when zoomed out, not at all at 1:1 and zoomed in, so that there
// is no jump at 1:1.
qreal shadowScale(qreal deviceScale);

// The blur radius in device pixels at that shrink. Shrunk radii are kept to
// a quarter pixel, so that nearby zooms share their blurred pictures; an
// unshrunk radius is left exactly as it is.
qreal scaledBlurRadius(qreal blurRadius, qreal shrink);

// Where the shadow picture of a silhouette of the given size lies relative to
// the first pixel the silhouette touches: the shifted silhouette grown by
// the blur on every side, together with the silhouette itself (the stock
// effect's effective rectangle). A silhouette starting within its first
// pixel touches one pixel more each way than its size, which is counted.
QRect shadowExtent(const QSize &size, qreal blurRadius, const QPoint &offset);

// The size of the reference silhouette for a silhouette of length `length`
// along one axis when everything farther than `half` pixels from the ends
// repeats: the length itself when short, otherwise 2 * half + 1.
int referenceLength(int length, int half);

class ShadowSlices
{
public:
    // Silhouettes larger than this (in pixels, either way) of ellipses are
    // blurred at a reduced scale.
    static constexpr int EllipseLimit = 1024;

    // The shadow of a silhouette of the given kind occupying deviceBox (in
    // device pixels), cast `offset` device pixels away, with radii, pen
    // width and blur radius already in device pixels. The style's size,
    // phase and offset are worked out here.
    ShadowSlices(const ShadowKey &style, const QRectF &deviceBox, const QPointF &offset);

    // Draws the shadow; the painter's world transform must be the identity
    // (device coordinates).
    void paint(QPainter *painter) const;

    // Renders the stock effect's shadow of a silhouette, without the
    // silhouette itself, covering shadowExtent() of key.size.
    static QImage renderReference(const ShadowKey &key);

private:
    void paintSlices(QPainter *painter, const QImage &picture, const QSize &reference) const;
    QRect hiddenPart() const;
    void drawAround(QPainter *painter, const QImage &picture, const QPoint &at, const QRect &hole) const;
    void paintScaled(QPainter *painter, const QImage &picture) const;
    static QImage picture(const ShadowKey &key);

    ShadowKey m_style;
    QPoint m_topLeft;
    QPointF m_phase;      // of the silhouette itself; m_style.phase is its shadow's
    QSize m_size;
};
