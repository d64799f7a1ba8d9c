#pragma once

// The one list of the item kinds of the model: the record types of every
// item a canvas can hold, in the order the project file stores them (the
// Process record that heads a canvas's block first, then the groups of its
// items). The ItemRecord variant, the record groups of a canvas's block
// (RecordGroups.h) and the load order (RecordKinds.h) come from it; a new
// kind is one more type here and one RecordKind of its own. QtCore only.

#include "ProjectRecords.h"

#include <utility>

template <typename... Records>
struct RecordTypeList
{
    static constexpr int size = int(sizeof...(Records));

    // T<Front..., Records...>: the list applied to a template (a variant).
    template <template <typename...> class T, typename... Front>
    using Apply = T<Front..., Records...>;

    // Calls f with a value-less tag of each type (f(RecordTag<R>{})) in
    // list order while f returns true; returns false when f stopped.
    template <typename F>
    static bool forEach(F &&f);

    // The position of Record in the list (-1 when it is not in it).
    template <typename Record>
    static constexpr int indexOf()
    {
        int index = 0, found = -1;
        ((std::is_same<Record, Records>::value ? (found = index, ++index) : ++index), ...);
        return found;
    }
};

// Stands for one record type when iterating a RecordTypeList.
template <typename Record>
struct RecordTag
{
    using Type = Record;
};

template <typename... Records>
template <typename F>
bool RecordTypeList<Records...>::forEach(F &&f)
{
    return (f(RecordTag<Records>{}) && ...);
}

using ItemRecordTypes = RecordTypeList<ProcessRecord, LinkRecord, MemoryRecord, DataflowRecord,
                                       StateRecord, TransitionRecord, TextRecord>;
