// A project's C that attacks the computer, run by kestro-cli simulate (and
// compiled by check --compile): the sandbox keeps it from the network, from
// files outside its build folder, from starting processes, from Kestro
// itself and from the protocol, and limits its memory. Also what happens
// where no sandbox can be made, and to a folder that is not trusted.
// Where this machine cannot confine programs the suite fails; it never skips.

#include "CliRunner.h"
#include "HostileProject.h"
#include "Sandbox.h"
#include "TrustStore.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QByteArray Marker = "kestro-hostile-child-3f1c";

} // namespace

class TestHostileMachine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void machineStartsNoProcesses_data();
    void machineStartsNoProcesses();
    void machineHasNoNetwork();
    void machineWritesNothingOutside();
    void onlyItsOwnDescriptorsReachTheMachine();
    void signalsDoNotReachKestro_data();
    void signalsDoNotReachKestro();
    void constructorRunsConfined();
    void forgedProtocolFailsTheRun_data();
    void forgedProtocolFailsTheRun();
    void forgedLinesFailALongRun_data();
    void forgedLinesFailALongRun();
    void memoryIsLimitedFromOutside();
    void hostileIncludesAreConfined_data();
    void hostileIncludesAreConfined();
    void compilerSeesNoEnvironmentAndNoHome();
    void withoutSandboxNothingRuns();
    void untrustedFolderDoesNotRun();

private:
    QString folder(const QString &name) const;
    QString project(const QString &name, const HostileProject::Attack &attack) const;
    static CliResult simulate(const QString &project, const QStringList &extra = {},
                              const QStringList &environment = {}, int timeoutMs = 60000);

    QTemporaryDir m_dir;
};

void TestHostileMachine::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const Sandbox::Availability sandbox = Sandbox::availability();
    QVERIFY2(sandbox.confined, qPrintable(sandbox.reason));
}

void TestHostileMachine::cleanup()
{
    HostileProject::endProcessesWith(Marker);
}

QString TestHostileMachine::folder(const QString &name) const
{
    const QString path = m_dir.filePath(name);
    QDir().mkpath(path);
    return path;
}

QString TestHostileMachine::project(const QString &name, const HostileProject::Attack &attack) const
{
    return HostileProject::write(folder(name), attack.code, attack.includes);
}

CliResult TestHostileMachine::simulate(const QString &project, const QStringList &extra, const QStringList &environment,
                                       int timeoutMs)
{
    return runCli(QStringList{ "simulate", project, "Hostile", "--cycles", "2" } + extra,
                  QStringList{ "CC=" } + environment, timeoutMs);
}

void TestHostileMachine::machineStartsNoProcesses_data()
{
    QTest::addColumn<QString>("how");
    for (const char *how : { "fork", "setsid", "clone", "posix_spawn", "system" })
        QTest::newRow(how) << QString::fromLatin1(how);
}

void TestHostileMachine::machineStartsNoProcesses()
{
    QFETCH(QString, how);
    const QString path = project("spawn-" + how, HostileProject::spawn(how, Marker));
    const CliResult r = simulate(path, { "--trust" });
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    // The attempt was refused, and nothing outlives the run.
    QVERIFY2(r.out.contains("flag=2"), qPrintable(r.out));
    QVERIFY2(HostileProject::processesWith(Marker).isEmpty(), qPrintable(HostileProject::processesWith(Marker).join(' ')));
}

void TestHostileMachine::machineHasNoNetwork()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const CliResult r = simulate(project("network", HostileProject::connectTo(server.serverPort())), { "--trust" });
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY2(r.out.contains("flag=2"), qPrintable(r.out));
    // A connection made would be waiting to be accepted by now.
    QVERIFY(!server.waitForNewConnection(200));
}

void TestHostileMachine::machineWritesNothingOutside()
{
    const QString outside = folder("outside");
    const QString projectFolder = folder("writer");
    const QString bashrc = QDir::home().filePath(".bashrc");
    QFile::remove(bashrc);
    const QStringList targets{ outside + "/stolen", projectFolder + "/planted.h", bashrc };
    const HostileProject::Attack attack = HostileProject::writeFiles(targets);
    const QString path = HostileProject::write(projectFolder, attack.code, attack.includes);
    const CliResult r = simulate(path, { "--trust" });
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY2(r.out.contains("flag=100"), qPrintable(r.out));
    for (const QString &target : targets)
        QVERIFY2(!QFile::exists(target), qPrintable(target));
}

void TestHostileMachine::onlyItsOwnDescriptorsReachTheMachine()
{
    // A descriptor kestro-cli was handed without close-on-exec, as any
    // program may leave one open.
    const QString leaked = folder("outside") + "/leaked";
    const int fd = ::open(QFile::encodeName(leaked).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY(fd >= 0);
    const CliResult r = simulate(project("descriptors", HostileProject::writeDescriptors()), { "--trust" });
    ::close(fd);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY2(r.out.contains("flag=100"), qPrintable(r.out));
    QCOMPARE(QFileInfo(leaked).size(), 0);
}

void TestHostileMachine::signalsDoNotReachKestro_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGKILL") << int(SIGKILL);
    QTest::newRow("SIGSTOP") << int(SIGSTOP);
    QTest::newRow("SIGTERM") << int(SIGTERM);
}

void TestHostileMachine::signalsDoNotReachKestro()
{
    QFETCH(int, signal);
    const QString path = project(QStringLiteral("signal%1").arg(signal), HostileProject::signalParent(signal));
    // kestro-cli killed or stopped for ever does not finish normally in time.
    const CliResult r = simulate(path, { "--trust" }, {}, 30000);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY2(r.out.contains("flag=1"), qPrintable(r.out));
}

void TestHostileMachine::constructorRunsConfined()
{
    // The Tiny C Compiler ignores constructors: the C compiler it is, alone on the PATH.
    const QString ccOnly = folder("cc-only");
    QVERIFY(QFile::link(QStandardPaths::findExecutable("cc"), ccOnly + "/cc") || QFile::exists(ccOnly + "/cc"));
    const QString written = folder("outside") + "/constructor";
    const CliResult r = simulate(project("constructor", HostileProject::constructorFirst(written)), { "--trust" },
                                 { "PATH=" + ccOnly });
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY(!QFile::exists(written));
    // Its forged greeting is output, not the protocol: the trace is the machine's.
    QCOMPARE(r.out, QStringLiteral("cycle,before,fired,after,changed\n0,(start),(initial),Idle,\n"
                                   "1,Idle,,Idle,flag=1\n2,Idle,,Idle,\n"));
    QVERIFY2(r.err.contains("kestro-sim 1 0 0 0"), qPrintable(r.err));
}

void TestHostileMachine::forgedProtocolFailsTheRun_data()
{
    QTest::addColumn<int>("fd");
    QTest::addColumn<QString>("lines");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    const int protocol = Sandbox::ProtocolFd;
    QTest::newRow("standard output is only shown") << -1 << "cycle 7 0 -1 0\nok\n" << 0 << "cycle 7 0 -1 0";
    QTest::newRow("a cycle out of order") << protocol << "cycle 7 0 -1 0\n" << 70
                                          << "wrote 'cycle 7 0 -1 0', cycle 7 where cycle 1 comes next";
    QTest::newRow("a transition out of range") << protocol << "cycle 1 0 57 0\n" << 70
                                               << "wrote 'cycle 1 0 57 0', a transition the machine does not have";
    QTest::newRow("a state out of range") << protocol << "cycle 1 0 -1 9\n" << 70
                                          << "wrote 'cycle 1 0 -1 9', a state the machine is not in";
    QTest::newRow("a reply too early") << protocol << "ok\n" << 70 << "wrote 'ok', 0 of the 1 cycles asked for";
    QTest::newRow("an unknown variable") << protocol << "cycle 1 0 -1 0\nchanged secret 1\n" << 70
                                         << "reported an unknown variable";
}

void TestHostileMachine::forgedProtocolFailsTheRun()
{
    QFETCH(int, fd);
    QFETCH(QString, lines);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    const QString path = project("forge" + QString::number(qHash(lines) ^ uint(fd)), HostileProject::forgeProtocol(fd, lines));
    // One cycle at a time, as the editor asks.
    const QString script = folder("scripts") + "/one.sim";
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("reset\nstep\nstep\nexpect flag 1\n");
    file.close();
    const CliResult r = runCli({ "simulate", path, "Hostile", "--script", script, "--trust", "--trace", folder("traces") + "/t.csv" },
                               { "CC=" });
    QVERIFY2(r.exitCode == exitCode, qPrintable(r.err));
    QVERIFY2(r.err.contains(said), qPrintable(r.err));
    // The trace holds the cycles that ran and no other.
    const QByteArray trace = [&] { QFile t(folder("traces") + "/t.csv"); t.open(QIODevice::ReadOnly); return t.readAll(); }();
    QVERIFY2(!trace.contains("\n7,") && !trace.contains("\n9,"), trace.constData());
}

void TestHostileMachine::forgedLinesFailALongRun_data()
{
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QString>("said");
    QTest::newRow("coverage of no item") << "covered state 99 1\n" << "coverage of an item the machine does not have";
    QTest::newRow("a value no explorer gave") << "replay 1 0 5\n" << "a value no explorer gave";
    QTest::newRow("a single cycle") << "cycle 1 0 -1 0\n" << "a line of a single cycle in a long run";
    QTest::newRow("two ends") << "ran 1 0 -1\n" << "the end of a run twice";
    QTest::newRow("an early end") << "ok\n" << "the end of a run that did not report its last cycle";
}

// A script without a trace runs its steps as one long run: what the
// machine's code forges there fails it as well.
void TestHostileMachine::forgedLinesFailALongRun()
{
    QFETCH(QString, lines);
    QFETCH(QString, said);
    const QString path = project("longforge" + QString::number(qHash(lines)),
                                 HostileProject::forgeProtocol(Sandbox::ProtocolFd, lines));
    const QString script = folder("scripts") + "/long.sim";
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("reset\nstep 5\nexpect flag 1\n");
    file.close();
    const CliResult r = runCli({ "simulate", path, "Hostile", "--script", script, "--trust" }, { "CC=" });
    QCOMPARE(r.exitCode, 70);
    QVERIFY2(r.err.contains(said), qPrintable(r.err));
}

void TestHostileMachine::memoryIsLimitedFromOutside()
{
    const CliResult r = simulate(project("memory", HostileProject::bigAllocation()), { "--trust" });
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY2(r.out.contains("flag=2"), qPrintable(r.out));
}

void TestHostileMachine::hostileIncludesAreConfined_data()
{
    QTest::addColumn<QString>("include");
    QTest::addColumn<QString>("said");
    QTest::newRow("/dev/zero") << "/dev/zero" << "/dev/zero";
    QTest::newRow("/proc/self/environ") << "/proc/self/environ" << "";
}

void TestHostileMachine::hostileIncludesAreConfined()
{
    QFETCH(QString, include);
    QFETCH(QString, said);
    const QString secret = QStringLiteral("hunter2-secret-of-the-user");
    HostileProject::Attack attack;
    attack.includes = QStringLiteral("#include \"%1\"\n").arg(include);
    attack.code = QStringLiteral("int attack(void) { return 1; }");
    const QString path = project("include" + QString::number(qHash(include)), attack);
    const QStringList environment{ "AAAA_TOKEN=" + secret };
    // The simulation's compile (tcc, else cc) and the compile check (cc).
    const CliResult sim = simulate(path, { "--trust" }, environment);
    const CliResult check = runCli({ "check", path, "--compile" }, QStringList{ "CC=" } + environment);
    for (const CliResult &r : { sim, check }) {
        QVERIFY2(r.exitCode == 70 || r.exitCode == 1 || r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(!r.err.contains(secret), qPrintable(r.err));
        if (!said.isEmpty()) {
            QVERIFY2(r.exitCode != 0, qPrintable(r.err));
            QVERIFY2(r.err.contains(said), qPrintable(r.err));
            QVERIFY2(!r.err.contains("did not finish"), qPrintable(r.err));
        }
    }
}

void TestHostileMachine::compilerSeesNoEnvironmentAndNoHome()
{
    // A compiler that says what it can see, as a diagnostic about the module.
    const QString home = QDir::homePath();
    QVERIFY(QDir().mkpath(home + "/private"));
    const QString compiler = folder("tools") + "/cc";
    QFile script(compiler);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nfor last; do :; done\n"
                 "echo \"$last:1:1: error: sees $(env | tr '\\n' ' ') home: $(ls \"" + home.toUtf8() + "\" 2>&1)\"\nexit 1\n");
    script.close();
    QVERIFY(QFile::setPermissions(compiler, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString path = project("seer", HostileProject::Attack{ QString(), "int attack(void) { return 1; }" });
    const CliResult r = runCli({ "check", path, "--compile" }, { "CC=" + compiler, "AAAA_TOKEN=hunter2" });
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("error: ") && r.err.contains("sees "), qPrintable(r.err));
    QVERIFY2(!r.err.contains("hunter2"), qPrintable(r.err));
    QVERIFY2(!r.err.contains("private"), qPrintable(r.err));
    QVERIFY2(r.err.contains("LC_ALL=C"), qPrintable(r.err));
}

void TestHostileMachine::withoutSandboxNothingRuns()
{
    const QString written = folder("outside") + "/unconfined";
    QFile::remove(written);
    const QString path = project("nosandbox", HostileProject::writeFiles({ written }));
    const QStringList hidden{ "KESTRO_BWRAP=" + m_dir.filePath("no/bwrap") };
    CliResult r = simulate(path, { "--trust" }, hidden);
    QCOMPARE(r.exitCode, 69);
    QVERIFY2(r.err.contains("cannot be confined") && r.err.contains("bubblewrap"), qPrintable(r.err));
    QVERIFY2(r.err.contains("--no-sandbox"), qPrintable(r.err));
    QVERIFY(!QFile::exists(written));
    r = runCli({ "check", path, "--compile" }, hidden);
    QCOMPARE(r.exitCode, 69);
    QVERIFY2(r.err.contains("bubblewrap"), qPrintable(r.err));
    // --trust never turned the sandbox off; --no-sandbox does, for this run.
    r = simulate(path, { "--trust", "--no-sandbox" }, hidden);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY(QFile::exists(written));
}

void TestHostileMachine::untrustedFolderDoesNotRun()
{
    const QString written = folder("outside") + "/untrusted";
    const QString path = project("untrusted", HostileProject::writeFiles({ written }));
    CliResult r = simulate(path);
    QCOMPARE(r.exitCode, 77);
    QVERIFY2(r.err.contains("compiles and runs the C in this project's actions and conditions on this computer"),
             qPrintable(r.err));
    QVERIFY2(r.err.contains("--trust"), qPrintable(r.err));
    // Trusted in the application ("Trust This Folder"): kestro-cli reads the same record.
    QVERIFY(TrustStore().trustFolder(QFileInfo(path).absolutePath()));
    r = simulate(path);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY2(r.out.contains("flag=100"), qPrintable(r.out));
}

QTEST_GUILESS_MAIN(TestHostileMachine)
#include "tst_hostilemachine.moc"
