#include "ItemLayout.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>

StateTextLayout stateTextLayout(int width, int height, int averageCharWidth, int lineHeight)
{
    const int a = averageCharWidth;
    const int h = lineHeight;
    const int half = h / 2;
    StateTextLayout layout;
    layout.separatorY = h + 2 * half;
    layout.labelRect = QRect(3 * a, half, width - 6 * a, h);
    layout.actionRect = QRect(3 * a, h + 3 * half, width - 6 * a, height - h - 4 * half);
    return layout;
}

SubMachineMarker subMachineMarker(int width, int height, bool resumes)
{
    // 30 x 20 in the corner, 8 in from the border and clear of the rounding.
    constexpr qreal w = 30, h = 20, inset = 8, box = 11, boxHeight = 7;
    SubMachineMarker marker;
    if (width < 3 * w || height < 3 * h)
        return marker;
    const QRectF area(width - inset - w, height - inset - h, w, h);
    marker.upperBox = QRectF(area.left(), area.top(), box, boxHeight);
    marker.lowerBox = QRectF(area.right() - box, area.bottom() - boxHeight, box, boxHeight);
    marker.link = QLineF(QPointF(marker.upperBox.center().x(), marker.upperBox.bottom()),
                         QPointF(marker.lowerBox.left(), marker.lowerBox.center().y()));
    if (resumes) {
        const qreal d = 11;
        marker.historyCircle = QRectF(area.left() - d - 4, area.bottom() - d, d, d);
    }
    return marker;
}

namespace {

// "entry / a();\n    b();" for the code "a();\nb();".
QString prefixedCode(const QString &prefix, const QString &code)
{
    QString text = prefix + code;
    text.replace(QLatin1Char('\n'), QLatin1String("\n    "));
    return text;
}

} // namespace

QString stateBodyText(const QString &entryAction, const QString &action, const QString &exitAction)
{
    if (entryAction.isEmpty() && exitAction.isEmpty())
        return action;
    QStringList parts;
    if (!entryAction.isEmpty())
        parts << prefixedCode(QStringLiteral("entry / "), entryAction);
    if (!action.isEmpty())
        parts << action;
    if (!exitAction.isEmpty())
        parts << prefixedCode(QStringLiteral("exit / "), exitAction);
    return parts.join(QLatin1Char('\n'));
}

TransitionTextLayout transitionTextLayout(int width, int height, int averageCharWidth, int lineHeight)
{
    const int a = averageCharWidth;
    const int h = lineHeight;
    const int half = h / 2;
    TransitionTextLayout layout;
    layout.labelRect = QRect(3 * a, half, width - 6 * a, h);
    layout.conditionRect = QRect(3 * a, h + 2 * half, width - 6 * a, h);
    layout.actionRect = QRect(3 * a, 2 * h + 3 * half, width - 6 * a, height - 2 * h - 4 * half);
    return layout;
}

TextItemLayout textItemLayout(int width, int height, qreal averageCharWidth, qreal lineHeight)
{
    const qreal a = averageCharWidth;
    const qreal h = lineHeight;
    const qreal half = h / 2.0;
    const int x = static_cast<int>(3 * a);
    const int textWidth = static_cast<int>(width - 6 * a);
    TextItemLayout layout;
    layout.headerRect = QRect(x, static_cast<int>(half), textWidth, static_cast<int>(h));
    layout.bodyRect = QRect(x, static_cast<int>(h + 2 * half), textWidth,
                            static_cast<int>(height - h - 3 * half));
    return layout;
}

QString textTypeHeader(int textType)
{
    switch (textType) {
    case 0:
        return QStringLiteral("DEFAULT");
    case 1:
        return QStringLiteral("INCLUDES");
    case 2:
        return QStringLiteral("DEFINES");
    default:
        return QString();
    }
}

QPolygonF closedRectangle(int width, int height)
{
    QPolygonF polygon;
    polygon << QPointF(0, 0) << QPointF(width, 0) << QPointF(width, height) << QPointF(0, height)
            << QPointF(0, 0);
    return polygon;
}

QFont itemPaintFont(const QFont &diagramFont)
{
    QFont font = diagramFont;
    const int pixelSize = QFontInfo(font).pixelSize();
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    return font;
}

QPainterPath rectItemShape(const QRectF &rect, const QPen &pen)
{
    QPainterPath path;
    path.addRect(rect);
    if (pen.style() == Qt::NoPen)
        return path;
    // The outline's stroke belongs to the shape, so a click on the outline
    // hits the item.
    QPainterPathStroker stroker;
    stroker.setCapStyle(pen.capStyle());
    stroker.setWidth(pen.widthF() <= 0.0 ? 0.00000001 : pen.widthF());
    stroker.setJoinStyle(pen.joinStyle());
    stroker.setMiterLimit(pen.miterLimit());
    QPainterPath shape = stroker.createStroke(path);
    shape.addPath(path);
    return shape;
}

QPolygonF storedOutline(const QVector<QPointF> &points, int width, int height)
{
    return points.size() >= 2 ? QPolygonF(points) : closedRectangle(width, height);
}

QString storedColourName(const QColor &colour, const QColor &fallback)
{
    return (colour.isValid() ? colour : fallback).name();
}

QPen boxOutlinePen(Qt::PenStyle style)
{
    // The two outlines every box uses are shared by all boxes, so a large
    // diagram keeps no pen and brush per item.
    static const QPen solid(QBrush(Qt::black), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    static const QPen dotted(QBrush(Qt::black), 2, Qt::DotLine, Qt::RoundCap, Qt::RoundJoin);
    if (style == Qt::SolidLine)
        return solid;
    if (style == Qt::DotLine)
        return dotted;
    return QPen(QBrush(Qt::black), 2, style, Qt::RoundCap, Qt::RoundJoin);
}

namespace {

qreal channelLuminance(qreal c)
{
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

qreal relativeLuminance(const QColor &colour)
{
    return 0.2126 * channelLuminance(colour.redF()) + 0.7152 * channelLuminance(colour.greenF())
           + 0.0722 * channelLuminance(colour.blueF());
}

} // namespace

qreal contrastRatio(const QColor &a, const QColor &b)
{
    const qreal la = relativeLuminance(a);
    const qreal lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableTextColour(const QColor &fill)
{
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrastRatio(fill, black) >= contrastRatio(fill, white) ? black : white;
}

int tagWidthFor(int formulaWidth, const QStringList &texts, const QFontMetricsF &metrics)
{
    qreal widest = 0;
    for (const QString &text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    if (widest <= 0)
        return formulaWidth;
    const int needed = static_cast<int>(std::ceil(widest + 6 * metrics.averageCharWidth())) + 2;
    return std::max(formulaWidth, needed);
}
