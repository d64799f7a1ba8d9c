#pragma once

// Mouse events sent straight to a scene at scene positions, for tests that
// drive a canvas without a view: a left click, and a left-button drag with
// one move on the way (a connection drag needs the move to end its rubber
// line where it is released).

#include <QPointF>

class QGraphicsScene;

namespace SceneMouse {

void click(QGraphicsScene *scene, const QPointF &point);
void drag(QGraphicsScene *scene, const QPointF &from, const QPointF &to);

} // namespace SceneMouse
