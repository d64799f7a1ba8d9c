#pragma once

// Keeps a diagram read-only while it shows a simulation: the view's mouse
// presses, moves, releases and double-clicks never reach the scene, so
// nothing can be moved, inserted, connected, selected or opened. Scrolling
// and the wheel zoom stay. A right click is handed to the context-menu
// handler with the items under the pointer, topmost first, instead of the items'
// own menus. Arrow keys scroll the view instead of moving the selected
// items. Removing the guard (deleting it) gives the view back.

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>

#include <functional>

class QGraphicsItem;
class QGraphicsView;
class QKeyEvent;

class SimulationViewGuard : public QObject
{
    Q_OBJECT
public:
    using ContextMenuHandler = std::function<void(const QList<QGraphicsItem *> &items, const QPoint &globalPos)>;

    SimulationViewGuard(QGraphicsView *view, ContextMenuHandler handler, QObject *parent = nullptr);
    ~SimulationViewGuard() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool scrollByArrowKey(const QKeyEvent *event);

    QPointer<QGraphicsView> m_view;
    ContextMenuHandler m_handler;
};
