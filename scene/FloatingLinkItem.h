#pragma once

// A loose end of a link, shown on the canvas of a process item: a tag with
// the link's label, pointed like an arrow. Red with its point on the left
// for a link that leaves the process item (direction 1), green with its
// point on the right for one that enters it (direction 0). Tags are rebuilt
// whenever the canvas is opened and are never saved; they hold no pointers.

#include "ItemTypes.h"
#include "LabelBoxItem.h"

#include <QColor>
#include <QGraphicsItem>
#include <QObject>
#include <QPen>
#include <QPolygonF>
#include <QRect>
#include <QString>

// The pentagon of a tag of the given size: direction 1 points left,
// direction 0 points right, 10 units deep; any other direction gives an
// empty polygon.
QPolygonF floatingLinkPentagon(int direction, int width, int height);
// Where a tag of the given width draws its label: between margins of 3A,
// from y A/2, one line high (the formula's label rectangle when the tag
// has the formula's width).
QRect floatingLinkTextRect(int width, const LabelMetrics &m);
// Red for direction 1, green for 0, invalid otherwise.
QColor floatingLinkColour(int direction);

class FloatingLinkItem : public QObject, public QGraphicsItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)
public:
    enum { Type = ItemType::FloatingLink };
    enum Direction { Incoming = 0, Outgoing = 1 };
    static constexpr int PointDepth = 10;

    FloatingLinkItem(double x, double y, int direction, const QString &label);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;
    int type() const override { return Type; }

    // Size follows the label in the current font.
    void updateSize();

    int width() const { return m_width; }
    int height() const { return m_height; }
    int direction() const { return m_direction; }
    const QString &label() const { return m_label; }
    void setLabel(const QString &label);
    QColor colour() const { return m_colour; }
    const QPolygonF &polygon() const { return m_polygon; }
    QPen pen() const { return m_pen; }

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    int m_width = 100;
    int m_height = 21;
    int m_direction;
    QString m_label;
    QColor m_colour;
    QPolygonF m_polygon;
    QPen m_pen;
};
