#include "ItemKinds.h"

#include "ItemKind.h"

#include <QHash>

namespace {

struct Lookup
{
    Lookup()
    {
        for (const ItemKind *kind : ItemKinds::all()) {
            byType.insert(kind->type(), kind);
            byMode.insert(kind->tool().mode, kind);
            byRecord.insert(kind->recordIndex(), kind);
        }
    }

    QHash<int, const ItemKind *> byType;
    QHash<int, const ItemKind *> byMode;
    QHash<int, const ItemKind *> byRecord;
};

const Lookup &lookup()
{
    static const Lookup kinds;
    return kinds;
}

} // namespace

namespace ItemKinds {

const ItemKind *of(int type)
{
    return lookup().byType.value(type);
}

const ItemKind *forMode(int mode)
{
    return lookup().byMode.value(mode);
}

const ItemKind *forRecord(int index)
{
    return lookup().byRecord.value(index);
}

} // namespace ItemKinds
