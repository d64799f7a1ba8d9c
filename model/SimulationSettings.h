#pragma once

// What a project says about simulating its machines on the host: folders
// searched for the headers its machines include (a vendor's HAL that is not
// installed here), relative ones to the project's folder, and a prelude, C
// compiled before the machine (defines, small fakes). Both are the project's
// own code: a simulation uses them only after the trust question, in the
// sandbox. Kept in the project file as the optional SimulationSettings
// element after SceneData; a project without them writes none. QtCore only.

#include <QString>
#include <QStringList>

struct SimulationSettings
{
    // The most include folders a project may name.
    static constexpr int MaxIncludeFolders = 64;

    QStringList includePath;   // folders as written
    QString prelude;

    bool isEmpty() const { return includePath.isEmpty() && prelude.isEmpty(); }
    bool operator==(const SimulationSettings &other) const
    {
        return includePath == other.includePath && prelude == other.prelude;
    }
    bool operator!=(const SimulationSettings &other) const { return !(*this == other); }
};

// The element and its children in the project file.
constexpr const char *SimulationSettingsElement = "SimulationSettings";
constexpr const char *IncludeFolderElement = "includeFolder";
constexpr const char *PreludeElement = "prelude";
