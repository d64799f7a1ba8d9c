#include "FloatingEnds.h"

#include "ItemCanvas.h"
#include "FloatingLinkItem.h"
#include "DataflowItem.h"
#include "FloatingMemoryItem.h"
#include "LinkItem.h"
#include "ProcessItem.h"

#include <algorithm>
#include <QGraphicsScene>

FloatingEndsLayout layoutFloatingEnds(const QVector<QSizeF> &linkSizes, const QVector<QSizeF> &memorySizes)
{
    constexpr qreal LinkX = 10;
    constexpr qreal LinkSpacing = 40;
    constexpr qreal MemoryY = 30;
    constexpr qreal Gap = 20;
    FloatingEndsLayout layout;
    qreal y = 40;
    qreal widestLink = 0;
    for (const QSizeF &size : linkSizes) {
        layout.links.append(QPointF(LinkX, y));
        y += std::max(LinkSpacing, size.height() + Gap / 2);
        widestLink = std::max(widestLink, size.width());
    }
    qreal x = linkSizes.isEmpty() ? 160 : std::max<qreal>(160, LinkX + widestLink + Gap);
    for (const QSizeF &size : memorySizes) {
        layout.memories.append(QPointF(x, MemoryY));
        x += size.width() + Gap;
    }
    return layout;
}

FloatingEnds::FloatingEnds(ItemCanvas *canvas)
    : m_canvas(canvas)
{
}

FloatingLinkItem *FloatingEnds::addLink(const QString &name, bool start)
{
    // Sized in the canvas's font once added, then placed with the others.
    auto *item = new FloatingLinkItem(0, 0, start ? FloatingLinkItem::Outgoing : FloatingLinkItem::Incoming,
                                      name);
    item->setZValue(m_canvas->nextZValue());
    m_links.append(item);
    m_canvas->graphicsScene()->addItem(item);
    m_lastLink = item;
    layOut();
    return item;
}

FloatingMemoryItem *FloatingEnds::addMemory(const QString &label, const QString &datatype,
                                            const QColor &colour)
{
    auto *item = new FloatingMemoryItem(0, 0);
    item->setLabel(label);
    item->setDatatype(datatype);
    item->setBackgroundColour(colour);
    item->setZValue(m_canvas->nextZValue());
    m_memories.append(item);
    m_canvas->graphicsScene()->addItem(item);
    m_lastMemory = item;
    layOut();
    return item;
}

void FloatingEnds::layOut()
{
    QVector<QSizeF> linkSizes;
    for (const FloatingLinkItem *end : qAsConst(m_links))
        linkSizes.append(end->boundingRect().size());
    QVector<QSizeF> memorySizes;
    for (const FloatingMemoryItem *end : qAsConst(m_memories))
        memorySizes.append(end->boundingRect().size());
    const FloatingEndsLayout layout = layoutFloatingEnds(linkSizes, memorySizes);
    for (int i = 0; i < m_links.size(); ++i)
        m_links.at(i)->setPos(layout.links.at(i));
    for (int i = 0; i < m_memories.size(); ++i)
        m_memories.at(i)->setPos(layout.memories.at(i));
    if (!layout.links.isEmpty())
        m_linkPos = layout.links.last();
    if (!layout.memories.isEmpty())
        m_memoryPos = layout.memories.last();
}

void FloatingEnds::removeLinks()
{
    const QList<FloatingLinkItem *> ends = m_links;
    m_links.clear();
    m_lastLink = nullptr;
    qDeleteAll(ends);
    layOut();
}

void FloatingEnds::removeMemories()
{
    const QList<FloatingMemoryItem *> ends = m_memories;
    m_memories.clear();
    m_lastMemory = nullptr;
    qDeleteAll(ends);
    layOut();
}

void FloatingEnds::rebuildFrom(const ProcessItem *owner)
{
    removeLinks();
    for (const LinkItem *link : owner->links())
        addLink(link->label(), link->startItem() == owner);
    removeMemories();
    for (const DataflowItem *dataflow : owner->dataflows())
        addMemory(dataflow->label(), dataflow->datatype(), dataflow->backgroundColour());
}
