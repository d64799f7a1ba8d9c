#include "SimulationCompiler.h"

#include "CompileCheck.h"
#include "SimulationHarness.h"
#include "SimulationStubUnit.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Compilers often name the line of the token after what is missing; when
// that is a line of fixed text, the fault is in the item written before it.
CompileCheck::Diagnostic onItemLine(const CompileCheck::Diagnostic &d, const GeneratedModule &module)
{
    if (QFileInfo(d.file).fileName() != module.sourceFileName)
        return d;
    int line = d.line;
    while (line > 1 && module.sourceLines.ownerOf(line) == ItemRef::machine())
        --line;
    CompileCheck::Diagnostic moved = d;
    if (module.sourceLines.ownerOf(line) != ItemRef::machine())
        moved.line = line;
    return moved;
}

} // namespace

QStringList SimulationCompiler::defaultCompiler()
{
    const QString tcc = QStandardPaths::findExecutable(QStringLiteral("tcc"));
    if (!tcc.isEmpty())
        return { tcc };
    return CompileCheck::defaultCompiler();
}

QStringList SimulationCompiler::arguments(const QStringList &compiler, const QStringList &includeDirectories)
{
    QStringList arguments = compiler.mid(1);
    arguments << QStringLiteral("-std=c99");
    for (const QString &directory : includeDirectories)
        arguments << QStringLiteral("-I") + directory;
    arguments << QStringLiteral("-o") << SimulationHarness::executableName() << SimulationHarness::glueFileName()
              << SimulationHarness::runtimeFileName() << SimulationHarness::runsFileName()
              << SimulationHarness::callsFileName() << SimulationStubUnit::fileName();
    return arguments;
}

DesignFindings SimulationCompiler::findings(const QString &output, const SimulationHarness &harness,
                                            const GeneratedModule &module, const MachineDescription &machine)
{
    DesignFindings findings;
    for (const CompileCheck::Diagnostic &d : CompileCheck::diagnostics(output)) {
        const QString file = QFileInfo(d.file).fileName();
        if (file == SimulationHarness::glueFileName()) {
            findings << harness.glueFinding(d.line, d.severity, d.text);
        } else if (file == SimulationHarness::preludeFileName()) {
            DesignFinding finding = CompileCheck::finding(d, module, machine);
            finding.text = QStringLiteral("Simulation prelude, line %1: %2").arg(d.line).arg(d.text);
            findings << finding;
        } else if (file == SimulationHarness::runtimeFileName() || file == SimulationHarness::runsFileName()
                   || file == SimulationHarness::callsFileName() || file == SimulationHarness::runtimeHeaderName() || file == SimulationStubUnit::fileName()) {
            DesignFinding finding = CompileCheck::finding(d, module, machine);
            finding.text = QStringLiteral("Simulation runtime: ") + d.text;
            findings << finding;
        } else {
            findings << CompileCheck::finding(onItemLine(d, module), module, machine);
        }
    }
    return findings;
}

bool SimulationCompiler::hasErrors(const DesignFindings &findings)
{
    for (const DesignFinding &finding : findings) {
        if (finding.severity == DesignFinding::Error)
            return true;
    }
    return false;
}
