#include "CanvasFiller.h"

#include "Canvas.h"
#include "ItemKind.h"
#include "ItemKinds.h"
#include "ItemRecord.h"
#include "StateItem.h"

#include <QHash>

namespace {

// Lists what one canvas's records become while they are made: the items by
// record index (for joining connections) and the stacking values read.
class CanvasItems
{
public:
    explicit CanvasItems(Canvas *canvas) : m_canvas(canvas) {}

    // Makes the item of a record of kind `type` as its kind does, stacked,
    // and lists it.
    DiagramItem *place(int type, const ItemRecord &record, double stored,
                       DiagramItem *start = nullptr, DiagramItem *end = nullptr)
    {
        DiagramItem *item = ItemKinds::of(type)->fromRecord(*m_canvas, record, stacking(stored),
                                                             start, end);
        m_canvas->registerItem(item);
        return item;
    }

    // Keeps the stored values at or below the canvas's highest, so an item
    // brought to front later goes above all of them.
    void coverStoredStacking()
    {
        if (m_anyStored)
            m_canvas->coverZValue(m_storedTop);
    }

private:
    qreal stacking(double stored)
    {
        const qreal place = m_canvas->nextZValue();
        if (stored == 0)
            return place;
        m_storedTop = m_anyStored ? qMax(m_storedTop, qreal(stored)) : qreal(stored);
        m_anyStored = true;
        return stored;
    }

    Canvas *m_canvas;
    bool m_anyStored = false;
    qreal m_storedTop = 0;
};

} // namespace

CanvasFiller::CanvasFiller(const ProjectRecordLists &records)
    : m_records(records), m_placement(m_records)
{
}

void CanvasFiller::fill(Canvas *canvas, int index) const
{
    const RecordPlacement &at = m_placement;
    CanvasItems items(canvas);
    QHash<int, DiagramItem *> processes, states, memories;   // by record index

    for (int i : at.processesOn(index))
        processes.insert(i, items.place(ItemType::Process, m_records.processes.at(i),
                                        m_records.processes.at(i).stacking));
    bool hasInitialMarker = false;
    for (int i : at.statesOn(index)) {
        auto *state = static_cast<StateItem *>(
            items.place(ItemType::State, m_records.states.at(i), m_records.states.at(i).stacking));
        states.insert(i, state);
        if (state->isInitialState() && !hasInitialMarker) {
            canvas->attachInitialMarker(state);
            hasInitialMarker = true;
        }
    }
    for (int i : at.transitionsOn(index))
        items.place(ItemType::Transition, m_records.transitions.at(i),
                    m_records.transitions.at(i).stacking, states.value(at.transitionStart(i)),
                    states.value(at.transitionEnd(i)));
    for (int i : at.textsOn(index))
        items.place(ItemType::Text, m_records.texts.at(i), m_records.texts.at(i).stacking);
    for (int i : at.linksOn(index))
        items.place(ItemType::Link, m_records.links.at(i), m_records.links.at(i).stacking,
                    processes.value(at.linkStart(i)), processes.value(at.linkEnd(i)));
    for (int i : at.memoriesOn(index))
        memories.insert(i, items.place(ItemType::Memory, m_records.memories.at(i),
                                       m_records.memories.at(i).stacking));
    for (int i : at.dataflowsOn(index))
        items.place(ItemType::Dataflow, m_records.dataflows.at(i),
                    m_records.dataflows.at(i).stacking, processes.value(at.dataflowProcess(i)),
                    memories.value(at.dataflowMemory(i)));
    items.coverStoredStacking();
}
