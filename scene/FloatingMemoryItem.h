#pragma once

// A memory-like tag shown on the canvas of a process item for each of that
// item's dataflows: the shared variable's name, datatype and colour. Tags
// are rebuilt whenever the canvas is opened, are never saved and hold no
// pointers.

#include "ItemTypes.h"

#include <QColor>
#include <QGraphicsItem>
#include <QObject>
#include <QPen>
#include <QPolygonF>
#include <QString>

class FloatingMemoryItem : public QObject, public QGraphicsItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)
public:
    enum { Type = ItemType::FloatingMemory };

    FloatingMemoryItem(double x, double y);

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

    // Width follows label and datatype in the current font.
    void updateSize();

    int width() const { return m_width; }
    int height() const { return m_height; }
    const QString &label() const { return m_label; }
    void setLabel(const QString &label);
    const QString &datatype() const { return m_datatype; }
    void setDatatype(const QString &datatype);
    QColor backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const QColor &colour);
    const QPolygonF &polygon() const { return m_polygon; }
    QPen pen() const { return m_pen; }

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    int m_width = 100;
    int m_height = 64;
    QString m_label;
    QString m_datatype;
    QColor m_backgroundColour = QColor(192, 192, 192);
    QPolygonF m_polygon;
    QPen m_pen;
};
