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
// A state that holds a sub-machine gets the id of its sub-machine's diagram
// (StateItem::subMachineId): the last number of that diagram's path. A
// state whose sub-machine is stored nowhere gets a new, empty one (listed
// by emptySubMachines(), numbered after the stored ones of its diagram); a
// state whose sub-machine the placement does not keep holds none.
//
// Canvases are independent of each other here, so a project's canvases can
// be filled in any order, or each only when it is first needed; the filler
// keeps its own (implicitly shared) copy of the records for that.

#include "ProjectRecords.h"
#include "RecordPlacement.h"

#include <QHash>
#include <QVector>

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

    // A sub-machine diagram no record stores: its holder state's record,
    // the canvas (Process record index) it belongs under and its id there.
    struct EmptySubMachine
    {
        int state;
        int parent;
        int id;
    };
    const QVector<EmptySubMachine> &emptySubMachines() const { return m_emptySubMachines; }

private:
    void numberSubMachines();
    // Finishes a state made from record `index`: its sub-machine's id.
    void finishState(DiagramItem *item, int index) const;

    ProjectRecordLists m_records;
    RecordPlacement m_placement;
    QHash<int, int> m_subMachineIds;   // state record -> its sub-machine diagram's id
    QVector<EmptySubMachine> m_emptySubMachines;
};
