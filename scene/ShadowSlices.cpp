#include "ShadowSlices.h"

#include <QCache>
#include <QGraphicsDropShadowEffect>
#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

// Room for a few hundred pictures of distinct sizes and styles.
constexpr int CacheLimitKb = 48 * 1024;

QCache<ShadowKey, QImage> &pictureCache()
{
    static QCache<ShadowKey, QImage> cache(CacheLimitKb);
    return cache;
}

// Distance from a corner after which the shadow along an edge repeats: the
// corner itself, then three blur radii, after which the blur's tail is
// below one colour step.
int sliceHalf(const ShadowKey &key)
{
    return qCeil(qMax(key.xRadius, key.yRadius) + key.penWidth)
        + 3 * (qCeil(key.blurRadius) + 1)
        + qMax(qAbs(key.offset.x()), qAbs(key.offset.y()));
}

QPainterPath silhouettePath(const ShadowKey &key)
{
    QPainterPath path;
    const QRectF rect(key.phase, QSizeF(key.size));
    if (key.kind == ShadowOutline::RoundedRectangle)
        path.addRoundedRect(rect, key.xRadius, key.yRadius);
    else if (key.kind == ShadowOutline::Ellipse)
        path.addEllipse(rect);
    else
        path.addRect(rect);
    return path;
}

// The boundaries of the three slices along one axis: the picture's own
// positions and where they land when the middle slice is stretched.
struct SliceSpans
{
    int source[4];
    int target[4];
};

SliceSpans sliceSpans(int middle, int pictureLength, int stretch)
{
    return {{0, middle, middle + 1, pictureLength},
            {0, middle, middle + 1 + stretch, pictureLength + stretch}};
}

// A device coordinate as the pixel it falls in and where within that pixel,
// to a quarter.
struct QuarterSplit
{
    int pixel;
    qreal phase;
};

QuarterSplit splitAtQuarter(qreal at)
{
    QuarterSplit split{qFloor(at), 0};
    split.phase = qRound((at - split.pixel) * 4) / 4.0;
    if (split.phase >= 1) {
        ++split.pixel;
        split.phase = 0;
    }
    return split;
}

} // namespace

qreal shadowScale(qreal deviceScale)
{
    return qMin<qreal>(1, deviceScale);
}

qreal scaledBlurRadius(qreal blurRadius, qreal shrink)
{
    if (shrink >= 1)
        return blurRadius;
    return qRound(blurRadius * shrink * 4) / 4.0;
}

bool ShadowKey::operator==(const ShadowKey &other) const
{
    return kind == other.kind && size == other.size && phase == other.phase
        && xRadius == other.xRadius && yRadius == other.yRadius && penWidth == other.penWidth
        && blurRadius == other.blurRadius && offset == other.offset && colour == other.colour;
}

uint qHash(const ShadowKey &key, uint seed)
{
    QtPrivate::QHashCombine hash;
    seed = hash(seed, int(key.kind));
    seed = hash(seed, key.size.width());
    seed = hash(seed, key.size.height());
    seed = hash(seed, key.phase.x());
    seed = hash(seed, key.phase.y());
    seed = hash(seed, key.xRadius);
    seed = hash(seed, key.yRadius);
    seed = hash(seed, key.penWidth);
    seed = hash(seed, key.blurRadius);
    seed = hash(seed, key.offset.x());
    seed = hash(seed, key.offset.y());
    return hash(seed, key.colour.rgba());
}

QRect shadowExtent(const QSize &size, qreal blurRadius, const QPoint &offset)
{
    const int blur = qCeil(blurRadius);
    const int left = qMin(0, offset.x()) - blur;
    const int top = qMin(0, offset.y()) - blur;
    const int right = qMax(size.width(), size.width() + offset.x()) + 1 + blur;
    const int bottom = qMax(size.height(), size.height() + offset.y()) + 1 + blur;
    return QRect(left, top, right - left, bottom - top);
}

int referenceLength(int length, int half)
{
    return length <= 2 * half + 1 ? length : 2 * half + 1;
}

ShadowSlices::ShadowSlices(const ShadowKey &style, const QRectF &deviceBox, const QPointF &offset)
    : m_style(style)
{
    // The silhouette keeps where it starts within its first pixel, to a
    // quarter of a pixel, as the stock effect renders the item at its exact
    // place; its size is rounded to whole pixels.
    const QuarterSplit x = splitAtQuarter(deviceBox.left());
    const QuarterSplit y = splitAtQuarter(deviceBox.top());
    m_topLeft = QPoint(x.pixel, y.pixel);
    m_phase = QPointF(x.phase, y.phase);
    m_size = QSize(qMax(1, qRound(deviceBox.width())), qMax(1, qRound(deviceBox.height())));
    m_style.size = m_size;
    // A fractional offset (a shrunk shadow's) moves the shadow-casting
    // silhouette within its pixel; a whole one leaves the phase as it is.
    const QuarterSplit sx = splitAtQuarter(x.phase + offset.x() - qFloor(offset.x()));
    const QuarterSplit sy = splitAtQuarter(y.phase + offset.y() - qFloor(offset.y()));
    m_style.phase = QPointF(sx.phase, sy.phase);
    m_style.offset = QPoint(qFloor(offset.x()) + sx.pixel, qFloor(offset.y()) + sy.pixel);
}

void ShadowSlices::paint(QPainter *painter) const
{
    if (m_style.kind == ShadowOutline::None)
        return;
    const int longest = qMax(m_size.width(), m_size.height());
    if (m_style.kind == ShadowOutline::Ellipse) {
        if (longest <= EllipseLimit) {
            paintSlices(painter, picture(m_style), m_size);
            return;
        }
        const qreal scale = qreal(EllipseLimit) / longest;
        ShadowKey small = m_style;
        small.size = QSize(qMax(1, qRound(m_size.width() * scale)),
                           qMax(1, qRound(m_size.height() * scale)));
        small.penWidth *= scale;
        small.blurRadius *= scale;
        // The offset as cast, whole and fractional parts together.
        const QPointF offset = QPointF(m_style.offset) + m_style.phase - m_phase;
        small.offset = (offset * scale).toPoint();
        small.phase = QPointF();
        paintScaled(painter, picture(small));
        return;
    }
    const int half = sliceHalf(m_style);
    ShadowKey reference = m_style;
    reference.size = QSize(referenceLength(m_size.width(), half),
                           referenceLength(m_size.height(), half));
    paintSlices(painter, picture(reference), reference.size);
}

void ShadowSlices::paintSlices(QPainter *painter, const QImage &picture,
                               const QSize &reference) const
{
    if (picture.isNull())
        return;
    // The picture covers the extent of the reference silhouette; its middle
    // column and row stretch to the item's size.
    const QRect source = shadowExtent(reference, m_style.blurRadius, m_style.offset);
    const QPoint origin = m_topLeft + source.topLeft();
    const QRect hole = hiddenPart();
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (reference == m_size) {
        drawAround(painter, picture, origin, hole);
        painter->restore();
        return;
    }
    const SliceSpans xs = sliceSpans(reference.width() / 2 - source.left(), picture.width(),
                                     m_size.width() - reference.width());
    const SliceSpans ys = sliceSpans(reference.height() / 2 - source.top(), picture.height(),
                                     m_size.height() - reference.height());
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const QRect from(QPoint(xs.source[i], ys.source[j]),
                             QPoint(xs.source[i + 1] - 1, ys.source[j + 1] - 1));
            const QRect to(origin + QPoint(xs.target[i], ys.target[j]),
                           origin + QPoint(xs.target[i + 1] - 1, ys.target[j + 1] - 1));
            if (from.isEmpty() || to.isEmpty())
                continue;
            // The middle is one pixel spread over the inside of the shadow,
            // mostly under the item itself.
            if (i == 1 && j == 1) {
                if (!hole.contains(to))
                    painter->fillRect(to, picture.pixelColor(from.topLeft()));
            } else {
                painter->drawImage(to, picture, from);
            }
        }
    }
    painter->restore();
}

QRect ShadowSlices::hiddenPart() const
{
    if (!m_style.opaque)
        return QRect();
    const QRectF box(QPointF(m_topLeft) + m_phase, QSizeF(m_size));
    QRectF inner;
    if (m_style.kind == ShadowOutline::Ellipse) {
        // The rectangle inscribed in the ellipse.
        inner = QRectF(0, 0, box.width() * M_SQRT1_2, box.height() * M_SQRT1_2);
        inner.moveCenter(box.center());
    } else {
        const qreal inset = qMax(m_style.xRadius, m_style.yRadius);
        inner = box.adjusted(inset, inset, -inset, -inset);
    }
    // Whole pixels inside, one more in for the antialiased edge.
    const QRect pixels(QPoint(qCeil(inner.left()) + 1, qCeil(inner.top()) + 1),
                       QPoint(qFloor(inner.right()) - 2, qFloor(inner.bottom()) - 2));
    return pixels.isValid() ? pixels : QRect();
}

// Draws the picture at `at` except for the part inside hole, as up to four
// bands around it.
void ShadowSlices::drawAround(QPainter *painter, const QImage &picture, const QPoint &at,
                              const QRect &hole) const
{
    const QRect inside = hole.translated(-at) & picture.rect();
    if (inside.isEmpty()) {
        painter->drawImage(at, picture);
        return;
    }
    const int w = picture.width();
    const int h = picture.height();
    const QRect bands[] = {
        QRect(0, 0, w, inside.top()),
        QRect(0, inside.bottom() + 1, w, h - inside.bottom() - 1),
        QRect(0, inside.top(), inside.left(), inside.height()),
        QRect(inside.right() + 1, inside.top(), w - inside.right() - 1, inside.height()),
    };
    for (const QRect &band : bands) {
        if (!band.isEmpty())
            painter->drawImage(at + band.topLeft(), picture, band);
    }
}

void ShadowSlices::paintScaled(QPainter *painter, const QImage &picture) const
{
    if (picture.isNull())
        return;
    const QRect target = shadowExtent(m_size, m_style.blurRadius, m_style.offset).translated(m_topLeft);
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter->drawImage(target, picture);
    painter->restore();
}

QImage ShadowSlices::picture(const ShadowKey &key)
{
    QCache<ShadowKey, QImage> &cache = pictureCache();
    if (const QImage *found = cache.object(key))
        return *found;
    const QImage rendered = renderReference(key);
    cache.insert(key, new QImage(rendered), qMax(1, int(rendered.sizeInBytes() / 1024)));
    return rendered;
}

QImage ShadowSlices::renderReference(const ShadowKey &key)
{
    if (key.size.isEmpty())
        return QImage();
    // The sample silhouette is placed far enough beside the spot that casts
    // the shadow that the two never overlap, on the side the offset points
    // away from, so that the effect's padded rectangle covers the whole
    // extent of the shadow as it would for the item itself.
    const int blur = qCeil(key.blurRadius);
    const int apart = key.size.width() + 2 * blur + 2 * qAbs(key.offset.x()) + 32;
    const int side = key.offset.x() < 0 ? -1 : 1;

    QGraphicsScene scene;
    const QPen pen = key.penWidth > 0 ? QPen(Qt::black, key.penWidth) : QPen(Qt::NoPen);
    QGraphicsPathItem *sample = scene.addPath(silhouettePath(key), pen, QBrush(Qt::black));
    auto *effect = new QGraphicsDropShadowEffect;
    effect->setBlurRadius(key.blurRadius);
    effect->setColor(key.colour);
    effect->setOffset(side * apart + key.offset.x(), key.offset.y());
    sample->setGraphicsEffect(effect);

    const QRect region =
        effect->boundingRectFor(sample->boundingRect()).toAlignedRect().adjusted(-2, -2, 2, 2);
    QImage image(region.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter, QRectF(image.rect()), QRectF(region));
    }
    // The sample's shadow lies where the shadow of a silhouette placed at
    // (side * apart, 0) would.
    const QPoint stand(side * apart, 0);
    return image.copy(shadowExtent(key.size, key.blurRadius, key.offset).translated(stand - region.topLeft()));
}
