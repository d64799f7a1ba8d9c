#pragma once

// Puts copied records on a canvas as one undo step (see PasteItemsCommand):
// process items first, each as a click in process mode would insert it
// (with its node and empty diagram), then everything else. Pasted items
// become the selection.

#include "ProjectRecords.h"

#include <QHash>
#include <QList>
#include <QPointF>

class Canvas;
class DiagramItem;
class StateItem;

namespace CanvasPaste {

// Whether the records belong on this kind of diagram: states, transitions
// and text items on a state machine, process items, links and dataflows on
// a process diagram, memory items on either.
bool fits(const Canvas &canvas, const ProjectRecordLists &records);

// Pastes the records moved by offset; returns the items made (none when
// nothing fits the canvas). `states` (if given) gets the states made by
// their labels in the clip.
QList<DiagramItem *> paste(Canvas *canvas, const ProjectRecordLists &records, const QPointF &offset,
                           QHash<QString, StateItem *> *states = nullptr);

} // namespace CanvasPaste
