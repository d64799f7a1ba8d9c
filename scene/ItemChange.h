#pragma once

// One item's stored fields before and after an edit.

#include "ItemRecord.h"

class DiagramItem;

struct ItemChange
{
    DiagramItem *item = nullptr;
    ItemRecord before;
    ItemRecord after;
};
