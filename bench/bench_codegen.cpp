// Code generation of the 50-machine benchmark project (200 states and 400
// transitions per machine) against its baseline, kestro-cli check on the
// same file, measured in the same run: the program's Code Generator on the
// open project (snapshot of the diagrams, placement, emission, design
// checks, error logs and writing 100 files) and the command-line check
// (reading the file, placement, emission and design checks, writing
// nothing). Prints both times and their ratio; the target is at most 1.3.
// The same for 50 machines each holding three levels of sub-machines,
// whose generation per item is measured against the flat project's.

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

struct Measured
{
    double check = -1, generation = -1;
    int written = 0, items = 0;
    qint64 bytes = 0;
};

// Best of three each, alternating: the machine is shared.
bool measure(const QString &cli, const QString &dir, const RandomProjectOptions &options, const QString &name,
             Measured *m)
{
    const QString project = QDir(dir).filePath(name + QStringLiteral(".qsmd"));
    const ProjectDocument document = randomProject(50, options);
    m->items = documentItemCount(document);
    ProjectFileWriter writer;
    if (!writer.write(document, project)) {
        std::fprintf(stderr, "%s\n", qPrintable(writer.errorString()));
        return false;
    }
    m->bytes = QFileInfo(project).size();
    ProjectFileReader reader;
    if (!reader.load(project))
        return false;
    QObject owner;
    CanvasSetup setup;
    setup.parent = &owner;
    ProjectBuilder builder(setup);
    const QList<Canvas *> canvases = builder.build(reader.takeRecords());
    for (int attempt = 0; attempt < 3; ++attempt) {
        const double c = cliCheckMs(cli, project);
        if (c < 0) {
            std::fprintf(stderr, "kestro-cli check failed\n");
            return false;
        }
        const double g = generationMs(canvases, QDir(dir).filePath(QStringLiteral("out")), &m->written);
        m->check = m->check < 0 ? c : qMin(m->check, c);
        m->generation = m->generation < 0 ? g : qMin(m->generation, g);
    }
    qDeleteAll(canvases);
    return true;
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
    Measured flat, nested;
    if (!measure(cli, dir.path(), largeProjectOptions(50), QStringLiteral("bench_50"), &flat)
        || !measure(cli, dir.path(), nestedProjectOptions(50), QStringLiteral("bench_50_nested"), &nested))
        return 1;
    for (const auto &[what, m] : {std::pair<const char *, const Measured &>{"flat", flat},
                                   std::pair<const char *, const Measured &>{"nested 3 deep", nested}}) {
        std::printf("project (%s): %lld bytes, 50 machines, %d items, %d written\n", what,
                    static_cast<long long>(m.bytes), m.items, m.written);
        std::printf("  %-34s %9.1f ms\n", "baseline: kestro-cli check", m.check);
        std::printf("  %-34s %9.1f ms\n", "program: Code Generator (all)", m.generation);
        std::printf("  %-34s %9.2f (target <= 1.30)\n", "ratio", m.generation / m.check);
    }
    printRatioFigure("generate C, 50 machines", flat.generation, "ms", "kestro-cli check", flat.check, 1.3);
    // Sub-machines: per item, generating the nested project costs as much
    // as the flat one.
    printRatioFigure("generate C per item, 50 machines nested 3 deep", 1000.0 * nested.generation / nested.items,
                     "us", "same, 50 flat machines", 1000.0 * flat.generation / flat.items, 1.25);
    return 0;
}
