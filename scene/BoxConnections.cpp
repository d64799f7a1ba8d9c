#include "BoxConnections.h"

#include "ItemCanvas.h"
#include "ConnectorGeometry.h"
#include "DataflowItem.h"
#include "DataflowLine.h"
#include "LinkItem.h"
#include "LinkLine.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include <QGraphicsScene>

namespace {

// Puts the two lines of a link or dataflow box under every item and hands
// them to the box.
template <class Box, class Line>
void addBoxLines(ItemCanvas *canvas, Box *box, Line *startLine, Line *endLine)
{
    startLine->setZValue(0);
    endLine->setZValue(0);
    canvas->graphicsScene()->addItem(startLine);
    canvas->graphicsScene()->addItem(endLine);
    box->setStartLine(startLine);
    box->setEndLine(endLine);
}

// Moves a new box off the boxes of the connections drawn before it between
// the same two items, so that each box and its lines can be seen and
// clicked. earlier: how many such connections there are.
void spreadFromEarlier(LabelBoxItem *box, const QGraphicsItem *first, const QGraphicsItem *second,
                       int earlier)
{
    const QPointF offset = repeatedConnectionOffset(first->sceneBoundingRect().center(),
                                                    second->sceneBoundingRect().center(), earlier,
                                                    Connector::RepeatedConnectionStep);
    box->moveBy(offset.x(), offset.y());
}

template <class Box>
int connectionsBetween(const QList<Box *> &boxes, const Box *added,
                       bool (*joins)(const Box *, const QGraphicsItem *, const QGraphicsItem *),
                       const QGraphicsItem *first, const QGraphicsItem *second)
{
    int count = 0;
    for (const Box *box : boxes) {
        if (box != added && joins(box, first, second))
            ++count;
    }
    return count;
}

bool linkJoins(const LinkItem *link, const QGraphicsItem *a, const QGraphicsItem *b)
{
    return (link->startItem() == a && link->endItem() == b) || (link->startItem() == b && link->endItem() == a);
}

bool dataflowJoins(const DataflowItem *dataflow, const QGraphicsItem *a, const QGraphicsItem *b)
{
    const QGraphicsItem *process = dataflow->process();
    const QGraphicsItem *memory = dataflow->memory();
    return (process == a && memory == b) || (process == b && memory == a);
}

} // namespace

namespace BoxConnections {

LinkItem *connectProcesses(ItemCanvas *canvas, ProcessItem *start, ProcessItem *end)
{
    auto *link = new LinkItem(canvas->menuOf(ItemType::Link), start, end);
    canvas->stampIdentity(link);
    start->addLink(link);
    end->addLink(link);
    canvas->graphicsScene()->addItem(link);
    canvas->registerItem(link);
    auto *startLine = new LinkLine(start, link);
    auto *endLine = new LinkLine(link, end);
    addBoxLines(canvas, link, startLine, endLine);
    spreadFromEarlier(link, start, end, connectionsBetween(start->links(), link, &linkJoins, start, end));
    return link;
}

DataflowItem *connectDataflow(ItemCanvas *canvas, QGraphicsItem *start, QGraphicsItem *end)
{
    auto *dataflow = new DataflowItem(canvas->menuOf(ItemType::Dataflow), start, end);
    canvas->stampIdentity(dataflow);
    dataflow->process()->addDataflow(dataflow);
    dataflow->memory()->addDataflow(dataflow);
    canvas->graphicsScene()->addItem(dataflow);
    canvas->registerItem(dataflow);
    auto *startLine = new DataflowLine(start, dataflow);
    auto *endLine = new DataflowLine(dataflow, end);
    addBoxLines(canvas, dataflow, startLine, endLine);
    spreadFromEarlier(dataflow, start, end,
                      connectionsBetween(dataflow->process()->dataflows(), dataflow, &dataflowJoins, start, end));
    return dataflow;
}

} // namespace BoxConnections
