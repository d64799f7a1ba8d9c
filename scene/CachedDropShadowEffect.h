#pragma once

// The drop shadow of a diagram item. From 1:1 up it looks like the stock
// drop-shadow effect (same blur, offset and colour, in device pixels).
// Zoomed out, its blur and offset shrink with the view, so the item and its
// shadow look like a smaller copy of the 1:1 drawing (the stock effect keeps
// them at full width) and stay inside the item's bounding rectangle.
// It never renders the item into an offscreen picture: the shadow of the
// item's silhouette is drawn from small shared pictures (see ShadowSlices),
// then the item paints itself directly. Time and memory therefore do not grow with the
// item's size, and a diagram of many boxes repaints almost as fast as
// without shadows.
//
// Like any graphics effect it is switched off with setEnabled(false); the
// item then paints without its shadow.

#include "ShadowOutline.h"

#include <QGraphicsDropShadowEffect>

#include <functional>

class CachedDropShadowEffect : public QGraphicsDropShadowEffect
{
    Q_OBJECT
public:
    // Pixmap cache size the application reserves at start: room for the
    // device-coordinate caches of the boxes on a full-HD screen.
    static constexpr int CacheLimitKb = 256 * 1024;

    explicit CachedDropShadowEffect(QObject *parent = nullptr);

    // Raises QPixmapCache's limit to CacheLimitKb (never lowers it).
    static void reserveCache();

    // Where the item's silhouette is now, asked on every paint. Without
    // one, the silhouette is the item's bounding rectangle.
    void setOutlineSource(std::function<ShadowOutline()> outline);

protected:
    void draw(QPainter *painter) override;

private:
    ShadowOutline currentOutline() const;

    std::function<ShadowOutline()> m_outline;
};
