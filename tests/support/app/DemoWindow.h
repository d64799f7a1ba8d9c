#pragma once

// A shown main window with the default project "Demo" open, every box and
// file dialog answered by a scripted prompter, and a ViewDriver for real
// mouse and key events on its view. For tests of what a person does on a
// diagram.

#include "ScriptedPrompter.h"
#include "ViewDriver.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class Canvas;
class MainWindow;

class DemoWindow
{
public:
    DemoWindow();
    ~DemoWindow();
    DemoWindow(const DemoWindow &) = delete;
    DemoWindow &operator=(const DemoWindow &) = delete;

    // A new window with "Demo" opened from a fresh file, showing the node
    // reached through names from the project node (the earlier window goes
    // without questions). The canvas shown, or null.
    Canvas *show(const QStringList &names);
    // Closes the window without questions.
    void close();

    MainWindow *window() const { return m_window.get(); }
    ViewDriver *driver() const { return m_driver.get(); }
    ScriptedPrompter &prompter() { return m_prompter; }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    bool isModified() const;
    void clearModified();

    // Node names from the project node down to the state machine and to
    // the microcontroller of the default project.
    static QStringList machinePath();
    static QStringList controllerPath();

private:
    QTemporaryDir m_dir;
    ScriptedPrompter m_prompter;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<ViewDriver> m_driver;
};
