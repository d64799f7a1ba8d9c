#pragma once

// Builds the descriptions of all state machines of a project straight from
// the records of its file, without canvases or items (QtCore only). The
// records are placed by RecordPlacement, the rule the program's loader
// follows, so the command-line generator and the program (which generates
// from a snapshot of its diagrams, the records a save would write) see the
// same machines.

#include "LoadNote.h"
#include "MachineDescription.h"
#include "ProjectRecords.h"

#include <QVector>

class RecordsToMachines
{
public:
    // Every record of one project file, one list per kind, in file order.
    using Records = ProjectRecordLists;

    // One description per state-machine diagram the project tree reaches,
    // depth first as the tree lists them. The machine's process item is the
    // Process record that opens the diagram; its dataflows on the software
    // module's diagram are counted (from it, line type 1, an output; into
    // it, 2, an input). `notes` (if given) gets what the placement left out
    // and which labels are ambiguous.
    // The machine's module style is its process item's codeStyle, else the
    // project's (its root process's), else classic. Its counterType is the
    // root process's.
    static QVector<MachineDescription> build(const Records &records, LoadNotes *notes = nullptr);

    // The names stored for the two styles.
    static constexpr const char *ClassicStyle = "classic";
    static constexpr const char *InstanceStyle = "instance";
    // The style a machine's stored text and the project's default give
    // ("instance" is the instance style, anything else classic).
    static ModuleStyle style(const QString &machineStyle, const QString &projectDefault);
};
