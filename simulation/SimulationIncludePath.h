#pragma once

// The folders a project's simulation searches for headers, from the
// include path its settings name (SimulationSettings): relative ones are
// relative to the project's folder. Each must be a folder; the file
// system's root and the home folder (or a folder holding it) are refused,
// since the compiler sees every folder named, read-only, in the sandbox.
// QtCore only.

#include <QString>
#include <QStringList>

class SimulationIncludePath
{
public:
    // The absolute folders of `entries`; false, saying which entry and why,
    // when one cannot be used.
    static bool resolve(const QString &projectFolder, const QStringList &entries, QStringList *folders,
                        QString *error);
};
