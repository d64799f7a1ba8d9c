#include "CanvasFiller.h"

#include "Canvas.h"
#include "ItemKind.h"
#include "ItemKinds.h"
#include "ItemRecord.h"
#include "RecordKinds.h"
#include "StateItem.h"

#include <QHash>

namespace {

// Lists what one canvas's records become while they are made: the items by
// record index (for joining connections) and the stacking values read.
class CanvasItems
{
public:
    explicit CanvasItems(Canvas *canvas) : m_canvas(canvas), m_made(ItemRecordTypes::size + 1) {}

    // Makes the item of a record as its kind does, stacked, lists it and
    // lets the kind finish it.
    DiagramItem *place(const ItemKind *kind, const ItemRecord &record, double stored,
                       DiagramItem *start, DiagramItem *end)
    {
        DiagramItem *item = kind->fromRecord(*m_canvas, record, stacking(stored), start, end);
        m_canvas->registerItem(item);
        kind->loaded(*m_canvas, item);
        return item;
    }

    // The item made of record `index` of the Record kind; null for none.
    template <typename Record>
    DiagramItem *made(int index) const
    {
        if constexpr (std::is_void<Record>::value)
            return nullptr;
        else
            return m_made.at(itemRecordIndex<Record>()).value(index);
    }
    template <typename Record>
    void remember(int index, DiagramItem *item)
    {
        m_made[itemRecordIndex<Record>()].insert(index, item);
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
    QVector<QHash<int, DiagramItem *>> m_made;   // by ItemRecord index, then record index
    bool m_anyStored = false;
    qreal m_storedTop = 0;
};

// Whether items of the Record kind are the ends of another kind's items.
template <typename Record>
bool joinedByOthers()
{
    bool joined = false;
    ItemRecordTypes::forEach([&](auto tag) {
        using Kind = RecordKind<typename decltype(tag)::Type>;
        joined = joined || std::is_same<typename Kind::StartRecord, Record>::value
                 || std::is_same<typename Kind::EndRecord, Record>::value;
        return true;
    });
    return joined;
}

} // namespace

CanvasFiller::CanvasFiller(const ProjectRecordLists &records)
    : m_records(records), m_placement(m_records)
{
    numberSubMachines();
}

void CanvasFiller::numberSubMachines()
{
    QHash<int, int> extra;   // canvas -> sub-machines made for it so far
    for (int i = 0; i < m_records.states.size(); ++i) {
        if (!m_placement.holdsSubMachine(i))
            continue;
        const int stored = m_placement.subMachineOf(i);
        bool known = false;
        const QVector<int> path = stored == RecordPlacement::None ? QVector<int>()
                                                                  : m_placement.path(stored, &known);
        if (known && !path.isEmpty()) {
            m_subMachineIds.insert(i, path.last());
            continue;
        }
        if (stored != RecordPlacement::None)
            continue;   // stored under a diagram the tree does not reach
        const int parent = m_placement.stateCanvas(i);
        const int id = m_placement.subMachinesOn(parent).size() + ++extra[parent];
        m_subMachineIds.insert(i, id);
        m_emptySubMachines << EmptySubMachine{i, parent, id};
    }
}

void CanvasFiller::finishState(DiagramItem *item, int index) const
{
    auto *state = static_cast<StateItem *>(item);
    const int id = m_subMachineIds.value(index, 0);
    state->setSubMachineId(id);
    // A sub-machine the placement left out (it said so) is not held.
    if (id == 0 && state->holdsSubMachine())
        state->setSubMachine(QString());
}

void CanvasFiller::fill(Canvas *canvas, int index) const
{
    CanvasItems items(canvas);
    RecordKinds::forEachInLoadOrder([&](auto tag) {
        using Record = typename decltype(tag)::Type;
        using Kind = RecordKind<Record>;
        const ItemKind *kind = ItemKinds::forRecord(itemRecordIndex<Record>());
        const QVector<Record> &records = m_records.*Kind::inLists;
        const bool joined = joinedByOthers<Record>();
        for (int i : Kind::placedOn(m_placement, index)) {
            const QPair<int, int> ends = Kind::ends(m_placement, i);
            DiagramItem *item = items.place(kind, records.at(i), records.at(i).stacking,
                                            items.template made<typename Kind::StartRecord>(ends.first),
                                            items.template made<typename Kind::EndRecord>(ends.second));
            if (joined)
                items.template remember<Record>(i, item);
            if constexpr (std::is_same<Record, StateRecord>::value)
                finishState(item, i);
        }
        return true;
    });
    items.coverStoredStacking();
}
