#pragma once

// The label box shared by links and dataflows: a rectangle sized to its
// label, showing it centred, sitting between two items and joined to them
// by two connector lines that the concrete box owns. The box keeps the
// texts, colour, hierarchy fields and outline common to both; the concrete
// box knows its ends, its lines and when it is hidden.

#include "DiagramItem.h"

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPolygonF>
#include <QRect>
#include <QSize>
#include <QString>

// Floating-point metrics of the font a diagram item draws its texts with.
struct LabelMetrics
{
    double averageCharWidth = 0;   // A
    double lineHeight = 0;         // H
};

LabelMetrics labelMetrics(const QFont &font);

// Size of a label box (link, dataflow, floating link tag): 100 x 21 for an
// empty label, else width trunc(len*A + 8A + 6A), height trunc(H + A).
QSize labelBoxSize(const QString &label, const LabelMetrics &m);
// Where the label is drawn inside its box: x trunc(3A), y trunc(A/2),
// width trunc(len*A + 8A), height trunc(H).
QRect labelBoxTextRect(const QString &label, const LabelMetrics &m);
// Draws a non-empty label centred in the text rectangle of item's box, in
// the item's diagram font.
void drawBoxLabel(QPainter *painter, const QGraphicsItem *item, const QString &label);
// Middle point of two boxed items' centres (integer halves of their sizes).
QPointF midPointOfCentres(const QPointF &firstPos, int firstWidth, int firstHeight,
                          const QPointF &secondPos, int secondWidth, int secondHeight);

class LabelBoxItem : public DiagramItem
{
    Q_OBJECT

public:
    static constexpr int DefaultWidth = 100;
    static constexpr int DefaultHeight = 21;

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

    // True while the box is not drawn: it has lost an end, or its two end
    // items overlap. Its lines are not drawn either then.
    virtual bool isHidden() const = 0;

    void rebuildPolygon();
    // Recomputes the box size from the label and the current font; called
    // whenever the label or the scene changes.
    void updateSize();

    int width() const { return m_width; }
    int height() const { return m_height; }
    QString label() const override { return m_label; }
    void setLabel(const QString &label);
    const QString &description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    const QString &datatype() const { return m_datatype; }
    void setDatatype(const QString &datatype) { m_datatype = datatype; }
    QPointF midPos() const { return m_midPos; }
    QColor backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const QColor &colour);
    // The colour the box is filled with.
    QColor shownColour() const { return m_backgroundColour.isValid() ? m_backgroundColour : paintColour(); }
    const QPolygonF &polygon() const { return m_polygon; }
    QPen pen() const { return m_pen; }

protected:
    // The box starts at the default size, centred on midPos, with the given
    // colour (which may be invalid: it is painted in paintColour() then).
    LabelBoxItem(QMenu *contextMenu, const QPointF &midPos, const QColor &colour);

    // The colour painted and saved while the box's own colour is invalid.
    virtual QColor paintColour() const = 0;
    // Keeps both lines on the current positions and sizes.
    virtual void updateLines() = 0;

    // The fields every label box record has. The record's polygon is
    // replaced by the outline of the size the label gives in the current font.
    template <class Record>
    void applyBoxFields(const Record &record)
    {
        setLevel(record.level);
        setParentId(record.parentId);
        setGrandParentId(record.grandParentId);
        m_label = record.label;
        m_description = record.description;
        m_datatype = record.datatype;
        m_backgroundColour = QColor(record.backgroundColour);
        m_polygon = QPolygonF(record.polygon);
        setPos(record.xCoord, record.yCoord);
        updateSize();
        update();
    }
    template <class Record>
    void fillBoxFields(Record *record) const
    {
        record->level = level();
        record->parentId = parentId();
        record->grandParentId = grandParentId();
        record->xCoord = pos().x();
        record->yCoord = pos().y();
        record->label = m_label;
        record->description = m_description;
        record->datatype = m_datatype;
        record->backgroundColour =
            (m_backgroundColour.isValid() ? m_backgroundColour : paintColour()).name();
        record->polygon = m_polygon;
    }

    void setOutlineStyle(Qt::PenStyle style) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

    int m_width = DefaultWidth;
    int m_height = DefaultHeight;
    QString m_label;
    QString m_description;
    QString m_datatype;
    QPointF m_midPos;
    QColor m_backgroundColour;
    QPolygonF m_polygon;
    QPen m_pen;
};
