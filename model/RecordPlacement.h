#pragma once

// Where every record of a project file lands: the one placement rule of
// the program's loader (ProjectBuilder) and of the command-line generator
// (RecordsToMachines), so both see the same diagrams and the same machines.
// QtCore only.
//
// Canvases. Every Process record opens one canvas (its index in the list of
// Process records names it; 0 is the project's own). A record belongs on
// the canvas whose (level, id, parentId) equal its (level - 1, parentId,
// grandParentId): the canvas of the block the record was read in when that
// one has these numbers, otherwise the first such canvas. A process item
// (a Process record below level 1) goes on the nearest Process record
// before it one level up when that one fits, as a file written depth first
// has it. A canvas's node path is its parent's path plus the id of the
// process item that opens it; the canvases that the tree reaches are those
// found depth first from the project canvas through the process items, by
// path, the first canvas of a path winning, down to level 5.
//
// Sub-machines. A Process record of a sub-machine level (SubMachineLevels.h)
// opens the diagram of the sub-machine a state holds: it belongs under the
// diagram one level up found as an item's canvas is (the nearest record
// before it one level up winning), and joins the state on that diagram
// whose label it carries and whose subMachine field is set. Its node path
// is its parent's path plus its place among that diagram's sub-machines
// (1, 2, ...); the tree reaches it after its parent, depth first.
//
// Records. A record of a level its kind does not take, or without a
// canvas, is left out; so are a transition without both of its states, a
// link without both of its process items (or with one item at both ends)
// and a dataflow without its process and memory items or whose line type is
// neither 1 nor 2. Every other record is still placed. Joins are made by
// label among the items of the canvas, case-sensitively, the last item with
// the label winning.
//
// Notes. Every record left out, every canvas the tree does not reach, every
// item the project canvas holds (that canvas's own items are not saved) and
// every label that does not tell items apart (states, process items and
// memory items sharing a label on one canvas; states and process items
// without a label) gets a LoadNote, kinds in placement order, after the
// reader's notes on what it did not know (ProjectRecordLists::readNotes).

#include "LoadNote.h"
#include "ProjectRecords.h"

#include <QHash>
#include <QSet>
#include <QVector>

class RecordPlacement
{
public:
    static constexpr int None = -1;

    explicit RecordPlacement(const ProjectRecordLists &records);

    int canvasCount() const { return m_paths.size(); }
    // The canvas each record's item is created on, or None when it is not
    // created. Process records of level 1 make no item.
    int processCanvas(int record) const { return m_processCanvas.at(record); }
    int stateCanvas(int record) const { return m_stateCanvas.at(record); }
    int transitionCanvas(int record) const { return m_transitionCanvas.at(record); }
    int textCanvas(int record) const { return m_textCanvas.at(record); }
    int linkCanvas(int record) const { return m_linkCanvas.at(record); }
    int memoryCanvas(int record) const { return m_memoryCanvas.at(record); }
    int dataflowCanvas(int record) const { return m_dataflowCanvas.at(record); }

    // What a created connection joins: record indices of the states, the
    // process items or the process and memory item.
    int transitionStart(int record) const { return m_transitionEnds.at(record).first; }
    int transitionEnd(int record) const { return m_transitionEnds.at(record).second; }
    int linkStart(int record) const { return m_linkEnds.at(record).first; }
    int linkEnd(int record) const { return m_linkEnds.at(record).second; }
    int dataflowProcess(int record) const { return m_dataflowEnds.at(record).first; }
    int dataflowMemory(int record) const { return m_dataflowEnds.at(record).second; }

    // The records created on a canvas, per kind, in file order.
    QVector<int> processesOn(int canvas) const { return m_on.value(canvas).processes; }
    QVector<int> statesOn(int canvas) const { return m_on.value(canvas).states; }
    QVector<int> transitionsOn(int canvas) const { return m_on.value(canvas).transitions; }
    QVector<int> textsOn(int canvas) const { return m_on.value(canvas).texts; }
    QVector<int> linksOn(int canvas) const { return m_on.value(canvas).links; }
    QVector<int> memoriesOn(int canvas) const { return m_on.value(canvas).memories; }
    QVector<int> dataflowsOn(int canvas) const { return m_on.value(canvas).dataflows; }

    // The sub-machine diagram a placed state holds (None: it holds none, or
    // its diagram is not stored, in which case holdsSubMachine still says
    // it holds an empty one), the state that holds a sub-machine diagram
    // and the diagram the sub-machine belongs under (None for every other
    // canvas).
    int subMachineOf(int stateRecord) const { return m_subMachineOf.value(stateRecord, None); }
    bool holdsSubMachine(int stateRecord) const;
    int holderOf(int canvas) const { return canvas >= 0 && canvas < m_holder.size() ? m_holder.at(canvas) : None; }
    int parentOf(int canvas) const { return canvas >= 0 && canvas < m_subParent.size() ? m_subParent.at(canvas) : None; }
    // The sub-machine diagrams that belong under a canvas, in file order.
    QVector<int> subMachinesOn(int canvas) const { return m_subMachinesOn.value(canvas); }

    // The node path of a canvas (ids from level 2 down; empty for the
    // project's own); `known` false when no placed process item opens it.
    QVector<int> path(int canvas, bool *known = nullptr) const;
    // The canvases the tree reaches, depth first as the tree lists them,
    // each with the Process record of the process item that opens it there
    // (the project canvas: record 0). A canvas opened by two process items
    // with the same id on one diagram comes twice, once for each.
    struct Visit
    {
        int canvas;
        int opener;
    };
    const QVector<Visit> &reachable() const { return m_reachable; }

    const LoadNotes &notes() const { return m_notes; }

private:
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
    struct Contents
    {
        QVector<int> processes, states, transitions, texts, links, memories, dataflows;
    };
    using Ends = QPair<int, int>;

    int canvasFor(int level, int parentId, int grandParentId, int block) const;
    template <typename Record>
    int placeItem(const Record &record, const char *kind, const QString &label, int minLevel,
                  int maxLevel);
    void placeProcesses();
    void placeSubMachineBlock(int record, const QVector<int> &lastAtLevel);
    void placeStates();
    void joinSubMachines();
    void placeTransitions();
    void placeTexts();
    void placeLinks();
    void placeMemories();
    void placeDataflows();
    void walkTree();
    void noteUnreachable();
    void noteProjectCanvasItems();
    void noteAmbiguousLabels();
    void noteSharedIds(const QVector<int> &processes, int canvas);
    void note(LoadNote::Effect effect, const char *kind, const QString &label, int canvas,
              const QString &reason);
    QString canvasName(int canvas) const;

    const ProjectRecordLists *m_records = nullptr;   // only while constructing
    QVector<QString> m_names;         // canvas names, for notes
    QHash<Key, int> m_byKey;          // first canvas with these numbers
    QVector<QVector<int>> m_paths;
    QVector<bool> m_pathKnown;
    QVector<int> m_processCanvas, m_stateCanvas, m_transitionCanvas, m_textCanvas,
        m_linkCanvas, m_memoryCanvas, m_dataflowCanvas;
    QVector<Ends> m_transitionEnds, m_linkEnds, m_dataflowEnds;
    QHash<int, Contents> m_on;
    QVector<int> m_subParent, m_holder;     // per canvas, for sub-machine diagrams
    QHash<int, int> m_subMachineOf;         // state record -> its sub-machine diagram
    QSet<int> m_holdsSubMachine;            // state records that hold a sub-machine
    QHash<int, QVector<int>> m_subMachinesOn;
    QVector<Visit> m_reachable;
    LoadNotes m_notes;
};
