#pragma once

// Turns the canvases of an open project into the document the project file
// writer writes.
//
// The canvases are walked from the level-1 canvas (the first of the list)
// depth first: for every process item, in list order, the canvas it opens
// is found by its node path (see NodePath.h); the item's Process record
// opens a block that holds that canvas's links, memory items and dataflows
// and, on a state-machine (level-5) canvas, its states, transitions and
// text items; then the same for every process item of that canvas. A
// machine's diagram is followed by the blocks of its states' sub-machines,
// depth first (each headed by a Process record one level below its parent
// diagram, labelled after its holder state, id = the holder's place among
// the holders of that diagram); they are not in the tree text. The
// tree text lists the canvas names in the same order, four blanks per level
// below 1. The level-1 canvas's own links, memory items and dataflows are
// not stored. Floating link and memory ends are never stored.

#include "ProjectDocument.h"

#include "NodePath.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVector>

class Canvas;
class StateItem;

namespace ProjectSnapshot {

// Fills `document` from `canvases` (the window's list, level-1 canvas
// first). Fails, leaving `document` untouched and saying why in `error`,
// when the list is empty, the first canvas has neither level 1 nor id 1, a
// process item's canvas is missing, or the result is not a document the
// writer accepts. Nothing is written then.
bool take(const QList<Canvas *> &canvases, ProjectDocument *document, QString *error = nullptr);

// The numbers a diagram's records are written with: its level and ids.
struct Numbers
{
    int level;
    int id;
    int parentId;
};
Numbers numbersOf(const Canvas *canvas);

// Appends the blocks of the sub-machines the states of `canvas` (at `path`)
// hold, each followed by the blocks of its own sub-machines, as a save
// writes them, numbered as if `canvas` had the numbers `as` (a clip puts
// them below a diagram of its own). With `only` not empty, only the
// sub-machines of those states. False, saying why, when a sub-machine's
// diagram is missing.
bool subMachineBlocks(const QHash<NodePath, Canvas *> &byPath, const Canvas *canvas, const NodePath &path,
                      const Numbers &as, const QList<const StateItem *> &only, QVector<CanvasBlock> *blocks,
                      QString *error = nullptr);

} // namespace ProjectSnapshot
