#pragma once

// Turns the records of a project file into canvases and diagram items.
//
// One canvas is created per Process record, in record order (the level-1
// canvas first), with the record's identity and label. Where each record
// goes, what each connection joins and which records are left out is
// decided by RecordPlacement, the rule the command-line generator follows
// too; CanvasFiller makes each canvas's items from its records.
// loadNotes() tells what was left out and which labels are ambiguous.
// Each canvas the tree reaches gets its node path (see NodePath.h). A
// sub-machine's diagram is a canvas like the others, numbered by its place
// below its parent diagram; a state that says it holds a sub-machine no
// record stores gets an empty one, appended after the others.
//
// build() makes every item at once. buildLazily() leaves each canvas's
// items pending (Canvas::setPendingItems): they are made, exactly as build()
// makes them, the first time anything asks for that canvas's items. Opening
// a large project then shows its first diagram without making the items of
// all the others first.

#include "CanvasSetup.h"
#include "LoadNote.h"
#include "ProjectRecords.h"

#include <QList>
#include <QStringList>

class Canvas;
class CanvasFiller;

class ProjectBuilder
{
public:
    explicit ProjectBuilder(const CanvasSetup &setup);

    // The new canvases, owned by setup.parent (the caller deletes them if
    // that is null). Empty when there is no Process record.
    QList<Canvas *> build(const ProjectRecordLists &records);
    // The same canvases with their items pending.
    QList<Canvas *> buildLazily(const ProjectRecordLists &records);

    // What the last build left out and which labels are ambiguous.
    const LoadNotes &loadNotes() const { return m_notes; }
    // The same as one line each.
    QStringList notes() const { return loadNoteTexts(m_notes); }

private:
    enum class Items { Now, WhenNeeded };
    QList<Canvas *> build(const ProjectRecordLists &records, Items items);
    QList<Canvas *> createCanvases(const CanvasFiller &filler) const;
    // Sub-machine diagrams take the numbers of their place below their parent.
    static void numberSubMachines(const CanvasFiller &filler, const QList<Canvas *> &canvases);
    // An empty diagram, after the others, for each sub-machine no record stores.
    void addEmptySubMachines(const CanvasFiller &filler, QList<Canvas *> *canvases) const;

    CanvasSetup m_setup;
    LoadNotes m_notes;
};
