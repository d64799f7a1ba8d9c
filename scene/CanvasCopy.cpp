#include "CanvasCopy.h"

#include "Canvas.h"
#include "DataflowItem.h"
#include "LinkItem.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"

#include <QSet>

#include <limits>

namespace {

// Selected listed items, with the ends of every selected connector.
QSet<const QGraphicsItem *> copiedItems(const Canvas &canvas)
{
    QSet<const QGraphicsItem *> chosen;
    for (QGraphicsItem *item : canvas.selectedItems()) {
        DiagramItem *listed = canvas.registeredItem(item);
        if (!listed)
            continue;
        chosen.insert(listed);
        if (auto *transition = qobject_cast<TransitionItem *>(listed)) {
            chosen.insert(transition->startItem());
            chosen.insert(transition->endItem());
        } else if (auto *link = qobject_cast<LinkItem *>(listed)) {
            chosen.insert(link->startItem());
            chosen.insert(link->endItem());
        } else if (auto *dataflow = qobject_cast<DataflowItem *>(listed)) {
            chosen.insert(dataflow->process());
            chosen.insert(dataflow->memory());
        }
    }
    chosen.remove(nullptr);
    return chosen;
}

template <class Item, class Record>
void take(const QList<Item *> &items, const QSet<const QGraphicsItem *> &chosen,
          QVector<Record> *records)
{
    for (const Item *item : items) {
        if (chosen.contains(item))
            records->append(item->toRecord());
    }
}

template <class Record>
void addLabels(const QVector<Record> &records, QStringList *labels)
{
    for (const Record &r : records) {
        if (!r.label.isEmpty())
            labels->append(r.label);
    }
}

template <class Record>
void widen(const QVector<Record> &records, QPointF *corner, bool *any)
{
    for (const Record &r : records) {
        corner->setX(qMin(corner->x(), r.xCoord));
        corner->setY(qMin(corner->y(), r.yCoord));
        *any = true;
    }
}

} // namespace

namespace CanvasCopy {

ProjectRecordLists selectedRecords(const Canvas &canvas)
{
    const QSet<const QGraphicsItem *> chosen = copiedItems(canvas);
    ProjectRecordLists records;
    if (chosen.isEmpty())
        return records;
    take(canvas.states(), chosen, &records.states);
    take(canvas.transitions(), chosen, &records.transitions);
    take(canvas.textItems(), chosen, &records.texts);
    take(canvas.processItems(), chosen, &records.processes);
    take(canvas.links(), chosen, &records.links);
    take(canvas.memoryItems(), chosen, &records.memories);
    take(canvas.dataflows(), chosen, &records.dataflows);
    return records;
}

QString labelText(const ProjectRecordLists &records)
{
    QStringList labels;
    addLabels(records.states, &labels);
    addLabels(records.processes, &labels);
    addLabels(records.memories, &labels);
    addLabels(records.transitions, &labels);
    addLabels(records.links, &labels);
    addLabels(records.dataflows, &labels);
    return labels.join(QLatin1Char('\n'));
}

QPointF topLeft(const ProjectRecordLists &records)
{
    const qreal far = std::numeric_limits<qreal>::max();
    QPointF corner(far, far);
    bool any = false;
    widen(records.states, &corner, &any);
    widen(records.texts, &corner, &any);
    widen(records.processes, &corner, &any);
    widen(records.memories, &corner, &any);
    return any ? corner : QPointF();
}

} // namespace CanvasCopy
