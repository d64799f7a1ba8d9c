#pragma once

// Autosave: while the open project has unsaved changes, a recovery copy of
// it is written every interval (60 seconds unless the settings say
// otherwise) into this session's recovery folder (RecoverySession), never
// over the user's file. The copy is removed as soon as the project is no
// longer modified: after a successful save, a close without saving, or
// when another project is opened.
//
// The "Enable Autosave" action switches it on and off; both it and the
// interval are kept in the settings store. The interval is read once, when
// the autosaver is made: a stored one that is no number of seconds in range
// (0, negative, too long, not a number) is refused, the default is used and
// settingsProblem() says so, for the window to show. Taking the snapshot of the
// diagrams is quick and happens here on the GUI thread; turning it into
// bytes and writing them happens on a worker thread, one job after the
// other, so the window never waits for the disk.

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <functional>
#include <memory>

class Project;
class QAction;
class RecoverySession;
struct ProjectDocument;
struct RecoveryCandidate;

class Autosaver : public QObject
{
    Q_OBJECT

public:
    // What is saved: the project's document, its file and its name.
    struct Source
    {
        std::function<bool(ProjectDocument *, QString *)> snapshot;
        std::function<QString()> projectPath;
        std::function<QString()> projectName;
    };

    // enableAction: the checkable "Enable Autosave" action; project: the
    // open project, whose modified flag decides whether copies are due.
    Autosaver(QAction *enableAction, Project *project, Source source, QObject *parent,
              const QString &recoveryRoot = QString());
    ~Autosaver() override;

    // Settings keys: on or off (default on), and the interval in seconds
    // (default 60; fractions allowed, from MinSeconds to MaxSeconds).
    static QString enabledKey();
    static QString intervalKey();
    static constexpr double DefaultSeconds = 60.0;
    static constexpr double MinSeconds = 0.01;
    static constexpr double MaxSeconds = 24 * 3600.0;
    double intervalSeconds() const { return m_intervalSeconds; }
    int intervalMs() const;
    bool isEnabled() const;
    // Stores a new interval and uses it at once: a copy that is due is then
    // written that long after this call. False (and nothing changed) for
    // an interval out of range.
    bool setIntervalSeconds(double seconds);
    // Why the stored interval was refused; empty when it was not.
    QString settingsProblem() const { return m_settingsProblem; }

    // Takes the snapshot now and queues its writing (if there is anything
    // to keep).
    void writeNow();
    // Takes over the folder of a copy that was just recovered.
    void adopt(const RecoveryCandidate &candidate);
    // Blocks until every queued write and removal is done.
    void waitForWorker();
    // The newest recovery copy; call after waitForWorker().
    QString copyPath() const;

signals:
    void copyWritten(const QString &path);
    void writeFailed(const QString &reason);

private:
    void modifiedFlagChanged(bool modified);
    void enableToggled(bool on);
    void startTimerIfDue();
    void readInterval();
    void runOnWorker(std::function<void()> job);
    void queueDiscard();

    QAction *m_enable;
    Project *m_project;
    Source m_source;
    QTimer m_timer;
    double m_intervalSeconds = DefaultSeconds;
    QString m_settingsProblem;
    bool m_modified = false;
    int m_pending = 0;   // writes queued and not yet reported back
    std::unique_ptr<RecoverySession> m_session;
    QThreadPool m_worker;
};
