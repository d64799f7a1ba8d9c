#pragma once

// Labels that tell items apart. The project file joins transitions to
// states, and links and dataflows to process and memory items, by label,
// so states, process items and memory items need labels of their own on
// their canvas: two items of one kind with the same label (or two states
// without one) come back from the file rewired. New items get the first
// label that is free on their canvas, and the property dialogs refuse a
// label that is empty where one is needed, blank only, or taken.
//
// A label counts as taken by a listed item of the same kind and also by an
// item of that kind the canvas's undo stack can still bring back, so that
// no Undo or Redo ever puts two equal labels on one canvas.

#include "LabelCheck.h"

#include <QSet>
#include <QString>

class ItemCanvas;
class QGraphicsItem;

namespace LabelRules {

// The first count from firstCount up for which stem + count is not in used.
int firstFreeCount(const QString &stem, int firstCount, const QSet<QString> &used);
// stem followed by the first count from firstCount up whose label is not
// in used ("State" and 1 give "State1", "State2", ...).
QString firstFree(const QString &stem, int firstCount, const QSet<QString> &used);

// Labels of the items of `kind` (ItemType::State, Process or Memory) on
// canvas, except `except`. withRedo also counts items Redo could bring
// back; a new item leaves them out, because pushing its command discards
// everything Redo could have done.
QSet<QString> labelsInUse(const ItemCanvas &canvas, int kind, const QGraphicsItem *except,
                          bool withRedo = true);

// Why `entered` cannot become the label of `item` (of `kind`, on canvas),
// or an empty text. The label is judged with its outer blanks trimmed.
QString refusal(const ItemCanvas &canvas, int kind, const QGraphicsItem *item,
                const QString &entered);
// The same as a check for the item's property dialog.
LabelCheck check(const ItemCanvas &canvas, int kind, const QGraphicsItem *item);

// The label a copy of an item labelled `label` gets where `used` labels are
// taken: the label itself while it is free, else its stem (the label
// without trailing digits) followed by the first free count above the
// label's own number ("Idle" gives "Idle2", "State3" gives "State4").
QString copyLabel(const QString &label, const QSet<QString> &used);

// "State1", "State2", ...: the first free one on a state machine.
QString newStateLabel(const ItemCanvas &canvas);
// "process_" + (canvas level + 1) + a count: the number of process items
// on the canvas (item, already listed, included), or the first count above
// it that is free.
QString newProcessLabel(const ItemCanvas &canvas, const QGraphicsItem *item);
// The number of memory items on the canvas, or the first count above it for
// which "var_" + (canvas level + 1) + count is free.
int newMemoryCount(const ItemCanvas &canvas);

} // namespace LabelRules
