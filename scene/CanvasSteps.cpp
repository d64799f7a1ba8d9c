#include "CanvasSteps.h"

#include "DiagramItem.h"
#include "ItemCanvas.h"
#include "ItemKind.h"
#include "ItemKinds.h"

bool CanvasSteps::isListed(const QGraphicsItem *item) const
{
    return m_canvas->registeredItem(item) != nullptr;
}

bool CanvasSteps::putBack(DiagramItem *item)
{
    const ItemKind *kind = item ? ItemKinds::of(item->type()) : nullptr;
    return kind && kind->putBack(*this, item);
}

bool CanvasSteps::takeAway(DiagramItem *item)
{
    const ItemKind *kind = item ? ItemKinds::of(item->type()) : nullptr;
    return kind && kind->takeAway(*this, item);
}

void CanvasSteps::rememberIndex(const DiagramItem *item)
{
    m_listIndex.insert(item, m_canvas->registeredIndex(item));
}

void CanvasSteps::relist(DiagramItem *item)
{
    m_canvas->registerItemAt(rememberedIndex(item), item);
}

void CanvasSteps::putIn(DiagramItem *item)
{
    m_canvas->putInScene(item);
    relist(item);
}

void CanvasSteps::takeOut(DiagramItem *item)
{
    rememberIndex(item);
    m_canvas->unregisterItem(item);
    m_canvas->takeFromScene(item);
    m_canvas->keepAlive(item);
}

void CanvasSteps::rememberIndexIn(const void *owner, const void *item, int index)
{
    m_ownerListIndex.insert(qMakePair(owner, item), index);
}

int CanvasSteps::rememberedIndexIn(const void *owner, const void *item) const
{
    return m_ownerListIndex.value(qMakePair(owner, item), -1);
}

void CanvasSteps::hideParts(const QList<QGraphicsItem *> &parts)
{
    for (QGraphicsItem *part : parts) {
        if (!part)
            continue;
        m_canvas->takeFromScene(part);
        m_canvas->keepAlive(part);
    }
}

void CanvasSteps::showParts(const QList<QGraphicsItem *> &parts)
{
    for (QGraphicsItem *part : parts) {
        if (part)
            m_canvas->putInScene(part);
    }
}
