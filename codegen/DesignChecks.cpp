#include "DesignChecks.h"

#include "CLibraryNames.h"
#include "InstanceEmitter.h"
#include "MemberRewrite.h"
#include "TimeInState.h"

#include <QHash>
#include <QSet>

namespace {

QString shown(const QString &label)
{
    return printableLabel(label);
}

QString cName(const QString &label)
{
    return QString(label).replace(QLatin1Char(' '), QLatin1Char('_'));
}

// A state's function is named after its label: a C library identifier, a
// memory item or a dataflow's variable of that name clash with it.
void checkStateNameClashes(const MachineDescription &m, const QString &label, const ItemRef &item,
                           GeneratedModule *r)
{
    if (CLibraryNames::contains(label))
        r->addWarning(QStringLiteral("State %1: label is an identifier of the C standard library").arg(shown(label)),
                      item);
    for (const MachineMemory &memory : m.memories) {
        if (cName(memory.label) == label) {
            r->addWarning(QStringLiteral("State %1: label is the name of a memory item").arg(shown(label)), item);
            break;
        }
    }
    if (label == TimeInState::name())
        r->addWarning(QStringLiteral("State %1: label is the name of the time in state").arg(shown(label)), item);
    for (const QVector<MachineMemory> *flows : { &m.inputs, &m.outputs }) {
        for (const MachineMemory &memory : *flows) {
            if (cName(memory.label) == label) {
                r->addWarning(QStringLiteral("State %1: label is the name of a dataflow's variable %2")
                                  .arg(shown(label), shown(memory.label)),
                              item);
                return;
            }
        }
    }
}

void checkStateLabels(const MachineDescription &m, const QString &module, GeneratedModule *r)
{
    const QStringList generated = { module, CEmitter::initialFunction(module),
                                    module + QLatin1String("Initialize"), module + QLatin1String("GetState") };
    QHash<QString, int> byEnumerator;   // enumerator -> first state giving it
    for (int i = 0; i < m.states.size(); ++i) {
        const QString &label = m.states.at(i).label;
        const ItemRef item = ItemRef::of(ItemRef::State, i);
        if (label.isEmpty()) {
            r->addWarning(QStringLiteral("State number %1: label is empty").arg(i + 1), item);
            continue;
        }
        // Instance modules prefix every state function: a keyword or a
        // library name is a sound label there.
        const bool instance = m.style == ModuleStyle::Instance;
        const InstanceEmitter::Names names(module);
        if (!instance && CEmitter::isCKeyword(label))
            r->addWarning(QStringLiteral("State %1: label is a C keyword").arg(shown(label)), item);
        else if (!CEmitter::isCIdentifier(instance ? names.stateFunction(label) : label))
            r->addWarning(QStringLiteral("State %1: label is not a C identifier").arg(shown(label)), item);
        const QString enumerator = instance ? names.enumerator(label) : CEmitter::stateEnumerator(module, label);
        const int earlier = byEnumerator.value(enumerator, -1);
        if (earlier < 0) {
            byEnumerator.insert(enumerator, i);
        } else if (m.states.at(earlier).label == label) {
            r->addWarning(QStringLiteral("State %1: label is used by another state").arg(shown(label)), item);
        } else {
            r->addWarning(QStringLiteral("State %1: label equals state %2 once upper-cased (enumerator %3)")
                              .arg(shown(label), shown(m.states.at(earlier).label), enumerator),
                          item);
        }
        if (instance)
            continue;
        if (generated.contains(label))
            r->addWarning(QStringLiteral("State %1: label is the name of a function the module defines")
                              .arg(shown(label)),
                          item);
        checkStateNameClashes(m, label, item, r);
    }
}

void checkTransitions(const MachineDescription &m, GeneratedModule *r)
{
    for (int t = 0; t < m.transitions.size(); ++t) {
        const MachineTransition &tr = m.transitions.at(t);
        const bool fromState = tr.start >= 0 && tr.start < m.states.size();
        if (!fromState)
            continue;
        const ItemRef item = ItemRef::of(ItemRef::Transition, t);
        if (tr.end < 0 || tr.end >= m.states.size()) {
            r->addWarning(QStringLiteral("Transition %1: end state is not in the machine").arg(shown(tr.label)),
                          item);
            continue;
        }
        if (tr.condition.trimmed().isEmpty())
            r->addWarning(QStringLiteral("Transition %1: condition is empty").arg(shown(tr.label)), item);
        else if (!DesignChecks::isParenthesised(tr.condition))
            r->addWarning(QStringLiteral("Transition %1: condition is not enclosed in parentheses")
                              .arg(shown(tr.label)),
                          item);
    }
}

// Entry and exit actions that never run: no transition (a self transition
// counts) enters the state, which is not the initial one, or leaves it.
void checkEntryExit(const MachineDescription &m, int initial, GeneratedModule *r)
{
    QVector<bool> entered(m.states.size(), false);
    QVector<bool> left(m.states.size(), false);
    for (const MachineTransition &tr : m.transitions) {
        if (tr.start >= 0 && tr.start < m.states.size() && tr.end >= 0 && tr.end < m.states.size()) {
            left[tr.start] = true;
            entered[tr.end] = true;
        }
    }
    for (int i = 0; i < m.states.size(); ++i) {
        const MachineState &s = m.states.at(i);
        const ItemRef item = ItemRef::of(ItemRef::State, i);
        if (!entered.at(i) && i != initial && !s.entryAction.trimmed().isEmpty())
            r->addWarning(QStringLiteral("State %1: the entry action never runs, no transition enters the state")
                              .arg(shown(s.label)),
                          item);
        // A sub-state is left with its holder.
        if (!left.at(i) && !s.exitAction.trimmed().isEmpty() && m.holder < 0)
            r->addWarning(QStringLiteral("State %1: the exit action never runs, no transition leaves the state")
                              .arg(shown(s.label)),
                          item);
    }
}

// Memory items and dataflow variables of the time in state's name: the
// module defines that name itself.
void checkTimeInStateName(const MachineDescription &m, GeneratedModule *r)
{
    const QString name = TimeInState::name();
    for (int i = 0; i < m.memories.size(); ++i) {
        if (cName(m.memories.at(i).label) == name)
            r->addError(QStringLiteral("Memory item %1: the module defines this name for the time in state")
                            .arg(shown(m.memories.at(i).label)),
                        ItemRef::of(ItemRef::Memory, i));
    }
    for (const QVector<MachineMemory> *flows : { &m.inputs, &m.outputs }) {
        for (const MachineMemory &memory : *flows) {
            if (cName(memory.label) == name)
                r->addWarning(QStringLiteral("Dataflow's variable %1: the module defines this name for the time in "
                                             "state, so its code cannot reach the variable")
                                  .arg(shown(memory.label)),
                              ItemRef::machine());
        }
    }
}

void checkUnreached(const MachineDescription &m, int initial, GeneratedModule *r)
{
    QVector<bool> reached(m.states.size(), false);
    for (const MachineTransition &tr : m.transitions) {
        if (tr.start >= 0 && tr.start < m.states.size() && tr.start != tr.end && tr.end >= 0
            && tr.end < m.states.size())
            reached[tr.end] = true;
    }
    for (int i = 0; i < m.states.size(); ++i) {
        if (!reached.at(i) && i != initial)
            r->addWarning(QStringLiteral("State %1: no transition leads to it").arg(shown(m.states.at(i).label)),
                          ItemRef::of(ItemRef::State, i));
    }
}

} // namespace

namespace DesignChecks {

int initialState(const MachineDescription &machine)
{
    for (int i = 0; i < machine.states.size(); ++i) {
        if (machine.states.at(i).initial)
            return i;
    }
    return -1;
}

bool isParenthesised(const QString &condition)
{
    const QString text = condition.trimmed();
    if (!text.startsWith(QLatin1Char('(')) || !text.endsWith(QLatin1Char(')')))
        return false;
    int depth = 0;
    QChar quote;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            if (c == QLatin1Char('\\'))
                ++i;
            else if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\''))
            quote = c;
        else if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')') && --depth == 0)
            return i == text.size() - 1;   // the first bracket closes only at the end
    }
    return false;
}

void addErrors(const MachineDescription &m, const QString &module, GeneratedModule *r)
{
    for (int i = 0; i < m.memories.size(); ++i) {
        const MachineMemory &memory = m.memories.at(i);
        const ItemRef item = ItemRef::of(ItemRef::Memory, i);
        if (memory.label.isEmpty())
            r->addError(CEmitter::fillTemplate(QStringLiteral("Label Input for Memory Item %1 is absent"),
                                               { memory.label }),
                        item);
        if (memory.datatype.trimmed().isEmpty())
            r->addError(CEmitter::fillTemplate(QStringLiteral("Datatype Input for Memory Item %1 is absent"),
                                               { memory.label }),
                        item);
    }
    // A sub-machine's initial state is checked with its other rules (SubMachineChecks).
    if (initialState(m) < 0 && m.holder < 0) {
        r->addError(CEmitter::fillTemplate(QStringLiteral("Initial state item in state machine %1 is not assigned"),
                                           { module }));
    }
}

void addWarnings(const MachineDescription &m, const QString &module, GeneratedModule *r)
{
    checkStateLabels(m, module, r);
    checkTransitions(m, r);
    const int initial = initialState(m);
    if (initial >= 0 && m.holder < 0) {
        const MachineState &s = m.states.at(initial);
        // No condition is sound: the initial transition is taken at once,
        // and its code is not written.
        if (s.initialCondition.trimmed().isEmpty())
            r->addWarning(QStringLiteral("State %1: the initial transition has no condition, so it is taken at once%2")
                              .arg(shown(s.label),
                                   s.initialDescription.trimmed().isEmpty()
                                       ? QString()
                                       : QStringLiteral(" and its code is not run")),
                          ItemRef::of(ItemRef::State, initial));
        else if (!isParenthesised(s.initialCondition))
            r->addWarning(QStringLiteral("State %1: initial condition is not enclosed in parentheses")
                              .arg(shown(s.label)),
                          ItemRef::of(ItemRef::State, initial));
    }
    for (int i = 0; i < m.memories.size(); ++i) {
        const QString label = QString(m.memories.at(i).label).replace(QLatin1Char(' '), QLatin1Char('_'));
        if (!label.isEmpty() && !CEmitter::isCIdentifier(label))
            r->addWarning(QStringLiteral("Memory item %1: label is not a C identifier")
                              .arg(shown(m.memories.at(i).label)),
                          ItemRef::of(ItemRef::Memory, i));
    }
    checkUnreached(m, initial, r);
    checkEntryExit(m, initial, r);
    checkTimeInStateName(m, r);
}

void addInstanceChecks(const MachineDescription &m, const QString &module, GeneratedModule *r)
{
    QSet<QString> members;
    for (int i = 0; i < m.memories.size(); ++i) {
        const QString name = cName(m.memories.at(i).label);
        members.insert(name);
        if (name == QLatin1String("state"))
            r->addError(QStringLiteral("Memory item 'state': an instance keeps its state in a member of this name"),
                        ItemRef::of(ItemRef::Memory, i));
    }
    for (int i = 0; i < m.texts.size(); ++i) {
        const MachineText &t = m.texts.at(i);
        const ItemRef item = ItemRef::of(ItemRef::Text, i);
        if (t.type == MachineText::Default) {
            // A function of its own has no instance to take the item from.
            for (const QString &name : MemberRewrite::named(t.text, members))
                r->addError(QStringLiteral("Text item %1: names memory item %2, which each instance holds; "
                                           "code outside the states has no instance (me) to take it from")
                                .arg(i + 1)
                                .arg(shown(name)),
                            item);
            if (!MemberRewrite::named(t.text, { TimeInState::name() }).isEmpty())
                r->addError(QStringLiteral("Text item %1: names %2, the time in state each instance holds; "
                                           "code outside the states has no instance (me) to take it from")
                                .arg(i + 1)
                                .arg(TimeInState::name()),
                            item);
        } else if (t.type == MachineText::Macros) {
            for (const QString &name : MemberRewrite::rewrite(t.text, members, QString()).unsound)
                r->addError(QStringLiteral("Text item %1: defines or tests the name of memory item %2, which "
                                           "cannot become the instance's member there")
                                .arg(i + 1)
                                .arg(shown(name)),
                            item);
            if (!MemberRewrite::rewrite(t.text, { TimeInState::name() }, QString()).unsound.isEmpty())
                r->addError(QStringLiteral("Text item %1: defines or tests %2, the time in state, which cannot "
                                           "become the instance's member there")
                                .arg(i + 1)
                                .arg(TimeInState::name()),
                            item);
        }
    }
    if (module.startsWith(QLatin1Char('_')))
        r->addWarning(QStringLiteral("State machine %1: the name begins with \"_\", so every name the module "
                                     "defines is one C reserves")
                          .arg(printableText(module)),
                      ItemRef::machine());
}

} // namespace DesignChecks
