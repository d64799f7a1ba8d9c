#pragma once

// Turns the records of a project file into canvases and diagram items.
//
// One canvas is created per Process record, in record order (the level-1
// canvas first), with the record's identity and label. Where each record
// goes, what each connection joins and which records are left out is
// decided by RecordPlacement, the rule the command-line generator follows
// too. Record group by record group, in load order (process items, states,
// transitions, text items, links, memory items, dataflows: the file's
// groups), each item is made from its record by its kind
// (ItemKind::fromRecord) and listed on its canvas.
// loadNotes() tells what was left out and which labels are ambiguous.
//
// Every item gets the canvas's highest stacking value plus one, connector
// lines 0. The first state of a canvas flagged initial carries the canvas's
// initial-state marker. Each canvas the tree reaches gets its node path
// (see NodePath.h).

#include "CanvasSetup.h"
#include "LoadNote.h"
#include "ItemRecord.h"
#include "ProjectRecords.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QVector>

class Canvas;
class DiagramItem;
class RecordPlacement;

class ProjectBuilder
{
public:
    explicit ProjectBuilder(const CanvasSetup &setup);

    // The new canvases, owned by setup.parent (the caller deletes them if
    // that is null). Empty when there is no Process record.
    QList<Canvas *> build(const ProjectRecordLists &records);

    // What build() left out and which labels are ambiguous.
    const LoadNotes &loadNotes() const { return m_notes; }
    // The same as one line each.
    QStringList notes() const { return loadNoteTexts(m_notes); }

private:
    void createCanvases();
    void placeProcesses();
    void placeStates();
    void placeTransitions();
    void placeTexts();
    void placeLinks();
    void placeMemories();
    void placeDataflows();
    // Makes the item of a record of kind `type` on canvas c as its kind
    // does, stacked, and lists it.
    DiagramItem *place(int type, int c, const ItemRecord &record, double stored,
                       DiagramItem *start = nullptr, DiagramItem *end = nullptr);
    // The stacking value of the canvas's next item: its place in load
    // order, or the value the file stores.
    qreal stacking(Canvas *canvas, double stored);
    void coverStoredStacking();

    // Per canvas: whether a state carries its initial marker yet. The
    // items made so far per record index, for joining.
    struct Slot
    {
        bool hasInitialMarker = false;
    };

    CanvasSetup m_setup;
    QList<Canvas *> m_canvases;
    QVector<Slot> m_slots;
    QVector<DiagramItem *> m_processItems;   // by Process record
    QVector<DiagramItem *> m_stateItems;     // by StateItem record
    QVector<DiagramItem *> m_memoryItems;    // by Memory record
    LoadNotes m_notes;
    // Highest stacking value read from the file, by canvas.
    QHash<Canvas *, qreal> m_storedTop;
    // Only while building.
    const ProjectRecordLists *m_records = nullptr;
    const RecordPlacement *m_placement = nullptr;
};
