#pragma once

// Names one item of a state machine by its kind and its position in the
// machine's list of that kind (MachineDescription), which is also its
// position in the diagram's list. An item of a sub-machine also names the
// sub-machine: its index in the top-level machine's subMachines (-1: the
// top-level machine's own diagram). QtCore only.

#include <QMetaType>
#include <QString>
#include <QVector>

struct MachineDescription;

struct ItemRef
{
    enum Kind : int { Machine, State, Transition, Text, Memory };

    Kind kind = Machine;
    int index = -1;   // unused for Machine
    int subMachine = -1;   // Machine with a sub-machine: that sub-machine itself

    bool operator==(const ItemRef &o) const
    {
        return kind == o.kind && index == o.index && subMachine == o.subMachine;
    }
    bool operator!=(const ItemRef &o) const { return !(*this == o); }

    static ItemRef machine() { return ItemRef(); }
    static ItemRef of(Kind kind, int index) { return ItemRef{kind, index}; }
    static ItemRef in(int subMachine, Kind kind, int index) { return ItemRef{kind, index, subMachine}; }

    // How messages name the item: "State 'Idle'", "Transition 'Go'",
    // "Text item 2", "Memory item 'count'", "State machine 'Door'"; an item
    // of a sub-machine adds "in sub-machine 'Holder'", the sub-machine
    // itself is "Sub-machine 'Holder'".
    QString describe(const MachineDescription &machine) const;
    // The node path of the diagram the item is on: its sub-machine's, else
    // the machine's own.
    QVector<int> nodePath(const MachineDescription &machine) const;
};

// A label quoted for a one-line message: line breaks, tabs and other
// control or direction characters are shown escaped ("\n", "\u202e").
QString printableLabel(const QString &label);
// The same without the quotes.
QString printableText(const QString &text);

Q_DECLARE_METATYPE(ItemRef)
