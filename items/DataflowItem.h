#pragma once

// The label box of a dataflow between a process item and a memory item.
// Line type 1: the process writes the memory (process -> memory); line
// type 2: the process reads it (memory -> process). A dataflow is three
// items: this box and two DataflowLine connectors, (first item, box) and
// (box, second item), the second carrying the arrow head.
//
// Ownership: the scene owns the box and its lines; the box owns its
// property dialog once opened. It points at its process item, memory item
// and lines without owning them. removeLines() destroys the lines. A dying
// process or memory item clears itself from the box (and its lines), a
// dying line clears itself from the box, and a dying box removes itself
// from its ends' lists and from its lines.

#include "ItemTypes.h"
#include "ProjectRecords.h"

#include <QColor>
#include <QGraphicsItem>
#include <QObject>
#include <QPen>
#include <QPolygonF>
#include <QString>

#include <memory>

class DataflowLine;
class DataflowProperties;
class MemoryItem;
class ProcessItem;
class QMenu;

class DataflowItem : public QObject, public QGraphicsItem
{
    Q_OBJECT
    friend class DataflowLine;
    friend class MemoryItem;
    friend class ProcessItem;
public:
    enum { Type = ItemType::Dataflow };
    enum LineType { NoDirection = 0, ProcessToMemory = 1, MemoryToProcess = 2 };
    static constexpr int DefaultWidth = 100;
    static constexpr int DefaultHeight = 21;

    // first/second: a process item and a memory item in either order (the
    // order gives the direction). Takes the memory item's label and
    // datatype and centres the box between the two items. Any other pair
    // leaves the box without ends and line type 0; it never paints. The
    // creator builds the two lines, hands them over with setStartLine /
    // setEndLine and adds the box to both items' dataflow lists.
    DataflowItem(QMenu *contextMenu, QGraphicsItem *first, QGraphicsItem *second);
    ~DataflowItem() override;

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

    // True while the box is not drawn: it has lost an end, or its process
    // and memory items overlap. Its lines are not drawn either then.
    bool isHidden() const;

    void setMarked();
    void clearMarked();
    // Destroys both lines; the pointers become null.
    void removeLines();
    // Takes the dataflow out of its process and memory items' lists,
    // destroys its lines and forgets both ends. The box stays where it is.
    void detach();
    void rebuildPolygon();
    void updateSize();
    // The line type follows the two ends when the box has them; the record's
    // value is used only for a box without ends. The polygon is replaced by
    // the outline of the size the label gives in the current font.
    void applyRecord(const DataflowRecord &record);
    // startItem/endItem: process then memory label for line type 1, memory
    // then process for 2, empty otherwise.
    DataflowRecord toRecord() const;
    bool openProperties();

    QGraphicsItem *startGraphic() const;
    QGraphicsItem *endGraphic() const;
    ProcessItem *process() const { return m_process; }
    MemoryItem *memory() const { return m_memory; }
    const QString &label() const { return m_label; }
    void setLabel(const QString &label);
    const QString &datatype() const { return m_datatype; }
    void setDatatype(const QString &datatype) { m_datatype = datatype; }
    const QString &description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    int level() const { return m_level; }
    void setLevel(int level) { m_level = level; }
    int parentId() const { return m_parentId; }
    void setParentId(int parentId) { m_parentId = parentId; }
    int grandParentId() const { return m_grandParentId; }
    void setGrandParentId(int grandParentId) { m_grandParentId = grandParentId; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    int lineType() const { return m_lineType; }
    QPointF midPos() const { return m_midPos; }
    QColor backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const QColor &colour);
    QMenu *contextMenu() const { return m_contextMenu; }
    const QPolygonF &polygon() const { return m_polygon; }
    QPen pen() const { return m_pen; }
    DataflowLine *startLine() const { return m_startLine; }
    void setStartLine(DataflowLine *line) { m_startLine = line; }
    DataflowLine *endLine() const { return m_endLine; }
    void setEndLine(DataflowLine *line) { m_endLine = line; }
    DataflowProperties *propertiesDialog() const { return m_propertiesDialog.get(); }

    static QColor defaultColour() { return QColor(249, 231, 159); }

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    void processDestroyed(ProcessItem *process);
    void memoryDestroyed(MemoryItem *memory);
    void lineDestroyed(DataflowLine *line);
    void updateLines();

    ProcessItem *m_process = nullptr;
    MemoryItem *m_memory = nullptr;
    QString m_label;
    QString m_datatype;
    QString m_description;
    int m_level = 0;
    int m_parentId = 0;
    int m_grandParentId = 0;
    int m_width = DefaultWidth;
    int m_height = DefaultHeight;
    int m_lineType = NoDirection;
    QPointF m_midPos;
    QColor m_backgroundColour = defaultColour();
    QMenu *m_contextMenu;
    QPolygonF m_polygon;
    QPen m_pen;
    DataflowLine *m_startLine = nullptr;
    DataflowLine *m_endLine = nullptr;
    std::unique_ptr<DataflowProperties> m_propertiesDialog;
};
