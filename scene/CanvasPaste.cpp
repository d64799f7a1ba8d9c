#include "CanvasPaste.h"

#include "Canvas.h"
#include "ClipRecords.h"
#include "PasteItemsCommand.h"
#include "ProcessItem.h"

#include <QUndoStack>

namespace {

// A state machine is drawn on a canvas of the deepest level.
constexpr int kMachineLevel = 5;

int recordCount(const ProjectRecordLists &r)
{
    return r.processes.size() + r.links.size() + r.memories.size() + r.dataflows.size()
        + r.states.size() + r.transitions.size() + r.texts.size();
}

QHash<QString, ProcessItem *> placeProcesses(Canvas *canvas, const QVector<ProcessRecord> &records,
                                             const QPointF &offset, QList<DiagramItem *> *made)
{
    QHash<QString, ProcessItem *> placed;
    for (ProcessRecord r : records) {
        r.xCoord += offset.x();
        r.yCoord += offset.y();
        auto *item = new ProcessItem(canvas->menuOf(ItemType::Process), r.xCoord, r.yCoord, r.shape);
        item->applyRecord(r);
        canvas->placeProcessItem(item, r.label);
        placed.insert(r.label, item);
        made->append(item);
    }
    return placed;
}

} // namespace

namespace CanvasPaste {

bool fits(const Canvas &canvas, const ProjectRecordLists &records)
{
    const bool machine = canvas.level() >= kMachineLevel;
    const bool machineItems =
        !records.states.isEmpty() || !records.transitions.isEmpty() || !records.texts.isEmpty();
    const bool processItems =
        !records.processes.isEmpty() || !records.links.isEmpty() || !records.dataflows.isEmpty();
    if (ClipRecords::isEmptyClip(records))
        return false;
    // Memory items (variables) belong on either kind.
    return machine ? !processItems : !machineItems;
}

QList<DiagramItem *> paste(Canvas *canvas, const ProjectRecordLists &records, const QPointF &offset,
                           QHash<QString, StateItem *> *states)
{
    QList<DiagramItem *> made;
    if (!fits(*canvas, records))
        return made;
    if (records.processes.isEmpty()) {
        auto *command = new PasteItemsCommand(canvas, records, offset);
        made = command->items();
        if (states)
            *states = command->statesByClipLabel();
        if (made.isEmpty())
            delete command;
        else
            canvas->pushCommand(command);
        return made;
    }
    // Process items are inserted (and their steps pushed) as by a click,
    // so the whole paste is one macro step.
    QUndoStack *stack = canvas->undoStack();
    const int count = recordCount(records);
    stack->beginMacro(count == 1 ? QStringLiteral("Paste Item")
                                 : QStringLiteral("Paste %1 Items").arg(count));
    const QHash<QString, ProcessItem *> processes =
        placeProcesses(canvas, records.processes, offset, &made);
    auto *command = new PasteItemsCommand(canvas, records, offset, processes);
    made += command->items();
    if (command->items().isEmpty())
        delete command;
    else
        canvas->pushCommand(command);
    stack->endMacro();
    // Only what was pasted is selected: Delete or a move right after the
    // paste must not take the originals along.
    canvas->clearSelection();
    for (DiagramItem *item : qAsConst(made))
        item->setSelected(true);
    return made;
}

} // namespace CanvasPaste
