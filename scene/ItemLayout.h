#pragma once

// Where the texts of the boxed diagram items go, as plain functions of the
// item size and the font metrics (A = average character width, H = line
// height), so that the layout can be checked without painting.

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRect>
#include <QString>
#include <QStringList>

class QFontMetricsF;

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

// The text of a state's body: its action, after "entry / " and the entry
// action and before "exit / " and the exit action, each only when not
// empty (their lines after the first indented). A state with neither
// shows its action alone, exactly as it is.
QString stateBodyText(const QString &entryAction, const QString &action, const QString &exitAction);

// The small sign in the lower right corner of a state that holds a
// sub-machine: two linked boxes (the sub-machine's states), and a circle
// with an "H" beside them when the state resumes its sub-machine where it
// was left. Empty (no boxes) for a state too small to carry it.
struct SubMachineMarker
{
    QRectF upperBox;
    QRectF lowerBox;
    QLineF link;           // from the upper box to the lower one
    QRectF historyCircle;  // empty unless the state resumes
    bool isEmpty() const { return upperBox.isEmpty(); }
};
SubMachineMarker subMachineMarker(int width, int height, bool resumes);

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

// Black or white, whichever reads better on fill (the larger contrast
// ratio of relative luminances).
QColor readableTextColour(const QColor &fill);
// The contrast ratio (1 to 21) of two colours.
qreal contrastRatio(const QColor &a, const QColor &b);

// The width a tag needs for texts drawn in metrics: at least formulaWidth,
// and the widest text plus margins of 3A on either side.
int tagWidthFor(int formulaWidth, const QStringList &texts, const QFontMetricsF &metrics);
