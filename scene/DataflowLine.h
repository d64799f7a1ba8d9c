#pragma once

// One connector of a dataflow. Line types, from the two items given:
//   11 process item -> dataflow box   (no arrow head)
//   12 memory item  -> dataflow box   (no arrow head)
//   21 dataflow box -> process item   (arrow head at the process item)
//   22 dataflow box -> memory item    (arrow head at the memory item)
// The line runs from the outline of the second item back to the centre of
// the first; its geometry is recomputed whenever one of its items moves or
// changes size, so painting only draws.
//
// Ownership: owned by the scene until DataflowItem::removeLines destroys
// it. Points at its box and its process or memory item without owning
// them; each clears that pointer when it is destroyed, and a destroyed line
// clears itself from its box.

#include <QGraphicsLineItem>
#include <QObject>
#include <QPolygonF>

class DataflowItem;
class MemoryItem;
class ProcessItem;

class DataflowLine : public QObject, public QGraphicsLineItem
{
    Q_OBJECT
    friend class DataflowItem;
public:
    enum LineType {
        NoLine = 0,
        ProcessToDataflow = 11,
        MemoryToDataflow = 12,
        DataflowToProcess = 21,
        DataflowToMemory = 22
    };

    // The process or memory item must be an end of the box. Any other pair
    // gives a line of type 0 that never paints.
    DataflowLine(QGraphicsItem *first, QGraphicsItem *second);
    ~DataflowLine() override;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

    void updateGeometry();
    bool hasGeometry() const { return m_hasGeometry; }

    int lineType() const { return m_lineType; }
    DataflowItem *dataflow() const { return m_dataflow; }
    ProcessItem *process() const { return m_process; }
    MemoryItem *memory() const { return m_memory; }
    QGraphicsItem *startGraphic() const;
    QGraphicsItem *endGraphic() const;
    const QPolygonF &arrowHead() const { return m_arrowHead; }
    bool hasArrowHead() const
    {
        return m_lineType == DataflowToProcess || m_lineType == DataflowToMemory;
    }

private:
    // The process or memory end of this line.
    QGraphicsItem *otherEnd() const;
    void endDestroyed();
    void dataflowDestroyed();

    int m_lineType = NoLine;
    DataflowItem *m_dataflow = nullptr;
    ProcessItem *m_process = nullptr;
    MemoryItem *m_memory = nullptr;
    QPolygonF m_arrowHead;
    bool m_hasGeometry = false;
};
