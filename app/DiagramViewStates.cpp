#include "DiagramViewStates.h"

#include "Canvas.h"
#include "GraphicsViewZoom.h"

#include <QGraphicsView>
#include <QScrollBar>

DiagramViewStates::DiagramViewStates(QGraphicsView *view, QObject *parent)
    : QObject(parent), m_view(view)
{
}

void DiagramViewStates::leave(Canvas *canvas)
{
    if (!canvas)
        return;
    if (!m_states.contains(canvas)) {
        // A canvas destroyed with its node takes its entry along.
        connect(canvas, &QObject::destroyed, this,
                [this, canvas] { m_states.remove(canvas); });
    }
    m_states.insert(canvas, ViewState{m_view->transform(), m_view->horizontalScrollBar()->value(),
                                      m_view->verticalScrollBar()->value()});
}

void DiagramViewStates::enter(Canvas *canvas)
{
    if (!canvas)
        return;
    const auto it = m_states.constFind(canvas);
    if (it == m_states.constEnd()) {
        showFirstLook();
        return;
    }
    m_view->setTransform(it->transform);
    m_view->horizontalScrollBar()->setValue(it->horizontal);
    m_view->verticalScrollBar()->setValue(it->vertical);
}

void DiagramViewStates::showFirstLook()
{
    // The scene's top-left corner at 100 %, not where the diagram shown
    // before was scrolled to or zoomed; fitted when the items do not fit.
    showDiagramFirstTime(m_view);
}

void DiagramViewStates::clear()
{
    m_states.clear();
}
