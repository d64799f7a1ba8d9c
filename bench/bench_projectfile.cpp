// Project file throughput: writes and reads (both passes) projects of 10,
// 25 and 50 state machines with 200 states and 400 transitions each, and
// prints sizes and times. Time per item should stay flat as the project
// grows (linear behaviour).

#include "BenchFigures.h"
#include "ProjectDocument.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"

// The seeded generator the tests use; compiled in here because benchmark
// programs link only the core library.
#include "tests/support/model/RandomProject.cpp"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

double msSince(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

long peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    std::printf("%9s %8s %10s %9s %9s %9s %9s %11s\n", "machines", "items", "bytes", "write ms",
                "check ms", "load ms", "group ms", "us/item r+w");
    double firstPerItem = 0, lastPerItem = 0;
    for (int machines : {10, 25, 50}) {
        const RandomProjectOptions options = largeProjectOptions(machines);
        const ProjectDocument document = randomProject(quint32(machines), options);
        const int items = documentItemCount(document);
        const QString path = dir.filePath(QStringLiteral("bench_%1.qsmd").arg(machines));

        QElapsedTimer timer;
        timer.start();
        ProjectFileWriter writer;
        if (!writer.write(document, path)) {
            std::fprintf(stderr, "write failed: %s\n", qPrintable(writer.errorString()));
            return 1;
        }
        const double writeMs = msSince(timer);

        ProjectFileReader reader;
        timer.restart();
        const bool checked = reader.check(path);
        const double checkMs = msSince(timer);
        timer.restart();
        const bool loaded = reader.load(path);
        const double loadMs = msSince(timer);
        if (!checked || !loaded) {
            std::fprintf(stderr, "read failed: %s\n", qPrintable(reader.errorString()));
            return 1;
        }
        timer.restart();
        ProjectDocument regrouped;
        QString error;
        if (!groupRecords(reader.records(), GroupLayout::Saved, &regrouped, &error)) {
            std::fprintf(stderr, "grouping failed: %s\n", qPrintable(error));
            return 1;
        }
        const double groupMs = msSince(timer);
        if (regrouped.blocks.size() != document.blocks.size()
            || reader.records().transitions.size() != machines * 400) {
            std::fprintf(stderr, "records lost\n");
            return 1;
        }
        const double perItemUs = (writeMs + checkMs + loadMs) * 1000.0 / items;
        std::printf("%9d %8d %10lld %9.1f %9.1f %9.1f %9.1f %11.2f\n", machines, items,
                    QFileInfo(path).size(), writeMs, checkMs, loadMs, groupMs, perItemUs);
        if (machines == 10)
            firstPerItem = perItemUs;
        lastPerItem = perItemUs;
    }
    // Five times the project may cost at most 5.5 times as much.
    printRatioFigure("write+read per item, 50 machines", lastPerItem, "us", "same, 10 machines",
                     firstPerItem, 1.1);
    std::printf("peak memory: %ld MiB\n", peakRssMb());
    return 0;
}
