#include "HomeLayout.h"

namespace {
// Rows are spaced a little wider than the text so they are easy to hit.
constexpr qreal kRowSpacing = 1.5;
// Blank lines between the welcome text and the heading.
constexpr qreal kGapLines = 2.0;
} // namespace

HomeLayout homeLayout(const QRectF &area, const QSizeF &welcomeSize, qreal lineHeight,
                      const QVector<qreal> &rowWidths)
{
    HomeLayout layout;
    if (rowWidths.isEmpty()) {
        layout.welcome = area;
        return layout;
    }
    const qreal rowHeight = lineHeight * kRowSpacing;
    const qreal blockHeight = welcomeSize.height() + kGapLines * lineHeight + rowHeight
                              + rowWidths.size() * rowHeight;
    qreal y = area.center().y() - blockHeight / 2.0;
    layout.welcome = QRectF(area.left(), y, area.width(), welcomeSize.height());
    y += welcomeSize.height() + kGapLines * lineHeight;
    layout.heading = QRectF(area.left(), y, area.width(), rowHeight);
    y += rowHeight;
    for (qreal width : rowWidths) {
        layout.rows.append(QRectF(area.center().x() - width / 2.0, y, width, rowHeight));
        y += rowHeight;
    }
    return layout;
}

int homeRowAt(const HomeLayout &layout, const QPointF &point)
{
    for (int i = 0; i < layout.rows.size(); ++i) {
        if (layout.rows.at(i).contains(point))
            return i;
    }
    return -1;
}
