#pragma once

// Records of any kind into the block of their canvas (the group of its kind,
// see RecordGroups), so that whoever collects a canvas's records (the
// snapshot a save writes) hands over ItemRecords without naming kinds.
// QtCore only.

#include "ItemRecord.h"
#include "ProjectDocument.h"

namespace BlockRecords {

// Appends the record to its kind's group of block; a process record
// replaces the block's own process, and an empty record changes nothing.
void append(CanvasBlock *block, ItemRecord &&record);

// Where the item sits: level, parentId and grandParentId of the record.
void stamp(ItemRecord *record, int level, int parentId, int grandParentId);

// The stacking value the record stores (0: none, see ProcessRecord).
void setStacking(ItemRecord *record, double stacking);

} // namespace BlockRecords
