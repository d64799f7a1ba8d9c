#pragma once

// What the window's helpers (item and project actions, the browser, the
// tour) may ask of the window: a parent for their dialogs, the status bar,
// the tool sets, the no-project look and the values kept between runs.
// Everything about the open project itself they get from the Project.

#include "StoredSettings.h"

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
    // ToolSets::Tour or the tree level (1..5) of the node shown.
    virtual void applyToolSet(int context) = 0;
    virtual int toolContext() const = 0;
    // The home screen and the tools of the state without a project.
    virtual void enterNoProjectState() = 0;
    // Canvas size and code generator values, kept between runs.
    virtual StoredSettings &storedSettings() = 0;

protected:
    ~ProjectWindow() = default;
};
