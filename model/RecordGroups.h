#pragma once

// The groups of item records a canvas's block holds, one per item kind
// besides the process record that heads the block, in the order the
// project file stores them: the kinds of ItemRecordTypes with a group
// (RecordKind). The reader, the writer, grouping records into blocks and
// back, and BlockRecords go through forEachRecordGroup instead of naming
// kinds. QtCore only.

#include "ProjectDocument.h"
#include "ProjectRecords.h"
#include "RecordFields.h"
#include "RecordKinds.h"

#include <QVector>

template <typename Record>
class RecordGroup
{
public:
    using RecordType = Record;

    constexpr RecordGroup(const char *name, QVector<Record> CanvasBlock::*inBlock,
                          QVector<Record> ProjectRecordLists::*inLists, bool onMachinesOnly)
        : m_name(name), m_inBlock(inBlock), m_inLists(inLists), m_onMachinesOnly(onMachinesOnly)
    {
    }

    // The group element ("LinkItems") and each record's element ("Link").
    const char *name() const { return m_name; }
    static constexpr const char *element() { return RecordFields<Record>::element; }
    // Whether only state machines (level-5 canvases) hold the group.
    bool onMachinesOnly() const { return m_onMachinesOnly; }

    QVector<Record> CanvasBlock::*inBlock() const { return m_inBlock; }
    QVector<Record> &of(CanvasBlock &block) const { return block.*m_inBlock; }
    const QVector<Record> &of(const CanvasBlock &block) const { return block.*m_inBlock; }
    QVector<Record> &of(ProjectRecordLists &lists) const { return lists.*m_inLists; }
    const QVector<Record> &of(const ProjectRecordLists &lists) const { return lists.*m_inLists; }

private:
    const char *m_name;
    QVector<Record> CanvasBlock::*m_inBlock;
    QVector<Record> ProjectRecordLists::*m_inLists;
    bool m_onMachinesOnly;
};

// Calls f with each record group, in file order. f returns whether to go
// on; forEachRecordGroup returns false when f stopped it.
template <typename F>
bool forEachRecordGroup(F &&f)
{
    return ItemRecordTypes::forEach([&](auto tag) {
        using Record = typename decltype(tag)::Type;
        using Kind = RecordKind<Record>;
        if constexpr (Kind::groupName == nullptr) {
            return true;   // heads the block
        } else {
            return f(RecordGroup<Record>(Kind::groupName, Kind::inBlock, Kind::inLists,
                                         Kind::onMachinesOnly));
        }
    });
}
