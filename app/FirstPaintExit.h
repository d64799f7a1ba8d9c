#pragma once

// Ends the application right after its first window has been painted, when
// the environment variable KESTRO_EXIT_AFTER_FIRST_PAINT is set. Start-up
// benchmarks use it to time a launch up to the first frame on screen (with
// a project named on the command line, that frame shows its diagram); it
// changes nothing when the variable is unset.
//
// When KESTRO_FIRST_FRAME_FD names an open file descriptor as well, the
// moment the first frame was done (CLOCK_MONOTONIC, in nanoseconds) is
// written to it as one decimal line, so that a benchmark can time the
// launch up to that frame without the teardown that follows.
//
// With KESTRO_EXIT_AFTER_FIRST_PAINT=idle the application leaves only when
// the work it does after that frame (making the items of the diagrams not
// shown yet) is done, as setBusy() tells, so a benchmark sees the memory of
// the whole project.

#include <QObject>

#include <functional>

class FirstPaintExit : public QObject
{
    Q_OBJECT
public:
    // Installs the watcher on the application when the variable is set
    // and returns it (owned by the application); null otherwise.
    static FirstPaintExit *installIfRequested();
    // Whether the application still has work to finish before an idle exit.
    void setBusy(std::function<bool()> busy) { m_busy = std::move(busy); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit FirstPaintExit(QObject *parent);
    // Writes the first frame's moment to KESTRO_FIRST_FRAME_FD, once.
    void reportFrame();
    // Quits, unless an idle exit still waits for work to finish.
    void quit();

    std::function<bool()> m_busy;
    bool m_waitsForIdle = false;
    bool m_quitting = false;
    bool m_reported = false;
};
