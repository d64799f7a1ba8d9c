#pragma once

// Checks one update feed: fetches the JSON document, reads the entry of its
// platform key, compares the versions and, when a newer one is out, offers it
// and opens a page or downloads the installer.

#include <QObject>
#include <QString>

class Downloader;
class QNetworkAccessManager;
class QNetworkReply;

class Updater : public QObject
{
    Q_OBJECT

public:
    explicit Updater(QObject *parent = nullptr);
    ~Updater() override;

    // The configured feed address; every check starts from it, whatever
    // redirections an earlier check followed.
    QString url() const { return m_url; }
    QString openUrl() const { return m_openUrl; }
    // The release notes of the feed, cut at UpdateRules::MaxNotesLength.
    QString changelog() const { return m_changelog; }
    QString moduleName() const { return m_moduleName; }
    QString downloadUrl() const { return m_downloadUrl; }
    QString platformKey() const { return m_platformKey; }
    QString moduleVersion() const { return m_moduleVersion; }
    QString latestVersion() const { return m_latestVersion; }

    QString userAgentString() const { return m_userAgentString; }
    bool useCustomAppcast() const { return m_customAppcast; }
    bool notifyOnUpdate() const { return m_notifyOnUpdate; }
    bool notifyOnFinish() const { return m_notifyOnFinish; }
    bool updateAvailable() const { return m_updateAvailable; }
    bool downloaderEnabled() const { return m_downloaderEnabled; }
    bool useCustomInstallProcedures() const;
    bool mandatoryUpdate() const { return m_mandatoryUpdate; }
    // Why the last check failed (empty when it succeeded or is running).
    QString failureReason() const { return m_failureReason; }
    // Whether this updater has offered an update since the program started.
    bool offerShown() const { return m_offerShown; }
    // A check the user asked for answers whatever it finds: the offer, that
    // the program is up to date, or why the check failed. Other checks only
    // speak when there is an update to offer.
    bool userRequested() const { return m_userRequested; }

    Downloader *downloader() const { return m_downloader; }

    // "windows" on Windows builds, "linux" elsewhere.
    static QString defaultPlatformKey();

signals:
    void checkingFinished(const QString &url);
    void downloadFinished(const QString &url, const QString &filepath);
    void appcastDownloaded(const QString &url, const QByteArray &data);

public slots:
    void checkForUpdates();
    void setUrl(const QString &url);
    void setModuleName(const QString &name);
    void setNotifyOnUpdate(bool notify);
    void setNotifyOnFinish(bool notify);
    void setUserAgentString(const QString &agent);
    void setModuleVersion(const QString &version);
    void setDownloaderEnabled(bool enabled);
    void setPlatformKey(const QString &key);
    void setUseCustomAppcast(bool custom);
    void setUseCustomInstallProcedures(bool custom);
    void setMandatoryUpdate(bool mandatory);
    void setUserRequested(bool requested);
    void onReply(QNetworkReply *reply);
    void setUpdateAvailable(bool available);

private:
    void sendRequest();
    void watchSize(QNetworkReply *reply);
    void failTooLarge();
    void endCheck(bool available);
    void failCheck(const QString &reason);
    bool readFeed(const QByteArray &body);
    void acceptOffer();
    void answerWithoutOffer();

    QString m_url;
    QString m_requestUrl;   // the address of the request in flight
    QString m_openUrl;
    QString m_changelog;
    QString m_moduleName;
    QString m_downloadUrl;
    QString m_platformKey;
    QString m_moduleVersion;
    QString m_latestVersion;
    QString m_userAgentString;
    QString m_failureReason;
    bool m_customAppcast = false;
    bool m_notifyOnUpdate = true;
    bool m_notifyOnFinish = false;
    bool m_updateAvailable = false;
    bool m_downloaderEnabled = true;
    bool m_mandatoryUpdate = false;
    bool m_userRequested = false;
    bool m_offerShown = false;
    int m_redirects = 0;
    Downloader *m_downloader;
    QNetworkAccessManager *m_manager;
    QNetworkReply *m_reply = nullptr;
};
