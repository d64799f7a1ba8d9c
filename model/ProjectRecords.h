#pragma once

// Plain records for the elements of a project file. One struct per item
// kind, QtCore only, so the file layer can be tested and fuzzed without any
// widget. Field names follow the element and attribute names of the file;
// colours are kept as the colour text read or to be written ("#rrggbb"),
// polygons as their points.

#include "SimulationSettings.h"
#include "LoadNote.h"

#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVector>

using PolygonPoints = QVector<QPointF>;

struct ProcessRecord
{
    int level = 0;
    int nos = 0;
    int id = 0;
    QString label;
    int parentId = 0;
    int grandParentId = 0;
    double xCoord = 0;
    double yCoord = 0;
    int width = 0;
    int height = 0;
    int shape = 1;
    QString code;
    QString description;
    QString backgroundColour;
    PolygonPoints polygon;
    // Stacking value set by the user, written only where it differs from
    // the item's place in load order (0: none stored, the item takes that
    // place). Not part of RecordFields: it is optional in the file.
    double stacking = 0;
    // The style of C module generated for a state machine ("classic" or
    // "instance"): on the machine's process item its own choice, on the
    // project's root process the project's default. Optional in the file
    // (CodeStyleField), empty when absent; not part of RecordFields.
    QString codeStyle;
    // On the project's root process: the C type of the time in state of its
    // machines ("uint8_t", "uint16_t" or "uint32_t"; empty: uint32_t), as
    // stored. Optional in the file (CounterTypeField); not part of RecordFields.
    QString counterType;
};

struct LinkRecord
{
    int level = 0;
    int parentId = 0;
    int grandParentId = 0;
    double xCoord = 0;
    double yCoord = 0;
    QString label;
    QString description;
    QString datatype;
    QString startItem;
    QString endItem;
    QString backgroundColour;
    PolygonPoints polygon;
    double stacking = 0; // see ProcessRecord
    // Index, in the file's list of Process records, of the last Process
    // element read before this item (-1 when the record did not come from a
    // file). It tells apart canvases whose identity numbers coincide.
    int fileBlock = -1;
};

struct MemoryRecord
{
    int level = 0;
    int parentId = 0;
    int grandParentId = 0;
    double xCoord = 0;
    double yCoord = 0;
    QString label;
    QString description;
    QString datatype;
    QString backgroundColour;
    PolygonPoints polygon;
    double stacking = 0; // see ProcessRecord
    // Index, in the file's list of Process records, of the last Process
    // element read before this item (-1 when the record did not come from a
    // file). It tells apart canvases whose identity numbers coincide.
    int fileBlock = -1;
};

struct DataflowRecord
{
    int level = 0;
    int parentId = 0;
    int grandParentId = 0;
    int lineType = 0;
    double xCoord = 0;
    double yCoord = 0;
    QString label;
    QString description;
    QString datatype;
    QString startItem;   // process label for lineType 1, memory label for 2
    QString endItem;     // memory label for lineType 1, process label for 2
    QString backgroundColour;
    PolygonPoints polygon;
    double stacking = 0; // see ProcessRecord
    // Index, in the file's list of Process records, of the last Process
    // element read before this item (-1 when the record did not come from a
    // file). It tells apart canvases whose identity numbers coincide.
    int fileBlock = -1;
};

struct StateRecord
{
    int level = 0;
    int parentId = 0;
    int grandParentId = 0;
    QString label;
    bool ifInitialState = false;
    QString initialCondition;
    QString initialDescription;
    double xCoord = 0;
    double yCoord = 0;
    int width = 0;
    int height = 0;
    QString backgroundColour;
    PolygonPoints polygon;
    QString action;
    QString description;
    int numberOfTI = 0;
    QStringList transitions;
    // Code run once when a transition enters the state (and after the
    // initial transition for the initial state) and once when one leaves
    // it; empty when the state has none. Optional in the file.
    QString entryAction;
    QString exitAction;
    // The state's sub-machine: empty when it holds none, else
    // SubMachineStart or SubMachineResume (SubMachineLevels.h). Optional in
    // the file; the sub-machine's diagram is a block of its own.
    QString subMachine;
    double stacking = 0; // see ProcessRecord
    // Index, in the file's list of Process records, of the last Process
    // element read before this item (-1 when the record did not come from a
    // file). It tells apart canvases whose identity numbers coincide.
    int fileBlock = -1;
};

struct TransitionRecord
{
    int level = 0;
    int parentId = 0;
    int grandParentId = 0;
    QString label;
    QString condition;
    QString backgroundColour;
    double xCoord = 0;
    double yCoord = 0;
    QString midPos;      // "x,y" as written, or empty
    int width = 0;
    int height = 0;
    PolygonPoints polygon;
    QString startItem;
    QString endItem;
    QString description;
    QString action;
    double stacking = 0; // see ProcessRecord
    // Index, in the file's list of Process records, of the last Process
    // element read before this item (-1 when the record did not come from a
    // file). It tells apart canvases whose identity numbers coincide.
    int fileBlock = -1;
};

struct TextRecord
{
    int level = 0;
    int parentId = 0;
    int grandParentId = 0;
    double xCoord = 0;
    double yCoord = 0;
    int width = 0;
    int height = 0;
    int type = 0;
    QString backgroundColour;
    QString textColour;
    PolygonPoints polygon;
    QString action;
    double stacking = 0; // see ProcessRecord
    // Index, in the file's list of Process records, of the last Process
    // element read before this item (-1 when the record did not come from a
    // file). It tells apart canvases whose identity numbers coincide.
    int fileBlock = -1;
};

// Everything a project file holds, as read: the tree text of ProjectFiles
// and one record list per item kind, each in file order; and what the
// reader passed over without keeping it (elements and attributes it does
// not know, LoadNote::Effect::Unknown), which RecordPlacement puts before
// its own notes.
struct ProjectRecordLists
{
    QString treeText;
    SimulationSettings simulation;   // the optional SimulationSettings element
    LoadNotes readNotes;
    QVector<ProcessRecord> processes;
    QVector<LinkRecord> links;
    QVector<MemoryRecord> memories;
    QVector<DataflowRecord> dataflows;
    QVector<StateRecord> states;
    QVector<TransitionRecord> transitions;
    QVector<TextRecord> texts;
};
