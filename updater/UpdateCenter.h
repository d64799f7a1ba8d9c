#pragma once

// The one front object of the update checker: keeps one Updater per feed
// address and forwards every call to it.

#include <QList>
#include <QObject>
#include <QStringList>

class Updater;

class UpdateCenter : public QObject
{
    Q_OBJECT

public:
    // The application's single instance, created on first use and kept until
    // the process ends.
    static UpdateCenter *getInstance();

    // The feed address the application checks (KESTRO_UPDATE_FEED overrides
    // the built-in https address).
    static QString feedUrl();

    // The updater for url, created (with its url set) the first time the
    // address is named.
    Updater *getUpdater(const QString &url);

    // What the main window runs on the "Check for update" command and on every
    // switch into its no-project state: sets the module version, both notify
    // flags, no custom appcast, the downloader enabled, the mandatory flag
    // reset, whether the user asked for this check (then it also answers
    // when there is nothing to offer), then starts the check.
    void startRoutineCheck(const QString &url, const QString &moduleVersion, bool userRequested = false);

    QString getModuleVersion(const QString &url);
    QString getLatestVersion(const QString &url);
    QString getChangelog(const QString &url);
    bool getNotifyOnUpdate(const QString &url);
    bool getNotifyOnFinish(const QString &url);
    bool getUpdateAvailable(const QString &url);
    bool getDownloaderEnabled(const QString &url);
    bool getUseCustomAppcast(const QString &url);
    bool getMandatoryUpdate(const QString &url);
    bool getOfferShown(const QString &url);

signals:
    void checkingFinished(const QString &url);
    void downloadFinished(const QString &url, const QString &filepath);
    void appcastDownloaded(const QString &url, const QByteArray &data);

public slots:
    void checkForUpdates(const QString &url);
    void setModuleName(const QString &url, const QString &name);
    void setNotifyOnUpdate(const QString &url, bool notify);
    void setNotifyOnFinish(const QString &url, bool notify);
    void setPlatformKey(const QString &url, const QString &key);
    void setModuleVersion(const QString &url, const QString &version);
    void setDownloaderEnabled(const QString &url, bool enabled);
    void setUserAgentString(const QString &url, const QString &agent);
    void setUseCustomAppcast(const QString &url, bool custom);
    void setUseCustomInstallProcedures(const QString &url, bool custom);
    void setMandatoryUpdate(const QString &url, bool mandatory);
    void setUserRequested(const QString &url, bool requested);

private:
    explicit UpdateCenter(QObject *parent = nullptr);

    QStringList m_urls;
    QList<Updater *> m_updaters;
};
