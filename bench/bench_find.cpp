// Find on a large project: 50 state machines with 200 states and 400
// transitions each, built into real canvases. One search is what the Find
// panel does for a text: a snapshot of the canvases (the records a save
// writes) and a pass over every label, condition and action. Prints the
// median of five searches for a rarer text, a text in every state and a
// text found nowhere, and, as the baseline measured in the same run, the
// snapshot alone.

#include "BenchCanvases.h"
#include "BenchFigures.h"
#include "BenchTiming.h"
#include "ProjectSearch.h"
#include "ProjectSnapshot.h"

// The seeded generator the tests use; compiled in here because benchmark
// programs link only the core library.
#include "tests/support/model/RandomProject.cpp"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QObject owner;
    QByteArray bytes;
    const QList<Canvas *> canvases = buildLargeProject(50, &owner, &bytes);
    if (canvases.isEmpty())
        return 1;

    constexpr int kRounds = 5;
    struct Term
    {
        const char *name;
        QString text;
        QVector<double> times;
        int hits = 0;
    };
    QVector<Term> terms = {{"rarer text (\"State17\")", QStringLiteral("State17"), {}, 0},
                           {"common text (\"State\")", QStringLiteral("state"), {}, 0},
                           {"text found nowhere", QStringLiteral("no such text"), {}, 0}};
    QVector<double> snapshots;
    ProjectDocument document;
    for (int round = 0; round < kRounds; ++round) {
        for (Term &term : terms) {
            QElapsedTimer timer;
            timer.start();
            ProjectDocument searched;
            if (!ProjectSnapshot::take(canvases, &searched))
                return 1;
            term.hits = ProjectSearch::find(searched, term.text).size();
            term.times << msSince(timer);
        }
        QElapsedTimer timer;
        timer.start();
        if (!ProjectSnapshot::take(canvases, &document))
            return 1;
        snapshots << msSince(timer);
    }

    std::printf("project: %d items\n", documentItemCount(document));
    std::printf("%-44s %9s %9s\n", "search (median of 5)", "ms", "hits");
    for (const Term &term : terms)
        std::printf("%-44s %9.1f %9d\n", term.name, median(term.times), term.hits);
    std::printf("%-44s %9.1f\n", "baseline: snapshot of the canvases", median(snapshots));
    double slowest = 0;
    for (const Term &term : terms)
        slowest = std::max(slowest, median(term.times));
    // A search answers while the user still looks at the field.
    printLimitFigure("find: slowest search on 50 machines", slowest, "ms", "snapshot alone",
                     median(snapshots), 300);
    return 0;
}
