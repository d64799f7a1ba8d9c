// Exporting every diagram of a large project as SVG, against opening the
// same project, measured in the same run: a project of 50 state machines
// with 200 states and 400 transitions each is written, then opened (both
// reader passes and the canvases built) and exported (one SVG file per
// diagram, as Export All Diagrams and kestro-cli export write them). Prints
// both times, best of three, and their ratio; exporting should take no
// more than twice as long as opening, otherwise the program says so and
// exits with 1.

#include "BenchFigures.h"
#include "Canvas.h"
#include "CanvasSetup.h"
#include "DiagramFiles.h"
#include "ProjectBuilder.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"

// The seeded generator the tests use; compiled in here because benchmark
// programs link only the core library.
#include "tests/support/model/RandomProject.cpp"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

constexpr int Machines = 50;

struct Opened
{
    std::unique_ptr<QObject> owner = std::make_unique<QObject>();
    QList<Canvas *> canvases;
};

bool open(const QString &path, Opened *opened)
{
    ProjectFileReader reader;
    if (!reader.check(path) || !reader.load(path))
        return false;
    CanvasSetup setup;
    setup.parent = opened->owner.get();
    ProjectBuilder builder(setup);
    opened->canvases = builder.build(reader.takeRecords());
    return !opened->canvases.isEmpty();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    const QString path = dir.filePath(QStringLiteral("export.qsmd"));
    if (!ProjectFileWriter().write(randomProject(quint32(Machines), largeProjectOptions(Machines)), path)) {
        std::fprintf(stderr, "cannot write the project\n");
        return 1;
    }

    double bestOpen = 0, bestExport = 0, bestDraw = 0;
    int files = 0;
    qint64 bytes = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        QElapsedTimer timer;
        timer.start();
        Opened opened;
        if (!open(path, &opened)) {
            std::fprintf(stderr, "cannot open the project\n");
            return 1;
        }
        const double openMs = timer.nsecsElapsed() / 1e6;

        const QString out = dir.filePath(QStringLiteral("svg%1").arg(attempt));
        timer.restart();
        const DiagramFiles::Result result =
            DiagramFiles::writeEach(DiagramFiles::entries(opened.canvases), out, ExportOptions());
        const double exportMs = timer.nsecsElapsed() / 1e6;
        if (!result.ok()) {
            std::fprintf(stderr, "export failed: %s\n", qPrintable(result.errors.join('\n')));
            return 1;
        }
        files = result.written.size();
        bytes = 0;
        for (const QString &file : result.written)
            bytes += QFileInfo(file).size();
        // The same pictures drawn but not written: where the time goes.
        timer.restart();
        for (const DiagramEntry &entry : DiagramFiles::entries(opened.canvases))
            DiagramRender::svg({entry.canvas, entry.path});
        const double drawMs = timer.nsecsElapsed() / 1e6;
        bestDraw = attempt == 0 ? drawMs : qMin(bestDraw, drawMs);
        bestOpen = attempt == 0 ? openMs : qMin(bestOpen, openMs);
        bestExport = attempt == 0 ? exportMs : qMin(bestExport, exportMs);
    }

    std::printf("project: %d machines of 200 states and 400 transitions\n", Machines);
    std::printf("open (read and build):      %9.1f ms\n", bestOpen);
    std::printf("export every diagram (SVG): %9.1f ms  (%d files, %lld bytes)\n", bestExport, files,
                static_cast<long long>(bytes));
    std::printf("  of which drawing (no files): %9.1f ms\n", bestDraw);
    const double ratio = bestExport / bestOpen;
    std::printf("export / open: x%.2f (best of three each)\n", ratio);
    printRatioFigure("export every diagram as SVG, 50 machines", bestExport, "ms", "open the project",
                     bestOpen, 2.0);
    if (ratio > 2.0) {
        std::printf("TOO SLOW: exporting takes more than twice as long as opening\n");
        return 1;
    }
    std::printf("within twice the time of opening\n");
    return 0;
}
