#include "Autosaver.h"

#include "Project.h"
#include "ProjectDocument.h"
#include "RecoverySession.h"
#include "RecoveryStore.h"

#include <QAction>
#include <QSettings>

namespace {
// The longest part of a refused setting that is quoted back.
constexpr int QuotedLength = 40;

QSettings store()
{
    return QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"));
}
} // namespace

Autosaver::Autosaver(QAction *enableAction, Project *project, Source source, QObject *parent,
                     const QString &recoveryRoot)
    : QObject(parent),
      m_enable(enableAction),
      m_project(project),
      m_source(std::move(source)),
      m_session(std::make_unique<RecoverySession>(recoveryRoot.isEmpty() ? RecoveryStore::defaultRoot()
                                                                         : recoveryRoot))
{
    // One job at a time, in the order queued: a removal never overtakes
    // the write before it.
    m_worker.setMaxThreadCount(1);
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Autosaver::writeNow);
    readInterval();

    m_enable->setCheckable(true);
    m_enable->setChecked(store().value(enabledKey(), true).toBool());
    connect(m_enable, &QAction::toggled, this, &Autosaver::enableToggled);
    connect(m_project, &Project::modifiedChanged, this, &Autosaver::modifiedFlagChanged);
    modifiedFlagChanged(m_project->isModified());
}

Autosaver::~Autosaver()
{
    m_timer.stop();
    m_worker.waitForDone();
    // The session removes its folder unless it holds changes nobody decided about.
}

QString Autosaver::enabledKey()
{
    return QStringLiteral("autosave");
}

QString Autosaver::intervalKey()
{
    return QStringLiteral("autosaveInterval");
}

void Autosaver::readInterval()
{
    const QSettings settings = store();
    if (!settings.contains(intervalKey()))
        return;
    const QVariant stored = settings.value(intervalKey());
    bool ok = false;
    const double seconds = stored.toDouble(&ok);
    if (ok && seconds >= MinSeconds && seconds <= MaxSeconds) {
        m_intervalSeconds = seconds;
        return;
    }
    // Never a quiet stand-in: 0 in particular does not mean "every minute".
    QString quoted = stored.toString();
    if (quoted.size() > QuotedLength)
        quoted = quoted.left(QuotedLength) + QChar(0x2026);
    m_settingsProblem = QStringLiteral("Autosave interval \"%1\" in the settings refused (allowed: %2 to %3 "
                                       "seconds); using %4 seconds. Set it in Edit > Preferences.")
                            .arg(quoted)
                            .arg(MinSeconds)
                            .arg(MaxSeconds)
                            .arg(DefaultSeconds);
}

int Autosaver::intervalMs() const
{
    return qMax(1, qRound(m_intervalSeconds * 1000.0));
}

bool Autosaver::setIntervalSeconds(double seconds)
{
    if (!(seconds >= MinSeconds && seconds <= MaxSeconds))
        return false;
    m_intervalSeconds = seconds;
    m_settingsProblem.clear();
    QSettings settings = store();
    settings.setValue(intervalKey(), seconds);
    settings.sync();
    if (m_timer.isActive())
        m_timer.start(intervalMs());
    return true;
}

bool Autosaver::isEnabled() const
{
    return m_enable->isChecked();
}

void Autosaver::modifiedFlagChanged(bool modified)
{
    if (modified == m_modified)
        return;
    m_modified = modified;
    if (modified) {
        startTimerIfDue();
        return;
    }
    m_timer.stop();
    queueDiscard();
}

void Autosaver::enableToggled(bool on)
{
    store().setValue(enabledKey(), on);
    if (on) {
        startTimerIfDue();
        return;
    }
    // Switched off: no copy is kept behind the user's back.
    m_timer.stop();
    queueDiscard();
}

void Autosaver::startTimerIfDue()
{
    if (m_modified && isEnabled() && !m_timer.isActive())
        m_timer.start(intervalMs());
}

void Autosaver::writeNow()
{
    // A write still under way is not queued behind: the next tick catches up.
    if (!m_modified || !isEnabled() || m_pending > 0)
        return;
    auto document = std::make_shared<ProjectDocument>();
    QString error;
    if (!m_source.snapshot(document.get(), &error)) {
        emit writeFailed(error);
        return;
    }
    const QString path = m_source.projectPath();
    const QString name = m_source.projectName();
    RecoverySession *session = m_session.get();
    ++m_pending;
    runOnWorker([this, session, document, path, name] {
        QString reason;
        const bool ok = session->write(*document, path, name, &reason);
        const QString copy = session->copyPath();
        QMetaObject::invokeMethod(
            this,
            [this, ok, copy, reason] {
                --m_pending;
                if (ok)
                    emit copyWritten(copy);
                else
                    emit writeFailed(reason);
            },
            Qt::QueuedConnection);
    });
}

void Autosaver::adopt(const RecoveryCandidate &candidate)
{
    RecoverySession *session = m_session.get();
    runOnWorker([session, candidate] { session->adopt(candidate); });
}

void Autosaver::queueDiscard()
{
    RecoverySession *session = m_session.get();
    runOnWorker([session] { session->discard(); });
}

void Autosaver::runOnWorker(std::function<void()> job)
{
    m_worker.start(std::move(job));
}

void Autosaver::waitForWorker()
{
    m_worker.waitForDone();
}

QString Autosaver::copyPath() const
{
    return m_session->copyPath();
}
