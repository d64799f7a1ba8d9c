#pragma once

// Sizes that make a boxed item fit its text. Pure functions of the texts and
// the font metrics, so that items can fit themselves without a dialog and the
// numbers can be checked exactly.
//
// With A the average character width and H the line height: a text line
// needs trunc(length * A + 8A); the widest line is capped per item kind
// before the horizontal margins of 6A are added; the height grows with the
// number of action lines. That formula is the least a box gets: where the
// real text is wider than its estimate (capitals, wide characters), the
// box grows to the width the text is drawn with.

#include <QFont>
#include <QSize>
#include <QString>

#include <functional>

struct TextMetrics
{
    double averageCharWidth;   // A
    double lineHeight;         // H
    // The width a line is drawn with in the item's font; none for metrics
    // made up of A and H alone (only the formula then applies).
    std::function<double(const QString &)> advance = {};
};

// The width a single line needs inside a box's margins: the formula
// trunc(length * A + 8A), or more when the drawn line is wider than the
// text area the margins leave (6A, A possibly rounded up by the painter).
int autoLineWidth(const QString &line, const TextMetrics &m);

// Floating-point metrics of a font (a diagram's font, see
// DiagramItem::diagramFont), measuring lines as items draw them. Zero
// metrics when there is no GUI application (the sizes then fall back to
// their minimums).
TextMetrics textMetrics(const QFont &font);

// State box: widest action line capped at 850, a label wider than 849 gives
// 850; width + 6A, height n*H + 3H (n action lines); at least 280 x 150.
// `action` is the text the body shows (stateBodyText: with the entry and
// exit actions when the state has them).
QSize stateAutoSize(const QString &label, const QString &action, const TextMetrics &m);

// Transition box: as for states with the cap 600, applied to the label and
// then to the condition; height n*H + 4H; at least 150 x 75.
QSize transitionAutoSize(const QString &label, const QString &condition, const QString &action,
                         const TextMetrics &m);

// Text box: widest line without cap, + 6A; height n*H + 2.5H; at least 150 x 75.
QSize textAutoSize(const QString &text, const TextMetrics &m);
