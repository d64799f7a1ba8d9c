// Exact numbers of the connector geometry and of the text layout of the
// boxed state-machine items.

#include "ConnectorGeometry.h"
#include "FloatingEnds.h"
#include "ItemLayout.h"
#include "StateItem.h"
#include "TransitionItem.h"

#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QtTest>

namespace {
bool samePoint(const QPointF &a, const QPointF &b)
{
    return qAbs(a.x() - b.x()) < 1e-9 && qAbs(a.y() - b.y()) < 1e-9;
}

int darkPixelsInRow(const QImage &image, int y, int x0, int x1)
{
    int count = 0;
    for (int x = x0; x <= x1; ++x)
        if (qGray(image.pixel(x, y)) < 128)
            ++count;
    return count;
}
}

class TestConnectorGeometry : public QObject
{
    Q_OBJECT

private slots:
    void centresUseIntegerHalves();
    void selfTransitionsStackUpwards();
    void clipTakesFirstCrossedEdgeInOrder();
    void clipWithoutCrossingLeavesPointUntouched();
    void arrowHeadPointsBackAlongTheLine();
    void boundingRectIsNormalisedAndGrown();
    void shapeHoldsLineAndArrowHead();
    void selectionCopiesAreDrawnAboveAndBelow();
    void stateTextLayout_data();
    void stateTextLayout();
    void transitionTextLayoutNumbers();
    void textItemLayoutTruncatesFloatingMetrics();
    void textTypeHeaders();
    void closedRectangleOutline();
    void sidewaysShiftIsPerpendicular();
    void repeatedConnectionsAlternateSides();
    void floatingEndsSitSideBySide();
    void tagTextReadsOnItsFill();
    void quickCollisionAnswersAsTheShapes();
};

void TestConnectorGeometry::centresUseIntegerHalves()
{
    QCOMPARE(itemCentre(QPointF(100, 300), 280, 150), QPointF(240, 375));
    // Odd sizes drop the half unit; a fractional position is kept.
    QCOMPARE(itemCentre(QPointF(10.5, 0), 151, 75), QPointF(85.5, 37));
    QCOMPARE(boxTopLeft(QPointF(540, 275), 150, 75), QPointF(465, 238));
    QCOMPARE(boxTopLeft(QPointF(0, 0), 151, 77), QPointF(-75, -38));
}

void TestConnectorGeometry::selfTransitionsStackUpwards()
{
    const QPointF state(100, 200);
    QCOMPARE(selfTransitionMidPos(state, 280, 150, 0), QPointF(100 + 570, 200 + 75));
    QCOMPARE(selfTransitionMidPos(state, 280, 150, 1), QPointF(670, 275 - 37));
    QCOMPARE(selfTransitionMidPos(state, 280, 150, 2), QPointF(670, 275 - 74));
    // A wider, odd-sized state: x + w/2 + w + 150 with w/2 an integer half.
    QCOMPARE(selfTransitionMidPos(QPointF(0, 0), 301, 151, 0), QPointF(150 + 301 + 150, 75));
}

void TestConnectorGeometry::clipTakesFirstCrossedEdgeInOrder()
{
    const QPolygonF outline = closedRectangle(280, 150);
    const QPointF offset(500, 0);
    QPointF hit(-1, -1);
    // Only the left edge is crossed.
    QVERIFY(clipToOutline(QPointF(100, 75), QPointF(640, 75), outline, offset, &hit));
    QCOMPARE(hit, QPointF(500, 75));
    // Crossing right and left edges: the right one comes first in the walk.
    QVERIFY(clipToOutline(QPointF(100, 75), QPointF(900, 75), outline, offset, &hit));
    QCOMPARE(hit, QPointF(780, 75));
    // A slanted line entering through the top edge.
    QVERIFY(clipToOutline(QPointF(640, -100), QPointF(640, 75), outline, offset, &hit));
    QCOMPARE(hit, QPointF(640, 0));
}

void TestConnectorGeometry::clipWithoutCrossingLeavesPointUntouched()
{
    const QPolygonF outline = closedRectangle(280, 150);
    QPointF hit(-1, -1);
    // Both ends inside the outline.
    QVERIFY(!clipToOutline(QPointF(600, 75), QPointF(640, 75), outline, QPointF(500, 0), &hit));
    QCOMPARE(hit, QPointF(-1, -1));
    // Degenerate outlines have no edge.
    QVERIFY(!clipToOutline(QPointF(0, 0), QPointF(10, 10), QPolygonF(), QPointF(), &hit));
    QVERIFY(!clipToOutline(QPointF(0, 0), QPointF(10, 10), QPolygonF({QPointF(5, 5)}), QPointF(), &hit));
    QCOMPARE(hit, QPointF(-1, -1));
}

void TestConnectorGeometry::arrowHeadPointsBackAlongTheLine()
{
    const qreal s = 20 * std::sin(M_PI / 3);   // 17.32...
    // Horizontal line whose tip is on the right.
    QPolygonF head = arrowHead(QLineF(QPointF(500, 75), QPointF(100, 75)));
    QCOMPARE(head.size(), 3);
    QVERIFY(samePoint(head.at(0), QPointF(500, 75)));
    QVERIFY(samePoint(head.at(1), QPointF(500 - s, 65)));
    QVERIFY(samePoint(head.at(2), QPointF(500 - s, 85)));
    // Vertical line with its tip at the top.
    head = arrowHead(QLineF(QPointF(0, 0), QPointF(0, 100)));
    QVERIFY(samePoint(head.at(0), QPointF(0, 0)));
    QVERIFY(samePoint(head.at(1), QPointF(-10, s)));
    QVERIFY(samePoint(head.at(2), QPointF(10, s)));
}

void TestConnectorGeometry::boundingRectIsNormalisedAndGrown()
{
    // Pen width 2: grown by (2 + 20) / 2 = 11 on every side.
    QCOMPARE(connectorBoundingRect(QLineF(100, 200, 40, 50), 2), QRectF(29, 39, 82, 172));
    QCOMPARE(connectorBoundingRect(QLineF(0, 0, 10, 0), 0), QRectF(-10, -10, 30, 20));
}

void TestConnectorGeometry::shapeHoldsLineAndArrowHead()
{
    const QLineF line(QPointF(500, 75), QPointF(100, 75));
    const QPolygonF head = arrowHead(line);
    const QPen pen(QBrush(Qt::black), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const QPainterPath shape = connectorShape(line, head, pen);
    QVERIFY(shape.contains(QPointF(300, 75)));
    QVERIFY(shape.contains(QPointF(300, 75.9)));
    QVERIFY(!shape.contains(QPointF(300, 78)));
    // Beside the line but inside the arrow head.
    QVERIFY(shape.contains(QPointF(488, 80)));
    QVERIFY(!shape.contains(QPointF(470, 90)));
}

void TestConnectorGeometry::selectionCopiesAreDrawnAboveAndBelow()
{
    QImage image(100, 40, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QPen before(Qt::red, 3);
    painter.setPen(before);
    drawSelectionCopies(&painter, QLineF(10, 20, 90, 20));
    QCOMPARE(painter.pen(), before);
    painter.end();

    QVERIFY(darkPixelsInRow(image, 24, 10, 90) > 20);
    QVERIFY(darkPixelsInRow(image, 16, 10, 90) > 20);
    // Dashed, not solid, and the line itself is not drawn.
    QVERIFY(darkPixelsInRow(image, 24, 10, 90) < 75);
    QCOMPARE(darkPixelsInRow(image, 20, 0, 99), 0);
}

void TestConnectorGeometry::stateTextLayout_data()
{
    QTest::addColumn<int>("lineHeight");
    QTest::addColumn<int>("separatorY");
    QTest::addColumn<QRect>("label");
    QTest::addColumn<QRect>("action");
    QTest::newRow("even H") << 16 << 32 << QRect(21, 8, 238, 16) << QRect(21, 40, 238, 102);
    // H/2 is an integer half: 17/2 = 8.
    QTest::newRow("odd H") << 17 << 33 << QRect(21, 8, 238, 17) << QRect(21, 41, 238, 101);
}

void TestConnectorGeometry::stateTextLayout()
{
    QFETCH(int, lineHeight);
    const StateTextLayout layout = ::stateTextLayout(280, 150, 7, lineHeight);
    QTEST(layout.separatorY, "separatorY");
    QTEST(layout.labelRect, "label");
    QTEST(layout.actionRect, "action");
}

void TestConnectorGeometry::transitionTextLayoutNumbers()
{
    const TransitionTextLayout layout = transitionTextLayout(150, 75, 7, 16);
    QCOMPARE(layout.labelRect, QRect(21, 8, 108, 16));
    QCOMPARE(layout.conditionRect, QRect(21, 32, 108, 16));
    QCOMPARE(layout.actionRect, QRect(21, 56, 108, 11));
}

void TestConnectorGeometry::textItemLayoutTruncatesFloatingMetrics()
{
    const TextItemLayout layout = textItemLayout(150, 75, 6.5, 15.25);
    QCOMPARE(layout.headerRect, QRect(19, 7, 111, 15));
    // y = trunc(15.25 + 2 * 7.625), height = trunc(75 - 15.25 - 3 * 7.625).
    QCOMPARE(layout.bodyRect, QRect(19, 30, 111, 36));
}

void TestConnectorGeometry::textTypeHeaders()
{
    QCOMPARE(textTypeHeader(0), QStringLiteral("DEFAULT"));
    QCOMPARE(textTypeHeader(1), QStringLiteral("INCLUDES"));
    QCOMPARE(textTypeHeader(2), QStringLiteral("DEFINES"));
    QVERIFY(textTypeHeader(3).isEmpty());
    QVERIFY(textTypeHeader(-1).isEmpty());
}

void TestConnectorGeometry::closedRectangleOutline()
{
    const QPolygonF expected({QPointF(0, 0), QPointF(280, 0), QPointF(280, 150), QPointF(0, 150), QPointF(0, 0)});
    QCOMPARE(closedRectangle(280, 150), expected);
}

// itemsCollide skips the shapes only where they cannot meet: across every
// gap around the edges, touching outlines included (a box's outline reaches
// a unit past its rectangle), it answers as collidesWithItem does.
void TestConnectorGeometry::quickCollisionAnswersAsTheShapes()
{
    QGraphicsScene scene;
    auto *a = new StateItem(nullptr, 0, 0);
    auto *b = new StateItem(nullptr, 0, 0);
    auto *far = new StateItem(nullptr, 5000, 5000);
    auto *box = new TransitionItem(nullptr, a, far);
    for (QGraphicsItem *item : {static_cast<QGraphicsItem *>(a), static_cast<QGraphicsItem *>(b),
                                static_cast<QGraphicsItem *>(far), static_cast<QGraphicsItem *>(box)})
        scene.addItem(item);
    const QRectF edge = a->sceneBoundingRect();
    int touching = 0;
    int apart = 0;
    for (QGraphicsItem *other : {static_cast<QGraphicsItem *>(b), static_cast<QGraphicsItem *>(box)}) {
        for (qreal gap = -3.0; gap <= 8.0; gap += 0.25) {
            // Beside the right edge, then below the bottom edge.
            for (const QPointF &pos : {QPointF(edge.right() + gap, edge.top() + 10),
                                       QPointF(edge.left() + 10, edge.bottom() + gap)}) {
                other->setPos(pos);
                const bool exact = a->collidesWithItem(other, Qt::IntersectsItemShape);
                QCOMPARE(itemsCollide(a, other), exact);
                QCOMPARE(itemsCollide(other, a), other->collidesWithItem(a, Qt::IntersectsItemShape));
                touching += exact && gap > 0;
                apart += !exact;
            }
        }
    }
    QVERIFY(touching > 0);   // outlines met across a gap between the rectangles
    QVERIFY(apart > 0);
}

QTEST_MAIN(TestConnectorGeometry)
#include "tst_connectorgeometry.moc"

void TestConnectorGeometry::sidewaysShiftIsPerpendicular()
{
    // Left of the direction, y growing downwards: a line running right is
    // moved up, one running down is moved right.
    QCOMPARE(sidewaysShifted(QPointF(0, 0), QPointF(100, 0), 8), QLineF(0, -8, 100, -8));
    QCOMPARE(sidewaysShifted(QPointF(0, 0), QPointF(0, 50), 8), QLineF(8, 0, 8, 50));
    // The way back moves to the other side: the two lines of a loop part.
    const QLineF out = sidewaysShifted(QPointF(10, 10), QPointF(70, 90), 8);
    const QLineF back = sidewaysShifted(QPointF(70, 90), QPointF(10, 10), 8);
    QCOMPARE(QLineF(out.center(), back.center()).length(), 16.0);
    QCOMPARE(QPointF(out.dx(), out.dy()), QPointF(60, 80));
    // No direction, no shift.
    QCOMPARE(sidewaysShifted(QPointF(5, 5), QPointF(5, 5), 8), QLineF(5, 5, 5, 5));
}

void TestConnectorGeometry::repeatedConnectionsAlternateSides()
{
    const QPointF a(0, 0);
    const QPointF b(400, 0);
    QCOMPARE(repeatedConnectionOffset(a, b, 0, 40), QPointF(0, 0));
    QCOMPARE(repeatedConnectionOffset(a, b, 1, 40), QPointF(0, -40));
    QCOMPARE(repeatedConnectionOffset(a, b, 2, 40), QPointF(0, 40));
    QCOMPARE(repeatedConnectionOffset(a, b, 3, 40), QPointF(0, -80));
    QCOMPARE(repeatedConnectionOffset(a, b, 4, 40), QPointF(0, 80));
    // Drawn the other way round, a connection takes the same places, so
    // links in both directions between two items never share one.
    QCOMPARE(repeatedConnectionOffset(b, a, 1, 40), QPointF(0, -40));
    QCOMPARE(repeatedConnectionOffset(b, a, 2, 40), QPointF(0, 40));
    // A diagonal pair spreads across its own line.
    const QPointF d = repeatedConnectionOffset(QPointF(0, 0), QPointF(300, 300), 1, 40);
    QVERIFY(qAbs(QPointF::dotProduct(d, QPointF(300, 300))) < 1e-9);
    QVERIFY(qAbs(QLineF(QPointF(), d).length() - 40) < 1e-9);
    // Two items centred on one point stack the boxes downwards.
    QCOMPARE(repeatedConnectionOffset(a, a, 1, 40), QPointF(0, 40));
    QCOMPARE(repeatedConnectionOffset(a, a, 2, 40), QPointF(0, -40));
}

void TestConnectorGeometry::floatingEndsSitSideBySide()
{
    // Short tags keep the first places: links at x 10 from y 40, 40 apart;
    // the first memory tag at x 160, y 30.
    FloatingEndsLayout layout = layoutFloatingEnds({QSizeF(100, 21), QSizeF(120, 21)}, {QSizeF(100, 64)});
    QCOMPARE(layout.links, (QVector<QPointF>{QPointF(10, 40), QPointF(10, 80)}));
    QCOMPARE(layout.memories, QVector<QPointF>{QPointF(160, 30)});

    // Long ones push the others along by their real widths, 20 apart.
    layout = layoutFloatingEnds({QSizeF(300, 21), QSizeF(90, 50)},
                                {QSizeF(240, 64), QSizeF(100, 64), QSizeF(180, 64)});
    QCOMPARE(layout.links, (QVector<QPointF>{QPointF(10, 40), QPointF(10, 80)}));
    QCOMPARE(layout.memories,
             (QVector<QPointF>{QPointF(330, 30), QPointF(590, 30), QPointF(710, 30)}));
    // A tall link tag takes more room below it.
    layout = layoutFloatingEnds({QSizeF(90, 50), QSizeF(90, 21)}, {});
    QCOMPARE(layout.links.last(), QPointF(10, 100));
    // Memory tags alone start at 160.
    QCOMPARE(layoutFloatingEnds({}, {QSizeF(500, 64), QSizeF(10, 64)}).memories,
             (QVector<QPointF>{QPointF(160, 30), QPointF(680, 30)}));
}

void TestConnectorGeometry::tagTextReadsOnItsFill()
{
    // Black on the red and green tags and the grey memory tags; white on
    // dark fills a user may pick for a dataflow.
    for (const QColor &fill : {QColor(255, 0, 0), QColor(0, 255, 0), QColor(192, 192, 192), QColor(249, 231, 159)})
        QCOMPARE(readableTextColour(fill), QColor(Qt::black));
    for (const QColor &fill : {QColor(0, 0, 128), QColor(80, 0, 0), QColor(Qt::black), QColor(0, 100, 0)})
        QCOMPARE(readableTextColour(fill), QColor(Qt::white));
    // The choice always reads at least as well as the usual minimum of 4.5
    // for normal text, on any of these grey levels and colours.
    for (int level = 0; level <= 255; level += 15) {
        for (const QColor &fill : {QColor(level, level, level), QColor(level, 0, 0), QColor(0, level, 0),
                                   QColor(0, 0, level)})
            QVERIFY2(contrastRatio(fill, readableTextColour(fill)) >= 4.5, qPrintable(fill.name()));
    }
    QCOMPARE(contrastRatio(Qt::black, Qt::white), 21.0);
}
