#include "CEmitter.h"

#include <QDateTime>
#include <QLocale>
#include <QtGlobal>

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

// A placeholder is "%" and one or two digits without a leading zero (1..99).
// Returns its number, or 0 when none starts at pos; *length gets its size.
int placeholderAt(const QString &text, int pos, int *length)
{
    if (text.at(pos) != QLatin1Char('%') || pos + 1 >= text.size())
        return 0;
    const QChar first = text.at(pos + 1);
    if (first < QLatin1Char('1') || first > QLatin1Char('9'))
        return 0;
    int number = first.unicode() - '0';
    *length = 2;
    if (pos + 2 < text.size() && text.at(pos + 2).isDigit() && text.at(pos + 2).unicode() < 128) {
        number = number * 10 + (text.at(pos + 2).unicode() - '0');
        *length = 3;
    }
    return number;
}

int lowestPlaceholder(const QString &text)
{
    int lowest = 0;
    for (int i = 0; i < text.size(); ++i) {
        int length = 0;
        const int number = placeholderAt(text, i, &length);
        if (number > 0 && (lowest == 0 || number < lowest))
            lowest = number;
        if (number > 0)
            i += length - 1;
    }
    return lowest;
}

QString replacePlaceholder(const QString &text, int number, const QString &value)
{
    QString result;
    result.reserve(text.size() + value.size());
    for (int i = 0; i < text.size(); ++i) {
        int length = 0;
        const int found = placeholderAt(text, i, &length);
        if (found == number) {
            result += value;
            i += length - 1;
        } else if (found > 0) {
            result += text.midRef(i, length);
            i += length - 1;
        } else {
            result += text.at(i);
        }
    }
    return result;
}

QString replaced(QString text, const char *from, const char *to)
{
    return text.replace(QLatin1String(from), QLatin1String(to));
}

// Everything derived from the machine that several sections need.
struct Run
{
    const MachineDescription &machine;
    const ModuleProperties &properties;
    QString module;
    QString upperModule;
    QString enumType;
    QString stateVar;
    QString start;
    QStringList enumerators;    // one per state, then the start enumerator
    int initialState = -1;
    QStringList errors;

    Run(const MachineDescription &m, const ModuleProperties &p)
        : machine(m), properties(p)
    {
        module = CEmitter::moduleName(m.processLabel);
        upperModule = module.toUpper();
        enumType = CEmitter::enumTypeName(module);
        stateVar = CEmitter::stateVariable(module);
        start = CEmitter::startEnumerator(module);
        for (const MachineState &s : m.states)
            enumerators << CEmitter::stateEnumerator(module, s.label);
        enumerators << start;
        for (int i = 0; i < m.states.size() && initialState < 0; ++i) {
            if (m.states.at(i).initial)
                initialState = i;
        }
    }

    bool isState(int index) const { return index >= 0 && index < machine.states.size(); }
};

QString fileComment(const Run &run, const QString &fileName)
{
    const MachineDescription &m = run.machine;
    return CEmitter::fillTemplate(QLatin1String(FileCommentTemplate), {
        fileName, run.properties.projectName, CEmitter::versionText(run.properties.version),
        run.properties.author, run.properties.organization, CEmitter::dateText(run.properties.date),
        run.module, QString::number(m.states.size()), QString::number(m.transitionCount),
        QString::number(m.inputVariables), QString::number(m.outputVariables),
        QString::number(m.memories.size()), m.processDescription });
}

QString textsOfType(const Run &run, int type)
{
    QString text;
    for (const MachineText &t : run.machine.texts) {
        if (t.type == type)
            text += t.text + QLatin1Char('\n');
    }
    return text;
}

QString enumText(const Run &run)
{
    QString text = QStringLiteral("typedef enum { \n \t");
    for (int i = 0; i < run.enumerators.size(); ++i)
        text += run.enumerators.at(i) + QLatin1String(" = ") + QString::number(i) + QLatin1String(",\n\t");
    return text + QLatin1Char('}') + run.enumType + QLatin1Char(';');
}

QString prototypes(const Run &run)
{
    const QString &m = run.module;
    const QString first = CEmitter::fillTemplate(
        QStringLiteral("/** \n * @function description  %1 \n */ \n %2"),
        { CEmitter::fillTemplate(QLatin1String(InitDescription), { m }),
          QLatin1String("void ") + m + QLatin1String("Initialize(void);") });
    const QString second = CEmitter::fillTemplate(
        QStringLiteral("/** \n * @function description  %1 \n */ \n %2"),
        { CEmitter::fillTemplate(QStringLiteral("Main routine of the states diagram %1 \n"
                                                " Calls theCorresponding function state."), { m }),
          QLatin1String("void ") + m + QLatin1String("(void);") });
    const QString third = CEmitter::fillTemplate(
        QStringLiteral("/** \n * @function description  %1 \n */ \n%2"),
        { CEmitter::fillTemplate(QStringLiteral("Function that returns the current state of the FSM %1"), { m }),
          run.enumType + QLatin1Char(' ') + m + QLatin1String("GetState(void);") });
    const QString gap = QStringLiteral("\n \n");
    return first + gap + second + gap + third + gap;
}

QString headerText(const Run &run, const QString &fileName)
{
    const QString guard = CEmitter::guardMacro(run.module);
    return fileComment(run, fileName) + QLatin1String("\n \n")
        + QLatin1String("#ifndef ") + guard + QLatin1Char('\n') + QLatin1String("#define ") + guard
        + QLatin1String("\n \n") + QLatin1String(IncludesBanner)
        + textsOfType(run, MachineText::Includes) + QLatin1String("\n \n")
        + QLatin1String(GlobalBanner) + QLatin1Char('\n') + enumText(run) + QLatin1String("\n \n")
        + QLatin1String(DeclarationsBanner) + QLatin1Char('\n') + prototypes(run)
        + QLatin1String("#endif /* ") + guard + QLatin1String(" */");
}

// Macros and user code: the texts of one type, then a separator when any.
QString sectionText(const Run &run, int type)
{
    QString text = textsOfType(run, type);
    if (!text.isEmpty())
        text += QLatin1String("\n \n");
    return text;
}

QString variablesText(Run &run)
{
    QString text;
    for (const MachineMemory &memory : run.machine.memories) {
        if (memory.label.isEmpty())
            run.errors << CEmitter::fillTemplate(QStringLiteral("Label Input for Memory Item %1 is absent"), { memory.label });
        if (memory.datatype.isEmpty())
            run.errors << CEmitter::fillTemplate(QStringLiteral("Datatype Input for Memory Item %1 is absent"), { memory.label });
        text += QLatin1String("static ") + QString(memory.datatype).replace(QLatin1Char(' '), QLatin1Char('_'))
            + QLatin1Char(' ') + QString(memory.label).replace(QLatin1Char(' '), QLatin1Char('_'))
            + QLatin1String(";\n");
    }
    return text + QLatin1Char('\n') + QLatin1String("static ") + run.enumType + QLatin1Char(' ') + run.stateVar
        + QLatin1String(" = ") + run.start + QLatin1Char(';') + QLatin1String("\n\n");
}

QString staticPrototypes(const Run &run)
{
    QString text = QLatin1String("static void ") + CEmitter::initialFunction(run.module) + QLatin1String("(void);\n");
    for (const MachineState &s : run.machine.states)
        text += QLatin1String("static void ") + s.label + QLatin1String("(void);\n");
    return text + QLatin1String("\n\n");
}

QString caseList(const Run &run)
{
    QString text = QLatin1String("\n\t\tcase ") + run.start + QLatin1String(": \n\t\t\t")
        + CEmitter::initialFunction(run.module) + QLatin1String("();") + QLatin1String("\n\t\t\tbreak;\n");
    for (int i = 0; i < run.machine.states.size(); ++i) {
        text += QLatin1String("\n\t\tcase ") + run.enumerators.at(i) + QLatin1String(":\n\t\t\t")
            + run.machine.states.at(i).label + QLatin1String("(); \n\t\t\tbreak; \n");
    }
    return text + QLatin1String("\n\t\tdefault: \n\t\t\t") + run.stateVar + QLatin1String(" = ") + run.start
        + QLatin1String(";\n\t\t\tbreak;");
}

QString publicDefinitions(const Run &run)
{
    const QString &m = run.module;
    const QString init = CEmitter::fillTemplate(
        QStringLiteral("/** \n * @function description  %1 \n */ \n%2 \n{\t \n \t/* -- state variable initialization -- */ \n"
                       "\t%3 = %4; \n \t/* -- states machine initial cycle execution -- */ \n\t%5(); \n}"),
        { CEmitter::fillTemplate(QLatin1String(InitDescription), { m }),
          QLatin1String("void ") + m + QLatin1String("Initialize(void)"), run.stateVar, run.start, m });
    const QString mainRoutine = CEmitter::fillTemplate(
        QStringLiteral("/** \n * @function description  %1 \n */ \n%2 \n{\n\tswitch(%3){\n %4 \n\t} \n}"),
        { CEmitter::fillTemplate(QStringLiteral("Main routine of the states diagram %1 \n"
                                                "   Calls theCorresponding function state."), { m }),
          QLatin1String("void ") + m + QLatin1String("(void)"), run.stateVar, caseList(run) });
    const QString getter = CEmitter::fillTemplate(
        QStringLiteral("/** \n * @function description  %1 */ \n%2 \n{ \n\treturn %3; \n}"),
        { CEmitter::fillTemplate(QStringLiteral("Function that returns the current state of the FSM %1 \n"), { m }),
          run.enumType + QLatin1Char(' ') + m + QLatin1String("GetState(void)"), run.stateVar });
    const QString gap = QStringLiteral("\n \n");
    return QLatin1Char('\n') + init + gap + mainRoutine + gap + getter + gap;
}

QString initialBody(Run &run)
{
    if (run.initialState < 0) {
        run.errors << CEmitter::fillTemplate(
            QStringLiteral("Initial state item in state machine %1 is not assigned"), { run.module });
        return CEmitter::fillTemplate(
            QStringLiteral("\t// Error : Initial state item in state machine %1 is not assigned \n"), { run.module });
    }
    const MachineState &s = run.machine.states.at(run.initialState);
    const QString assignment = run.stateVar + QLatin1String(" = ") + run.enumerators.at(run.initialState) + QLatin1Char(';');
    if (s.initialCondition.isEmpty()) {
        run.errors << CEmitter::fillTemplate(
            QStringLiteral("Initial state action present but condition absent for State Item %1 is absent"), { s.label });
        return QLatin1Char('\t') + assignment + QLatin1Char('\n');
    }
    return QLatin1String("\t/* -- condition for transition to initial state -- */\n\tif") + s.initialCondition
        + QLatin1String("\n\t{\n\t\t") + replaced(s.initialDescription, "\n", "\n\t")
        + QLatin1String("\n\n\t\t") + assignment + QLatin1String("\n\t}\n");
}

QString initialFunctionText(Run &run)
{
    return CEmitter::fillTemplate(
               QStringLiteral("/** \n * @function description:  function corresponding to the initial state of %1 \n */ \n"
                              "static void %2(void) \n{\n"),
               { run.module, CEmitter::initialFunction(run.module) })
        + initialBody(run) + QLatin1Char('}');
}

// The if / else-if chain of a state's outgoing transitions. Only the blocks
// that are written are numbered, so a transition whose end state is missing
// cannot leave an "else if" without its "if".
QString transitionBlocks(const Run &run, int stateIndex)
{
    QString text;
    int written = 0;
    for (int t : run.machine.states.at(stateIndex).transitions) {
        if (t < 0 || t >= run.machine.transitions.size())
            continue;
        const MachineTransition &tr = run.machine.transitions.at(t);
        if (tr.start != stateIndex || !run.isState(tr.end))
            continue;
        ++written;
        text += QLatin1String("\n\t/* -- case where transition is executed ") + tr.label + QLatin1String(" -- */\n\t")
            + QLatin1String(written == 1 ? "if " : "else if ") + tr.condition
            + QLatin1String("\n\t{\n\t\t") + replaced(tr.action, "\n", "\n\t\t")
            + QLatin1String("\n\t\t/* -- state is changed -- */ \n\t\t") + run.stateVar + QLatin1String(" = ")
            + run.enumerators.at(tr.end) + QLatin1String(";\n\t}\n");
    }
    return text;
}

QString stateFunction(const Run &run, int stateIndex)
{
    const MachineState &s = run.machine.states.at(stateIndex);
    return CEmitter::fillTemplate(QStringLiteral("/** \n * @function description  %1 \n */ \nstatic void %2(void) \n{"),
                                  { s.description, s.label })
        + QLatin1Char('\n') + QLatin1String("\n\t /* -- code of the current state -- */ \n\t")
        + replaced(s.action, "\n", "\n\t") + QLatin1Char('\n') + transitionBlocks(run, stateIndex)
        + QLatin1String("\n}");
}

QString stateFunctions(Run &run)
{
    QString text = initialFunctionText(run) + QLatin1String("\n\n");
    for (int i = 0; i < run.machine.states.size(); ++i)
        text += stateFunction(run, i) + QLatin1String("\n\n");
    return text;
}

QString sourceText(Run &run, const QString &fileName, const QString &headerFileName)
{
    QString text = fileComment(run, fileName) + QLatin1String("\n \n") + QLatin1String(SourceIncludesBanner)
        + QLatin1Char('\n') + QLatin1String("#include \"") + headerFileName + QLatin1Char('"')
        + QLatin1String("\n \n") + QLatin1String(DefinesBanner) + QLatin1Char('\n')
        + sectionText(run, MachineText::Macros);
    text += QLatin1String(VariablesBanner) + QLatin1Char('\n') + variablesText(run);
    text += QLatin1String(UserCodeBanner) + QLatin1Char('\n') + sectionText(run, MachineText::Default);
    text += QLatin1String(HeadersBanner) + QLatin1Char('\n') + staticPrototypes(run);
    text += QLatin1String(DefinitionsBanner) + QLatin1Char('\n') + publicDefinitions(run) + QLatin1Char('\n');
    return text + stateFunctions(run);
}

} // namespace

QDate ModuleProperties::generationDate()
{
    bool ok = false;
    const qint64 seconds = qEnvironmentVariable("SOURCE_DATE_EPOCH").trimmed().toLongLong(&ok);
    if (ok)
        return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).date();
    return QDate::currentDate();
}

GeneratedModule CEmitter::generate(const MachineDescription &machine, const ModuleProperties &properties)
{
    Run run(machine, properties);
    GeneratedModule result;
    result.moduleName = run.module;
    result.headerFileName = run.module + QLatin1String(".h");
    result.sourceFileName = run.module + QLatin1String(".c");
    result.header = headerText(run, result.headerFileName);
    result.source = sourceText(run, result.sourceFileName, result.headerFileName);
    result.errors = run.errors;
    return result;
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
    return QLatin1String("STATE_") + module.toUpper() + QLatin1Char('_') + stateLabel.toUpper();
}

QString CEmitter::startEnumerator(const QString &module)
{
    return QLatin1String("STATE_0_") + module.toUpper();
}

QString CEmitter::initialFunction(const QString &module)
{
    return module + QLatin1Char('0');
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
    QString result = text;
    for (const QString &value : values) {
        const int number = lowestPlaceholder(result);
        if (number == 0)
            break;
        result = replacePlaceholder(result, number, value);
    }
    return result;
}
