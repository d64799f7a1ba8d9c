#include "DiagramPicture.h"

#include "Canvas.h"
#include "DataflowLine.h"
#include "InitialTransitionLine.h"
#include "LinkLine.h"
#include "SimulationHighlighter.h"
#include "TransitionLine.h"

#include <QGraphicsEffect>
#include <QGuiApplication>
#include <QGraphicsLineItem>
#include <QGraphicsTextItem>
#include <QPainter>
#include <QSet>
#include <QStyleOptionGraphicsItem>

#include <algorithm>

QRectF pictureArea(const QList<QRectF> &itemRects, qreal margin)
{
    QRectF united;
    for (const QRectF &rect : itemRects)
        united = united.isNull() ? rect : united.united(rect);
    if (united.isNull())
        return QRectF(0, 0, 2 * margin, 2 * margin);
    return united.adjusted(-margin, -margin, margin, margin);
}

QRectF fittedRect(const QSizeF &source, const QRectF &target)
{
    if (source.isEmpty() || target.isEmpty())
        return QRectF(target.topLeft(), QSizeF(0, 0));
    const QSizeF size = source.scaled(target.size(), Qt::KeepAspectRatio);
    return QRectF(target.x() + (target.width() - size.width()) / 2,
                  target.y() + (target.height() - size.height()) / 2, size.width(), size.height());
}

namespace {

constexpr qreal ScreenDpi = 96.0;

// Items that belong to the editor, not to the diagram.
bool isHelper(const Canvas *canvas, const QGraphicsItem *item)
{
    return item == canvas->titleItem() || item == canvas->rubberLine()
           || SimulationHighlighter::isOverlay(item);
}

// Connector lines work out where they run when they are painted; one that
// has not been painted yet may still hold a line from the origin. Working
// it out now gives the area the painted line covers.
void settleConnector(QGraphicsItem *item)
{
    if (auto *line = dynamic_cast<TransitionLine *>(item))
        line->updateGeometry();
    else if (auto *link = dynamic_cast<LinkLine *>(item))
        link->updateGeometry();
    else if (auto *flow = dynamic_cast<DataflowLine *>(item))
        flow->updateGeometry();
    else if (auto *initial = dynamic_cast<InitialTransitionLine *>(item))
        initial->updateGeometry();
}

// The canvas's items bottom to top, as the scene paints them: by z, equal
// ones in the order they were added. A canvas keeps no tree index, and its
// scene then lists all items in no order it promises (once an item has
// been removed, in the order of their addresses); asked for the items of
// an area, it sorts them by stacking. Items of an empty area come last.
QList<QGraphicsItem *> stackingOrder(const Canvas *canvas)
{
    const QList<QGraphicsItem *> all = canvas->items();
    QRectF everywhere;
    for (const QGraphicsItem *item : all)
        everywhere |= item->sceneBoundingRect();
    QList<QGraphicsItem *> ordered =
        canvas->items(everywhere.adjusted(-1, -1, 1, 1), Qt::IntersectsItemBoundingRect, Qt::AscendingOrder);
    if (ordered.size() != all.size()) {
        const QSet<QGraphicsItem *> placed(ordered.cbegin(), ordered.cend());
        for (QGraphicsItem *item : all) {
            if (!placed.contains(item))
                ordered << item;
        }
    }
    return ordered;
}

} // namespace

DiagramPicture::DiagramPicture(Canvas *canvas)
    : m_canvas(canvas)
{
    // A canvas of an opened project may not have made its items yet.
    m_canvas->makePendingItems();
    m_signalsWereBlocked = m_canvas->blockSignals(true);
    m_items = stackingOrder(m_canvas);
    for (QGraphicsItem *item : qAsConst(m_items)) {
        hideHelper(item);
        switchOffShadow(item);
        switchOffCache(item);
    }
    dropSelection();
    m_area = itemsArea(m_items);
}

DiagramPicture::~DiagramPicture()
{
    restore();
}

void DiagramPicture::hideHelper(QGraphicsItem *item)
{
    if (item->isVisible() && isHelper(m_canvas, item)) {
        item->hide();
        m_hidden << item;
    }
}

// Items draw their shadow through a graphics effect; switching it off for
// the picture (and back on afterwards) is all a shadow needs.
void DiagramPicture::switchOffShadow(QGraphicsItem *item)
{
    QGraphicsEffect *effect = item->graphicsEffect();
    if (effect && effect->isEnabled()) {
        effect->setEnabled(false);
        m_shadows << effect;
    }
}

// Items kept as cached pixmaps would reach SVG and PDF as pictures of
// themselves, and PNG at the screen's resolution; drawn afresh they stay
// vectors and text.
void DiagramPicture::switchOffCache(QGraphicsItem *item)
{
    if (item->cacheMode() != QGraphicsItem::NoCache) {
        m_cached << qMakePair(item, item->cacheMode());
        item->setCacheMode(QGraphicsItem::NoCache);
    }
}

void DiagramPicture::dropSelection()
{
    m_selected = m_canvas->selectedItems();
    m_canvas->clearSelection();
    m_marked = m_canvas->markedItem();
    m_markedAll = m_canvas->markedItems();
    m_canvas->unmarkAll();
}

void DiagramPicture::restore()
{
    for (DiagramItem *item : qAsConst(m_markedAll))
        m_canvas->markItem(item);
    if (m_marked)
        m_canvas->markItem(m_marked);
    for (QGraphicsItem *item : qAsConst(m_selected))
        item->setSelected(true);
    for (const auto &cached : qAsConst(m_cached))
        cached.first->setCacheMode(cached.second);
    for (const QPointer<QGraphicsEffect> &effect : qAsConst(m_shadows)) {
        if (effect)
            effect->setEnabled(true);
    }
    for (QGraphicsItem *item : qAsConst(m_hidden))
        item->show();
    m_canvas->blockSignals(m_signalsWereBlocked);
}

QRectF DiagramPicture::itemsArea(const QList<QGraphicsItem *> &items)
{
    QList<QRectF> rects;
    for (QGraphicsItem *item : items) {
        if (!item->isVisible())
            continue;
        if (item->type() == QGraphicsLineItem::Type)
            settleConnector(item);
        rects << item->sceneBoundingRect();
    }
    return pictureArea(rects, Margin);
}

QBrush DiagramPicture::background() const
{
    const QBrush brush = m_canvas->backgroundBrush();
    return brush.style() == Qt::NoBrush ? QBrush(Qt::white) : brush;
}

QTransform DiagramPicture::sceneToTarget(const QRectF &target) const
{
    const QRectF fitted = fittedRect(m_area.size(), target);
    const qreal scale = m_area.width() > 0 ? fitted.width() / m_area.width() : 1.0;
    QTransform transform;
    transform.translate(fitted.x(), fitted.y());
    transform.scale(scale, scale);
    transform.translate(-m_area.x(), -m_area.y());
    return transform;
}

void DiagramPicture::paint(QPainter *painter, const QRectF &target) const
{
    // The items are drawn the way the scene draws them, bottom to top,
    // each from the same starting state. The scene's own render() saves
    // and restores the painter around every item, which a vector device
    // writes out as a group of its own; for a diagram of a few hundred
    // items that doubled the size and the time of an SVG file.
    painter->save();
    const QPainter::RenderHints hints = QPainter::Antialiasing | QPainter::TextAntialiasing
                                        | QPainter::SmoothPixmapTransform;
    // Items lay out their text in screen pixels; a font given in points
    // would grow with a printer's or PDF's resolution.
    QFont font = m_canvas->font();
    if (font.pixelSize() <= 0)
        font.setPixelSize(qRound(font.pointSizeF() * ScreenDpi / 72.0));
    const QTransform base = sceneToTarget(target) * painter->worldTransform();
    const qreal opacity = painter->opacity();
    QStyleOptionGraphicsItem option;
    for (QGraphicsItem *item : m_items) {
        if (!item->isVisible())
            continue;
        painter->setWorldTransform(item->sceneTransform() * base);
        painter->setOpacity(opacity * item->effectiveOpacity());
        painter->setRenderHints(hints, true);
        painter->setPen(QPen());
        painter->setBrush(Qt::NoBrush);
        painter->setFont(font);
        option.state = item->isEnabled() ? QStyle::State_Enabled : QStyle::State_None;
        option.exposedRect = item->boundingRect();
        option.rect = option.exposedRect.toAlignedRect();
        item->paint(painter, &option, nullptr);
    }
    painter->restore();
}
