#include "ProjectModules.h"

#include <QSet>

namespace ProjectModules {

QVector<GeneratedModule> generate(const QVector<MachineDescription> &machines,
                                  const ModuleProperties &properties)
{
    QVector<GeneratedModule> modules;
    modules.reserve(machines.size());
    QSet<QString> names;
    for (const MachineDescription &machine : machines) {
        GeneratedModule module = CEmitter::generate(machine, properties);
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
