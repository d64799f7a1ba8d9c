#include "ExportCommand.h"

#include "CliSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace ExportCommand {

QString rendererPath()
{
    const QString name = QStringLiteral("kestro-render");
    const QFileInfo beside(QDir(QCoreApplication::applicationDirPath()).filePath(name));
    if (beside.isFile() && beside.isExecutable())
        return beside.absoluteFilePath();
    return QStandardPaths::findExecutable(name);
}

int run(const QStringList &arguments)
{
    using namespace Cli;
    const QString program = rendererPath();
    if (program.isEmpty()) {
        err() << "kestro-cli: export needs kestro-render, which is neither next to kestro-cli nor on the PATH\n";
        return NoCompiler;
    }
    QProcess renderer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    renderer.setProcessEnvironment(env);
    renderer.setProcessChannelMode(QProcess::ForwardedChannels);
    renderer.setInputChannelMode(QProcess::ForwardedInputChannel);
    renderer.start(program, arguments.mid(2));
    if (!renderer.waitForStarted(-1)) {
        err() << "kestro-cli: cannot run " << program << ": " << renderer.errorString() << "\n";
        return NoCompiler;
    }
    renderer.waitForFinished(-1);
    if (renderer.exitStatus() != QProcess::NormalExit) {
        err() << "kestro-cli: " << program << " stopped unexpectedly\n";
        return Software;
    }
    return renderer.exitCode();
}

} // namespace ExportCommand
