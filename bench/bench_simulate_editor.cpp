// From Run > Simulate (F5) to the first state shown on the canvas, for a
// 200-state machine open in the editor (target: within 1 s with tcc).
// Baseline measured in the same run: the engine alone, a SimulationSession
// on the same machine from start() to the end of its first reset, without
// the window, the snapshot of the diagrams or the highlight.
//
// Run: QT_QPA_PLATFORM=offscreen ./bench_simulate_editor [repeats]

#include "BenchFigures.h"
#include "BenchTiming.h"
#include "Canvas.h"
#include "CanvasPaths.h"
#include "ItemRef.h"
#include "MainWindow.h"
#include "Project.h"
#include "ProjectActions.h"
#include "ProjectBrowser.h"
#include "RecordsToMachines.h"
#include "SimulationCompiler.h"
#include "SimulationController.h"
#include "SimulationHighlighter.h"
#include "SimulationSession.h"
#include "TrustStore.h"

#include "tests/support/model/MachineProject.cpp"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

const int States = 200;

// Runs the event loop until `done` or 60 s; the milliseconds since `timer` started, -1 on timeout.
template <typename Done>
double waitMs(const QElapsedTimer &timer, Done done)
{
    while (!done()) {
        if (timer.elapsed() > 60000)
            return -1;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return timer.nsecsElapsed() / 1e6;
}

double editorMs(MainWindow &window)
{
    SimulationController *simulation = window.simulation();
    QElapsedTimer timer;
    timer.start();
    simulation->simulateAction()->trigger();
    const double ms = waitMs(timer, [simulation] {
        return simulation->highlighter() && simulation->highlighter()->activeState();
    });
    simulation->stop();
    return ms;
}

double engineMs(const ProjectDocument &doc)
{
    const MachineDescription machine = RecordsToMachines::build(flattenDocument(doc)).value(0);
    ModuleProperties properties;
    properties.transitionHooks = true;
    QElapsedTimer timer;
    timer.start();
    SimulationSession session(machine, CEmitter::generate(machine, properties));
    session.start();
    const int reset = session.reset();
    bool finished = false;
    QObject::connect(&session, &SimulationSession::commandFinished,
                     [&](int command, const SimulationReply &) { finished = finished || command == reset; });
    return waitMs(timer, [&] { return finished; });
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Settings of their own, and no update check.
    QStandardPaths::setTestModeEnabled(true);
    const int repeats = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const ProjectDocument doc = MachineProject::ring(States);
    const QString path = dir.filePath(QStringLiteral("Bench.qsmd"));
    TrustStore::trustFolderForSession(dir.path());
    QFile file(path);
    const QByteArray bytes = MachineProject::bytes(doc);
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write the project\n");
        return 1;
    }
    file.close();

    MainWindow window;
    window.resize(1500, 1000);
    window.show();
    if (!window.projectActions()->openFile(path)) {
        std::fprintf(stderr, "cannot open the project\n");
        return 1;
    }
    Canvas *machine = nullptr;
    for (Canvas *canvas : window.project()->canvases())
        machine = canvas->level() == 5 ? canvas : machine;
    if (!machine || !window.projectActions()->browser()->showItem(CanvasPaths::canvasPath(machine), ItemRef::machine())
        || window.project()->shownCanvas() != machine) {
        std::fprintf(stderr, "cannot show the machine's diagram\n");
        return 1;
    }

    QVector<double> editor, engine;
    for (int i = 0; i < repeats; ++i) {
        editor << editorMs(window);
        engine << engineMs(doc);
        if (editor.last() < 0 || engine.last() < 0) {
            std::fprintf(stderr, "the simulation did not start\n");
            return 1;
        }
    }
    const QString compiler = QFileInfo(SimulationCompiler::defaultCompiler().first()).fileName();
    std::printf("Simulate (F5) to first state shown, %d-state machine, %s, median of %d\n", States,
                qPrintable(compiler), repeats);
    std::printf("  editor (snapshot, emit, compile, start, reset, highlight): %8.1f ms  (target <= 1000)\n",
                median(editor));
    std::printf("  baseline: engine alone (emit, compile, start, reset):      %8.1f ms\n", median(engine));
    printLimitFigure("Simulate (F5) to first state shown", median(editor), "ms", "engine alone",
                     median(engine), 1000);
    window.project()->markSaved();
    return 0;
}
