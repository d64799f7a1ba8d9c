#include "VisibleText.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QTextOption>
#include <QtMath>

namespace {

// True when every line is plain Latin text, so that every line is as high
// as the font's own lines, and there are more than `lines` of them.
bool uniformLines(const QString &text, int lines)
{
    int count = 1;
    for (const QChar c : text) {
        if (c.unicode() >= 0x250)
            return false;
        if (c == QLatin1Char('\n'))
            ++count;
    }
    return count > lines;
}

} // namespace

QRectF visiblePart(const QPainter *painter, const QRectF &rect)
{
    const QPaintDevice *device = painter->device();
    QRectF visible = rect;
    bool invertible = false;
    const QTransform toLocal = painter->deviceTransform().inverted(&invertible);
    if (device && invertible)
        visible &= toLocal.mapRect(QRectF(0, 0, device->width(), device->height()));
    if (painter->hasClipping())
        visible &= painter->clipBoundingRect();
    return visible;
}

void drawVisibleText(QPainter *painter, const QRectF &rect, const QString &text, const QTextOption &option)
{
    if (option.wrapMode() != QTextOption::NoWrap || !(option.alignment() & Qt::AlignLeft)
        || (option.alignment() & Qt::AlignVertical_Mask & ~Qt::AlignTop)
        || painter->worldTransform().type() > QTransform::TxScale
        || !uniformLines(text, VisibleTextMinLines)) {
        painter->drawText(rect, text, option);
        return;
    }
    // drawText places line n at n times the line height plus leading,
    // rounded up to whole pixels, from the top of rect, and clips at rect.
    const QFontMetricsF metrics(painter->font());
    const qreal pitch = qCeil(metrics.ascent() + metrics.descent() + metrics.leading());
    const QRectF visible = visiblePart(painter, rect);
    if (visible.isEmpty() || pitch <= 0)
        return;
    const int first = qMax(0, int((visible.top() - rect.top()) / pitch) - 1);
    const int last = int((visible.bottom() - rect.top()) / pitch) + 1;

    int start = 0;
    for (int line = 0; line <= last && start <= text.size(); ++line) {
        int end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        if (line >= first) {
            const qreal top = rect.top() + line * pitch;
            const QRectF lineRect(rect.left(), top, rect.width(), rect.bottom() - top);
            if (lineRect.height() > 0)
                painter->drawText(lineRect, text.mid(start, end - start), option);
        }
        start = end + 1;
    }
}
