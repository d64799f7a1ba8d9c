#include "Canvas.h"
#include "DiagramFiles.h"
#include "DiagramPicture.h"
#include "DiagramRender.h"
#include "ExampleProject.h"
#include "FloatingLinkItem.h"
#include "MachineProject.h"
#include "OpenProject.h"
#include "PdfPages.h"
#include "SimulationHighlighter.h"
#include "StateItem.h"
#include "TransitionItem.h"
#include "WindowProjectFixture.h"

#include <QGraphicsEffect>
#include <QPainter>
#include <QXmlStreamReader>
#include <QtTest>

#include <cmath>
#include <memory>

// Pictures of diagrams drawn from the example project's canvases, built
// the way the application builds them: file names, the picture area, PNG
// pixels, SVG text and determinism, PDF pages, and that drawing a picture
// leaves the canvas (selection, mark, shadows) and the project as they were.
using WindowProjectFixture::fileBytes;

namespace {

// The texts of every <text> element of an SVG document; empty when it is
// not well-formed XML.
QStringList svgTexts(const QByteArray &svg)
{
    QStringList texts;
    QXmlStreamReader xml(svg);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text"))
            texts << xml.readElementText(QXmlStreamReader::IncludeChildElements);
    }
    return xml.hasError() ? QStringList() : texts;
}

// Share of the pixels inside `rect` (image coordinates) that have `colour`.
double colourShare(const QImage &image, const QRect &rect, const QColor &colour)
{
    int hits = 0, all = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            ++all;
            hits += image.pixelColor(x, y).rgb() == colour.rgb() ? 1 : 0;
        }
    }
    return all ? double(hits) / all : 0;
}

QRectF areaOf(Canvas *canvas)
{
    const DiagramPicture picture(canvas);
    return picture.area();
}

} // namespace

class TestDiagramExport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void safeNames();
    void entriesFollowTheTree();
    void siblingsWithClashingNamesGetNumbers();
    void findTakesPathsAndFileNames();
    void areaHoldsTheItemsPlusAMargin();
    void pngShowsTheStatesAtScale();
    void itemsAreDrawnAsTheSceneDrawsThem();
    void tooLargeAPngIsRefused();
    void svgHoldsTheLabelsAsTextAndIsDeterministic();
    void entryAndExitActionsAreDrawnInPictures();
    void pictureLeavesSelectionMarkShadowsAndProjectAsTheyWere();
    void pdfHasOnePagePerDiagram();
    void writeEachNamesFilesByPath();
    void writeEachReportsFilesItCannotWrite();

private:
    Canvas *canvas(const QString &name) const { return m_project->canvasNamed(name); }
    std::unique_ptr<OpenProject> m_project;
};

void TestDiagramExport::init()
{
    m_project = std::make_unique<OpenProject>();
    QVERIFY2(m_project->open(ExampleProject::document()), qPrintable(m_project->error()));
}

void TestDiagramExport::cleanup()
{
    m_project.reset();
}

void TestDiagramExport::safeNames()
{
    using DiagramFiles::safeName;
    QCOMPARE(safeName("Motor Controller"), QStringLiteral("Motor_Controller"));
    QCOMPARE(safeName("Drive-2_x"), QStringLiteral("Drive-2_x"));
    QCOMPARE(safeName(".."), QStringLiteral("__"));
    QCOMPARE(safeName("../../etc/passwd"), QStringLiteral("______etc_passwd"));
    QCOMPARE(safeName("a\\b:c*d?"), QStringLiteral("a_b_c_d_"));
    QCOMPARE(safeName(QStringLiteral("tab\there\nline\x01")), QStringLiteral("tab_here_line_"));
    QCOMPARE(safeName(".hidden"), QStringLiteral("_hidden"));
    QCOMPARE(safeName("-rf"), QStringLiteral("_rf"));
    QCOMPARE(safeName(QString()), QStringLiteral("_"));
    QCOMPARE(safeName(QStringLiteral("Größe")), QStringLiteral("Größe"));
    QCOMPARE(safeName(QString(300, QLatin1Char('x'))).size(), DiagramFiles::MaxNameLength);
}

void TestDiagramExport::entriesFollowTheTree()
{
    const QList<DiagramEntry> entries = DiagramFiles::entries(m_project->canvases());
    QStringList paths, stems;
    for (const DiagramEntry &e : entries) {
        paths << e.path;
        stems << e.fileStem;
        QCOMPARE(e.canvas->name(), e.path.section(QLatin1Char('/'), -1));
    }
    const QString mc = QStringLiteral("Example_1/Motor Controller/Microcontroller");
    QCOMPARE(paths, QStringList({"Example_1", "Example_1/Motor Controller", mc, mc + "/Drive",
                                 mc + "/Drive/SpeedControl", mc + "/Drive/FaultMonitor",
                                 mc + "/Communication", mc + "/Communication/CommandParser"}));
    QCOMPARE(stems.at(2), QStringLiteral("Example_1/Motor_Controller/Microcontroller"));
    QCOMPARE(stems.at(4), QStringLiteral("Example_1/Motor_Controller/Microcontroller/Drive/SpeedControl"));
    QVERIFY(DiagramFiles::entries({}).isEmpty());
}

void TestDiagramExport::siblingsWithClashingNamesGetNumbers()
{
    ProjectDocument doc = MachineProject::skeleton("Demo", "a b");
    CanvasBlock twin = doc.blocks.at(3);
    twin.process.label = "a_b";
    twin.process.id = 2;
    CanvasBlock third = doc.blocks.at(3);
    third.process.label = "A.B";
    third.process.id = 3;
    doc.blocks << twin << third;
    for (int i = 3; i < doc.blocks.size(); ++i)
        doc.blocks[i].process.nos = 3;
    doc.treeText = treeTextFromBlocks(doc);
    OpenProject project;
    QVERIFY2(project.open(doc), qPrintable(project.error()));
    QStringList stems;
    for (const DiagramEntry &e : DiagramFiles::entries(project.canvases()))
        stems << e.fileStem.section(QLatin1Char('/'), -1);
    QCOMPARE(stems.mid(4), QStringList({"a_b", "a_b_2", "A_B_3"}));
}

void TestDiagramExport::findTakesPathsAndFileNames()
{
    const QList<DiagramEntry> entries = DiagramFiles::entries(m_project->canvases());
    const QString stem = QStringLiteral("Example_1/Motor_Controller/Microcontroller/Drive");
    for (const QString &path : {QStringLiteral("Example_1/Motor Controller/Microcontroller/Drive"), stem,
                                QString("/" + stem + "/"), QString(stem + ".svg"), QString(stem + ".PNG")}) {
        const DiagramEntry *found = DiagramFiles::find(entries, path);
        QVERIFY2(found, qPrintable(path));
        QCOMPARE(found->canvas, canvas("Drive"));
    }
    QVERIFY(!DiagramFiles::find(entries, "Example_1/Drive"));
    QVERIFY(!DiagramFiles::find(entries, stem + ".txt"));
    // A diagram's own name, also as a module name with underscores.
    QCOMPARE(DiagramFiles::find(entries, "SpeedControl")->canvas, canvas("SpeedControl"));
    QCOMPARE(DiagramFiles::find(entries, "Motor_Controller")->canvas, canvas("Motor Controller"));
    QVERIFY(!DiagramFiles::find(entries, "Speed"));
}

void TestDiagramExport::areaHoldsTheItemsPlusAMargin()
{
    QCOMPARE(pictureArea({}, 20), QRectF(0, 0, 40, 40));
    QCOMPARE(pictureArea({QRectF(100, 50, 10, 10), QRectF(300, 400, 20, 20)}, 20),
             QRectF(80, 30, 260, 410));
    QCOMPARE(fittedRect(QSizeF(200, 100), QRectF(0, 0, 100, 100)), QRectF(0, 25, 100, 50));

    // The title in the corner is an editor helper, not part of the
    // picture; an interface tag is, however far away.
    Canvas *machine = canvas("SpeedControl");
    QRectF states;
    for (StateItem *s : machine->states())
        states |= s->sceneBoundingRect();
    const qreal m = DiagramPicture::Margin;
    const QRectF area = areaOf(machine);
    QVERIFY(area.contains(states.adjusted(-m, -m, m, m)));
    QVERIFY(area.left() > 0 || area.top() > 0);
    QVERIFY(area.right() < 3000);
    QVERIFY(area.bottom() < 3000);
    machine->addFloatingLink("far away", true)->setPos(3000, 3000);
    QVERIFY(areaOf(machine).bottom() > 3000);
    machine->removeFloatingLinks();
}

void TestDiagramExport::pngShowsTheStatesAtScale()
{
    Canvas *machine = canvas("SpeedControl");
    const QRectF area = areaOf(machine);
    for (int scale : {1, 3}) {
        ExportOptions options;
        options.format = ExportOptions::Format::Png;
        options.scale = scale;
        QString error;
        const QByteArray bytes = DiagramRender::png(machine, options, &error);
        QVERIFY2(!bytes.isEmpty(), qPrintable(error));
        QImage image;
        QVERIFY(image.loadFromData(bytes, "PNG"));
        QCOMPARE(image.size(), QSize(int(std::ceil(area.width() * scale)), int(std::ceil(area.height() * scale))));
        QCOMPARE(image.pixelColor(1, 1), QColor(Qt::white));
        for (StateItem *state : machine->states()) {
            const QRectF box = state->sceneBoundingRect().translated(-area.topLeft());
            const QRect inner = QRectF(box.topLeft() * scale, box.size() * scale).toRect().adjusted(8, 8, -8, -8);
            QVERIFY2(colourShare(image, inner, state->backgroundColour()) > 0.5, qPrintable(state->label()));
        }
    }
    ExportOptions transparent;
    transparent.transparent = true;
    QCOMPARE(DiagramRender::image(machine, transparent).pixelColor(1, 1).alpha(), 0);
}

void TestDiagramExport::itemsAreDrawnAsTheSceneDrawsThem()
{
    // The picture draws the items itself (without a painter state saved
    // around each); the pixels must be those of the scene's own render().
    for (Canvas *canvas : m_project->canvases()) {
        const DiagramPicture picture(canvas);
        const QSize size = picture.area().size().toSize() * 2;
        QImage own(size, QImage::Format_ARGB32_Premultiplied);
        own.fill(Qt::white);
        QImage scene = own;
        {
            QPainter painter(&own);
            picture.paint(&painter, QRectF(QPointF(0, 0), size));
        }
        {
            QPainter painter(&scene);
            painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
            QFont font = QGuiApplication::font();
            font.setPixelSize(qRound(font.pointSizeF() * 96 / 72.0));
            painter.setFont(font);
            canvas->render(&painter, QRectF(QPointF(0, 0), size), picture.area());
        }
        int differing = 0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const QColor a = own.pixelColor(x, y), b = scene.pixelColor(x, y);
                differing += qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) > 24;
            }
        }
        QVERIFY2(differing <= size.width() * size.height() / 1000,
                 qPrintable(canvas->name() + ": " + QString::number(differing) + " pixels differ"));
    }
}

void TestDiagramExport::tooLargeAPngIsRefused()
{
    ProjectDocument doc = MachineProject::skeleton("Demo", "Wide");
    StateRecord near = MachineProject::item<StateRecord>(6, "Near");
    near.width = 280;
    near.height = 150;
    near.polygon = {QPointF(0, 0), QPointF(280, 0), QPointF(280, 150), QPointF(0, 150), QPointF(0, 0)};
    StateRecord far = near;
    far.label = "Far";
    far.xCoord = 9000;
    doc.blocks[3].states << near << far;
    OpenProject project;
    QVERIFY2(project.open(doc), qPrintable(project.error()));
    ExportOptions options;
    options.format = ExportOptions::Format::Png;
    options.scale = 4;
    QString error;
    QVERIFY2(DiagramRender::png(project.canvasNamed("Wide"), options, &error).isEmpty(),
             qPrintable(QString::number(areaOf(project.canvasNamed("Wide")).width())));
    QVERIFY2(error.contains("too large"), qPrintable(error));
    options.scale = 1;
    QVERIFY(!DiagramRender::png(project.canvasNamed("Wide"), options, &error).isEmpty());
}

void TestDiagramExport::svgHoldsTheLabelsAsTextAndIsDeterministic()
{
    for (const char *name : {"SpeedControl", "FaultMonitor", "CommandParser"}) {
        Canvas *machine = canvas(name);
        const QByteArray first = DiagramRender::svg({machine, name});
        const QStringList texts = svgTexts(first);
        QVERIFY2(!texts.isEmpty(), "not well-formed XML, or no text");
        for (StateItem *state : machine->states())
            QVERIFY2(texts.contains(state->label()), qPrintable(state->label()));
        for (TransitionItem *transition : machine->transitions())
            QVERIFY2(texts.join('\n').contains(transition->label()), qPrintable(transition->label()));
        QCOMPARE(DiagramRender::svg({machine, name}), first);
        // No shadow: it would come as an embedded image.
        QVERIFY(!first.contains("<image"));
    }
    // A project opened anew gives the same bytes too.
    const QByteArray before = DiagramRender::svg({canvas("Drive"), "Drive"});
    init();
    QCOMPARE(DiagramRender::svg({canvas("Drive"), "Drive"}), before);
}

// Pictures draw the states as the canvas does: the entry and exit lines
// of a state that has them, none for one that has not.
void TestDiagramExport::entryAndExitActionsAreDrawnInPictures()
{
    Canvas *machine = canvas("SpeedControl");
    const QString before = svgTexts(DiagramRender::svg({machine, "x"})).join('\n');
    QVERIFY(!before.contains(QStringLiteral("entry /")) && !before.contains(QStringLiteral("exit /")));
    StateItem *state = machine->states().first();
    state->setEntryAction(QStringLiteral("motor_on();"));
    state->setExitAction(QStringLiteral("motor_off();"));
    const QString after = svgTexts(DiagramRender::svg({machine, "x"})).join('\n');
    QVERIFY2(after.contains(QStringLiteral("entry / motor_on();")), qPrintable(after));
    QVERIFY2(after.contains(QStringLiteral("exit / motor_off();")), qPrintable(after));
    QCOMPARE(after.count(QStringLiteral("entry /")), 1);
}

void TestDiagramExport::pictureLeavesSelectionMarkShadowsAndProjectAsTheyWere()
{
    Canvas *machine = canvas("SpeedControl");
    const QByteArray plain = DiagramRender::svg({machine, "x"});
    QByteArray saved;
    {
        ProjectDocument doc;
        QVERIFY(m_project->snapshot(&doc));
        saved = projectBytes(doc);
    }

    StateItem *state = machine->states().first();
    TransitionItem *transition = machine->transitions().first();
    state->setSelected(true);
    transition->setSelected(true);
    machine->markItem(state);
    SimulationHighlighter highlight(machine);
    highlight.showActive(state, transition);
    highlight.setBreakpoints({state});
    QVERIFY(!highlight.overlayItems().isEmpty());
    QSignalSpy selection(machine, &QGraphicsScene::selectionChanged);
    QVERIFY(state->graphicsEffect() && state->graphicsEffect()->isEnabled());

    // Neither the selection, the mark nor the simulation shows in the picture.
    QCOMPARE(DiagramRender::svg({machine, "x"}), plain);
    ExportOptions png;
    png.format = ExportOptions::Format::Png;
    QVERIFY(!DiagramRender::png(machine, png).isEmpty());
    QVERIFY(!DiagramRender::pdf({{machine, "x"}}, ExportOptions(), true, "p").isEmpty());

    QCOMPARE(selection.count(), 0);
    QVERIFY(state->isSelected());
    QVERIFY(transition->isSelected());
    QCOMPARE(machine->selectedItems().size(), 2);
    QCOMPARE(machine->markedItem(), static_cast<QGraphicsItem *>(state));
    QVERIFY(state->graphicsEffect()->isEnabled());
    QVERIFY(machine->titleItem()->isVisible());
    for (QGraphicsItem *overlay : highlight.overlayItems())
        QVERIFY(overlay->isVisible());
    highlight.removeAll();

    machine->clearSelection();
    machine->unmarkAll();
    ProjectDocument doc;
    QVERIFY(m_project->snapshot(&doc));
    QCOMPARE(projectBytes(doc), saved);
}

void TestDiagramExport::pdfHasOnePagePerDiagram()
{
    const QList<DiagramEntry> entries = DiagramFiles::entries(m_project->canvases());
    QList<DiagramRender::Page> pages;
    for (const DiagramEntry &e : entries)
        pages << DiagramRender::Page{e.canvas, e.path};
    for (ExportOptions::Page fit : {ExportOptions::Page::FitItems, ExportOptions::Page::Paper}) {
        ExportOptions options;
        options.page = fit;
        const QByteArray book = DiagramRender::pdf(pages, options, true, "Example_1");
        QVERIFY(book.startsWith("%PDF"));
        QCOMPARE(pdfPageCount(book), entries.size());
        QCOMPARE(pdfPageCount(DiagramRender::pdf({pages.at(4)}, options, false, "Example_1")), 1);
    }
    // A page fitted to the items has the picture's size, in points.
    const QByteArray fitted = DiagramRender::pdf({pages.at(4)}, ExportOptions(), false, QString());
    const QRegularExpression box(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
    const QRegularExpressionMatch m = box.match(QString::fromLatin1(fitted.constData(), fitted.size()));
    QVERIFY(m.hasMatch());
    const QRectF area = areaOf(pages.at(4).canvas);
    QVERIFY(qAbs(m.captured(1).toDouble() - area.width() * 0.75) < 2);
    QVERIFY(qAbs(m.captured(2).toDouble() - area.height() * 0.75) < 2);
}

void TestDiagramExport::writeEachNamesFilesByPath()
{
    QTemporaryDir dir;
    const QList<DiagramEntry> entries = DiagramFiles::entries(m_project->canvases());
    for (ExportOptions::Format format : {ExportOptions::Format::Svg, ExportOptions::Format::Png,
                                         ExportOptions::Format::Pdf}) {
        ExportOptions options;
        options.format = format;
        const DiagramFiles::Result result = DiagramFiles::writeEach(entries, dir.path(), options);
        QVERIFY2(result.ok(), qPrintable(result.errors.join('\n')));
        QCOMPARE(result.written.size(), entries.size());
        const QString suffix = "." + ExportOptions::suffix(format);
        for (const DiagramEntry &e : entries) {
            const QString path = dir.filePath(e.fileStem + suffix);
            QVERIFY2(result.written.contains(path), qPrintable(path));
            QVERIFY(QFileInfo(path).size() > 0);
        }
    }
    QVERIFY(QFile::exists(dir.filePath("Example_1/Motor_Controller/Microcontroller.svg")));
    QVERIFY(QFile::exists(dir.filePath("Example_1/Motor_Controller/Microcontroller/Drive/SpeedControl.png")));

    QString error;
    const QString book = dir.filePath("all.pdf");
    QVERIFY2(DiagramFiles::writeBook(entries, book, ExportOptions(), "Example_1", &error), qPrintable(error));
    QCOMPARE(pdfPageCount(fileBytes(book)), entries.size());
}

void TestDiagramExport::writeEachReportsFilesItCannotWrite()
{
    QTemporaryDir dir;
    // A file where the project's folder would go: nothing below it can be
    // written, whoever runs the test.
    QFile blocker(dir.filePath("Example_1"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QList<DiagramEntry> entries = DiagramFiles::entries(m_project->canvases());
    const DiagramFiles::Result result = DiagramFiles::writeEach(entries, dir.path(), ExportOptions());
    QVERIFY(!result.ok());
    // Only the project's own diagram (Example_1.svg) lies outside it.
    QCOMPARE(result.written, QStringList({dir.filePath("Example_1.svg")}));
    QCOMPARE(result.errors.size(), entries.size() - 1);
    QVERIFY2(result.errors.first().contains("Motor_Controller.svg"), qPrintable(result.errors.first()));

    QString error;
    QVERIFY(!DiagramFiles::writeOne(entries.at(3), dir.filePath("Example_1/x.svg"), ExportOptions(), &error));
    QVERIFY(!error.isEmpty());
}

QTEST_MAIN(TestDiagramExport)
#include "tst_diagramexport.moc"
