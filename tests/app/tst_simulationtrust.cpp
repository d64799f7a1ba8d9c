// Run > Simulate and the project's C: the question before a project's C runs
// the first time (Run Once, Trust This Folder, Cancel), the user's own work
// that never asks (a new project, a bundled example, Save As of their own),
// the question where no sandbox can be made, and hostile machines run from
// the editor, which stay in the sandbox.

#include "Canvas.h"
#include "HostileProject.h"
#include "MainWindow.h"
#include "Project.h"
#include "ProjectActions.h"
#include "Sandbox.h"
#include "ScriptedPrompter.h"
#include "SimulationController.h"
#include "SimulationSession.h"
#include "SimulationTraceModel.h"
#include "SimulationVariablesModel.h"
#include "TrustStore.h"
#include "WindowProjectFixture.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <memory>

namespace {

const QStringList MachinePath{ QStringLiteral("Board"), QStringLiteral("Controller"), QStringLiteral("Tasks"),
                               QStringLiteral("Hostile") };
const QByteArray Marker = "kestro-hostile-editor-child-8d2e";
const char Quote[] = "compile and run the C in this project's actions and conditions on this computer";

HostileProject::Attack harmless()
{
    return HostileProject::Attack{ QString(), QStringLiteral("int attack(void) { return 5; }") };
}

} // namespace

class TestSimulationTrust : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void questionBeforeTheFirstRun();
    void ownWorkNeverAsks();
    void savingDoesNotMakeAProjectTrusted();
    void withoutSandboxTheUserDecides();
    void hostileMachineInTheEditor_data();
    void hostileMachineInTheEditor();

private:
    QString folder(const QString &name) const;
    // Opens the project at `path` and shows its machine's diagram.
    bool openMachine(const QString &path);
    // Simulate (F5); true when the machine is up (false: it did not start).
    bool simulate();
    int questionsAsked() const;
    QString flag() const;
    static int mode(const QString &path);

    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<MainWindow> m_window;
};

void TestSimulationTrust::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Answers of an earlier run of the suite are not this run's.
    QFile::remove(TrustStore().filePath());
    const Sandbox::Availability sandbox = Sandbox::availability();
    QVERIFY2(sandbox.confined, qPrintable(sandbox.reason));
}

void TestSimulationTrust::init()
{
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_window = std::make_unique<MainWindow>();
    m_window->resize(1500, 1000);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestSimulationTrust::cleanup()
{
    if (m_window) {
        m_window->simulation()->stop();
        m_window->project()->markSaved();
    }
    m_window.reset();
    m_prompter.reset();
    HostileProject::endProcessesWith(Marker);
}

QString TestSimulationTrust::folder(const QString &name) const
{
    const QString path = m_dir.filePath(name);
    QDir().mkpath(path);
    return path;
}

bool TestSimulationTrust::openMachine(const QString &path)
{
    if (!m_window->projectActions()->openFile(path))
        return false;
    WindowProjectFixture::doubleClickNode(*m_window, WindowProjectFixture::nodeIndex(*m_window, MachinePath));
    return m_window->project()->shownCanvas() && m_window->project()->shownCanvas()->level() == 5;
}

bool TestSimulationTrust::simulate()
{
    SimulationController *sim = m_window->simulation();
    sim->start();
    return sim->isActive() && QTest::qWaitFor([sim] { return sim->isReady() && !sim->isBusy(); }, 20000);
}

int TestSimulationTrust::questionsAsked() const
{
    int asked = 0;
    for (const MessageRequest &m : m_prompter->messages)
        asked += m.text.contains(QLatin1String(Quote)) ? 1 : 0;
    return asked;
}

QString TestSimulationTrust::flag() const
{
    const SimulationVariablesModel *model = m_window->simulation()->variablesModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, SimulationVariablesModel::NameColumn).data().toString() == QLatin1String("flag"))
            return model->index(row, SimulationVariablesModel::ValueColumn).data().toString();
    }
    return QStringLiteral("(no flag)");
}

int TestSimulationTrust::mode(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

void TestSimulationTrust::questionBeforeTheFirstRun()
{
    const QString received = folder("received");
    const QString path = HostileProject::write(received, harmless().code);
    QVERIFY(openMachine(path));

    // Cancel, the default: nothing is compiled, nothing runs.
    m_prompter->messageAnswers << QMessageBox::Cancel;
    QVERIFY(!simulate());
    QCOMPARE(questionsAsked(), 1);
    const MessageRequest question = m_prompter->messages.last();
    QCOMPARE(question.title, QStringLiteral("Simulation"));
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::Cancel);
    QCOMPARE(question.defaultButton, QMessageBox::Cancel);
    QCOMPARE(question.buttonTexts.value(QMessageBox::Yes), QStringLiteral("Run Once"));
    QCOMPARE(question.buttonTexts.value(QMessageBox::YesToAll), QStringLiteral("Trust This Folder"));
    QVERIFY(question.informativeText.contains(QDir::toNativeSeparators(received)));
    QVERIFY(!m_window->simulation()->isActive());
    QVERIFY(!m_window->simulation()->session());

    // Run Once runs it this time only.
    m_prompter->messageAnswers << QMessageBox::Yes;
    QVERIFY(simulate());
    m_window->simulation()->stop();
    m_prompter->messageAnswers << QMessageBox::Yes;
    QVERIFY(simulate());
    QCOMPARE(questionsAsked(), 3);
    m_window->simulation()->stop();
    QVERIFY(!QFile::exists(TrustStore().filePath()));

    // Trust This Folder: never asked again, for any project of the folder,
    // and the answer is kept in a private file.
    m_prompter->messageAnswers << QMessageBox::YesToAll;
    QVERIFY(simulate());
    m_window->simulation()->stop();
    QVERIFY(simulate());
    m_window->simulation()->stop();
    QVERIFY(QFile::copy(path, received + "/Other.qsmd"));
    QVERIFY(openMachine(received + "/Other.qsmd"));
    QVERIFY(simulate());
    QCOMPARE(questionsAsked(), 4);
    QCOMPARE(mode(TrustStore().filePath()), 0600);
    QCOMPARE(mode(QFileInfo(TrustStore().filePath()).absolutePath()), 0700);
    // A folder trusted is not a folder below it.
    QVERIFY(!TrustStore().isTrusted(received + "/sub/Other.qsmd"));
}

void TestSimulationTrust::ownWorkNeverAsks()
{
    // A bundled example, opened with Open Examples.
    const QString examples = QStringLiteral(KESTRO_SOURCE_DIR "/Examples");
    m_window->projectActions()->setExamplesFinder([examples] { return examples; });
    m_prompter->openAnswers << OpenFileResult{ { examples + "/Example_1.qsmd" }, examples };
    m_window->projectActions()->openExamples();
    WindowProjectFixture::doubleClickNode(
        *m_window, WindowProjectFixture::nodeIndex(*m_window, { "Motor Controller", "Microcontroller", "Drive", "SpeedControl" }));
    QVERIFY(simulate());
    m_window->simulation()->stop();

    // A project created in Kestro, here and in a later session.
    const QString created = folder("mine") + "/Mine.qsmd";
    m_prompter->saveAnswers << created;
    m_window->projectActions()->newProject();
    QCOMPARE(m_window->projectActions()->projectPath(), created);
    WindowProjectFixture::doubleClickNode(
        *m_window, WindowProjectFixture::nodeIndex(*m_window, { "Hardware Module", "Microcontroller", "Software Module", "StateMachine_1" }));
    // (Its machine is a sketch whose C need not compile yet: it is started.)
    m_window->simulation()->start();
    QVERIFY(m_window->simulation()->isActive());
    m_window->simulation()->stop();
    QCOMPARE(questionsAsked(), 0);
    QVERIFY(TrustStore().isTrusted(created));
    // ... but not the rest of its folder.
    QVERIFY(!TrustStore().isTrusted(folder("mine") + "/Received.qsmd"));
}

void TestSimulationTrust::savingDoesNotMakeAProjectTrusted()
{
    const QString path = HostileProject::write(folder("foreign"), harmless().code);
    QVERIFY(openMachine(path));
    const QString copy = folder("saved") + "/Copy.qsmd";
    m_prompter->saveAnswers << copy;
    m_window->projectActions()->saveAs();
    QCOMPARE(m_window->projectActions()->projectPath(), copy);
    QVERIFY(!TrustStore().isTrusted(copy));
    WindowProjectFixture::doubleClickNode(*m_window, WindowProjectFixture::nodeIndex(*m_window, MachinePath));
    QVERIFY(!simulate());
    QCOMPARE(questionsAsked(), 1);
}

void TestSimulationTrust::withoutSandboxTheUserDecides()
{
    const QString path = HostileProject::write(folder("nobwrap"), harmless().code);
    TrustStore::trustFolderForSession(QFileInfo(path).absolutePath());
    QVERIFY(openMachine(path));
    qputenv("KESTRO_BWRAP", QFile::encodeName(m_dir.filePath("hidden/bwrap")));
    // Cancel, the default: nothing runs.
    m_prompter->messageAnswers << QMessageBox::Cancel;
    const bool ran = simulate();
    const MessageRequest question = m_prompter->messages.value(0);
    m_prompter->messageAnswers << QMessageBox::Yes;
    const bool ranAfterYes = simulate();
    const QString value = flag();
    m_window->simulation()->stop();
    qunsetenv("KESTRO_BWRAP");
    QVERIFY(!ran);
    QVERIFY2(question.text.contains("cannot be run in a sandbox") && question.text.contains("bubblewrap"),
             qPrintable(question.text));
    QCOMPARE(question.defaultButton, QMessageBox::Cancel);
    // The user agreed to that one run.
    QVERIFY(ranAfterYes);
    QCOMPARE(m_prompter->messages.size(), 2);
    QVERIFY(value == QStringLiteral("0") || value == QStringLiteral("5"));
}

void TestSimulationTrust::hostileMachineInTheEditor_data()
{
    QTest::addColumn<QString>("attack");
    QTest::addColumn<QString>("expected");
    QTest::newRow("network") << "network" << "2";
    QTest::newRow("write outside") << "write" << "100";
    QTest::newRow("fork") << "fork" << "2";
    QTest::newRow("setsid") << "setsid" << "2";
    QTest::newRow("signal to the parent") << "signal" << "1";
    QTest::newRow("memory") << "memory" << "2";
    QTest::newRow("forged protocol line") << "forge" << "(the run fails)";
}

void TestSimulationTrust::hostileMachineInTheEditor()
{
    QFETCH(QString, attack);
    QFETCH(QString, expected);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString outside = folder("editor-outside") + "/written";
    const QString projectFolder = folder("editor-" + attack);
    HostileProject::Attack a;
    if (attack == QLatin1String("network"))
        a = HostileProject::connectTo(server.serverPort());
    else if (attack == QLatin1String("write"))
        a = HostileProject::writeFiles({ outside, projectFolder + "/planted.h", QDir::home().filePath(".profile") });
    else if (attack == QLatin1String("fork") || attack == QLatin1String("setsid"))
        a = HostileProject::spawn(attack, Marker);
    else if (attack == QLatin1String("signal"))
        a = HostileProject::signalParent(SIGKILL);
    else if (attack == QLatin1String("forge"))
        a = HostileProject::forgeProtocol(Sandbox::ProtocolFd, QStringLiteral("cycle 1 0 -1 0\nok\ncycle 2 0 -1 0\n"));
    else
        a = HostileProject::bigAllocation();
    const QString path = HostileProject::write(projectFolder, a.code, a.includes);
    TrustStore::trustFolderForSession(projectFolder);
    QVERIFY(openMachine(path));
    QVERIFY(simulate());
    SimulationController *sim = m_window->simulation();
    sim->step();
    QVERIFY(QTest::qWaitFor([sim] { return !sim->isBusy(); }, 20000));
    if (attack == QLatin1String("forge")) {
        // Lines the machine did not run are no trace rows: the run ends.
        QCOMPARE(sim->session()->failure().kind, SimulationFailure::ProtocolError);
        QVERIFY(sim->traceModel()->rowCount() <= 2);
        return;
    }
    QCOMPARE(flag(), expected);
    // The editor is alive (a signal to the parent would have ended it), and
    // nothing reached the network, the files or the process table.
    QVERIFY(sim->isReady());
    QVERIFY(!server.waitForNewConnection(100));
    QVERIFY(!QFile::exists(outside));
    QVERIFY(!QFile::exists(projectFolder + "/planted.h"));
    QVERIFY(!QFile::exists(QDir::home().filePath(".profile")));
    // Stop ends the sandbox and all in it.
    sim->stop();
    QVERIFY(HostileProject::processesWith(Marker).isEmpty());
}

QTEST_MAIN(TestSimulationTrust)
#include "tst_simulationtrust.moc"
