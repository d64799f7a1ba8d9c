// The cached drop shadow paints exactly what the stock effect paints, also
// when its blurred picture comes from the cache after a move or a scroll,
// and keeps results of differently styled shadows apart.

#include "CachedDropShadowEffect.h"
#include "StateItem.h"

#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPixmapCache>
#include <QtTest>

#include <algorithm>

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

    // The largest difference of any colour channel of any pixel; compositing
    // through the cached picture may round differently by one.
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

private slots:
    void initTestCase() { CachedDropShadowEffect::reserveCache(); }

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
        // Positions with fractions, repeated so that later shots come from the cache.
        const QList<QPointF> places{{500, 300}, {900.5, 410.25}, {500, 300}, {1300, 600}};
        for (const QPointF &p : places) {
            const QImage expected = stage.shot(stage.stock, p);
            const QImage got = stage.shot(stage.cached, p);
            QVERIFY(difference(got, expected) <= 1);
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
        QVERIFY(difference(stage.shot(stage.cached, p), stage.shot(stage.stock, p)) <= 1);
        QVERIFY(effect->resultKey(7) != CachedDropShadowEffect().resultKey(7));
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
