#include "ItemKinds.h"

#include "DataflowKind.h"
#include "LinkKind.h"
#include "MemoryKind.h"
#include "ProcessKind.h"
#include "StateKind.h"
#include "TextKind.h"
#include "TransitionKind.h"

#include <QHash>

namespace {

struct Table
{
    Table()
    {
        static const ProcessKind process;
        static const StateKind state;
        static const TransitionKind transition;
        static const TextKind text;
        static const LinkKind link;
        static const MemoryKind memory;
        static const DataflowKind dataflow;
        kinds = {&process, &state, &transition, &text, &link, &memory, &dataflow};
        for (const ItemKind *kind : qAsConst(kinds)) {
            byType.insert(kind->type(), kind);
            byMode.insert(kind->insertMode(), kind);
        }
    }

    QList<const ItemKind *> kinds;
    QHash<int, const ItemKind *> byType;
    QHash<int, const ItemKind *> byMode;
};

const Table &table()
{
    static const Table kinds;
    return kinds;
}

} // namespace

namespace ItemKinds {

const QList<const ItemKind *> &all()
{
    return table().kinds;
}

const ItemKind *of(int type)
{
    return table().byType.value(type);
}

const ItemKind *forMode(int mode)
{
    return table().byMode.value(mode);
}

} // namespace ItemKinds
