#pragma once

// The label box of a dataflow between a process item and a memory item.
// Line type 1: the process writes the memory (process -> memory); line
// type 2: the process reads it (memory -> process). A dataflow is three
// items: this box and two DataflowLine connectors, (first item, box) and
// (box, second item), the second carrying the arrow head.
//
// Ownership: the scene owns the box and its lines. It points at its
// process item, memory item and lines without owning them. removeLines()
// destroys the lines. A dying
// process or memory item clears itself from the box (and its lines), a
// dying line clears itself from the box, and a dying box removes itself
// from its ends' lists and from its lines.

#include "ItemTypes.h"
#include "LabelBoxItem.h"
#include "ProjectRecords.h"


class DataflowLine;
class MemoryItem;
class ProcessItem;

class DataflowItem : public LabelBoxItem
{
    Q_OBJECT
    friend class DataflowLine;
    friend class MemoryItem;
    friend class ProcessItem;
public:
    enum { Type = ItemType::Dataflow };
    enum LineType { NoDirection = 0, ProcessToMemory = 1, MemoryToProcess = 2 };

    // first/second: a process item and a memory item in either order (the
    // order gives the direction). Takes the memory item's label and
    // datatype and centres the box between the two items. Any other pair
    // leaves the box without ends and line type 0; it never paints. The
    // creator builds the two lines, hands them over with setStartLine /
    // setEndLine and adds the box to both items' dataflow lists.
    DataflowItem(QMenu *contextMenu, QGraphicsItem *first, QGraphicsItem *second);
    ~DataflowItem() override;

    int type() const override { return Type; }
    // Hidden also while its process and memory items overlap.
    bool isHidden() const override;

    // Destroys both lines; the pointers become null.
    void removeLines();
    // Takes the dataflow out of its process and memory items' lists,
    // destroys its lines and forgets both ends. The box stays where it is.
    void detach();
    // The line type follows the two ends when the box has them; the record's
    // value is used only for a box without ends. The polygon is replaced by
    // the outline of the size the label gives in the current font.
    void applyRecord(const DataflowRecord &record);
    // startItem/endItem: process then memory label for line type 1, memory
    // then process for 2, empty otherwise.
    DataflowRecord toRecord() const;
    ItemRecord record() const override { return toRecord(); }
    void restoreRecord(const ItemRecord &record) override;

    QGraphicsItem *startGraphic() const;
    QGraphicsItem *endGraphic() const;
    ProcessItem *process() const { return m_process; }
    MemoryItem *memory() const { return m_memory; }
    int lineType() const { return m_lineType; }
    DataflowLine *startLine() const { return m_startLine; }
    void setStartLine(DataflowLine *line) { m_startLine = line; }
    DataflowLine *endLine() const { return m_endLine; }
    void setEndLine(DataflowLine *line) { m_endLine = line; }

    static QColor defaultColour() { return QColor(249, 231, 159); }

protected:
    QColor paintColour() const override { return defaultColour(); }

private:
    void processDestroyed(ProcessItem *process);
    void memoryDestroyed(MemoryItem *memory);
    void lineDestroyed(DataflowLine *line);
    void updateLines() override;

    ProcessItem *m_process = nullptr;
    MemoryItem *m_memory = nullptr;
    int m_lineType = NoDirection;
    DataflowLine *m_startLine = nullptr;
    DataflowLine *m_endLine = nullptr;
};
