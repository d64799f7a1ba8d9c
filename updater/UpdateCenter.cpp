#include "UpdateCenter.h"

#include "UpdateRules.h"
#include "Updater.h"

UpdateCenter::UpdateCenter(QObject *parent)
    : QObject(parent)
{
}

UpdateCenter *UpdateCenter::getInstance()
{
    // Kept until the process ends; the updaters' network managers must not
    // outlive the application object, so it is never destroyed at exit.
    static UpdateCenter *instance = new UpdateCenter;
    return instance;
}

QString UpdateCenter::feedUrl()
{
    return UpdateRules::updateFeedUrl();
}

Updater *UpdateCenter::getUpdater(const QString &url)
{
    const int index = m_urls.indexOf(url);
    if (index >= 0)
        return m_updaters.at(index);

    auto *updater = new Updater(this);
    updater->setUrl(url);
    connect(updater, &Updater::checkingFinished, this, &UpdateCenter::checkingFinished);
    connect(updater, &Updater::downloadFinished, this, &UpdateCenter::downloadFinished);
    connect(updater, &Updater::appcastDownloaded, this, &UpdateCenter::appcastDownloaded);
    m_urls.append(url);
    m_updaters.append(updater);
    return updater;
}

void UpdateCenter::startRoutineCheck(const QString &url, const QString &moduleVersion, bool userRequested)
{
    setModuleVersion(url, moduleVersion);
    setNotifyOnFinish(url, true);
    setNotifyOnUpdate(url, true);
    setUseCustomAppcast(url, false);
    setDownloaderEnabled(url, true);
    setMandatoryUpdate(url, false);
    setUserRequested(url, userRequested);
    checkForUpdates(url);
}

QString UpdateCenter::getModuleVersion(const QString &url) { return getUpdater(url)->moduleVersion(); }
QString UpdateCenter::getLatestVersion(const QString &url) { return getUpdater(url)->latestVersion(); }
QString UpdateCenter::getChangelog(const QString &url) { return getUpdater(url)->changelog(); }
bool UpdateCenter::getNotifyOnUpdate(const QString &url) { return getUpdater(url)->notifyOnUpdate(); }
bool UpdateCenter::getNotifyOnFinish(const QString &url) { return getUpdater(url)->notifyOnFinish(); }
bool UpdateCenter::getUpdateAvailable(const QString &url) { return getUpdater(url)->updateAvailable(); }
bool UpdateCenter::getDownloaderEnabled(const QString &url) { return getUpdater(url)->downloaderEnabled(); }
bool UpdateCenter::getUseCustomAppcast(const QString &url) { return getUpdater(url)->useCustomAppcast(); }
bool UpdateCenter::getMandatoryUpdate(const QString &url) { return getUpdater(url)->mandatoryUpdate(); }
bool UpdateCenter::getOfferShown(const QString &url) { return getUpdater(url)->offerShown(); }

void UpdateCenter::checkForUpdates(const QString &url) { getUpdater(url)->checkForUpdates(); }
void UpdateCenter::setModuleName(const QString &url, const QString &name) { getUpdater(url)->setModuleName(name); }
void UpdateCenter::setNotifyOnUpdate(const QString &url, bool notify) { getUpdater(url)->setNotifyOnUpdate(notify); }
void UpdateCenter::setNotifyOnFinish(const QString &url, bool notify) { getUpdater(url)->setNotifyOnFinish(notify); }
void UpdateCenter::setPlatformKey(const QString &url, const QString &key) { getUpdater(url)->setPlatformKey(key); }
void UpdateCenter::setModuleVersion(const QString &url, const QString &version)
{
    getUpdater(url)->setModuleVersion(version);
}
void UpdateCenter::setDownloaderEnabled(const QString &url, bool enabled)
{
    getUpdater(url)->setDownloaderEnabled(enabled);
}
void UpdateCenter::setUserAgentString(const QString &url, const QString &agent)
{
    getUpdater(url)->setUserAgentString(agent);
}
void UpdateCenter::setUseCustomAppcast(const QString &url, bool custom)
{
    getUpdater(url)->setUseCustomAppcast(custom);
}
void UpdateCenter::setUseCustomInstallProcedures(const QString &url, bool custom)
{
    getUpdater(url)->setUseCustomInstallProcedures(custom);
}
void UpdateCenter::setMandatoryUpdate(const QString &url, bool mandatory)
{
    getUpdater(url)->setMandatoryUpdate(mandatory);
}
void UpdateCenter::setUserRequested(const QString &url, bool requested)
{
    getUpdater(url)->setUserRequested(requested);
}
