#pragma once

// The boxes of a state machine: state, transition and text items. Each is
// a rectangle of a chosen size with an outline polygon (as the project file
// stores it), a fill colour that is invalid until one is chosen, an action
// text drawn left-aligned without wrapping, and a size that can be fitted
// to its texts in the diagram's font.

#include "DiagramItem.h"

#include <QColor>
#include <QPen>
#include <QPolygonF>
#include <QSize>
#include <QString>
#include <QTextOption>

class BoxItem : public DiagramItem
{
    Q_OBJECT

public:
    QRectF boundingRect() const override;
    // The box's rectangle, (0, 0, width, height).
    QRectF rect() const { return boundingRect(); }
    // The outline pen: black, 2 wide, dotted while marked.
    QPen pen() const { return m_pen; }

    int width() const { return m_width; }
    int height() const { return m_height; }
    // Each also rebuilds the outline.
    void setWidth(int width);
    void setHeight(int height);
    void setSize(int width, int height);

    QString action() const { return m_action; }
    void setAction(const QString &action);

    // Invalid until a colour is chosen; the box is then filled with
    // fallbackColour(), which is also what the file stores.
    QColor backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const QColor &colour);
    // The colour the box is filled with.
    QColor shownColour() const;

    // The outline the file stores: read from it, or the closed rectangle of
    // the size once the size changed.
    const QPolygonF &polygon() const { return m_polygon; }
    void rebuildPolygon();

    QTextOption textOption() const { return m_textOption; }

    // Resizes the box to its texts in the diagram's font.
    void fitToText();

protected:
    BoxItem(QMenu *contextMenu, int width, int height, QGraphicsItem *parent = nullptr);

    // The fill of a box without a chosen colour.
    virtual QColor fallbackColour() const = 0;
    // The size the texts need with these metrics.
    virtual QSize fittedSize(const TextMetrics &metrics) const = 0;
    // The size or the outline changed (after the change).
    virtual void geometryChanged() {}
    // The rectangle and the stroke of its outline pen.
    QPainterPath shape() const override;
    void setOutlineStyle(Qt::PenStyle style) override;

    // Takes the new size with its outline.
    void resizeBox(int width, int height);
    // Takes size and outline as a file stores them (a short outline is
    // replaced by the rectangle of the size).
    void takeStoredGeometry(int width, int height, const QVector<QPointF> &polygon);

    QString m_action;
    QColor m_backgroundColour;

private:
    int m_width;
    int m_height;
    QPolygonF m_polygon;
    QTextOption m_textOption;
    QPen m_pen;
};
