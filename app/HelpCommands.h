#pragma once

// The Help menu's agreement viewer and update checks, and the routine update
// check the main window starts whenever it shows the home screen.

#include <QObject>

class Eula;
class QWidget;

class HelpCommands : public QObject
{
    Q_OBJECT

public:
    // The agreement viewer is created at once, as a child of `window`.
    explicit HelpCommands(QWidget *window);

    // Runs the agreement viewer modally.
    void showEula();
    Eula *eula() const { return m_eula; }

    // "Check for update": checks the feed for a version newer than the
    // application's and offers it.
    void checkForUpdate();

    // The check on entering the no-project state. The same as the command,
    // except that it is skipped while automatic checks are off.
    void startRoutineCheck();

    // Whether entering the no-project state checks the feed. Test runs
    // (Qt's test mode, which also redirects the settings) must not reach the
    // network, so there the check runs only against a feed named in
    // KESTRO_UPDATE_FEED, unless a test switches it on or off explicitly.
    static bool automaticChecksEnabled();
    static void setAutomaticChecks(bool enabled);
    static void resetAutomaticChecks();

private:
    Eula *m_eula;
};
