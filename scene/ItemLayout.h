#pragma once

// Where the texts of the boxed diagram items go, as plain functions of the
// item size and the font metrics (A = average character width, H = line
// height), so that the layout can be checked without painting.

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRect>
#include <QString>

struct StateTextLayout
{
    int separatorY = 0;   // y of the line under the title band
    QRect labelRect;
    QRect actionRect;
};

struct TransitionTextLayout
{
    QRect labelRect;
    QRect conditionRect;
    QRect actionRect;
};

struct TextItemLayout
{
    QRect headerRect;
    QRect bodyRect;
};

// Integer metrics; H/2 is an integer half.
StateTextLayout stateTextLayout(int width, int height, int averageCharWidth, int lineHeight);
TransitionTextLayout transitionTextLayout(int width, int height, int averageCharWidth, int lineHeight);
// Floating-point metrics; H/2 is the exact half.
TextItemLayout textItemLayout(int width, int height, qreal averageCharWidth, qreal lineHeight);

// "DEFAULT", "INCLUDES" or "DEFINES" for text types 0, 1, 2; empty otherwise.
QString textTypeHeader(int textType);

// The closed rectangle (0,0),(w,0),(w,h),(0,h),(0,0).
QPolygonF closedRectangle(int width, int height);

// The font boxed items paint with: their diagram's font at the pixel size
// the screen shows it in, so that a rendering on any device looks the same.
QFont itemPaintFont(const QFont &diagramFont);

// The shape of a rectangle drawn with an outline pen: the rectangle and the
// outline's stroke.
QPainterPath rectItemShape(const QRectF &rect, const QPen &pen);

// The outline read from a project file, or the closed rectangle of the size
// when it is too short to have an edge (lines are clipped at the outline).
QPolygonF storedOutline(const QVector<QPointF> &points, int width, int height);

// The name a colour is written to a project file with; fallback when unset.
QString storedColourName(const QColor &colour, const QColor &fallback);

// The outline pen of transition and text boxes: black, 2 wide, round caps
// and joins.
QPen boxOutlinePen(Qt::PenStyle style);
