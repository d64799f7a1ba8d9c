#include "LinkItem.h"

#include "LinkLine.h"
#include "ProcessItem.h"

namespace {

QPointF linkMidPos(const ProcessItem *startItem, const ProcessItem *endItem)
{
    if (!startItem || !endItem)
        return QPointF();
    return midPointOfCentres(startItem->pos(), startItem->width(), startItem->height(),
                             endItem->pos(), endItem->width(), endItem->height());
}

} // namespace

LinkItem::LinkItem(QMenu *contextMenu, ProcessItem *startItem, ProcessItem *endItem)
    : LabelBoxItem(contextMenu, linkMidPos(startItem, endItem), QColor())
    , m_startItem(startItem)
    , m_endItem(endItem)
{
}

LinkItem::~LinkItem()
{
    if (m_startItem)
        m_startItem->removeLink(this);
    if (m_endItem)
        m_endItem->removeLink(this);
    if (m_startLine)
        m_startLine->linkDestroyed();
    if (m_endLine)
        m_endLine->linkDestroyed();
}

bool LinkItem::isHidden() const
{
    return !m_startItem || !m_endItem || m_startItem->collidesWithItem(m_endItem);
}

void LinkItem::removeLines()
{
    // Deleting a line clears our pointer to it (lineDestroyed).
    delete m_startLine;
    delete m_endLine;
}

void LinkItem::detach()
{
    if (m_startItem)
        m_startItem->removeLink(this);
    if (m_endItem)
        m_endItem->removeLink(this);
    m_startItem = nullptr;
    m_endItem = nullptr;
    removeLines();
    update();
}

void LinkItem::applyRecord(const LinkRecord &record)
{
    applyBoxFields(record);
}

LinkRecord LinkItem::toRecord() const
{
    LinkRecord record;
    fillBoxFields(&record);
    if (m_startItem)
        record.startItem = m_startItem->label();
    if (m_endItem)
        record.endItem = m_endItem->label();
    return record;
}

void LinkItem::restoreRecord(const ItemRecord &record)
{
    if (const auto *own = std::get_if<LinkRecord>(&record))
        applyRecord(*own);
}

void LinkItem::processDestroyed(ProcessItem *process)
{
    if (m_startItem == process)
        m_startItem = nullptr;
    if (m_endItem == process)
        m_endItem = nullptr;
    for (LinkLine *line : {m_startLine, m_endLine}) {
        if (line && line->process() == process)
            line->processDestroyed();
    }
}

void LinkItem::lineDestroyed(LinkLine *line)
{
    if (m_startLine == line)
        m_startLine = nullptr;
    if (m_endLine == line)
        m_endLine = nullptr;
}

void LinkItem::updateLines()
{
    if (m_startLine)
        m_startLine->updateGeometry();
    if (m_endLine)
        m_endLine->updateGeometry();
}
