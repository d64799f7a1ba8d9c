#include "SimulationHarness.h"

#include "InstanceEmitter.h"
#include "ItemRef.h"
#include "TimeInState.h"
#include "MemberRewrite.h"
#include "SimulationLevels.h"
#include "StubDeclarations.h"

#include <QSet>

namespace {

// Type words that need no header, and the headers of the standard typedefs
// an input or output may use.
const char *const BuiltinTypeWords[] = {
    "unsigned", "signed", "short", "long", "int", "char", "float", "double", "const", "volatile", "_Bool",
};

const char *const IntegerTypedefs[] = {
    "int8_t", "int16_t", "int32_t", "int64_t", "uint8_t", "uint16_t", "uint32_t", "uint64_t",
    "int_least8_t", "int_least16_t", "int_least32_t", "int_least64_t",
    "uint_least8_t", "uint_least16_t", "uint_least32_t", "uint_least64_t",
    "int_fast8_t", "int_fast16_t", "int_fast32_t", "int_fast64_t",
    "uint_fast8_t", "uint_fast16_t", "uint_fast32_t", "uint_fast64_t",
    "intptr_t", "uintptr_t", "intmax_t", "uintmax_t",
};

template <size_t N>
bool among(const QString &word, const char *const (&list)[N])
{
    for (const char *entry : list) {
        if (word == QLatin1String(entry))
            return true;
    }
    return false;
}

// The headers a type needs when it is made of standard words only; false
// when it names a type of the machine's own (declared by its includes).
bool standardType(const QString &type, QSet<QString> *headers)
{
    const QStringList words = type.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return false;
    QSet<QString> needed;
    for (const QString &word : words) {
        if (among(word, BuiltinTypeWords))
            continue;
        if (among(word, IntegerTypedefs))
            needed << QStringLiteral("stdint.h");
        else if (word == QLatin1String("bool"))
            needed << QStringLiteral("stdbool.h");
        else if (word == QLatin1String("size_t") || word == QLatin1String("ptrdiff_t"))
            needed << QStringLiteral("stddef.h");
        else
            return false;
    }
    if (headers)
        *headers += needed;
    return true;
}

SimulationVariable variable(const QString &name, const QString &type, SimulationVariable::Role role)
{
    SimulationVariable v;
    v.name = name;
    v.datatype = type;
    v.role = role;
    return v;
}

QString cName(const QString &label)
{
    return QString(label).replace(QLatin1Char(' '), QLatin1Char('_'));
}

QString roleTitle(SimulationVariable::Role role)
{
    switch (role) {
    case SimulationVariable::Input:
        return QStringLiteral("Input");
    case SimulationVariable::Output:
        return QStringLiteral("Output");
    case SimulationVariable::InputOutput:
        return QStringLiteral("Input/output");
    case SimulationVariable::Local:
        break;
    }
    return QStringLiteral("Memory item");
}

// Kind of a variable as the compiler sees its type: plain char takes the
// signedness of the platform, typedefs resolve to what they name.
const char *const KindMacro =
    "#define KESTRO_SIM_KIND(x) _Generic((x), _Bool: 'b', char: ((char)-1 < 0 ? 'i' : 'u'), \\\n"
    "\tsigned char: 'i', unsigned char: 'u', short: 'i', unsigned short: 'u', int: 'i', unsigned int: 'u', \\\n"
    "\tlong: 'i', unsigned long: 'u', long long: 'i', unsigned long long: 'u', \\\n"
    "\tfloat: 'f', double: 'f', long double: 'f', default: 'r')\n";

} // namespace

QString SimulationHarness::kindMacro()
{
    return QLatin1String(KindMacro);
}

SimulationHarness::SimulationHarness(const MachineDescription &machine, const GeneratedModule &module,
                                     const QStringList &conditions, const QString &prelude)
{
    collectVariables(machine, prelude);
    writeGlue(machine, module, conditions);
}

void SimulationHarness::collectVariables(const MachineDescription &machine, const QString &prelude)
{
    QSet<QString> names;
    // The memory items of every level: their names are unique over the levels.
    QVector<MachineMemory> memories = machine.memories;
    for (const MachineDescription &sub : machine.subMachines)
        memories += sub.memories;
    for (int i = 0; i < memories.size(); ++i) {
        const MachineMemory &memory = memories.at(i);
        const QString name = cName(memory.label);
        if (!CEmitter::isCIdentifier(name) || names.contains(name))
            continue;   // the machine's own C does not compile; the compiler says why
        names << name;
        m_variables << variable(name, CEmitter::memoryType(memory.datatype), SimulationVariable::Local);
    }
    // The time in state, where the module has it, is watched as the memory items are.
    const QString counterType = TimeInState::isUsed(machine) ? TimeInState::counterType(machine.counterType) : QString();
    if (!counterType.isNull() && !names.contains(TimeInState::name()))
        m_variables << variable(TimeInState::name(), counterType, SimulationVariable::Local);
    // Each sub-machine whose texts read its time in state has its own, by the module's name for it.
    const QString type = TimeInState::counterType(machine.counterType);
    const QString module = CEmitter::moduleName(machine.processLabel);
    for (const MachineDescription &sub : machine.subMachines) {
        const QString name = machine.style == ModuleStyle::Instance
            ? InstanceEmitter::Names(module).subCounter(sub.processLabel)
            : CEmitter::subCounter(module, sub.processLabel);
        if (!type.isNull() && TimeInState::isUsed(sub) && !names.contains(name)) {
            names << name;
            m_variables << variable(name, type, SimulationVariable::Local);
        }
    }
    m_locals = m_variables.size();
    addDataflowVariables(machine.inputs, SimulationVariable::Input);
    addDataflowVariables(machine.outputs, SimulationVariable::Output);
    m_dataflowEnd = m_variables.size();
    addPreludeVariables(prelude);
    // The explorer gives values to the inputs (those of a type without a
    // scalar kind it leaves as they are).
    for (int i = m_locals; i < m_variables.size(); ++i) {
        const SimulationVariable::Role role = m_variables.at(i).role;
        if (role == SimulationVariable::Input || role == SimulationVariable::InputOutput)
            m_explored << Explored{ i, false };
    }
}

void SimulationHarness::addDataflowVariables(const QVector<MachineMemory> &memories, SimulationVariable::Role role)
{
    for (const MachineMemory &memory : memories) {
        const QString name = cName(memory.label);
        const QString type = CEmitter::memoryType(memory.datatype).trimmed();
        bool known = false;
        for (int i = 0; i < m_variables.size(); ++i) {
            SimulationVariable &v = m_variables[i];
            if (v.name != name)
                continue;
            known = true;
            // A variable read and written by the machine is both.
            if (i >= m_locals && v.role != role)
                v.role = SimulationVariable::InputOutput;
        }
        if (known)
            continue;
        QString problem;
        if (!CEmitter::isCIdentifier(name))
            problem = QStringLiteral("its name is no C identifier");
        else if (type.isEmpty())
            problem = QStringLiteral("it has no datatype");
        if (!problem.isEmpty()) {
            m_notes << DesignFinding{ DesignFinding::Warning,
                                      roleTitle(role) + QLatin1Char(' ') + printableLabel(memory.label)
                                          + QStringLiteral(": left out of the simulation, ") + problem,
                                      ItemRef::machine() };
            continue;
        }
        m_variables << variable(name, type, role);
    }
}

void SimulationHarness::addPreludeVariables(const QString &prelude)
{
    if (prelude.trimmed().isEmpty())
        return;
    QSet<QString> names;
    for (const SimulationVariable &v : qAsConst(m_variables))
        names << v.name;
    const QVector<StubDeclarations::Variable> defined = StubDeclarations(QStringList{ prelude }).scalarVariables();
    int added = 0;
    for (const StubDeclarations::Variable &d : defined) {
        if (names.contains(d.name)) {
            // The machine's own variable of that name is the one watched.
            m_notes << DesignFinding{ DesignFinding::Warning,
                                      QStringLiteral("Simulation prelude: variable %1 left out of the simulation, "
                                                     "the machine has a variable of that name")
                                          .arg(d.name),
                                      ItemRef::machine() };
            continue;
        }
        if (added == MaxPreludeVariables) {
            m_notes << DesignFinding{ DesignFinding::Warning,
                                      QStringLiteral("Simulation prelude: only its first %1 variables are in the "
                                                     "simulation, %2 and the rest are left out")
                                          .arg(MaxPreludeVariables)
                                          .arg(d.name),
                                      ItemRef::machine() };
            return;
        }
        names << d.name;
        m_variables << variable(d.name, d.type, SimulationVariable::Input);
        ++added;
    }
}

QPair<int, int> SimulationHarness::append(const QString &text)
{
    const int first = m_lines + 1;
    m_glue += text;
    m_lines += text.count(QLatin1Char('\n'));
    return qMakePair(first, m_lines);
}

void SimulationHarness::writeGlue(const MachineDescription &machine, const GeneratedModule &module,
                                  const QStringList &conditions)
{
    append(QStringLiteral("/* Simulation of the state machine %1, written by Kestro. The machine's own\n"
                          " * source is included below so that its static variables can be reached. */\n"
                          "#include \"%2\"\n"
                          "volatile int kestro_sim_fired = -1;\n"
                          // The generated hooks number the transitions of
                          // every level in one row, as SimulationLevels does.
                          "#define KESTRO_TRANSITION_FIRED(n) (kestro_sim_fired = (n))\n")
               .arg(module.moduleName, preludeFileName()));
    // Inputs and outputs of standard types come first, so that the machine's
    // code can use them without declaring them; those of the machine's own
    // types follow its source, where its includes have declared the types.
    writeDataflowVariables(true);
    append(QStringLiteral("\n#include \"%1\"\n\n").arg(module.sourceFileName));
    writeDataflowVariables(false);
    if (machine.style == ModuleStyle::Instance) {
        // The simulated machine is one instance.
        m_instance = QStringLiteral("kestro_sim_me");
        // It holds the start value before its first reset, as a classic
        // module's state variable does.
        const InstanceEmitter::Names names(module.moduleName);
        append(QStringLiteral("static %1 %2 = { %3 };\n\n").arg(names.contextType, m_instance, names.start));
    }
    writeVariableTable();
    writeConditions(conditions);
    writeAccessors(machine, module);
    writeExplorer(machine);
}

void SimulationHarness::writeDataflowVariables(bool standardTypes)
{
    QSet<QString> headers;
    QVector<int> chosen;
    for (int i = m_locals; i < m_dataflowEnd; ++i) {
        if (standardType(m_variables.at(i).datatype, &headers) == standardTypes)
            chosen << i;
    }
    QStringList sorted = headers.values();
    sorted.sort();
    for (const QString &header : sorted)
        append(QStringLiteral("#include <%1>\n").arg(header));
    for (int i : chosen) {
        const SimulationVariable &v = m_variables.at(i);
        const QPair<int, int> lines = append(QStringLiteral("%1 %2;\t/* %3 */\n")
                                                 .arg(v.datatype, v.name, SimulationVariable::roleName(v.role)));
        m_regions << Region{ lines.first, lines.second,
                             roleTitle(v.role) + QLatin1Char(' ') + printableLabel(v.name) + QStringLiteral(" (")
                                 + printableText(v.datatype) + QLatin1Char(')') };
    }
}

void SimulationHarness::writeVariableTable()
{
    QString text = QLatin1String(KindMacro);
    text += QStringLiteral("struct kestro_sim_var { const char *name; void *address; int size; char kind; char constant; };\n"
                           "const struct kestro_sim_var kestro_sim_vars[] = {\n");
    for (int i = 0; i < m_variables.size(); ++i) {
        const SimulationVariable &v = m_variables.at(i);
        const bool constant = v.datatype.split(QLatin1Char(' ')).contains(QStringLiteral("const"));
        // An instance's memory items are its members; inputs and outputs stay shared.
        const QString object = i < m_locals && !m_instance.isEmpty() ? m_instance + QLatin1Char('.') + v.name : v.name;
        text += QStringLiteral("\t{ \"%1\", (void *)&%2, (int)sizeof(%2), KESTRO_SIM_KIND(%2), %3 },\n")
                    .arg(v.name, object)
                    .arg(constant ? 1 : 0);
    }
    if (m_variables.isEmpty())
        text += QStringLiteral("\t{ 0, 0, 0, 0, 0 },\n");
    text += QStringLiteral("};\nconst int kestro_sim_var_count = %1;\n\n").arg(m_variables.size());
    append(text);
}

void SimulationHarness::writeConditions(const QStringList &conditions)
{
    append(QStringLiteral("const int kestro_sim_condition_count = %1;\n"
                          "int kestro_sim_condition(int index)\n{\n\tswitch (index) {\n")
               .arg(conditions.size()));
    for (int k = 0; k < conditions.size(); ++k) {
        append(QStringLiteral("\tcase %1:\n\t\treturn (\n").arg(k));
        // The expression stands on lines of its own, so that the compiler's
        // complaints about it can be told from the rest.
        QString expression = conditions.at(k);
        expression.replace(QLatin1Char('\r'), QLatin1Char(' '));
        // The closing line belongs to it too: compilers name the line of
        // the token after what is missing.
        const QPair<int, int> lines = append(expression + QStringLiteral("\n\t\t) != 0;\n"));
        m_regions << Region{ lines.first, lines.second,
                             QStringLiteral("Breakpoint condition %1 ").arg(k + 1)
                                 + printableLabel(conditions.at(k).simplified()) };
    }
    append(QStringLiteral("\t}\n\treturn 0;\n}\n\n"));
}

void SimulationHarness::writeAccessors(const MachineDescription &machine, const GeneratedModule &module)
{
    const QString &m = module.moduleName;
    const InstanceEmitter::Names names(m);
    if (!m_instance.isEmpty()) {
        append(QStringLiteral("const int kestro_sim_state_count = %1;\n"
                              "int kestro_sim_state(void) { return (int)%2(&%3); }\n"
                              "void kestro_sim_initialize(void) { %4(&%3); }\n"
                              "void kestro_sim_cycle(void) { (void)%5(&%3); }\n")
                   .arg(machine.states.size())
                   .arg(names.state, m_instance, names.init, names.step));
    } else {
        append(QStringLiteral("const int kestro_sim_state_count = %1;\n"
                              "int kestro_sim_state(void) { return (int)%2; }\n"
                              "void kestro_sim_initialize(void) { %3Initialize(); }\n"
                              "void kestro_sim_cycle(void) { %3(); }\n")
                   .arg(machine.states.size())
                   .arg(CEmitter::stateVariable(m), m));
    }
    // The levels: the machine's own, then its sub-machines' state variables.
    const SimulationLevels levels(machine);
    QString table = QStringLiteral("struct kestro_sim_level { int parent; int holder; int states; int first_state; "
                                   "int transitions; int first_transition; };\n"
                                   "const int kestro_sim_level_count = %1;\n"
                                   "const int kestro_sim_slot_count = %2;\n"
                                   "const struct kestro_sim_level kestro_sim_levels[] = {\n")
                        .arg(levels.levelCount())
                        .arg(levels.stateSlots());
    QString cases;
    for (int k = 0; k < levels.levelCount(); ++k) {
        const MachineDescription &level = levels.level(k);
        table += QStringLiteral("\t{ %1, %2, %3, %4, %5, %6 },\n")
                     .arg(levels.parentLevel(k))
                     .arg(levels.holderState(k))
                     .arg(level.states.size())
                     .arg(levels.stateSlot(k, 0))
                     .arg(level.transitions.size())
                     .arg(levels.transitionSlot(k, 0));
        if (k > 0)
            cases += QStringLiteral("\tcase %1: return (int)%2;\n")
                         .arg(k)
                         .arg(m_instance.isEmpty() ? CEmitter::subStateVariable(m, level.processLabel)
                                                   : m_instance + QLatin1Char('.') + names.subState(level.processLabel));
    }
    table += QStringLiteral("};\nint kestro_sim_level_state(int level)\n{\n");
    if (!cases.isEmpty())
        table += QStringLiteral("\tswitch (level) {\n") + cases + QStringLiteral("\t}\n");
    table += QStringLiteral("\treturn level == 0 ? kestro_sim_state() : -1;\n}\n");
    append(table);
}

namespace {

// A C number token as a value; false for what is no plain number.
bool constantValue(QString token, double *value)
{
    const bool hex = token.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const QString suffixes = hex ? QStringLiteral("uUlL") : QStringLiteral("uUlLfF");
    while (!token.isEmpty() && suffixes.contains(token.back()))
        token.chop(1);
    bool ok = false;
    if (hex)
        *value = double(token.mid(2).toULongLong(&ok, 16));
    else if (token.size() > 1 && token.startsWith(QLatin1Char('0')) && !token.contains(QLatin1Char('.'))
             && !token.contains(QLatin1Char('e'), Qt::CaseInsensitive))
        *value = double(token.toULongLong(&ok, 8));
    else
        *value = token.toDouble(&ok);
    return ok && qIsFinite(*value);
}

} // namespace

QVector<double> SimulationHarness::conditionConstants(const MachineDescription &machine)
{
    QStringList conditions;
    const SimulationLevels levels(machine);
    for (int k = 0; k < levels.levelCount(); ++k) {
        for (const MachineTransition &transition : levels.level(k).transitions)
            conditions << transition.condition;
        for (const MachineState &state : levels.level(k).states)
            conditions << state.initialCondition;
    }
    QVector<double> constants;
    for (const QString &condition : qAsConst(conditions)) {
        for (const QString &token : MemberRewrite::numbers(condition)) {
            // The token has no sign: a negative constant is its negation.
            double value = 0;
            if (!constantValue(token, &value))
                continue;
            for (double candidate : { value, -value }) {
                if (constants.size() < MaxConstants && !constants.contains(candidate))
                    constants << candidate;
            }
        }
    }
    return constants;
}

void SimulationHarness::writeExplorer(const MachineDescription &machine)
{
    QString text = QStringLiteral("const int kestro_sim_transition_count = %1;\n"
                                  "struct kestro_sim_explored { int var; char null_only; };\n"
                                  "const struct kestro_sim_explored kestro_sim_explored[] = {\n")
                       .arg(SimulationLevels(machine).transitionSlots());
    for (const Explored &explored : qAsConst(m_explored))
        text += QStringLiteral("\t{ %1, %2 },\n").arg(explored.variable).arg(explored.nullOnly ? 1 : 0);
    if (m_explored.isEmpty())
        text += QStringLiteral("\t{ -1, 0 },\n");
    text += QStringLiteral("};\nconst int kestro_sim_explored_count = %1;\n"
                           "const double kestro_sim_constants[] = { ").arg(m_explored.size());
    const QVector<double> constants = conditionConstants(machine);
    for (double value : constants)
        text += QString::number(value, 'g', 17) + QStringLiteral(", ");
    text += QStringLiteral("0 };\nconst int kestro_sim_constant_count = %1;\n").arg(constants.size());
    append(text);
}

DesignFinding SimulationHarness::glueFinding(int line, DesignFinding::Severity severity, const QString &text) const
{
    QString what = QStringLiteral("Simulation harness");
    for (const Region &region : m_regions) {
        if (line >= region.first && line <= region.last)
            what = region.what;
    }
    DesignFinding finding;
    finding.severity = severity;
    finding.fromCompiler = true;
    finding.text = what + QStringLiteral(": ") + text;
    return finding;
}
