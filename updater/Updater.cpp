#include "Updater.h"

#include "DesktopHooks.h"
#include "Downloader.h"
#include "Prompter.h"
#include "UpdateRules.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <utility>

namespace {
// A feed server that accepts the connection but sends nothing ends the check
// after this long instead of keeping it open for ever.
constexpr int FeedTimeoutMs = 30000;

const QString kTitle = QStringLiteral("Kestro");
} // namespace

Updater::Updater(QObject *parent)
    : QObject(parent)
    , m_moduleName(QCoreApplication::applicationName())
    , m_platformKey(defaultPlatformKey())
    , m_moduleVersion(QCoreApplication::applicationVersion())
    , m_userAgentString(QStringLiteral("%1/%2 (Qt; UpdateCenter)")
                            .arg(QCoreApplication::applicationName(),
                                 QCoreApplication::applicationVersion()))
    , m_downloader(new Downloader)
    , m_manager(new QNetworkAccessManager(this))
{
    m_downloader->setUserAgentString(m_userAgentString);
    connect(m_manager, &QNetworkAccessManager::finished, this, &Updater::onReply);
    connect(m_downloader, &Downloader::downloadFinished, this, &Updater::downloadFinished);
}

Updater::~Updater()
{
    // Replies aborted while the manager goes away must not reach onReply.
    m_manager->disconnect(this);
    delete m_downloader;   // a top-level window without parent
}

QString Updater::defaultPlatformKey()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("windows");
#else
    return QStringLiteral("linux");
#endif
}

bool Updater::useCustomInstallProcedures() const
{
    return m_downloader->useCustomInstallProcedures();
}

void Updater::setUrl(const QString &url)
{
    m_url = url;
}

void Updater::setModuleName(const QString &name)
{
    m_moduleName = name;
}

void Updater::setNotifyOnUpdate(bool notify)
{
    m_notifyOnUpdate = notify;
}

void Updater::setNotifyOnFinish(bool notify)
{
    m_notifyOnFinish = notify;
}

void Updater::setUserAgentString(const QString &agent)
{
    m_userAgentString = agent;
    m_downloader->setUserAgentString(agent);
}

void Updater::setModuleVersion(const QString &version)
{
    m_moduleVersion = version;
}

void Updater::setDownloaderEnabled(bool enabled)
{
    m_downloaderEnabled = enabled;
}

void Updater::setPlatformKey(const QString &key)
{
    m_platformKey = key;
}

void Updater::setUseCustomAppcast(bool custom)
{
    m_customAppcast = custom;
}

void Updater::setUseCustomInstallProcedures(bool custom)
{
    m_downloader->setUseCustomInstallProcedures(custom);
}

void Updater::setMandatoryUpdate(bool mandatory)
{
    m_mandatoryUpdate = mandatory;
}

void Updater::setUserRequested(bool requested)
{
    m_userRequested = requested;
}

void Updater::checkForUpdates()
{
    m_redirects = 0;
    m_failureReason.clear();
    m_requestUrl = m_url;
    sendRequest();
}

// Sends the request for m_requestUrl. A check still waiting for its reply is
// superseded: only the newest reply is read.
void Updater::sendRequest()
{
    if (m_reply) {
        QNetworkReply *old = m_reply;
        m_reply = nullptr;
        old->abort();
    }
    const QUrl address(m_requestUrl);
    if (!UpdateRules::isFetchAllowed(address)) {
        const QString reason = QStringLiteral("Refused to fetch %1: not an https address").arg(m_requestUrl);
        // The answer arrives through the event loop, as a network reply would.
        QTimer::singleShot(0, this, [this, reason] { failCheck(reason); });
        return;
    }
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(FeedTimeoutMs);
    if (!m_userAgentString.isEmpty())
        request.setRawHeader("User-Agent", m_userAgentString.toUtf8());
    // Asked uncompressed, so the size limit is the size of what is read.
    request.setRawHeader("Accept-Encoding", "identity");
    m_reply = m_manager->get(request);
    watchSize(m_reply);
}

// Ends the check as soon as the feed is announced or has grown larger than
// the limit, instead of collecting it whole in memory.
void Updater::watchSize(QNetworkReply *reply)
{
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (reply == m_reply && length.isValid() && length.toLongLong() > UpdateRules::MaxFeedBytes)
            failTooLarge();
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64) {
        if (reply == m_reply && received > UpdateRules::MaxFeedBytes)
            failTooLarge();
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        if (reply == m_reply && reply->bytesAvailable() > UpdateRules::MaxFeedBytes)
            failTooLarge();
    });
}

void Updater::failTooLarge()
{
    if (QNetworkReply *reply = std::exchange(m_reply, nullptr))
        reply->abort();   // onReply ignores what the abort finishes
    failCheck(QStringLiteral("The update feed at %1 is larger than 1 MiB and was not read.")
                  .arg(m_requestUrl));
}

void Updater::onReply(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply != m_reply)
        return;   // superseded by a later check
    m_reply = nullptr;

    const QVariant redirect = reply->attribute(QNetworkRequest::RedirectionTargetAttribute);
    if (redirect.isValid() && reply->error() == QNetworkReply::NoError) {
        const QUrl target = reply->url().resolved(redirect.toUrl());
        if (++m_redirects > UpdateRules::MaxRedirects) {
            failCheck(QStringLiteral("Too many redirections"));
            return;
        }
        if (!UpdateRules::isFetchAllowed(target)) {
            failCheck(QStringLiteral("Refused to follow a redirection to %1").arg(target.toString()));
            return;
        }
        m_requestUrl = target.toString();
        sendRequest();
        return;
    }
    if (reply->error() == QNetworkReply::OperationCanceledError
        || reply->error() == QNetworkReply::TimeoutError) {
        // Replies this updater aborts itself are never read, so this one
        // ran into the transfer timeout.
        failCheck(QStringLiteral("The update server at %1 did not answer within %2 seconds.")
                      .arg(m_requestUrl)
                      .arg(FeedTimeoutMs / 1000));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        failCheck(reply->errorString());
        return;
    }
    const QByteArray body = reply->readAll();
    if (body.size() > UpdateRules::MaxFeedBytes) {
        failTooLarge();
        return;
    }
    if (m_customAppcast) {
        emit appcastDownloaded(m_url, body);
        emit checkingFinished(m_url);
        return;
    }
    if (!readFeed(body))
        return;
    endCheck(UpdateRules::compareVersions(m_latestVersion, m_moduleVersion));
}

// Reads the entry of the platform key; on a document that is not JSON or
// names addresses that may not be fetched, ends the check as failed.
bool Updater::readFeed(const QByteArray &body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError) {
        failCheck(QStringLiteral("The update feed is not valid JSON: %1").arg(error.errorString()));
        return false;
    }
    const QJsonObject updates = document.object().value(QStringLiteral("updates")).toObject();
    const QJsonObject platform = updates.value(m_platformKey).toObject();
    if (platform.isEmpty()) {
        m_openUrl.clear();
        m_changelog.clear();
        m_downloadUrl.clear();
        m_latestVersion.clear();
        failCheck(QStringLiteral("The update feed names no version for this system (\"%1\").").arg(m_platformKey));
        return false;
    }
    const QString version = platform.value(QStringLiteral("latest-version")).toString();
    const QString openUrl = platform.value(QStringLiteral("open-url")).toString();
    const QString downloadUrl = platform.value(QStringLiteral("download-url")).toString();
    // Bounded before anything is kept or shown.
    if (version.size() > UpdateRules::MaxVersionLength) {
        failCheck(QStringLiteral("The update feed names a version longer than %1 characters.")
                      .arg(UpdateRules::MaxVersionLength));
        return false;
    }
    if (openUrl.size() > UpdateRules::MaxAddressLength || downloadUrl.size() > UpdateRules::MaxAddressLength) {
        failCheck(QStringLiteral("The update feed names an address longer than %1 characters.")
                      .arg(UpdateRules::MaxAddressLength));
        return false;
    }
    m_openUrl = openUrl;
    m_changelog = UpdateRules::cappedText(platform.value(QStringLiteral("changelog")).toString(),
                                          UpdateRules::MaxNotesLength);
    m_downloadUrl = downloadUrl;
    m_latestVersion = version;
    if (platform.contains(QStringLiteral("mandatory-update")))
        m_mandatoryUpdate = platform.value(QStringLiteral("mandatory-update")).toBool();

    for (const QString &address : {m_openUrl, m_downloadUrl}) {
        if (!address.isEmpty() && !UpdateRules::isFetchAllowed(QUrl(address))) {
            failCheck(QStringLiteral("The update feed names an address that is not https: %1").arg(address));
            return false;
        }
    }
    return true;
}

void Updater::failCheck(const QString &reason)
{
    m_failureReason = reason;
    endCheck(false);
}

void Updater::endCheck(bool available)
{
    setUpdateAvailable(available);
    if (!available && m_userRequested)
        answerWithoutOffer();
    emit checkingFinished(m_url);
}

// Tells the user who asked that there is nothing to offer, and why.
void Updater::answerWithoutOffer()
{
    MessageRequest box;
    box.title = kTitle;
    box.textFormat = Qt::PlainText;
    box.buttons = QMessageBox::Ok;
    if (m_failureReason.isEmpty()) {
        box.icon = QMessageBox::Information;
        box.text = QStringLiteral("%1 %2 is up to date.").arg(m_moduleName, m_moduleVersion);
    } else {
        box.icon = QMessageBox::Warning;
        box.text = QStringLiteral("%1 could not check for updates.").arg(m_moduleName);
        box.informativeText = m_failureReason;
    }
    Prompter::current()->message(nullptr, box);
}

void Updater::setUpdateAvailable(bool available)
{
    m_updateAvailable = available;
    if (!available || !(m_notifyOnUpdate || m_notifyOnFinish))
        return;

    MessageRequest box;
    box.icon = QMessageBox::Information;
    box.title = kTitle;
    box.textFormat = Qt::RichText;
    // The feed's text is shown as it is written, never as markup.
    box.text = QStringLiteral("<h3>")
               + QStringLiteral("Version %1 of %2 has been released!")
                     .arg(m_latestVersion.toHtmlEscaped(), m_moduleName.toHtmlEscaped())
               + QStringLiteral("</h3>");
    box.informativeText = QStringLiteral("Would you like to download the update now?");
    if (m_mandatoryUpdate)
        box.informativeText += QStringLiteral(
            " This is a mandatory update, exiting now will close the application");
    box.buttons = QMessageBox::Yes | QMessageBox::No;
    box.defaultButton = QMessageBox::Yes;

    m_offerShown = true;
    if (Prompter::current()->message(nullptr, box) == QMessageBox::Yes)
        acceptOffer();
    else if (m_mandatoryUpdate)
        DesktopHooks::quitApplication();
}

void Updater::acceptOffer()
{
    if (m_platformKey == QLatin1String("linux")) {
        MessageRequest box;
        box.icon = QMessageBox::Information;
        box.title = kTitle;
        box.textFormat = Qt::RichText;
        box.buttons = QMessageBox::Ok;
        box.text = QStringLiteral("Please get your updated copy of %1 from ")
                           .arg(UpdateRules::downloadKind(m_downloadUrl))
                   + QStringLiteral("<a href=\"%1\">here</a>").arg(UpdateRules::downloadPageUrl())
                   + QStringLiteral(" \n");
        Prompter::current()->message(nullptr, box);
        return;
    }
    if (!m_openUrl.isEmpty()) {
        DesktopHooks::openUrl(QUrl(m_openUrl));
    } else if (m_downloaderEnabled) {
        m_downloader->setUrlId(m_url);
        m_downloader->setFileName(UpdateRules::fileNameFromUrl(m_downloadUrl));
        m_downloader->setMandatoryUpdate(m_mandatoryUpdate);
        m_downloader->startDownload(QUrl(m_downloadUrl));
    } else {
        DesktopHooks::openUrl(QUrl(m_downloadUrl));
    }
}
