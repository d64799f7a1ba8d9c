// Autosave of a large project: 50 state machines with 200 states and 400
// transitions each, built into real canvases. Prints how long the GUI
// thread is busy taking the snapshot, how long the worker thread needs to
// write a recovery copy (bytes, checksum, index and copy written and
// synced), and, as the baseline measured in the same run, how long writing
// the same project synchronously (as Save does) would block. Last, the
// longest stall of the GUI thread's event loop while a copy is written on
// the worker, next to the longest stall with no copy being written.

#include "BenchCanvases.h"
#include "BenchFigures.h"
#include "BenchTiming.h"
#include "ProjectFileWriter.h"
#include "ProjectSnapshot.h"
#include "RecoverySession.h"

// The seeded generator the tests use; compiled in here because benchmark
// programs link only the core library.
#include "tests/support/model/RandomProject.cpp"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace {

// The longest gap between two turns of the event loop while `busy` runs
// on the pool (or for `idleMs` when busy is empty).
double longestStall(const std::function<void()> &busy, int idleMs)
{
    std::atomic<bool> done{false};
    QThreadPool pool;
    if (busy)
        pool.start([&] { busy(); done = true; });
    QElapsedTimer total;
    total.start();
    QElapsedTimer gap;
    gap.start();
    double longest = 0;
    while (busy ? !done.load() : total.elapsed() < idleMs) {
        QCoreApplication::processEvents();
        longest = std::max(longest, msSince(gap));
        gap.restart();
    }
    pool.waitForDone();
    return longest;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    QObject owner;
    QByteArray bytes;
    const QList<Canvas *> canvases = buildLargeProject(50, &owner, &bytes);
    if (canvases.isEmpty())
        return 1;

    constexpr int kRounds = 5;
    QVector<double> snapshot, worker, save;
    RecoverySession session(dir.filePath(QStringLiteral("recovery")));
    const QString userFile = dir.filePath(QStringLiteral("Large.qsmd"));
    ProjectDocument document;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        if (!ProjectSnapshot::take(canvases, &document))
            return 1;
        snapshot << msSince(timer);
        // Each round changes one text, so that every copy is really written.
        document.blocks.last().states.first().description = QString::number(round);
        timer.restart();
        if (!session.write(document, userFile, QStringLiteral("Large")))
            return 1;
        worker << msSince(timer);
        timer.restart();
        if (!ProjectFileWriter().write(document, userFile))
            return 1;
        save << msSince(timer);
    }

    // Events the build and the rounds left queued (the scenes' first index
    // of their items) are handled first, so they count in neither figure.
    longestStall({}, 500);
    int version = kRounds;
    const double idleStall = longestStall({}, 1000);
    const double writeStall = longestStall(
        [&] {
            document.blocks.last().states.first().description = QString::number(++version);
            session.write(document, userFile, QStringLiteral("Large"));
        },
        0);

    std::printf("project: %d items, %lld bytes\n", documentItemCount(document), qint64(bytes.size()));
    std::printf("%-44s %9s\n", "step (median of 5)", "ms");
    std::printf("%-44s %9.1f\n", "GUI thread: snapshot of the canvases", median(snapshot));
    std::printf("%-44s %9.1f\n", "worker: recovery copy written and synced", median(worker));
    std::printf("%-44s %9.1f\n", "baseline: synchronous save of the same file", median(save));
    std::printf("%-44s %9.1f\n", "event-loop stall, idle", idleStall);
    std::printf("%-44s %9.1f\n", "event-loop stall, copy written meanwhile", writeStall);
    // The interface stays responsive when no event waits longer than a frame
    // or two while the copy is written.
    printLimitFigure("autosave: event-loop stall while writing", writeStall, "ms", "idle stall", idleStall,
                     50);
    return 0;
}
