#pragma once

// The state of one classic module while CEmitter writes it: everything
// derived from the machine that several sections need, and the two files
// being written. The fields of the diagram being written (the top-level
// machine unless a sub-machine is selected) stand at the top. QtCore only.

#include "ModuleRun.h"

struct ClassicRun : ModuleRun
{
    // The names of one diagram: the top-level machine or one sub-machine.
    struct Level
    {
        const MachineDescription *machine = nullptr;
        QString enumType;
        QString stateVar;
        QString start;
        QStringList enumerators;    // one per state, then the start enumerator
        int initialState = -1;
        // The time in state's counter; null when the diagram's texts never read it.
        QString counter;
    };

    QString module;
    QString enumType;
    QString stateVar;
    QString start;
    QVector<Level> levels;          // the top-level machine, then each sub-machine

    ClassicRun(const MachineDescription &m, const ModuleProperties &p, qint64 limit, const QString &type);

    // Makes diagram `d` (-1: the top-level machine) the one being written.
    void select(int d);
    // A code text of the diagram being written: a sub-machine's texts read
    // their own time in state through the same name.
    QString own(const QString &text) const;
    // An entry or exit action's code at `indent`; the time in state's variable.
    QString stateCode(const QString &text, const QString &indent) { return indented(own(text), indent); }
    QString counterVariable() const { return counter; }
    // Every diagram's names as the sub-machines' functions use them.
    QVector<SubMachineEmitter::Diagram> subMachineNames() const;


    // A template filled within what is left of the budget; null (and the
    // run marked overflowed) when it would not fit.
    QString fill(const QString &text, const QStringList &values);
    // `text` with every "\n" followed by `indent`, within the budget.
    QString indented(const QString &text, const QString &indent);
};
