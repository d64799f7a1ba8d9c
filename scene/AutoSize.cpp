#include "AutoSize.h"

#include "ItemLayout.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Truncates towards zero and keeps absurdly long texts inside int.
int truncated(double value)
{
    if (!(value > 0.0))
        return value < 0.0 ? static_cast<int>(std::max(std::trunc(value), double(INT_MIN))) : 0;
    return static_cast<int>(std::min(std::trunc(value), double(INT_MAX)));
}

// Widest line of text; the text always has at least one (possibly empty) line.
int widestLine(const QStringList &lines, const TextMetrics &m)
{
    int widest = 0;
    for (const QString &line : lines)
        widest = std::max(widest, autoLineWidth(line, m));
    return widest;
}

QStringList linesOf(const QString &text)
{
    return text.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
}

// A single-line text widens the box up to cap; one wider than cap - 1
// makes the box exactly cap wide.
int widenTo(int current, const QString &line, int cap, const TextMetrics &m)
{
    const int w = autoLineWidth(line, m);
    if (w > cap - 1)
        return cap;
    return std::max(w, current);
}

QSize withMinimum(int width, int height, int minWidth, int minHeight)
{
    return QSize(std::max(width, minWidth), std::max(height, minHeight));
}

} // namespace

int autoLineWidth(const QString &line, const TextMetrics &m)
{
    const double a = m.averageCharWidth;
    const int formula = truncated(line.size() * a + 8.0 * a);
    if (!m.advance || line.isEmpty())
        return formula;
    // The box is this plus 6A wide; its text area is the box less 6A with
    // A as the painter rounds it (at most A rounded up), and one pixel
    // keeps the last glyph off the clip.
    const double margins = 6.0 * (std::ceil(a) - a);
    const double drawn = std::ceil(m.advance(line)) + 1.0 + margins;
    return std::max(formula, truncated(std::ceil(drawn)));
}

TextMetrics textMetrics(const QFont &font)
{
    // Without a GUI application no font can be measured; the sizes then
    // fall back to their minimums.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return TextMetrics{0.0, 0.0};
    const QFontMetricsF fm(font);
    // Lines are measured in the font the items paint with.
    const QFontMetricsF painted(itemPaintFont(font));
    return TextMetrics{fm.averageCharWidth(), fm.height(),
                       [painted](const QString &line) { return painted.horizontalAdvance(line); }};
}

QSize stateAutoSize(const QString &label, const QString &action, const TextMetrics &m)
{
    const QStringList lines = linesOf(action);
    const int maxW = std::min(widestLine(lines, m), 850);
    const int chosen = widenTo(maxW, label, 850, m);
    const int width = truncated(chosen + 6.0 * m.averageCharWidth);
    const int height = truncated(lines.size() * m.lineHeight + 3.0 * m.lineHeight);
    return withMinimum(width, height, 280, 150);
}

QSize transitionAutoSize(const QString &label, const QString &condition, const QString &action,
                         const TextMetrics &m)
{
    const QStringList lines = linesOf(action);
    int chosen = std::min(widestLine(lines, m), 600);
    chosen = widenTo(chosen, label, 600, m);
    chosen = widenTo(chosen, condition, 600, m);
    const int width = truncated(chosen + 6.0 * m.averageCharWidth);
    const int height = truncated(lines.size() * m.lineHeight + 4.0 * m.lineHeight);
    return withMinimum(width, height, 150, 75);
}

QSize textAutoSize(const QString &text, const TextMetrics &m)
{
    const QStringList lines = linesOf(text);
    const int width = truncated(widestLine(lines, m) + 6.0 * m.averageCharWidth);
    const int height = truncated(lines.size() * m.lineHeight + 2.5 * m.lineHeight);
    return withMinimum(width, height, 150, 75);
}
