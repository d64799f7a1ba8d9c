#pragma once

// A drop shadow that blurs once and reuses the blurred picture while the
// item's rendering stays the same. The stock effect blurs on every paint,
// which makes a diagram of many shadowed boxes slow to scroll and zoom.
//
// The effect source hands out the same pixmap (same cache key) until the
// item is repainted or the view's transform changes, so the blurred result
// is kept in QPixmapCache under that key and the effect's own parameters.
// Memory stays bounded by the cache limit however many items a diagram
// holds; an evicted entry is simply blurred again.

#include <QGraphicsDropShadowEffect>

class CachedDropShadowEffect : public QGraphicsDropShadowEffect
{
    Q_OBJECT
public:
    // Pixmap cache size the application reserves at start: room for the
    // shadows of every box on a full-HD screen of a large diagram.
    static constexpr int CacheLimitKb = 256 * 1024;

    explicit CachedDropShadowEffect(QObject *parent = nullptr);

    // Raises QPixmapCache's limit to CacheLimitKb (never lowers it).
    static void reserveCache();

    // The cache key of the blurred result of a source pixmap with the given
    // key under this effect's current blur radius, offset and colour.
    QString resultKey(qint64 sourceKey) const;

protected:
    void draw(QPainter *painter) override;
};
