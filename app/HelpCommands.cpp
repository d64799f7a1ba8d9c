#include "HelpCommands.h"

#include "Eula.h"
#include "UpdateCenter.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace {
// -1: decided by the environment; 0 or 1: set explicitly.
int automaticChecks = -1;
} // namespace

HelpCommands::HelpCommands(QWidget *window)
    : QObject(window), m_eula(new Eula(window))
{
}

void HelpCommands::showEula()
{
    m_eula->exec();
}

void HelpCommands::checkForUpdate()
{
    UpdateCenter::getInstance()->startRoutineCheck(UpdateCenter::feedUrl(),
                                                   QCoreApplication::applicationVersion());
}

void HelpCommands::startRoutineCheck()
{
    if (automaticChecksEnabled())
        checkForUpdate();
}

bool HelpCommands::automaticChecksEnabled()
{
    if (automaticChecks >= 0)
        return automaticChecks == 1;
    return !QStandardPaths::isTestModeEnabled() || !qEnvironmentVariableIsEmpty("KESTRO_UPDATE_FEED");
}

void HelpCommands::setAutomaticChecks(bool enabled)
{
    automaticChecks = enabled ? 1 : 0;
}

void HelpCommands::resetAutomaticChecks()
{
    automaticChecks = -1;
}
