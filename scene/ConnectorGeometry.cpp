#include "ConnectorGeometry.h"

#include "LabelBoxItem.h"

#include <QGraphicsLineItem>
#include <QPainter>
#include <QPainterPathStroker>
#include <QtMath>

QPointF itemCentre(const QPointF &pos, int width, int height)
{
    return pos + QPointF(width / 2, height / 2);
}

QPointF boxTopLeft(const QPointF &midPos, int width, int height)
{
    return midPos - QPointF(width / 2, height / 2);
}

QPointF selfTransitionMidPos(const QPointF &statePos, int w, int h, int existingSelfTransitions)
{
    const qreal x = statePos.x() + w / 2 + w + Connector::BoxWidth;
    const qreal y = statePos.y() + h / 2 - existingSelfTransitions * (Connector::BoxHeight / 2);
    return QPointF(x, y);
}

bool clipToOutline(const QPointF &p1, const QPointF &p2, const QPolygonF &outline,
                   const QPointF &outlineOffset, QPointF *intersection)
{
    if (outline.size() < 2)
        return false;
    const QLineF centreLine(p1, p2);
    QPointF from = outline.first() + outlineOffset;
    for (int i = 1; i < outline.size(); ++i) {
        const QPointF to = outline.at(i) + outlineOffset;
        QPointF hit;
        if (QLineF(from, to).intersects(centreLine, &hit) == QLineF::BoundedIntersection) {
            if (intersection)
                *intersection = hit;
            return true;
        }
        from = to;
    }
    return false;
}

QPolygonF arrowHead(const QLineF &line)
{
    const qreal angle = std::atan2(-line.dy(), line.dx());
    const QPointF tip = line.p1();
    const QPointF side1 = tip + QPointF(std::sin(angle + M_PI / 3) * Connector::ArrowSize,
                                        std::cos(angle + M_PI / 3) * Connector::ArrowSize);
    const QPointF side2 = tip + QPointF(std::sin(angle + M_PI - M_PI / 3) * Connector::ArrowSize,
                                        std::cos(angle + M_PI - M_PI / 3) * Connector::ArrowSize);
    QPolygonF head;
    head << tip << side1 << side2;
    return head;
}

QRectF connectorBoundingRect(const QLineF &line, qreal penWidth)
{
    const qreal extra = (penWidth + Connector::ArrowSize) / 2.0;
    return QRectF(line.p1(), QSizeF(line.p2().x() - line.p1().x(), line.p2().y() - line.p1().y()))
        .normalized()
        .adjusted(-extra, -extra, extra, extra);
}

QPainterPath connectorShape(const QLineF &line, const QPolygonF &head, const QPen &pen)
{
    QPainterPath path;
    path.moveTo(line.p1());
    path.lineTo(line.p2());

    // Same outline a plain line item reports: the path stroked with the pen.
    QPainterPath shape;
    if (pen.style() == Qt::NoPen || pen.widthF() <= 0.00000001) {
        shape = path;
    } else {
        QPainterPathStroker stroker;
        stroker.setWidth(pen.widthF());
        stroker.setCapStyle(pen.capStyle());
        stroker.setJoinStyle(pen.joinStyle());
        stroker.setMiterLimit(pen.miterLimit());
        shape = stroker.createStroke(path);
        shape.addPath(path);
    }
    shape.addPolygon(head);
    return shape;
}

void drawSelectionCopies(QPainter *painter, const QLineF &line)
{
    const QPen previous = painter->pen();
    painter->setPen(QPen(QBrush(Qt::black), 1, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin));
    painter->drawLine(line.translated(0, Connector::SelectionOffset));
    painter->drawLine(line.translated(0, -Connector::SelectionOffset));
    painter->setPen(previous);
}

QPen connectorPen()
{
    // One pen for every connector line: copies share it instead of each
    // line keeping a pen and brush of its own.
    static const QPen pen(QBrush(Qt::black), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    return pen;
}

bool clippedConnector(const QPointF &from, const QPointF &to, const QPolygonF &outline,
                      const QPointF &outlineOffset, QLineF *connector)
{
    QPointF hit;
    if (!clipToOutline(from, to, outline, outlineOffset, &hit))
        return false;
    if (connector)
        *connector = QLineF(hit, from);
    return true;
}

void paintConnector(QPainter *painter, const QPen &pen, const QLineF &line,
                    const QPolygonF &arrowHead, bool selected)
{
    QPen linePen = pen;
    linePen.setColor(Qt::black);
    painter->setPen(linePen);
    painter->setBrush(QBrush(Qt::black, Qt::SolidPattern));
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->drawLine(line);
    if (!arrowHead.isEmpty())
        painter->drawPolygon(arrowHead);
    if (selected)
        drawSelectionCopies(painter, line);
}

bool placeClippedConnector(QGraphicsLineItem *line, const QPointF &from, const QPointF &to,
                           const QPolygonF &outline, const QPointF &outlineOffset,
                           QPolygonF *arrowHead)
{
    QLineF connector;
    if (!clippedConnector(from, to, outline, outlineOffset, &connector))
        return false;
    // setLine announces the geometry change itself when the line moves.
    line->setLine(connector);
    *arrowHead = ::arrowHead(connector);
    return true;
}

bool itemsCollide(const QGraphicsItem *first, const QGraphicsItem *second)
{
    const qreal r = ShapeReach;
    const QRectF a = first->sceneBoundingRect().adjusted(-r, -r, r, r);
    const QRectF b = second->sceneBoundingRect().adjusted(-r, -r, r, r);
    if (!a.intersects(b))
        return false;
    return first->collidesWithItem(second, Qt::IntersectsItemShape);
}

void paintBoxConnector(QPainter *painter, const QGraphicsLineItem &line, bool hasGeometry,
                       const QGraphicsItem *first, const QGraphicsItem *second,
                       const LabelBoxItem *box, const QPolygonF &arrowHead)
{
    if (!hasGeometry || !first || !second || first->collidesWithItem(second) || box->isHidden())
        return;
    paintConnector(painter, line.pen(), line.line(), arrowHead, line.isSelected());
}

QLineF sidewaysShifted(const QPointF &from, const QPointF &to, qreal distance)
{
    const QLineF segment(from, to);
    const qreal length = segment.length();
    if (length <= 0.0)
        return segment;
    // The left-hand normal of (dx, dy) in a y-down system is (dy, -dx).
    const QPointF normal(segment.dy() / length, -segment.dx() / length);
    return segment.translated(normal * distance);
}

QPointF repeatedConnectionOffset(const QPointF &a, const QPointF &b, int index, qreal step)
{
    if (index <= 0)
        return QPointF();
    // The same pair of items gives the same places whichever way a
    // connection was drawn.
    if (b.x() < a.x() || (b.x() == a.x() && b.y() < a.y()))
        return repeatedConnectionOffset(b, a, index, step);
    const qreal rank = (index + 1) / 2;
    const qreal side = index % 2 == 1 ? 1.0 : -1.0;
    const QLineF shifted = sidewaysShifted(a, b, side * rank * step);
    if (shifted.p1() == a) {
        // Both centres coincide: stack the boxes downwards instead.
        return QPointF(0, side * rank * step);
    }
    return shifted.p1() - a;
}
