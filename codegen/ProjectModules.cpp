#include "ProjectModules.h"

#include "InstanceEmitter.h"

#include <QHash>
#include <QSet>

namespace {

// The names one module puts where another module's may meet them: its
// guard macro and enumerators (in headers a caller may include together)
// and its public functions (linked together).
struct ModuleNames
{
    QStringList enumerators;
    QStringList functions;
    QString guard;
};

ModuleNames namesOf(const MachineDescription &machine, const QString &module)
{
    ModuleNames names;
    if (machine.style == ModuleStyle::Instance) {
        const InstanceEmitter::Names n(module);
        for (const MachineState &state : machine.states)
            names.enumerators << n.enumerator(state.label);
        names.enumerators << n.start << n.stateType << n.faultHook;
        names.functions << n.init << n.step << n.state << n.stateName << n.contextType;
        names.guard = n.guard;
        return names;
    }
    for (const MachineState &state : machine.states)
        names.enumerators << CEmitter::stateEnumerator(module, state.label);
    names.enumerators << CEmitter::startEnumerator(module);
    names.functions << module << module + QLatin1String("Initialize") << module + QLatin1String("GetState");
    names.guard = CEmitter::guardMacro(module);
    return names;
}

// Design warnings of names two modules share. Each module's names go into
// one table; a name already there from an earlier module is reported once
// per pair of modules and kind of name.
class ClashFinder
{
public:
    void add(const MachineDescription &machine, GeneratedModule &module)
    {
        const int index = m_modules.size();
        const QString folded = module.moduleName.toCaseFolded();
        const int sameName = m_folded.value(folded, -1);
        m_folded.insert(folded, index);
        if (sameName >= 0 && m_modules.at(sameName) != module.moduleName) {
            module.addWarning(QStringLiteral("State machine %1: name equals state machine %2 ignoring case "
                                             "(same guard macro, same files where case is ignored)")
                                  .arg(module.moduleName, m_modules.at(sameName)),
                              ItemRef::machine());
        }
        m_modules << module.moduleName;
        const ModuleNames names = namesOf(machine, module.moduleName);
        QSet<QString> reported;
        check(index, names.enumerators, QStringLiteral("enumerator"), module, &reported);
        check(index, names.functions, QStringLiteral("function"), module, &reported);
        if (sameName < 0)
            check(index, { names.guard }, QStringLiteral("guard macro"), module, &reported);
    }

private:
    void check(int index, const QStringList &names, const QString &kind, GeneratedModule &module,
               QSet<QString> *reported)
    {
        for (const QString &name : names) {
            const int other = m_owner.value(name, -1);
            if (other < 0) {
                m_owner.insert(name, index);
                continue;
            }
            const QString key = m_modules.at(other) + QLatin1Char('\n') + kind;
            if (other == index || reported->contains(key))
                continue;
            reported->insert(key);
            module.addWarning(QStringLiteral("State machine %1: %2 %3 is also defined by state machine %4")
                                  .arg(module.moduleName, kind, printableText(name), m_modules.at(other)),
                              ItemRef::machine());
        }
    }

    QHash<QString, int> m_owner;    // generated name -> first module defining it
    QHash<QString, int> m_folded;   // case-folded module name -> module
    QStringList m_modules;          // module names by index
};

} // namespace

namespace ProjectModules {

QVector<GeneratedModule> generate(const QVector<MachineDescription> &machines,
                                  const ModuleProperties &properties)
{
    QVector<GeneratedModule> modules;
    modules.reserve(machines.size());
    QSet<QString> names;
    ClashFinder clashes;
    for (const MachineDescription &machine : machines) {
        GeneratedModule module = CEmitter::generate(machine, properties);
        if (module.writable && !names.contains(module.moduleName))
            clashes.add(machine, module);
        if (module.writable && names.contains(module.moduleName)) {
            module.writable = false;
            module.header.clear();
            module.source.clear();
            module.addError(QStringLiteral("State machine %1: another state machine has this name, no files written")
                                .arg(module.moduleName));
        }
        if (module.writable)
            names.insert(module.moduleName);
        modules << module;
    }
    return modules;
}

} // namespace ProjectModules
