#pragma once

// The node path (see NodePath.h) of each canvas of an open project.
//
// The path travels with the canvas as a dynamic property, so the window's
// plain list of canvases is all the project operations need. Canvases made
// elsewhere without one get it from assignMissingPaths().

#include "NodePath.h"

#include <QHash>
#include <QList>

class Canvas;

namespace CanvasPaths {

// The path stored on the canvas; `known` tells whether there is one.
NodePath canvasPath(const Canvas *canvas, bool *known = nullptr);
void setCanvasPath(Canvas *canvas, const NodePath &path);
void clearCanvasPath(Canvas *canvas);

// Path of the canvas a process item with `itemId` opens on `canvas`.
NodePath childPath(const Canvas *canvas, int itemId);

// Canvases by path; where two canvases share a path the first in the list
// wins.
QHash<NodePath, Canvas *> index(const QList<Canvas *> &canvases);

// Gives every canvas reachable from the level-1 canvas a path: walking the
// process items depth first, a process item whose canvas has no path yet
// claims the first canvas in list order without a path whose identity
// (level, id, parentId, grandParentId) equals the item's. Canvases that
// already have a path keep it.
void assignMissingPaths(const QList<Canvas *> &canvases);

} // namespace CanvasPaths
