// The one list of the item kinds of the scene, handed out in the model's
// load order (RecordKinds: the order a fresh load stacks a canvas's items,
// kind after kind, which the stacking values a project file stores count
// on, see ProjectSnapshot). A new kind is one line here. Only this file includes the kinds' classes, so the
// kinds, their undo steps and the shared code that asks ItemKinds never
// include each other through the list.

#include "ItemKinds.h"

#include "DataflowKind.h"
#include "ItemRecord.h"
#include "LinkKind.h"
#include "MemoryKind.h"
#include "ProcessKind.h"
#include "StateKind.h"
#include "TextKind.h"
#include "TransitionKind.h"

#include "RecordKinds.h"

#include <algorithm>

namespace ItemKinds {

const QList<const ItemKind *> &all()
{
    static const ProcessKind process;
    static const StateKind state;
    static const TransitionKind transition;
    static const TextKind text;
    static const LinkKind link;
    static const MemoryKind memory;
    static const DataflowKind dataflow;
    static const QList<const ItemKind *> kinds = [] {
        QList<const ItemKind *> list = {&process, &state, &transition, &text,
                                        &link, &memory, &dataflow};
        std::stable_sort(list.begin(), list.end(), [](const ItemKind *a, const ItemKind *b) {
            return RecordKinds::rankOfRecordIndex(a->recordIndex())
                   < RecordKinds::rankOfRecordIndex(b->recordIndex());
        });
        return list;
    }();
    return kinds;
}

} // namespace ItemKinds
