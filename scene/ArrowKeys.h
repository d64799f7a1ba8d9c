#pragma once

// How far an arrow key moves the selected items: 1 px, 10 px with Shift.
// Any other key gives a null step.

#include <Qt>
#include <QPointF>

QPointF arrowKeyStep(int key, Qt::KeyboardModifiers modifiers);
