#include "Downloader.h"
#include "ui_Downloader.h"

#include "DesktopHooks.h"
#include "Prompter.h"
#include "UpdateRules.h"

#include <QDateTime>
#include <QDir>
#include <QTextDocument>
#include <QtMath>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QScrollBar>

namespace {
// The failure reason area grows with its text up to this many lines, then
// scrolls.
constexpr int MaxDetailLines = 12;

QString mandatorySuffix()
{
    return QStringLiteral(" This is a mandatory update, exiting now will close the application");
}
} // namespace

Downloader::Downloader(QWidget *parent)
    : QWidget(parent)
    , m_ui(new Ui::Downloader)
    , m_manager(new QNetworkAccessManager(this))
    , m_fileName(UpdateRules::defaultFileName())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowIcon(QIcon());
    m_ui->openButton->setEnabled(false);
    m_ui->openButton->hide();
    // A failure's reason may be long (it can name an address): it is shown
    // whole, wrapped anywhere if need be, below the progress bar.
    m_ui->detailText->hide();
    m_ui->detailText->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_ui->detailText->setFrameShape(QFrame::NoFrame);
    m_ui->detailText->viewport()->setAutoFillBackground(false);
    m_fixedWidth = minimumSizeHint().width();
    fitToContents();
    setDownloadDir(QDir::homePath() + QStringLiteral("/Downloads/"));

    connect(m_ui->openButton, &QPushButton::clicked, this, &Downloader::installUpdate);
    connect(m_ui->stopButton, &QPushButton::clicked, this, &Downloader::cancelDownload);
}

Downloader::~Downloader()
{
    releaseReply();
    delete m_ui;
}

void Downloader::setDownloadDir(const QString &dir)
{
    m_downloadDir = dir;
    if (!m_downloadDir.endsWith(QLatin1Char('/')))
        m_downloadDir += QLatin1Char('/');
}

QString Downloader::filePath() const
{
    return m_downloadDir + m_fileName;
}

QString Downloader::partFilePath() const
{
    return filePath() + QStringLiteral(".part");
}

bool Downloader::isDownloading() const
{
    return m_reply && m_reply->isRunning();
}

void Downloader::setUrlId(const QString &url)
{
    m_urlId = url;
}

void Downloader::setFileName(const QString &file)
{
    m_fileName = file.isEmpty() ? UpdateRules::defaultFileName() : file;
}

void Downloader::setUserAgentString(const QString &agent)
{
    m_userAgentString = agent;
}

void Downloader::setUseCustomInstallProcedures(bool custom)
{
    m_useCustomProcedures = custom;
}

void Downloader::setMandatoryUpdate(bool mandatory)
{
    m_mandatoryUpdate = mandatory;
}

void Downloader::startDownload(const QUrl &url)
{
    m_redirects = 0;
    m_failed = false;
    m_cancelled = false;
    m_failureReason.clear();
    m_ui->openButton->setEnabled(false);
    m_ui->openButton->hide();
    fetch(url);
}

// One request of a download; redirections call this again with the target,
// keeping the redirection count of the download.
void Downloader::fetch(const QUrl &url)
{
    releaseReply();
    m_partFile.close();
    m_total = 0;
    m_written = 0;

    m_ui->progressBar->setRange(0, 100);
    m_ui->progressBar->setValue(0);
    hideDetail();
    m_ui->stopButton->setText(QStringLiteral("Stop"));
    m_ui->downloadLabel->setText(QStringLiteral("Downloading updates"));
    m_ui->timeLabel->setText(QStringLiteral("Time remaining") + QStringLiteral(": ")
                             + QStringLiteral("unknown"));

    if (!UpdateRules::isFetchAllowed(url)) {
        show();
        fail(url.isEmpty() ? QStringLiteral("No download address was given for the update.")
                           : QStringLiteral("The update address %1 is not a secure (https) address.")
                                 .arg(url.toDisplayString()),
             true);
        return;
    }

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(m_stallTimeoutMs);
    if (!m_userAgentString.isEmpty())
        request.setRawHeader("User-Agent", m_userAgentString.toUtf8());
    QNetworkReply *reply = m_manager->get(request);
    m_reply = reply;
    m_startTime = QDateTime::currentSecsSinceEpoch();

    QDir().mkpath(m_downloadDir);
    QFile::remove(filePath());
    QFile::remove(partFilePath());

    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64 total) {
        if (reply == m_reply && !m_failed)
            updateProgress(received, total);
    });
    // Progress signals are rate-limited by the network layer; write the data
    // as it arrives so that none waits in memory for the next progress signal.
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        if (reply == m_reply && !m_failed)
            updateProgress(m_written + reply->bytesAvailable(), announcedSize());
    });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        if (reply == m_reply && !m_failed && !replyIsRedirect())
            checkAnnouncedSize();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        if (reply == m_reply)
            finished();
    });

    show();
}

bool Downloader::replyIsRedirect() const
{
    return m_reply && m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).isValid();
}

qint64 Downloader::announcedSize() const
{
    const QVariant announced = m_reply ? m_reply->header(QNetworkRequest::ContentLengthHeader) : QVariant();
    return announced.isValid() ? announced.toLongLong() : -1;
}

bool Downloader::checkAnnouncedSize()
{
    if (announcedSize() > UpdateRules::MaxDownloadBytes) {
        failTooLarge();
        return false;
    }
    return true;
}

void Downloader::failTooLarge()
{
    fail(QStringLiteral("The update is larger than 1 GiB and was not downloaded."), true);
}

void Downloader::updateProgress(qint64 received, qint64 total)
{
    if (replyIsRedirect())
        return;   // the body of a redirection is not the installer
    if (total > UpdateRules::MaxDownloadBytes || received > UpdateRules::MaxDownloadBytes) {
        failTooLarge();
        return;
    }
    if (total > 0) {
        m_total = total;
        m_ui->progressBar->setRange(0, 100);
        m_ui->progressBar->setValue(int(received * 100 / total));
        calculateSizes(received, total);
        calculateTimeRemaining(received, total);
    } else {
        m_ui->progressBar->setRange(0, 0);
        m_ui->progressBar->setValue(-1);
        m_ui->downloadLabel->setText(QStringLiteral("Downloading Updates") + QStringLiteral("..."));
        m_ui->timeLabel->setText(QStringLiteral("%1: %2").arg(QStringLiteral("Time Remaining"),
                                                            QStringLiteral("Unknown")));
    }
    // Data of a download of unknown size must be kept too.
    saveFile(received, total);
}

void Downloader::calculateSizes(qint64 received, qint64 total)
{
    m_ui->downloadLabel->setText(QStringLiteral("Downloading updates") + QStringLiteral(" (")
                                 + UpdateRules::sizeText(received) + QStringLiteral(" ")
                                 + QStringLiteral("of") + QStringLiteral(" ")
                                 + UpdateRules::sizeText(total) + QStringLiteral(")"));
}

void Downloader::calculateTimeRemaining(qint64 received, qint64 total)
{
    const qint64 elapsed = QDateTime::currentSecsSinceEpoch() - m_startTime;
    const qint64 remaining = UpdateRules::remainingSeconds(received, total, elapsed);
    const QString text = remaining < 0 ? QStringLiteral("unknown")
                                       : UpdateRules::timeRemainingText(remaining);
    m_ui->timeLabel->setText(QStringLiteral("Time remaining") + QStringLiteral(": ") + text);
}

void Downloader::saveFile(qint64, qint64)
{
    if (!m_reply || replyIsRedirect() || m_failed)
        return;
    if (m_written + m_reply->bytesAvailable() > UpdateRules::MaxDownloadBytes) {
        failTooLarge();
        return;
    }
    if (!writeAvailableData())
        fail(QStringLiteral("Cannot write the update to %1.").arg(QDir::toNativeSeparators(partFilePath())),
             true);
}

// Appends what the reply has received so far to the ".part" file.
bool Downloader::writeAvailableData()
{
    // Only the body of a successful answer is the installer; error pages and
    // redirection bodies are never written.
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status >= 300 || !m_reply->isOpen())
        return true;
    const QByteArray data = m_reply->readAll();
    if (data.isEmpty())
        return true;
    if (!m_partFile.isOpen()) {
        m_partFile.setFileName(partFilePath());
        if (!m_partFile.open(QIODevice::WriteOnly | QIODevice::Append))
            return false;
    }
    if (m_partFile.write(data) != data.size() || !m_partFile.flush())
        return false;
    m_written += data.size();
    return true;
}

void Downloader::finished()
{
    if (!m_reply)
        return;
    if (m_failed) {
        releaseReply();
        return;
    }
    if (m_reply->error() == QNetworkReply::NoError && replyIsRedirect()) {
        followRedirect();
        return;
    }
    if (m_cancelled) {
        // What has arrived stays in the ".part" file.
        writeAvailableData();
        releaseReply();
        m_partFile.close();
        m_failureReason = QStringLiteral("The download was cancelled.");
        emit downloadFailed(m_urlId, m_failureReason);
        return;
    }
    if (m_reply->error() == QNetworkReply::OperationCanceledError
        || m_reply->error() == QNetworkReply::TimeoutError) {
        // Neither cancelled by the user nor aborted here: the transfer
        // timeout ended it.
        writeAvailableData();
        fail(QStringLiteral("The download stalled: no data arrived for %1.")
                 .arg(UpdateRules::timeRemainingText(qMax(1, m_stallTimeoutMs / 1000))),
             false);
        return;
    }
    if (m_reply->error() != QNetworkReply::NoError) {
        writeAvailableData();
        fail(m_reply->errorString(), false);
        return;
    }
    if (!writeAvailableData()) {
        fail(QStringLiteral("Cannot write the update to %1.").arg(QDir::toNativeSeparators(partFilePath())),
             true);
        return;
    }
    const qint64 expected = m_total > 0 ? m_total : announcedSize();
    if (expected > 0 && m_written != expected) {
        fail(QStringLiteral("The download is incomplete (%1 of %2 bytes).").arg(m_written).arg(expected),
             false);
        return;
    }
    completeDownload();
}

void Downloader::followRedirect()
{
    const QUrl target = m_reply->url().resolved(
        m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl());
    if (++m_redirects > UpdateRules::MaxRedirects) {
        fail(QStringLiteral("The update address redirects too often."), false);
        return;
    }
    if (!UpdateRules::isFetchAllowed(target)) {
        fail(QStringLiteral("The update address %1 is not a secure (https) address.")
                 .arg(target.toDisplayString()),
             false);
        return;
    }
    fetch(target);
}

void Downloader::completeDownload()
{
    m_partFile.close();
    QFile::remove(filePath());
    if (!QFile::rename(partFilePath(), filePath())) {
        fail(QStringLiteral("Cannot save the update as %1.").arg(QDir::toNativeSeparators(filePath())),
             true);
        return;
    }
    emit downloadFinished(m_urlId, filePath());
    m_reply->close();
    releaseReply();
    installUpdate();
    // Keep the window while it offers the Open button for later.
    if (m_ui->openButton->isHidden())
        hide();
}

void Downloader::fail(const QString &reason, bool showBox)
{
    m_failed = true;
    m_failureReason = reason;
    if (m_reply && m_reply->isRunning())
        m_reply->abort();   // finished() sees m_failed and only lets go of the reply
    releaseReply();
    m_partFile.close();

    m_ui->progressBar->setRange(0, 100);
    m_ui->progressBar->setValue(0);
    m_ui->downloadLabel->setText(QStringLiteral("Download failed"));
    m_ui->timeLabel->setText(reason);
    showDetail(reason);
    m_ui->stopButton->setText(QStringLiteral("Close"));
    if (showBox)
        Prompter::critical(this, QStringLiteral("Kestro"), reason);
    emit downloadFailed(m_urlId, reason);
}

void Downloader::showDetail(const QString &text)
{
    m_ui->timeLabel->hide();
    m_ui->detailText->setPlainText(text);
    m_ui->detailText->show();
    if (layout())
        layout()->activate();
    // As high as the wrapped text, so nothing of it is cut off. Laid out
    // beside a scroll bar: the height found then suffices with or without
    // one, so the scroll bar is not needed and goes.
    QTextDocument *document = m_ui->detailText->document();
    document->setTextWidth(m_ui->detailText->contentsRect().width()
                           - m_ui->detailText->verticalScrollBar()->sizeHint().width());
    const int lineHeight = m_ui->detailText->fontMetrics().lineSpacing();
    const int textHeight = qMin(qCeil(document->size().height()),
                                MaxDetailLines * lineHeight + 2 * qCeil(document->documentMargin()));
    m_ui->detailText->setFixedHeight(textHeight + 2 * m_ui->detailText->frameWidth());
    fitToContents();
}

void Downloader::hideDetail()
{
    if (m_ui->detailText->isHidden())
        return;
    m_ui->detailText->hide();
    m_ui->detailText->clear();
    m_ui->timeLabel->show();
    fitToContents();
}

// The window keeps its width and takes the height its contents need.
void Downloader::fitToContents()
{
    if (layout())
        layout()->activate();
    setFixedSize(m_fixedWidth, minimumSizeHint().height());
}

void Downloader::releaseReply()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    if (reply->isRunning())
        reply->abort();
    reply->deleteLater();
}

void Downloader::installUpdate()
{
    if (m_useCustomProcedures)
        return;
    m_ui->stopButton->setText(QStringLiteral("Close"));
    m_ui->downloadLabel->setText(QStringLiteral("Download complete!"));
    m_ui->timeLabel->setText(QStringLiteral("The installer will open separately") + QStringLiteral("..."));

    MessageRequest box;
    box.icon = QMessageBox::Question;
    box.title = QStringLiteral("Updater");
    box.buttons = QMessageBox::Ok | QMessageBox::Cancel;
    box.defaultButton = QMessageBox::Ok;
    box.informativeText = QStringLiteral("Click \"OK\" to begin installing the update");
    box.textFormat = Qt::RichText;
    QString text = QStringLiteral("In order to install the update, you may need to quit the application.");
    if (m_mandatoryUpdate)
        text += mandatorySuffix();
    box.text = QStringLiteral("<h3>") + text + QStringLiteral("</h3>");

    if (Prompter::current()->message(this, box) == QMessageBox::Ok) {
        openDownload();
        return;
    }
    if (m_mandatoryUpdate) {
        DesktopHooks::quitApplication();
        return;
    }
    m_ui->openButton->setEnabled(true);
    m_ui->openButton->show();
    m_ui->timeLabel->setText(QStringLiteral("Click the \"Open\" button to apply the update"));
}

void Downloader::openDownload()
{
    if (m_fileName.isEmpty() || !QFile::exists(filePath())) {
        MessageRequest box;
        box.icon = QMessageBox::Critical;
        box.title = QStringLiteral("Error");
        box.text = QStringLiteral("Cannot find downloaded update!");
        box.buttons = QMessageBox::Close;
        Prompter::current()->message(this, box);
        return;
    }
    DesktopHooks::openUrl(QUrl::fromLocalFile(filePath()));
}

void Downloader::cancelDownload()
{
    if (isDownloading()) {
        MessageRequest box;
        box.icon = QMessageBox::Question;
        box.title = QStringLiteral("Updater");
        box.buttons = QMessageBox::Yes | QMessageBox::No;
        box.text = QStringLiteral("Are you sure you want to cancel the download?");
        if (m_mandatoryUpdate)
            box.text += mandatorySuffix();
        if (Prompter::current()->message(this, box) != QMessageBox::Yes)
            return;
        hide();
        m_cancelled = true;
        if (m_reply)
            m_reply->abort();
        if (m_mandatoryUpdate)
            DesktopHooks::quitApplication();
        return;
    }
    hide();
    if (m_mandatoryUpdate)
        DesktopHooks::quitApplication();
}
