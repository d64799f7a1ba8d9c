#include "SubMachineChecks.h"

#include "DesignChecks.h"
#include "InstanceEmitter.h"
#include "MemberRewrite.h"

#include <QHash>
#include <QSet>

namespace {

QString cName(const QString &label)
{
    return QString(label).replace(QLatin1Char(' '), QLatin1Char('_'));
}

QString where(const MachineDescription &sub)
{
    return QStringLiteral("Sub-machine ") + printableLabel(sub.processLabel) + QStringLiteral(": ");
}

const MachineDescription &diagram(const MachineDescription &top, int sub)
{
    return sub < 0 ? top : top.subMachines.at(size_t(sub));
}

// The checks of a machine's diagram, run on the sub-machine and moved to it.
void diagramChecks(const MachineDescription &top, int sub, const QString &module, GeneratedModule *r)
{
    const MachineDescription &m = diagram(top, sub);
    GeneratedModule own;
    DesignChecks::addErrors(m, module, &own);
    DesignChecks::addWarnings(m, module, &own);
    if (top.style == ModuleStyle::Instance)
        DesignChecks::addInstanceChecks(m, module, &own);
    for (const DesignFinding &finding : own.findings) {
        // What is said of the module itself is said once, for the machine.
        if (finding.item.kind == ItemRef::Machine)
            continue;
        const ItemRef item = ItemRef::in(sub, finding.item.kind, finding.item.index);
        if (finding.severity == DesignFinding::Error)
            r->addError(where(m) + finding.text, item);
        else
            r->addWarning(where(m) + finding.text, item);
    }
}

void initialRules(const MachineDescription &top, int sub, GeneratedModule *r)
{
    const MachineDescription &m = diagram(top, sub);
    const int initial = DesignChecks::initialState(m);
    if (initial < 0) {
        r->addError(where(m) + QStringLiteral("no initial state, so entering state %1 cannot enter it")
                                   .arg(printableLabel(m.processLabel)),
                    ItemRef::in(sub, ItemRef::Machine, -1));
        return;
    }
    const MachineState &s = m.states.at(initial);
    if (!s.initialCondition.trimmed().isEmpty())
        r->addError(where(m) + QStringLiteral("State %1: the initial transition of a sub-machine takes no condition "
                                              "(it is taken on every entry)")
                                   .arg(printableLabel(s.label)),
                    ItemRef::in(sub, ItemRef::State, initial));
}

// Labels and memory names are the module's names at every level: a second
// use at another level is an error, where it is met in diagram order (the
// machine first, then its sub-machines depth first).
void clashes(const MachineDescription &top, const QString &module, GeneratedModule *r)
{
    QHash<QString, QPair<int, QString>> enumerators;   // enumerator -> diagram and label
    QHash<QString, int> memories;                      // C name -> diagram
    for (int sub = -1; sub < int(top.subMachines.size()); ++sub) {
        const MachineDescription &m = diagram(top, sub);
        QHash<QString, QPair<int, QString>> own;
        for (int i = 0; i < m.states.size(); ++i) {
            const QString &label = m.states.at(i).label;
            const QString enumerator = CEmitter::stateEnumerator(module, label);
            const auto earlier = enumerators.constFind(enumerator);
            if (!label.isEmpty() && earlier != enumerators.constEnd() && earlier->first != sub) {
                const QString text = earlier->second == label
                                         ? QStringLiteral("State %1: label is used by a state of another level of the machine")
                                               .arg(printableLabel(label))
                                         : QStringLiteral("State %1: label equals state %2 of another level once upper-cased")
                                               .arg(printableLabel(label), printableLabel(earlier->second));
                r->addError(sub < 0 ? text : where(m) + text, ItemRef::in(sub, ItemRef::State, i));
            } else if (earlier == enumerators.constEnd()) {
                own.insert(enumerator, { sub, label });
            }
        }
        for (auto i = own.cbegin(); i != own.cend(); ++i)
            enumerators.insert(i.key(), i.value());
        for (int i = 0; i < m.memories.size(); ++i) {
            const QString name = cName(m.memories.at(i).label);
            const int earlier = memories.value(name, sub);
            if (!name.isEmpty() && earlier != sub)
                r->addError(where(m) + QStringLiteral("Memory item %1: the name is used by a memory item of another "
                                                      "level of the machine")
                                           .arg(printableLabel(m.memories.at(i).label)),
                            ItemRef::in(sub, ItemRef::Memory, i));
            else if (!memories.contains(name))
                memories.insert(name, sub);
        }
    }
}

// The names the module defines for its sub-machines: a state function
// (classic) or a memory item of one of them cannot be declared twice.
QSet<QString> generatedNames(const MachineDescription &top, const QString &module)
{
    QSet<QString> names;
    const InstanceEmitter::Names instance(module);
    if (top.style == ModuleStyle::Classic)
        names << CEmitter::subResetFunction(module) << CEmitter::inQuery();
    for (const MachineDescription &sub : top.subMachines) {
        const QString &h = sub.processLabel;
        if (top.style == ModuleStyle::Instance) {
            names << instance.subState(h) << instance.subCounter(h);
            continue;
        }
        names << CEmitter::subStateVariable(module, h) << CEmitter::subCounter(module, h)
              << CEmitter::subEnumTypeName(module, h) << CEmitter::subCycleFunction(module, h)
              << CEmitter::subEnterFunction(module, h) << CEmitter::subExitFunction(module, h);
    }
    return names;
}

void generatedNameClashes(const MachineDescription &top, const QString &module, GeneratedModule *r)
{
    const QSet<QString> names = generatedNames(top, module);
    for (int sub = -1; sub < int(top.subMachines.size()); ++sub) {
        const MachineDescription &m = diagram(top, sub);
        const QString at = sub < 0 ? QString() : where(m);
        for (int i = 0; i < m.memories.size(); ++i) {
            if (names.contains(cName(m.memories.at(i).label)))
                r->addError(at + QStringLiteral("Memory item %1: the module defines this name for its sub-machines")
                                     .arg(printableLabel(m.memories.at(i).label)),
                            ItemRef::in(sub, ItemRef::Memory, i));
        }
        for (int i = 0; i < m.states.size() && top.style == ModuleStyle::Classic; ++i) {
            if (names.contains(m.states.at(i).label))
                r->addError(at + QStringLiteral("State %1: the module defines this name for its sub-machines")
                                     .arg(printableLabel(m.states.at(i).label)),
                            ItemRef::in(sub, ItemRef::State, i));
        }
    }
}

// Instance style: every level's memory items are members of the instance,
// so a text that no state runs cannot name one of another level either
// (DesignChecks sees its own level's).
void otherLevelMembers(const MachineDescription &top, GeneratedModule *r)
{
    QSet<QString> all;
    for (int sub = -1; sub < int(top.subMachines.size()); ++sub) {
        for (const MachineMemory &memory : diagram(top, sub).memories)
            all.insert(cName(memory.label));
    }
    for (int sub = -1; sub < int(top.subMachines.size()); ++sub) {
        const MachineDescription &m = diagram(top, sub);
        QSet<QString> others = all;
        for (const MachineMemory &memory : m.memories)
            others.remove(cName(memory.label));
        const QString at = sub < 0 ? QString() : where(m);
        for (int i = 0; i < m.texts.size(); ++i) {
            const MachineText &t = m.texts.at(i);
            const QStringList names = t.type == MachineText::Default ? MemberRewrite::named(t.text, others)
                                      : t.type == MachineText::Macros ? MemberRewrite::rewrite(t.text, others, QString()).unsound
                                                                      : QStringList();
            for (const QString &name : names)
                r->addError(at + QStringLiteral("Text item %1: names memory item %2 of another level, which each "
                                                "instance holds; this text cannot take it from the instance (me)")
                                     .arg(i + 1)
                                     .arg(printableLabel(name)),
                            ItemRef::in(sub, ItemRef::Text, i));
        }
    }
}

} // namespace

namespace SubMachineChecks {

void add(const MachineDescription &top, const QString &module, GeneratedModule *result)
{
    if (top.subMachines.empty())
        return;
    for (int sub = 0; sub < int(top.subMachines.size()); ++sub) {
        initialRules(top, sub, result);
        diagramChecks(top, sub, module, result);
    }
    clashes(top, module, result);
    generatedNameClashes(top, module, result);
    if (top.style == ModuleStyle::Instance)
        otherLevelMembers(top, result);
}

} // namespace SubMachineChecks
