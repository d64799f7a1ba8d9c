#pragma once

// Turns the records of a project file into canvases and diagram items.
//
// One canvas is created per Process record, in record order (the level-1
// canvas first), with the record's identity and label. Then the records are
// placed kind by kind: process items, states, transitions, text items,
// links, memory items, dataflows. Each record goes on the canvas whose
// (level, id, parentId) equal its (level - 1, parentId, grandParentId):
// the canvas of the block the record was read in when that one has these
// numbers (a process item: the nearest Process record before it one level
// up), otherwise the first such canvas. A record of a level its kind does
// not accept, or without a canvas, ends the placement of its own kind; the
// other kinds are still placed.
//
// Connections are made by label among the items of the record's canvas,
// case-sensitively; where several items carry a label the last one placed
// wins. A transition, link or dataflow whose ends are not both found is not
// created (a transition has no meaning without its states), nor is a link
// whose two ends are the same process item or a dataflow whose line type is
// neither 1 nor 2. notes() lists every record left out and why.
//
// Every item gets the canvas's highest stacking value plus one, connector
// lines 0. The first state of a canvas flagged initial carries the canvas's
// initial-state marker. Each canvas gets its node path (see NodePath.h).

#include "CanvasSetup.h"
#include "ProjectRecords.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QVector>

class Canvas;
class DataflowItem;
class LinkItem;
class MemoryItem;
class ProcessItem;
class StateItem;
class TextItem;
class TransitionItem;

class ProjectBuilder
{
public:
    explicit ProjectBuilder(const CanvasSetup &setup);

    // The new canvases, owned by setup.parent (the caller deletes them if
    // that is null). Empty when there is no Process record.
    QList<Canvas *> build(const ProjectRecordLists &records);

    // What build() left out, one line per record or stopped kind.
    const QStringList &notes() const { return m_notes; }

private:
    // One canvas being filled: its items by label for connecting, and the
    // new items of each kind, handed to the canvas's lists at the end.
    struct Slot
    {
        Canvas *canvas = nullptr;
        QHash<QString, ProcessItem *> processByLabel;
        QHash<QString, StateItem *> stateByLabel;
        QHash<QString, MemoryItem *> memoryByLabel;
        QList<ProcessItem *> processes;
        QList<StateItem *> states;
        QList<TransitionItem *> transitions;
        QList<TextItem *> texts;
        QList<LinkItem *> links;
        QList<MemoryItem *> memories;
        QList<DataflowItem *> dataflows;
        bool hasInitialMarker = false;
    };
    struct Key
    {
        int level;
        int id;
        int parentId;
        bool operator==(const Key &o) const
        {
            return level == o.level && id == o.id && parentId == o.parentId;
        }
    };
    friend uint qHash(const Key &key, uint seed);

    void createCanvases(const QVector<ProcessRecord> &records);
    int canvasFor(int level, int parentId, int grandParentId, int fileBlock) const;
    int parentOfProcess(const QVector<ProcessRecord> &records, int index,
                        const QVector<int> &lastAtLevel) const;

    void placeProcesses(const QVector<ProcessRecord> &records);
    void placeStates(const QVector<StateRecord> &records);
    void placeTransitions(const QVector<TransitionRecord> &records);
    void placeTexts(const QVector<TextRecord> &records);
    void placeLinks(const QVector<LinkRecord> &records);
    void placeMemories(const QVector<MemoryRecord> &records);
    void placeDataflows(const QVector<DataflowRecord> &records);
    void registerLists();

    // The slot of a record's canvas, or null after noting why the kind stops.
    template <typename Record>
    Slot *slotFor(const Record &record, int index, const char *kind, int minLevel, int maxLevel);
    void note(const QString &text) { m_notes << text; }

    CanvasSetup m_setup;
    QList<Canvas *> m_canvases;
    QVector<Slot> m_slots;
    QHash<Key, int> m_byKey;   // first canvas with these numbers
    QStringList m_notes;
};
