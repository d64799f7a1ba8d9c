#include "LabelRules.h"

#include "AddMemoryCommand.h"
#include "AddStateCommand.h"
#include "Canvas.h"
#include "DeleteItemCommand.h"
#include "DeleteStateCommand.h"
#include "ItemTypes.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "StateItem.h"

#include <QUndoStack>

namespace {

template <class T> void addLabels(const QList<T *> &items, const QGraphicsItem *except,
                                  QSet<QString> *labels)
{
    for (const T *item : items) {
        if (static_cast<const QGraphicsItem *>(item) != except)
            labels->insert(item->label());
    }
}

QSet<QString> listedLabels(const Canvas &canvas, int kind, const QGraphicsItem *except)
{
    QSet<QString> labels;
    switch (kind) {
    case ItemType::State: addLabels(canvas.states(), except, &labels); break;
    case ItemType::Process: addLabels(canvas.processItems(), except, &labels); break;
    case ItemType::Memory: addLabels(canvas.memoryItems(), except, &labels); break;
    default: break;
    }
    return labels;
}

// The item an undo stack entry would put back on the canvas: a deleted
// state below the stack index (Undo restores it), an inserted state or
// memory item at or above it (Redo restores it). Null for anything else.
const QGraphicsItem *restoredBy(const Canvas &canvas, const QUndoCommand *command, bool undone,
                                int kind)
{
    if (kind == ItemType::State) {
        if (const auto *del = dynamic_cast<const DeleteStateCommand *>(command))
            return undone ? nullptr : del->state();
        if (const auto *add = dynamic_cast<const AddStateCommand *>(command))
            return undone ? add->state() : nullptr;
    } else if (kind == ItemType::Memory) {
        const auto *add = dynamic_cast<const AddMemoryCommand *>(command);
        if (add && undone)
            return add->memoryItem();
        const auto *del = dynamic_cast<const DeleteItemCommand *>(command);
        if (del && !undone && del->item() && del->item()->type() == ItemType::Memory)
            return del->item();
    }
    return nullptr;
}

QString labelOf(const QGraphicsItem *item)
{
    switch (item->type()) {
    case ItemType::State: return static_cast<const StateItem *>(item)->label();
    case ItemType::Memory: return static_cast<const MemoryItem *>(item)->label();
    default: return QString();
    }
}

QSet<QString> restorableLabels(const Canvas &canvas, int kind, bool withRedo)
{
    QSet<QString> labels;
    const QUndoStack *stack = canvas.undoStack();
    for (int i = 0; i < stack->count(); ++i) {
        const bool undone = i >= stack->index();
        if (undone && !withRedo)
            continue;
        const QGraphicsItem *item = restoredBy(canvas, stack->command(i), undone, kind);
        if (item && !canvas.registeredItem(item))
            labels.insert(labelOf(item));
    }
    return labels;
}

QString kindNoun(int kind)
{
    switch (kind) {
    case ItemType::State: return QStringLiteral("state");
    case ItemType::Process: return QStringLiteral("process item");
    default: return QStringLiteral("memory item");
    }
}

} // namespace

namespace LabelRules {

int firstFreeCount(const QString &stem, int firstCount, const QSet<QString> &used)
{
    int count = firstCount;
    while (used.contains(stem + QString::number(count)))
        ++count;
    return count;
}

QString firstFree(const QString &stem, int firstCount, const QSet<QString> &used)
{
    return stem + QString::number(firstFreeCount(stem, firstCount, used));
}

QSet<QString> labelsInUse(const Canvas &canvas, int kind, const QGraphicsItem *except,
                          bool withRedo)
{
    return listedLabels(canvas, kind, except) + restorableLabels(canvas, kind, withRedo);
}

QString refusal(const Canvas &canvas, int kind, const QGraphicsItem *item, const QString &entered)
{
    const QString label = entered.trimmed();
    const QString noun = kindNoun(kind);
    if (label.isEmpty() && !entered.isEmpty())
        return QStringLiteral("The label of a %1 cannot consist of blanks only.").arg(noun);
    // A memory item may stay unnamed as long as it is the only one.
    if (label.isEmpty() && kind != ItemType::Memory)
        return QStringLiteral("The label of a %1 cannot be empty.").arg(noun);
    // The project tree stores a process label on one line, split at tabs.
    if (kind == ItemType::Process && (label.contains(QLatin1Char('\t'))
                                      || label.contains(QLatin1Char('\n'))))
        return QStringLiteral("The label of a process item cannot contain tabs or line breaks.");
    if (listedLabels(canvas, kind, item).contains(label)) {
        if (label.isEmpty())
            return QStringLiteral("Another %1 on this diagram has no label either. "
                                  "Please give this one a label.").arg(noun);
        return QStringLiteral("Another %1 on this diagram is already labelled \"%2\". "
                              "Please choose a different label.").arg(noun, label);
    }
    if (restorableLabels(canvas, kind, true).contains(label))
        return QStringLiteral("A deleted or undone %1 that Undo or Redo can bring back on this "
                              "diagram is labelled \"%2\". Please choose a different label.")
            .arg(noun, label);
    return QString();
}

LabelCheck check(const Canvas &canvas, int kind, const QGraphicsItem *item)
{
    const Canvas *c = &canvas;
    return [c, kind, item](const QString &entered) { return refusal(*c, kind, item, entered); };
}

QString copyLabel(const QString &label, const QSet<QString> &used)
{
    if (!used.contains(label))
        return label;
    int digits = 0;
    while (digits < label.size() && digits < 9 && label.at(label.size() - 1 - digits).isDigit())
        ++digits;
    const QString stem = label.left(label.size() - digits);
    const int number = digits > 0 ? label.right(digits).toInt() : 1;
    return firstFree(stem, number + 1, used);
}

QString newStateLabel(const Canvas &canvas)
{
    return firstFree(QStringLiteral("State"), 1,
                     labelsInUse(canvas, ItemType::State, nullptr, false));
}

QString newProcessLabel(const Canvas &canvas, const QGraphicsItem *item)
{
    const QString stem = QStringLiteral("process_") + QString::number(canvas.level() + 1);
    // The count of process items (the new one included), unless it is taken.
    return firstFree(stem, canvas.processItems().size(),
                     labelsInUse(canvas, ItemType::Process, item, false));
}

int newMemoryCount(const Canvas &canvas)
{
    const QString stem = QStringLiteral("var_") + QString::number(canvas.level() + 1);
    // The count of memory items before the new one, unless it is taken.
    return firstFreeCount(stem, canvas.memoryItems().size(),
                          labelsInUse(canvas, ItemType::Memory, nullptr, false));
}

} // namespace LabelRules
