// Memory and time of a long editing session with undo: 10,000 random edits
// (insertions, deletions, moves, property changes, transitions, stacking)
// on a machine of 200 states, each one step on the machine's undo stack,
// then every step undone and redone. The figure is what the stack and the
// items it keeps alive add to the process, next to the memory of the open
// project itself.
//
// Run: ./bench_undo [steps]

#include "BenchFigures.h"
#include "BenchMemory.h"
#include "Canvas.h"
#include "MachineProject.h"
#include "Project.h"
#include "ProjectFileReader.h"
#include "UndoSession.h"

#include "tests/support/model/MachineProject.cpp"
#include "tests/support/scene/SceneMouse.cpp"
#include "tests/support/document/UndoSession.cpp"

#include <QApplication>
#include <QElapsedTimer>
#include <QUndoStack>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int steps = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    const long empty = statusKb("VmRSS:");

    ProjectFileReader reader;
    if (!reader.loadData(MachineProject::bytes(MachineProject::ring(200))))
        return 1;
    Project project;
    project.open(reader.takeRecords());
    Canvas *machine = project.canvases().last();
    if (machine->level() != 5 || machine->states().size() != 200)
        return 1;
    const long opened = statusKb("VmRSS:");

    QRandomGenerator random(14);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < steps; ++i)
        UndoSession::randomMachineEdit(project, machine, random);
    const double editMs = timer.elapsed();
    const long edited = statusKb("VmRSS:");
    const int kept = machine->undoStack()->count();

    timer.restart();
    UndoSession::undoAll(project);
    const double undoMs = timer.elapsed();
    timer.restart();
    UndoSession::redoAll(project);
    const double redoMs = timer.elapsed();
    const long after = statusKb("VmRSS:");

    const double projectMb = (opened - empty) / 1024.0;
    const double stackMb = (qMax(edited, after) - opened) / 1024.0;
    std::printf("%d steps on a machine of 200 states, %d kept on the stack (limit %d)\n", steps, kept,
                machine->undoStack()->undoLimit());
    std::printf("edits %.0f ms, undo all %.0f ms, redo all %.0f ms\n", editMs, undoMs, redoMs);
    std::printf("resident: empty %.1f MB, project open %.1f MB, after the edits %.1f MB, after undo and redo %.1f MB\n",
                empty / 1024.0, opened / 1024.0, edited / 1024.0, after / 1024.0);
    const bool met = printLimitFigure("undo stack after 10,000 edits, 200 states", stackMb, "MB",
                                      "the open project", projectMb, 50);
    return met ? 0 : 1;
}
