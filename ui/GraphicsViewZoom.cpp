#include "GraphicsViewZoom.h"

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

void GraphicsViewZoom::setZoomFactorBase(double value)
{
    m_zoomFactorBase = value;
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

void zoomViewIn(QGraphicsView *view)
{
    view->centerOn(0, 0);
    const QTransform t = view->transform();
    view->translate(t.dx(), t.dy());
    view->scale(1.1, 1.1);
}

void zoomViewOut(QGraphicsView *view)
{
    view->centerOn(0, 0);
    const QTransform t = view->transform();
    view->translate(t.dx(), t.dy());
    view->scale(0.9, 0.9);
}

void fitViewToItems(QGraphicsView *view, QGraphicsScene *scene)
{
    if (!scene)
        return;
    view->ensureVisible(scene->sceneRect(), 50, 50);
    view->fitInView(scene->itemsBoundingRect(), Qt::KeepAspectRatio);
}

void setViewScale(QGraphicsView *view, double sx, double sy)
{
    const QTransform t = view->transform();
    const qreal dx = t.dx();
    const qreal dy = t.dy();
    view->resetTransform();
    view->translate(dx, dy);
    view->scale(sx, sy);
}
