#pragma once

// Geometry shared by every connector line of the diagrams (transition,
// initial-transition, link and dataflow lines). Lines run from the centre of
// one item to the centre of another and are clipped where they enter the
// outline of the item they point into. Everything here is pure arithmetic so
// that it can be checked with exact numbers, away from any painting.

#include <QLineF>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>

class QGraphicsItem;
class QGraphicsLineItem;
class LabelBoxItem;
class QPainter;

namespace Connector {
// Length of the two sides of an arrow head.
constexpr qreal ArrowSize = 20.0;
// Distance of the dashed selection copies above and below a selected line.
constexpr qreal SelectionOffset = 4.0;
// Size of a transition box, which also fixes where self transitions go.
constexpr int BoxWidth = 150;
constexpr int BoxHeight = 75;
// How far each line of a self transition runs beside the centre line, so
// that the two lines show as a loop.
constexpr qreal SelfTransitionSpread = 8.0;
// How far apart the boxes of connections between the same two items are.
constexpr qreal RepeatedConnectionStep = 40.0;
}

// Centre of an item placed at pos with the given size; the halves are
// integer halves of the size.
QPointF itemCentre(const QPointF &pos, int width, int height);

// Top-left corner of a box of the given size centred on midPos (integer halves).
QPointF boxTopLeft(const QPointF &midPos, int width, int height);

// Middle point of a new self transition of a state at statePos of size w x h
// that already has existingSelfTransitions self transitions: to the right of
// the state, each further one half a box height higher than the one before.
QPointF selfTransitionMidPos(const QPointF &statePos, int w, int h, int existingSelfTransitions);

// The segment from-to moved sideways by distance, to the left of its
// direction for a positive distance (y grows downwards). A segment of no
// length stays where it is.
QLineF sidewaysShifted(const QPointF &from, const QPointF &to, qreal distance);

// Where the box of the index-th connection between the same two items
// (centres a and b) goes, relative to the first one's: the first (index 0)
// stays on the centre line, the next ones go step across it, alternately
// to either side and further out: +step, -step, +2 step, -2 step, ...
// The places depend on the pair, not on which of the two comes first.
QPointF repeatedConnectionOffset(const QPointF &a, const QPointF &b, int index, qreal step);

// Walks the edges of outline (each point shifted by outlineOffset) in order
// and stores in *intersection the point where the first edge that crosses the
// segment p1-p2 (within both segments) meets it. Returns false and leaves
// *intersection untouched when no edge crosses.
bool clipToOutline(const QPointF &p1, const QPointF &p2, const QPolygonF &outline,
                   const QPointF &outlineOffset, QPointF *intersection);

// The three points of an arrow head whose tip is line.p1() and whose sides
// point back along the line.
QPolygonF arrowHead(const QLineF &line);

// The rectangle spanned by the line, normalised and grown on every side by
// (penWidth + arrow size) / 2 so that the arrow head and the selection copies
// are inside it.
QRectF connectorBoundingRect(const QLineF &line, qreal penWidth);

// The stroked line (as a line item would report it) plus the arrow head.
QPainterPath connectorShape(const QLineF &line, const QPolygonF &arrowHead, const QPen &pen);

// The pen every connector line is drawn with: black, 2 wide, round caps
// and joins.
QPen connectorPen();

// The connector from where the segment from-to first enters outline (each
// point shifted by outlineOffset) back to from, stored in *connector.
// Returns false and leaves *connector untouched when no edge is crossed.
bool clippedConnector(const QPointF &from, const QPointF &to, const QPolygonF &outline,
                      const QPointF &outlineOffset, QLineF *connector);

// How far the shape of a diagram item reaches past its bounding rectangle
// at most: half the width of a box's outline, with room to spare.
constexpr qreal ShapeReach = 4.0;

// first->collidesWithItem(second, Qt::IntersectsItemShape), answered at once
// (false) when the items' bounding rectangles in the scene, grown by
// ShapeReach, lie apart: then their shapes cannot meet, and neither shape
// needs to be made. Connector lines ask this of their ends every paint.
bool itemsCollide(const QGraphicsItem *first, const QGraphicsItem *second);

// Draws a connector line with pen (in black), the arrow head filled black
// unless it is empty, and the selection copies when selected.
void paintConnector(QPainter *painter, const QPen &pen, const QLineF &line,
                    const QPolygonF &arrowHead, bool selected);

// Draws the two thin dashed copies that show a selected line, at (0, +4) and
// (0, -4) from it. The painter's pen is restored afterwards.
void drawSelectionCopies(QPainter *painter, const QLineF &line);

// Gives line the connector clipped as by clippedConnector and stores its
// arrow head in *arrowHead. Returns false and leaves both untouched when no
// edge is crossed (e.g. one item inside the other).
bool placeClippedConnector(QGraphicsLineItem *line, const QPointF &from, const QPointF &to,
                           const QPolygonF &outline, const QPointF &outlineOffset,
                           QPolygonF *arrowHead);

// Paints a line that joins a box to one of its ends (link and dataflow
// lines), unless it has no geometry, either end is gone, first collides
// with second or the box is hidden.
void paintBoxConnector(QPainter *painter, const QGraphicsLineItem &line, bool hasGeometry,
                       const QGraphicsItem *first, const QGraphicsItem *second,
                       const LabelBoxItem *box, const QPolygonF &arrowHead);
