// State-machine items: states, transition boxes and lines, the initial-state
// marker and text items. Geometry is checked with exact numbers, painting by
// rendering a scene into an image (the property dialogs are tested in
// tst_itemdialogs).

#include "DiagramFont.h"
#include "AutoSize.h"
#include "InitialTransition.h"
#include "InitialTransitionLine.h"
#include "PropertyDialogs.h"
#include "StateItem.h"
#include "StateProperties.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "TransitionLine.h"

#include <QApplication>
#include <QGraphicsDropShadowEffect>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QtTest>

#include <functional>

namespace {
const char *const NoDotMessage =
    "FATAL ERROR: Initial State Item is called before setting the Initial Transition dot item";

QImage render(QGraphicsScene &scene, const QRectF &source)
{
    QImage image(source.size().toSize(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    scene.render(&painter, QRectF(QPointF(0, 0), source.size()), source);
    return image;
}

int countPixels(const QImage &image, const std::function<bool(QRgb)> &test)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (test(image.pixel(x, y)))
                ++count;
    return count;
}

int pureRedPixels(const QImage &image)
{
    return countPixels(image, [](QRgb p) { return p == qRgb(255, 0, 0); });
}

int darkPixels(const QImage &image)
{
    return countPixels(image, [](QRgb p) { return qGray(p) < 100; });
}

}

class TestStateItems : public QObject
{
    Q_OBJECT

private slots:
    void newStateDefaults();
    void firstPaintKeepsDefaultColours();
    void outlinePensFollowInitialFlagAndMarking();
    void statesListTheirTransitions();
    void newTransitionBoxIsCentredBetweenStates();
    void selfTransitionsStackUpwards();
    void linesRunFromCentresToOutlines();
    void linesFollowMovedStates();
    void lineWithoutCrossingKeepsItsGeometry();
    void overlappingStatesHideTheTransition();
    void selectedLineShowsDashedCopies();
    void removeLinesTakesOnlyTheLinesOut();
    void initialDotSitsAboveTheState();
    void initialDotNeedsAState();
    void initialLineNeedsTheDot();
    void initialLineEndsOnTheStateOutline();
    void recordsRoundTrip();
    void textItemPlacementAndHeader();
    void fitToTextUsesAutomaticSizes();
};

void TestStateItems::newStateDefaults()
{
    StateItem state(nullptr, 100, 300);
    QCOMPARE(state.type(), 34);
    QCOMPARE(state.pos(), QPointF(100, 300));
    QCOMPARE(state.width(), 280);
    QCOMPARE(state.height(), 150);
    QCOMPARE(state.xRadius(), 12.0);
    QCOMPARE(state.yRadius(), 12.0);
    QCOMPARE(state.boundingRect(), QRectF(0, 0, 280, 150));
    QVERIFY(state.label().isEmpty());
    QVERIFY(state.action().isEmpty());
    QVERIFY(!state.backgroundColour().isValid());
    QVERIFY(!state.isInitialState());
    QCOMPARE(state.polygon(), QPolygonF({QPointF(0, 0), QPointF(280, 0), QPointF(280, 150),
                                         QPointF(0, 150), QPointF(0, 0)}));
    QVERIFY(state.flags() & QGraphicsItem::ItemIsMovable);
    QVERIFY(state.flags() & QGraphicsItem::ItemIsSelectable);
    QVERIFY(state.acceptHoverEvents());
    QCOMPARE(state.shadow()->blurRadius(), 50.0);
    QCOMPARE(state.graphicsEffect(), state.shadow());
    // The dialog is only built when the properties are first opened.
    QVERIFY(!PropertyDialogs().dialog(ItemType::State));
    QCOMPARE(qgraphicsitem_cast<StateItem *>(static_cast<QGraphicsItem *>(&state)), &state);
}

void TestStateItems::firstPaintKeepsDefaultColours()
{
    QGraphicsScene scene;
    auto *state = new StateItem(nullptr, 0, 0);
    auto *text = new TextItem(nullptr, 400, 0);
    auto *other = new StateItem(nullptr, 0, 400);
    auto *box = new TransitionItem(nullptr, state, other);
    scene.addItem(state);
    scene.addItem(text);
    scene.addItem(other);
    scene.addItem(box);

    // Written as the default before any paint, never as black.
    QCOMPARE(state->toRecord().backgroundColour, QStringLiteral("#e5e7e9"));
    QCOMPARE(box->toRecord().backgroundColour, QStringLiteral("#e5e7e9"));
    QCOMPARE(text->toRecord().backgroundColour, QStringLiteral("#ffffff"));

    const QImage image = render(scene, QRectF(0, 0, 700, 600));
    // Painting fills with the default but leaves the items as they were.
    QVERIFY(!state->backgroundColour().isValid());
    QVERIFY(!box->backgroundColour().isValid());
    QCOMPARE(state->shownColour(), QColor(229, 231, 233));
    QCOMPARE(box->shownColour(), QColor(229, 231, 233));
    QCOMPARE(text->shownColour(), QColor(Qt::white));
    QCOMPARE(state->toRecord().backgroundColour, QStringLiteral("#e5e7e9"));
    // Inside the state's action area the fill shows.
    QCOMPARE(QColor(image.pixel(140, 120)), QColor(229, 231, 233));
    // The outline is black (not red) for a state that is not initial.
    QCOMPARE(countPixels(image.copy(0, 0, 280, 150), [](QRgb p) { return qRed(p) - qGreen(p) > 60; }), 0);
}

void TestStateItems::outlinePensFollowInitialFlagAndMarking()
{
    StateItem state(nullptr, 0, 0);
    QCOMPARE(state.borderPen().color(), QColor(Qt::black));
    QCOMPARE(state.borderPen().width(), 1);
    QCOMPARE(state.initialPen().color(), QColor(Qt::red));

    state.setMarked();
    QCOMPARE(state.borderPen().style(), Qt::DotLine);
    QCOMPARE(state.initialPen().style(), Qt::SolidLine);
    state.clearMarked();
    QCOMPARE(state.borderPen().style(), Qt::SolidLine);

    state.setInitialState(true);
    state.setMarked();
    QCOMPARE(state.initialPen().style(), Qt::DotLine);
    QCOMPARE(state.borderPen().style(), Qt::SolidLine);
    state.clearMarked();
    QCOMPARE(state.initialPen().style(), Qt::SolidLine);

    // The initial state is drawn with the red outline.
    QGraphicsScene scene;
    auto *initial = new StateItem(nullptr, 0, 0);
    initial->setInitialState(true);
    scene.addItem(initial);
    const QImage image = render(scene, QRectF(0, 0, 280, 150));
    QVERIFY(countPixels(image, [](QRgb p) { return qRed(p) - qGreen(p) > 60; }) > 100);
}

void TestStateItems::statesListTheirTransitions()
{
    StateItem a(nullptr, 0, 0);
    StateItem b(nullptr, 600, 0);
    a.setLabel(QStringLiteral("A"));
    TransitionItem ab(nullptr, &a, &b);
    ab.setLabel(QStringLiteral("toB"));
    TransitionItem self(nullptr, &a, &a);
    self.setLabel(QStringLiteral("again"));
    QVERIFY(!ab.isSelfTransition());
    QVERIFY(self.isSelfTransition());

    a.addTransition(&ab);
    b.addTransition(&ab);
    a.addTransition(&self);
    QCOMPARE(a.transitions(), QList<TransitionItem *>({&ab}));
    QCOMPARE(b.transitions(), QList<TransitionItem *>({&ab}));
    QCOMPARE(a.selfTransitions(), QList<TransitionItem *>({&self}));

    // Self transitions are not counted in the record.
    const StateRecord record = a.toRecord();
    QCOMPARE(record.numberOfTI, 1);
    QCOMPARE(record.transitions, QStringList({QStringLiteral("toB")}));

    // Removing what is not attached changes nothing.
    TransitionItem stranger(nullptr, &b, &a);
    a.removeTransition(&stranger);
    b.removeTransition(&self);
    a.removeTransition(nullptr);
    QCOMPARE(a.transitions().size(), 1);
    QCOMPARE(a.selfTransitions().size(), 1);
    QCOMPARE(b.transitions().size(), 1);

    a.removeTransition(&self);
    a.removeTransition(&ab);
    QVERIFY(a.transitions().isEmpty());
    QVERIFY(a.selfTransitions().isEmpty());
    QCOMPARE(b.transitions().size(), 1);
}

void TestStateItems::newTransitionBoxIsCentredBetweenStates()
{
    StateItem a(nullptr, 100, 100);
    StateItem b(nullptr, 700, 300);
    TransitionItem box(nullptr, &a, &b);
    QCOMPARE(box.type(), 33);
    QCOMPARE(box.width(), 150);
    QCOMPARE(box.height(), 75);
    QCOMPARE(box.boundingRect(), QRectF(0, 0, 150, 75));
    // Centres (240, 175) and (840, 375).
    QCOMPARE(box.midPos(), QPointF(540, 275));
    QCOMPARE(box.pos(), QPointF(465, 238));
    QCOMPARE(box.startItem(), &a);
    QCOMPARE(box.endItem(), &b);
    QCOMPARE(box.pen().width(), 2);
    QCOMPARE(box.pen().capStyle(), Qt::RoundCap);
}

void TestStateItems::selfTransitionsStackUpwards()
{
    StateItem state(nullptr, 100, 200);
    TransitionItem first(nullptr, &state, &state);
    QCOMPARE(first.midPos(), QPointF(100 + 570, 200 + 75));
    QCOMPARE(first.pos(), QPointF(670 - 75, 275 - 37));
    state.addTransition(&first);

    TransitionItem second(nullptr, &state, &state);
    QCOMPARE(second.midPos(), QPointF(670, 275 - 37));
    state.addTransition(&second);

    TransitionItem third(nullptr, &state, &state);
    QCOMPARE(third.midPos(), QPointF(670, 275 - 74));
}

void TestStateItems::linesRunFromCentresToOutlines()
{
    StateItem a(nullptr, 100, 100);
    StateItem b(nullptr, 700, 100);
    TransitionItem box(nullptr, &a, &b);
    QCOMPARE(box.pos(), QPointF(465, 138));
    TransitionLine startLine(&a, &box);
    TransitionLine endLine(&box, &b);

    QCOMPARE(startLine.lineType(), 1);
    QCOMPARE(startLine.state(), &a);
    QCOMPARE(startLine.transition(), &box);
    QCOMPARE(endLine.lineType(), 2);
    QCOMPARE(endLine.state(), &b);
    QCOMPARE(endLine.transition(), &box);

    // State -> box: clipped at the box's left edge, running back to the state's centre.
    QCOMPARE(startLine.line(), QLineF(465, 175, 240, 175));
    // Box -> state: the tip lies on the end state's outline.
    QCOMPARE(endLine.line(), QLineF(700, 175, 540, 175));
    const QPolygonF head = endLine.arrowHead();
    QCOMPARE(head.size(), 3);
    QCOMPARE(head.at(0), QPointF(700, 175));
    QVERIFY(qAbs(head.at(1).x() - (700 - 20 * std::sin(M_PI / 3))) < 1e-9);
    QVERIFY(qAbs(head.at(1).y() - 165) < 1e-9);
    QVERIFY(qAbs(head.at(2).y() - 185) < 1e-9);

    QVERIFY(endLine.flags() & QGraphicsItem::ItemIsSelectable);
    QVERIFY(endLine.flags() & QGraphicsItem::ItemStacksBehindParent);
    QCOMPARE(endLine.pen().width(), 2);
    QCOMPARE(endLine.boundingRect(), QRectF(529, 164, 182, 22));
    QVERIFY(endLine.shape().contains(QPointF(690, 180)));   // inside the arrow head

    // Only the box -> state line shows an arrow head when painted.
    QGraphicsScene scene;
    scene.addItem(&startLine);
    scene.addItem(&endLine);
    const QImage image = render(scene, QRectF(0, 0, 800, 300));
    QVERIFY(darkPixels(image.copy(685, 166, 10, 6)) > 10);
    QCOMPARE(darkPixels(image.copy(450, 166, 10, 6)), 0);
    scene.removeItem(&startLine);
    scene.removeItem(&endLine);
}

void TestStateItems::linesFollowMovedStates()
{
    QGraphicsScene scene;
    StateItem a(nullptr, 100, 100);
    StateItem b(nullptr, 700, 100);
    TransitionItem box(nullptr, &a, &b);
    auto *endLine = new TransitionLine(&box, &b);
    scene.addItem(endLine);

    b.setPos(700, 150);   // centre now (840, 225), box centre stays (540, 175)
    QVERIFY(endLine->updateGeometry());
    const QLineF line = endLine->line();
    QCOMPARE(line.p2(), QPointF(540, 175));
    QCOMPARE(line.p1().x(), 700.0);
    QVERIFY(qAbs(line.p1().y() - (175 + 50.0 * 160 / 300)) < 1e-9);
    QCOMPARE(endLine->arrowHead().at(0), line.p1());

    // Once attached, a moved state brings the line along before any paint.
    box.setEndLine(endLine);
    b.addTransition(&box);
    b.setPos(700, 100);
    QCOMPARE(endLine->line(), QLineF(700, 175, 540, 175));
    b.removeTransition(&box);

    // Painting draws the line as it was computed and changes nothing.
    b.setPos(700, 300);
    render(scene, QRectF(0, 0, 1000, 600));
    QCOMPARE(endLine->line(), QLineF(700, 175, 540, 175));
}

void TestStateItems::lineWithoutCrossingKeepsItsGeometry()
{
    StateItem a(nullptr, 0, 0);
    StateItem b(nullptr, 700, 0);
    TransitionItem box(nullptr, &a, &b);
    TransitionLine endLine(&box, &b);
    const QLineF before = endLine.line();
    // Box centre moved inside the end state: no edge is crossed.
    box.setPos(760, 40);
    QVERIFY(!endLine.updateGeometry());
    QCOMPARE(endLine.line(), before);
}

void TestStateItems::overlappingStatesHideTheTransition()
{
    // Only the box is in the scene so that its fill is the only red there.
    StateItem a(nullptr, 0, 0);
    StateItem b(nullptr, 800, 0);
    QGraphicsScene scene;
    auto *box = new TransitionItem(nullptr, &a, &b);
    a.addTransition(box);
    b.addTransition(box);
    box->setBackgroundColour(Qt::red);
    scene.addItem(box);
    const QRectF area(0, 0, 1200, 300);
    QVERIFY(pureRedPixels(render(scene, area)) > 1000);

    b.setPos(200, 50);   // now overlaps a
    QVERIFY(box->statesOverlap());
    QCOMPARE(pureRedPixels(render(scene, area)), 0);

    // A self transition is always drawn.
    auto *self = new TransitionItem(nullptr, &a, &a);
    self->setBackgroundColour(Qt::red);
    scene.addItem(self);
    QVERIFY(!self->statesOverlap());
    QVERIFY(pureRedPixels(render(scene, area)) > 1000);
}

void TestStateItems::selectedLineShowsDashedCopies()
{
    StateItem a(nullptr, 100, 100);
    StateItem b(nullptr, 700, 100);
    TransitionItem box(nullptr, &a, &b);
    QGraphicsScene scene;
    auto *endLine = new TransitionLine(&box, &b);   // runs along y = 175 from 540 to 700
    scene.addItem(endLine);
    const QRectF area(500, 150, 250, 50);
    // The thin dashed copies are antialiased: count every clearly grey pixel.
    auto row = [](const QImage &image, int y) {
        return countPixels(image.copy(60, y, 110, 1), [](QRgb p) { return qGray(p) < 200; });
    };

    QImage image = render(scene, area);
    QCOMPARE(row(image, 25 + 4), 0);
    QCOMPARE(row(image, 25 - 4), 0);

    endLine->setSelected(true);
    image = render(scene, area);
    QVERIFY(row(image, 25 + 4) > 30);
    QVERIFY(row(image, 25 - 4) > 30);
    QVERIFY(row(image, 25 + 4) < 110);   // dashed
}

void TestStateItems::removeLinesTakesOnlyTheLinesOut()
{
    QGraphicsScene scene;
    auto *a = new StateItem(nullptr, 0, 0);
    auto *b = new StateItem(nullptr, 700, 0);
    auto *box = new TransitionItem(nullptr, a, b);
    auto *startLine = new TransitionLine(a, box);
    auto *endLine = new TransitionLine(box, b);
    box->setStartLine(startLine);
    box->setEndLine(endLine);
    const QList<QGraphicsItem *> items{a, b, box, startLine, endLine};
    for (QGraphicsItem *item : items)
        scene.addItem(item);

    box->removeLines();
    QVERIFY(!startLine->scene());
    QVERIFY(!endLine->scene());
    QCOMPARE(box->scene(), &scene);
    QCOMPARE(a->scene(), &scene);
    box->removeLines();   // a second call is harmless
    delete startLine;
    delete endLine;
}

void TestStateItems::initialDotSitsAboveTheState()
{
    StateItem state(nullptr, 100, 300);
    InitialTransition dot;
    QCOMPARE(dot.boundingRect(), QRectF(0, 0, 20, 20));
    // The dot is neither moved nor selected by the user.
    QCOMPARE(dot.flags() & (QGraphicsItem::ItemIsMovable | QGraphicsItem::ItemIsSelectable),
             QGraphicsItem::GraphicsItemFlags());
    dot.attachState(&state);
    dot.setActive(true);
    QVERIFY(dot.isActive());
    QCOMPARE(dot.pos(), QPointF(230, 225));

    // The dot moves only when updatePosition runs.
    state.setPos(200, 400);
    QCOMPARE(dot.pos(), QPointF(230, 225));
    dot.updatePosition();
    QCOMPARE(dot.pos(), QPointF(330, 325));

    dot.detach();
    QVERIFY(!dot.isActive());
    QVERIFY(!dot.state());
    state.setPos(0, 0);
    dot.updatePosition();   // detached: stays where it was
    QCOMPARE(dot.pos(), QPointF(330, 325));
}

void TestStateItems::initialDotNeedsAState()
{
    QGraphicsScene scene;
    auto *dot = new InitialTransition;
    scene.addItem(dot);
    dot->setActive(true);
    QVERIFY(!dot->isActive());
    QCOMPARE(darkPixels(render(scene, QRectF(-10, -10, 40, 40))), 0);

    StateItem state(nullptr, 100, 300);
    dot->attachState(&state);
    dot->setActive(true);
    QVERIFY(darkPixels(render(scene, QRectF(220, 215, 40, 40))) > 200);
}

void TestStateItems::initialLineNeedsTheDot()
{
    StateItem state(nullptr, 100, 300);
    InitialTransitionLine line;
    QTest::ignoreMessage(QtDebugMsg, NoDotMessage);
    line.attachState(&state);
    QVERIFY(!line.state());
    line.setActive(true);
    QVERIFY(!line.isActive());
}

void TestStateItems::initialLineEndsOnTheStateOutline()
{
    StateItem state(nullptr, 100, 300);
    QGraphicsScene scene;
    auto *dot = new InitialTransition;
    auto *line = new InitialTransitionLine;
    line->setDot(dot);
    dot->attachState(&state);
    dot->setActive(true);
    line->attachState(&state);
    line->setActive(true);
    QVERIFY(line->isActive());
    QCOMPARE(line->pen().width(), 2);
    QVERIFY(line->flags() & QGraphicsItem::ItemIsSelectable);

    // From the state's top edge up to the dot's centre (240, 235).
    QCOMPARE(line->line(), QLineF(240, 300, 240, 235));
    const QPolygonF head = line->arrowHead();
    QCOMPARE(head.at(0), QPointF(240, 300));
    QVERIFY(qAbs(head.at(1).x() - 250) < 1e-9);
    QVERIFY(qAbs(head.at(2).x() - 230) < 1e-9);
    QVERIFY(qAbs(head.at(1).y() - (300 - 20 * std::sin(M_PI / 3))) < 1e-9);

    scene.addItem(line);   // the dot stays out of the scene: only the arrow is drawn
    const QRectF area(200, 200, 80, 110);
    QVERIFY(darkPixels(render(scene, area)) > 100);

    // The arrow follows the state and the dot as they move, before any paint.
    state.setPos(100, 400);
    QCOMPARE(line->line(), QLineF(240, 400, 240, 235));
    dot->updatePosition();
    QCOMPARE(line->line(), QLineF(240, 400, 240, 335));
    state.setPos(100, 300);
    dot->updatePosition();
    QCOMPARE(line->line(), QLineF(240, 300, 240, 235));

    // A dot overlapping the state hides the arrow.
    dot->setPos(230, 290);
    QCOMPARE(darkPixels(render(scene, area)), 0);

    line->detach();
    QVERIFY(!line->isActive());
    QVERIFY(!line->state());
    delete dot;
}

void TestStateItems::recordsRoundTrip()
{
    const PolygonPoints stateOutline = {QPointF(0, 0), QPointF(300, 0), QPointF(300, 160), QPointF(0, 160), QPointF(0, 0)};
    StateRecord in;
    in.level = 6; in.parentId = 2; in.grandParentId = 3;
    in.label = QStringLiteral("Idle"); in.ifInitialState = true;
    in.initialCondition = QStringLiteral("ready == 1"); in.initialDescription = QStringLiteral("init();");
    in.xCoord = 200.5; in.yCoord = 400; in.width = 300; in.height = 160;
    in.backgroundColour = QStringLiteral("#12ab34"); in.polygon = stateOutline;
    in.action = QStringLiteral("a++;\nb--;"); in.description = QStringLiteral("waits");

    StateItem state(nullptr, 200.5, 400);
    StateItem other(nullptr, 900, 400);
    TransitionItem leftover(nullptr, &state, &other);
    state.addTransition(&leftover);
    state.applyRecord(in);
    QVERIFY(state.transitions().isEmpty());   // the loader re-attaches them
    QVERIFY(state.isInitialState());
    QCOMPARE(state.boundingRect(), QRectF(0, 0, 300, 160));
    const StateRecord out = state.toRecord();
    QCOMPARE(QVariantList({out.level, out.parentId, out.grandParentId, out.label, out.ifInitialState,
                           out.initialCondition, out.initialDescription, out.xCoord, out.yCoord,
                           out.width, out.height, out.backgroundColour, out.action, out.description,
                           out.numberOfTI}),
             QVariantList({6, 2, 3, in.label, true, in.initialCondition, in.initialDescription, 200.5,
                           400.0, 300, 160, in.backgroundColour, in.action, in.description, 0}));
    QCOMPARE(out.polygon, stateOutline);
    // An outline missing from the file is rebuilt from the size.
    in.polygon.clear();
    state.applyRecord(in);
    QCOMPARE(state.polygon(), QPolygonF(stateOutline));

    const PolygonPoints boxOutline = {QPointF(0, 0), QPointF(160, 0), QPointF(160, 80), QPointF(0, 80), QPointF(0, 0)};
    TransitionRecord t;
    t.level = 6; t.parentId = 2; t.grandParentId = 3;
    t.label = QStringLiteral("go"); t.condition = QStringLiteral("x > 1");
    t.backgroundColour = QStringLiteral("#AABBCC"); t.xCoord = 650; t.yCoord = 640;
    t.width = 160; t.height = 80; t.polygon = boxOutline;
    t.description = QStringLiteral("d"); t.action = QStringLiteral("y = 0;");
    other.setLabel(QStringLiteral("Busy"));
    TransitionItem box(nullptr, &state, &other);
    const QPointF midPos = box.midPos();
    box.applyRecord(t);
    QCOMPARE(box.midPos(), midPos);   // not taken from the record
    QCOMPARE(box.rect(), QRectF(0, 0, 160, 80));
    const TransitionRecord tOut = box.toRecord();
    QCOMPARE(QVariantList({tOut.level, tOut.grandParentId, tOut.label, tOut.condition, tOut.backgroundColour,
                           tOut.xCoord, tOut.yCoord, tOut.width, tOut.height, tOut.startItem, tOut.endItem,
                           tOut.description, tOut.action}),
             QVariantList({6, 3, t.label, t.condition, QStringLiteral("#aabbcc"), 650.0, 640.0, 160, 80,
                           QStringLiteral("Idle"), QStringLiteral("Busy"), t.description, t.action}));
    QCOMPARE(tOut.polygon, boxOutline);
    QCOMPARE(tOut.midPos, QStringLiteral("%1,%2").arg(midPos.x()).arg(midPos.y()));

    const PolygonPoints textOutline = {QPointF(0, 0), QPointF(170, 0), QPointF(170, 90), QPointF(0, 90), QPointF(0, 0)};
    TextRecord x;
    x.level = 6; x.parentId = 2; x.grandParentId = 3;
    x.xCoord = 999; x.yCoord = 999;   // text items keep their creation point
    x.width = 170; x.height = 90; x.type = 1; x.polygon = textOutline;
    x.backgroundColour = QStringLiteral("#fafafa"); x.textColour = QStringLiteral("#123456");
    x.action = QStringLiteral("#include <stdint.h>");
    TextItem text(nullptr, 40, 50);
    text.applyRecord(x);
    const TextRecord xOut = text.toRecord();
    QCOMPARE(QVariantList({xOut.level, xOut.parentId, xOut.grandParentId, xOut.xCoord, xOut.yCoord, xOut.width,
                           xOut.height, xOut.type, xOut.backgroundColour, xOut.textColour, xOut.action}),
             QVariantList({6, 2, 3, 40.0, 50.0, 170, 90, 1, x.backgroundColour, x.textColour, x.action}));
    QCOMPARE(xOut.polygon, textOutline);
}

void TestStateItems::textItemPlacementAndHeader()
{
    TextItem text(nullptr, 300, 200);
    QCOMPARE(text.type(), 35);
    text.placeAt();
    QCOMPARE(text.width(), 150);
    QCOMPARE(text.height(), 75);
    QCOMPARE(text.textType(), 0);
    QCOMPARE(text.pos(), QPointF(225, 163));
    QCOMPARE(text.boundingRect(), QRectF(0, 0, 150, 75));
    text.setMarked();
    QCOMPARE(text.pen().style(), Qt::DotLine);
    text.clearMarked();
    QCOMPARE(text.pen().style(), Qt::SolidLine);

    // The header is blue: some blue pixels for a known type, none for another.
    QGraphicsScene scene;
    auto *item = new TextItem(nullptr, 0, 0);
    scene.addItem(item);
    auto bluePixels = [&scene] {
        return countPixels(render(scene, QRectF(0, 0, 150, 75)),
                           [](QRgb p) { return qBlue(p) > 150 && qRed(p) < 120 && qGreen(p) < 120; });
    };
    QVERIFY(bluePixels() > 5);
    item->setTextType(7);
    QCOMPARE(bluePixels(), 0);
}

void TestStateItems::fitToTextUsesAutomaticSizes()
{
    const QString label(60, QLatin1Char('x'));
    const QString action = QStringLiteral("one();\ntwo();\nthree();\nfour();\nfive();\nsix();\nseven();\neight();");
    StateItem state(nullptr, 0, 0);
    state.setLabel(label);
    state.setAction(action);
    state.fitToText();
    const QSize expected = stateAutoSize(label, action, textMetrics(DiagramFont::font()));
    QCOMPARE(state.width(), expected.width());
    QCOMPARE(state.height(), expected.height());
    QCOMPARE(state.polygon().at(2), QPointF(expected.width(), expected.height()));
    QCOMPARE(state.boundingRect().size(), QSizeF(expected));

    StateItem b(nullptr, 900, 0);
    TransitionItem box(nullptr, &state, &b);
    box.setLabel(label);
    box.setCondition(QStringLiteral("flag"));
    box.setAction(action);
    box.fitToText();
    const QSize boxSize = transitionAutoSize(label, QStringLiteral("flag"), action, textMetrics(DiagramFont::font()));
    QCOMPARE(QSize(box.width(), box.height()), boxSize);
    QCOMPARE(box.rect().size(), QSizeF(boxSize));

    TextItem text(nullptr, 0, 0);
    text.setAction(action);
    text.fitToText();
    QCOMPARE(QSize(text.width(), text.height()), textAutoSize(action, textMetrics(DiagramFont::font())));
}

QTEST_MAIN(TestStateItems)
#include "tst_stateitems.moc"
