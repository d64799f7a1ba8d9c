#pragma once

// What Copy takes from a canvas: the records of the selected items that can
// be copied, in the canvas's list order. A selected transition, link or
// dataflow brings the two items it joins, so that a copy is always whole:
// a connector is never copied without its ends. The initial-state marker,
// floating ends and the title are never copied. Process items are copied
// without their diagrams.

#include "ProjectRecords.h"

#include <QPointF>
#include <QStringList>

class Canvas;

namespace CanvasCopy {

ProjectRecordLists selectedRecords(const Canvas &canvas);

// The labels of the copied items, one per line, for the plain-text side of
// the clipboard: boxes first, then connectors with a label.
QString labelText(const ProjectRecordLists &records);

// The top-left corner of the copied boxes (states, text items, process
// items, memory items); the origin when there is none.
QPointF topLeft(const ProjectRecordLists &records);

} // namespace CanvasCopy
