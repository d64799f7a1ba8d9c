#pragma once

// The Help menu's agreement viewer and update checks, and the routine update
// check the main window starts whenever it shows the home screen.

#include <QObject>

class Eula;
class QAction;
class QTimer;
class QWidget;

class HelpActions : public QObject
{
    Q_OBJECT

public:
    // The agreement viewer is created at once, as a child of `window`.
    // `checkAtStartAction` is the checkable "Check for Updates at Start"
    // entry: it shows the stored choice and stores every change.
    HelpActions(QWidget *window, QAction *checkAtStartAction);

    // Runs the agreement viewer modally.
    void showEula();
    // The agreement's dialog, made on first use.
    Eula *eula();

    // "Check for update": checks the feed for a version newer than the
    // application's and answers in every case: the offer, that Kestro is up
    // to date, or why the check failed.
    void checkForUpdate();

    // The check on entering the no-project state. Like the command, but it
    // speaks only to offer an update, and it is skipped while automatic
    // checks are off or once an update has been offered in this session.
    // It starts RoutineCheckDelayMs later, so that setting up the network
    // and its encryption does not hold back the first frame of the window;
    // calls within that time start one check.
    void startRoutineCheck();
    static constexpr int RoutineCheckDelayMs = 500;

    // The stored choice of "Check for Updates at Start" (on unless turned off).
    static QString checkAtStartKey();
    static bool checkAtStart();
    static void setCheckAtStart(bool enabled);

    // Whether entering the no-project state may check the feed at all. Test
    // runs (Qt's test mode, which also redirects the settings) must not reach
    // the network, so there the check runs only against a feed named in
    // KESTRO_UPDATE_FEED, unless a test switches it on or off explicitly.
    static bool automaticChecksEnabled();
    static void setAutomaticChecks(bool enabled);
    static void resetAutomaticChecks();

private:
    void startCheck(bool userRequested);
    void runRoutineCheck();

    QWidget *m_window;
    Eula *m_eula = nullptr;
    QTimer *m_routineCheck;
};
