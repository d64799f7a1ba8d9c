#pragma once

// Carries out what a second start of Kestro handed over: raises the window
// and opens the project file given, with the usual unsaved-changes prompt.
// A request that arrives while a dialog is open waits until it is closed;
// while the tour or a simulation runs (Open is disabled) the user is told
// the file was not opened.

#include <QObject>
#include <QStringList>
#include <QTimer>

class ProjectWindow;
class QAction;

class OpenRequestHandler : public QObject
{
    Q_OBJECT

public:
    OpenRequestHandler(ProjectWindow *window, QAction *openAction);

    void open(const QString &path);
    void raiseWindow();
    // Requests still waiting for a dialog to close.
    QStringList pending() const { return m_pending; }

private:
    void processPending();

    ProjectWindow *m_window;
    QAction *m_openAction;
    QStringList m_pending;
    QTimer m_retry;
};
