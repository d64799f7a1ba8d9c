// Generation of one machine whose state action is very long, 1 M and 4 M
// lines, the way kestro-cli check and generate do it (emission with the
// line map, design checks, the texts kept), against baselines measured in
// the same run: for 1 M lines a single linear pass over the same text
// (encoding it as UTF-8, as writing the file does), for 4 M lines four
// times the 1 M generation. The second figure stays near 1 only when the
// time grows linearly with the text; it was about 12 for twice the lines
// before the emitter's indentation became one pass.

#include "BenchFigures.h"
#include "CEmitter.h"
#include "MachineDescription.h"
#include "ProjectModules.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {

QString longAction(int lines)
{
    QString text;
    text.reserve(lines * 16);
    for (int i = 0; i < lines; ++i) {
        if (i > 0)
            text += QLatin1Char('\n');
        text += QStringLiteral("x%1 = x%1 + 1;").arg(i % 10);
    }
    return text;
}

MachineDescription machineWith(const QString &action)
{
    MachineDescription m;
    m.processLabel = QStringLiteral("Long");
    MachineState busy;
    busy.label = QStringLiteral("Busy");
    busy.initial = true;
    busy.action = action;
    busy.transitions = {0};
    MachineState idle;
    idle.label = QStringLiteral("Idle");
    idle.transitions = {0};
    MachineTransition done;
    done.label = QStringLiteral("Done");
    done.condition = QStringLiteral("(x0 > 10)");
    done.start = 0;
    done.end = 1;
    m.states << busy << idle;
    m.transitions << done;
    return m;
}

// Best of `rounds` generations; -1 when the module could not be made.
double generationMs(const MachineDescription &machine, int rounds)
{
    ModuleProperties properties;
    properties.projectName = QStringLiteral("Bench");
    double best = -1;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const QVector<GeneratedModule> modules = ProjectModules::generate({machine}, properties);
        const double ms = timer.nsecsElapsed() / 1e6;
        if (modules.size() != 1 || !modules.first().writable || modules.first().source.isEmpty())
            return -1;
        best = best < 0 ? ms : qMin(best, ms);
    }
    return best;
}

double encodingMs(const QString &text, int rounds)
{
    double best = -1;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const QByteArray bytes = text.toUtf8();
        const double ms = timer.nsecsElapsed() / 1e6;
        if (bytes.isEmpty())
            return -1;
        best = best < 0 ? ms : qMin(best, ms);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString million = longAction(1000000);
    const QString fourMillion = longAction(4000000);
    const double pass = encodingMs(million, 3);
    const double one = generationMs(machineWith(million), 3);
    const double four = generationMs(machineWith(fourMillion), 2);
    if (pass < 0 || one < 0 || four < 0) {
        std::fprintf(stderr, "a module was not generated\n");
        return 1;
    }
    std::printf("action: 1 M lines %lld characters, 4 M lines %lld characters\n", qint64(million.size()),
                qint64(fourMillion.size()));
    std::printf("%-40s %9.1f ms\n", "baseline: UTF-8 of the 1 M line text", pass);
    std::printf("%-40s %9.1f ms\n", "generate, 1 M action lines", one);
    std::printf("%-40s %9.1f ms\n", "generate, 4 M action lines", four);
    printRatioFigure("generate C, 1 M action lines", one, "ms", "one pass over the text", pass, 20.0);
    printRatioFigure("generate C, 4 M action lines", four, "ms", "4 x the 1 M generation", 4 * one, 1.5);
    return 0;
}
