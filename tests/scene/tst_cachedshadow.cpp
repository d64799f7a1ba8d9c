// The drop shadow of the diagram items looks as the stock effect's does at
// 1:1 and zoomed in, for small boxes, for boxes large enough that their
// shadow is pieced together and for large ellipses; zoomed out it is the 1:1
// shadow made smaller; it follows style changes, leaves out items that paint
// nothing and goes away when switched off.

#include "CachedDropShadowEffect.h"
#include "InitialTransition.h"
#include "ProcessItem.h"
#include "StateItem.h"
#include "TransitionItem.h"

#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPixmapCache>
#include <QScreen>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

class TestCachedShadow : public QObject
{
    Q_OBJECT

    // A view of two boxes, one with the cached effect and one, far away
    // and never in view together, with the stock effect.
    struct Stage
    {
        QGraphicsScene scene{0, 0, 3000, 1000};
        QGraphicsView view{&scene};
        QGraphicsRectItem *cached = nullptr;
        QGraphicsRectItem *stock = nullptr;

        Stage()
        {
            view.setRenderHint(QPainter::Antialiasing);
            view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            view.resize(400, 300);
            cached = box(new CachedDropShadowEffect);
            stock = box(new QGraphicsDropShadowEffect);
        }
        QGraphicsRectItem *box(QGraphicsDropShadowEffect *effect)
        {
            auto *item = scene.addRect(0, 0, 120, 80, QPen(Qt::black), QBrush(Qt::yellow));
            // As the diagram items do, which the stock effect's rendering
            // of the item itself matches.
            item->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
            effect->setBlurRadius(50);
            item->setGraphicsEffect(effect);
            return item;
        }
        // The view centred on item, placed at pos, as an image.
        QImage shot(QGraphicsItem *item, const QPointF &pos)
        {
            cached->setPos(-2000, 0);
            stock->setPos(-2000, 0);
            item->setPos(pos);
            view.centerOn(pos + QPointF(60, 40));
            return view.viewport()->grab().toImage();
        }
    };

    // The shadow picture is blurred once for a silhouette placed to a
    // quarter pixel and sized to whole pixels, and composited in pieces, so
    // its values may differ from the stock effect's by a few steps; a large
    // ellipse, blurred at a reduced scale, by a few more.
    static constexpr int Tolerance = 5;
    static constexpr int ScaledTolerance = 12;
    // Zoomed out, the reference is the 1:1 drawing scaled down smoothly,
    // which on the shadow's gentle slopes adds less than a colour step, so
    // boxes keep Tolerance. A large ellipse's reduced picture is enlarged
    // onto a differently rounded extent at each zoom; its edge lands up to
    // about a pixel apart on the steepest part of the slope (measured 8 to
    // 14 between 75 % and 1:1).
    static constexpr int ScaledZoomedTolerance = 15;

    // The largest difference of any colour channel of any pixel.
    static int difference(const QImage &a, const QImage &b)
    {
        if (a.size() != b.size())
            return 256;
        int most = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QRgb u = a.pixel(x, y);
                const QRgb v = b.pixel(x, y);
                most = std::max({most, qAbs(qRed(u) - qRed(v)), qAbs(qGreen(u) - qGreen(v)),
                             qAbs(qBlue(u) - qBlue(v))});
            }
        }
        return most;
    }

    // One diagram item alone in a scene, centred in a view of the given size
    // at the given zoom, as an image.
    static QImage itemShot(QGraphicsItem *item, qreal zoom, const QSize &viewSize)
    {
        QGraphicsScene scene(-20000, -20000, 40000, 40000);
        scene.addItem(item);
        QGraphicsView view(&scene);
        view.setRenderHint(QPainter::Antialiasing);
        view.setFrameShape(QFrame::NoFrame);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.resize(viewSize);
        view.scale(zoom, zoom);
        view.centerOn(item->sceneBoundingRect().center());
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            return QImage();
        const QImage image = view.viewport()->grab().toImage();
        scene.removeItem(item);
        return image;
    }

    // The scene area around one diagram item, alone in a scene, drawn at the
    // given zoom onto white.
    static QImage areaShot(QGraphicsItem *item, const QRectF &area, qreal zoom)
    {
        QGraphicsScene scene(-20000, -20000, 40000, 40000);
        scene.addItem(item);
        QImage image((area.size() * zoom).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            scene.render(&painter, QRectF(image.rect()), area);
        }
        scene.removeItem(item);
        return image;
    }

    // The largest difference of any colour channel over the pixels outside
    // `skip`, and how far the darkest of them is from white in `a`.
    struct Outside
    {
        int difference = 0;
        int darkest = 0;
    };
    static Outside compareOutside(const QImage &a, const QImage &b, const QRect &skip)
    {
        Outside result;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                if (skip.contains(x, y))
                    continue;
                const QRgb u = a.pixel(x, y);
                const QRgb v = b.pixel(x, y);
                result.difference = std::max({result.difference, qAbs(qRed(u) - qRed(v)),
                                              qAbs(qGreen(u) - qGreen(v)), qAbs(qBlue(u) - qBlue(v))});
                result.darkest = std::max(result.darkest, 255 - qGray(u));
            }
        }
        return result;
    }

    // Diagram items of every shadowed kind, made at a given size; the
    // states a transition joins are kept alive beside it.
    struct ItemMaker
    {
        std::vector<std::unique_ptr<StateItem>> states;

        QGraphicsItem *make(const QString &kind, int width, int height)
        {
            if (kind.startsWith("state")) {
                auto *state = new StateItem(nullptr, kind == "state" ? 0 : 0.5, kind == "state" ? 0 : 0.25);
                state->setWidth(width);
                state->setHeight(height);
                state->setLabel("STATE_A");
                state->setAction("count++;");
                return state;
            }
            if (kind == "process" || kind == "ellipse") {
                auto *process = new ProcessItem(nullptr, 0, 0, 1);
                // Sized as a project file sizes it.
                ProcessRecord record = process->toRecord();
                record.width = width;
                record.height = height;
                record.shape = kind == "process" ? 1 : 0;
                record.label = "Module";
                process->applyRecord(record);
                return process;
            }
            if (kind == "initial dot") {
                // Never attached to a state: an inactive dot paints nothing.
                return new InitialTransition;
            }
            // Two states side by side, or on top of each other for a hidden
            // transition.
            const bool hidden = kind == "hidden transition";
            states.emplace_back(new StateItem(nullptr, 0, 0));
            states.emplace_back(new StateItem(nullptr, hidden ? 30 : 900, 0));
            auto *transition = new TransitionItem(nullptr, states[states.size() - 2].get(),
                                                  states.back().get());
            transition->setLabel("go");
            transition->setCondition("input == 1");
            return transition;
        }

        // The same item with the stock effect (blur 50, as the items set)
        // in place of its own shadow: the look to compare with.
        QGraphicsItem *makeWithStockShadow(const QString &kind, int width, int height)
        {
            QGraphicsItem *item = make(kind, width, height);
            auto *stockEffect = new QGraphicsDropShadowEffect;
            stockEffect->setBlurRadius(50);
            item->setGraphicsEffect(stockEffect);
            return item;
        }
    };

private slots:
    void initTestCase() { CachedDropShadowEffect::reserveCache(); }

    void diagramItemsLookAsBefore_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<qreal>("zoom");
        QTest::newRow("state") << "state" << 250 << 130 << 1.0;
        QTest::newRow("state at a fraction") << "state at a fraction" << 250 << 130 << 1.0;
        QTest::newRow("state zoomed in") << "state" << 250 << 130 << 1.7;
        QTest::newRow("state at a fraction, zoomed in") << "state at a fraction" << 250 << 130 << 1.23;
        QTest::newRow("large state, pieced") << "state" << 1300 << 900 << 1.0;
        QTest::newRow("tall state, pieced, zoomed in") << "state" << 260 << 900 << 1.4;
        QTest::newRow("process") << "process" << 300 << 250 << 1.0;
        QTest::newRow("large process, pieced") << "process" << 1200 << 700 << 1.0;
        QTest::newRow("ellipse") << "ellipse" << 300 << 250 << 1.0;
        QTest::newRow("large ellipse, scaled") << "ellipse" << 1500 << 1100 << 1.0;
        QTest::newRow("transition") << "transition" << 0 << 0 << 1.0;
        QTest::newRow("hidden transition") << "hidden transition" << 0 << 0 << 1.0;
        QTest::newRow("inactive initial dot") << "initial dot" << 0 << 0 << 1.0;
    }

    // Each item is shot with its own shadow and again with the stock
    // effect of the same blur, offset and colour in its place.
    void diagramItemsLookAsBefore()
    {
        QFETCH(QString, kind);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(qreal, zoom);
        ItemMaker maker;
        std::unique_ptr<QGraphicsItem> ours(maker.make(kind, width, height));
        std::unique_ptr<QGraphicsItem> stock(maker.makeWithStockShadow(kind, width, height));
        QVERIFY(qobject_cast<CachedDropShadowEffect *>(ours->graphicsEffect()));

        const QSize viewSize(1700, 1300);
        const QImage got = itemShot(ours.get(), zoom, viewSize);
        const QImage expected = itemShot(stock.get(), zoom, viewSize);
        QVERIFY(!got.isNull());
        const int tolerance = kind == "ellipse" && width > 1024 ? ScaledTolerance : Tolerance;
        QVERIFY2(difference(got, expected) <= tolerance,
                 qPrintable(QString("differs by %1").arg(difference(got, expected))));
    }

    void zoomedOutShadowIsTheOneToOneShadowMadeSmaller_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<qreal>("zoom");
        QTest::newRow("state, 30 %") << "state" << 250 << 130 << 0.3;
        QTest::newRow("state at a fraction, 77 %") << "state at a fraction" << 250 << 130 << 0.77;
        QTest::newRow("tall state, pieced, 60 %") << "state" << 260 << 1400 << 0.6;
        QTest::newRow("large process, pieced, 40 %") << "process" << 1200 << 700 << 0.4;
        QTest::newRow("ellipse, 50 %") << "ellipse" << 300 << 250 << 0.5;
        QTest::newRow("large ellipse, scaled, 90 %") << "ellipse" << 1500 << 1100 << 0.9;
    }

    // Zoomed out, an item and its shadow look like the 1:1 drawing made
    // smaller: the reference is the stock effect drawn at 1:1 and scaled
    // down smoothly. Only the shadow around the item is compared (the item's
    // own lines and texts are drawn afresh at each zoom, not scaled).
    void zoomedOutShadowIsTheOneToOneShadowMadeSmaller()
    {
        QFETCH(QString, kind);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(qreal, zoom);
        ItemMaker maker;
        std::unique_ptr<QGraphicsItem> ours(maker.make(kind, width, height));
        std::unique_ptr<QGraphicsItem> stock(maker.makeWithStockShadow(kind, width, height));

        // Room for the 1:1 shadow on every side, in whole hundreds so that
        // the area is a whole number of pixels at every zoom tried.
        const QRectF box = ours->sceneBoundingRect();
        QRectF area = box.adjusted(-100, -100, 100, 100);
        area.setSize(QSizeF(std::ceil(area.width() / 100) * 100, std::ceil(area.height() / 100) * 100));
        const QImage got = areaShot(ours.get(), area, zoom);
        const QImage expected =
            areaShot(stock.get(), area, 1.0).scaled(got.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

        // The item itself, with a pixel more each way for its antialiased edge.
        const QRectF onImage((box.topLeft() - area.topLeft()) * zoom, box.size() * zoom);
        const QRect item = onImage.toAlignedRect().adjusted(-1, -1, 1, 1);
        const Outside outside = compareOutside(got, expected, item);
        const int tolerance = kind == "ellipse" && width > 1024 ? ScaledZoomedTolerance : Tolerance;
        QVERIFY2(outside.difference <= tolerance,
                 qPrintable(QString("differs by %1").arg(outside.difference)));
        // There is a shadow to compare.
        QVERIFY(outside.darkest > 40);

        // The shadow reaches no farther than the 1:1 one made smaller: blur
        // and offset (8) shrunk, and a pixel for rounding.
        const int reach = qCeil((50 + 8) * zoom) + 2;
        const Outside far = compareOutside(got, got, item.adjusted(-reach, -reach, reach, reach));
        QCOMPARE(far.darkest, 0);
    }

    // The view repaints only what an item's bounding rectangle (with its
    // effect's margin, in scene units) covered. A shadow wider than that, as
    // a full-width one at 50 % would be, stayed behind on screen after a move.
    void movingZoomedOutLeavesNoShadowBehind()
    {
        QGraphicsScene scene(0, 0, 2000, 1200);
        QGraphicsView view(&scene);
        view.setRenderHint(QPainter::Antialiasing);
        view.setFrameShape(QFrame::NoFrame);
        view.resize(800, 500);
        view.scale(0.5, 0.5);
        auto *state = new StateItem(nullptr, 600, 400);
        scene.addItem(state);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCoreApplication::processEvents();

        state->setPos(1100, 700);
        QCoreApplication::processEvents();
        QTest::qWait(50);
        // What the screen shows against a fresh drawing of the whole view.
        const QImage shown = view.screen()->grabWindow(view.winId()).toImage();
        const QImage fresh = view.grab().toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), fresh.convertToFormat(QImage::Format_RGB32));
    }

    // Switching the effect off is how a picture without shadows is made.
    void aSwitchedOffShadowIsNotPainted()
    {
        ItemMaker maker;
        std::unique_ptr<QGraphicsItem> state(maker.make("state", 250, 130));
        std::unique_ptr<QGraphicsItem> bare(maker.make("state", 250, 130));
        bare->setGraphicsEffect(nullptr);
        state->graphicsEffect()->setEnabled(false);
        const QSize viewSize(600, 400);
        const QImage off = itemShot(state.get(), 1.0, viewSize);
        QCOMPARE(off, itemShot(bare.get(), 1.0, viewSize));
        state->graphicsEffect()->setEnabled(true);
        QVERIFY(itemShot(state.get(), 1.0, viewSize) != off);
    }

    void reserveNeverLowersTheLimit()
    {
        QCOMPARE(QPixmapCache::cacheLimit(), int(CachedDropShadowEffect::CacheLimitKb));
        QPixmapCache::setCacheLimit(CachedDropShadowEffect::CacheLimitKb * 2);
        CachedDropShadowEffect::reserveCache();
        QCOMPARE(QPixmapCache::cacheLimit(), CachedDropShadowEffect::CacheLimitKb * 2);
        QPixmapCache::setCacheLimit(CachedDropShadowEffect::CacheLimitKb);
    }

    void paintsLikeTheStockEffect()
    {
        Stage stage;
        stage.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&stage.view));
        // Places repeated so that later shots come from the cache; diagram
        // items at fractional places are compared below.
        const QList<QPointF> places{{500, 300}, {900, 410}, {500, 300}, {1300, 600}};
        for (const QPointF &p : places) {
            const QImage expected = stage.shot(stage.stock, p);
            const QImage got = stage.shot(stage.cached, p);
            QVERIFY(difference(got, expected) <= Tolerance);
            // A second paint in the same place reuses the blurred picture.
            QCOMPARE(stage.view.viewport()->grab().toImage(), got);
        }
        // The shadow is really there: a pixel beside the box is darkened.
        const QImage image = stage.shot(stage.cached, QPointF(500, 300));
        const QPoint beside = stage.view.mapFromScene(QPointF(500 + 120 + 6, 300 + 40));
        QVERIFY(qGray(image.pixel(beside)) < 250);
        QCOMPARE(qGray(stage.shot(stage.cached, QPointF(-1000, 0)).pixel(beside)), 255);
    }

    void styleChangesAreNotServedFromTheCache()
    {
        Stage stage;
        stage.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&stage.view));
        const QPointF p(700, 300);
        stage.shot(stage.cached, p);
        auto *effect = static_cast<CachedDropShadowEffect *>(stage.cached->graphicsEffect());
        auto *stockEffect = static_cast<QGraphicsDropShadowEffect *>(stage.stock->graphicsEffect());
        for (QGraphicsDropShadowEffect *e : {static_cast<QGraphicsDropShadowEffect *>(effect), stockEffect}) {
            e->setColor(QColor(200, 0, 0, 180));
            e->setOffset(12, 3);
            e->setBlurRadius(20);
        }
        QVERIFY(difference(stage.shot(stage.cached, p), stage.shot(stage.stock, p)) <= Tolerance);
    }

    void diagramItemsUseIt()
    {
        StateItem state(nullptr, 0, 0);
        auto *effect = qobject_cast<CachedDropShadowEffect *>(state.graphicsEffect());
        QVERIFY(effect);
        QCOMPARE(effect->blurRadius(), 50.0);
    }
};

QTEST_MAIN(TestCachedShadow)
#include "tst_cachedshadow.moc"
