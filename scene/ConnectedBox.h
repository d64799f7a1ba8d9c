#pragma once

// The two connector lines of a connection's box (from -> box -> to), below
// every item, handed to the box; and the box put in the scene with them.
// The box is stacked by its caller.

#include "ItemCanvas.h"

#include <QList>
#include <QGraphicsScene>

template <class Line, class Box>
QList<QGraphicsItem *> giveConnectorLines(Box *box, QGraphicsItem *from, QGraphicsItem *to)
{
    auto *startLine = new Line(from, box);
    auto *endLine = new Line(box, to);
    startLine->setZValue(0);
    endLine->setZValue(0);
    box->setStartLine(startLine);
    box->setEndLine(endLine);
    return {startLine, endLine};
}

template <class Line, class Box>
void addConnectedBox(ItemCanvas &canvas, QGraphicsItem *from, Box *box, QGraphicsItem *to)
{
    const QList<QGraphicsItem *> lines = giveConnectorLines<Line>(box, from, to);
    canvas.graphicsScene()->addItem(box);
    for (QGraphicsItem *line : lines)
        canvas.graphicsScene()->addItem(line);
}
