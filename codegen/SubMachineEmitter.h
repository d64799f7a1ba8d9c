#pragma once

// The parts of a module that exist only for a machine with sub-machines,
// written alike for both module styles: the functions that enter, leave and
// run one cycle of each sub-machine, the one that puts every sub-machine
// back to "not entered", the kestro_in(X) query, and the lines a state
// holding a sub-machine adds to the code the style's emitter writes (its
// state functions and transition blocks, which the emitter writes for every
// diagram). What differs between the styles comes as names (Diagram) and
// as a Style: the parameter list, how a state value is assigned, how a
// piece of user code is written. QtCore only.
//
// A diagram is -1 for the top-level machine, else an index into its
// subMachines.

#include "CodeText.h"
#include "MachineDescription.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class SubMachineEmitter
{
public:
    // The C names of one diagram, as the code of the module reads them.
    struct Diagram
    {
        QString stateVar;         // "state_M_S" / "me->state_S"
        QString start;            // its value before the first entry
        QStringList values;       // one per state
        QStringList stateCalls;   // the call of each state's function: "Idle()" / "M_s_Idle(me)"
        QStringList active;       // the query's macro of each state
        QString counter;          // its time in state, empty when its texts never read it
        QString enter, exit, cycle;   // a sub-machine's functions
    };

    struct Style
    {
        QString params;           // "void" / "M_t *me"
        QString args;             // "" / "me"
        QString assign;           // "%1 = %2;" (variable, value)
        QString counterLimit;     // the largest value of the counters' type
        QString clearFunction;    // puts every sub-machine back to its start value
        QString activePrefix;     // kestro_in(X) expands to activePrefix ## X
        // What a sub-machine's cycle does on a value none of its states has.
        QString faultReset;
        // An entry or exit action of `state` of `diagram` as a block, at `indent`.
        std::function<void(CodeText &, int diagram, int state, bool entry, const QString &indent)> codeBlock;
        // A piece of user code of `diagram` as the style writes it, every
        // line feed followed by `indent`.
        std::function<QString(int diagram, const QString &text, const QString &indent)> code;
    };

    // `diagrams` holds the top-level machine's names first, then one per
    // sub-machine.
    SubMachineEmitter(const MachineDescription &top, const Style &style, const QVector<Diagram> &diagrams);

    const MachineDescription &diagram(int sub) const;
    const Diagram &names(int sub) const { return m_names.at(sub + 1); }
    int subMachineOf(int sub, int state) const;

    // The lines that follow a state's entry action when it holds a
    // sub-machine: the sub-machine is entered.
    void enterHolder(CodeText &out, int sub, int state, const QString &indent) const;
    // The lines before a state's exit action when it holds a sub-machine:
    // the sub-machine's active states are left, innermost first.
    void exitHolder(CodeText &out, int sub, int state, const QString &indent) const;
    // In the state function of a state holding a sub-machine, after its
    // action: the sub-machine's cycle, the head of the if chain the state's
    // own transitions continue with "else if". A sub-machine's transition
    // counts as fired for the state's diagram (`setFired`: its function
    // keeps a `fired`), whose time in state still grows. False when the
    // state holds none.
    bool holderBranch(CodeText &out, int sub, int state, bool setFired) const;

    void prototypes(CodeText &out) const;
    void functions(CodeText &out) const;
    // kestro_in(X) and one macro per state of every level.
    void activeMacros(CodeText &out) const;
    // The statement that calls the clear function.
    QString clearCall() const;

    // The number a transition hook names a transition by: the top-level
    // machine's transitions first, then each sub-machine's in turn.
    static int transitionNumber(const MachineDescription &top, int sub, int transition);

private:
    void enterFunction(CodeText &out, int sub) const;
    void exitFunction(CodeText &out, int sub) const;
    void cycleFunction(CodeText &out, int sub) const;
    void clearFunction(CodeText &out) const;
    void enterState(CodeText &out, int sub, int state, const QString &indent) const;
    QString countLine(int sub, const QString &indent) const;

    void findCalls();
    MachineState holderState(int sub) const;

    const MachineDescription &m_top;
    Style m_style;
    QVector<Diagram> m_names;
    // Whether anything calls a sub-machine's enter and exit functions (a
    // holder that no transition leaves needs no exit): only those are
    // written, so that the module compiles without unused functions.
    QVector<bool> m_entered, m_left;
};
