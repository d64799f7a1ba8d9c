#pragma once

// A project opened the way the main window opens one, without a window:
// the file's records are read, the tree model is rebuilt from the tree text
// and the canvases are built. Saving takes a snapshot of the canvases and
// writes it. A process item inserted on a canvas gets its node and canvas,
// as the Project does it. The canvas list is open to the tests, which take
// canvases away to see how the project layer copes. For tests and
// benchmarks of the project layer.

#include "CanvasSetup.h"
#include "ProjectDocument.h"
#include "ProjectStructure.h"
#include "TreeModel.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>

class Canvas;
class Project;

class OpenProject
{
public:
    OpenProject();
    ~OpenProject();
    OpenProject(const OpenProject &) = delete;
    OpenProject &operator=(const OpenProject &) = delete;

    // Replaces whatever was open. False (and error()) when the bytes are
    // not a project file.
    bool open(const QByteArray &bytes);
    // Writes the document and opens the result.
    bool open(const ProjectDocument &document);
    // Destroys every canvas and empties the tree.
    void close();

    // The canvases as a project file; empty (and error()) on failure.
    QByteArray save();
    bool snapshot(ProjectDocument *document);

    QList<Canvas *> &canvases() { return m_canvases; }
    TreeModel &model() { return m_model; }
    ProjectStructure &structure() { return m_structure; }
    const QStringList &notes() const { return m_notes; }
    QString error() const { return m_error; }

    // The first canvas with this name, or null.
    Canvas *canvasNamed(const QString &name) const;

private:
    QObject m_owner;
    TreeModel m_model;
    QList<Canvas *> m_canvases;
    ProjectStructure m_structure;
    QStringList m_notes;
    QString m_error;
};

// Writes a document into bytes (empty on failure).
QByteArray projectBytes(const ProjectDocument &document);

// The same bytes opened in a Project, the document the window holds, so
// that edits go through its undo steps as the user's do. False when the
// bytes are not a project file or give no canvas.
bool openInProject(Project &project, const QByteArray &bytes);
bool openInProject(Project &project, const ProjectDocument &document);
// What saving the Project writes; empty on failure.
QByteArray savedBytes(const Project &project);
