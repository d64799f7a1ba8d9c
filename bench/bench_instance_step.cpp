// Cost of one step of a 10-state machine generated in the instance style,
// against the classic module of the same machine, on the host: both are
// compiled with the system's C compiler at -O2 with a driver that steps the
// machine 20 million times with changing inputs and reports nanoseconds per
// step (best of five runs). The target is at most 1.10 times the classic.
// With "--write DIR" it writes the two modules (DIR/classic, DIR/instance)
// for measuring them with other compilers, e.g. their flash size.

#include "BenchFigures.h"
#include "CEmitter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const int States = 10;

// A ring of states, each with a transition onward when its input bit is
// set, one back to the first on a reset bit, and a counting self
// transition; every state counts its cycles in a memory item.
MachineDescription ringMachine(ModuleStyle style)
{
    MachineDescription m;
    m.processLabel = QStringLiteral("Ring");
    m.style = style;
    for (int i = 0; i < States; ++i) {
        MachineState s;
        s.label = QStringLiteral("S%1").arg(i);
        s.action = QStringLiteral("cycles++;");
        m.states << s;
    }
    m.states[0].initial = true;
    for (int i = 0; i < States; ++i) {
        const int next = (i + 1) % States;
        MachineTransition on{ QStringLiteral("on%1").arg(i), QStringLiteral("((ring_in & %1u) != 0u)").arg(1u << (i % 8)),
                              QStringLiteral("moves++;"), i, next };
        MachineTransition reset{ QStringLiteral("reset%1").arg(i), QStringLiteral("(ring_reset != 0u)"), QString(), i, 0 };
        MachineTransition self{ QStringLiteral("stay%1").arg(i), QStringLiteral("(ring_in == 0u)"),
                                QStringLiteral("idle++;"), i, i };
        const int at = m.transitions.size();
        m.transitions << on << self;
        m.states[i].transitions << at;
        m.states[next].transitions << at;
        m.states[i].selfTransitions << at + 1;
        if (i != 0) {
            m.transitions << reset;
            m.states[i].transitions << at + 2;
            m.states[0].transitions << at + 2;
        }
    }
    m.transitionCount = m.transitions.size();
    m.memories << MachineMemory{ QStringLiteral("cycles"), QStringLiteral("uint32_t") }
               << MachineMemory{ QStringLiteral("moves"), QStringLiteral("uint32_t") }
               << MachineMemory{ QStringLiteral("idle"), QStringLiteral("uint32_t") };
    m.texts << MachineText{ MachineText::Includes,
                            QStringLiteral("#include <stdint.h>\nextern volatile uint8_t ring_in, ring_reset;") };
    return m;
}

const char *const Driver =
    "#include <stdint.h>\n#include <stdio.h>\n#include <time.h>\n#include \"Ring.h\"\n"
    "volatile uint8_t ring_in, ring_reset;\n"
    "#define STEPS 20000000L\n"
    "int main(void) {\n"
    "    struct timespec a, b; long i; double best = 1e30; int run; uint32_t x = 12345u;\n"
    "    SETUP;\n"
    "    for (run = 0; run < 5; ++run) {\n"
    "        clock_gettime(CLOCK_MONOTONIC, &a);\n"
    "        for (i = 0; i < STEPS; ++i) {\n"
    "            x = x * 1103515245u + 12345u;\n"
    "            ring_in = (uint8_t)(x >> 24); ring_reset = (uint8_t)((x & 0xff00u) == 0u);\n"
    "            STEP;\n"
    "        }\n"
    "        clock_gettime(CLOCK_MONOTONIC, &b);\n"
    "        { double ns = ((b.tv_sec - a.tv_sec) * 1e9 + (b.tv_nsec - a.tv_nsec)) / STEPS; if (ns < best) best = ns; }\n"
    "    }\n"
    "    printf(\"%f %d\\n\", best, (int)STATE);\n"
    "    return 0;\n}\n";

bool writeFile(const QString &path, const QString &text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) == text.toUtf8().size();
}

// Nanoseconds per step of the module of `style`; -1 when it failed.
double nsPerStep(const QString &cc, ModuleStyle style)
{
    const GeneratedModule g = CEmitter::generate(ringMachine(style), ModuleProperties());
    QTemporaryDir dir;
    QString driver = QString::fromLatin1(Driver);
    if (style == ModuleStyle::Instance)
        driver.replace("SETUP", "Ring_t r; RingInit(&r)").replace("STEP;", "(void)RingStep(&r);").replace("STATE", "RingState(&r)");
    else
        driver.replace("SETUP", "RingInitialize()").replace("STEP;", "Ring();").replace("STATE", "RingGetState()");
    if (!g.errors.isEmpty() || !writeFile(dir.filePath("Ring.h"), g.header) || !writeFile(dir.filePath("Ring.c"), g.source)
        || !writeFile(dir.filePath("main.c"), driver))
        return -1;
    QProcess compile;
    compile.setWorkingDirectory(dir.path());
    compile.setProcessChannelMode(QProcess::MergedChannels);
    compile.start(cc, { "-std=gnu99", "-O2", "-o", "ring", "main.c", "Ring.c" });
    if (!compile.waitForFinished(120000) || compile.exitCode() != 0) {
        std::fprintf(stderr, "%s\n", compile.readAll().constData());
        return -1;
    }
    QProcess run;
    run.start(dir.filePath("ring"), QStringList());
    if (!run.waitForFinished(300000) || run.exitCode() != 0)
        return -1;
    return QString::fromLatin1(run.readAllStandardOutput()).section(' ', 0, 0).toDouble();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == QLatin1String("--write") && argc > 2) {
        for (const ModuleStyle style : { ModuleStyle::Classic, ModuleStyle::Instance }) {
            const GeneratedModule g = CEmitter::generate(ringMachine(style), ModuleProperties());
            const QString dir = app.arguments().at(2) + (style == ModuleStyle::Classic ? "/classic" : "/instance");
            if (!QDir().mkpath(dir) || !writeFile(dir + "/Ring.h", g.header) || !writeFile(dir + "/Ring.c", g.source))
                return 1;
        }
        return 0;
    }
    const QString cc = QStandardPaths::findExecutable(QStringLiteral("cc"));
    if (cc.isEmpty()) {
        std::printf("no C compiler: skipped\n");
        return 0;
    }
    const double classic = nsPerStep(cc, ModuleStyle::Classic);
    const double instance = nsPerStep(cc, ModuleStyle::Instance);
    if (classic < 0 || instance < 0) {
        std::printf("the modules did not build or run\n");
        return 1;
    }
    std::printf("classic %.3f ns/step, instance %.3f ns/step\n", classic, instance);
    return printRatioFigure("instance module step (10 states, -O2)", instance, "ns", "classic module step", classic,
                            1.10)
        ? 0
        : 1;
}
