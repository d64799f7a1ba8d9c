#include "Eula.h"
#include "HelpCommands.h"
#include "LocalHttpServer.h"
#include "MainWindow.h"
#include "ScriptedPrompter.h"
#include "UpdateCenter.h"
#include "Updater.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QtTest>

namespace {

QByteArray feed(const QString &latestVersion)
{
    QJsonObject entry;
    entry.insert(QStringLiteral("latest-version"), latestVersion);
    entry.insert(QStringLiteral("download-url"), QStringLiteral("http://127.0.0.1:1/Kestro-setup.bin"));
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
    }

    void cleanup() { HelpCommands::resetAutomaticChecks(); }

    void eulaShowsTheAgreementEveryTime()
    {
        HelpCommands::setAutomaticChecks(false);
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
        HelpCommands::setAutomaticChecks(false);
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

    void checkForUpdateIsSilentForTheSameVersion()
    {
        HelpCommands::setAutomaticChecks(false);
        ScriptedPrompter prompter;
        MainWindow w;
        const FeedOverride feedUrl(m_server.url(QStringLiteral("/equal")));
        QSignalSpy finished(UpdateCenter::getInstance(), &UpdateCenter::checkingFinished);

        w.on_actionCheck_for_update_triggered();
        QVERIFY(waitForCheck(finished, 1));
        QCOMPARE(m_server.requestCount(QStringLiteral("/equal")), 1);
        QCOMPARE(prompter.messages.size(), 0);
    }

    // Every entry into the no-project state checks the feed, the start of
    // the window included.
    void noProjectStateChecksForUpdates()
    {
        ScriptedPrompter prompter;
        const FeedOverride feedUrl(m_server.url(QStringLiteral("/routine")));
        QSignalSpy finished(UpdateCenter::getInstance(), &UpdateCenter::checkingFinished);
        MainWindow w;
        QVERIFY(waitForCheck(finished, 1));
        QCOMPARE(m_server.requestCount(QStringLiteral("/routine")), 1);

        w.enterNoProjectState();
        QVERIFY(waitForCheck(finished, 2));
        QCOMPARE(m_server.requestCount(QStringLiteral("/routine")), 2);

        HelpCommands::setAutomaticChecks(false);
        w.enterNoProjectState();
        QTest::qWait(200);
        QCOMPARE(m_server.requestCount(QStringLiteral("/routine")), 2);
        QCOMPARE(prompter.messages.size(), 0);
    }
};

QTEST_MAIN(TestHelpMenu)
#include "tst_helpmenu.moc"
