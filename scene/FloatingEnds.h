#pragma once

// The floating link and memory ends of a canvas below level 1: tags that
// show the links and dataflows of the canvas's process item on the parent
// diagram. They are rebuilt each time the canvas is opened and never saved.
// Link ends stack down the left edge, memory ends run along the top, side
// by side from their real widths; each goes on top of every other item of
// its canvas.

#include <QColor>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QVector>

// Where the floating ends of a canvas go, from their sizes: link ends at
// x 10 from y 40 down, 40 apart (more for a taller tag); memory ends with
// their tops at y 30 from x 160 on, 20 apart, and right of the widest link
// end, so no two tags overlap.
struct FloatingEndsLayout
{
    QVector<QPointF> links;
    QVector<QPointF> memories;
};
FloatingEndsLayout layoutFloatingEnds(const QVector<QSizeF> &linkSizes, const QVector<QSizeF> &memorySizes);

class ItemCanvas;
class FloatingLinkItem;
class FloatingMemoryItem;
class ProcessItem;

class FloatingEnds
{
public:
    explicit FloatingEnds(ItemCanvas *canvas);

    const QList<FloatingLinkItem *> &links() const { return m_links; }
    const QList<FloatingMemoryItem *> &memories() const { return m_memories; }
    FloatingLinkItem *lastLink() const { return m_lastLink; }
    FloatingMemoryItem *lastMemory() const { return m_lastMemory; }
    // Where the last end of each kind was placed.
    QPointF linkPos() const { return m_linkPos; }
    QPointF memoryPos() const { return m_memoryPos; }

    // start: the process item is the link's start (drawn as an outgoing tag).
    FloatingLinkItem *addLink(const QString &name, bool start);
    FloatingMemoryItem *addMemory(const QString &label, const QString &datatype,
                                  const QColor &colour);
    void removeLinks();
    void removeMemories();
    // Replaces every end by those of owner's links and dataflows (owner:
    // the process item on the parent diagram that this canvas details).
    void rebuildFrom(const ProcessItem *owner);

private:
    // Places every end again (a new one may push the others along).
    void layOut();

    ItemCanvas *m_canvas;
    QList<FloatingLinkItem *> m_links;
    QList<FloatingMemoryItem *> m_memories;
    FloatingLinkItem *m_lastLink = nullptr;
    FloatingMemoryItem *m_lastMemory = nullptr;
    QPointF m_linkPos{10, 0};
    QPointF m_memoryPos{0, 30};
};
