#include "ArrowKeys.h"

QPointF arrowKeyStep(int key, Qt::KeyboardModifiers modifiers)
{
    const qreal distance = (modifiers & Qt::ShiftModifier) ? 10 : 1;
    switch (key) {
    case Qt::Key_Left:
        return QPointF(-distance, 0);
    case Qt::Key_Right:
        return QPointF(distance, 0);
    case Qt::Key_Up:
        return QPointF(0, -distance);
    case Qt::Key_Down:
        return QPointF(0, distance);
    default:
        return QPointF();
    }
}
