#include "LinkLine.h"

#include "ConnectorGeometry.h"
#include "LinkItem.h"
#include "ProcessItem.h"

#include <QPainter>

LinkLine::LinkLine(QGraphicsItem *first, QGraphicsItem *second)
{
    auto *firstProcess = qgraphicsitem_cast<ProcessItem *>(first);
    auto *secondProcess = qgraphicsitem_cast<ProcessItem *>(second);
    auto *firstLink = qgraphicsitem_cast<LinkItem *>(first);
    auto *secondLink = qgraphicsitem_cast<LinkItem *>(second);
    // Only an end of the box itself is accepted: the box is what tells the
    // line when that end is destroyed.
    if (firstProcess && secondLink && secondLink->startItem() == firstProcess) {
        m_lineType = ProcessToLink;
        m_process = firstProcess;
        m_link = secondLink;
    } else if (firstLink && secondProcess && firstLink->endItem() == secondProcess) {
        m_lineType = LinkToProcess;
        m_link = firstLink;
        m_process = secondProcess;
    }
    updateGeometry();
    setFlags(ItemIsSelectable | ItemStacksBehindParent);
    setPen(connectorPen());
}

LinkLine::~LinkLine()
{
    if (m_link)
        m_link->lineDestroyed(this);
}

QGraphicsItem *LinkLine::startGraphic() const
{
    if (m_lineType == ProcessToLink)
        return m_process;
    if (m_lineType == LinkToProcess)
        return m_link;
    return nullptr;
}

QGraphicsItem *LinkLine::endGraphic() const
{
    if (m_lineType == ProcessToLink)
        return m_link;
    if (m_lineType == LinkToProcess)
        return m_process;
    return nullptr;
}

void LinkLine::updateGeometry()
{
    if (!m_process || !m_link) {
        m_hasGeometry = false;
        update();
        return;
    }
    const QPointF processCentre =
        itemCentre(m_process->pos(), m_process->width(), m_process->height());
    const QPointF linkCentre = itemCentre(m_link->pos(), m_link->width(), m_link->height());
    const bool towardsLink = m_lineType == ProcessToLink;
    const QPointF from = towardsLink ? processCentre : linkCentre;
    const QPointF to = towardsLink ? linkCentre : processCentre;
    const QPolygonF &outline = towardsLink ? m_link->polygon() : m_process->outline();
    const QPointF offset = towardsLink ? m_link->pos() : m_process->pos();
    m_hasGeometry = placeClippedConnector(this, from, to, outline, offset, &m_arrowHead);
    if (!m_hasGeometry)
        update();
}

QRectF LinkLine::boundingRect() const
{
    return connectorBoundingRect(line(), pen().widthF());
}

QPainterPath LinkLine::shape() const
{
    return connectorShape(line(), hasArrowHead() ? m_arrowHead : QPolygonF(), pen());
}

void LinkLine::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    paintBoxConnector(painter, *this, m_hasGeometry, m_process, m_link, m_link,
                      hasArrowHead() ? m_arrowHead : QPolygonF());
}

void LinkLine::processDestroyed()
{
    m_process = nullptr;
    m_hasGeometry = false;
}

void LinkLine::linkDestroyed()
{
    m_link = nullptr;
    m_hasGeometry = false;
}
