#pragma once

// A shared variable on a process diagram: a band between two thick
// dark-magenta lines showing the variable's name and datatype. Its width
// follows the two texts; the height is always 64.
//
// Ownership: the scene owns the item. The dataflows in its list are not owned; when the item is
// destroyed it tells each of them to forget it (and their lines), so no
// dataflow is left pointing at a dead memory item.

#include "DiagramItem.h"
#include "ItemTypes.h"
#include "ProjectRecords.h"

#include <QColor>
#include <QList>
#include <QPen>
#include <QPolygonF>
#include <QRect>
#include <QString>


class DataflowItem;
class QPainter;

// Width of a memory band: 100 when both texts are empty, otherwise
// trunc(max(labelW, typeW) + 6A) with textW = len*A + 8A.
int memoryItemWidth(const QString &label, const QString &datatype, double averageCharWidth);
// Text rectangles inside the band: x trunc(3A), width trunc(len*A + 8A),
// the label on rows 10..30, the datatype on rows 30..50.
QRect memoryLabelRect(const QString &label, double averageCharWidth);
QRect memoryDatatypeRect(const QString &datatype, double averageCharWidth);
// Draws the band (lines, fill, the two texts) of the given width; shared by
// memory items and their floating ends. The painter's font must be the one
// the width was computed with.
void paintMemoryBand(QPainter *painter, int width, int height, const QColor &fill,
                     const QString &label, const QString &datatype, double averageCharWidth);

class MemoryItem : public DiagramItem
{
    Q_OBJECT
    friend class DataflowItem;
public:
    enum { Type = ItemType::Memory };
    static constexpr int DefaultWidth = 100;
    static constexpr int Height = 64;

    // x, y: the creation point; placeAt centres the item on it.
    MemoryItem(QMenu *contextMenu, double x, double y);
    ~MemoryItem() override;

    int type() const override { return Type; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;
    QRectF boundingRect() const override;

    void placeAt();

    const QList<DataflowItem *> &dataflows() const { return m_dataflows; }
    void addDataflow(DataflowItem *dataflow);
    void removeDataflow(DataflowItem *dataflow);

    void rebuildPolygon();
    // Recomputes the width from the texts and the current font.
    void updateSize();
    void applyRecord(const MemoryRecord &record);
    MemoryRecord toRecord() const;
    ItemRecord record() const override { return toRecord(); }
    void restoreRecord(const ItemRecord &record) override;
    // A dataflow always carries the name and type of the variable it
    // moves: gives every attached dataflow the item's label and datatype.
    void shareTextsWithDataflows();

    int width() const { return m_width; }
    int height() const { return m_height; }
    QPointF creationPoint() const { return QPointF(m_x, m_y); }
    const QString &datatype() const { return m_datatype; }
    void setDatatype(const QString &datatype);
    QString label() const override { return m_label; }
    void setLabel(const QString &label);
    const QString &description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    QColor backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const QColor &colour);
    // The colour the band is filled with.
    QColor shownColour() const { return m_backgroundColour.isValid() ? m_backgroundColour : fallbackColour(); }
    const QPolygonF &polygon() const { return m_polygon; }
    QPen pen() const { return m_pen; }

    static QColor defaultColour() { return QColor(192, 192, 192); }
    // What an invalid colour is painted as.
    static QColor fallbackColour() { return QColor(229, 231, 233); }

protected:
    void setOutlineStyle(Qt::PenStyle style) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    void connectionsMoved();

    QList<DataflowItem *> m_dataflows;
    int m_width = DefaultWidth;
    int m_height = Height;
    double m_x;
    double m_y;
    QString m_datatype;
    QString m_label;
    QString m_description;
    QColor m_backgroundColour = defaultColour();
    QPolygonF m_polygon;
    QPen m_pen;
};
