#pragma once

// Edit > Preferences: runs the PreferencesDialog on what autosave and the
// update check use now and applies what the user accepts at once, through
// the same checkable actions the Run and Help menus show (so both stay in
// step), and the autosave interval through the Autosaver, whose running
// timer takes it.

#include <QObject>

class Autosaver;
class PreferencesDialog;
class QAction;
class QMenu;
class QWidget;

class PreferencesActions : public QObject
{
    Q_OBJECT

public:
    // Adds "Preferences..." at the end of `menu`. `autosaveAction` is "Enable
    // Autosave", `checkAtStartAction` "Check for Updates at Start".
    PreferencesActions(QWidget *window, QMenu *menu, Autosaver *autosaver, QAction *autosaveAction,
                       QAction *checkAtStartAction);

    QAction *preferencesAction() const { return m_preferences; }
    // Runs the dialog; true when the user accepted it.
    bool edit();

private:
    QWidget *m_window;
    Autosaver *m_autosaver;
    QAction *m_autosaveAction;
    QAction *m_checkAtStartAction;
    QAction *m_preferences;
    PreferencesDialog *m_dialog = nullptr;
};
