// Memory of the application with huge texts and a large project, each
// against a baseline measured in the same run:
//  - a state whose label, and one whose description, is tens of megabytes:
//    the peak memory of opening the project, over the same project with
//    short texts, per byte of the text (kestro-cli check and the
//    application, which both read through the same code);
//  - a project of about 200 MB opened in the application: its peak memory
//    and time, next to a project a fifth of its size (linear growth).
// Programs run as child processes with KESTRO_EXIT_AFTER_FIRST_PAINT=idle:
// they leave once every diagram's items are made.
//
// Run: ./bench_memory [megabytes of text] [megabytes of project]

#include "BenchFigures.h"
#include "BenchProcess.h"
#include "ProjectFileWriter.h"

// The test helpers that build projects; compiled in here because benchmark
// programs link only the core library.
#include "tests/support/model/MachineProject.cpp"
#include "tests/support/model/RandomProject.cpp"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// A machine of a few states, one of which carries `label` and `description`.
QByteArray textProject(const QString &label, const QString &description)
{
    using MachineProject::item;
    ProjectDocument doc = MachineProject::skeleton(QStringLiteral("Bench"), QStringLiteral("Texts"));
    CanvasBlock &machine = doc.blocks[3];
    for (int i = 0; i < 3; ++i) {
        StateRecord s = item<StateRecord>(6, i == 0 ? label : QStringLiteral("S%1").arg(i));
        s.description = i == 0 ? description : QString();
        s.xCoord = 100 + 400 * i;
        s.yCoord = 100;
        machine.states << s;
    }
    return MachineProject::bytes(doc);
}

QString text(int megabytes)
{
    QString t;
    t.reserve(megabytes * 1024 * 1024);
    while (t.size() < megabytes * 1024 * 1024)
        t += QStringLiteral("abcdefghijklmnopqrstuvwxyz_0123456789_");
    t.truncate(megabytes * 1024 * 1024);
    return t;
}

QString bigProject(const QString &dir, int machines)
{
    const RandomProjectOptions options = largeProjectOptions(machines);
    const QString path = dir + QStringLiteral("/big_%1.qsmd").arg(machines);
    ProjectFileWriter writer;
    return writer.write(randomProject(quint32(machines), options), path) ? path : QString();
}

} // namespace

int main(int argc, char **argv)
{
    if (const int code = runMeasuredChild(argc, argv); code >= 0)
        return code;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    const int textMb = argc > 1 ? qMax(1, atoi(argv[1])) : 20;
    const int projectMb = argc > 2 ? qMax(1, atoi(argv[2])) : 200;
    const QString binDir = QCoreApplication::applicationDirPath();
    const QString kestro = binDir + QStringLiteral("/../kestro");
    const QString cli = binDir + QStringLiteral("/../cli/kestro-cli");
    QTemporaryDir dir;
    if (!dir.isValid() || !QFileInfo(kestro).isExecutable() || !QFileInfo(cli).isExecutable()) {
        std::fprintf(stderr, "needs a temporary directory, %s and %s\n", qPrintable(kestro), qPrintable(cli));
        return 1;
    }
    isolateChildren(dir.path());

    const QString plain = dir.filePath(QStringLiteral("plain.qsmd"));
    const QString label = dir.filePath(QStringLiteral("label.qsmd"));
    const QString description = dir.filePath(QStringLiteral("description.qsmd"));
    const QString huge = text(textMb);
    if (!writeBytes(plain, textProject(QStringLiteral("S0"), QString()))
        || !writeBytes(label, textProject(huge, QString()))
        || !writeBytes(description, textProject(QStringLiteral("S0"), huge))) {
        std::fprintf(stderr, "cannot write the text projects\n");
        return 1;
    }
    const double bytes = huge.size();   // ASCII: one byte a character in the file
    struct Case
    {
        const char *name;
        QString program;
        QStringList arguments;
        QString path;
    };
    const QVector<Case> cases{
        {"label, application", kestro, {}, label},
        {"description, application", kestro, {}, description},
        {"label, kestro-cli check", cli, {QStringLiteral("check")}, label},
        {"description, kestro-cli check", cli, {QStringLiteral("check")}, description},
    };
    for (const Case &c : cases) {
        const Run base = best(c.program, c.arguments + QStringList{plain}, 1);
        const Run big = best(c.program, c.arguments + QStringList{c.path}, 1);
        if (base.ms < 0 || big.ms < 0) {
            std::fprintf(stderr, "%s did not run to its end\n", c.name);
            return 1;
        }
        const QByteArray name = QByteArray("memory per byte of a huge ") + c.name;
        printLimitFigure(name.constData(), (big.peakMb - base.peakMb) * 1024 * 1024 / bytes, "x",
                         "peak with short texts (MB)", base.peakMb, 8);
    }

    // Machines for the project size asked for: a 50-machine project is
    // measured first.
    int machines = 50;
    QString sample = bigProject(dir.path(), machines);
    if (sample.isEmpty()) {
        std::fprintf(stderr, "cannot write the project\n");
        return 1;
    }
    machines = qMax(5, int(machines * (projectMb * 1024.0 * 1024.0) / QFileInfo(sample).size()));
    QFile::remove(sample);
    const QString large = bigProject(dir.path(), machines);
    const QString fifth = bigProject(dir.path(), qMax(1, machines / 5));
    const Run empty = best(kestro, {}, 1);
    const Run fifthRun = best(kestro, {fifth}, 1);
    const Run largeRun = best(kestro, {large}, 1);
    if (large.isEmpty() || fifth.isEmpty() || empty.ms < 0 || fifthRun.ms < 0 || largeRun.ms < 0) {
        std::fprintf(stderr, "the large project did not open\n");
        return 1;
    }
    std::printf("large project: %d machines, %lld bytes; a fifth: %d machines\n", machines,
                QFileInfo(large).size(), machines / 5);
    printLimitFigure("peak memory, large project open", largeRun.peakMb, "MB", "no project", empty.peakMb, 2048);
    printRatioFigure("open time, 5x the project", largeRun.ms, "ms", "a fifth of it", fifthRun.ms, 5.5);
    printRatioFigure("memory, 5x the project", largeRun.peakMb - empty.peakMb, "MB", "a fifth of it",
                     fifthRun.peakMb - empty.peakMb, 5.5);
    return 0;
}
