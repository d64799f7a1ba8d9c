#pragma once

// The stored fields of each project record, in file order, shared by the
// project file reader (both passes) and the writer, so the two can never
// disagree on a name or an order. QtCore only.
//
// RecordFields<Record>::visit(record, f) calls f(name, member) for every
// field in file order and stops at the first call that returns false.
// `record` may be const (writing) or not (reading). Member types are int,
// double, QString, PolygonPoints, and for states bool and QStringList.
// `element` is the item's element name; `childElements` tells whether the
// fields are child elements (state-machine items) or attributes.

#include "ProjectRecords.h"

// The optional stacking value (a record's `stacking`), written after every
// other field: an attribute or a last child element, which readers that do
// not know it pass over.
constexpr const char *StackingField = "zValue";
// The optional code style of a Process element (ProcessRecord::codeStyle),
// an attribute after the stacking value, written only when not empty.
constexpr const char *CodeStyleField = "codeStyle";
// The optional counter type of a Process element (ProcessRecord::counterType),
// an attribute after the code style, written only when not empty.
constexpr const char *CounterTypeField = "counterType";
// The optional entry and exit actions of a StateItem element
// (StateRecord::entryAction, exitAction): child elements after every other
// field and before the stacking value, each written only when not empty, so
// a state without them is written as before.
constexpr const char *EntryActionField = "entryAction";
constexpr const char *ExitActionField = "exitAction";
// The optional sub-machine mode of a StateItem element
// (StateRecord::subMachine), a child element after the exit action, written
// only for a state that holds a sub-machine.
constexpr const char *SubMachineField = "subMachine";

// The optional fields of a record kind (none but for states), visited as
// RecordFields<Record>::visit visits the stored ones, in file order. A
// reader takes them where they are; a writer writes the non-empty ones.
template <typename Record>
struct OptionalFields
{
    template <typename R, typename F>
    static bool visit(R &, F &&)
    {
        return true;
    }
};

template <typename Record>
struct RecordFields;

template <>
struct RecordFields<ProcessRecord>
{
    static constexpr const char *element = "Process";
    static constexpr bool childElements = false;

    template <typename R, typename F>
    static bool visit(R &r, F &&f)
    {
        return f("level", r.level) && f("Nos", r.nos) && f("id", r.id)
            && f("label", r.label) && f("parentId", r.parentId)
            && f("grandParentId", r.grandParentId) && f("xCoord", r.xCoord)
            && f("yCoord", r.yCoord) && f("width", r.width) && f("height", r.height)
            && f("shape", r.shape) && f("code", r.code) && f("description", r.description)
            && f("backgroundColour", r.backgroundColour) && f("polygon", r.polygon);
    }
};

template <>
struct RecordFields<LinkRecord>
{
    static constexpr const char *element = "Link";
    static constexpr bool childElements = false;

    template <typename R, typename F>
    static bool visit(R &r, F &&f)
    {
        return f("level", r.level) && f("parentId", r.parentId)
            && f("grandParentId", r.grandParentId) && f("xCoord", r.xCoord)
            && f("yCoord", r.yCoord) && f("label", r.label)
            && f("description", r.description) && f("datatype", r.datatype)
            && f("startItem", r.startItem) && f("endItem", r.endItem)
            && f("backgroundColour", r.backgroundColour) && f("polygon", r.polygon);
    }
};

template <>
struct RecordFields<MemoryRecord>
{
    static constexpr const char *element = "Memory";
    static constexpr bool childElements = false;

    template <typename R, typename F>
    static bool visit(R &r, F &&f)
    {
        return f("level", r.level) && f("parentId", r.parentId)
            && f("grandParentId", r.grandParentId) && f("xCoord", r.xCoord)
            && f("yCoord", r.yCoord) && f("label", r.label)
            && f("description", r.description) && f("datatype", r.datatype)
            && f("backgroundColour", r.backgroundColour) && f("polygon", r.polygon);
    }
};

template <>
struct RecordFields<DataflowRecord>
{
    static constexpr const char *element = "Dataflow";
    static constexpr bool childElements = false;

    // The two ends are named only for the two known directions.
    static bool hasEnds(const DataflowRecord &r) { return r.lineType == 1 || r.lineType == 2; }

    // `withEnds` false leaves startItem and endItem out whatever the
    // lineType; the reader checks them after the other fields.
    template <typename R, typename F>
    static bool visit(R &r, F &&f, bool withEnds = true)
    {
        const auto ends = [&] {
            return !withEnds || !hasEnds(r)
                || (f("startItem", r.startItem) && f("endItem", r.endItem));
        };
        return f("level", r.level) && f("parentId", r.parentId)
            && f("grandParentId", r.grandParentId) && f("lineType", r.lineType)
            && f("xCoord", r.xCoord) && f("yCoord", r.yCoord) && f("label", r.label)
            && f("description", r.description) && f("datatype", r.datatype) && ends()
            && f("backgroundColour", r.backgroundColour) && f("polygon", r.polygon);
    }
};

template <>
struct RecordFields<StateRecord>
{
    static constexpr const char *element = "StateItem";
    static constexpr bool childElements = true;

    template <typename R, typename F>
    static bool visit(R &r, F &&f)
    {
        return f("level", r.level) && f("parentId", r.parentId)
            && f("grandParentId", r.grandParentId) && f("label", r.label)
            && f("ifInitialState", r.ifInitialState)
            && f("initialCondition", r.initialCondition)
            && f("initialDescription", r.initialDescription) && f("xCoord", r.xCoord)
            && f("yCoord", r.yCoord) && f("width", r.width) && f("height", r.height)
            && f("backgroundColour", r.backgroundColour) && f("polygon", r.polygon)
            && f("action", r.action) && f("description", r.description)
            && f("numberOfTI", r.numberOfTI) && f("transitions", r.transitions);
    }
};

template <>
struct OptionalFields<StateRecord>
{
    template <typename R, typename F>
    static bool visit(R &r, F &&f)
    {
        return f(EntryActionField, r.entryAction) && f(ExitActionField, r.exitAction)
            && f(SubMachineField, r.subMachine);
    }
};

template <>
struct RecordFields<TransitionRecord>
{
    static constexpr const char *element = "TransitionItem";
    static constexpr bool childElements = true;

    template <typename R, typename F>
    static bool visit(R &r, F &&f)
    {
        return f("level", r.level) && f("parentId", r.parentId)
            && f("grandParentId", r.grandParentId) && f("label", r.label)
            && f("condition", r.condition) && f("backgroundColour", r.backgroundColour)
            && f("xCoord", r.xCoord) && f("yCoord", r.yCoord) && f("midPos", r.midPos)
            && f("width", r.width) && f("height", r.height) && f("polygon", r.polygon)
            && f("startItem", r.startItem) && f("endItem", r.endItem)
            && f("description", r.description) && f("action", r.action);
    }
};

template <>
struct RecordFields<TextRecord>
{
    static constexpr const char *element = "TextItem";
    static constexpr bool childElements = true;

    template <typename R, typename F>
    static bool visit(R &r, F &&f)
    {
        return f("level", r.level) && f("parentId", r.parentId)
            && f("grandParentId", r.grandParentId) && f("xCoord", r.xCoord)
            && f("yCoord", r.yCoord) && f("width", r.width) && f("height", r.height)
            && f("type", r.type) && f("backgroundColour", r.backgroundColour)
            && f("textColour", r.textColour) && f("polygon", r.polygon)
            && f("action", r.action);
    }
};
