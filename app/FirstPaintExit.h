#pragma once

// Ends the application right after its first window has been painted, when
// the environment variable KESTRO_EXIT_AFTER_FIRST_PAINT is set. Start-up
// benchmarks use it to time a launch up to the first frame on screen (with
// a project named on the command line, that frame shows its diagram); it
// changes nothing when the variable is unset.

#include <QObject>

class FirstPaintExit : public QObject
{
    Q_OBJECT
public:
    // Installs the watcher on the application when the variable is set.
    static void installIfRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit FirstPaintExit(QObject *parent);

    bool m_quitting = false;
};
