#pragma once

// Names one item of a state machine by its kind and its position in the
// machine's list of that kind (MachineDescription), which is also its
// position in the diagram's list. QtCore only.

#include <QMetaType>
#include <QString>

struct MachineDescription;

struct ItemRef
{
    enum Kind : int { Machine, State, Transition, Text, Memory };

    Kind kind = Machine;
    int index = -1;   // unused for Machine

    bool operator==(const ItemRef &o) const { return kind == o.kind && index == o.index; }
    bool operator!=(const ItemRef &o) const { return !(*this == o); }

    static ItemRef machine() { return ItemRef(); }
    static ItemRef of(Kind kind, int index) { return ItemRef{kind, index}; }

    // How messages name the item: "State 'Idle'", "Transition 'Go'",
    // "Text item 2", "Memory item 'count'", "State machine 'Door'".
    QString describe(const MachineDescription &machine) const;
};

// A label quoted for a one-line message: line breaks, tabs and other
// control or direction characters are shown escaped ("\n", "\u202e").
QString printableLabel(const QString &label);
// The same without the quotes.
QString printableText(const QString &text);

Q_DECLARE_METATYPE(ItemRef)
