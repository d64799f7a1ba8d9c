#pragma once

// The record of any one diagram item: what the project file stores for it.
// Every item on a canvas can give its record and take one back, so an edit
// can be told apart from no edit (RecordEquality), and kept and reversed as
// a pair of records. QtCore only.

#include "ProjectRecords.h"

#include <variant>

using ItemRecord = std::variant<std::monostate, ProcessRecord, LinkRecord, MemoryRecord, DataflowRecord,
                                StateRecord, TransitionRecord, TextRecord>;
