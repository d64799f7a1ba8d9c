// Exporting every diagram of a large project as SVG, against opening the
// same project, measured in the same run: a project of 50 state machines
// with 200 states and 400 transitions each is written, then opened (both
// reader passes and the canvases built) and exported (one SVG file per
// diagram, as Export All Diagrams and kestro-cli export write them). Prints
// both times, best of three, and their ratio; exporting should take no
// more than twice as long as opening, otherwise the program says so and
// exits with 1. The same project with three levels of sub-machines under
// every machine is exported too, its time per item against the flat one's.

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

struct Measured
{
    double open = 0, exported = 0, draw = 0;
    int files = 0, items = 0;
    qint64 bytes = 0;
};

// Best of three each: the machine is shared.
bool measure(const QString &dir, const RandomProjectOptions &options, const QString &name, Measured *m)
{
    const QString path = QDir(dir).filePath(name + QStringLiteral(".qsmd"));
    const ProjectDocument document = randomProject(quint32(Machines), options);
    m->items = documentItemCount(document);
    if (!ProjectFileWriter().write(document, path)) {
        std::fprintf(stderr, "cannot write the project\n");
        return false;
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        QElapsedTimer timer;
        timer.start();
        Opened opened;
        if (!open(path, &opened)) {
            std::fprintf(stderr, "cannot open the project\n");
            return false;
        }
        const double openMs = timer.nsecsElapsed() / 1e6;

        const QString out = QDir(dir).filePath(QStringLiteral("%1_svg%2").arg(name).arg(attempt));
        timer.restart();
        const DiagramFiles::Result result =
            DiagramFiles::writeEach(DiagramFiles::entries(opened.canvases), out, ExportOptions());
        const double exportMs = timer.nsecsElapsed() / 1e6;
        if (!result.ok()) {
            std::fprintf(stderr, "export failed: %s\n", qPrintable(result.errors.join('\n')));
            return false;
        }
        m->files = result.written.size();
        m->bytes = 0;
        for (const QString &file : result.written)
            m->bytes += QFileInfo(file).size();
        // The same pictures drawn but not written: where the time goes.
        timer.restart();
        for (const DiagramEntry &entry : DiagramFiles::entries(opened.canvases))
            DiagramRender::svg({entry.canvas, entry.path});
        const double drawMs = timer.nsecsElapsed() / 1e6;
        m->draw = attempt == 0 ? drawMs : qMin(m->draw, drawMs);
        m->open = attempt == 0 ? openMs : qMin(m->open, openMs);
        m->exported = attempt == 0 ? exportMs : qMin(m->exported, exportMs);
    }
    return true;
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
    Measured flat, nested;
    if (!measure(dir.path(), largeProjectOptions(Machines), QStringLiteral("export"), &flat)
        || !measure(dir.path(), nestedProjectOptions(Machines), QStringLiteral("nested"), &nested))
        return 1;

    for (const auto &[what, m] : {std::pair<const char *, const Measured &>{"flat", flat},
                                   std::pair<const char *, const Measured &>{"each with 3 levels of sub-machines", nested}}) {
        std::printf("project: %d machines of 200 states and 400 transitions, %s (%d items)\n", Machines, what,
                    m.items);
        std::printf("  open (read and build):      %9.1f ms\n", m.open);
        std::printf("  export every diagram (SVG): %9.1f ms  (%d files, %lld bytes)\n", m.exported, m.files,
                    static_cast<long long>(m.bytes));
        std::printf("    of which drawing (no files): %9.1f ms\n", m.draw);
        std::printf("  export / open: x%.2f (best of three each)\n", m.exported / m.open);
    }
    printRatioFigure("export every diagram as SVG, 50 machines", flat.exported, "ms", "open the project",
                     flat.open, 2.0);
    printRatioFigure("export per item, 50 machines nested 3 deep", 1000.0 * nested.exported / nested.items, "us",
                     "same, 50 flat machines", 1000.0 * flat.exported / flat.items, 1.25);
    if (flat.exported / flat.open > 2.0) {
        std::printf("TOO SLOW: exporting takes more than twice as long as opening\n");
        return 1;
    }
    std::printf("within twice the time of opening\n");
    return 0;
}
