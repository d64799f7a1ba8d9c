#pragma once

// The item kinds a canvas knows. Everything else in the scene finds a
// kind's description here by type number or drawing-mode number. The list
// is in load order: the order in which a fresh load stacks a canvas's
// items, kind after kind. The list itself is ItemKindList.cpp, the one
// place that names every kind.

#include <QList>

class ItemKind;

namespace ItemKinds {

// The number of the select mode, after the kinds' drawing modes (0..6).
constexpr int SelectModeNumber = 7;

// Every kind, in the model's load order (RecordKinds; listed in
// ItemKindList.cpp).
const QList<const ItemKind *> &all();
// The kind of type number `type`, or null for anything that is not a
// diagram item (connector lines, floating ends, the initial marker).
const ItemKind *of(int type);
// The kind whose drawing mode has number `mode`, or null (select mode).
const ItemKind *forMode(int mode);
// The kind whose records are alternative `index` of ItemRecord, or null.
const ItemKind *forRecord(int index);

} // namespace ItemKinds
