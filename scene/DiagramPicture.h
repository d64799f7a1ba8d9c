#pragma once

// A canvas prepared for being drawn as a picture: while a DiagramPicture
// lives, what only helps editing is switched off on its canvas (item
// shadows, item pixmap caches, the selection, the dotted mark of the
// pressed item, the title in the corner and a running simulation's
// highlight; the interface tags, the floating link and memory ends, stay,
// as they do on the canvas); the destructor puts
// every one of them back as it was. Nothing a project file holds is touched, and the
// canvas's signals stay quiet meanwhile.
//
// area() is the part of the scene the picture shows: the bounding area of
// the diagram's items plus a margin, not the whole canvas size. paint()
// draws that area into a rectangle of any paint device, keeping its
// aspect ratio; every export format and printing go through it.

#include <QBrush>
#include <QGraphicsItem>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QRectF>
#include <QTransform>

class Canvas;
class DiagramItem;
class QGraphicsEffect;
class QPainter;

// The picture's area around the given item rectangles: their union grown
// by `margin` on every side. Without rectangles, a blank square of two
// margins at the origin.
QRectF pictureArea(const QList<QRectF> &itemRects, qreal margin);

// Where a picture of `source`'s size goes inside `target`: scaled to fit
// with its aspect ratio kept, centred.
QRectF fittedRect(const QSizeF &source, const QRectF &target);

class DiagramPicture
{
public:
    // Scene units around the items.
    static constexpr qreal Margin = 20.0;

    explicit DiagramPicture(Canvas *canvas);
    ~DiagramPicture();
    DiagramPicture(const DiagramPicture &) = delete;
    DiagramPicture &operator=(const DiagramPicture &) = delete;

    QRectF area() const { return m_area; }
    // What the canvas shows behind its items: the scene's background
    // brush when it has one, else the white of the view.
    QBrush background() const;
    // Draws area() into `target` (device coordinates of the painter),
    // fitted and centred.
    void paint(QPainter *painter, const QRectF &target) const;

private:
    void hideHelper(QGraphicsItem *item);
    void switchOffShadow(QGraphicsItem *item);
    void switchOffCache(QGraphicsItem *item);
    void dropSelection();
    void restore();
    QRectF itemsArea(const QList<QGraphicsItem *> &items);
    // Scene coordinates to the painter's, for area() fitted into target.
    QTransform sceneToTarget(const QRectF &target) const;

    Canvas *m_canvas;
    QList<QGraphicsItem *> m_items;   // bottom to top
    QRectF m_area;
    QList<QGraphicsItem *> m_hidden;
    QList<QPointer<QGraphicsEffect>> m_shadows;
    QList<QPair<QGraphicsItem *, QGraphicsItem::CacheMode>> m_cached;
    QList<QGraphicsItem *> m_selected;
    QGraphicsItem *m_marked = nullptr;          // marked last
    QList<DiagramItem *> m_markedAll;
    bool m_signalsWereBlocked = false;
};
