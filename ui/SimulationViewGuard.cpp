#include "SimulationViewGuard.h"

#include <QContextMenuEvent>
#include <QGraphicsView>

SimulationViewGuard::SimulationViewGuard(QGraphicsView *view, ContextMenuHandler handler, QObject *parent)
    : QObject(parent), m_view(view), m_handler(std::move(handler))
{
    m_view->viewport()->installEventFilter(this);
}

SimulationViewGuard::~SimulationViewGuard()
{
    if (m_view)
        m_view->viewport()->removeEventFilter(this);
}

bool SimulationViewGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_view || watched != m_view->viewport())
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
