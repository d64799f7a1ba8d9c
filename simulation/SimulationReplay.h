#pragma once

// The script (SimulationScript's language) that leads a machine from a
// reset to a failure the explorer found: the values it gave since its last
// restart, each set ("set NAME V", "stub NAME returns V") before the cycle
// it was given for, and the steps up to the cycle that crashed or did not
// end. QtCore only.

#include "SimulationRecords.h"

#include <QString>
#include <QVector>

class SimulationReplay
{
public:
    // `heading` becomes the script's first comment line; `stubs` are the
    // session's, which the stubs' values given name.
    static QString script(const QVector<SimulationVariable> &variables, const SimulationFailure &failure,
                          const QString &heading, const QVector<SimulationStub> &stubs = {});
    // A C literal of the value `bits` holds for `variable` (see SimulationGiven).
    static QString literal(const SimulationVariable &variable, quint64 bits);
};
