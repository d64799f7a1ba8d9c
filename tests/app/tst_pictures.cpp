// The pictures of the diagrams show what the canvas shows: every item is
// drawn in the canvas's font at the same size on any device (a printer's
// resolution included); the application's Export All and kestro-cli export
// write the same bytes for the same project, whatever font the desktop
// gives the application; a machine's interface tags are in the picture;
// an SVG has the canvas's background; Print to File proposes a file
// beside the project.

#include "Canvas.h"
#include "CliRunner.h"
#include "DiagramPicture.h"
#include "DiagramRender.h"
#include "ExampleProject.h"
#include "ExportActions.h"
#include "ExportOptionsDialog.h"
#include "FloatingLinkItem.h"
#include "FloatingMemoryItem.h"
#include "LinkItem.h"
#include "MainWindow.h"
#include "DataflowItem.h"
#include "Project.h"
#include "ScriptedPrompter.h"
#include "WindowProjectFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QDirIterator>
#include <QGraphicsRectItem>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace WindowProjectFixture;

namespace {

const QStringList kSpeedControl = {"Motor Controller", "Microcontroller", "Drive", "SpeedControl"};
const QStringList kDrive = {"Motor Controller", "Microcontroller", "Drive"};

// Every file below dir, by its path relative to dir.
QMap<QString, QByteArray> filesBelow(const QString &dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(dir).relativeFilePath(path), fileBytes(path));
    }
    return files;
}

// The picture drawn into an image of the given size at `dpi` dots per inch.
QImage drawnAt(Canvas *canvas, const QSize &size, int dpi)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    const DiagramPicture picture(canvas);
    picture.paint(&painter, QRectF(QPointF(0, 0), size));
    return image;
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString projectFile() const { return m_dir->filePath(QStringLiteral("Example_1.qsmd")); }

    Canvas *show(const QStringList &names)
    {
        doubleClickNode(*m_window, nodeIndex(*m_window, names));
        return m_window->project()->shownCanvas();
    }

    void exportAllAsSvg(const QString &directory)
    {
        m_window->exportActions()->setDialogRunner([](QDialog *dialog) {
            auto *options = qobject_cast<ExportOptionsDialog *>(dialog);
            if (!options)
                return int(QDialog::Rejected);
            options->setOptions(ExportOptions());
            options->onePdfBox()->setChecked(false);
            return int(QDialog::Accepted);
        });
        m_prompter->directoryAnswers << directory;
        action(*m_window, "actionExport_All_Diagrams")->trigger();
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        // A desktop's own font, unlike the one a program without a screen gets.
        QApplication::setFont(QFont(QStringLiteral("Sans Serif"), 9));
    }

    void init()
    {
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_window = std::make_unique<MainWindow>();
        m_window->resize(1500, 1000);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(openDocument(*m_window, ExampleProject::document(), projectFile()));
    }

    void cleanup()
    {
        m_window->project()->markSaved();
        m_window.reset();
        m_prompter.reset();
        m_dir.reset();
    }

    // Text blocks, memory items and states alike keep their size against
    // the boxes on a device of any resolution, as on the canvas.
    void everyItemIsDrawnAtTheCanvasSizeOnAnyDevice()
    {
        for (const QStringList &names : {kSpeedControl, kDrive}) {
            Canvas *canvas = show(names);
            QVERIFY(canvas);
            const QSize size(900, 600);
            const QImage screen = drawnAt(canvas, size, 96);
            QVERIFY2(drawnAt(canvas, size, 600) == screen, qPrintable(names.last()));
            QVERIFY2(drawnAt(canvas, size, 1200) == screen, qPrintable(names.last()));
        }
    }

    void applicationAndCommandLineWriteTheSameSvg()
    {
        QTemporaryDir app;
        QTemporaryDir cli;
        // A diagram that has been shown has editor state the export must not show.
        QVERIFY(show(kSpeedControl));
        exportAllAsSvg(app.path());
        const QMap<QString, QByteArray> fromApp = filesBelow(app.path());
        QCOMPARE(fromApp.size(), 8);

        const CliResult run = runCli({QStringLiteral("export"), projectFile(), QStringLiteral("-o"), cli.path()});
        QCOMPARE(run.exitCode, 0);
        const QMap<QString, QByteArray> fromCli = filesBelow(cli.path());
        QCOMPARE(fromCli.keys(), fromApp.keys());
        for (auto it = fromApp.cbegin(); it != fromApp.cend(); ++it)
            QVERIFY2(fromCli.value(it.key()) == it.value(), qPrintable(it.key()));
        // The font the pictures name is the canvas's, not the desktop's.
        const QByteArray speed = fromApp.value(QStringLiteral("Example_1/Motor_Controller/Microcontroller/Drive/SpeedControl.svg"));
        const QFont canvasFont = show(kSpeedControl)->font();
        QVERIFY(speed.contains(QByteArray("font-family=\"") + canvasFont.family().toUtf8() + '"'));
    }

    void machineInterfaceTagsAreInThePictures()
    {
        Canvas *drive = show(kDrive);
        QVERIFY(drive);
        QStringList tags;
        for (const LinkItem *link : drive->links())
            tags << link->label();
        for (const DataflowItem *flow : drive->dataflows())
            tags << flow->label();
        QVERIFY(!tags.isEmpty());
        // Exported without the diagram ever being shown, and shown first.
        for (bool shown : {false, true}) {
            if (shown)
                QVERIFY(show(kSpeedControl));
            QTemporaryDir out;
            exportAllAsSvg(out.path());
            const QString speed = fileBytes(out.filePath("Example_1/Motor_Controller/Microcontroller/Drive/SpeedControl.svg"));
            QVERIFY(!speed.isEmpty());
            QStringList tagsOfMachine;
            Canvas *machine = canvasNamed(*m_window, QStringLiteral("SpeedControl"), 5);
            for (const FloatingLinkItem *tag : machine->floatingLinks())
                tagsOfMachine << tag->label();
            for (const FloatingMemoryItem *tag : machine->floatingMemories())
                tagsOfMachine << tag->label();
            QVERIFY(!tagsOfMachine.isEmpty());
            for (const QString &tag : qAsConst(tagsOfMachine))
                QVERIFY2(speed.contains(QStringLiteral(">%1<").arg(tag)), qPrintable(tag));
        }
    }

    // Items of equal stacking are drawn in the order they were added, as the
    // canvas shows them, also after the scene has let go of an item (its
    // list of items is then in the order of their addresses).
    void equalStackingIsDrawnInTheOrderAdded()
    {
        Canvas *machine = show(kSpeedControl);
        QVERIFY(machine);
        // Made in the opposite order to the one they are added in.
        auto *second = new QGraphicsRectItem(0, 0, 40, 40);
        auto *first = new QGraphicsRectItem(10, 10, 40, 40);
        first->setBrush(QColor(0x12, 0x34, 0x56));
        second->setBrush(QColor(0x65, 0x43, 0x21));
        machine->addItem(first);
        machine->addItem(second);
        auto *gone = new QGraphicsRectItem(0, 0, 5, 5);
        machine->addItem(gone);
        machine->removeItem(gone);
        delete gone;
        const QByteArray svg = DiagramRender::svg({machine, QStringLiteral("SpeedControl")});
        machine->removeItem(first);
        machine->removeItem(second);
        delete first;
        delete second;
        const int firstAt = svg.indexOf("fill=\"#123456\"");
        const int secondAt = svg.indexOf("fill=\"#654321\"");
        QVERIFY(firstAt > 0 && secondAt > 0);
        QVERIFY(firstAt < secondAt);
    }

    void svgHasTheCanvasBackground()
    {
        Canvas *machine = show(kSpeedControl);
        QVERIFY(machine);
        QSvgRenderer renderer(DiagramRender::svg({machine, QStringLiteral("SpeedControl")}));
        QVERIFY(renderer.isValid());
        QImage image(renderer.defaultSize(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        for (const QPoint &corner : {QPoint(1, 1), QPoint(image.width() - 2, image.height() - 2)})
            QCOMPARE(image.pixelColor(corner), QColor(Qt::white));
    }

    void printToFileProposesAFileBesideTheProject()
    {
        QVERIFY(show(kSpeedControl));
        QString proposed;
        QString document;
        m_window->exportActions()->setDialogRunner([&](QDialog *dialog) {
            if (auto *print = qobject_cast<QPrintDialog *>(dialog)) {
                proposed = print->printer()->outputFileName();
                document = print->printer()->docName();
            }
            return int(QDialog::Rejected);
        });
        action(*m_window, "actionPrint")->trigger();
        QVERIFY(!document.contains(QLatin1Char('/')));
        if (QPrinter().outputFormat() != QPrinter::PdfFormat)
            QSKIP("a printer is installed: the print dialog proposes it, not a file");
        QCOMPARE(QFileInfo(proposed).absolutePath(), QFileInfo(projectFile()).absolutePath());
        QVERIFY(proposed.endsWith(QStringLiteral("SpeedControl.pdf")));
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
