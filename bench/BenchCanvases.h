#pragma once

// The benchmark project (randomProject with largeProjectOptions) written,
// read back and built into canvases, as opening its file does. The
// including program compiles in tests/support/RandomProject.cpp.

#include "Canvas.h"
#include "CanvasSetup.h"
#include "ProjectBuilder.h"
#include "ProjectFileReader.h"
#include "ProjectFileWriter.h"
#include "RandomProject.h"

#include <QByteArray>
#include <QList>

// The canvases of a project of `machines` state machines, children of
// `owner`; empty when the file could not be read back. `bytes` gets the file.
inline QList<Canvas *> buildLargeProject(int machines, QObject *owner, QByteArray *bytes)
{
    const ProjectDocument generated = randomProject(machines, largeProjectOptions(machines));
    ProjectFileWriter().writeToBytes(generated, bytes);
    ProjectFileReader reader;
    if (!reader.loadData(*bytes))
        return {};
    CanvasSetup setup;
    setup.parent = owner;
    return ProjectBuilder(setup).build(reader.takeRecords());
}
