// kestro-cli simulate on a 200-state machine (a ring: each state counts three
// cycles and passes on to the next), against its baseline measured in the
// same run: a bare loop calling the same generated machine function,
// compiled by the same compiler with the same flags. Prints cycles per
// second of both (the target for kestro-cli is at least 10,000) and the time
// from the command to the first state shown (build, start and reset).
//
// kestro-cli's rate is taken from two runs of different lengths, so that
// reading the project, compiling and starting do not count. Without a trace
// (--no-trace, 10,000,000 cycles) the cycles run inside the machine's
// program: the goal is at most 10 times the bare loop's time per cycle.
// Last, --explore 1000000 on the example project's largest machine, whole
// command timed (goal: under 5 s), next to the command's time to its first
// state.

#include "BenchFigures.h"
#include "CEmitter.h"
#include "ModuleFiles.h"
#include "RecordsToMachines.h"
#include "SimulationCompiler.h"
#include "ProjectFileReader.h"

#include "tests/support/model/MachineProject.cpp"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const int States = 200;

// Milliseconds of one kestro-cli run, -1 when it failed.
double simulateMs(const QString &cli, const QStringList &arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(cli, QStringList{ QStringLiteral("simulate") } + arguments + QStringList{ QStringLiteral("--trust") });
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s", process.readAllStandardError().constData());
        return -1;
    }
    return timer.nsecsElapsed() / 1e6;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The bare loop: Initialize, then `cycles` calls of the machine function,
// timed inside the program; cycles per second, -1 when it failed.
double baselineRate(const QString &directory, const MachineDescription &machine, qint64 cycles)
{
    const GeneratedModule module = CEmitter::generate(machine, ModuleProperties());
    if (!ModuleFiles::write(directory, module).ok())
        return -1;
    const QString m = module.moduleName;
    const QByteArray driver = QStringLiteral(
        "#define _POSIX_C_SOURCE 200809L\n#include <stdio.h>\n#include <time.h>\n#include \"%1.h\"\n"
        "int main(void) {\n struct timespec a, b; long long i;\n %1Initialize();\n"
        " clock_gettime(CLOCK_MONOTONIC, &a);\n for (i = 0; i < %2LL; ++i) %1();\n"
        " clock_gettime(CLOCK_MONOTONIC, &b);\n"
        " printf(\"%.6f %d\\n\", (b.tv_sec - a.tv_sec) + (b.tv_nsec - a.tv_nsec) / 1e9, (int)%1GetState());\n"
        " return 0;\n}\n").arg(m).arg(cycles).toUtf8();
    if (!writeFile(QDir(directory).filePath(QStringLiteral("loop.c")), driver))
        return -1;
    const QStringList compiler = SimulationCompiler::defaultCompiler();
    QProcess cc;
    cc.setWorkingDirectory(directory);
    cc.setProcessChannelMode(QProcess::MergedChannels);
    cc.start(compiler.first(), compiler.mid(1) + QStringList{ "-std=c99", "-o", "loop", "loop.c", module.sourceFileName });
    if (!cc.waitForFinished(120000) || cc.exitCode() != 0) {
        std::fprintf(stderr, "%s", cc.readAll().constData());
        return -1;
    }
    QProcess loop;
    loop.start(QDir(directory).filePath(QStringLiteral("loop")), QStringList());
    if (!loop.waitForFinished(600000) || loop.exitCode() != 0)
        return -1;
    const double seconds = QString::fromLatin1(loop.readAllStandardOutput()).section(QLatin1Char(' '), 0, 0).toDouble();
    return seconds > 0 ? cycles / seconds : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/../cli/kestro-cli");
    QTemporaryDir dir;
    if (!dir.isValid() || !QFileInfo(cli).isExecutable()) {
        std::fprintf(stderr, "needs a temporary directory and %s\n", qPrintable(cli));
        return 1;
    }
    const ProjectDocument doc = MachineProject::ring(States);
    const QString project = dir.filePath(QStringLiteral("Bench.qsmd"));
    if (!writeFile(project, MachineProject::bytes(doc))) {
        std::fprintf(stderr, "cannot write the project\n");
        return 1;
    }
    const QString shortScript = dir.filePath(QStringLiteral("short.sim"));
    const QString longScript = dir.filePath(QStringLiteral("long.sim"));
    // A script without a trace runs inside the machine's program: it needs
    // the long run of --no-trace to be measured at all.
    const qint64 shortCycles = 1000, longCycles = 200000, quietCycles = 10000000;
    writeFile(shortScript, QByteArray("reset\nstep ") + QByteArray::number(shortCycles) + "\n");
    writeFile(longScript, QByteArray("reset\nstep ") + QByteArray::number(quietCycles) + "\n");

    const QString compiler = QFileInfo(SimulationCompiler::defaultCompiler().first()).fileName();
    std::printf("kestro-cli simulate, %d-state machine, compiled with %s\n", States, qPrintable(compiler));
    const double firstState = simulateMs(cli, { project, QStringLiteral("Ring"), QStringLiteral("--cycles"), QStringLiteral("0") });
    std::printf("  command to first state (read, emit, compile, start, reset): %8.1f ms\n", firstState);

    struct Mode
    {
        const char *name;
        QStringList shortRun;
        QStringList longRun;
        qint64 longCycles;
    };
    const Mode modes[] = {
        { "script (reset, step N)", { "--script", shortScript }, { "--script", longScript }, quietCycles },
        { "trace printed as CSV", { "--cycles", QString::number(shortCycles) }, { "--cycles", QString::number(longCycles) },
          longCycles },
    };
    QVector<double> rates;
    for (const Mode &mode : modes) {
        const double shortMs = simulateMs(cli, QStringList{ project, QStringLiteral("Ring") } + mode.shortRun);
        const double longMs = simulateMs(cli, QStringList{ project, QStringLiteral("Ring") } + mode.longRun);
        if (shortMs < 0 || longMs < 0)
            return 1;
        const double rate = (mode.longCycles - shortCycles) / ((longMs - shortMs) / 1000.0);
        std::printf("  %-24s %12.0f cycles/s  (%lld cycles in %.0f ms, target >= 10000)\n", mode.name, rate,
                    mode.longCycles, longMs);
        rates << rate;
    }

    const double quietShortMs = simulateMs(cli, { project, "Ring", "--no-trace", "--cycles", QString::number(shortCycles) });
    const double quietLongMs = simulateMs(cli, { project, "Ring", "--no-trace", "--cycles", QString::number(quietCycles) });
    if (quietShortMs < 0 || quietLongMs < 0)
        return 1;
    const double quietRate = (quietCycles - shortCycles) / ((quietLongMs - quietShortMs) / 1000.0);
    std::printf("  %-24s %12.0f cycles/s  (%lld cycles in %.0f ms)\n", "no trace (--no-trace)", quietRate,
                quietCycles, quietLongMs);

    const QVector<MachineDescription> machines = RecordsToMachines::build(flattenDocument(doc));
    const double baseline = baselineRate(dir.path(), machines.value(0), 10000000);
    if (baseline < 0) {
        std::fprintf(stderr, "the baseline did not compile or run\n");
        return 1;
    }
    std::printf("baseline: bare loop calling Ring() %12.0f cycles/s\n", baseline);
    for (int i = 0; i < rates.size(); ++i)
        printFloorFigure(i == 0 ? "simulate, script (cycles/s)" : "simulate, CSV trace (cycles/s)",
                         rates.at(i), "c/s", "bare loop calling the machine", baseline, 10000);
    printRatioFigure("simulate --no-trace --cycles 10M (ns/cycle)", 1e9 / quietRate, "ns",
                     "bare loop calling the machine", 1e9 / baseline, 10);

    // The example's largest machine, explored.
    const QString example = QStringLiteral(KESTRO_SOURCE_DIR "/Examples/Example_1.qsmd");
    ProjectFileReader reader;
    if (!reader.load(example)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(example));
        return 1;
    }
    QString largest;
    int largestStates = -1;
    for (const MachineDescription &machine : RecordsToMachines::build(reader.takeRecords())) {
        if (machine.states.size() > largestStates) {
            largestStates = machine.states.size();
            largest = CEmitter::moduleName(machine.processLabel);
        }
    }
    if (largest.isEmpty()) {
        std::fprintf(stderr, "the example project has no state machine\n");
        return 1;
    }
    const double startMs = simulateMs(cli, { example, largest, "--no-trace", "--cycles", "0" });
    const double exploreMs = simulateMs(cli, { example, largest, "--explore", "1000000" });
    if (startMs < 0 || exploreMs < 0)
        return 1;
    std::printf("kestro-cli simulate --explore 1000000 on %s (%d states): %.0f ms\n", qPrintable(largest),
                largestStates, exploreMs);
    printLimitFigure("simulate --explore 1M, largest example (ms)", exploreMs, "ms", "command to first state",
                     startMs, 5000);
    return 0;
}
