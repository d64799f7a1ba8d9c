#pragma once

// The drop shadow of a diagram item. It looks like the stock drop-shadow
// effect (same blur, offset and colour, in device pixels) but never renders
// the item into an offscreen picture: the shadow of the item's silhouette
// is drawn from small shared pictures (see ShadowSlices), then the item
// paints itself directly. Time and memory therefore do not grow with the
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
