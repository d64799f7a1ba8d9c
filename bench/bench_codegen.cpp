// Code generation of the 50-machine benchmark project (200 states and 400
// transitions per machine) against its baseline, kestro-cli check on the
// same file, measured in the same run: the program's Code Generator on the
// open project (snapshot of the diagrams, placement, emission, design
// checks, error logs and writing 100 files) and the command-line check
// (reading the file, placement, emission and design checks, writing
// nothing). Prints both times and their ratio; the target is at most 1.3.

#include "BenchFigures.h"
#include "Canvas.h"
#include "CanvasSetup.h"
#include "CodeGenerator.h"
#include "ProjectBuilder.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"

#include "tests/support/model/RandomProject.cpp"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

double msSince(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// kestro-cli check PROJECT, as a user runs it; -1 when it failed.
double cliCheckMs(const QString &cli, const QString &project)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(cli, { QStringLiteral("check"), project });
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit
        || (process.exitCode() != 0 && process.exitCode() != 1))
        return -1;
    return msSince(timer);
}

double generationMs(const QList<Canvas *> &canvases, const QString &directory, int *written)
{
    QDir(directory).removeRecursively();
    QDir().mkpath(directory);
    CodeGenerator generator;
    generator.setOutputDirectory(directory);
    generator.setDialogRunner([](QDialog *) { return int(QDialog::Accepted); });
    QElapsedTimer timer;
    timer.start();
    *written = generator.generateAll(canvases).size();
    return msSince(timer);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/../cli/kestro-cli");
    QTemporaryDir dir;
    if (!dir.isValid() || !QFileInfo(cli).isExecutable()) {
        std::fprintf(stderr, "needs a temporary directory and %s\n", qPrintable(cli));
        return 1;
    }

    const RandomProjectOptions options = largeProjectOptions(50);
    const QString project = dir.filePath(QStringLiteral("bench_50.qsmd"));
    ProjectFileWriter writer;
    if (!writer.write(randomProject(50, options), project)) {
        std::fprintf(stderr, "%s\n", qPrintable(writer.errorString()));
        return 1;
    }
    ProjectFileReader reader;
    if (!reader.load(project))
        return 1;
    QObject owner;
    CanvasSetup setup;
    setup.parent = &owner;
    ProjectBuilder builder(setup);
    const QList<Canvas *> canvases = builder.build(reader.takeRecords());

    // Best of three each, alternating: the machine is shared.
    double check = -1, generation = -1;
    int written = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const double c = cliCheckMs(cli, project);
        if (c < 0) {
            std::fprintf(stderr, "kestro-cli check failed\n");
            return 1;
        }
        const double g = generationMs(canvases, dir.filePath(QStringLiteral("out")), &written);
        check = check < 0 ? c : qMin(check, c);
        generation = generation < 0 ? g : qMin(generation, g);
    }
    std::printf("project: %lld bytes, 50 machines, %d written\n", QFileInfo(project).size(), written);
    std::printf("%-34s %9.1f ms\n", "baseline: kestro-cli check", check);
    std::printf("%-34s %9.1f ms\n", "program: Code Generator (all)", generation);
    std::printf("%-34s %9.2f (target <= 1.30)\n", "ratio", generation / check);
    printRatioFigure("generate C, 50 machines", generation, "ms", "kestro-cli check", check, 1.3);
    qDeleteAll(canvases);
    return 0;
}
