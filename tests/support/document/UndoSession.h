#pragma once

// Seeded random edits of an open Project, of every kind the undo stacks
// hold (insertions and deletions of every item kind, moves, property
// changes, stacking, canvas size, process item and project renames), mixed
// with undo and redo on the stacks of several canvases, and the checks that
// the canvases, the tree, the lists and a save of the project agree. Shared
// by the randomised undo test and the undo benchmark.

#include <QByteArray>
#include <QHash>
#include <QRandomGenerator>
#include <QString>

class Canvas;
class Project;
class QUndoStack;

namespace UndoSession {

// The project as a file; empty when the snapshot fails.
QByteArray save(const Project &project);

// The first disagreement between scenes, registries, the items' own lists
// of their connections, the initial marker and the tree, or "".
QString inconsistency(const Project &project);

// One random edit (or an undo or redo) on a random canvas of the project;
// returns what it did, for failure messages.
QString randomStep(Project &project, QRandomGenerator &random);

// Only edits of the states of one machine (insert, delete, move, change,
// transitions, stacking), no undo or redo.
QString randomMachineEdit(Project &project, Canvas *machine, QRandomGenerator &random);

// Where every stack of the project stands.
using StackMarks = QHash<const QUndoStack *, int>;
StackMarks marks(const Project &project);

// Undoes every step of every stack; redoes every stack back to its mark
// (or to its end without one).
void undoAll(Project &project);
void redoAll(Project &project, const StackMarks &marks = {});

} // namespace UndoSession
