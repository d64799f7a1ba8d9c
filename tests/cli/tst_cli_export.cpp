#include "CliRunner.h"
#include "ExampleProject.h"
#include "OpenProject.h"
#include "PdfPages.h"
#include "WindowProjectFixture.h"

#include <QtTest>

// kestro-cli export run the way a build script runs it: the files it
// writes and lists, the formats, one diagram, and its exit codes.
using WindowProjectFixture::fileBytes;

namespace {

const QString Mc = QStringLiteral("Example_1/Motor_Controller/Microcontroller");

// The file stems of the example's eight diagrams.
const QStringList Stems = {"Example_1", "Example_1/Motor_Controller", Mc, Mc + "/Drive",
                           Mc + "/Drive/SpeedControl", Mc + "/Drive/FaultMonitor",
                           Mc + "/Communication", Mc + "/Communication/CommandParser"};

} // namespace

class TestCliExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void writesEveryDiagramAsSvgByPath();
    void svgIsTheSameFromRunToRun();
    void pngAndPdf();
    void oneDiagram();
    void exitCodes();
    void fileThatCannotBeWrittenExits73();
    void helpNamesTheCommand();
    void missingRendererIsReported();

private:
    QTemporaryDir m_dir;
    QString m_project;
};

void TestCliExport::initTestCase()
{
    m_project = m_dir.filePath("Example_1.qsmd");
    QFile file(m_project);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(projectBytes(ExampleProject::document()));
}

void TestCliExport::writesEveryDiagramAsSvgByPath()
{
    QTemporaryDir out;
    // Even where the environment asks for a real display platform, the
    // pictures are drawn offscreen.
    const CliResult r = runCli({"export", m_project, "-o", out.path()}, {"QT_QPA_PLATFORM=xcb"});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    const QStringList listed = r.out.split('\n', Qt::SkipEmptyParts);
    QStringList expected;
    for (const QString &stem : Stems)
        expected << QDir(out.path()).filePath(stem + ".svg");
    QCOMPARE(listed, expected);
    for (const QString &path : expected)
        QVERIFY2(fileBytes(path).contains("<svg"), qPrintable(path));
    QVERIFY(fileBytes(expected.at(4)).contains("Accelerating"));
}

void TestCliExport::svgIsTheSameFromRunToRun()
{
    QTemporaryDir a, b;
    QCOMPARE(runCli({"export", m_project, "-o", a.path()}).exitCode, 0);
    QCOMPARE(runCli({"export", m_project, "-o", b.path(), "--format", "svg"}).exitCode, 0);
    for (const QString &stem : Stems) {
        const QByteArray first = fileBytes(QDir(a.path()).filePath(stem + ".svg"));
        QVERIFY(!first.isEmpty());
        QVERIFY2(first == fileBytes(QDir(b.path()).filePath(stem + ".svg")), qPrintable(stem));
    }
}

void TestCliExport::pngAndPdf()
{
    QTemporaryDir out;
    CliResult r = runCli({"export", m_project, "-o", out.path(), "--format", "png", "--scale", "2",
                          "--background", "transparent"});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    const QImage image(QDir(out.path()).filePath(Stems.at(4) + ".png"));
    QVERIFY(!image.isNull());
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);

    r = runCli({"export", m_project, "-o", out.path(), "--format", "pdf", "--paper", "a4"});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    for (const QString &stem : Stems) {
        const QByteArray pdf = fileBytes(QDir(out.path()).filePath(stem + ".pdf"));
        QVERIFY(pdf.startsWith("%PDF"));
        QCOMPARE(pdfPageCount(pdf), 1);
    }

    r = runCli({"export", m_project, "-o", out.path(), "--format", "pdf", "--one-pdf"});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(r.out.trimmed(), QDir(out.path()).filePath("Example_1.pdf"));
    QCOMPARE(pdfPageCount(fileBytes(QDir(out.path()).filePath("Example_1.pdf"))), Stems.size());
}

void TestCliExport::oneDiagram()
{
    for (const QString &path : {QStringLiteral("Example_1/Motor Controller/Microcontroller/Drive"),
                                QString(Mc + "/Drive.svg")}) {
        QTemporaryDir out;
        const CliResult r = runCli({"export", m_project, "-o", out.path(), "--diagram", path});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out.trimmed(), QDir(out.path()).filePath(Mc + "/Drive.svg"));
        QCOMPARE(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList({"Example_1"}));
    }
    // The machine's name as `simulate` takes it, and no note about a
    // runtime folder the environment does not name.
    QTemporaryDir out;
    const CliResult r = runCli({"export", m_project, "-o", out.path(), "--diagram", "SpeedControl"},
                               {"XDG_RUNTIME_DIR="});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(r.out.trimmed(), QDir(out.path()).filePath(Mc + "/Drive/SpeedControl.svg"));
    QCOMPARE(r.err, QString());
}

void TestCliExport::exitCodes()
{
    QTemporaryDir out;
    struct Case
    {
        QStringList args;
        int code;
        const char *message;
    };
    const QList<Case> cases = {
        {{"export", m_project}, 64, "missing -o DIR"},
        {{"export", "-o", out.path()}, 64, "missing project file"},
        {{"export", m_project, "-o", out.path(), "--format", "gif"}, 64, "unknown format 'gif'"},
        {{"export", m_project, "-o", out.path(), "--scale", "5"}, 64, "--scale"},
        {{"export", m_project, "-o", out.path(), "--scale", "x"}, 64, "--scale"},
        {{"export", m_project, "-o", out.path(), "--background", "red"}, 64, "--background"},
        {{"export", m_project, "-o", out.path(), "--paper", "Napkin"}, 64, "unknown paper size"},
        {{"export", m_project, "-o", out.path(), "--one-pdf"}, 64, "--one-pdf needs --format pdf"},
        {{"export", m_project, "-o", out.path(), "--diagram", "Example_1/Nowhere"}, 64,
         "no diagram 'Example_1/Nowhere'"},
        {{"export", m_project, "-o", out.path(), "--bogus"}, 64, "bogus"},
        {{"export", m_dir.filePath("missing.qsmd"), "-o", out.path()}, 66, "no such file"},
    };
    for (const Case &c : cases) {
        const CliResult r = runCli(c.args);
        QVERIFY2(r.exitCode == c.code,
                 qPrintable(c.args.join(' ') + " -> " + QString::number(r.exitCode) + " " + r.err));
        QVERIFY2(r.err.contains(c.message), qPrintable(r.err));
    }
    // The list of diagrams names what there is.
    QVERIFY(runCli(cases.at(8).args).err.contains("Example_1/Motor Controller/Microcontroller/Drive"));

    const QString corrupt = m_dir.filePath("corrupt.qsmd");
    QFile file(corrupt);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(projectBytes(ExampleProject::document()).left(500));
    file.close();
    QCOMPARE(runCli({"export", corrupt, "-o", out.path()}).exitCode, 65);
    QVERIFY(QDir(out.path()).isEmpty());
}

void TestCliExport::fileThatCannotBeWrittenExits73()
{
    QTemporaryDir out;
    QFile blocker(out.filePath("Example_1"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    CliResult r = runCli({"export", m_project, "-o", out.path()});
    QCOMPARE(r.exitCode, 73);
    QVERIFY2(r.err.contains("Motor_Controller.svg"), qPrintable(r.err));
    // What could be written was written and listed.
    QCOMPARE(r.out.trimmed(), out.filePath("Example_1.svg"));

    // An output folder that cannot be made.
    r = runCli({"export", m_project, "-o", out.filePath("Example_1/sub")});
    QCOMPARE(r.exitCode, 73);
    QVERIFY2(r.err.contains("cannot create the directory"), qPrintable(r.err));
}

void TestCliExport::helpNamesTheCommand()
{
    const CliResult r = runCli({"export", "--help"});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.out.contains("kestro-cli export [options] project"), qPrintable(r.out));
    QVERIFY(r.out.contains("--diagram"));
    QVERIFY(runCli({"--help"}).out.contains("export"));
}

void TestCliExport::missingRendererIsReported()
{
    // A kestro-cli without kestro-render beside it or on the PATH.
    QTemporaryDir alone;
    const QString copy = alone.filePath("kestro-cli");
    QVERIFY(QFile::copy(cliProgram(), copy));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", alone.path());
    p.setProcessEnvironment(env);
    p.start(copy, {"export", m_project, "-o", alone.filePath("out")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 69);
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains("export needs kestro-render"));
    QVERIFY(!QFile::exists(alone.filePath("out")));
}

QTEST_MAIN(TestCliExport)
#include "tst_cli_export.moc"
