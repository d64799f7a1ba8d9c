#pragma once

// What a simulation of a state machine reports: its variables, the cycles
// it ran, the breakpoints it stopped at and why it failed. Plain data,
// QtCore only; SimulationSession fills it, the command-line tool and the
// editor show it.

#include "DesignFinding.h"

#include <QMetaType>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

struct SimulationVariable
{
    enum Role : int { Local, Input, Output, InputOutput };

    QString name;       // the C name
    QString datatype;   // the type as written in C
    Role role = Local;
    // Known once the machine's program runs: its kind ('b' bool, 'i' signed
    // and 'u' unsigned integer, 'f' floating, 'r' anything else, shown as
    // bytes), its size in bytes and its current value as text.
    char kind = 'r';
    int size = 0;
    QString value;

    bool isNumeric() const { return kind != 'r'; }
    static QString roleName(Role role);   // "local", "input", "output", "input/output"
};

// A function the machine calls that nothing defines, stubbed for the
// simulation (SimulationStubUnit). Each call returns the value set for it
// (0 until one is set) and is recorded with its arithmetic arguments when
// a prototype said what they are.
struct SimulationStub
{
    // What the stub returns: 'v' nothing, 'p' a null pointer, 'i' 'u' 'f'
    // 'b' a value of a signed, unsigned, floating or boolean type, 'c' a
    // plain char (signed or not as the platform has it).
    char returns = 'i';
    QString name;
    QString returnType = QStringLiteral("int");   // as written in the stub unit
    // The parameters as the stub unit declares them: 'i' signed, 'u'
    // unsigned, 'f' floating, 'p' pointer; recorded in that order.
    QByteArray parameters;
    QStringList parameterTypes;   // their C types as the stub unit writes them
    bool variadic = false;
    // A prototype of the machine's texts or the prelude gave the types;
    // without one the stub is "int NAME()" and records only its calls.
    bool prototyped = false;
    // Where the machine's program runs: the calls of the last cycle and the
    // values it returns as the runtime read them back ("0"; a sequence as
    // its values separated by blanks).
    qint64 calls = 0;
    QString returnText = QStringLiteral("0");

    bool returnsValue() const { return returns != 'v' && returns != 'p'; }
};

// One recorded call of a stub in a cycle.
struct SimulationCall
{
    int stub = -1;        // index into the session's stubs
    QString arguments;    // the recorded arguments, separated by blanks
};

struct SimulationChange
{
    int variable = -1;   // index into the session's variables
    QString value;
};

// One call of the machine function, or the initial cycle of a reset.
struct SimulationCycle
{
    qint64 number = 0;   // 0 for the reset's initial cycle
    // States as indices into the machine's states; the number of states
    // stands for the start value (before the initial transition).
    int before = -1;
    int after = -1;
    int fired = -1;      // index of the transition taken, -1 none
    // The active states before and after the cycle as state slots over
    // every level, the machine's own first (SimulationLevels); `fired` is a
    // transition slot. A machine without sub-machines has one level, whose
    // slots are the indices above.
    QVector<int> beforePath;
    QVector<int> afterPath;
    QVector<SimulationChange> changes;
    // The stubs' calls: the first SimulationStubUnit::RecordedCalls in
    // order, and how many calls each stub got in all (index, count).
    QVector<SimulationCall> calls;
    QVector<QPair<int, qint64>> callCounts;

    // Whether the cycle took the initial transition (there is no item for it).
    bool initialTransition(int stateCount) const { return before == stateCount && after != before; }
};

struct SimulationBreak
{
    enum Kind : int { StateEntered, Condition };

    Kind kind = StateEntered;
    int index = -1;      // the state slot entered, or the condition that became true
};

// The last line a command got from the machine's program.
struct SimulationReply
{
    enum Kind : int { Ok, Error, Break, Failed };

    Kind kind = Ok;
    QString text;              // what followed "ok" or "error"; the reason for Failed
    SimulationBreak hit;       // for Break

    bool ok() const { return kind == Ok || kind == Break; }
};

// How often each state was entered and each transition fired, over every
// run of a session (restarts included), by slot over every level of the
// machine (SimulationLevels). A self transition enters its state
// again; the initial transition is no transition of the machine and counts
// only as the entry of its state.
struct SimulationCoverage
{
    QVector<qint64> stateEntries;      // one per state
    QVector<qint64> transitionFires;   // one per transition

    int statesEntered() const;
    int transitionsFired() const;
    // Transitions fired of all, in percent; 100 for a machine without any.
    double transitionPercent() const;
};

// A value the explorer gave a variable, or a stub to return on every call,
// in force from cycle `cycle` on (counted from the explorer's last restart,
// as a reset counts).
struct SimulationGiven
{
    qint64 cycle = 0;
    int variable = -1;   // index into the session's variables; -1 for a stub
    // The value: the integer, or the float's or the double's bits (a
    // stub's floating value always as a double's).
    quint64 bits = 0;
    int stub = -1;       // index into the session's stubs
};

struct SimulationFailure
{
    enum Kind : int {
        None,
        NoCompiler,       // no C compiler could be started
        NotCompiled,      // the machine's C (or a breakpoint condition) did not compile
        DesignError,      // the machine cannot run as drawn (it has no initial state)
        BuildFailed,      // the files could not be written, or the compiler crashed or hung
        StartFailed,      // the compiled program could not be started
        Crashed,          // the program died of a signal
        TimedOut,         // a cycle did not finish in time; the program was ended
        Exited,           // the program ended by itself (the machine's code called exit)
        ProtocolError,    // the program said something the simulator does not understand
        NoSandbox,        // the machine cannot confine the compiler and the program here
        NotLinked,        // the machine's program did not link: a symbol nothing defines that cannot be stubbed
    };

    Kind kind = None;
    QString message;           // one line for the user
    DesignFindings findings;   // NotCompiled: what the compiler said, by item
    // Where the program was, for Crashed, TimedOut and Exited (-1 unknown).
    qint64 cycle = -1;
    int state = -1;
    int transition = -1;
    int condition = -1;        // a breakpoint condition was being evaluated
    // While exploring: the values given since the explorer's last restart,
    // which lead from a reset to the failure (SimulationReplay writes them).
    QVector<SimulationGiven> replay;
    bool exploring = false;

    bool failed() const { return kind != None; }
};

Q_DECLARE_METATYPE(SimulationCycle)
Q_DECLARE_METATYPE(SimulationBreak)
Q_DECLARE_METATYPE(SimulationReply)
Q_DECLARE_METATYPE(SimulationFailure)
