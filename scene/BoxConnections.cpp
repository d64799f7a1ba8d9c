#include "BoxConnections.h"

#include "Canvas.h"
#include "DataflowItem.h"
#include "DataflowLine.h"
#include "LinkItem.h"
#include "LinkLine.h"
#include "MemoryItem.h"
#include "ProcessItem.h"

namespace {

// Puts the two lines of a link or dataflow box under every item and hands
// them to the box.
template <class Box, class Line>
void addBoxLines(Canvas *canvas, Box *box, Line *startLine, Line *endLine)
{
    startLine->setZValue(0);
    endLine->setZValue(0);
    canvas->addItem(startLine);
    canvas->addItem(endLine);
    box->setStartLine(startLine);
    box->setEndLine(endLine);
}

} // namespace

namespace BoxConnections {

LinkItem *connectProcesses(Canvas *canvas, ProcessItem *start, ProcessItem *end)
{
    auto *link = new LinkItem(canvas->menu(Canvas::LinkMenu), start, end);
    canvas->stampIdentity(link);
    start->addLink(link);
    end->addLink(link);
    canvas->addItem(link);
    canvas->registerItem(link);
    auto *startLine = new LinkLine(start, link);
    auto *endLine = new LinkLine(link, end);
    addBoxLines(canvas, link, startLine, endLine);
    return link;
}

DataflowItem *connectDataflow(Canvas *canvas, QGraphicsItem *start, QGraphicsItem *end)
{
    auto *dataflow = new DataflowItem(canvas->menu(Canvas::DataflowMenu), start, end);
    canvas->stampIdentity(dataflow);
    dataflow->process()->addDataflow(dataflow);
    dataflow->memory()->addDataflow(dataflow);
    canvas->addItem(dataflow);
    canvas->registerItem(dataflow);
    auto *startLine = new DataflowLine(start, dataflow);
    auto *endLine = new DataflowLine(dataflow, end);
    addBoxLines(canvas, dataflow, startLine, endLine);
    return dataflow;
}

} // namespace BoxConnections
