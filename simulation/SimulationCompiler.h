#pragma once

// How a simulation's program is compiled: which compiler, with which
// arguments, and what its complaints are about. QtCore only.

#include "CEmitter.h"
#include "DesignFinding.h"
#include "MachineDescription.h"

#include <QStringList>

class SimulationHarness;

class SimulationCompiler
{
public:
    // The Tiny C Compiler when it is on the PATH (it compiles in
    // milliseconds), else $CC, else cc.
    static QStringList defaultCompiler();

    // The compiler's arguments after its own: the glue and runtime units, in
    // the working directory, into the program; `includeDirectories` are
    // searched for the machine's own includes.
    static QStringList arguments(const QStringList &compiler, const QStringList &includeDirectories);

    // The compiler's diagnostics as findings: about the machine's files they
    // name the state, transition, text or memory item behind the line, about
    // the glue unit the input, output or breakpoint condition.
    static DesignFindings findings(const QString &output, const SimulationHarness &harness,
                                   const GeneratedModule &module, const MachineDescription &machine);

    static bool hasErrors(const DesignFindings &findings);
};
