#pragma once

// Makes the items of one canvas of a project from the project's records:
// each record placed on that canvas (see RecordPlacement) becomes its item,
// made by its kind (ItemKind::fromRecord) and listed on the canvas, kind by
// kind in the model's load order (RecordKinds). Connections join the items
// of the same canvas the placement names, made before them.
//
// Every item gets the canvas's highest stacking value plus one, whether or
// not the file stores a value for it, so the place of each item does not
// depend on the values stored for the others (ProjectSnapshot counts the
// same way); a stored value then replaces the place. Each kind finishes its
// items as they are made (ItemKind::loaded: the first state flagged initial
// carries the canvas's initial-state marker).
//
// Canvases are independent of each other here, so a project's canvases can
// be filled in any order, or each only when it is first needed; the filler
// keeps its own (implicitly shared) copy of the records for that.

#include "ProjectRecords.h"
#include "RecordPlacement.h"

class Canvas;
class DiagramItem;

class CanvasFiller
{
public:
    explicit CanvasFiller(const ProjectRecordLists &records);

    const ProjectRecordLists &records() const { return m_records; }
    const RecordPlacement &placement() const { return m_placement; }

    // Makes the items placed on canvas number `index` (the index of its
    // Process record) on `canvas`, which holds none yet.
    void fill(Canvas *canvas, int index) const;

private:
    ProjectRecordLists m_records;
    RecordPlacement m_placement;
};
