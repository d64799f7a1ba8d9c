#include "CachedDropShadowEffect.h"

#include "ShadowSlices.h"

#include <QPainter>
#include <QPixmapCache>

#include <utility>

CachedDropShadowEffect::CachedDropShadowEffect(QObject *parent)
    : QGraphicsDropShadowEffect(parent)
{
}

void CachedDropShadowEffect::reserveCache()
{
    if (QPixmapCache::cacheLimit() < CacheLimitKb)
        QPixmapCache::setCacheLimit(CacheLimitKb);
}

void CachedDropShadowEffect::setOutlineSource(std::function<ShadowOutline()> outline)
{
    m_outline = std::move(outline);
    update();
}

ShadowOutline CachedDropShadowEffect::currentOutline() const
{
    if (m_outline)
        return m_outline();
    ShadowOutline outline;
    outline.rect = sourceBoundingRect(Qt::LogicalCoordinates);
    return outline;
}

void CachedDropShadowEffect::draw(QPainter *painter)
{
    // Without blur and offset the stock effect only draws the source.
    if (blurRadius() <= 0 && offset().isNull()) {
        drawSource(painter);
        return;
    }
    // Rotated or sheared items have no rectangular silhouette on screen;
    // they take the stock route.
    const QTransform world = painter->worldTransform();
    if (world.type() > QTransform::TxScale) {
        QGraphicsDropShadowEffect::draw(painter);
        return;
    }

    const ShadowOutline outline = currentOutline();
    if (outline.kind != ShadowOutline::None && !outline.rect.isEmpty()) {
        // The silhouette scales with the view. Blur and offset are the stock
        // effect's device pixels from 1:1 up and shrink with the view when
        // zoomed out.
        const qreal sx = qAbs(world.m11());
        const qreal sy = qAbs(world.m22());
        const qreal shrink = shadowScale(qMax(sx, sy));
        ShadowKey style;
        style.kind = outline.kind;
        style.xRadius = outline.xRadius * sx;
        style.yRadius = outline.yRadius * sy;
        style.penWidth = outline.penWidth * qMax(sx, sy);
        style.blurRadius = scaledBlurRadius(blurRadius(), shrink);
        style.colour = color();
        style.opaque = outline.opaque;
        const ShadowSlices shadow(style, world.mapRect(outline.rect), offset() * shrink);
        painter->save();
        painter->setWorldTransform(QTransform());
        shadow.paint(painter);
        painter->restore();
    }
    drawSource(painter);
}
