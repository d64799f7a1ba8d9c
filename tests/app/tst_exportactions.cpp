#include "Canvas.h"
#include "DiagramPicture.h"
#include "ExampleProject.h"
#include "ExportActions.h"
#include "ExportOptionsDialog.h"
#include "MainWindow.h"
#include "Project.h"
#include "PdfPages.h"
#include "ProjectActions.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "ViewDriver.h"
#include "WindowProjectFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSpinBox>
#include <QStatusBar>
#include <QUndoStack>
#include <QtTest>

#include <cmath>
#include <memory>

// The File menu's Export Diagram, Export All Diagrams, Print and Print
// Preview on the example project in a shown window: what they write, what
// they ask, what they report, and that they change nothing in the project.
using namespace WindowProjectFixture;

namespace {

const QStringList SpeedControl = {"Motor Controller", "Microcontroller", "Drive", "SpeedControl"};

} // namespace

class TestExportActions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup();
    void menuEntriesFollowTheProject();
    void optionsDialogOffersWhatTheFormatUses();
    void exportDiagramWritesTheShownDiagramAndChangesNothing();
    void cancelledDialogsWriteNothing();
    void exportAllAsksBeforeReplacing();
    void exportAllAsOnePdf();
    void exportReplacesLinksNeverTheirTargets();
    void exportFailureIsReported();
    void printAndPreviewShowOnePage();

private:
    // Answers the options dialog with `format` (and the one-PDF box).
    void chooseFormat(ExportOptions::Format format, bool onePdf = false, int scale = 1);
    Canvas *showSpeedControl();

    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<QTemporaryDir> m_dir;
    int m_dialogs = 0;
};

void TestExportActions::init()
{
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_window = std::make_unique<MainWindow>();
    m_window->resize(1500, 1000);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(openDocument(*m_window, ExampleProject::document(), m_dir->filePath("Example_1.qsmd")));
    m_dialogs = 0;
}

void TestExportActions::cleanup()
{
    m_window->project()->markSaved();
    m_window.reset();
    m_prompter.reset();
    m_dir.reset();
}

void TestExportActions::chooseFormat(ExportOptions::Format format, bool onePdf, int scale)
{
    m_window->exportActions()->setDialogRunner([=](QDialog *dialog) {
        ++m_dialogs;
        auto *options = qobject_cast<ExportOptionsDialog *>(dialog);
        if (!options)
            return int(QDialog::Rejected);
        ExportOptions chosen;
        chosen.format = format;
        chosen.scale = scale;
        options->setOptions(chosen);
        options->onePdfBox()->setChecked(onePdf);
        return int(QDialog::Accepted);
    });
}

Canvas *TestExportActions::showSpeedControl()
{
    doubleClickNode(*m_window, nodeIndex(*m_window, SpeedControl));
    return m_window->project()->shownCanvas();
}

void TestExportActions::menuEntriesFollowTheProject()
{
    const QList<const char *> names = {"actionExport_Diagram", "actionExport_All_Diagrams", "actionPrint",
                                       "actionPrint_Preview"};
    const QStringList texts = {"Export Diagram...", "Export All Diagrams...", "Print...", "Print Preview..."};
    auto *file = m_window->findChild<QMenu *>("menuFile");
    for (int i = 0; i < names.size(); ++i) {
        QAction *a = action(*m_window, names.at(i));
        QVERIFY2(a, names.at(i));
        QCOMPARE(a->text(), texts.at(i));
        QVERIFY(file->actions().contains(a));
        QVERIFY2(a->isEnabled(), names.at(i));
    }
    QCOMPARE(action(*m_window, "actionExport_Diagram")->shortcut(), QKeySequence("Ctrl+E"));
    QVERIFY(showSpeedControl());
    for (const char *name : names)
        QVERIFY2(action(*m_window, name)->isEnabled(), name);
    action(*m_window, "actionClose_Project")->trigger();
    for (const char *name : names)
        QVERIFY2(!action(*m_window, name)->isEnabled(), name);
}

void TestExportActions::optionsDialogOffersWhatTheFormatUses()
{
    ExportOptionsDialog dialog;
    dialog.prepare(false);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Export Diagram"));
    dialog.formatBox()->setCurrentIndex(1);   // PNG
    QVERIFY(dialog.scaleBox()->isEnabled());
    QVERIFY(dialog.backgroundBox()->isEnabled());
    QVERIFY(!dialog.pageBox()->isEnabled());
    QCOMPARE(dialog.scaleBox()->minimum(), 1);
    QCOMPARE(dialog.scaleBox()->maximum(), 4);
    QVERIFY(dialog.onePdfBox()->isHidden());
    dialog.formatBox()->setCurrentIndex(2);   // PDF
    QVERIFY(!dialog.scaleBox()->isEnabled());
    QVERIFY(dialog.pageBox()->isEnabled());
    dialog.onePdfBox()->setChecked(true);
    QVERIFY2(!dialog.onePdf(), "Export Diagram writes one diagram");

    dialog.prepare(true);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Export All Diagrams"));
    QVERIFY(!dialog.onePdfBox()->isHidden());
    QVERIFY(dialog.onePdf());
    dialog.formatBox()->setCurrentIndex(0);
    QVERIFY(!dialog.onePdfBox()->isEnabled());
    QVERIFY(!dialog.onePdf());

    ExportOptions options;
    options.format = ExportOptions::Format::Pdf;
    options.scale = 3;
    options.transparent = true;
    options.page = ExportOptions::Page::Paper;
    options.paper = QPageSize::Letter;
    dialog.setOptions(options);
    const ExportOptions back = dialog.options();
    QCOMPARE(back.format, options.format);
    QCOMPARE(back.scale, 3);
    QVERIFY(back.transparent);
    QCOMPARE(back.page, ExportOptions::Page::Paper);
    QCOMPARE(back.paper, QPageSize::Letter);
    options.page = ExportOptions::Page::FitItems;
    dialog.setOptions(options);
    QCOMPARE(dialog.options().page, ExportOptions::Page::FitItems);
}

void TestExportActions::exportDiagramWritesTheShownDiagramAndChangesNothing()
{
    Canvas *machine = showSpeedControl();
    QVERIFY(machine);
    StateItem *state = machine->states().at(1);
    ViewDriver driver(m_window.get());
    driver.click(ViewDriver::centreOf(state));
    QCOMPARE(machine->selectedItems(), QList<QGraphicsItem *>({state}));
    QCOMPARE(machine->markedItem(), static_cast<QGraphicsItem *>(state));
    m_window->project()->markSaved();
    const int undoSteps = machine->undoStack()->count();

    chooseFormat(ExportOptions::Format::Png, false, 2);
    m_prompter->saveAnswers << m_dir->filePath("speed");
    action(*m_window, "actionExport_Diagram")->trigger();

    QCOMPARE(m_dialogs, 1);
    const FileRequest request = m_prompter->fileRequests.last();
    QCOMPARE(request.caption, QStringLiteral("Export Diagram"));
    QVERIFY2(request.directory.endsWith("/SpeedControl.png"), qPrintable(request.directory));
    QVERIFY(request.filter.contains("*.png"));
    const QImage image(m_dir->filePath("speed.png"));
    QVERIFY(!image.isNull());
    QRectF area;
    {
        const DiagramPicture picture(machine);
        area = picture.area();
    }
    QCOMPARE(image.size(), QSize(int(std::ceil(area.width() * 2)), int(std::ceil(area.height() * 2))));
    QVERIFY2(m_window->statusBar()->currentMessage().startsWith("Diagram exported to"),
             qPrintable(m_window->statusBar()->currentMessage()));
    QVERIFY(m_prompter->messages.isEmpty());

    QVERIFY(!m_window->project()->isModified());
    QCOMPARE(machine->selectedItems(), QList<QGraphicsItem *>({state}));
    QCOMPARE(machine->markedItem(), static_cast<QGraphicsItem *>(state));
    QCOMPARE(machine->undoStack()->count(), undoSteps);
    QCOMPARE(m_window->project()->shownCanvas(), machine);
}

void TestExportActions::cancelledDialogsWriteNothing()
{
    QVERIFY(showSpeedControl());
    m_window->exportActions()->setDialogRunner([this](QDialog *) {
        ++m_dialogs;
        return int(QDialog::Rejected);
    });
    action(*m_window, "actionExport_Diagram")->trigger();
    action(*m_window, "actionExport_All_Diagrams")->trigger();
    QCOMPARE(m_dialogs, 2);
    QVERIFY(m_prompter->fileRequests.isEmpty());

    // A cancelled file dialog writes nothing either.
    chooseFormat(ExportOptions::Format::Svg);
    action(*m_window, "actionExport_Diagram")->trigger();
    action(*m_window, "actionExport_All_Diagrams")->trigger();
    QCOMPARE(m_prompter->fileRequests.size(), 2);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList({"Example_1.qsmd"}));
}

void TestExportActions::exportAllAsksBeforeReplacing()
{
    QTemporaryDir out;
    chooseFormat(ExportOptions::Format::Svg);
    m_prompter->directoryAnswers << out.path();
    action(*m_window, "actionExport_All_Diagrams")->trigger();
    const QString speed = out.filePath("Example_1/Motor_Controller/Microcontroller/Drive/SpeedControl.svg");
    QVERIFY(fileBytes(speed).contains("Accelerating"));
    QVERIFY(QFile::exists(out.filePath("Example_1.svg")));
    QCOMPARE(m_window->statusBar()->currentMessage(),
             QStringLiteral("8 diagrams exported to %1").arg(QDir::toNativeSeparators(out.path())));
    QVERIFY(m_prompter->messages.isEmpty());

    QFile old(speed);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    m_prompter->directoryAnswers << out.path();
    m_prompter->messageAnswers << QMessageBox::No;
    action(*m_window, "actionExport_All_Diagrams")->trigger();
    QCOMPARE(m_prompter->messages.size(), 1);
    QCOMPARE(m_prompter->messages.last().text,
             QStringLiteral("8 of the files already exist in %1.").arg(QDir::toNativeSeparators(out.path())));
    QCOMPARE(m_prompter->messages.last().defaultButton, QMessageBox::No);
    QCOMPARE(fileBytes(speed), QByteArray("old"));

    m_prompter->directoryAnswers << out.path();
    m_prompter->messageAnswers << QMessageBox::Yes;
    action(*m_window, "actionExport_All_Diagrams")->trigger();
    QVERIFY(fileBytes(speed).contains("Accelerating"));
    QVERIFY(!m_window->project()->isModified());
}

void TestExportActions::exportReplacesLinksNeverTheirTargets()
{
    QTemporaryDir out;
    QTemporaryDir elsewhere;
    chooseFormat(ExportOptions::Format::Svg);
    const QString top = out.filePath("Example_1.svg");
    const QString planted = elsewhere.filePath("planted.svg");   // dangling
    QVERIFY(QFile::link(planted, top));
    // Only the link is there: it is asked about, and No writes nothing.
    m_prompter->directoryAnswers << out.path();
    m_prompter->messageAnswers << QMessageBox::No;
    action(*m_window, "actionExport_All_Diagrams")->trigger();
    QCOMPARE(m_prompter->messages.size(), 1);
    QCOMPARE(m_prompter->messages.last().text, QStringLiteral("%1 already exists.").arg(QDir::toNativeSeparators(top)));
    QVERIFY(!QFileInfo::exists(planted));

    m_prompter->directoryAnswers << out.path();
    m_prompter->messageAnswers << QMessageBox::Yes;
    action(*m_window, "actionExport_All_Diagrams")->trigger();
    QVERIFY(!QFileInfo::exists(planted));
    QVERIFY(!QFileInfo(top).isSymLink());
    QVERIFY(fileBytes(top).startsWith("<?xml"));
}

void TestExportActions::exportAllAsOnePdf()
{
    chooseFormat(ExportOptions::Format::Pdf, true);
    m_prompter->saveAnswers << m_dir->filePath("book");
    action(*m_window, "actionExport_All_Diagrams")->trigger();
    QVERIFY2(m_prompter->fileRequests.last().directory.endsWith("/Example_1.pdf"),
             qPrintable(m_prompter->fileRequests.last().directory));
    const QByteArray pdf = fileBytes(m_dir->filePath("book.pdf"));
    QVERIFY(pdf.startsWith("%PDF"));
    QCOMPARE(pdfPageCount(pdf), 8);
    QVERIFY(!m_window->project()->isModified());
}

void TestExportActions::exportFailureIsReported()
{
    QTemporaryDir out;
    QFile blocker(out.filePath("Example_1"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    chooseFormat(ExportOptions::Format::Svg);
    m_prompter->directoryAnswers << out.path();
    m_window->statusBar()->clearMessage();
    action(*m_window, "actionExport_All_Diagrams")->trigger();
    QCOMPARE(m_prompter->messages.size(), 1);
    const MessageRequest report = m_prompter->messages.last();
    QCOMPARE(report.title, QStringLiteral("Kestro"));
    QCOMPARE(report.icon, QMessageBox::Critical);
    QCOMPARE(report.text, QStringLiteral("7 of 8 diagrams could not be exported."));
    QVERIFY2(report.informativeText.contains("Motor_Controller.svg"), qPrintable(report.informativeText));
    QVERIFY(m_window->statusBar()->currentMessage().isEmpty());

    // One diagram into a folder that cannot be made.
    QVERIFY(showSpeedControl());
    m_prompter->saveAnswers << out.filePath("Example_1/speed.svg");
    action(*m_window, "actionExport_Diagram")->trigger();
    QCOMPARE(m_prompter->messages.size(), 2);
    QCOMPARE(m_prompter->messages.last().text, QStringLiteral("The diagram could not be exported."));
}

void TestExportActions::printAndPreviewShowOnePage()
{
    Canvas *machine = showSpeedControl();
    QVERIFY(machine);
    const QString pdf = m_dir->filePath("printed.pdf");
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    m_window->exportActions()->setDialogRunner([&](QDialog *dialog) {
        auto *print = qobject_cast<QPrintDialog *>(dialog);
        if (!print)
            return int(QDialog::Rejected);
        orientation = print->printer()->pageLayout().orientation();
        print->printer()->setOutputFormat(QPrinter::PdfFormat);
        print->printer()->setOutputFileName(pdf);
        return int(QDialog::Accepted);
    });
    action(*m_window, "actionPrint")->trigger();
    QCOMPARE(pdfPageCount(fileBytes(pdf)), 1);
    // The example's machine is wider than tall.
    QCOMPARE(orientation, QPageLayout::Landscape);

    int pages = -1;
    m_window->exportActions()->setDialogRunner([&](QDialog *dialog) {
        if (auto *preview = dialog->findChild<QPrintPreviewWidget *>()) {
            preview->updatePreview();
            pages = preview->pageCount();
        }
        return int(QDialog::Rejected);
    });
    action(*m_window, "actionPrint_Preview")->trigger();
    QCOMPARE(pages, 1);
    QVERIFY(m_prompter->messages.isEmpty());
    QVERIFY(!m_window->project()->isModified());
    QCOMPARE(m_window->project()->shownCanvas(), machine);
}

QTEST_MAIN(TestExportActions)
#include "tst_exportactions.moc"
