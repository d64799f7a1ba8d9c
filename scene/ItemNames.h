#pragma once

// How the undo steps name the items they change: the kind ("State",
// "Process Item", ...) and the item's label in quotes where it has one, as
// in "Move State 'Idle'".

#include <QList>
#include <QString>

class DiagramItem;

namespace ItemNames {

// "State", "Transition", "Text", "Process Item", "Link", "Memory Item",
// "Dataflow" for an ItemType value; "Item" for anything else.
QString kindName(int kind);
// The item's label, or an empty text for a text item.
QString label(const DiagramItem *item);
// "State 'Idle'", or the kind alone for an item without a label.
QString describe(const DiagramItem *item);
QString describe(int kind, const QString &label);
// "<verb> State 'Idle'" for one item, "<verb> 3 Items" for several.
QString stepText(const QString &verb, const DiagramItem *item);
QString stepText(const QString &verb, const QList<DiagramItem *> &items);

} // namespace ItemNames
