#include "FloatingEnds.h"

#include "Canvas.h"
#include "FloatingLinkItem.h"
#include "FloatingMemoryItem.h"

FloatingEnds::FloatingEnds(Canvas *canvas)
    : m_canvas(canvas)
{
}

FloatingLinkItem *FloatingEnds::addLink(const QString &name, bool start)
{
    m_linkPos = QPointF(10, 40 + 40 * m_links.size());
    auto *item = new FloatingLinkItem(m_linkPos.x(), m_linkPos.y(),
                                      start ? FloatingLinkItem::Outgoing : FloatingLinkItem::Incoming,
                                      name);
    item->setZValue(m_canvas->nextZValue());
    m_links.append(item);
    m_canvas->addItem(item);
    m_lastLink = item;
    return item;
}

FloatingMemoryItem *FloatingEnds::addMemory(const QString &label, const QString &datatype,
                                            const QColor &colour)
{
    m_memoryPos = QPointF(160 + 80 * m_memories.size(), 30);
    auto *item = new FloatingMemoryItem(m_memoryPos.x(), m_memoryPos.y());
    item->setLabel(label);
    item->setDatatype(datatype);
    item->setBackgroundColour(colour);
    item->setZValue(m_canvas->nextZValue());
    m_memories.append(item);
    m_canvas->addItem(item);
    m_lastMemory = item;
    return item;
}

void FloatingEnds::removeLinks()
{
    const QList<FloatingLinkItem *> ends = m_links;
    m_links.clear();
    m_lastLink = nullptr;
    qDeleteAll(ends);
}

void FloatingEnds::removeMemories()
{
    const QList<FloatingMemoryItem *> ends = m_memories;
    m_memories.clear();
    m_lastMemory = nullptr;
    qDeleteAll(ends);
}
