#pragma once

// The download window of the updater: fetches one installer into the user's
// Downloads directory (as NAME.part, renamed to NAME once complete), shows the
// progress, then offers to open the installer.

#include <QFile>
#include <QUrl>
#include <QWidget>

class QNetworkAccessManager;
class QNetworkReply;

namespace Ui {
class Downloader;
}

class Downloader : public QWidget
{
    Q_OBJECT

public:
    explicit Downloader(QWidget *parent = nullptr);
    ~Downloader() override;

    QString urlId() const { return m_urlId; }
    QString fileName() const { return m_fileName; }
    QString userAgentString() const { return m_userAgentString; }
    bool useCustomInstallProcedures() const { return m_useCustomProcedures; }
    bool mandatoryUpdate() const { return m_mandatoryUpdate; }

    // Directory the installer is saved in; the user's home + "/Downloads/"
    // unless set. Always ends with "/".
    QString downloadDir() const { return m_downloadDir; }
    void setDownloadDir(const QString &dir);

    // Full paths of the finished file and of the file being written.
    QString filePath() const;
    QString partFilePath() const;

    // True while a request of the current download is running.
    bool isDownloading() const;
    // A download that receives nothing for this long ends as stalled
    // (60 seconds unless set).
    int stallTimeoutMs() const { return m_stallTimeoutMs; }
    void setStallTimeoutMs(int ms) { m_stallTimeoutMs = ms; }
    // Why the last download failed; empty when it did not.
    QString failureReason() const { return m_failureReason; }

signals:
    void downloadFinished(const QString &url, const QString &filepath);
    // A download ended without its completion steps (network error, refused
    // address, too many redirections, truncated data, write error, size limit,
    // cancelled by the user).
    void downloadFailed(const QString &url, const QString &reason);

public slots:
    void setUrlId(const QString &url);
    void startDownload(const QUrl &url);
    void setFileName(const QString &file);
    void setUserAgentString(const QString &agent);
    void setUseCustomInstallProcedures(bool custom);
    void setMandatoryUpdate(bool mandatory);
    void finished();
    void openDownload();
    void installUpdate();
    void cancelDownload();
    void saveFile(qint64 received, qint64 total);
    void calculateSizes(qint64 received, qint64 total);
    void updateProgress(qint64 received, qint64 total);
    void calculateTimeRemaining(qint64 received, qint64 total);

private:
    void fetch(const QUrl &url);
    bool replyIsRedirect() const;
    qint64 announcedSize() const;
    bool checkAnnouncedSize();
    void failTooLarge();
    void followRedirect();
    void completeDownload();
    void fail(const QString &reason, bool showBox);
    void showDetail(const QString &text);
    void hideDetail();
    void fitToContents();
    void releaseReply();
    bool writeAvailableData();

    Ui::Downloader *m_ui;
    QNetworkAccessManager *m_manager;
    QNetworkReply *m_reply = nullptr;
    QFile m_partFile;
    QString m_urlId;
    QString m_fileName;
    QString m_userAgentString;
    QString m_downloadDir;
    QString m_failureReason;
    qint64 m_startTime = 0;
    int m_stallTimeoutMs = 60000;
    int m_fixedWidth = 0;
    qint64 m_total = 0;
    qint64 m_written = 0;
    int m_redirects = 0;
    bool m_useCustomProcedures = false;
    bool m_mandatoryUpdate = false;
    bool m_failed = false;
    bool m_cancelled = false;
};
