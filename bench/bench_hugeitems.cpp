// Repaint time and memory of very large items against items of the default
// size in the same run: a process item of 9999 x 9999 (the largest the
// dialog allows) and a state whose action has 20,000 lines, each alone in a
// full-HD view, shown at 1:1 (a corner in view) and fitted to the window.
// Prints the time of the first repaint (which builds any caches), the
// average of later repaints and the peak memory the item added.
//
// Run: QT_QPA_PLATFORM=offscreen ./bench_hugeitems [repaints]

#include "AutoSize.h"
#include "BenchFigures.h"
#include "BenchMemory.h"
#include "CachedDropShadowEffect.h"
#include "ProcessItem.h"
#include "StateItem.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsView>

#include <cstdio>
#include <functional>

namespace {

// Starts a new peak: Linux lowers the peak to the present size.
void resetPeak()
{
    QFile refs("/proc/self/clear_refs");
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

struct Figures
{
    double first = 0;
    double oneToOne = 0;
    double fitted = 0;
    double extraMb = 0;
};

double repaintMs(QGraphicsView *view)
{
    QElapsedTimer timer;
    timer.start();
    view->viewport()->grab();
    return timer.nsecsElapsed() / 1e6;
}

double averageMs(QGraphicsView *view, int repaints)
{
    double total = 0;
    for (int i = 0; i < repaints; ++i)
        total += repaintMs(view);
    return total / repaints;
}

Figures measure(QGraphicsItem *item, int repaints)
{
    resetPeak();
    const long before = statusKb("VmRSS:");
    QGraphicsScene scene(-200, -200, 11000, 400000);
    QGraphicsView view(&scene);
    view.setRenderHint(QPainter::Antialiasing);
    view.resize(1920, 1080);
    view.show();
    QApplication::processEvents();

    Figures f;
    scene.addItem(item);
    // The item's top-left corner near the view's, the rest as far as it goes.
    view.centerOn(item->pos() + QPointF(960 - 100, 540 - 100));
    f.first = repaintMs(&view);
    f.oneToOne = averageMs(&view, repaints);
    view.fitInView(item->sceneBoundingRect(), Qt::KeepAspectRatio);
    f.fitted = averageMs(&view, repaints);
    f.extraMb = (statusKb("VmHWM:") - before) / 1024.0;
    return f;
}

QString lines(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("output_%1 = input_%1 + %1;\n").arg(i);
    return text;
}

QGraphicsItem *process(int side)
{
    auto *item = new ProcessItem(nullptr, 0, 0, ProcessItem::RoundedRectangleShape);
    // Sized as a project file sizes it.
    ProcessRecord record = item->toRecord();
    record.width = side;
    record.height = side;
    record.label = "Module";
    item->applyRecord(record);
    return item;
}

QGraphicsItem *state(int actionLines)
{
    auto *item = new StateItem(nullptr, 0, 0);
    item->setLabel("BUSY");
    const QString action = lines(actionLines);
    item->setAction(action);
    const QSize size = stateAutoSize(item->label(), action, item->diagramMetrics());
    item->setWidth(size.width());
    item->setHeight(size.height());
    return item;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CachedDropShadowEffect::reserveCache();   // as the application does
    const int repaints = argc > 1 ? qMax(1, atoi(argv[1])) : 10;

    // A first run pays for fonts and the like, which are not the items'.
    delete process(ProcessItem::DefaultWidth);
    measure(process(ProcessItem::DefaultWidth), repaints);
    const Figures smallProcess = measure(process(ProcessItem::DefaultWidth), repaints);
    const Figures smallState = measure(state(3), repaints);
    const Figures hugeProcess = measure(process(9999), repaints);
    const Figures hugeState = measure(state(20000), repaints);
    std::printf("full-HD view, %d repaints each; baselines: items of the default size\n", repaints);
    printLimitFigure("repaint, 9999 x 9999 process, 1:1", hugeProcess.oneToOne, "ms",
                     "default-size process", smallProcess.oneToOne, 50);
    printLimitFigure("repaint, 9999 x 9999 process, fitted", hugeProcess.fitted, "ms",
                     "default-size process", smallProcess.fitted, 50);
    printLimitFigure("first repaint, 9999 x 9999 process", hugeProcess.first, "ms",
                     "default-size process", smallProcess.first, 50);
    printLimitFigure("extra memory, 9999 x 9999 process", hugeProcess.extraMb, "MB",
                     "default-size process", smallProcess.extraMb, 50);
    printLimitFigure("repaint, 20,000-line state, 1:1", hugeState.oneToOne, "ms",
                     "three-line state", smallState.oneToOne, 50);
    printLimitFigure("repaint, 20,000-line state, fitted", hugeState.fitted, "ms",
                     "three-line state", smallState.fitted, 50);
    printLimitFigure("first repaint, 20,000-line state", hugeState.first, "ms",
                     "three-line state", smallState.first, 50);
    printLimitFigure("extra memory, 20,000-line state", hugeState.extraMb, "MB",
                     "three-line state", smallState.extraMb, 50);
    return 0;
}
