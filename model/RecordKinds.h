#pragma once

// What the model knows of each item kind of ItemRecordTypes: where its
// records live in a canvas's block and in the reader's lists, its group
// element, whether only state machines hold it, where RecordPlacement puts
// its records and which items its ends are, and its load rank. One
// RecordKind per record type; every type of the list must have one.
//
// Load rank: a fresh load makes a canvas's items kind by kind in rank
// order, and saved stacking values count on that order (an item stores a
// value only where it differs from its place in load order), so the ranks
// never change. A kind is made after the kinds its ends need: connectors
// after the items they join, and the initial-state marker, which the
// first initial state carries, after the states. QtCore only.

#include "ItemRecord.h"
#include "ItemRecordTypes.h"
#include "ProjectDocument.h"
#include "RecordPlacement.h"

#include <QPair>
#include <QVector>

template <typename Record>
struct RecordKind;

// A kind whose items join nothing.
struct UnjoinedRecordKind
{
    using StartRecord = void;
    using EndRecord = void;
    static QPair<int, int> ends(const RecordPlacement &, int)
    {
        return {RecordPlacement::None, RecordPlacement::None};
    }
};

template <>
struct RecordKind<ProcessRecord> : UnjoinedRecordKind
{
    static constexpr int loadRank = 0;
    // Heads the block of the canvas it opens instead of a group.
    static constexpr const char *groupName = nullptr;
    static constexpr bool onMachinesOnly = false;
    static constexpr auto inLists = &ProjectRecordLists::processes;
    static QVector<int> placedOn(const RecordPlacement &at, int canvas)
    {
        return at.processesOn(canvas);
    }
};

template <>
struct RecordKind<StateRecord> : UnjoinedRecordKind
{
    static constexpr int loadRank = 1;
    static constexpr const char *groupName = "StateItems";
    static constexpr bool onMachinesOnly = true;
    static constexpr auto inBlock = &CanvasBlock::states;
    static constexpr auto inLists = &ProjectRecordLists::states;
    static QVector<int> placedOn(const RecordPlacement &at, int canvas)
    {
        return at.statesOn(canvas);
    }
};

template <>
struct RecordKind<TransitionRecord>
{
    static constexpr int loadRank = 2;
    static constexpr const char *groupName = "TransitionItems";
    static constexpr bool onMachinesOnly = true;
    static constexpr auto inBlock = &CanvasBlock::transitions;
    static constexpr auto inLists = &ProjectRecordLists::transitions;
    using StartRecord = StateRecord;
    using EndRecord = StateRecord;
    static QVector<int> placedOn(const RecordPlacement &at, int canvas)
    {
        return at.transitionsOn(canvas);
    }
    static QPair<int, int> ends(const RecordPlacement &at, int record)
    {
        return {at.transitionStart(record), at.transitionEnd(record)};
    }
};

template <>
struct RecordKind<TextRecord> : UnjoinedRecordKind
{
    static constexpr int loadRank = 3;
    static constexpr const char *groupName = "TextItems";
    static constexpr bool onMachinesOnly = true;
    static constexpr auto inBlock = &CanvasBlock::texts;
    static constexpr auto inLists = &ProjectRecordLists::texts;
    static QVector<int> placedOn(const RecordPlacement &at, int canvas)
    {
        return at.textsOn(canvas);
    }
};

template <>
struct RecordKind<LinkRecord>
{
    static constexpr int loadRank = 4;
    static constexpr const char *groupName = "LinkItems";
    static constexpr bool onMachinesOnly = false;
    static constexpr auto inBlock = &CanvasBlock::links;
    static constexpr auto inLists = &ProjectRecordLists::links;
    using StartRecord = ProcessRecord;
    using EndRecord = ProcessRecord;
    static QVector<int> placedOn(const RecordPlacement &at, int canvas)
    {
        return at.linksOn(canvas);
    }
    static QPair<int, int> ends(const RecordPlacement &at, int record)
    {
        return {at.linkStart(record), at.linkEnd(record)};
    }
};

template <>
struct RecordKind<MemoryRecord> : UnjoinedRecordKind
{
    static constexpr int loadRank = 5;
    static constexpr const char *groupName = "MemoryItems";
    static constexpr bool onMachinesOnly = false;
    static constexpr auto inBlock = &CanvasBlock::memories;
    static constexpr auto inLists = &ProjectRecordLists::memories;
    static QVector<int> placedOn(const RecordPlacement &at, int canvas)
    {
        return at.memoriesOn(canvas);
    }
};

template <>
struct RecordKind<DataflowRecord>
{
    static constexpr int loadRank = 6;
    static constexpr const char *groupName = "DataflowItems";
    static constexpr bool onMachinesOnly = false;
    static constexpr auto inBlock = &CanvasBlock::dataflows;
    static constexpr auto inLists = &ProjectRecordLists::dataflows;
    // A dataflow's process item and memory item, whatever its direction.
    using StartRecord = ProcessRecord;
    using EndRecord = MemoryRecord;
    static QVector<int> placedOn(const RecordPlacement &at, int canvas)
    {
        return at.dataflowsOn(canvas);
    }
    static QPair<int, int> ends(const RecordPlacement &at, int record)
    {
        return {at.dataflowProcess(record), at.dataflowMemory(record)};
    }
};

namespace RecordKinds {

// The load rank of an end record type (void: no end, ranked before all).
template <typename Record>
constexpr int rankOf()
{
    if constexpr (std::is_void<Record>::value)
        return -1;
    else
        return RecordKind<Record>::loadRank;
}

// Whether the ranks are 0..n-1, each once, and every kind comes after the
// kinds of its ends.
template <typename... Records>
constexpr bool ranksHold(RecordTypeList<Records...>)
{
    constexpr int n = int(sizeof...(Records));
    const int ranks[] = {RecordKind<Records>::loadRank...};
    for (int rank = 0; rank < n; ++rank) {
        int count = 0;
        for (int r : ranks)
            count += r == rank ? 1 : 0;
        if (count != 1)
            return false;
    }
    const bool endsFirst[] = {
        (rankOf<typename RecordKind<Records>::StartRecord>() < RecordKind<Records>::loadRank
         && rankOf<typename RecordKind<Records>::EndRecord>() < RecordKind<Records>::loadRank)...};
    for (bool ok : endsFirst) {
        if (!ok)
            return false;
    }
    return true;
}
static_assert(ranksHold(ItemRecordTypes{}),
              "every item kind needs its own load rank, after the kinds of its ends");

// The load rank of the alternative at `index` of ItemRecord (-1 for none).
inline int rankOfRecordIndex(int index)
{
    int rank = -1;
    ItemRecordTypes::forEach([&](auto tag) {
        using Record = typename decltype(tag)::Type;
        if (itemRecordIndex<Record>() == index)
            rank = RecordKind<Record>::loadRank;
        return true;
    });
    return rank;
}

// Calls f(RecordTag<R>{}) for each kind in load order while f returns true.
template <typename F>
bool forEachInLoadOrder(F &&f)
{
    for (int rank = 0; rank < ItemRecordTypes::size; ++rank) {
        bool goOn = true;
        ItemRecordTypes::forEach([&](auto tag) {
            using Record = typename decltype(tag)::Type;
            if (RecordKind<Record>::loadRank == rank)
                goOn = f(tag);
            return true;
        });
        if (!goOn)
            return false;
    }
    return true;
}

} // namespace RecordKinds
