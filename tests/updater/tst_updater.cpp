#include "DesktopHooks.h"
#include "Downloader.h"
#include "LocalHttpServer.h"
#include "ScriptedPrompter.h"
#include "UpdateCenter.h"
#include "UpdateRules.h"
#include "Updater.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

namespace {
// A version text carrying markup and a link, as a broken or hostile feed
// might send; it still starts with a newer number.
const QString kMarkupVersion =
    QStringLiteral("99.0<h1 style='color:red'>now</h1> <a href='https://example.org/x'>get it</a>");
} // namespace

// Checking the update feed against a real https server on 127.0.0.1: which
// feeds lead to an offer, which end silently, and how redirections, refused
// addresses and the answers to the offer are handled. Also the pure rules
// (version order, size and time texts, allowed addresses, file names).
class TestUpdater : public QObject
{
    Q_OBJECT

private:
    LocalHttpServer m_server;
    QList<QUrl> m_opened;
    int m_quits = 0;

    static QByteArray feed(const QString &key, const QString &version, const QString &extra = QString())
    {
        return QStringLiteral("{\"updates\": {\"%1\": {\"latest-version\": \"%2\", "
                              "\"changelog\": \"Fixes\"%3}}}")
            .arg(key, version, extra)
            .toUtf8();
    }

    // A fresh updater for the server path, set up as the main window does.
    Updater *makeUpdater(const QString &path, const QString &key = QStringLiteral("windows"))
    {
        auto *u = new Updater(this);
        u->setUrl(path.startsWith(QLatin1String("/")) ? m_server.url(path) : path);
        u->setModuleName(QStringLiteral("Kestro"));
        u->setModuleVersion(QStringLiteral("1.9.9"));
        u->setPlatformKey(key);
        u->setNotifyOnFinish(true);
        u->setNotifyOnUpdate(true);
        u->setDownloaderEnabled(true);
        u->setMandatoryUpdate(false);
        return u;
    }

    // Runs one check and waits (bounded) for its end.
    static bool runCheck(Updater *u)
    {
        QSignalSpy finished(u, &Updater::checkingFinished);
        u->checkForUpdates();
        return finished.wait(10000) && finished.count() == 1;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setApplicationName(QStringLiteral("Kestro"));
        QCoreApplication::setApplicationVersion(QStringLiteral("1.9.9"));
        QVERIFY(m_server.start());
        DesktopHooks::setUrlOpener([this](const QUrl &url) {
            m_opened.append(url);
            return true;
        });
        DesktopHooks::setQuitter([this] { ++m_quits; });

        const QString installer = QStringLiteral(", \"download-url\": \"%1\"").arg(m_server.url("/installer.bin"));
        m_server.setRoute("/newer", LocalHttpServer::ok(feed("windows", "2.0", installer), "application/json"));
        m_server.setRoute("/ten", LocalHttpServer::ok(feed("windows", "1.10"), "application/json"));
        m_server.setRoute("/equal", LocalHttpServer::ok(feed("windows", "1.9.9"), "application/json"));
        m_server.setRoute("/longer-equal", LocalHttpServer::ok(feed("windows", "1.9.9.0"), "application/json"));
        m_server.setRoute("/longer-newer", LocalHttpServer::ok(feed("windows", "1.9.9.1"), "application/json"));
        m_server.setRoute("/markup", LocalHttpServer::ok(feed("windows", kMarkupVersion), "application/json"));

        // Larger than the 1 MiB limit: without a length, the body ends only
        // when the server closes the connection, which it never does.
        LocalHttpServer::Response endless = LocalHttpServer::ok(QByteArray((1 << 20) + 4096, ' '));
        endless.sendContentLength = false;
        endless.stall = true;
        m_server.setRoute("/huge-unannounced", endless);
        LocalHttpServer::Response announced = LocalHttpServer::ok(QByteArray(1000, ' '));
        announced.announcedLength = 600LL * 1024 * 1024;
        announced.stall = true;
        m_server.setRoute("/huge-announced", announced);
        // Just under the limit, padded with blanks JSON allows: still read.
        QByteArray padded = feed("windows", "2.0");
        padded.append(QByteArray((1 << 20) - padded.size(), ' '));
        m_server.setRoute("/big-but-allowed", LocalHttpServer::ok(padded, "application/json"));
        m_server.setRoute("/linux-only", LocalHttpServer::ok(feed("linux", "7.0"), "application/json"));
        m_server.setRoute("/invalid", LocalHttpServer::ok("{\"updates\": {\"windows\": ", "application/json"));
        m_server.setRoute("/page", LocalHttpServer::ok(
                                       feed("windows", "2.0", ", \"open-url\": \"https://orvanta.com/kestro/news\""),
                                       "application/json"));
        m_server.setRoute("/mandatory", LocalHttpServer::ok(
                                            feed("windows", "3.1", ", \"mandatory-update\": true" + installer),
                                            "application/json"));
        m_server.setRoute("/insecure-download",
                          LocalHttpServer::ok(feed("windows", "2.0", ", \"download-url\": \"http://orvanta.com/x.exe\""),
                                              "application/json"));
        m_server.setRoute("/file-download",
                          LocalHttpServer::ok(feed("windows", "2.0", ", \"download-url\": \"file:///bin/sh\""),
                                              "application/json"));
        // Fields as long as the body's cap allows.
        const QString huge((1 << 20) - 200, QLatin1Char('9'));
        m_server.setRoute("/huge-version", LocalHttpServer::ok(feed("windows", "2." + huge), "application/json"));
        m_server.setRoute("/huge-address",
                          LocalHttpServer::ok(feed("windows", "2.0", ", \"open-url\": \"https://orvanta.com/" + huge + "\""),
                                              "application/json"));
        m_server.setRoute("/huge-notes",
                          LocalHttpServer::ok(QStringLiteral("{\"updates\": {\"windows\": {\"latest-version\": \"2.0\", "
                                                             "\"changelog\": \"%1\"}}}").arg(huge).toUtf8(),
                                              "application/json"));
        m_server.setRoute("/moved", LocalHttpServer::redirect("/newer", 301));
        m_server.setRoute("/loop-a", LocalHttpServer::redirect(m_server.url("/loop-b")));
        m_server.setRoute("/loop-b", LocalHttpServer::redirect(m_server.url("/loop-a")));
        m_server.setRoute("/to-remote-http", LocalHttpServer::redirect("http://orvanta.com/feed.json"));
        // /hop0 -> /hop1 -> ... -> /hop10 -> /equal: eleven redirections from
        // /hop0, ten from /hop1.
        for (int i = 0; i < 10; ++i)
            m_server.setRoute(QStringLiteral("/hop%1").arg(i),
                              LocalHttpServer::redirect(QStringLiteral("/hop%1").arg(i + 1)));
        m_server.setRoute("/hop10", LocalHttpServer::redirect("/equal"));
    }

    void cleanupTestCase()
    {
        DesktopHooks::setUrlOpener(nullptr);
        DesktopHooks::setQuitter(nullptr);
    }

    void init()
    {
        m_opened.clear();
        m_quits = 0;
    }

    void cleanup() { m_server.dropConnections(); }

    void compareVersions_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("newer");
        QTest::newRow("2.0 vs 1.9.9") << "2.0" << "1.9.9" << true;
        QTest::newRow("equal") << "1.9.9" << "1.9.9" << false;
        QTest::newRow("1.10 vs 1.9") << "1.10" << "1.9" << true;
        QTest::newRow("1.9 vs 1.10") << "1.9" << "1.10" << false;
        QTest::newRow("more parts") << "1.2.1" << "1.2" << true;
        QTest::newRow("1.2 vs 1.2.0") << "1.2" << "1.2.0" << false;
        // Missing parts count as 0: a longer spelling of the same version
        // is not newer.
        QTest::newRow("1.2.0 vs 1.2") << "1.2.0" << "1.2" << false;
        QTest::newRow("1.1.3.0 vs 1.1.3") << "1.1.3.0" << "1.1.3" << false;
        QTest::newRow("1.1.3.1 vs 1.1.3") << "1.1.3.1" << "1.1.3" << true;
        QTest::newRow("1.1.3 vs 1.1.3.1") << "1.1.3" << "1.1.3.1" << false;
        QTest::newRow("1.2 vs 1.1.9.9") << "1.2" << "1.1.9.9" << true;
        QTest::newRow("empty feed version") << "" << "1.0" << false;
        QTest::newRow("letters count as 0") << "1.beta" << "1.0" << false;
        QTest::newRow("letters lose to 1") << "1.rc" << "1.1" << false;
        QTest::newRow("empty part kept") << "1..1" << "1.0" << true;
        QTest::newRow("huge part") << "1.99999999999" << "1.2147483647" << true;
    }

    void compareVersions()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, newer);
        QCOMPARE(UpdateRules::compareVersions(a, b), newer);
    }

    void sizeAndTimeTexts()
    {
        QCOMPARE(UpdateRules::sizeText(5000000), QStringLiteral("4 MB"));
        QCOMPARE(UpdateRules::sizeText(2048), QStringLiteral("2 KB"));
        QCOMPARE(UpdateRules::sizeText(1000), QStringLiteral("1000 bytes"));
        QCOMPARE(UpdateRules::sizeText(1023), QStringLiteral("1023 bytes"));
        QCOMPARE(UpdateRules::sizeText(1024), QStringLiteral("1 KB"));
        QCOMPARE(UpdateRules::sizeText(1024 * 1024 - 1), QStringLiteral("1023 KB"));
        QCOMPARE(UpdateRules::sizeText(1024 * 1024), QStringLiteral("1 MB"));

        QCOMPARE(UpdateRules::timeRemainingText(7300), QStringLiteral("about 2 hours"));
        QCOMPARE(UpdateRules::timeRemainingText(20000), QStringLiteral("about 6 hours"));
        QCOMPARE(UpdateRules::timeRemainingText(7200), QStringLiteral("120 minutes"));
        QCOMPARE(UpdateRules::timeRemainingText(90), QStringLiteral("2 minutes"));
        QCOMPARE(UpdateRules::timeRemainingText(61), QStringLiteral("1 minute"));
        QCOMPARE(UpdateRules::timeRemainingText(60), QStringLiteral("60 seconds"));
        QCOMPARE(UpdateRules::timeRemainingText(2), QStringLiteral("2 seconds"));
        QCOMPARE(UpdateRules::timeRemainingText(1), QStringLiteral("1 second"));

        // 1000 of 5000 bytes after 4 s: 250 B/s, 16 s left.
        QCOMPARE(UpdateRules::remainingSeconds(1000, 5000, 4), qint64(16));
        QCOMPARE(UpdateRules::remainingSeconds(1000, 5000, 0), qint64(-1));
        QCOMPARE(UpdateRules::remainingSeconds(3, 5000, 4), qint64(-1));   // rate rounds to 0
    }

    void addressesAndFileNames()
    {
        QVERIFY(UpdateRules::isFetchAllowed(QUrl("https://updates.orvanta.com/kestro/feed.json")));
        QVERIFY(UpdateRules::isFetchAllowed(QUrl("https://127.0.0.1:8080/feed")));
        QVERIFY(UpdateRules::isFetchAllowed(QUrl("HTTPS://[::1]:99/feed")));
        // Plain http is no address of ours, not even on this computer.
        QVERIFY(!UpdateRules::isFetchAllowed(QUrl("http://127.0.0.1:8080/feed")));
        QVERIFY(!UpdateRules::isFetchAllowed(QUrl("http://127.4.5.6/feed")));
        QVERIFY(!UpdateRules::isFetchAllowed(QUrl("http://localhost/feed")));
        QVERIFY(!UpdateRules::isFetchAllowed(QUrl("HTTP://LOCALHOST/feed")));
        QVERIFY(!UpdateRules::isFetchAllowed(QUrl("http://[::1]:99/feed")));
        QVERIFY(!UpdateRules::isFetchAllowed(QUrl("https:///feed")));
        QVERIFY(!UpdateRules::isFetchAllowed(QUrl("http://orvanta.com/feed")));
        QVERIFY(!UpdateRules::isFetchAllowed(QUrl("http://128.0.0.1/feed")));
        QVERIFY(!UpdateRules::isFetchAllowed(QUrl("ftp://127.0.0.1/feed")));
        QVERIFY(!UpdateRules::isFetchAllowed(QUrl("file:///etc/passwd")));
        QVERIFY(!UpdateRules::isFetchAllowed(QUrl()));

        QCOMPARE(UpdateRules::fileNameFromUrl("https://orvanta.com/dl/Kestro-2.0.exe"), QStringLiteral("Kestro-2.0.exe"));
        // The offer names what the download is, never a kind it is not.
        QCOMPARE(UpdateRules::downloadKind("https://orvanta.com/dl/kestro_2.0_amd64.deb"),
                 QStringLiteral("Kestro (a .deb package)"));
        QCOMPARE(UpdateRules::downloadKind("https://orvanta.com/dl/Kestro-2.0.AppImage"),
                 QStringLiteral("Kestro (an AppImage)"));
        QCOMPARE(UpdateRules::downloadKind("https://orvanta.com/dl/kestro-2.0.x86_64.RPM"),
                 QStringLiteral("Kestro (an .rpm package)"));
        QCOMPARE(UpdateRules::downloadKind("https://orvanta.com/dl/Kestro-2.0.exe"), QStringLiteral("Kestro"));
        QCOMPARE(UpdateRules::downloadKind(""), QStringLiteral("Kestro"));
        QCOMPARE(UpdateRules::fileNameFromUrl("https://orvanta.com/dl/"), QStringLiteral("Kestro_Update.bin"));
        QCOMPARE(UpdateRules::fileNameFromUrl(""), QStringLiteral("Kestro_Update.bin"));
        QCOMPARE(UpdateRules::fileNameFromUrl("https://orvanta.com/dl/setup.exe?token=1"), QStringLiteral("setup.exe"));
        QCOMPARE(UpdateRules::fileNameFromUrl("https://orvanta.com/dl/..%5C..%5Cevil.exe"), QStringLiteral("evil.exe"));
        QCOMPARE(UpdateRules::fileNameFromUrl("https://orvanta.com/dl/%2E%2E"), QStringLiteral("Kestro_Update.bin"));
    }

    void feedAddress()
    {
        qunsetenv("KESTRO_UPDATE_FEED");
        QCOMPARE(UpdateCenter::feedUrl(), QStringLiteral("https://updates.orvanta.com/kestro/feed.json"));
        QVERIFY(UpdateRules::isFetchAllowed(QUrl(UpdateCenter::feedUrl())));
        qputenv("KESTRO_UPDATE_FEED", m_server.url("/equal").toUtf8());
        QCOMPARE(UpdateCenter::feedUrl(), m_server.url("/equal"));
        qunsetenv("KESTRO_UPDATE_FEED");
    }

    void defaultsOfAnUpdater()
    {
        Updater u;
        QCOMPARE(u.userAgentString(), QStringLiteral("Kestro/1.9.9 (Qt; UpdateCenter)"));
        QCOMPARE(u.moduleName(), QStringLiteral("Kestro"));
        QCOMPARE(u.moduleVersion(), QStringLiteral("1.9.9"));
#ifdef Q_OS_WIN
        QCOMPARE(u.platformKey(), QStringLiteral("windows"));
#else
        QCOMPARE(u.platformKey(), QStringLiteral("linux"));
#endif
        QVERIFY(!u.useCustomAppcast() && u.notifyOnUpdate() && !u.notifyOnFinish());
        QVERIFY(!u.updateAvailable() && u.downloaderEnabled() && !u.mandatoryUpdate());
        QVERIFY(!u.useCustomInstallProcedures());
    }

    void newerVersionIsOffered_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("version");
        QTest::newRow("2.0 over 1.9.9") << "/newer" << "2.0";
        QTest::newRow("1.10 over 1.9.9") << "/ten" << "1.10";
        QTest::newRow("permanent redirect") << "/moved" << "2.0";
        QTest::newRow("ten redirections") << "/hop1" << "1.9.9.1";
        QTest::newRow("just under 1 MiB") << "/big-but-allowed" << "2.0";
    }

    void newerVersionIsOffered()
    {
        QFETCH(QString, path);
        QFETCH(QString, version);
        if (path == "/hop1")   // the end of the hop chain announces 1.9.9; make it newer
            m_server.setRoute("/hop10", LocalHttpServer::redirect("/longer-newer"));
        ScriptedPrompter prompter;
        prompter.messageAnswers.enqueue(QMessageBox::No);
        Updater *u = makeUpdater(path);
        const int requestsBefore = m_server.requestedPaths().size();
        QVERIFY(runCheck(u));
        m_server.setRoute("/hop10", LocalHttpServer::redirect("/equal"));

        QVERIFY(u->updateAvailable());
        QCOMPARE(u->latestVersion(), version);
        QCOMPARE(prompter.messages.size(), 1);
        const MessageRequest &offer = prompter.messages.first();
        QCOMPARE(offer.text, QStringLiteral("<h3>Version %1 of Kestro has been released!</h3>").arg(version));
        QCOMPARE(offer.informativeText, QStringLiteral("Would you like to download the update now?"));
        QCOMPARE(offer.icon, QMessageBox::Information);
        QCOMPARE(offer.textFormat, Qt::RichText);
        QCOMPARE(offer.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(offer.defaultButton, QMessageBox::Yes);
        QCOMPARE(m_quits, 0);   // declining a normal update keeps the application
        QVERIFY(m_opened.isEmpty());
        // The feed is fetched with the program's user agent.
        QCOMPARE(m_server.userAgents().last(), QByteArray("Kestro/1.9.9 (Qt; UpdateCenter)"));
        // The configured address stays what later checks start from.
        QCOMPARE(u->url(), m_server.url(path));
        if (path == "/hop1")
            QCOMPARE(m_server.requestedPaths().size() - requestsBefore, 11);
    }

    // Every one of these ends the check without any message.
    void silentChecks_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("failure");
        QTest::newRow("equal version") << "/equal" << false;
        QTest::newRow("same version, longer") << "/longer-equal" << false;
        QTest::newRow("no entry for the key") << "/linux-only" << true;
        QTest::newRow("invalid JSON") << "/invalid" << true;
        QTest::newRow("404") << "/no-such-feed" << true;
        QTest::newRow("redirect loop") << "/loop-a" << true;
        QTest::newRow("eleven redirections") << "/hop0" << true;
        QTest::newRow("redirect to remote http") << "/to-remote-http" << true;
        QTest::newRow("http download address") << "/insecure-download" << true;
        QTest::newRow("file download address") << "/file-download" << true;
        QTest::newRow("remote http feed") << "http://orvanta.com/kestro/feed.json" << true;
        QTest::newRow("other scheme") << "ftp://127.0.0.1/feed.json" << true;
        QTest::newRow("not an address") << "" << true;
        QTest::newRow("unannounced feed over 1 MiB") << "/huge-unannounced" << true;
        QTest::newRow("announced feed of 600 MB") << "/huge-announced" << true;
    }

    void silentChecks()
    {
        QFETCH(QString, address);
        QFETCH(bool, failure);
        ScriptedPrompter prompter;
        prompter.messageAnswers.enqueue(QMessageBox::Yes);
        Updater *u = makeUpdater(address);
        u->setMandatoryUpdate(false);
        const int requestsBefore = m_server.requestedPaths().size();
        QSignalSpy finished(u, &Updater::checkingFinished);
        u->checkForUpdates();
        QCOMPARE(finished.count(), 0);   // never answered before the event loop runs
        QVERIFY(finished.wait(10000));
        QTest::qWait(50);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!u->updateAvailable());
        QVERIFY(prompter.messages.isEmpty());
        QVERIFY(m_opened.isEmpty());
        QCOMPARE(m_quits, 0);
        QCOMPARE(!u->failureReason().isEmpty(), failure);
        const int requests = m_server.requestedPaths().size() - requestsBefore;
        if (address == "/loop-a" || address == "/hop0")
            QCOMPARE(requests, 11);   // the first request and ten redirections
        if (!address.startsWith('/'))
            QCOMPARE(requests, 0);
        if (address.startsWith("/huge"))
            QVERIFY2(u->failureReason().contains("larger than 1 MiB"), qPrintable(u->failureReason()));
    }

    // A redirection is followed for the check that met it; the next check
    // asks the configured address again, also after a chain that failed.
    void everyCheckStartsFromTheConfiguredAddress()
    {
        ScriptedPrompter prompter;
        prompter.messageAnswers << QMessageBox::No << QMessageBox::No;
        Updater *u = makeUpdater("/moved");
        for (int check = 0; check < 2; ++check) {
            const int before = m_server.requestedPaths().size();
            QVERIFY(runCheck(u));
            QCOMPARE(m_server.requestedPaths().mid(before), (QStringList{"/moved", "/newer"}));
            QVERIFY(u->updateAvailable());
            QCOMPARE(u->url(), m_server.url("/moved"));
        }
        QCOMPARE(prompter.messages.size(), 2);

        Updater *chain = makeUpdater("/hop0");
        for (int check = 0; check < 2; ++check) {
            const int before = m_server.requestedPaths().size();
            QVERIFY(runCheck(chain));
            const QStringList asked = m_server.requestedPaths().mid(before);
            QCOMPARE(asked.size(), 11);
            QCOMPARE(asked.first(), QStringLiteral("/hop0"));
            QVERIFY(!chain->failureReason().isEmpty());
        }
    }

    // Whatever the feed holds is shown as text, never as markup or links.
    void feedValuesArePlainText()
    {
        ScriptedPrompter prompter;
        prompter.messageAnswers.enqueue(QMessageBox::No);
        Updater *u = makeUpdater("/markup");
        QVERIFY(runCheck(u));
        QCOMPARE(u->latestVersion(), kMarkupVersion);
        QCOMPARE(prompter.messages.size(), 1);
        const MessageRequest &offer = prompter.messages.first();
        QCOMPARE(offer.textFormat, Qt::RichText);
        QTextDocument shown;
        shown.setHtml(offer.text);
        QCOMPARE(shown.toPlainText(), QStringLiteral("Version %1 of Kestro has been released!").arg(kMarkupVersion));
        for (QTextBlock block = shown.begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it)
                QVERIFY(!it.fragment().charFormat().isAnchor());
        }
    }

    // A version or address longer than any real one fails the check, named
    // by its length only; release notes are cut. No widget lays out a field
    // of the feed's size.
    void feedFieldsAreCapped()
    {
        for (const char *path : {"/huge-version", "/huge-address"}) {
            ScriptedPrompter prompter;
            Updater *u = makeUpdater(path);
            u->setNotifyOnFinish(false);
            QVERIFY(runCheck(u));
            QVERIFY(!u->updateAvailable());
            QVERIFY2(u->failureReason().contains("longer than"), qPrintable(u->failureReason().left(200)));
            QVERIFY(u->failureReason().size() < 200);
            QVERIFY(u->latestVersion().size() <= UpdateRules::MaxVersionLength);
            QVERIFY(prompter.messages.isEmpty());
        }
        ScriptedPrompter prompter;
        prompter.messageAnswers.enqueue(QMessageBox::No);
        Updater *u = makeUpdater("/huge-notes");
        QVERIFY(runCheck(u));
        QCOMPARE(u->latestVersion(), QStringLiteral("2.0"));
        QCOMPARE(u->changelog().size(), UpdateRules::MaxNotesLength);
        QVERIFY(u->changelog().endsWith(QChar(0x2026)));
        for (const MessageRequest &shown : prompter.messages)
            QVERIFY(shown.text.size() + shown.informativeText.size() + shown.detailedText.size() < 4096);
        // A text within its limit is kept as it is; a cut keeps pairs whole.
        QCOMPARE(UpdateRules::cappedText(QStringLiteral("1.2.3"), 5), QStringLiteral("1.2.3"));
        const QString pairs = QString::fromUtf8("\xF0\x9F\x98\x80\xF0\x9F\x98\x80");   // two characters, four halves
        QCOMPARE(UpdateRules::cappedText(pairs, 3), QString::fromUtf8("\xF0\x9F\x98\x80") + QChar(0x2026));
    }

    // A check the user asked for always answers; a routine one only offers.
    void userRequestedCheckAnswers_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("detail");
        QTest::newRow("up to date") << "/equal" << int(QMessageBox::Information)
                                    << "Kestro 1.9.9 is up to date." << "";
        QTest::newRow("longer spelling, up to date") << "/longer-equal" << int(QMessageBox::Information)
                                                     << "Kestro 1.9.9 is up to date." << "";
        QTest::newRow("missing feed") << "/no-such-feed" << int(QMessageBox::Warning)
                                      << "Kestro could not check for updates." << "Not Found";
        QTest::newRow("not JSON") << "/invalid" << int(QMessageBox::Warning)
                                  << "Kestro could not check for updates." << "not valid JSON";
        QTest::newRow("no entry for this system") << "/linux-only" << int(QMessageBox::Warning)
                                                  << "Kestro could not check for updates." << "\"windows\"";
        QTest::newRow("too large") << "/huge-unannounced" << int(QMessageBox::Warning)
                                   << "Kestro could not check for updates." << "larger than 1 MiB";
        QTest::newRow("redirect loop") << "/loop-a" << int(QMessageBox::Warning)
                                       << "Kestro could not check for updates." << "redirections";
    }

    void userRequestedCheckAnswers()
    {
        QFETCH(QString, path);
        QFETCH(int, icon);
        QFETCH(QString, text);
        QFETCH(QString, detail);
        ScriptedPrompter prompter;
        Updater *u = makeUpdater(path);
        QVERIFY(runCheck(u));
        QVERIFY(prompter.messages.isEmpty());   // a routine check says nothing

        u->setUserRequested(true);
        QVERIFY(runCheck(u));
        QCOMPARE(prompter.messages.size(), 1);
        const MessageRequest &answer = prompter.messages.first();
        QCOMPARE(answer.title, QStringLiteral("Kestro"));
        QCOMPARE(int(answer.icon), icon);
        QCOMPARE(answer.text, text);
        QCOMPARE(answer.textFormat, Qt::PlainText);
        if (detail.isEmpty())
            QVERIFY(answer.informativeText.isEmpty());
        else
            QVERIFY2(answer.informativeText.contains(detail), qPrintable(answer.informativeText));
        QVERIFY(!u->offerShown());

        // A newer version: the offer is the whole answer.
        u->setUrl(m_server.url("/newer"));
        prompter.messageAnswers << QMessageBox::No;
        QVERIFY(runCheck(u));
        QCOMPARE(prompter.messages.size(), 2);
        QVERIFY(prompter.messages.last().text.contains("has been released"));
        QVERIFY(u->offerShown());
    }

    void openUrlOpensThePageInsteadOfDownloading()
    {
        ScriptedPrompter prompter;
        prompter.messageAnswers.enqueue(QMessageBox::Yes);
        Updater *u = makeUpdater("/page");
        QVERIFY(runCheck(u));
        QCOMPARE(m_opened, QList<QUrl>{QUrl("https://orvanta.com/kestro/news")});
        QCOMPARE(prompter.messages.size(), 1);
        QVERIFY(!u->downloader()->isVisible());
        QCOMPARE(m_server.requestCount("/installer.bin"), 0);
    }

    void downloaderDisabledOpensTheInstallerAddress()
    {
        ScriptedPrompter prompter;
        prompter.messageAnswers.enqueue(QMessageBox::Yes);
        Updater *u = makeUpdater("/newer");
        u->setDownloaderEnabled(false);
        QVERIFY(runCheck(u));
        QCOMPARE(m_opened, QList<QUrl>{QUrl(m_server.url("/installer.bin"))});
        QCOMPARE(m_server.requestCount("/installer.bin"), 0);
    }

    void linuxKeyPointsToTheDownloadPage()
    {
        ScriptedPrompter prompter;
        prompter.messageAnswers.enqueue(QMessageBox::Yes);
        Updater *u = makeUpdater("/linux-only", "linux");
        QVERIFY(runCheck(u));
        QCOMPARE(prompter.messages.size(), 2);
        const MessageRequest &info = prompter.messages.at(1);
        QCOMPARE(info.title, QStringLiteral("Kestro"));
        QCOMPARE(info.icon, QMessageBox::Information);
        QCOMPARE(info.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(info.text, QStringLiteral("Please get your updated copy of Kestro from "
                                           "<a href=\"https://orvanta.com/kestro/download\">here</a> \n"));
        QVERIFY(m_opened.isEmpty());
        QVERIFY(!u->downloader()->isVisible());

        // The offer names the kind of file the feed's address gives.
        for (const auto &kind : {qMakePair(QStringLiteral("kestro_7.0_amd64.deb"), QStringLiteral("a .deb package")),
                                 qMakePair(QStringLiteral("Kestro-7.0.AppImage"), QStringLiteral("an AppImage"))}) {
            const QString download = QStringLiteral(", \"download-url\": \"https://orvanta.com/dl/%1\"").arg(kind.first);
            m_server.setRoute("/linux-kind", LocalHttpServer::ok(feed("linux", "7.0", download), "application/json"));
            ScriptedPrompter answered;
            answered.messageAnswers.enqueue(QMessageBox::Yes);
            QVERIFY(runCheck(makeUpdater("/linux-kind", "linux")));
            QCOMPARE(answered.messages.size(), 2);
            QVERIFY2(answered.messages.at(1).text.startsWith(
                         QStringLiteral("Please get your updated copy of Kestro (%1) from ").arg(kind.second)),
                     qPrintable(answered.messages.at(1).text));
        }
    }

    // Plain http is refused before anything is sent, on this computer as
    // anywhere else: as the feed's address, as a redirection's target and
    // as the address of the installer the feed names.
    void plainHttpIsRefusedOnLoopbackToo()
    {
        QTcpServer plain;
        QVERIFY(plain.listen(QHostAddress::LocalHost, 0));
        const QString http = QStringLiteral("http://127.0.0.1:%1/feed.json").arg(plain.serverPort());
        m_server.setRoute("/to-loopback-http", LocalHttpServer::redirect(http));
        m_server.setRoute("/loopback-http-download",
                          LocalHttpServer::ok(feed("windows", "2.0", QStringLiteral(", \"download-url\": \"%1\"").arg(http)),
                                              "application/json"));
        const QList<QPair<QString, QString>> cases = {
            {http, QStringLiteral("not an https address")},
            {QStringLiteral("http://localhost:%1/feed.json").arg(plain.serverPort()), QStringLiteral("not an https address")},
            {m_server.url("/to-loopback-http"), QStringLiteral("Refused to follow a redirection")},
            {m_server.url("/loopback-http-download"), QStringLiteral("not https")},
        };
        for (const auto &refused : cases) {
            ScriptedPrompter prompter;
            Updater *u = makeUpdater(refused.first);
            QVERIFY(runCheck(u));
            QVERIFY(!u->updateAvailable());
            QVERIFY2(u->failureReason().contains(refused.second), qPrintable(u->failureReason()));
            QVERIFY(prompter.messages.isEmpty());
        }
        QTest::qWait(50);
        QVERIFY2(!plain.hasPendingConnections(), "a plain http connection was made");
    }

    void decliningAMandatoryUpdateQuits()
    {
        ScriptedPrompter prompter;
        prompter.messageAnswers.enqueue(QMessageBox::No);
        Updater *u = makeUpdater("/mandatory");
        QVERIFY(runCheck(u));
        QVERIFY(u->mandatoryUpdate());
        QCOMPARE(prompter.messages.first().informativeText,
                 QStringLiteral("Would you like to download the update now? This is a mandatory update, "
                                "exiting now will close the application"));
        QCOMPARE(m_quits, 1);
        QCOMPARE(m_server.requestCount("/installer.bin"), 0);

        // A feed without the member leaves the flag as it was.
        u->setUrl(m_server.url("/equal"));
        QVERIFY(runCheck(u));
        QVERIFY(u->mandatoryUpdate());
    }

    void customAppcastHandsTheBodyOver()
    {
        ScriptedPrompter prompter;
        Updater *u = makeUpdater("/invalid");
        u->setUseCustomAppcast(true);
        QSignalSpy appcast(u, &Updater::appcastDownloaded);
        QVERIFY(runCheck(u));
        QCOMPARE(appcast.count(), 1);
        QCOMPARE(appcast.first().at(0).toString(), m_server.url("/invalid"));
        QCOMPARE(appcast.first().at(1).toByteArray(), QByteArray("{\"updates\": {\"windows\": "));
        QVERIFY(prompter.messages.isEmpty());
    }

    void updateCenterKeepsOneUpdaterPerAddress()
    {
        ScriptedPrompter prompter;
        prompter.messageAnswers.enqueue(QMessageBox::No);
        UpdateCenter *center = UpdateCenter::getInstance();
        QCOMPARE(UpdateCenter::getInstance(), center);
        const QString address = m_server.url("/ten");
        Updater *u = center->getUpdater(address);
        QCOMPARE(center->getUpdater(address), u);
        QVERIFY(center->getUpdater(m_server.url("/equal")) != u);
        QCOMPARE(u->url(), address);

        center->setPlatformKey(address, "windows");
        center->setModuleName(address, "Kestro");
        center->setMandatoryUpdate(address, true);
        center->setNotifyOnFinish(address, false);
        QSignalSpy finished(center, &UpdateCenter::checkingFinished);
        center->startRoutineCheck(address, "1.9");
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().at(0).toString(), address);
        QCOMPARE(center->getModuleVersion(address), QStringLiteral("1.9"));
        QVERIFY(center->getNotifyOnFinish(address) && center->getNotifyOnUpdate(address));
        QVERIFY(!center->getMandatoryUpdate(address) && !center->getUseCustomAppcast(address));
        QVERIFY(center->getDownloaderEnabled(address));
        QVERIFY(center->getUpdateAvailable(address));
        QCOMPARE(center->getLatestVersion(address), QStringLiteral("1.10"));
        QCOMPARE(center->getChangelog(address), QStringLiteral("Fixes"));
        QCOMPARE(prompter.messages.size(), 1);
        QCOMPARE(m_quits, 0);
    }
};

QTEST_MAIN(TestUpdater)
#include "tst_updater.moc"
