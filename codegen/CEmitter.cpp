#include "CEmitter.h"

#include "ClassicRun.h"
#include "CodeText.h"
#include "DesignChecks.h"
#include "InstanceEmitter.h"
#include "MemberRewrite.h"
#include "SubMachineChecks.h"
#include "SubMachineEmitter.h"
#include "TemplateFill.h"
#include "TimeInState.h"

#include <QDateTime>
#include <QLocale>
#include <QtGlobal>

#include <algorithm>
#include <limits>
#include <memory>

namespace {

// Fixed section banners of the two files.
const char *const IncludesBanner =
    "/*--------------------------------- user includes ---------------------------------*/ \n";
const char *const GlobalBanner =
    "/*------------------------------ global declarations ------------------------------*/ \n";
const char *const DeclarationsBanner =
    "/*----------------------------- function declarations -----------------------------*/ \n";
const char *const SourceIncludesBanner =
    "/*----------------------------------- includes -----------------------------------*/ \n";
const char *const DefinesBanner =
    "/*--------------------------------- user defines ---------------------------------*/ \n";
const char *const VariablesBanner =
    "/*---------------------------------- variables -----------------------------------*/ \n";
const char *const UserCodeBanner =
    "/*---------------------------------- user code -----------------------------------*/ \n";
const char *const HeadersBanner =
    "/*---------------------------------- headers -------------------------------------*/ \n";
const char *const DefinitionsBanner =
    "/*--------------------------- function definitions -------------------------------*/ \n";

const char *const FileCommentTemplate =
    "/** \n * @file: %1 \n * @project: %2 \n * @version: %3 \n \n * @author: %4 \n"
    " * @organization: %5 \n * @date: %6 \n"
    " * @description: Automatic codification of state machine %7 \n * \n"
    " * Number of States: %8\n * Number of Transitions: %9 \n * Input variables: %10 \n"
    " * Output variables: %11 \n * local variables : %12 \n * \n * %13 \n */";

const char *const InitDescription = "States diagram initialization %1";

using Run = ClassicRun;

void fileComment(Run &run, CodeText &out, const QString &fileName)
{
    const QString text = CEmitter::fileComment(run.top, run.properties, fileName, run.budget);
    if (text.isNull())
        run.source.markOverflowed();
    out << text;
}

// The texts of one type, each followed by "\n", of the top-level machine
// and then of each sub-machine; true when there was any.
bool textsOfType(Run &run, CodeText &out, int type)
{
    return writeTexts(run, out, type, [&run](const QString &text) { return run.own(text); });
}

void enumText(Run &run, CodeText &out)
{
    out << QLatin1String("typedef enum { \n \t");
    for (int i = 0; i < run.enumerators.size(); ++i) {
        OwnerScope owner(out, run.ref(i < run.machine->states.size() ? ItemRef::State : ItemRef::Machine,
                                      i < run.machine->states.size() ? i : -1));
        if (i < run.machine->states.size())
            out.user(run.enumerators.at(i));
        else
            out << run.enumerators.at(i);
        out << QLatin1String(" = ") << QString::number(i) << QLatin1String(",\n\t");
    }
    out << QLatin1Char('}') + run.enumType + QLatin1Char(';');
}

void prototypes(Run &run, CodeText &out)
{
    const QString &m = run.module;
    const QString gap = QStringLiteral("\n \n");
    out << run.fill(QStringLiteral("/** \n * @function description  %1 \n */ \n %2"),
                    { run.fill(QLatin1String(InitDescription), { m }),
                      QLatin1String("void ") + m + QLatin1String("Initialize(void);") })
        << gap;
    out << run.fill(QStringLiteral("/** \n * @function description  %1 \n */ \n %2"),
                    { run.fill(QStringLiteral("Main routine of the states diagram %1 \n"
                                              " Calls theCorresponding function state."), { m }),
                      QLatin1String("void ") + m + QLatin1String("(void);") })
        << gap;
    out << run.fill(QStringLiteral("/** \n * @function description  %1 \n */ \n%2"),
                    { run.fill(QStringLiteral("Function that returns the current state of the FSM %1"), { m }),
                      run.enumType + QLatin1Char(' ') + m + QLatin1String("GetState(void);") })
        << gap;
}

void headerText(Run &run, const QString &fileName)
{
    CodeText &out = run.header;
    const QString guard = CEmitter::guardMacro(run.module);
    fileComment(run, out, fileName);
    out << QLatin1String("\n \n") << QLatin1String("#ifndef ") + guard + QLatin1Char('\n')
        << QLatin1String("#define ") + guard << QLatin1String("\n \n") << QLatin1String(IncludesBanner);
    textsOfType(run, out, MachineText::Includes);
    out << QLatin1String("\n \n") << QLatin1String(GlobalBanner) << QLatin1String("\n");
    enumText(run, out);
    out << QLatin1String("\n \n") << QLatin1String(DeclarationsBanner) << QLatin1String("\n");
    prototypes(run, out);
    out << QLatin1String("#endif /* ") + guard + QLatin1String(" */");
}

// Macros and user code: the texts of one type, then a separator when any.
void sectionText(Run &run, CodeText &out, int type)
{
    if (textsOfType(run, out, type))
        out << QLatin1String("\n \n");
}

// The state variable of the diagram selected and its counter.
void stateVariableText(Run &run, CodeText &out)
{
    out << QLatin1String("static ") + run.enumType + QLatin1Char(' ') + run.stateVar + QLatin1String(" = ") + run.start
            + QLatin1Char(';') + QLatin1String("\n");
    if (!run.counter.isEmpty())
        out << QLatin1String("static ") + run.counterType + QLatin1Char(' ') + run.counter
                + QLatin1String(" = 0u;\t/* complete cycles in the current state */\n");
}

// Memory items of every level are the module's; each sub-machine has its
// enumeration (its start value: not entered, nothing to resume), its state
// variable and its own time in state.
void variablesText(Run &run, CodeText &out)
{
    for (int d = -1; d < run.diagrams(); ++d) {
        run.select(d);
        for (int i = 0; i < run.machine->memories.size(); ++i) {
            const MachineMemory &memory = run.machine->memories.at(i);
            OwnerScope owner(out, run.ref(ItemRef::Memory, i));
            out << QLatin1String("static ");
            out.user(CEmitter::memoryType(memory.datatype) + QLatin1Char(' ')
                     + QString(memory.label).replace(QLatin1Char(' '), QLatin1Char('_')));
            out << QLatin1String(";\n");
        }
    }
    run.select(-1);
    out << QLatin1String("\n");
    stateVariableText(run, out);
    for (int d = 0; d < run.diagrams(); ++d) {
        run.select(d);
        out << QLatin1String("\n");
        enumText(run, out);
        out << QLatin1String("\n");
        stateVariableText(run, out);
    }
    run.select(-1);
    out << QLatin1String("\n");
}

void staticPrototypes(Run &run, CodeText &out)
{
    out << QLatin1String("static void ") + CEmitter::initialFunction(run.module) + QLatin1String("(void);\n");
    for (int d = -1; d < run.diagrams(); ++d) {
        run.select(d);
        for (int i = 0; i < run.machine->states.size(); ++i) {
            OwnerScope owner(out, run.ref(ItemRef::State, i));
            out << QLatin1String(d < 0 ? "static void " : "static int ");
            out.user(run.machine->states.at(i).label);
            out << QLatin1String("(void);\n");
        }
    }
    run.select(-1);
    if (run.subs)
        run.subs->prototypes(out);
    out << QLatin1String("\n\n");
}

void caseList(Run &run, CodeText &out)
{
    out << QLatin1String("\n\t\tcase ") + run.start + QLatin1String(": \n\t\t\t")
            + CEmitter::initialFunction(run.module) + QLatin1String("();") + QLatin1String("\n\t\t\tbreak;\n");
    for (int i = 0; i < run.machine->states.size(); ++i) {
        OwnerScope owner(out, run.ref(ItemRef::State, i));
        out << QLatin1String("\n\t\tcase ");
        out.user(run.enumerators.at(i));
        out << QLatin1String(":\n\t\t\t");
        out.user(run.machine->states.at(i).label);
        out << QLatin1String("(); \n\t\t\tbreak; \n");
    }
    out << QLatin1String("\n\t\tdefault: \n\t\t\t") + run.stateVar + QLatin1String(" = ") + run.start
            + QLatin1String(";\n\t\t\t") + (run.subs ? run.subs->clearCall() + QLatin1String("\n\t\t\t") : QString())
            + QLatin1String("break;");
}

void publicDefinitions(Run &run, CodeText &out)
{
    const QString &m = run.module;
    const QString gap = QStringLiteral("\n \n");
    out << QLatin1String("\n");
    // The counter's name holds no "%", so it may stand in the template.
    QString counterReset = run.counter.isEmpty() ? QString() : QLatin1Char('\t') + run.counter + QLatin1String(" = 0u; \n");
    if (run.subs)
        counterReset += QLatin1Char('\t') + run.subs->clearCall() + QLatin1String(" \n");
    out << run.fill(QStringLiteral("/** \n * @function description  %1 \n */ \n%2 \n{\t \n \t/* -- state variable initialization -- */ \n"
                                   "\t%3 = %4; \n") + counterReset + QStringLiteral(" \t/* -- states machine initial cycle execution -- */ \n\t%5(); \n}"),
                    { run.fill(QLatin1String(InitDescription), { m }),
                      QLatin1String("void ") + m + QLatin1String("Initialize(void)"), run.stateVar, run.start, m })
        << gap;
    // The case list is the last placeholder of the main routine and the
    // other values are names without "%", so the routine is written around
    // it, each case under its state.
    const QString mainRoutine = run.fill(
        QStringLiteral("/** \n * @function description  %1 \n */ \n%2 \n{\n\tswitch(%3){\n %4 \n\t} \n}"),
        { run.fill(QStringLiteral("Main routine of the states diagram %1 \n"
                                  "   Calls theCorresponding function state."), { m }),
          QLatin1String("void ") + m + QLatin1String("(void)"), run.stateVar });
    const int cases = mainRoutine.indexOf(QLatin1String("%4"));
    out << mainRoutine.left(cases);
    caseList(run, out);
    out << mainRoutine.mid(cases + 2) << gap;
    out << run.fill(QStringLiteral("/** \n * @function description  %1 */ \n%2 \n{ \n\treturn %3; \n}"),
                    { run.fill(QStringLiteral("Function that returns the current state of the FSM %1 \n"), { m }),
                      run.enumType + QLatin1Char(' ') + m + QLatin1String("GetState(void)"), run.stateVar })
        << gap;
}

// A cycle in which no transition fired: the time in state grows by one,
// up to the counter's largest value. `chained` continues an if chain.
void countCycle(Run &run, CodeText &out, bool chained)
{
    if (run.counter.isEmpty())
        return;
    out << QLatin1String(chained ? "\n\t/* -- no transition fired: one more cycle in the state -- */\n\telse if ("
                                 : "\n\t/* -- one more cycle in the state -- */\n\tif (")
            + run.counter + QLatin1String(" < ") + TimeInState::counterLimit(run.counterType)
            + QLatin1String(")\n\t{\n\t\t++") + run.counter + QLatin1String(";\n\t}\n");
}

void initialBody(Run &run, CodeText &out)
{
    if (run.initialState < 0) {
        out << run.fill(QStringLiteral("\t// Error : Initial state item in state machine %1 is not assigned \n"),
                        { run.module });
        return;
    }
    OwnerScope owner(out, run.ref(ItemRef::State, run.initialState));
    const MachineState &s = run.machine->states.at(run.initialState);
    // A condition of blanks only is no condition: the transition is taken at once.
    if (s.initialCondition.trimmed().isEmpty()) {
        out << QLatin1String("\t") << run.stateVar << QLatin1String(" = ");
        out.user(run.enumerators.at(run.initialState));
        out << QLatin1String(";\n");
        writeEnterState(run, out, run.initialState, QStringLiteral("\t"));
        return;
    }
    out << QLatin1String("\t/* -- condition for transition to initial state -- */\n\tif");
    out.user(s.initialCondition);
    out << QLatin1String("\n\t{\n\t\t");
    out.user(run.indented(s.initialDescription, QLatin1String("\t")));
    out << QLatin1String("\n\n\t\t") + run.stateVar + QLatin1String(" = ");
    out.user(run.enumerators.at(run.initialState));
    out << QLatin1String(";\n");
    writeEnterState(run, out, run.initialState, QStringLiteral("\t\t"));
    out << QLatin1String("\t}\n");
    countCycle(run, out, true);
}

void initialFunctionText(Run &run, CodeText &out)
{
    out << run.fill(QStringLiteral("/** \n * @function description:  function corresponding to the initial state of %1 \n */ \n"
                                   "static void %2(void) \n{\n"),
                    { run.module, CEmitter::initialFunction(run.module) });
    initialBody(run, out);
    out << QLatin1String("}");
}

// One transition block of a state's if / else-if chain: the exit action of
// the state left, the transition's action, the new state, its entry action.
// A self transition leaves the state variable as it is but leaves and
// enters its state all the same.
void transitionBlock(Run &run, CodeText &out, int t, bool first)
{
    const MachineTransition &tr = run.machine->transitions.at(t);
    OwnerScope owner(out, run.ref(ItemRef::Transition, t));
    out << QLatin1String("\n\t/* -- case where transition is executed ");
    out.user(CEmitter::commentText(tr.label));
    out << QLatin1String(" -- */\n\t") << QLatin1String(first ? "if " : "else if ");
    out.user(run.own(CEmitter::conditionText(tr.condition)));
    out << QLatin1String("\n\t{\n\t\t");
    writeLeaveState(run, out, t);
    out.user(run.indented(run.own(tr.action), QLatin1String("\t\t")));
    const QLatin1String end(run.diagram < 0 ? "\t}\n" : "\t\tfired = 1;\n\t}\n");
    if (tr.start == tr.end) {
        out << QLatin1String("\n");
        writeEnterState(run, out, tr.end, QStringLiteral("\t\t"));
        out << end;
        return;
    }
    out << QLatin1String("\n\t\t/* -- state is changed -- */ \n\t\t") + run.stateVar + QLatin1String(" = ");
    out.user(run.enumerators.at(tr.end));
    out << QLatin1String(";\n");
    writeEnterState(run, out, tr.end, QStringLiteral("\t\t"));
    out << end;
}

// The if / else-if chain of a state's outgoing transitions, then its self
// transitions. Only the blocks that are written are numbered, so a
// transition whose end state is missing cannot leave an "else if" without
// its "if". Returns how many were written.
int transitionBlocks(Run &run, CodeText &out, int stateIndex, int written)
{
    const MachineState &state = run.machine->states.at(stateIndex);
    for (int t : state.transitions) {
        if (t < 0 || t >= run.machine->transitions.size() || run.overflowed())
            continue;
        const MachineTransition &tr = run.machine->transitions.at(t);
        if (tr.start != stateIndex || tr.end == stateIndex || !run.isState(tr.end))
            continue;
        transitionBlock(run, out, t, ++written == 1);
    }
    for (int t : state.selfTransitions) {
        if (t < 0 || t >= run.machine->transitions.size() || run.overflowed())
            continue;
        const MachineTransition &tr = run.machine->transitions.at(t);
        if (tr.start != stateIndex || tr.end != stateIndex)
            continue;
        transitionBlock(run, out, t, ++written == 1);
    }
    return written;
}

void stateFunction(Run &run, CodeText &out, int stateIndex)
{
    const MachineState &s = run.machine->states.at(stateIndex);
    OwnerScope owner(out, run.ref(ItemRef::State, stateIndex));
    // The description and the label come first, so the lines that follow
    // them count as the state's.
    // A sub-machine's state tells its diagram whether a transition fired.
    const bool sub = run.diagram >= 0;
    out.user(run.fill(sub ? QStringLiteral("/** \n * @function description  %1 \n */ \nstatic int %2(void) \n{\n\tint fired = 0;")
                          : QStringLiteral("/** \n * @function description  %1 \n */ \nstatic void %2(void) \n{"),
                      { CEmitter::commentText(s.description), s.label }));
    out << QLatin1String("\n") << QLatin1String("\n\t /* -- code of the current state -- */ \n\t");
    out.user(run.indented(run.own(s.action), QLatin1String("\t")));
    out << QLatin1String("\n");
    const int inner = run.subs && run.subs->holderBranch(out, run.diagram, stateIndex, sub) ? 1 : 0;
    countCycle(run, out, transitionBlocks(run, out, stateIndex, inner) > 0);
    out << QLatin1String(sub ? "\n\treturn fired;\n}" : "\n}");
}

void stateFunctions(Run &run, CodeText &out)
{
    initialFunctionText(run, out);
    out << QLatin1String("\n\n");
    for (int d = -1; d < run.diagrams(); ++d) {
        run.select(d);
        for (int i = 0; i < run.machine->states.size() && !run.overflowed(); ++i) {
            stateFunction(run, out, i);
            out << QLatin1String("\n\n");
        }
    }
    run.select(-1);
    if (run.subs)
        run.subs->functions(out);
}

// What the sub-machines' functions write as the classic module does.
SubMachineEmitter::Style classicStyle(Run &run)
{
    SubMachineEmitter::Style style;
    style.params = QStringLiteral("void");
    style.assign = QStringLiteral("%1 = %2;");
    style.counterLimit = run.counterType.isNull() ? QString() : TimeInState::counterLimit(run.counterType);
    style.clearFunction = CEmitter::subResetFunction(run.module);
    style.activePrefix = CEmitter::activeMacro(run.module, QString());
    style.faultReset = run.levels.at(0).stateVar + QLatin1String(" = ") + run.levels.at(0).start + QLatin1String(";\n\t\t")
                       + CEmitter::subResetFunction(run.module) + QLatin1String("();");
    style.codeBlock = [&run](CodeText &out, int d, int state, bool entry, const QString &indent) {
        const int was = run.diagram;
        run.select(d);
        writeStateCodeBlock(run, out, state, entry, indent);
        run.select(was);
    };
    style.code = [&run](int d, const QString &text, const QString &indent) {
        const int was = run.diagram;
        run.select(d);
        const QString code = run.indented(run.own(text), indent);
        run.select(was);
        return code;
    };
    return style;
}


void sourceText(Run &run, const QString &fileName, const QString &headerFileName)
{
    CodeText &out = run.source;
    fileComment(run, out, fileName);
    out << QLatin1String("\n \n") << QLatin1String(SourceIncludesBanner) << QLatin1String("\n")
        << QLatin1String("#include \"") + headerFileName + QLatin1Char('"')
        << QLatin1String(run.counterType.isNull() ? "" : "\n#include <stdint.h>") << QLatin1String("\n \n")
        << QLatin1String(DefinesBanner) << QLatin1String("\n");
    if (run.subs)
        run.subs->activeMacros(out);
    sectionText(run, out, MachineText::Macros);
    out << QLatin1String(VariablesBanner) << QLatin1String("\n");
    variablesText(run, out);
    out << QLatin1String(UserCodeBanner) << QLatin1String("\n");
    sectionText(run, out, MachineText::Default);
    out << QLatin1String(HeadersBanner) << QLatin1String("\n");
    staticPrototypes(run, out);
    out << QLatin1String(DefinitionsBanner) << QLatin1String("\n");
    publicDefinitions(run, out);
    out << QLatin1String("\n");
    stateFunctions(run, out);
}

const char *const CKeywords[] = {
    "auto", "break", "case", "char", "const", "continue", "default", "do", "double", "else", "enum",
    "extern", "float", "for", "goto", "if", "inline", "int", "long", "register", "restrict", "return",
    "short", "signed", "sizeof", "static", "struct", "switch", "typedef", "union", "unsigned", "void",
    "volatile", "while", "_Alignas", "_Alignof", "_Atomic", "_Bool", "_Complex", "_Generic",
    "_Imaginary", "_Noreturn", "_Static_assert", "_Thread_local",
};

} // namespace

QDate ModuleProperties::generationDate()
{
    bool ok = false;
    const qint64 seconds = qEnvironmentVariable("SOURCE_DATE_EPOCH").trimmed().toLongLong(&ok);
    if (ok)
        return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).date();
    return QDate::currentDate();
}

void GeneratedModule::addError(const QString &text, const ItemRef &item)
{
    errors << text;
    // Errors stand before every warning.
    int at = 0;
    while (at < findings.size() && findings.at(at).severity == DesignFinding::Error)
        ++at;
    findings.insert(at, DesignFinding{ DesignFinding::Error, text, item });
}

void GeneratedModule::addWarning(const QString &text, const ItemRef &item)
{
    warnings << text;
    findings << DesignFinding{ DesignFinding::Warning, text, item };
}

GeneratedModule CEmitter::generate(const MachineDescription &machine, const ModuleProperties &properties,
                                   qint64 sizeLimit)
{
    GeneratedModule result;
    result.moduleName = moduleName(machine.processLabel);
    result.headerFileName = result.moduleName + QLatin1String(".h");
    result.sourceFileName = result.moduleName + QLatin1String(".c");
    const QString shownName = printableText(result.moduleName);
    if (!isCIdentifier(result.moduleName)) {
        // Its name makes the file names: nothing is emitted, so nothing can
        // be written outside the output directory or under an odd name.
        result.writable = false;
        result.addError(QStringLiteral("State machine %1: name is not a C identifier, no files written").arg(shownName));
    }
    DesignChecks::addErrors(machine, result.moduleName, &result);
    DesignChecks::addWarnings(machine, result.moduleName, &result);
    SubMachineChecks::add(machine, result.moduleName, &result);
    // Only a machine that reads its time in state has the counter.
    bool timeUsed = TimeInState::isUsed(machine);
    for (size_t i = 0; i < machine.subMachines.size() && !timeUsed; ++i)
        timeUsed = TimeInState::isUsed(machine.subMachines.at(i));
    const QString counterType = timeUsed ? TimeInState::counterType(machine.counterType) : QString();
    const QString typeProblem = QStringLiteral("State machine %1: the project's counter type '%2' for %3 is not one of %4")
                                    .arg(shownName, printableText(machine.counterType), TimeInState::name(),
                                         TimeInState::counterTypes().join(QStringLiteral(", ")));
    if (timeUsed && counterType.isNull()) {
        result.writable = false;
        result.addError(typeProblem + QStringLiteral(", no files written"));
    } else if (TimeInState::counterType(machine.counterType).isNull()) {
        // Nothing of this machine depends on it, but the setting is wrong.
        result.addWarning(typeProblem + QStringLiteral("; the machine does not read it"), ItemRef::machine());
    }
    if (!result.writable)
        return result;

    if (machine.style == ModuleStyle::Instance) {
        DesignChecks::addInstanceChecks(machine, result.moduleName, &result);
        if (!InstanceEmitter::write(machine, properties, sizeLimit, counterType, &result)) {
            result.writable = false;
            result.addError(QStringLiteral("State machine %1: generated code would pass %2 MiB, no files written")
                                .arg(shownName)
                                .arg(sizeLimit / (1024 * 1024)));
        }
        return result;
    }
    Run run(machine, properties, sizeLimit, counterType);
    if (!machine.subMachines.empty())
        run.subs = std::make_unique<SubMachineEmitter>(machine, classicStyle(run), run.subMachineNames());
    headerText(run, result.headerFileName);
    sourceText(run, result.sourceFileName, result.headerFileName);
    if (run.overflowed()) {
        result.writable = false;
        result.addError(QStringLiteral("State machine %1: generated code would pass %2 MiB, no files written")
                            .arg(shownName)
                            .arg(sizeLimit / (1024 * 1024)));
        return result;
    }
    result.header = run.header.text();
    result.source = run.source.text();
    result.headerLines = run.header.lines();
    result.sourceLines = run.source.lines();
    return result;
}

QString CEmitter::fileComment(const MachineDescription &m, const ModuleProperties &p, const QString &fileName,
                              qint64 limit)
{
    return fillTemplate(QLatin1String(FileCommentTemplate), {
        fileName, commentText(p.projectName), versionText(p.version), commentText(p.author),
        commentText(p.organization), dateText(p.date), moduleName(m.processLabel), QString::number(m.states.size()),
        QString::number(m.transitionCount), QString::number(m.inputVariables), QString::number(m.outputVariables),
        QString::number(m.memories.size()), commentText(m.processDescription) }, limit);
}

QString CEmitter::moduleName(const QString &processLabel)
{
    return QString(processLabel).replace(QLatin1Char(' '), QLatin1Char('_'));
}

QString CEmitter::guardMacro(const QString &module)
{
    return QLatin1Char('_') + module.toUpper() + QLatin1String("_H");
}

QString CEmitter::enumTypeName(const QString &module)
{
    return QLatin1String("t_state_") + module;
}

QString CEmitter::stateVariable(const QString &module)
{
    return enumTypeName(module).mid(2);
}

QString CEmitter::stateEnumerator(const QString &module, const QString &stateLabel)
{
    // Built at its size: a state's label may be very long.
    const QString upperModule = module.toUpper();
    QString name;
    name.reserve(6 + upperModule.size() + 1 + stateLabel.size());
    name += QLatin1String("STATE_");
    name += upperModule;
    name += QLatin1Char('_');
    name += stateLabel.toUpper();
    return name;
}

QString CEmitter::startEnumerator(const QString &module)
{
    return QLatin1String("STATE_0_") + module.toUpper();
}

QString CEmitter::initialFunction(const QString &module)
{
    return module + QLatin1Char('0');
}

QString CEmitter::subEnumTypeName(const QString &module, const QString &holder)
{
    return enumTypeName(module + QLatin1Char('_') + holder);
}

QString CEmitter::subStateVariable(const QString &module, const QString &holder)
{
    return stateVariable(module + QLatin1Char('_') + holder);
}

QString CEmitter::subStartEnumerator(const QString &module, const QString &holder)
{
    return startEnumerator(module + QLatin1Char('_') + holder);
}

QString CEmitter::subCounter(const QString &module, const QString &holder)
{
    return module + QLatin1Char('_') + holder + QLatin1Char('_') + TimeInState::name();
}

QString CEmitter::subCycleFunction(const QString &module, const QString &holder)
{
    return module + QLatin1String("_cycle_") + holder;
}

QString CEmitter::subEnterFunction(const QString &module, const QString &holder)
{
    return module + QLatin1String("_enter_") + holder;
}

QString CEmitter::subExitFunction(const QString &module, const QString &holder)
{
    return module + QLatin1String("_exit_") + holder;
}

QString CEmitter::subResetFunction(const QString &module)
{
    return module + QLatin1String("_reset_sub_machines");
}

QString CEmitter::inQuery()
{
    return QStringLiteral("kestro_in");
}

QString CEmitter::activeMacro(const QString &module, const QString &label)
{
    return QLatin1String("KESTRO_IN_") + module + QLatin1Char('_') + label;
}

QString CEmitter::versionText(double version)
{
    return QString::number(version, 'g', 6);
}

QString CEmitter::dateText(const QDate &date)
{
    return QLocale::c().toString(date, QStringLiteral("ddd MMM d yyyy"));
}

QString CEmitter::fillTemplate(const QString &text, const QStringList &values)
{
    return fillTemplate(text, values, std::numeric_limits<qint64>::max());
}

QString CEmitter::fillTemplate(const QString &text, const QStringList &values, qint64 limit)
{
    return TemplateFill::fill(text, values, limit);
}

QString CEmitter::commentText(const QString &text)
{
    if (!text.contains(QLatin1String("*/")) && !text.contains(QLatin1String("/*")))
        return text;
    // A blank between "*" and "/" in either order: the comment neither ends
    // early nor holds a nested opening ("/*/" becomes "/ * /").
    QString result;
    result.reserve(text.size() + 8);
    for (int i = 0; i < text.size(); ++i) {
        result += text.at(i);
        if (i + 1 < text.size()) {
            const QChar c = text.at(i), next = text.at(i + 1);
            if ((c == QLatin1Char('*') && next == QLatin1Char('/')) || (c == QLatin1Char('/') && next == QLatin1Char('*')))
                result += QLatin1Char(' ');
        }
    }
    return result;
}

QString CEmitter::conditionText(const QString &condition)
{
    return condition.trimmed().isEmpty() ? QStringLiteral("(1)") : condition;
}

QString CEmitter::memoryType(const QString &datatype)
{
    return datatype.simplified();
}

bool CEmitter::isCKeyword(const QString &name)
{
    for (const char *keyword : CKeywords) {
        if (name == QLatin1String(keyword))
            return true;
    }
    return false;
}

bool CEmitter::isCIdentifier(const QString &name)
{
    if (name.isEmpty() || isCKeyword(name))
        return false;
    for (int i = 0; i < name.size(); ++i) {
        const ushort c = name.at(i).unicode();
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0))
            return false;
    }
    return true;
}
