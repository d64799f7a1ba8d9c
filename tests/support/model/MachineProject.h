#pragma once

// A project with one state machine at the end of one chain of nodes
// (project, Board, Controller, Tasks, the machine), for tests and benchmarks
// that build a machine record by record.

#include "ProjectDocument.h"

#include <QByteArray>
#include <QString>

namespace MachineProject {

// blocks[2] is the software module's diagram, blocks[3] the machine's.
ProjectDocument skeleton(const QString &projectName, const QString &machineName);

// A memory item `label` of `datatype` on the software module's diagram
// with a dataflow into the machine's process item: an input of the machine.
void addInput(ProjectDocument &document, const QString &label, const QString &datatype);

// The machine "Ring" of `states` states (project "Bench"): each state counts
// three cycles in `counter` and passes on to the next; the last one also
// counts `laps`. For benchmarks of large machines.
ProjectDocument ring(int states);

// The document as the project writer writes it (with its tree text).
QByteArray bytes(ProjectDocument document);

// An item on the diagram of the chain's node one level up (level 5 on the
// software module's diagram, 6 on the machine's).
template <typename Record>
Record item(int level, const QString &label)
{
    Record r;
    r.level = level;
    r.parentId = r.grandParentId = 1;
    r.label = label;
    return r;
}

} // namespace MachineProject
