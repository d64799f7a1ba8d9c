#pragma once

// Puts copied records on a canvas as one undo step (see PasteItemsCommand):
// process items first, each as a click in process mode would insert it
// (with its node and empty diagram), then everything else. Pasted items
// become the selection.

#include "ProjectRecords.h"

#include <QList>
#include <QPointF>

class Canvas;
class DiagramItem;

namespace CanvasPaste {

// Whether the records belong on this kind of diagram: states, transitions
// and text items on a state machine, process items, links and dataflows on
// a process diagram, memory items on either.
bool fits(const Canvas &canvas, const ProjectRecordLists &records);

// Pastes the records moved by offset; returns the items made (none when
// nothing fits the canvas).
QList<DiagramItem *> paste(Canvas *canvas, const ProjectRecordLists &records, const QPointF &offset);

} // namespace CanvasPaste
