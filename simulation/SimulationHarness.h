#pragma once

// The C that runs one state machine in a simulation, next to a copy of the
// machine's own files (emitted with transition hooks). QtCore only.
//
// The glue unit defines the machine's inputs and outputs (the memory items
// of the parent diagram joined to it by dataflows) as globals of their
// types, includes the machine's source so that its static variables are
// reachable, and lists every variable with its address, size and kind. It
// also holds the breakpoint conditions, each a C expression over the
// variables. The runtime unit (SimulationRuntime) drives it over a line
// protocol.
//
// The scalar variables the project's simulation prelude defines (the
// program around the machine, faked) are inputs as well; the prelude
// defines them, the glue only lists them.

#include "CEmitter.h"
#include "DesignFinding.h"
#include "MachineDescription.h"
#include "SimulationRecords.h"

#include <QString>
#include <QStringList>
#include <QVector>

class SimulationHarness
{
public:
    // File names that no module can take (module names are C identifiers).
    static QString glueFileName() { return QStringLiteral("kestro-sim-glue.c"); }
    static QString runtimeFileName() { return QStringLiteral("kestro-sim-runtime.c"); }
    static QString runsFileName() { return QStringLiteral("kestro-sim-runs.c"); }
    static QString callsFileName() { return QStringLiteral("kestro-sim-calls.c"); }
    static QString runtimeHeaderName() { return QStringLiteral("kestro-sim-runtime.h"); }
    static QString executableName() { return QStringLiteral("kestro-sim-machine"); }
    // The project's simulation prelude, which the glue includes before anything else.
    static QString preludeFileName() { return QStringLiteral("kestro-sim-prelude.h"); }
    // KESTRO_SIM_KIND(x): the kind of a value as the runtime reads it ('b', 'i', 'u', 'f', 'r').
    static QString kindMacro();

    // The most variables of the prelude that are watched.
    static constexpr int MaxPreludeVariables = 256;

    // `module` is the machine's module emitted with transitionHooks;
    // `prelude` the project's simulation prelude.
    SimulationHarness(const MachineDescription &machine, const GeneratedModule &module,
                      const QStringList &conditions = QStringList(), const QString &prelude = QString());

    const QString &glue() const { return m_glue; }
    // Locals (the memory items of every level, then the machine's time in
    // state when the module has one, then each sub-machine's) first, then its inputs and outputs, then the
    // prelude's variables (inputs), each C name once.
    const QVector<SimulationVariable> &variables() const { return m_variables; }
    // Variables left out (no C name, no type, a prelude's name the machine
    // has, past MaxPreludeVariables), one warning each.
    const DesignFindings &notes() const { return m_notes; }

    // The most constants of the conditions the explorer leans towards.
    static constexpr int MaxConstants = 64;

    // The numbers the machine's conditions (and initial conditions) compare
    // with and their negations, each once, in order of first use; at most
    // MaxConstants.
    static QVector<double> conditionConstants(const MachineDescription &machine);

    // The finding for a compiler diagnostic about the glue unit's `line`:
    // it names the input, output or breakpoint condition written there.
    DesignFinding glueFinding(int line, DesignFinding::Severity severity, const QString &text) const;

private:
    struct Region
    {
        int first;
        int last;
        QString what;
    };
    // A variable the explorer gives random values. A unit that stands in
    // for a function the machine calls adds its return value here as well,
    // nullOnly for a pointer, which the explorer leaves null.
    struct Explored
    {
        int variable;   // index into m_variables
        bool nullOnly;
    };

    void collectVariables(const MachineDescription &machine, const QString &prelude);
    void addPreludeVariables(const QString &prelude);
    void addDataflowVariables(const QVector<MachineMemory> &memories, SimulationVariable::Role role);
    void writeGlue(const MachineDescription &machine, const GeneratedModule &module,
                   const QStringList &conditions);
    void writeDataflowVariables(bool standardTypes);
    void writeVariableTable();
    void writeConditions(const QStringList &conditions);
    // The machine's state, init and cycle, and the state variable of each level.
    void writeAccessors(const MachineDescription &machine, const GeneratedModule &module);
    void writeExplorer(const MachineDescription &machine);
    // Appends `text` (whole lines) and returns the range of lines it took.
    QPair<int, int> append(const QString &text);

    QString m_glue;
    int m_lines = 0;
    QVector<SimulationVariable> m_variables;
    int m_locals = 0;
    int m_dataflowEnd = 0;   // the prelude's variables start here
    QString m_instance;   // the simulated instance of an instance-style module, else empty
    DesignFindings m_notes;
    QVector<Region> m_regions;
    QVector<Explored> m_explored;
};
