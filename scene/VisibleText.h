#pragma once

// Draws a block of text as QPainter::drawText(rect, text, option) does for a
// left-aligned option without wrapping, but lays out only the lines that
// can be seen. A state whose action has tens of thousands of lines then
// repaints at the cost of the lines on screen, not of the whole action.
//
// Short texts, and texts whose lines might not all share the font's line
// height (characters outside the Latin ranges may come from fallback fonts
// of other heights), are handed to drawText unchanged.

#include <QRectF>

class QPainter;
class QString;
class QTextOption;

// Texts of more lines than this are drawn line by line.
constexpr int VisibleTextMinLines = 64;

// The part of rect that can reach the painter's device: rect clipped to the
// device and to the painter's clip, in the painter's coordinates.
QRectF visiblePart(const QPainter *painter, const QRectF &rect);

void drawVisibleText(QPainter *painter, const QRectF &rect, const QString &text, const QTextOption &option);
