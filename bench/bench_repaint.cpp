// Full repaint time of a state-machine canvas with 100 states and their
// transitions in a full-HD view. Prints the average time of one complete
// repaint of the viewport, at 1:1 scale and with the whole diagram fitted
// into the view, for the items as they are, with device-coordinate caching
// forced on every item, with a shadow that is blurred once and cached, and
// without drop shadows (the lower bound).
//
// Run: QT_QPA_PLATFORM=offscreen ./bench_repaint [repaints]

#include "AddStateCommand.h"
#include "AddTransitionCommand.h"
#include "Canvas.h"
#include "StateItem.h"
#include "TransitionItem.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGraphicsEffect>
#include <QGraphicsView>
#include <QPainter>
#include <QPixmapCache>

#include <cstdio>
#include <functional>

namespace {

// A drop shadow that blurs once and reuses the result while the item's
// source pixmap stays the same (moves and scrolling keep it; a repaint of the
// item or a zoom gives a new one). The result lives in the pixmap cache, so
// memory stays bounded however many items a diagram has. Used to show what
// caching the shadow gains over the stock effect, which blurs on every paint.
class CachedDropShadowEffect : public QGraphicsDropShadowEffect
{
public:
    using QGraphicsDropShadowEffect::QGraphicsDropShadowEffect;

protected:
    void draw(QPainter *painter) override
    {
        QPoint offset;
        const QPixmap source = sourcePixmap(Qt::DeviceCoordinates, &offset, PadToEffectiveBoundingRect);
        if (source.isNull())
            return;
        const QString key = QStringLiteral("kestro-shadow-%1").arg(source.cacheKey());
        QPixmap result;
        if (!QPixmapCache::find(key, &result)) {
            result = QPixmap(source.size());
            result.fill(Qt::transparent);
            QPainter p(&result);
            // The stock effect paints in device coordinates at offset.
            p.setWindow(QRect(offset, source.size()));
            p.setViewport(QRect(QPoint(0, 0), source.size()));
            QGraphicsDropShadowEffect::draw(&p);
            p.end();
            QPixmapCache::insert(key, result);
        }
        const QTransform world = painter->worldTransform();
        painter->setWorldTransform(QTransform());
        painter->drawPixmap(offset, result);
        painter->setWorldTransform(world);
    }
};

constexpr int Columns = 10;
constexpr int Rows = 10;

void buildMachine(Canvas *canvas)
{
    QList<StateItem *> grid;
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Columns; ++c) {
            auto *cmd = new AddStateCommand(canvas, 40 + c * 520, 40 + r * 360);
            canvas->pushCommand(cmd);
            StateItem *s = cmd->state();
            s->setLabel(QString("STATE_%1_%2").arg(r).arg(c));
            s->setAction(QString("counter++;\nif (counter > %1) {\n    output = %2;\n}").arg(r).arg(c));
            grid << s;
        }
    }
    // Each state leads to its right and lower neighbour; every seventh state
    // also has a self transition.
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Columns; ++c) {
            StateItem *s = grid.at(r * Columns + c);
            if (c + 1 < Columns)
                canvas->pushCommand(new AddTransitionCommand(canvas, s, grid.at(r * Columns + c + 1)));
            if (r + 1 < Rows)
                canvas->pushCommand(new AddTransitionCommand(canvas, s, grid.at((r + 1) * Columns + c)));
            if ((r * Columns + c) % 7 == 0)
                canvas->pushCommand(new AddTransitionCommand(canvas, s, s));
        }
    }
    for (TransitionItem *t : canvas->transitions()) {
        t->setLabel("go");
        t->setCondition("input == 1");
        t->setAction("count = 0;");
    }
}

double averageRepaintMs(QGraphicsView *view, int repaints)
{
    view->viewport()->grab();   // warm-up: fonts, caches
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < repaints; ++i)
        view->viewport()->grab();
    return timer.nsecsElapsed() / 1e6 / repaints;
}

void report(const char *what, QGraphicsView *view, Canvas *canvas, int repaints)
{
    view->resetTransform();
    view->centerOn(960, 540);
    const double oneToOne = averageRepaintMs(view, repaints);
    view->fitInView(canvas->itemsBoundingRect(), Qt::KeepAspectRatio);
    const double fitted = averageRepaintMs(view, repaints);
    std::printf("%-34s 1:1 %8.2f ms   fitted (all 100 states) %8.2f ms\n", what, oneToOne, fitted);
}

void forEachItem(Canvas *canvas, const std::function<void(QGraphicsItem *)> &f)
{
    const QList<QGraphicsItem *> items = canvas->items();
    for (QGraphicsItem *item : items)
        f(item);
}

// Measures the canvas as built, with device-coordinate caching forced, with
// cached shadows and without shadows, under the given pixmap cache limit.
void measure(Canvas *canvas, QGraphicsView *view, int repaints, int cacheLimitKb)
{
    QPixmapCache::clear();
    QPixmapCache::setCacheLimit(cacheLimitKb);
    std::printf("-- pixmap cache limit %d MB\n", cacheLimitKb / 1024);
    report("items as built", view, canvas, repaints);

    QHash<QGraphicsItem *, QGraphicsItem::CacheMode> modes;
    forEachItem(canvas, [&](QGraphicsItem *item) {
        modes.insert(item, item->cacheMode());
        item->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
    });
    report("device-coordinate cache forced", view, canvas, repaints);
    forEachItem(canvas, [&](QGraphicsItem *item) { item->setCacheMode(modes.value(item)); });

    // The stock effect is replaced (and deleted); nothing here asks the
    // items for their shadow afterwards.
    forEachItem(canvas, [&](QGraphicsItem *item) {
        auto *stock = qobject_cast<QGraphicsDropShadowEffect *>(item->graphicsEffect());
        if (!stock)
            return;
        auto *cached = new CachedDropShadowEffect;
        cached->setBlurRadius(stock->blurRadius());
        cached->setOffset(stock->offset());
        cached->setColor(stock->color());
        item->setGraphicsEffect(cached);
    });
    report("shadow blurred once and cached", view, canvas, repaints);

    forEachItem(canvas, [](QGraphicsItem *item) {
        if (item->graphicsEffect())
            item->graphicsEffect()->setEnabled(false);
    });
    report("shadows disabled (lower bound)", view, canvas, repaints);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repaints = argc > 1 ? qMax(1, atoi(argv[1])) : 20;

    for (int cacheLimitKb : {QPixmapCache::cacheLimit(), 256 * 1024}) {
        // A fresh canvas each time: the measurement swaps the items' effects.
        Canvas canvas(nullptr);
        canvas.setLevel(5);
        canvas.setId(1);
        canvas.setParentId(1);
        canvas.setGrandParentId(1);
        canvas.setName("bench");
        canvas.setSceneRect(0, 0, 5400, 3700);
        buildMachine(&canvas);

        QGraphicsView view(&canvas);
        view.setRenderHint(QPainter::Antialiasing);
        view.resize(1920, 1080);
        view.show();
        app.processEvents();
        std::printf("canvas: %d states, %d transitions, %d scene items; viewport %dx%d; "
                    "%d repaints each\n",
                    canvas.states().size(), canvas.transitions().size(), canvas.items().size(),
                    view.viewport()->width(), view.viewport()->height(), repaints);
        measure(&canvas, &view, repaints, cacheLimitKb);
    }
    return 0;
}
