#pragma once

// The record of any one diagram item: what the project file stores for it.
// Every item on a canvas can give its record and take one back, so an edit
// can be told apart from no edit (RecordEquality), and kept and reversed as
// a pair of records. The alternatives are the kinds of ItemRecordTypes, in
// its order, after std::monostate (no record). QtCore only.

#include "ItemRecordTypes.h"

#include <variant>

using ItemRecord = ItemRecordTypes::Apply<std::variant, std::monostate>;

// The index in ItemRecord of the alternative holding a Record.
template <typename Record>
constexpr int itemRecordIndex()
{
    return ItemRecordTypes::indexOf<Record>() + 1;
}
