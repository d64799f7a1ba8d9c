#pragma once

// Building the links and dataflows a connection drag makes on a canvas: the
// label box between the two items, with its identity and on top of every
// other item, its two lines under everything, the box recorded on both of
// its ends and in the canvas's list, and remembered as the canvas's most
// recent one of its kind. Not undoable.

class ItemCanvas;
class DataflowItem;
class LinkItem;
class ProcessItem;
class QGraphicsItem;

namespace BoxConnections {

// A link from start to end (process items of canvas).
LinkItem *connectProcesses(ItemCanvas *canvas, ProcessItem *start, ProcessItem *end);
// A dataflow between a process item and a memory item of canvas, in either
// order (the order gives the direction).
DataflowItem *connectDataflow(ItemCanvas *canvas, QGraphicsItem *start, QGraphicsItem *end);

} // namespace BoxConnections
