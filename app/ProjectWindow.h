#pragma once

// What the window's helpers (item, project and export actions, the
// browser, the tour, the simulation, the hand-over of files, the recovery
// offer) may ask of the window: a parent for their dialogs and its side
// docks, the status bar, the tool sets and the select tool, the no-project
// look, the values kept between runs, and the project with its commands.
// Everything about the open project itself they get from the Project.

#include "StoredSettings.h"

class Autosaver;
class Project;
class ProjectActions;
class QDockWidget;
class QString;
class QWidget;

class ProjectWindow
{
public:
    // The window, as the parent of dialogs and message boxes.
    virtual QWidget *dialogParent() = 0;
    // A transient text in the status bar; an empty text clears it.
    virtual void showStatus(const QString &text) = 0;
    // Enables and disables the tool actions for a context: ToolSets::NoProject,
    // ToolSets::Tour or the tree level (1..9) of the node shown.
    virtual void applyToolSet(int context) = 0;
    virtual int toolContext() const = 0;
    // The home screen and the tools of the state without a project.
    virtual void enterNoProjectState() = 0;
    // Canvas size and code generator values, kept between runs.
    virtual StoredSettings &storedSettings() = 0;

    // The open project (one object for the window's whole life), its
    // commands (open, save, ...) and the autosave of it.
    virtual Project *project() const = 0;
    virtual ProjectActions *projectActions() const = 0;
    virtual Autosaver *autosaver() const = 0;
    // Puts the window's select tool on, as its Select action does.
    virtual void chooseSelectTool() = 0;
    // Shows a dock at the window's right side.
    virtual void addSideDock(QDockWidget *dock) = 0;
    // Shows the window in front of the others, restored if minimised.
    virtual void bringToFront() = 0;

protected:
    ~ProjectWindow() = default;
};
