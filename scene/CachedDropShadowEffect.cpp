#include "CachedDropShadowEffect.h"

#include <QPainter>
#include <QPixmapCache>

CachedDropShadowEffect::CachedDropShadowEffect(QObject *parent)
    : QGraphicsDropShadowEffect(parent)
{
}

void CachedDropShadowEffect::reserveCache()
{
    if (QPixmapCache::cacheLimit() < CacheLimitKb)
        QPixmapCache::setCacheLimit(CacheLimitKb);
}

QString CachedDropShadowEffect::resultKey(qint64 sourceKey) const
{
    // Two effects may see the same source pixmap (an implicitly shared
    // copy); the parameters keep their results apart.
    return QStringLiteral("kestro-shadow-%1-%2-%3-%4-%5")
        .arg(sourceKey)
        .arg(blurRadius())
        .arg(offset().x())
        .arg(offset().y())
        .arg(color().rgba());
}

void CachedDropShadowEffect::draw(QPainter *painter)
{
    // Without blur and offset the stock effect only draws the source.
    if (blurRadius() <= 0 && offset().isNull()) {
        drawSource(painter);
        return;
    }

    QPoint offset;
    const QPixmap source = sourcePixmap(Qt::DeviceCoordinates, &offset, PadToEffectiveBoundingRect);
    if (source.isNull())
        return;

    const QString key = resultKey(source.cacheKey());
    QPixmap result;
    if (!QPixmapCache::find(key, &result)) {
        result = QPixmap(source.size());
        result.setDevicePixelRatio(source.devicePixelRatio());
        result.fill(Qt::transparent);
        QPainter p(&result);
        // The stock effect paints shadow and source in device coordinates
        // at offset; map that spot to the pixmap's origin.
        p.setWindow(QRect(offset, source.size()));
        p.setViewport(QRect(QPoint(0, 0), source.size()));
        QGraphicsDropShadowEffect::draw(&p);
        p.end();
        QPixmapCache::insert(key, result);
    }

    const QTransform world = painter->worldTransform();
    painter->setWorldTransform(QTransform());
    painter->drawPixmap(offset, result);
    painter->setWorldTransform(world);
}
