#include "SceneMouse.h"

#include <QCoreApplication>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>

namespace {

void send(QGraphicsScene *scene, QEvent::Type type, const QPointF &point, Qt::MouseButton button,
          Qt::MouseButtons buttons, const QPointF &pressedAt)
{
    QGraphicsSceneMouseEvent event(type);
    event.setButton(button);
    event.setButtons(buttons);
    event.setScenePos(point);
    event.setButtonDownScenePos(Qt::LeftButton, pressedAt);
    QCoreApplication::sendEvent(scene, &event);
}

} // namespace

namespace SceneMouse {

void click(QGraphicsScene *scene, const QPointF &point)
{
    send(scene, QEvent::GraphicsSceneMousePress, point, Qt::LeftButton, Qt::LeftButton, point);
    send(scene, QEvent::GraphicsSceneMouseRelease, point, Qt::LeftButton, Qt::NoButton, point);
}

void drag(QGraphicsScene *scene, const QPointF &from, const QPointF &to)
{
    send(scene, QEvent::GraphicsSceneMousePress, from, Qt::LeftButton, Qt::LeftButton, from);
    send(scene, QEvent::GraphicsSceneMouseMove, to, Qt::NoButton, Qt::LeftButton, from);
    send(scene, QEvent::GraphicsSceneMouseRelease, to, Qt::LeftButton, Qt::NoButton, from);
}

} // namespace SceneMouse
