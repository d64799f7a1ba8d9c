#include "HelpActions.h"

#include "Eula.h"
#include "UpdateCenter.h"

#include <QAction>
#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

namespace {
// -1: decided by the environment; 0 or 1: set explicitly.
int automaticChecks = -1;

QSettings store()
{
    return QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"));
}
} // namespace

HelpActions::HelpActions(QWidget *window, QAction *checkAtStartAction)
    : QObject(window), m_window(window), m_routineCheck(new QTimer(this))
{
    m_routineCheck->setSingleShot(true);
    m_routineCheck->setInterval(RoutineCheckDelayMs);
    connect(m_routineCheck, &QTimer::timeout, this, &HelpActions::runRoutineCheck);
    if (checkAtStartAction) {
        checkAtStartAction->setCheckable(true);
        checkAtStartAction->setChecked(checkAtStart());
        connect(checkAtStartAction, &QAction::toggled, this, &HelpActions::setCheckAtStart);
    }
}

Eula *HelpActions::eula()
{
    // The agreement's dialog is made the first time it is shown.
    if (!m_eula)
        m_eula = new Eula(m_window);
    return m_eula;
}

void HelpActions::showEula()
{
    eula()->exec();
}

void HelpActions::startCheck(bool userRequested)
{
    UpdateCenter::getInstance()->startRoutineCheck(UpdateCenter::feedUrl(),
                                                   QCoreApplication::applicationVersion(), userRequested);
}

void HelpActions::checkForUpdate()
{
    startCheck(true);
}

void HelpActions::startRoutineCheck()
{
    if (automaticChecksEnabled() && checkAtStart())
        m_routineCheck->start();
}

void HelpActions::runRoutineCheck()
{
    if (!automaticChecksEnabled() || !checkAtStart())
        return;
    // Closing a project or ending the tour returns to the home screen many
    // times a session; the offer is made once.
    if (UpdateCenter::getInstance()->getOfferShown(UpdateCenter::feedUrl()))
        return;
    startCheck(false);
}

QString HelpActions::checkAtStartKey()
{
    return QStringLiteral("checkForUpdatesAtStart");
}

bool HelpActions::checkAtStart()
{
    return store().value(checkAtStartKey(), true).toBool();
}

void HelpActions::setCheckAtStart(bool enabled)
{
    QSettings settings = store();
    settings.setValue(checkAtStartKey(), enabled);
    settings.sync();
}

bool HelpActions::automaticChecksEnabled()
{
    if (automaticChecks >= 0)
        return automaticChecks == 1;
    return !QStandardPaths::isTestModeEnabled() || !qEnvironmentVariableIsEmpty("KESTRO_UPDATE_FEED");
}

void HelpActions::setAutomaticChecks(bool enabled)
{
    automaticChecks = enabled ? 1 : 0;
}

void HelpActions::resetAutomaticChecks()
{
    automaticChecks = -1;
}
