#pragma once

// What a failed link of a simulation's program says: the symbols it found
// undefined, from the messages of tcc ("undefined symbol 'NAME'"), the GNU
// linker ("undefined reference to `NAME'") and lld or mold ("undefined
// symbol: NAME"), and which of the compiler's errors are about the link
// alone. QtCore only.

#include "CompileCheck.h"

#include <QString>
#include <QStringList>

class SimulationLink
{
public:
    // The most symbols read from one output.
    static constexpr int MaxSymbols = 1024;

    // Each undefined symbol once, in the order first named; C identifiers only.
    static QStringList undefinedSymbols(const QString &output);
    // The diagnostic is the linker's (an undefined symbol, the linker's exit).
    static bool isLinkMessage(const CompileCheck::Diagnostic &diagnostic);
    // A name the simulation's own units define: never stubbed.
    static bool isReserved(const QString &name);
};
