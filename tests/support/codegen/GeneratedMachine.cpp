#include "GeneratedMachine.h"

#include "CEmitter.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

bool writeFile(const QString &path, const QString &text)
{
    QFile f(path);
    const QByteArray bytes = text.toUtf8();
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QString runProgram(const QString &program, const QStringList &arguments, const QString &dir, int *exitCode)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForFinished(60000)) {
        *exitCode = -1;
        return QStringLiteral("timed out");
    }
    *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAll());
}

QString stylePrelude(const MachineDescription &m)
{
    const QString n = CEmitter::moduleName(m.processLabel);
    if (m.style == ModuleStyle::Instance)
        return QStringLiteral("static %1_t machine;\n#define INIT() %1Init(&machine)\n"
                              "#define STEP() (void)%1Step(&machine)\n")
            .arg(n);
    return QStringLiteral("#define INIT() %1Initialize()\n#define STEP() %1()\n").arg(n);
}

} // namespace

namespace GeneratedMachine {

QString run(const MachineDescription &m, const QString &body, const QString &definitions,
            const QMap<QString, QString> &headers)
{
    const QString cc = QStandardPaths::findExecutable(QStringLiteral("cc"));
    if (cc.isEmpty())
        return QStringLiteral("no C compiler");
    const GeneratedModule g = CEmitter::generate(m, ModuleProperties());
    if (!g.errors.isEmpty() || !g.writable)
        return QStringLiteral("design errors: ") + g.errors.join(QLatin1Char('\n'));
    QTemporaryDir dir;
    bool written = dir.isValid() && writeFile(dir.filePath(g.headerFileName), g.header)
                   && writeFile(dir.filePath(g.sourceFileName), g.source);
    for (auto h = headers.cbegin(); h != headers.cend(); ++h)
        written = written && writeFile(dir.filePath(h.key()), h.value());
    written = written
              && writeFile(dir.filePath(QStringLiteral("main.c")),
                           definitions + QStringLiteral("#include \"") + g.headerFileName + QStringLiteral("\"\n")
                               + stylePrelude(m) + QStringLiteral("int main(void)\n{\n") + body
                               + QStringLiteral("\n\treturn 0;\n}\n"));
    if (!written)
        return QStringLiteral("could not write the files");
    int code = -1;
    const QStringList flags = { "-std=c99", "-pedantic", "-Wall", "-Wextra", "-Werror" };
    QString out = runProgram(cc, flags + QStringList{ "-o", "machine", "main.c", g.sourceFileName }, dir.path(), &code);
    if (code != 0)
        return QStringLiteral("compile failed: ") + out + QLatin1Char('\n') + g.source;
    if (m.style == ModuleStyle::Instance) {
        out = runProgram(cc, { "-std=c90", "-pedantic", "-Wall", "-Wextra", "-Werror", "-c", g.sourceFileName },
                         dir.path(), &code);
        if (code != 0)
            return QStringLiteral("C90 compile failed: ") + out + QLatin1Char('\n') + g.source;
    }
    out = runProgram(dir.filePath(QStringLiteral("machine")), {}, dir.path(), &code);
    return code == 0 ? out.trimmed() : QStringLiteral("run failed: ") + out;
}

} // namespace GeneratedMachine
