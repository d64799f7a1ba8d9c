#include "DiagramItem.h"

#include "DiagramFont.h"

#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>

QFont diagramItemFont(const QGraphicsItem *item)
{
    if (const QGraphicsScene *owner = item ? item->scene() : nullptr)
        return owner->font();
    return DiagramFont::font();
}

DiagramItem::DiagramItem(QMenu *contextMenu, QGraphicsItem *parent)
    : QObject(nullptr), QGraphicsItem(parent), m_contextMenu(contextMenu)
{
}

DiagramItem::~DiagramItem() = default;

void DiagramItem::setMarked()
{
    m_marked = true;
    setOutlineStyle(Qt::DotLine);
}

void DiagramItem::clearMarked()
{
    m_marked = false;
    setOutlineStyle(Qt::SolidLine);
}

QFont DiagramItem::diagramFont() const
{
    return diagramItemFont(this);
}

TextMetrics DiagramItem::diagramMetrics() const
{
    return textMetrics(diagramFont());
}

void DiagramItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    if (m_contextMenu)
        m_contextMenu->exec(event->screenPos());
}
