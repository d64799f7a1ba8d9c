#pragma once

// Builds the descriptions of all state machines of a project straight from
// the records of its file, without canvases or items (QtCore only), so the
// command-line generator produces what the program would from the loaded
// project.

#include "MachineDescription.h"
#include "ProjectRecords.h"

#include <QVector>

class RecordsToMachines
{
public:
    // Every record of one project file, one list per kind, in file order.
    using Records = ProjectRecordLists;

    // One description per level-5 process record (state machine), in record
    // order. Machines whose parent software module or whose process item
    // cannot be found are left out, as the program skips them.
    //
    // Items belong to the first canvas (process record) with the identity
    // (level - 1, parentId, grandParentId); a record without such a canvas is
    // ignored. Transitions and dataflows are joined by label among the items
    // of their canvas, the last item with the label winning; a transition
    // needs both of its states, a dataflow its process and memory items.
    static QVector<MachineDescription> build(const Records &records);
};
