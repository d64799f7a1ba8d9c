#include "SimulationRecords.h"

QString SimulationVariable::roleName(Role role)
{
    switch (role) {
    case Input:
        return QStringLiteral("input");
    case Output:
        return QStringLiteral("output");
    case InputOutput:
        return QStringLiteral("input/output");
    case Local:
        break;
    }
    return QStringLiteral("local");
}
