#pragma once

// The one place that lists the item kinds a canvas knows. Everything else
// in the scene finds a kind's description here by type number or drawing
// mode. The list is in load order: the order in which a fresh load stacks
// a canvas's items, kind after kind.

#include <QList>

class ItemKind;

namespace ItemKinds {

// Every kind, in load order.
const QList<const ItemKind *> &all();
// The kind of type number `type`, or null for anything that is not a
// diagram item (connector lines, floating ends, the initial marker).
const ItemKind *of(int type);
// The kind a drawing mode makes, or null (select mode).
const ItemKind *forMode(int mode);

} // namespace ItemKinds
