#pragma once

// Runs the built kestro-cli the way a user or a build script does and
// keeps what it printed. Header only: the path of the program comes from
// the test's KESTRO_BINARY_DIR.

#include <QProcess>
#include <QString>
#include <QStringList>

struct CliResult
{
    int exitCode = -1;   // -1 when it did not finish normally in time
    QString out;
    QString err;
};

inline QString cliProgram()
{
    return QStringLiteral(KESTRO_BINARY_DIR "/cli/kestro-cli");
}

// kestro-cli with `arguments`, in the test's environment without a display,
// with each "NAME=VALUE" of `settings` added in order.
inline CliResult runCli(const QStringList &arguments, const QStringList &settings = QStringList(),
                        int timeoutMs = 60000)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    for (const QString &setting : settings)
        env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    p.setProcessEnvironment(env);
    p.start(cliProgram(), arguments);
    CliResult r;
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
