// Launch and open times and memory of the application, each against a
// baseline measured in the same run:
//  - start: launch of Kestro to its first painted window, against a bare
//    QMainWindow program built the same way (this program, started with
//    --bare-window);
//  - open: kestro-cli check of the 50-machine benchmark project against a
//    raw QXmlStreamReader walk over the same file's tokens, and the
//    application's first painted diagram of that project against the check;
//  - memory: the application's peak memory with the project open, per item,
//    over the peak without a project; linear growth from 10 to 50 machines.
// Programs run as child processes with KESTRO_EXIT_AFTER_FIRST_PAINT=idle
// (they leave once the diagrams not shown are made too, so the memory is
// that of the whole project) and their settings in a temporary folder. The start and first-diagram
// times run up to the first frame the program reports, not to its exit
// (the teardown after that frame is no part of showing it); the times to
// exit are printed too. Each time is the best of five rounds (fifteen for
// the start), and the programs compared in one figure take turns within
// each round, so that the machine's changing load falls on both alike.
//
// Run: ./bench_startup [runs]
//      ./bench_startup --write-projects DIR   (writes the two projects, for profiling)

#include "BenchFigures.h"
#include "BenchProcess.h"
#include "FirstPaintExit.h"
#include "ProjectFileWriter.h"

// The seeded generator the tests use; compiled in here because benchmark
// programs link only the core library.
#include "tests/support/model/RandomProject.cpp"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cstdio>
#include <cstring>

namespace {

// Reads the file and walks every token, keeping nothing.
double tokenWalkMs(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    QXmlStreamReader xml(file.readAll());
    while (!xml.atEnd())
        xml.readNext();
    return xml.hasError() ? -1 : timer.nsecsElapsed() / 1e6;
}

QString writeProject(const QString &dir, int machines, int *items)
{
    const RandomProjectOptions options = largeProjectOptions(machines);
    const ProjectDocument document = randomProject(quint32(machines), options);
    *items = documentItemCount(document);
    const QString path = dir + QStringLiteral("/bench_%1.qsmd").arg(machines);
    ProjectFileWriter writer;
    return writer.write(document, path) ? path : QString();
}

int bareWindow(int argc, char **argv)
{
    QApplication app(argc, argv);
    FirstPaintExit::installIfRequested();
    QMainWindow window;
    window.showMaximized();
    return app.exec();
}

} // namespace

int main(int argc, char **argv)
{
    if (const int code = runMeasuredChild(argc, argv); code >= 0)
        return code;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && std::strcmp(argv[1], "--bare-window") == 0)
        return bareWindow(argc, argv);

    QCoreApplication app(argc, argv);
    if (argc > 2 && std::strcmp(argv[1], "--write-projects") == 0) {
        int count = 0;
        const QString dir = QString::fromLocal8Bit(argv[2]);
        return writeProject(dir, 10, &count).isEmpty() || writeProject(dir, 50, &count).isEmpty() ? 1 : 0;
    }
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    const QString binDir = QCoreApplication::applicationDirPath();
    const QString self = QCoreApplication::applicationFilePath();
    const QString kestro = binDir + QStringLiteral("/../kestro");
    const QString cli = binDir + QStringLiteral("/../cli/kestro-cli");
    QTemporaryDir dir;
    if (!dir.isValid() || !QFileInfo(kestro).isExecutable() || !QFileInfo(cli).isExecutable()) {
        std::fprintf(stderr, "needs a temporary directory, %s and %s\n", qPrintable(kestro), qPrintable(cli));
        return 1;
    }
    isolateChildren(dir.path());
    int smallItems = 0, items = 0;
    const QString small = writeProject(dir.path(), 10, &smallItems);
    const QString project = writeProject(dir.path(), 50, &items);
    if (small.isEmpty() || project.isEmpty()) {
        std::fprintf(stderr, "cannot write the benchmark projects\n");
        return 1;
    }

    const QVector<Run> start = bestInTurn({{self, {QStringLiteral("--bare-window")}}, {kestro, {}}}, 3 * runs);
    const QVector<Run> large = bestInTurn({{cli, {QStringLiteral("check"), project}}, {kestro, {project}}}, runs);
    const QVector<Run> smaller = bestInTurn({{cli, {QStringLiteral("check"), small}}, {kestro, {small}}}, runs);
    const Run &bare = start.at(0), &empty = start.at(1);
    const Run &check = large.at(0), &opened = large.at(1);
    const Run &smallCheck = smaller.at(0), &smallOpened = smaller.at(1);
    double walk = -1;
    for (int i = 0; i < runs; ++i) {
        const double w = tokenWalkMs(project);
        walk = walk < 0 ? w : qMin(walk, w);
    }
    for (const Run &r : {bare, empty, check, smallCheck, opened, smallOpened}) {
        if (r.ms < 0 || walk < 0) {
            std::fprintf(stderr, "a program did not run to its end\n");
            return 1;
        }
    }

    std::printf("50-machine project: %lld bytes, %d items; 10-machine project: %d items; best of %d\n",
                QFileInfo(project).size(), items, smallItems, runs);
    std::printf("to exit: bare window %.2f ms, Kestro %.2f ms, with the 50-machine project %.2f ms\n",
                bare.ms, empty.ms, opened.ms);
    printRatioFigure("start to first frame", empty.frameMs, "ms", "bare QMainWindow program", bare.frameMs, 1.3);
    printRatioFigure("kestro-cli check, 50 machines", check.ms, "ms", "raw XML token walk", walk, 2.5);
    printRatioFigure("first diagram, 50 machines", opened.frameMs, "ms", "kestro-cli check", check.ms, 1.5);
    printRatioFigure("kestro-cli check, 5x the project", check.ms, "ms", "10 machines", smallCheck.ms, 5.5);
    printRatioFigure("first diagram, 5x the project", opened.frameMs - empty.frameMs, "ms", "10 machines",
                     smallOpened.frameMs - empty.frameMs, 5.5);
    const double perItemKb = (opened.peakMb - empty.peakMb) * 1024 / items;
    const double smallPerItemKb = (smallOpened.peakMb - empty.peakMb) * 1024 / smallItems;
    printLimitFigure("memory per item, 50 machines open", perItemKb, "KB", "same, 10 machines", smallPerItemKb, 4);
    printRatioFigure("memory with the project, 5x the project", opened.peakMb - empty.peakMb, "MB",
                     "10 machines", smallOpened.peakMb - empty.peakMb, 5.5);
    return 0;
}
