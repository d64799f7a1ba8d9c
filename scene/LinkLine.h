#pragma once

// One connector of a link: process -> link box (line type 1, no arrow head)
// or link box -> process (line type 2, arrow head at the process outline).
// The line runs from the outline of the second item back to the centre of
// the first. Its geometry is recomputed whenever one of its items moves or
// changes size (they call updateGeometry), so painting only draws.
//
// Ownership: owned by the scene until LinkItem::removeLines destroys it.
// Points at its process item and link box without owning them; either of
// them clears that pointer when it is destroyed, and a destroyed line
// clears itself from its box.

#include <QGraphicsLineItem>
#include <QObject>
#include <QPen>
#include <QPolygonF>

class LinkItem;
class ProcessItem;

class LinkLine : public QObject, public QGraphicsLineItem
{
    Q_OBJECT
    friend class LinkItem;
public:
    enum LineType { NoLine = 0, ProcessToLink = 1, LinkToProcess = 2 };

    // (start process, link box) gives line type 1, (link box, end process)
    // type 2; any other pair gives a line of type 0 that never paints.
    LinkLine(QGraphicsItem *first, QGraphicsItem *second);
    ~LinkLine() override;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

    // Centre of the first item to the outline of the second; when the two
    // items are gone or the centre line misses the outline the line keeps
    // its last geometry and is not drawn.
    void updateGeometry();
    bool hasGeometry() const { return m_hasGeometry; }

    int lineType() const { return m_lineType; }
    ProcessItem *process() const { return m_process; }
    LinkItem *link() const { return m_link; }
    QGraphicsItem *startGraphic() const;
    QGraphicsItem *endGraphic() const;
    const QPolygonF &arrowHead() const { return m_arrowHead; }
    bool hasArrowHead() const { return m_lineType == LinkToProcess; }

private:
    void processDestroyed();
    void linkDestroyed();

    ProcessItem *m_process = nullptr;
    LinkItem *m_link = nullptr;
    int m_lineType = NoLine;
    QPolygonF m_arrowHead;
    bool m_hasGeometry = false;
};
