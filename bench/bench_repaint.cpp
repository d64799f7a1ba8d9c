// Full repaint time of a state-machine canvas with 100 states and their
// transitions in a full-HD view. Prints the average time of one complete
// repaint of the viewport (the best of several rounds, the scenes with and
// without shadows taking turns), at 1:1 scale and with the whole diagram fitted
// into the view, for the items as they are, without drop shadows (the lower
// bound, the baseline of the figures) and with the stock drop-shadow effect
// that blurs on every paint; under Qt's default pixmap cache limit and under
// the limit the application reserves.
//
// Run: QT_QPA_PLATFORM=offscreen ./bench_repaint [repaints [rounds]]

#include "AddStateCommand.h"
#include "AddTransitionCommand.h"
#include "BenchFigures.h"
#include "CachedDropShadowEffect.h"
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
#include <limits>

namespace {

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

struct Repaint
{
    double oneToOne = 0;
    double fitted = 0;
};

Repaint repaint(QGraphicsView *view, Canvas *canvas, int repaints)
{
    Repaint r;
    view->resetTransform();
    view->centerOn(960, 540);
    r.oneToOne = averageRepaintMs(view, repaints);
    view->fitInView(canvas->itemsBoundingRect(), Qt::KeepAspectRatio);
    r.fitted = averageRepaintMs(view, repaints);
    return r;
}

Repaint faster(const Repaint &a, const Repaint &b)
{
    return {qMin(a.oneToOne, b.oneToOne), qMin(a.fitted, b.fitted)};
}

void printRow(const char *what, const Repaint &r)
{
    std::printf("%-34s 1:1 %8.2f ms   fitted (all 100 states) %8.2f ms\n", what, r.oneToOne, r.fitted);
}

void forEachItem(Canvas *canvas, const std::function<void(QGraphicsItem *)> &f)
{
    const QList<QGraphicsItem *> items = canvas->items();
    for (QGraphicsItem *item : items)
        f(item);
}

// Replaces every item's shadow with a fresh effect of the same look made by
// make (the old effect is deleted with the swap).
void swapShadows(Canvas *canvas, const std::function<QGraphicsDropShadowEffect *()> &make)
{
    forEachItem(canvas, [&](QGraphicsItem *item) {
        auto *old = qobject_cast<QGraphicsDropShadowEffect *>(item->graphicsEffect());
        if (!old)
            return;
        QGraphicsDropShadowEffect *effect = make();
        effect->setBlurRadius(old->blurRadius());
        effect->setOffset(old->offset());
        effect->setColor(old->color());
        item->setGraphicsEffect(effect);
    });
}

void enableShadows(Canvas *canvas, bool enabled)
{
    forEachItem(canvas, [enabled](QGraphicsItem *item) {
        if (item->graphicsEffect())
            item->graphicsEffect()->setEnabled(enabled);
    });
}

// Measures the canvas as built, without shadows and with the stock effect
// (which replaces the items' own for good), under the given pixmap cache
// limit.
void measure(Canvas *canvas, QGraphicsView *view, int repaints, int rounds, int cacheLimitKb)
{
    QPixmapCache::clear();
    QPixmapCache::setCacheLimit(cacheLimitKb);
    std::printf("-- pixmap cache limit %d MB\n", cacheLimitKb / 1024);
    // The shadowed and the unshadowed scene take turns, and each keeps its
    // best round, so that the machine's changing load falls on both alike.
    const Repaint none{std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    Repaint built = none, bare = none;
    for (int round = 0; round < rounds; ++round) {
        enableShadows(canvas, true);
        built = faster(built, repaint(view, canvas, repaints));
        enableShadows(canvas, false);
        bare = faster(bare, repaint(view, canvas, repaints));
    }
    enableShadows(canvas, true);
    printRow("items as built (their shadow)", built);
    printRow("shadows disabled (lower bound)", bare);
    swapShadows(canvas, [] { return new QGraphicsDropShadowEffect; });
    printRow("stock effect, blurs every paint", repaint(view, canvas, repaints));

    const QByteArray limit = QByteArray::number(cacheLimitKb / 1024) + " MB cache";
    printRatioFigure(("100 shadowed states, 1:1, " + limit).constData(), built.oneToOne, "ms",
                     "same without shadows", bare.oneToOne, 1.3);
    printRatioFigure(("100 shadowed states, fitted, " + limit).constData(), built.fitted, "ms",
                     "same without shadows", bare.fitted, 1.5);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repaints = argc > 1 ? qMax(1, atoi(argv[1])) : 10;
    const int rounds = argc > 2 ? qMax(1, atoi(argv[2])) : 7;

    for (int cacheLimitKb : {QPixmapCache::cacheLimit(), int(CachedDropShadowEffect::CacheLimitKb)}) {
        // A fresh canvas each time, so that no cached pixmap carries over.
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
                    "best of %d rounds of %d repaints each\n",
                    canvas.states().size(), canvas.transitions().size(), canvas.items().size(),
                    view.viewport()->width(), view.viewport()->height(), rounds, repaints);
        measure(&canvas, &view, repaints, rounds, cacheLimitKb);
    }
    return 0;
}
