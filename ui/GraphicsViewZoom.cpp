#include "GraphicsViewZoom.h"

#include "Canvas.h"

#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtMath>

GraphicsViewZoom::GraphicsViewZoom(QGraphicsView *view)
    : QObject(view), m_view(view)
{
    m_view->viewport()->installEventFilter(this);
    // Without tracking, moves only arrive while a button is held and the
    // anchor would lag behind the cursor.
    m_view->setMouseTracking(true);
}

void GraphicsViewZoom::gentleZoom(double factor)
{
    factor = limitedZoomFactor(m_view->transform().m11(), factor);
    m_view->scale(factor, factor);
    m_view->centerOn(m_targetScenePos);
    const QPointF deltaViewportPos = m_targetViewportPos
            - QPointF(m_view->viewport()->width() / 2.0, m_view->viewport()->height() / 2.0);
    const QPointF viewportCenter = m_view->mapFromScene(m_targetScenePos) - deltaViewportPos;
    m_view->centerOn(m_view->mapToScene(viewportCenter.toPoint()));
    emit zoomed();
}

void GraphicsViewZoom::setModifiers(Qt::KeyboardModifiers modifiers)
{
    m_modifiers = modifiers;
}

void GraphicsViewZoom::setEnabled(bool enabled)
{
    m_enabled = enabled;
}

bool GraphicsViewZoom::eventFilter(QObject *object, QEvent *event)
{
    Q_UNUSED(object);
    if (!m_enabled)
        return false;
    if (event->type() == QEvent::MouseMove) {
        const QPointF pos = static_cast<QMouseEvent *>(event)->localPos();
        const QPointF delta = m_targetViewportPos - pos;
        if (qAbs(delta.x()) > 5 || qAbs(delta.y()) > 5) {
            m_targetViewportPos = pos.toPoint();
            m_targetScenePos = m_view->mapToScene(pos.toPoint());
        }
    } else if (event->type() == QEvent::Wheel) {
        const QWheelEvent *wheel = static_cast<QWheelEvent *>(event);
        const QPoint angle = wheel->angleDelta();
        const bool vertical = qAbs(angle.x()) <= qAbs(angle.y());
        if (QApplication::keyboardModifiers() == m_modifiers && vertical) {
            gentleZoom(qPow(m_zoomFactorBase, angle.y()));
            return true;
        }
    }
    return false;
}

double limitedViewScale(double scale)
{
    return qBound(MinViewScale, scale, MaxViewScale);
}

double limitedZoomFactor(double scale, double factor)
{
    if (scale <= 0 || factor <= 0)
        return 1.0;
    return limitedViewScale(scale * factor) / scale;
}

namespace {
void zoomViewBy(QGraphicsView *view, double factor)
{
    view->centerOn(0, 0);
    const QTransform t = view->transform();
    view->translate(t.dx(), t.dy());
    factor = limitedZoomFactor(t.m11(), factor);
    view->scale(factor, factor);
}
} // namespace

void zoomViewIn(QGraphicsView *view)
{
    zoomViewBy(view, 1.1);
}

void zoomViewOut(QGraphicsView *view)
{
    zoomViewBy(view, 0.9);
}

QRectF diagramItemsRect(QGraphicsScene *scene)
{
    if (!scene)
        return QRectF();
    const auto *canvas = dynamic_cast<const Canvas *>(scene);
    QRectF rect;
    for (QGraphicsItem *item : scene->items()) {
        if (!item->isVisible() || (canvas && item == canvas->titleItem()))
            continue;
        rect |= item->sceneBoundingRect();
    }
    return rect;
}

void fitViewToItems(QGraphicsView *view, QGraphicsScene *scene)
{
    const QRectF content = diagramItemsRect(scene);
    if (content.isEmpty())
        return;
    // Items touching the view's edge look cut off: a margin of a twentieth
    // of the items' size, and at least 20 units, stays around them.
    const qreal margin = qMax<qreal>(20.0, 0.05 * qMax(content.width(), content.height()));
    const QRectF items = content.adjusted(-margin, -margin, margin, margin);
    view->fitInView(items, Qt::KeepAspectRatio);
    // A single small item would be blown up beyond the limit, a huge
    // diagram shrunk below it.
    const QTransform t = view->transform();
    if (t.m11() != limitedViewScale(t.m11()) || t.m22() != limitedViewScale(t.m22())) {
        setViewScale(view, t.m11(), t.m22());
        view->centerOn(items.center());
    }
}

void setViewScale(QGraphicsView *view, double sx, double sy)
{
    const QTransform t = view->transform();
    const qreal dx = t.dx();
    const qreal dy = t.dy();
    view->resetTransform();
    view->translate(dx, dy);
    view->scale(limitedViewScale(sx), limitedViewScale(sy));
}

void bringItemsIntoView(QGraphicsView *view)
{
    QGraphicsScene *scene = view->scene();
    if (!scene)
        return;
    const QRectF items = diagramItemsRect(scene);
    const QRectF visible = view->mapToScene(view->viewport()->rect()).boundingRect();
    if (items.isEmpty() || visible.intersects(items))
        return;
    if (items.width() <= visible.width() && items.height() <= visible.height())
        view->centerOn(items.center());
    else
        view->ensureVisible(QRectF(items.topLeft(), QSizeF(1, 1)), 20, 20);
}

void showDiagramFirstTime(QGraphicsView *view)
{
    setViewScale(view, 1.0, 1.0);
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->minimum());
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->minimum());
    const QRectF items = diagramItemsRect(view->scene());
    const QSizeF visible = view->mapToScene(view->viewport()->rect()).boundingRect().size();
    if (!items.isEmpty() && (items.width() > visible.width() || items.height() > visible.height()))
        fitViewToItems(view, view->scene());
    else
        bringItemsIntoView(view);
}
