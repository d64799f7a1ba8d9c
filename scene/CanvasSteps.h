#pragma once

// What the undo steps of one command share while they put items back on a
// canvas and take them away: the canvas, and where each item stood in the
// canvas's list (and in an owner's list, such as a state's transitions)
// when it was taken away, so that putting it back restores the order, which
// is the order the project file stores and the generated code tests. Each
// kind's own steps (ItemKind::putBack, takeAway) work on it.

#include <QHash>
#include <QList>
#include <QPair>

class ItemCanvas;
class DiagramItem;
class QGraphicsItem;

class CanvasSteps
{
public:
    explicit CanvasSteps(ItemCanvas *canvas) : m_canvas(canvas) {}

    ItemCanvas *canvas() const { return m_canvas; }

    // Whether the item is listed on the canvas.
    bool isListed(const QGraphicsItem *item) const;
    // Any listed item back on the canvas, or away from it, as its kind does
    // it; false for an item of no kind or one the project handles.
    bool putBack(DiagramItem *item);
    bool takeAway(DiagramItem *item);

    // Remembers where the listed item stands in the canvas's list now.
    void rememberIndex(const DiagramItem *item);
    // The remembered place, or -1.
    int rememberedIndex(const void *item) const { return m_listIndex.value(item, -1); }
    // Lists the item at its remembered place (at the end without one).
    void relist(DiagramItem *item);
    // Puts the item in the scene and lists it at its remembered place.
    void putIn(DiagramItem *item);
    // Remembers the listed item's place, unlists it, takes it out of the
    // scene and keeps it alive.
    void takeOut(DiagramItem *item);
    // Places in an owner's list (a transition in a state's list).
    void rememberIndexIn(const void *owner, const void *item, int index);
    int rememberedIndexIn(const void *owner, const void *item) const;

    // Takes parts (a box and its lines) out of the scene, keeping them
    // alive, or puts them back in; null parts are skipped.
    void hideParts(const QList<QGraphicsItem *> &parts);
    void showParts(const QList<QGraphicsItem *> &parts);

private:
    ItemCanvas *m_canvas;
    QHash<const void *, int> m_listIndex;
    QHash<QPair<const void *, const void *>, int> m_ownerListIndex;
};

// remembered when there is one, else fallback: sorts items without a
// remembered place after the others.
inline int positionOr(int remembered, int fallback)
{
    return remembered >= 0 ? remembered : fallback;
}
