#include "SimulationViewGuard.h"

#include <QContextMenuEvent>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QScrollBar>

SimulationViewGuard::SimulationViewGuard(QGraphicsView *view, ContextMenuHandler handler, QObject *parent)
    : QObject(parent), m_view(view), m_handler(std::move(handler))
{
    m_view->viewport()->installEventFilter(this);
    m_view->installEventFilter(this);
}

SimulationViewGuard::~SimulationViewGuard()
{
    if (m_view) {
        m_view->viewport()->removeEventFilter(this);
        m_view->removeEventFilter(this);
    }
}

bool SimulationViewGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_view)
        return false;
    if (watched == m_view)
        return event->type() == QEvent::KeyPress && scrollByArrowKey(static_cast<QKeyEvent *>(event));
    if (watched != m_view->viewport())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    case QEvent::ContextMenu: {
        const auto *menuEvent = static_cast<QContextMenuEvent *>(event);
        if (m_handler)
            m_handler(m_view->items(menuEvent->pos()), menuEvent->globalPos());
        return true;
    }
    default:
        return false;
    }
}

bool SimulationViewGuard::scrollByArrowKey(const QKeyEvent *event)
{
    // Arrow keys would move the selected items: they scroll the view only.
    QScrollBar *bar = nullptr;
    QAbstractSlider::SliderAction step = QAbstractSlider::SliderSingleStepAdd;
    switch (event->key()) {
    case Qt::Key_Left: step = QAbstractSlider::SliderSingleStepSub; Q_FALLTHROUGH();
    case Qt::Key_Right: bar = m_view->horizontalScrollBar(); break;
    case Qt::Key_Up: step = QAbstractSlider::SliderSingleStepSub; Q_FALLTHROUGH();
    case Qt::Key_Down: bar = m_view->verticalScrollBar(); break;
    default: return false;
    }
    bar->triggerAction(step);
    return true;
}
