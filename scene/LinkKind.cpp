#include "LinkKind.h"

#include "AddConnectionCommand.h"
#include "BoxConnections.h"
#include "ItemCanvas.h"
#include "ConnectedBox.h"
#include "CanvasSteps.h"
#include "DeleteItemCommand.h"
#include "LinkItem.h"
#include "LinkLine.h"
#include "ProcessItem.h"

int LinkKind::type() const { return ItemType::Link; }
QString LinkKind::name() const { return QStringLiteral("Link"); }
QString LinkKind::noun() const { return QStringLiteral("link"); }

ItemKind::Tool LinkKind::tool() const
{
    return {4, 4, "actionLink", ":/Images/Images/link_cursor.png", 3, 4};
}

QGraphicsItem *LinkKind::connect(ItemCanvas &canvas, QGraphicsItem *start, QGraphicsItem *end) const
{
    if (start->type() != ItemType::Process || end->type() != ItemType::Process)
        return nullptr;
    LinkItem *made = BoxConnections::connectProcesses(&canvas, static_cast<ProcessItem *>(start),
                                                      static_cast<ProcessItem *>(end));
    canvas.pushCommand(new AddConnectionCommand(&canvas, canvas.registeredItem(made)));
    return made;
}

void LinkKind::pushDeletion(ItemCanvas &canvas, DiagramItem *item) const
{
    canvas.pushCommand(new DeleteItemCommand(&canvas, item));
}

namespace {
QList<QGraphicsItem *> partsOf(LinkItem *link)
{
    return {link, link->startLine(), link->endLine()};
}
} // namespace

bool LinkKind::putBack(CanvasSteps &steps, DiagramItem *item) const
{
    auto *link = static_cast<LinkItem *>(item);
    if (!link || steps.isListed(link) || !steps.isListed(link->startItem())
        || !steps.isListed(link->endItem()))
        return false;
    steps.showParts(partsOf(link));
    steps.relist(link);
    link->startItem()->addLink(link);
    link->endItem()->addLink(link);
    for (LinkLine *line : {link->startLine(), link->endLine()}) {
        if (line)
            line->updateGeometry();
    }
    return true;
}

bool LinkKind::takeAway(CanvasSteps &steps, DiagramItem *item) const
{
    auto *link = static_cast<LinkItem *>(item);
    if (!link || !steps.isListed(link))
        return false;
    steps.rememberIndex(link);
    steps.canvas()->unregisterItem(link);
    if (link->startItem())
        link->startItem()->removeLink(link);
    if (link->endItem())
        link->endItem()->removeLink(link);
    steps.hideParts(partsOf(link));
    return true;
}

DiagramItem *LinkKind::fromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z,
                                  DiagramItem *start, DiagramItem *end) const
{
    const auto *r = std::get_if<LinkRecord>(&record);
    if (!r)
        return nullptr;
    auto *from = static_cast<ProcessItem *>(start);
    auto *to = static_cast<ProcessItem *>(end);
    auto *link = new LinkItem(canvas.menuOf(ItemType::Link), from, to);
    from->addLink(link);
    to->addLink(link);
    link->applyRecord(*r);
    link->setZValue(z);
    addConnectedBox<LinkLine>(canvas, from, link, to);
    return link;
}
