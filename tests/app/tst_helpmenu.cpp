#include "DefaultProject.h"
#include "Downloader.h"
#include "Eula.h"
#include "HelpActions.h"
#include "LocalHttpServer.h"
#include "MainWindow.h"
#include "Project.h"
#include "ScriptedPrompter.h"
#include "UpdateCenter.h"
#include "Updater.h"
#include "WindowProjectFixture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTextEdit>
#include <QtTest>

namespace {

QByteArray feed(const QString &latestVersion, bool mandatory = false)
{
    QJsonObject entry;
    if (mandatory)
        entry.insert(QStringLiteral("mandatory-update"), true);
    entry.insert(QStringLiteral("latest-version"), latestVersion);
    entry.insert(QStringLiteral("download-url"), QStringLiteral("https://127.0.0.1:1/Kestro-setup.bin"));
    entry.insert(QStringLiteral("open-url"), QString());
    entry.insert(QStringLiteral("changelog"), QStringLiteral("Fixes"));
    QJsonObject updates;
    updates.insert(Updater::defaultPlatformKey(), entry);
    QJsonObject root;
    root.insert(QStringLiteral("updates"), updates);
    return QJsonDocument(root).toJson();
}

// Sets KESTRO_UPDATE_FEED for the life of the object.
class FeedOverride
{
public:
    explicit FeedOverride(const QString &url) { qputenv("KESTRO_UPDATE_FEED", url.toUtf8()); }
    ~FeedOverride() { qunsetenv("KESTRO_UPDATE_FEED"); }
};

} // namespace

// The agreement viewer and the update checks of the Help menu and of the
// no-project state.
class TestHelpMenu : public QObject
{
    Q_OBJECT

private:
    LocalHttpServer m_server;

    // Waits until the updater for url has read its reply.
    static bool waitForCheck(QSignalSpy &spy, int count)
    {
        return QTest::qWaitFor([&] { return spy.count() >= count; }, 5000);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_server.start());
        m_server.setRoute(QStringLiteral("/newer"), LocalHttpServer::ok(feed(QStringLiteral("99.0")), "application/json"));
        m_server.setRoute(QStringLiteral("/equal"), LocalHttpServer::ok(feed(QStringLiteral(KESTRO_VERSION)),
                                                                        "application/json"));
        m_server.setRoute(QStringLiteral("/routine"), LocalHttpServer::ok(feed(QStringLiteral(KESTRO_VERSION)),
                                                                          "application/json"));
        m_server.setRoute(QStringLiteral("/routine-off"), LocalHttpServer::ok(feed(QStringLiteral(KESTRO_VERSION)),
                                                                              "application/json"));
        m_server.setRoute(QStringLiteral("/once"), LocalHttpServer::ok(feed(QStringLiteral("99.0")), "application/json"));
        m_server.setRoute(QStringLiteral("/mandatory"),
                          LocalHttpServer::ok(feed(QStringLiteral("99.0"), true), "application/json"));
    }

    void cleanup() { HelpActions::resetAutomaticChecks(); }

    void eulaShowsTheAgreementEveryTime()
    {
        HelpActions::setAutomaticChecks(false);
        ScriptedPrompter prompter;
        MainWindow w;
        const QString agreement = Eula::agreementText();
        QVERIFY(agreement.contains(QStringLiteral("Agreement"), Qt::CaseInsensitive));

        QList<QWidget *> shown;
        QStringList texts;
        auto closeWhenShown = [&] {
            QTimer::singleShot(0, [&] {
                QWidget *dialog = QApplication::activeModalWidget();
                shown << dialog;
                if (auto *eula = qobject_cast<Eula *>(dialog)) {
                    texts << eula->findChild<QTextEdit *>(QStringLiteral("textEdit"))->toPlainText();
                    eula->findChild<QPushButton *>(QStringLiteral("pushButton"))->click();
                } else if (dialog) {
                    dialog->close();
                }
            });
        };
        closeWhenShown();
        w.on_actionEula_triggered();
        closeWhenShown();
        w.on_actionEula_triggered();

        QCOMPARE(shown.size(), 2);
        QVERIFY(qobject_cast<Eula *>(shown.first()));
        // One viewer, made with the window, run again.
        QCOMPARE(shown.at(1), shown.at(0));
        QCOMPARE(shown.first()->parentWidget(), &w);
        QTextEdit probe;
        probe.setText(agreement);
        QCOMPARE(texts, QStringList({probe.toPlainText(), probe.toPlainText()}));
        QVERIFY(!shown.first()->isVisible());
    }

    void checkForUpdateOffersANewerVersion()
    {
        HelpActions::setAutomaticChecks(false);
        ScriptedPrompter prompter;
        MainWindow w;
        const FeedOverride feedUrl(m_server.url(QStringLiteral("/newer")));
        QSignalSpy finished(UpdateCenter::getInstance(), &UpdateCenter::checkingFinished);
        prompter.messageAnswers << QMessageBox::No;

        w.on_actionCheck_for_update_triggered();
        QVERIFY(waitForCheck(finished, 1));
        QCOMPARE(m_server.requestCount(QStringLiteral("/newer")), 1);
        QCOMPARE(prompter.messages.size(), 1);
        const MessageRequest &offer = prompter.messages.first();
        QCOMPARE(offer.text, QStringLiteral("<h3>Version 99.0 of Kestro has been released!</h3>"));
        QCOMPARE(offer.informativeText, QStringLiteral("Would you like to download the update now?"));
        QCOMPARE(int(offer.buttons), int(QMessageBox::Yes | QMessageBox::No));
        // The check is for the running version.
        QCOMPARE(UpdateCenter::getInstance()->getModuleVersion(m_server.url(QStringLiteral("/newer"))),
                 QCoreApplication::applicationVersion());
    }

    // Asked by hand, the check answers also when there is nothing to offer.
    void checkForUpdateAnswersWhenThereIsNoUpdate_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("text");
        QTest::newRow("same version") << "/equal" << int(QMessageBox::Information)
                                      << QStringLiteral("Kestro " KESTRO_VERSION " is up to date.");
        QTest::newRow("missing feed") << "/missing" << int(QMessageBox::Warning)
                                      << QStringLiteral("Kestro could not check for updates.");
    }

    void checkForUpdateAnswersWhenThereIsNoUpdate()
    {
        QFETCH(QString, path);
        QFETCH(int, icon);
        QFETCH(QString, text);
        HelpActions::setAutomaticChecks(false);
        ScriptedPrompter prompter;
        MainWindow w;
        const FeedOverride feedUrl(m_server.url(path));
        QSignalSpy finished(UpdateCenter::getInstance(), &UpdateCenter::checkingFinished);

        w.on_actionCheck_for_update_triggered();
        QVERIFY(waitForCheck(finished, 1));
        QCOMPARE(m_server.requestCount(path), 1);
        QCOMPARE(prompter.messages.size(), 1);
        QCOMPARE(int(prompter.messages.first().icon), icon);
        QCOMPARE(prompter.messages.first().text, text);
        if (icon == QMessageBox::Warning)
            QVERIFY(prompter.messages.first().informativeText.contains(QStringLiteral("Not Found")));
    }

    // Closing projects and ending tours return to the home screen again and
    // again; the update is offered once, unless the user asks.
    void updateIsOfferedOncePerSession()
    {
        ScriptedPrompter prompter;
        prompter.messageAnswers << QMessageBox::No << QMessageBox::No;
        const QString path = QStringLiteral("/once");
        const FeedOverride feedUrl(m_server.url(path));
        QSignalSpy finished(UpdateCenter::getInstance(), &UpdateCenter::checkingFinished);
        MainWindow w;
        QVERIFY(waitForCheck(finished, 1));
        QCOMPARE(prompter.messages.size(), 1);

        w.enterNoProjectState();
        w.enterNoProjectState();
        QTest::qWait(200);
        QCOMPARE(m_server.requestCount(path), 1);
        QCOMPARE(prompter.messages.size(), 1);

        w.on_actionCheck_for_update_triggered();
        QVERIFY(waitForCheck(finished, 2));
        QCOMPARE(prompter.messages.size(), 2);
        QVERIFY(prompter.messages.last().text.contains(QStringLiteral("99.0")));

        w.enterNoProjectState();
        QTest::qWait(200);
        QCOMPARE(m_server.requestCount(path), 2);
    }

    // Help > Check for Updates at Start: stored, on by default; off, the
    // home screen checks nothing, and the command still does.
    void checkAtStartCanBeTurnedOff()
    {
        ScriptedPrompter prompter;
        const QString path = QStringLiteral("/routine-off");
        const FeedOverride feedUrl(m_server.url(path));
        QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro")).remove(HelpActions::checkAtStartKey());
        {
            MainWindow w;
            auto *entry = w.findChild<QAction *>(QStringLiteral("actionCheck_for_Updates_at_Start"));
            QVERIFY(entry);
            QVERIFY(entry->isCheckable());
            QVERIFY(entry->isChecked());
            QVERIFY(w.findChild<QMenu *>(QStringLiteral("menuHelp"))->actions().contains(entry));
            QTRY_COMPARE_WITH_TIMEOUT(m_server.requestCount(path), 1, 5000);
            entry->trigger();
            QVERIFY(!entry->isChecked());
        }
        QCOMPARE(QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"))
                     .value(HelpActions::checkAtStartKey()).toBool(),
                 false);

        MainWindow w;
        QVERIFY(!w.findChild<QAction *>(QStringLiteral("actionCheck_for_Updates_at_Start"))->isChecked());
        w.enterNoProjectState();
        QTest::qWait(200);
        QCOMPARE(m_server.requestCount(path), 1);

        QSignalSpy finished(UpdateCenter::getInstance(), &UpdateCenter::checkingFinished);
        w.on_actionCheck_for_update_triggered();
        QVERIFY(waitForCheck(finished, 1));
        QCOMPARE(m_server.requestCount(path), 2);
        QCOMPARE(prompter.messages.size(), 1);   // up to date, said because asked

        w.findChild<QAction *>(QStringLiteral("actionCheck_for_Updates_at_Start"))->trigger();
        QVERIFY(HelpActions::checkAtStart());
    }

    // Declining a mandatory update, or cancelling its installation or
    // download, quits the way Exit does: unsaved changes are asked about,
    // and Cancel keeps Kestro open with the project.
    void mandatoryQuitAsksAboutUnsavedChanges_data()
    {
        QTest::addColumn<QString>("route");
        QTest::newRow("offer declined") << "offer";
        QTest::newRow("download cancelled") << "download";
    }

    void mandatoryQuitAsksAboutUnsavedChanges()
    {
        QFETCH(QString, route);
        HelpActions::setAutomaticChecks(false);
        QGuiApplication::setQuitOnLastWindowClosed(false);
        QTemporaryDir dir;
        const QString project = dir.filePath(QStringLiteral("Quit_Test.qsmd"));
        QVERIFY(DefaultProject::write(project, QStringLiteral("Quit_Test")));
        ScriptedPrompter prompter;
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.openFromCommandLine(project);
        QCOMPARE(w.project()->canvases().size(), 5);
        w.project()->markModified();

        auto quitRequest = [&] {
            if (route == QLatin1String("offer")) {
                const FeedOverride feedUrl(m_server.url(QStringLiteral("/mandatory")));
                QSignalSpy finished(UpdateCenter::getInstance(), &UpdateCenter::checkingFinished);
                prompter.messageAnswers.prepend(QMessageBox::No);   // the offer
                w.on_actionCheck_for_update_triggered();
                QVERIFY(waitForCheck(finished, 1));
            } else {
                Downloader downloader;
                downloader.setMandatoryUpdate(true);
                downloader.cancelDownload();   // the finished download's Close button
            }
        };

        prompter.messageAnswers << QMessageBox::Cancel;
        quitRequest();
        const MessageRequest &prompt = prompter.messages.last();
        QCOMPARE(prompt.text, QStringLiteral("Project has been modified."));
        QCOMPARE(prompt.informativeText, QStringLiteral("Do you want to save your changes before closing?"));
        QVERIFY(w.isVisible());
        QCOMPARE(w.project()->canvases().size(), 5);
        QVERIFY(w.project()->isModified());

        prompter.messageAnswers << QMessageBox::Save;
        quitRequest();
        QVERIFY(!w.isVisible());
        QVERIFY(!w.project()->isModified());
        QVERIFY(WindowProjectFixture::fileBytes(project).contains("Quit_Test"));
        QGuiApplication::setQuitOnLastWindowClosed(true);
    }

    // Every entry into the no-project state checks the feed, the start of
    // the window included; entries close together (a project closed and the
    // home screen shown again at once) make one check, started a moment
    // later so that the window's first frame does not wait for the network.
    void noProjectStateChecksForUpdates()
    {
        ScriptedPrompter prompter;
        const FeedOverride feedUrl(m_server.url(QStringLiteral("/routine")));
        QSignalSpy finished(UpdateCenter::getInstance(), &UpdateCenter::checkingFinished);
        MainWindow w;
        QVERIFY(waitForCheck(finished, 1));
        QCOMPARE(m_server.requestCount(QStringLiteral("/routine")), 1);

        w.enterNoProjectState();
        w.enterNoProjectState();
        w.enterNoProjectState();
        QVERIFY(waitForCheck(finished, 2));
        QTest::qWait(HelpActions::RoutineCheckDelayMs + 200);
        QCOMPARE(m_server.requestCount(QStringLiteral("/routine")), 2);

        HelpActions::setAutomaticChecks(false);
        w.enterNoProjectState();
        QTest::qWait(200);
        QCOMPARE(m_server.requestCount(QStringLiteral("/routine")), 2);
        QCOMPARE(prompter.messages.size(), 0);
    }
};

QTEST_MAIN(TestHelpMenu)
#include "tst_helpmenu.moc"
