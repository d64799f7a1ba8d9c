#include "DesktopHooks.h"
#include "Downloader.h"
#include "LocalHttpServer.h"
#include "ScriptedPrompter.h"
#include "Updater.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QtTest>

// Downloading an installer from a real https server on 127.0.0.1: the finished
// file, the install question, and every way a download can fail without ever
// producing (or opening) an installer.
class TestUpdaterDownload : public QObject
{
    Q_OBJECT

private:
    LocalHttpServer m_server;
    QByteArray m_installer;
    QList<QUrl> m_opened;
    int m_quits = 0;
    QScopedPointer<QTemporaryDir> m_dir;

    QList<QPointer<Downloader>> m_downloaders;

    Downloader *makeDownloader(const QString &fileName)
    {
        auto *d = new Downloader;
        m_downloaders.append(d);
        d->setDownloadDir(m_dir->path());
        d->setUrlId(QStringLiteral("feed-id"));
        d->setFileName(fileName);
        d->setUserAgentString(QStringLiteral("Kestro/1.0 (Qt; UpdateCenter)"));
        return d;
    }

    static QString label(Downloader *d, const char *name)
    {
        return d->findChild<QLabel *>(name)->text();
    }

    static QByteArray contents(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static QStringList titles(const ScriptedPrompter &p)
    {
        QStringList t;
        for (const MessageRequest &m : p.messages)
            t << m.title;
        return t;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setApplicationName(QStringLiteral("Kestro"));
        QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
        QVERIFY(m_server.start());
        DesktopHooks::setUrlOpener([this](const QUrl &url) {
            m_opened.append(url);
            return true;
        });
        DesktopHooks::setQuitter([this] { ++m_quits; });

        m_installer.resize(300000);
        for (int i = 0; i < m_installer.size(); ++i)
            m_installer[i] = char((i * 7 + i / 251) & 0xff);
        m_server.setRoute("/files/setup.exe", LocalHttpServer::ok(m_installer));
        m_server.setRoute("/files/", LocalHttpServer::ok(m_installer));

        // The first part of the body, then nothing until the test closes
        // the connection, which ends the body.
        LocalHttpServer::Response unknown = LocalHttpServer::ok(m_installer.left(3000));
        unknown.sendContentLength = false;
        unknown.stall = true;
        m_server.setRoute("/unknown-size", unknown);

        LocalHttpServer::Response truncated = LocalHttpServer::ok(m_installer.left(5000));
        truncated.announcedLength = m_installer.size();
        m_server.setRoute("/truncated", truncated);

        LocalHttpServer::Response stalled = LocalHttpServer::ok(m_installer.left(1000));
        stalled.announcedLength = m_installer.size();
        stalled.stall = true;
        m_server.setRoute("/stalled", stalled);

        LocalHttpServer::Response huge = LocalHttpServer::ok(m_installer.left(1000));
        huge.announcedLength = (qint64(1) << 30) + 1;
        huge.stall = true;
        m_server.setRoute("/huge", huge);

        m_server.setRoute("/dl-moved", LocalHttpServer::redirect("/files/setup.exe"));
        m_server.setRoute("/dl-loop-a", LocalHttpServer::redirect("/dl-loop-b"));
        m_server.setRoute("/dl-loop-b", LocalHttpServer::redirect("/dl-loop-a"));
        m_server.setRoute("/dl-to-http", LocalHttpServer::redirect(
                                             QStringLiteral("http://127.0.0.1:%1/files/setup.exe").arg(m_server.port())));

        const QString feed = QStringLiteral("{\"updates\": {\"windows\": {\"latest-version\": \"2.0\", "
                                            "\"download-url\": \"%1\"%2}}}");
        m_server.setRoute("/feed", LocalHttpServer::ok(feed.arg(m_server.url("/files/setup.exe"), "").toUtf8()));
        m_server.setRoute("/feed-slash", LocalHttpServer::ok(feed.arg(m_server.url("/files/"), "").toUtf8()));
        m_server.setRoute("/feed-mandatory",
                          LocalHttpServer::ok(feed.arg(m_server.url("/stalled"), ", \"mandatory-update\": true")
                                                  .toUtf8()));
    }

    void cleanupTestCase()
    {
        DesktopHooks::setUrlOpener(nullptr);
        DesktopHooks::setQuitter(nullptr);
    }

    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_opened.clear();
        m_quits = 0;
    }

    void cleanup()
    {
        // Downloads of a test must not run on into the next one.
        qDeleteAll(m_downloaders);
        m_downloaders.clear();
        m_server.dropConnections();
    }

    void acceptedOfferDownloadsAndOpensTheInstaller()
    {
        ScriptedPrompter prompter;
        prompter.messageAnswers << QMessageBox::Yes << QMessageBox::Ok;
        Updater u;
        u.setUrl(m_server.url("/feed"));
        u.setPlatformKey("windows");
        u.setModuleVersion("1.0");
        u.downloader()->setDownloadDir(m_dir->path());
        QSignalSpy done(&u, &Updater::downloadFinished);
        u.checkForUpdates();
        QVERIFY(done.wait(15000));

        const QString path = m_dir->filePath("setup.exe");
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.first().at(0).toString(), m_server.url("/feed"));
        QCOMPARE(done.first().at(1).toString(), path);
        QCOMPARE(contents(path), m_installer);
        QVERIFY(!QFile::exists(path + ".part"));
        QCOMPARE(m_server.userAgents().last(), QByteArray("Kestro/1.0 (Qt; UpdateCenter)"));

        QCOMPARE(prompter.messages.size(), 2);
        const MessageRequest &install = prompter.messages.at(1);
        QCOMPARE(install.icon, QMessageBox::Question);
        QCOMPARE(install.text, QStringLiteral("<h3>In order to install the update, you may need to quit the "
                                              "application.</h3>"));
        QCOMPARE(install.informativeText, QStringLiteral("Click \"OK\" to begin installing the update"));
        QCOMPARE(install.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(install.defaultButton, QMessageBox::Ok);
        QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(path)});
        QVERIFY(!u.downloader()->isVisible());
    }

    void addressEndingInSlashSavesDefaultName()
    {
        ScriptedPrompter prompter;
        prompter.messageAnswers << QMessageBox::Yes << QMessageBox::Ok;
        Updater u;
        u.setUrl(m_server.url("/feed-slash"));
        u.setPlatformKey("windows");
        u.setModuleVersion("1.0");
        u.downloader()->setDownloadDir(m_dir->path());
        QSignalSpy done(&u, &Updater::downloadFinished);
        u.checkForUpdates();
        QVERIFY(done.wait(15000));
        QCOMPARE(u.downloader()->fileName(), QStringLiteral("Kestro_Update.bin"));
        QCOMPARE(contents(m_dir->filePath("Kestro_Update.bin")), m_installer);
    }

    void cancellingTheInstallQuestionOffersOpenLater()
    {
        ScriptedPrompter prompter;
        prompter.messageAnswers << QMessageBox::Cancel << QMessageBox::Ok;
        Downloader *d = makeDownloader("setup.exe");
        QSignalSpy done(d, &Downloader::downloadFinished);
        d->startDownload(QUrl(m_server.url("/dl-moved")));   // through a redirection
        QVERIFY(done.wait(15000));
        QCOMPARE(contents(m_dir->filePath("setup.exe")), m_installer);
        QVERIFY(m_opened.isEmpty());
        auto *open = d->findChild<QPushButton *>("openButton");
        QVERIFY(open->isEnabled() && open->isVisible());
        QVERIFY(d->isVisible());
        QCOMPARE(label(d, "timeLabel"), QStringLiteral("Click the \"Open\" button to apply the update"));
        QCOMPARE(d->findChild<QPushButton *>("stopButton")->text(), QStringLiteral("Close"));

        open->click();   // asks again; OK opens it
        QCOMPARE(prompter.messages.size(), 2);
        QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(m_dir->filePath("setup.exe"))});
        d->findChild<QPushButton *>("stopButton")->click();
        QVERIFY(!d->isVisible());
        QCOMPARE(m_quits, 0);
    }

    void unknownSizeIsStillSaved()
    {
        ScriptedPrompter prompter;
        Downloader *d = makeDownloader("setup.exe");
        d->setUseCustomInstallProcedures(true);
        QSignalSpy done(d, &Downloader::downloadFinished);
        d->startDownload(QUrl(m_server.url("/unknown-size")));
        auto *bar = d->findChild<QProgressBar *>("progressBar");
        // While the size is unknown the bar is a busy indicator.
        QTRY_COMPARE_WITH_TIMEOUT(bar->maximum(), 0, 15000);
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(label(d, "downloadLabel"), QStringLiteral("Downloading Updates..."));
        QCOMPARE(label(d, "timeLabel"), QStringLiteral("Time Remaining: Unknown"));
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(d->partFilePath()).size(), qint64(3000), 15000);

        m_server.finishConnections();
        QVERIFY(done.wait(15000));
        QCOMPARE(contents(m_dir->filePath("setup.exe")), m_installer.left(3000));
        QVERIFY(prompter.messages.isEmpty());   // custom install procedures ask nothing
    }

    void knownSizeShowsSizesAndProgress()
    {
        ScriptedPrompter prompter;
        Downloader *d = makeDownloader("setup.exe");
        d->setUseCustomInstallProcedures(true);
        QSignalSpy done(d, &Downloader::downloadFinished);
        d->startDownload(QUrl(m_server.url("/files/setup.exe")));
        QVERIFY(done.wait(15000));
        QCOMPARE(d->findChild<QProgressBar *>("progressBar")->value(), 100);
        QCOMPARE(label(d, "downloadLabel"), QStringLiteral("Downloading updates (292 KB of 292 KB)"));
        QVERIFY(label(d, "timeLabel").startsWith("Time remaining: "));
    }

    // None of these may leave a file named like the installer, open
    // anything or ask the install question.
    void failedDownloads_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("box");
        QTest::newRow("404") << m_server.url("/no-such-file") << false;
        QTest::newRow("truncated") << m_server.url("/truncated") << false;
        QTest::newRow("redirect loop") << m_server.url("/dl-loop-a") << false;
        QTest::newRow("larger than 1 GiB") << m_server.url("/huge") << true;
        QTest::newRow("remote http") << QStringLiteral("http://orvanta.com/setup.exe") << true;
        QTest::newRow("loopback http") << QStringLiteral("http://127.0.0.1:%1/files/setup.exe").arg(m_server.port())
                                       << true;
        QTest::newRow("redirect to loopback http") << m_server.url("/dl-to-http") << false;
        QTest::newRow("no address") << QString() << true;
    }

    void failedDownloads()
    {
        QFETCH(QString, address);
        QFETCH(bool, box);
        ScriptedPrompter prompter;
        Downloader *d = makeDownloader("setup.exe");
        QSignalSpy done(d, &Downloader::downloadFinished);
        QSignalSpy failed(d, &Downloader::downloadFailed);
        const int requestsBefore = m_server.requestedPaths().size();
        d->startDownload(QUrl(address));
        QVERIFY(failed.count() == 1 || failed.wait(15000));
        QTest::qWait(50);
        QCOMPARE(done.count(), 0);
        QCOMPARE(failed.count(), 1);
        QVERIFY(!QFile::exists(m_dir->filePath("setup.exe")));
        QVERIFY(m_opened.isEmpty());
        QVERIFY(!d->isDownloading());
        QCOMPARE(label(d, "downloadLabel"), QStringLiteral("Download failed"));
        QCOMPARE(titles(prompter), box ? QStringList{"Kestro"} : QStringList());
        if (address.endsWith("/dl-loop-a"))
            QCOMPARE(m_server.requestedPaths().size() - requestsBefore, 11);
        if (address.startsWith("http:") || address.endsWith("/dl-to-http"))
            QVERIFY2(d->failureReason().contains("not a secure (https) address"), qPrintable(d->failureReason()));
        if (address.endsWith("/truncated"))   // what did arrive stays in the .part file
            QVERIFY(QFile::exists(m_dir->filePath("setup.exe.part")));
    }

    // The reason of a failure is shown whole inside the fixed-size window,
    // however long it is; an address without blanks is wrapped anywhere.
    void failureReasonIsShownWhole()
    {
        ScriptedPrompter prompter;
        Downloader *d = makeDownloader("setup.exe");
        const QString longAddress = QStringLiteral("http://downloads.orvanta.com/") + QString(200, QLatin1Char('x'))
                                    + QStringLiteral("/setup.exe");
        d->startDownload(QUrl(longAddress));
        QVERIFY(!d->failureReason().isEmpty());
        auto *detail = d->findChild<QTextEdit *>("detailText");
        QVERIFY(detail);
        QVERIFY(detail->isVisible());
        QCOMPARE(detail->toPlainText(), d->failureReason());
        QVERIFY(detail->toPlainText().contains(QString(200, QLatin1Char('x'))));
        QVERIFY(d->findChild<QLabel *>("timeLabel")->isHidden());
        // Nothing to scroll to: the window grew to show the whole text.
        QCOMPARE(detail->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(detail->verticalScrollBar()->maximum(), 0);
        QVERIFY(d->rect().contains(detail->geometry().translated(detail->parentWidget()->mapTo(d, QPoint(0, 0)))));
        QCOMPARE(d->minimumSize(), d->maximumSize());

        // The next download starts with the usual look again.
        const int failedHeight = d->height();
        QSignalSpy done(d, &Downloader::downloadFinished);
        prompter.messageAnswers << QMessageBox::Ok;
        d->startDownload(QUrl(m_server.url("/files/setup.exe")));
        QVERIFY(detail->isHidden());
        QVERIFY(!d->findChild<QLabel *>("timeLabel")->isHidden());
        QVERIFY(d->height() < failedHeight);
        QVERIFY(done.wait(15000));
    }

    void stalledDownloadSaysSo()
    {
        ScriptedPrompter prompter;
        Downloader *d = makeDownloader("setup.exe");
        d->setStallTimeoutMs(300);
        QSignalSpy failed(d, &Downloader::downloadFailed);
        d->startDownload(QUrl(m_server.url("/stalled")));
        QVERIFY(failed.wait(15000));
        QVERIFY2(d->failureReason().startsWith("The download stalled"), qPrintable(d->failureReason()));
        QCOMPARE(d->findChild<QTextEdit *>("detailText")->toPlainText(), d->failureReason());
        QCOMPARE(label(d, "downloadLabel"), QStringLiteral("Download failed"));
        // What arrived before it stalled is kept; nothing is installed.
        QCOMPARE(QFileInfo(m_dir->filePath("setup.exe.part")).size(), qint64(1000));
        QVERIFY(!QFile::exists(m_dir->filePath("setup.exe")));
        QVERIFY(prompter.messages.isEmpty());
    }

    void unwritablePartFileIsReported()
    {
        ScriptedPrompter prompter;
        Downloader *d = makeDownloader("setup.exe");
        QVERIFY(QDir(m_dir->path()).mkdir("setup.exe.part"));   // cannot be opened as a file
        QSignalSpy failed(d, &Downloader::downloadFailed);
        QSignalSpy done(d, &Downloader::downloadFinished);
        d->startDownload(QUrl(m_server.url("/files/setup.exe")));
        QVERIFY(failed.wait(15000));
        QTest::qWait(50);
        QCOMPARE(done.count(), 0);
        QCOMPARE(titles(prompter), QStringList{"Kestro"});
        QCOMPARE(prompter.messages.first().icon, QMessageBox::Critical);
        QVERIFY(prompter.messages.first().text.contains("setup.exe.part"));
        QVERIFY(!QFile::exists(m_dir->filePath("setup.exe")));
    }

    void cancelledDownloadKeepsThePartFile_data()
    {
        QTest::addColumn<bool>("mandatory");
        QTest::newRow("normal") << false;
        QTest::newRow("mandatory") << true;
    }

    void cancelledDownloadKeepsThePartFile()
    {
        QFETCH(bool, mandatory);
        ScriptedPrompter prompter;
        Downloader *d = makeDownloader("setup.exe");
        d->setMandatoryUpdate(mandatory);
        QSignalSpy failed(d, &Downloader::downloadFailed);
        QSignalSpy done(d, &Downloader::downloadFinished);
        d->startDownload(QUrl(m_server.url("/stalled")));
        const QString part = m_dir->filePath("setup.exe.part");
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(part).size(), qint64(1000), 15000);
        QVERIFY(d->isVisible() && d->isDownloading());

        // No keeps the download running.
        prompter.messageAnswers << QMessageBox::No << QMessageBox::Yes;
        d->findChild<QPushButton *>("stopButton")->click();
        QVERIFY(d->isDownloading() && d->isVisible());
        d->findChild<QPushButton *>("stopButton")->click();
        QVERIFY(failed.count() == 1 || failed.wait(5000));
        QTest::qWait(50);

        QCOMPARE(prompter.messages.size(), 2);
        const MessageRequest &question = prompter.messages.last();
        QCOMPARE(question.title, QStringLiteral("Updater"));
        QCOMPARE(question.icon, QMessageBox::Question);
        QCOMPARE(question.text, mandatory ? QStringLiteral("Are you sure you want to cancel the download? This is "
                                                           "a mandatory update, exiting now will close the "
                                                           "application")
                                          : QStringLiteral("Are you sure you want to cancel the download?"));
        QCOMPARE(done.count(), 0);
        QVERIFY(!d->isVisible());
        QCOMPARE(QFileInfo(part).size(), qint64(1000));
        QVERIFY(!QFile::exists(m_dir->filePath("setup.exe")));
        QVERIFY(m_opened.isEmpty());
        QCOMPARE(m_quits, mandatory ? 1 : 0);
    }

    void decliningAMandatoryInstallQuits()
    {
        ScriptedPrompter prompter;
        prompter.messageAnswers << QMessageBox::Cancel;
        Downloader *d = makeDownloader("setup.exe");
        d->setMandatoryUpdate(true);
        QSignalSpy done(d, &Downloader::downloadFinished);
        d->startDownload(QUrl(m_server.url("/files/setup.exe")));
        QVERIFY(done.wait(15000));
        QCOMPARE(prompter.messages.first().text,
                 QStringLiteral("<h3>In order to install the update, you may need to quit the application. This "
                                "is a mandatory update, exiting now will close the application</h3>"));
        QCOMPARE(m_quits, 1);
        QVERIFY(m_opened.isEmpty());
    }

    void openingAMissingDownloadIsReported()
    {
        ScriptedPrompter prompter;
        Downloader *d = makeDownloader("never-downloaded.exe");
        d->openDownload();
        QCOMPARE(prompter.messages.size(), 1);
        QCOMPARE(prompter.messages.first().title, QStringLiteral("Error"));
        QCOMPARE(prompter.messages.first().text, QStringLiteral("Cannot find downloaded update!"));
        QCOMPARE(prompter.messages.first().buttons, QMessageBox::StandardButtons(QMessageBox::Close));
        QVERIFY(m_opened.isEmpty());
    }

    void windowForm()
    {
        Downloader d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Updater"));
        QVERIFY(d.windowFlags() & Qt::Dialog);
        QVERIFY(!(d.windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint)));
        QCOMPARE(d.minimumSize(), d.maximumSize());
        QVERIFY(d.downloadDir().endsWith("/Downloads/"));
        QVERIFY(d.downloadDir().startsWith(QDir::homePath()));
        auto *icon = d.findChild<QLabel *>("updater_icon");
        QVERIFY(icon->minimumWidth() >= 96 && icon->minimumHeight() >= 96);
        QVERIFY(!icon->pixmap(Qt::ReturnByValue).isNull());
        QVERIFY(!d.findChild<QPushButton *>("openButton")->isEnabled());
        QVERIFY(d.findChild<QPushButton *>("openButton")->isHidden());
        QCOMPARE(d.findChild<QPushButton *>("stopButton")->text(), QStringLiteral("Stop"));
    }
};

QTEST_MAIN(TestUpdaterDownload)
#include "tst_updater_download.moc"
