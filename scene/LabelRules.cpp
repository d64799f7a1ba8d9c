#include "LabelRules.h"

#include "CanvasCommand.h"
#include "ItemCanvas.h"
#include "ItemKind.h"
#include "ItemKinds.h"
#include "ItemTypes.h"

#include <QUndoStack>

namespace {

QSet<QString> listedLabels(const ItemCanvas &canvas, int kind, const QGraphicsItem *except)
{
    QSet<QString> labels;
    const ItemKind *described = ItemKinds::of(kind);
    if (!described || !described->hasUniqueLabel())
        return labels;
    for (const DiagramItem *item : canvas.itemsOfKind(kind)) {
        if (static_cast<const QGraphicsItem *>(item) != except)
            labels.insert(item->label());
    }
    return labels;
}

// The item of `kind` an undo stack entry would put back on the canvas: a
// deletion below the stack index (Undo restores it), an insertion at or
// above it (Redo restores it). Null for anything else.
const DiagramItem *restoredBy(const QUndoCommand *command, bool undone, int kind)
{
    const auto *step = dynamic_cast<const CanvasCommand *>(command);
    if (!step)
        return nullptr;
    const DiagramItem *item = undone ? step->itemRedoRestores() : step->itemUndoRestores();
    return item && item->type() == kind ? item : nullptr;
}

QSet<QString> restorableLabels(const ItemCanvas &canvas, int kind, bool withRedo)
{
    QSet<QString> labels;
    const QUndoStack *stack = canvas.undoStack();
    for (int i = 0; i < stack->count(); ++i) {
        const bool undone = i >= stack->index();
        if (undone && !withRedo)
            continue;
        const DiagramItem *item = restoredBy(stack->command(i), undone, kind);
        if (item && !canvas.registeredItem(item))
            labels.insert(item->label());
    }
    return labels;
}

QString kindNoun(int kind)
{
    const ItemKind *described = ItemKinds::of(kind);
    return described ? described->noun() : QStringLiteral("item");
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

QSet<QString> labelsInUse(const ItemCanvas &canvas, int kind, const QGraphicsItem *except,
                          bool withRedo)
{
    return listedLabels(canvas, kind, except) + restorableLabels(canvas, kind, withRedo);
}

QString refusal(const ItemCanvas &canvas, int kind, const QGraphicsItem *item, const QString &entered)
{
    const QString label = entered.trimmed();
    const QString noun = kindNoun(kind);
    if (label.isEmpty() && !entered.isEmpty())
        return QStringLiteral("The label of a %1 cannot consist of blanks only.").arg(noun);
    const ItemKind *described = ItemKinds::of(kind);
    // A memory item may stay unnamed as long as it is the only one.
    if (label.isEmpty() && !(described && described->labelMayBeEmpty()))
        return QStringLiteral("The label of a %1 cannot be empty.").arg(noun);
    // The project tree stores a process label on one line, split at tabs.
    if (described && described->labelOnOneLine()
        && (label.contains(QLatin1Char('\t')) || label.contains(QLatin1Char('\n'))))
        return QStringLiteral("The label of a %1 cannot contain tabs or line breaks.").arg(noun);
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

LabelCheck check(const ItemCanvas &canvas, int kind, const QGraphicsItem *item)
{
    const ItemCanvas *c = &canvas;
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

QString newStateLabel(const ItemCanvas &canvas)
{
    return firstFree(QStringLiteral("State"), 1,
                     labelsInUse(canvas, ItemType::State, nullptr, false));
}

QString newProcessLabel(const ItemCanvas &canvas, const QGraphicsItem *item)
{
    const QString stem = QStringLiteral("process_") + QString::number(canvas.level() + 1);
    // The count of process items (the new one included), unless it is taken.
    return firstFree(stem, canvas.processItems().size(),
                     labelsInUse(canvas, ItemType::Process, item, false));
}

int newMemoryCount(const ItemCanvas &canvas)
{
    const QString stem = QStringLiteral("var_") + QString::number(canvas.level() + 1);
    // The count of memory items before the new one, unless it is taken.
    return firstFreeCount(stem, canvas.memoryItems().size(),
                          labelsInUse(canvas, ItemType::Memory, nullptr, false));
}

} // namespace LabelRules
