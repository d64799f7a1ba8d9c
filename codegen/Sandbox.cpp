#include "Sandbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>

namespace {

// Where the launcher sits inside the sandbox: outside /usr, which is a
// read-only mount of its own, and outside the folders bound from the host.
const char InsideLauncher[] = "/.kestro/kestro-sandbox";

QStringList bindFolder(const char *how, const QString &folder)
{
    return { QLatin1String(how), folder, folder };
}

// A folder at the path the program is given (which may pass through links
// that do not exist inside), from its real place.
QStringList bindFolderAt(const char *how, const QFileInfo &folder)
{
    return { QLatin1String(how), folder.canonicalFilePath(), folder.absoluteFilePath() };
}

// The program's own installation, when it is not under /usr: the folder
// above its bin folder (a cross compiler in /opt/...), read-only.
QString installationOf(const QString &program)
{
    const QFileInfo info(program);
    const QString dir = info.absolutePath();
    if (dir.startsWith(QLatin1String("/usr/")) || dir == QLatin1String("/usr"))
        return QString();
    QDir up(dir);
    if (QFileInfo(dir).fileName() == QLatin1String("bin"))
        up.cdUp();
    // Never the whole home folder for a program in ~/bin.
    if (up.absolutePath() == QDir::homePath() || up.isRoot())
        return dir;
    return up.absolutePath();
}

} // namespace

QString Sandbox::bubblewrap()
{
    const QByteArray named = qgetenv("KESTRO_BWRAP");
    if (!named.isEmpty())
        return QFileInfo(QString::fromLocal8Bit(named)).isExecutable() ? QString::fromLocal8Bit(named) : QString();
    // A system package: where Debian puts it, when the PATH does not lead there.
    const QString found = QStandardPaths::findExecutable(QStringLiteral("bwrap"));
    return found.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("bwrap"), { QStringLiteral("/usr/bin") }) : found;
}

QString Sandbox::launcher()
{
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString &place : { QStringLiteral("."), QStringLiteral("cli"), QStringLiteral("../cli") }) {
        const QFileInfo candidate(QDir(here).filePath(place + QStringLiteral("/kestro-sandbox")));
        if (candidate.isFile() && candidate.isExecutable())
            return candidate.canonicalFilePath();
    }
    return QString();
}

QString Sandbox::resolveProgram(const QString &program)
{
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        return info.exists() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}

QStringList Sandbox::systemMounts()
{
    QStringList a;
    a << QStringLiteral("--ro-bind") << QStringLiteral("/usr") << QStringLiteral("/usr");
    // Debian's merged /usr: /bin, /lib... are links into it; elsewhere folders.
    for (const char *top : { "bin", "sbin", "lib", "lib32", "lib64", "libx32" }) {
        const QString path = QStringLiteral("/") + QLatin1String(top);
        const QFileInfo info(path);
        if (info.isSymLink())
            a << QStringLiteral("--symlink") << info.symLinkTarget() << path;
        else if (info.isDir())
            a << bindFolder("--ro-bind", path);
    }
    // What the dynamic loader and the compiler links need of /etc, no more
    // (not passwd, not the host's configuration).
    a << QStringLiteral("--ro-bind-try") << QStringLiteral("/etc/ld.so.cache") << QStringLiteral("/etc/ld.so.cache");
    a << QStringLiteral("--ro-bind-try") << QStringLiteral("/etc/alternatives") << QStringLiteral("/etc/alternatives");
    a << QStringLiteral("--proc") << QStringLiteral("/proc");
    // A few devices only: /dev/zero and the terminals stay out.
    for (const char *device : { "/dev/null", "/dev/urandom", "/dev/random" })
        a << QStringLiteral("--dev-bind") << QLatin1String(device) << QLatin1String(device);
    a << QStringLiteral("--size") << QString::number(TmpSize) << QStringLiteral("--tmpfs") << QStringLiteral("/tmp");
    return a;
}

QStringList Sandbox::launcherArguments(const Spec &spec, const QString &program)
{
    const bool machine = spec.role == Role::Machine;
    QStringList a;
    if (machine)
        a << QStringLiteral("--no-new-processes");
    a << QStringLiteral("--memory") << QString::number(machine ? MachineMemory : CompilerMemory);
    a << QStringLiteral("--cpu") << QString::number(machine ? MachineCpuSeconds : CompilerCpuSeconds);
    a << QStringLiteral("--file-size") << QString::number(machine ? MachineFileSize : CompilerFileSize);
    a << QStringLiteral("--open-files") << QString::number(OpenFiles);
    if (spec.keepProtocolFd)
        a << QStringLiteral("--keep-fd") << QString::number(ProtocolFd);
    a << QStringLiteral("--") << program << spec.arguments;
    return a;
}

Sandbox::Availability Sandbox::availability()
{
    static QHash<QString, Availability> probed;
    const QString bwrap = bubblewrap();
    Availability result;
    if (bwrap.isEmpty()) {
        result.reason = qEnvironmentVariableIsSet("KESTRO_BWRAP")
            ? QStringLiteral("bubblewrap (KESTRO_BWRAP=%1) is not an executable program").arg(qEnvironmentVariable("KESTRO_BWRAP"))
            : QStringLiteral("bubblewrap (bwrap) is not installed");
        return result;
    }
    const QString launch = launcher();
    if (launch.isEmpty()) {
        result.reason = QStringLiteral("kestro-sandbox is not installed next to %1").arg(QCoreApplication::applicationFilePath());
        return result;
    }
    const QString key = bwrap + QLatin1Char('\n') + launch;
    if (probed.contains(key))
        return probed.value(key);
    // A sandbox that cannot be made (no user namespaces) shows at once.
    QProcess probe;
    probe.setProcessChannelMode(QProcess::MergedChannels);
    QStringList arguments{ QStringLiteral("--unshare-all"), QStringLiteral("--die-with-parent"),
                           QStringLiteral("--new-session") };
    arguments << systemMounts() << QStringLiteral("--ro-bind") << launch << QLatin1String(InsideLauncher)
              << QStringLiteral("--clearenv") << QLatin1String(InsideLauncher) << QStringLiteral("--no-new-processes")
              << QStringLiteral("--") << QStringLiteral("/bin/sh") << QStringLiteral("-c") << QStringLiteral("exit 0");
    probe.start(bwrap, arguments);
    const bool finished = probe.waitForFinished(10000);
    if (finished && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0) {
        result.confined = true;
    } else {
        if (!finished)
            probe.kill();
        const QString said = QString::fromLocal8Bit(probe.readAll()).trimmed().section(QLatin1Char('\n'), 0, 0);
        result.reason = QStringLiteral("bubblewrap cannot make a sandbox on this machine (%1)")
                            .arg(said.isEmpty() ? probe.errorString() : said);
    }
    probed.insert(key, result);
    return result;
}

Sandbox::Command Sandbox::command(const Spec &spec, bool allowUnconfined)
{
    Command c;
    const QString program = resolveProgram(spec.program);
    if (program.isEmpty()) {
        c.status = Command::ProgramMissing;
        c.error = QStringLiteral("'%1' could not be found").arg(spec.program);
        return c;
    }
    const Availability available = availability();
    if (!available.confined) {
        if (!allowUnconfined) {
            c.status = Command::NoSandbox;
            c.error = QStringLiteral("it cannot be confined: %1").arg(available.reason);
            return c;
        }
        // The user agreed to this one run without the sandbox: the limits
        // and the filter still apply when the launcher is there.
        const QString launch = launcher();
        if (launch.isEmpty()) {
            c.program = program;
            c.arguments = spec.arguments;
        } else {
            c.program = launch;
            c.arguments = launcherArguments(spec, program);
        }
        return c;
    }
    QStringList a{ QStringLiteral("--unshare-all"), QStringLiteral("--die-with-parent"), QStringLiteral("--new-session") };
    a << systemMounts();
    // The program where it was named (a link, perhaps) and where it really is.
    QStringList installations{ installationOf(program), installationOf(QFileInfo(program).canonicalFilePath()) };
    installations.removeDuplicates();
    for (const QString &installation : qAsConst(installations)) {
        if (!installation.isEmpty() && installation != QLatin1String("/"))
            a << bindFolderAt("--ro-bind", QFileInfo(installation));
    }
    for (const QString &folder : spec.readOnlyFolders) {
        const QFileInfo info(folder);
        if (info.isDir() && info.canonicalFilePath() != QLatin1String("/"))
            a << bindFolderAt("--ro-bind", info);
    }
    if (!spec.buildFolder.isEmpty()) {
        const QFileInfo build(spec.buildFolder);
        a << bindFolderAt(spec.role == Role::Machine ? "--ro-bind" : "--bind", build);
        a << QStringLiteral("--chdir") << build.absoluteFilePath();
    }
    a << QStringLiteral("--ro-bind") << launcher() << QLatin1String(InsideLauncher);
    a << QStringLiteral("--clearenv") << QStringLiteral("--setenv") << QStringLiteral("PATH")
      << QStringLiteral("/usr/local/bin:/usr/bin:/bin") << QStringLiteral("--setenv") << QStringLiteral("LC_ALL")
      << QStringLiteral("C") << QStringLiteral("--setenv") << QStringLiteral("TMPDIR") << QStringLiteral("/tmp");
    a << QLatin1String(InsideLauncher) << launcherArguments(spec, program);
    c.program = bubblewrap();
    c.arguments = a;
    c.confined = true;
    return c;
}
