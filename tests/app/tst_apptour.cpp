#include "AppTour.h"
#include "Canvas.h"
#include "DefaultProject.h"
#include "FirstStart.h"
#include "HelpActions.h"
#include "LinkItem.h"
#include "MainWindow.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectActions.h"
#include "ProjectFileWriter.h"
#include "ScriptedPrompter.h"
#include "StateItem.h"
#include "TextItem.h"
#include "ToolSets.h"
#include "TourBox.h"
#include "TourSteps.h"
#include "TourText.h"
#include "TransitionItem.h"

#include <QDockWidget>
#include <QGraphicsView>
#include <QMenuBar>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// What Close Project leaves in the status bar, in place of the tour's text.
const QString kBlankState = QStringLiteral("No project is open. Create one with File > New or open one with File > Open.");

PolygonPoints rectangle(double w, double h)
{
    return {QPointF(0, 0), QPointF(w, 0), QPointF(w, h), QPointF(0, h), QPointF(0, 0)};
}

// A new project with a second software module linked to the first on the
// microcontroller's diagram (the third diagram) and a text item on the
// state machine (the fifth), but no memory item anywhere.
ProjectDocument sampleWithoutMemory()
{
    ProjectDocument doc = DefaultProject::document(QStringLiteral("Tour_Sample"));
    CanvasBlock second;
    second.process = doc.blocks[2].process;
    second.process.label = QStringLiteral("Software Module 2");
    second.process.id = 2;
    second.process.xCoord = 900;
    doc.blocks[2].process.nos = 2;
    second.process.nos = 2;
    doc.blocks.append(second);

    LinkRecord link;
    link.level = 4;
    link.parentId = 1;
    link.grandParentId = 1;
    link.xCoord = 650;
    link.yCoord = 380;
    link.label = QStringLiteral("command");
    link.datatype = QStringLiteral("function call");
    link.startItem = QStringLiteral("Software Module");
    link.endItem = QStringLiteral("Software Module 2");
    link.backgroundColour = QStringLiteral("#aed6f1");
    link.polygon = rectangle(120, 24);
    doc.blocks[1].links.append(link);

    TextRecord text;
    text.level = 6;
    text.parentId = 1;
    text.grandParentId = 1;
    text.xCoord = 200;
    text.yCoord = 700;
    text.width = 200;
    text.height = 60;
    text.backgroundColour = QStringLiteral("#ffffff");
    text.textColour = QStringLiteral("#000000");
    text.polygon = rectangle(200, 60);
    text.action = QStringLiteral("#define LIMIT 10");
    doc.blocks[3].texts.append(text);

    doc.treeText = treeTextFromBlocks(doc);
    return doc;
}

// A temporary working directory with an "Examples" folder; the previous
// working directory comes back when it goes.
class ExamplesFolder
{
public:
    ExamplesFolder() : m_previous(QDir::currentPath())
    {
        QDir(m_dir.path()).mkdir(QStringLiteral("Examples"));
        QDir::setCurrent(m_dir.path());
    }
    ~ExamplesFolder() { QDir::setCurrent(m_previous); }

    QString examplePath(const QString &name = QStringLiteral("Example_1.qsmd")) const
    {
        return QDir(m_dir.path()).filePath(QStringLiteral("Examples/") + name);
    }
    bool writeSample(const ProjectDocument &doc)
    {
        ProjectFileWriter writer;
        return writer.write(doc, examplePath());
    }
    bool copyShippedSample()
    {
        return QFile::copy(QStringLiteral(KESTRO_SOURCE_DIR "/Examples/Example_1.qsmd"), examplePath());
    }
    bool writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(examplePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

AppTour *tourOf(MainWindow &w) { return w.findChild<AppTour *>(); }

QString shownText(MainWindow &w)
{
    return tourOf(w)->tourBox()->tourText()->toPlainText();
}

QGraphicsView *viewOf(MainWindow &w) { return w.findChild<QGraphicsView *>(QStringLiteral("graphicsView")); }

// Where the box must sit to point at an item: the item's position mapped
// into the window plus its width, at scale 1.
QPoint besideItem(MainWindow &w, QGraphicsItem *item, int width)
{
    QGraphicsView *view = viewOf(w);
    return view->viewport()->mapTo(&w, view->mapFromScene(item->scenePos())) + QPoint(width, 0);
}

// The visible part of the canvas, in the window's coordinates.
QRect viewRect(MainWindow &w)
{
    QWidget *viewport = viewOf(w)->viewport();
    return QRect(viewport->mapTo(&w, QPoint(0, 0)), viewport->size());
}

// The box of `step` lies inside the window; a box pointing at a diagram
// element lies inside the view, the browser's box within the view's height.
bool checkBoxInside(MainWindow &w, int step)
{
    const QRect box = tourOf(w)->tourBox()->geometry();
    const QRect view = viewRect(w);
    const QString where = QStringLiteral("step %1: box %2,%3 %4x%5, view %6,%7 %8x%9, window %10x%11")
                              .arg(step).arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height())
                              .arg(view.x()).arg(view.y()).arg(view.width()).arg(view.height())
                              .arg(w.width()).arg(w.height());
    if (!w.rect().contains(box)) {
        qWarning("%s: outside the window", qPrintable(where));
        return false;
    }
    const bool pointsAtItem = step >= TourSteps::ProcessItemStep && step <= TourSteps::TextItemStep;
    if (pointsAtItem && !view.contains(box)) {
        qWarning("%s: outside the view", qPrintable(where));
        return false;
    }
    if (step == TourSteps::ProjectBrowserStep && (box.top() < view.top() || box.bottom() > view.bottom())) {
        qWarning("%s: beyond the view's height", qPrintable(where));
        return false;
    }
    return true;
}

void clickNext(MainWindow &w)
{
    tourOf(w)->tourBox()->tourText()->footerLinkClicked(QUrl(QStringLiteral("next")));
}

} // namespace

// The app tour as the main window runs it on a sample project.
class TestAppTour : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> makeWindow()
    {
        auto w = std::make_unique<MainWindow>();
        w->resize(1400, 900);
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            qWarning("window not exposed");
        return w;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        HelpActions::setAutomaticChecks(false);
    }

    void noProjectOpensTheSampleAtOnce()
    {
        ExamplesFolder folder;
        QVERIFY(folder.writeSample(sampleWithoutMemory()));
        ScriptedPrompter prompter;
        auto w = makeWindow();

        w->on_actionAppTour_triggered();
        QCOMPARE(prompter.messages.size(), 0);
        QCOMPARE(w->project()->canvases().size(), 6);
        AppTour *tour = tourOf(*w);
        QCOMPARE(tour->tourStep(), 1);
        QVERIFY(!tour->tourBox()->isHidden());
        QVERIFY(shownText(*w).contains(QStringLiteral("Project Browser")));
        // As high as its text, on the very first showing too.
        QVERIFY(tour->tourBox()->height() > 60);
        QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("App Tour in progress.."));
        QCOMPARE(w->toolContext(), ToolSets::Tour);
        // Touring changes nothing: the sample counts as unmodified.
        QVERIFY(!w->project()->isModified());

        // Beside the project browser, 100 pixels below its top.
        const QRect browser = w->findChild<QDockWidget *>(QStringLiteral("dockWidget"))->geometry();
        QCOMPARE(tour->tourBox()->pos(), QPoint(browser.width(), browser.top() + 100));
    }

    // Every step on a project without memory items: the Transition step's
    // Next skips to the Text step; the last Next closes the project.
    void nextWalksTheStepsAndSkipsMissingElements()
    {
        ExamplesFolder folder;
        QVERIFY(folder.writeSample(sampleWithoutMemory()));
        ScriptedPrompter prompter;
        auto w = makeWindow();
        w->on_actionAppTour_triggered();
        AppTour *tour = tourOf(*w);
        TourBox *box = tour->tourBox();

        clickNext(*w);   // the first node three levels down: the microcontroller
        QCOMPARE(tour->tourStep(), 2);
        Canvas *controller = w->project()->shownCanvas();
        QVERIFY(controller);
        QCOMPARE(controller->level(), 3);
        QVERIFY(shownText(*w).startsWith(QStringLiteral("Process Item")));
        ProcessItem *process = controller->processItems().first();
        QCOMPARE(box->pos(), besideItem(*w, process, process->width()));
        QCOMPARE(w->toolContext(), ToolSets::Tour);

        clickNext(*w);   // the link of the third diagram, 10 pixels higher
        QCOMPARE(tour->tourStep(), 3);
        QCOMPARE(w->project()->shownCanvas(), w->project()->canvases().at(2));
        LinkItem *link = w->project()->canvases().at(2)->links().first();
        QCOMPARE(box->pos(), besideItem(*w, link, link->width()) - QPoint(0, 10));
        QVERIFY(shownText(*w).startsWith(QStringLiteral("Link Item")));

        Canvas *machine = w->project()->canvases().at(4);
        clickNext(*w);
        QCOMPARE(tour->tourStep(), 4);
        QCOMPARE(w->project()->shownCanvas(), machine);
        StateItem *initial = machine->states().at(0)->isInitialState() ? machine->states().at(0)
                                                                       : machine->states().at(1);
        QCOMPARE(box->pos(), besideItem(*w, initial, initial->width()));
        QVERIFY(shownText(*w).startsWith(QStringLiteral("Initial State Item")));

        clickNext(*w);
        QCOMPARE(tour->tourStep(), 5);
        QVERIFY(shownText(*w).startsWith(QStringLiteral("State Item")));
        clickNext(*w);
        QCOMPARE(tour->tourStep(), 6);
        QVERIFY(shownText(*w).startsWith(QStringLiteral("Transition Item")));
        TransitionItem *transition = machine->transitions().first();
        QCOMPARE(box->pos(), besideItem(*w, transition, transition->width()));

        clickNext(*w);   // no memory item: straight on to the text item
        QCOMPARE(tour->tourStep(), 8);
        QVERIFY(shownText(*w).startsWith(QStringLiteral("Text Item")));
        TextItem *text = machine->textItems().first();
        QCOMPARE(box->pos(), besideItem(*w, text, text->width()));

        clickNext(*w);   // code generation, beside the Run menu's title
        QCOMPARE(tour->tourStep(), 9);
        QVERIFY(shownText(*w).startsWith(QStringLiteral("Code generation")));
        QMenuBar *bar = w->menuBar();
        const QRect run = bar->actionGeometry(w->findChild<QMenu *>(QStringLiteral("menuRun"))->menuAction());
        QCOMPARE(box->x(), bar->mapTo(w.get(), run.topRight()).x() + 1);
        QCOMPARE(w->toolContext(), ToolSets::Tour);

        clickNext(*w);   // the end
        QCOMPARE(tour->tourStep(), 0);
        QVERIFY(box->isHidden());
        QVERIFY(w->project()->canvases().isEmpty());
        QCOMPARE(w->toolContext(), ToolSets::NoProject);
        QCOMPARE(w->statusBar()->currentMessage(), kBlankState);
        QCOMPARE(prompter.messages.size(), 0);
    }

    void quitEndsTheTourAndClosesTheProject()
    {
        ExamplesFolder folder;
        QVERIFY(folder.writeSample(sampleWithoutMemory()));
        ScriptedPrompter prompter;
        auto w = makeWindow();
        w->on_actionAppTour_triggered();
        // Link texts count whatever their letter case.
        tourOf(*w)->tourBox()->tourText()->footerLinkClicked(QUrl(QStringLiteral("NEXT")));
        QCOMPARE(tourOf(*w)->tourStep(), 2);
        tourOf(*w)->tourBox()->tourText()->footerLinkClicked(QUrl(QStringLiteral("elsewhere")));
        QCOMPARE(tourOf(*w)->tourStep(), 2);

        tourOf(*w)->tourBox()->tourText()->footerLinkClicked(QUrl(QStringLiteral("Quit")));
        QCOMPARE(tourOf(*w)->tourStep(), 0);
        QVERIFY(tourOf(*w)->tourBox()->isHidden());
        QCOMPARE(w->statusBar()->currentMessage(), kBlankState);
        QVERIFY(w->project()->canvases().isEmpty());
        QCOMPARE(w->toolContext(), ToolSets::NoProject);
        QCOMPARE(prompter.messages.size(), 0);

        // The box is kept and shown again by the next tour, from the start.
        TourBox *box = tourOf(*w)->tourBox();
        w->on_actionAppTour_triggered();
        QCOMPARE(tourOf(*w)->tourBox(), box);
        QVERIFY(!box->isHidden());
        QCOMPARE(tourOf(*w)->tourStep(), 1);

        // Closing the project under the tour ends the tour at once: no box
        // is left over the home screen.
        clickNext(*w);
        w->on_actionClose_Project_triggered();
        QVERIFY(box->isHidden());
        QVERIFY(!tourOf(*w)->isRunning());
        QCOMPARE(tourOf(*w)->tourStep(), 0);
        QCOMPARE(w->toolContext(), ToolSets::NoProject);
        QCOMPARE(w->statusBar()->currentMessage(), kBlankState);
        QCOMPARE(prompter.messages.size(), 0);
    }

    // Ending the tour leaves the user where they were: in the sample when
    // it was open before the tour (as named on the command line), back in
    // the project the tour replaced otherwise.
    void endingTheTourReturnsToWhereTheUserWas()
    {
        ExamplesFolder folder;
        QVERIFY(folder.writeSample(sampleWithoutMemory()));
        ScriptedPrompter prompter;
        auto w = makeWindow();
        w->openFromCommandLine(folder.examplePath());
        QVERIFY(w->project()->isOpen());
        w->on_actionAppTour_triggered();
        QVERIFY(tourOf(*w)->isRunning());
        tourOf(*w)->tourBox()->tourText()->footerLinkClicked(QUrl(QStringLiteral("Quit")));
        QVERIFY(!tourOf(*w)->isRunning());
        QCOMPARE(w->projectActions()->projectPath(), folder.examplePath());
        QCOMPARE(w->toolContext(), 1);

        // Another project: the tour asks to replace it and opens it again at the end.
        QTemporaryDir dir;
        const QString own = dir.filePath(QStringLiteral("Own.qsmd"));
        QVERIFY(ProjectFileWriter().write(DefaultProject::document(QStringLiteral("Own")), own));
        w->openFromCommandLine(own);
        QCOMPARE(w->projectActions()->projectPath(), own);
        prompter.messageAnswers << QMessageBox::Yes;
        w->on_actionAppTour_triggered();
        QVERIFY(tourOf(*w)->isRunning());
        QCOMPARE(w->projectActions()->projectPath(), folder.examplePath());
        tourOf(*w)->tourBox()->tourText()->footerLinkClicked(QUrl(QStringLiteral("Quit")));
        QCOMPARE(w->projectActions()->projectPath(), own);
        QVERIFY(w->project()->isOpen());
        QCOMPARE(w->toolContext(), 1);
    }

    // Cancelling the close at the end keeps the project, and its tools.
    void quitWithCancelledCloseKeepsTheProjectUsable()
    {
        ExamplesFolder folder;
        QVERIFY(folder.writeSample(sampleWithoutMemory()));
        ScriptedPrompter prompter;
        auto w = makeWindow();
        w->on_actionAppTour_triggered();
        w->project()->markModified();
        prompter.messageAnswers << QMessageBox::Cancel;
        w->tourQuitLinkClicked();
        QCOMPARE(prompter.messages.size(), 1);
        QCOMPARE(prompter.messages.first().text, QStringLiteral("Project has been modified."));
        QCOMPARE(w->project()->canvases().size(), 6);
        QCOMPARE(tourOf(*w)->tourStep(), 0);
        QCOMPARE(w->toolContext(), w->project()->shownCanvas()->level());
    }

    void openProjectIsOnlyReplacedAfterYes()
    {
        ExamplesFolder folder;
        QVERIFY(folder.writeSample(sampleWithoutMemory()));
        ScriptedPrompter prompter;
        auto w = makeWindow();
        Canvas *own = w->project()->createCanvas({1, 1, 1, 1, 1, QStringLiteral("Mine")});
        w->project()->showCanvas(own);
        w->applyToolSet(1);

        prompter.messageAnswers << QMessageBox::No;
        w->on_actionAppTour_triggered();
        QCOMPARE(prompter.messages.size(), 1);
        const MessageRequest &question = prompter.messages.first();
        QVERIFY(question.text.startsWith(QStringLiteral("App tour can only be taken on the sample project.")));
        QCOMPARE(question.informativeText, QStringLiteral("Do you wish to continue?"));
        QCOMPARE(int(question.buttons), int(QMessageBox::Yes | QMessageBox::No));
        QCOMPARE(question.defaultButton, QMessageBox::Yes);
        QCOMPARE(w->project()->canvases(), QList<Canvas *>{own});
        QCOMPARE(w->project()->shownCanvas(), own);
        QCOMPARE(w->toolContext(), 1);
        QVERIFY(tourOf(*w)->tourBox()->isHidden());

        prompter.messageAnswers << QMessageBox::Yes;
        w->on_actionAppTour_triggered();
        QCOMPARE(w->project()->canvases().size(), 6);
        QCOMPARE(w->project()->canvases().first()->name(), QStringLiteral("Tour_Sample"));
        QCOMPARE(tourOf(*w)->tourStep(), 1);
    }

    // The question promises to save changes: a modified project is closed
    // with its own question first, and Cancel there keeps it.
    void modifiedProjectCanBeKeptBeforeTheTour()
    {
        ExamplesFolder folder;
        QVERIFY(folder.writeSample(sampleWithoutMemory()));
        ScriptedPrompter prompter;
        auto w = makeWindow();
        Canvas *own = w->project()->createCanvas({1, 1, 1, 1, 1, QStringLiteral("Mine")});
        w->project()->showCanvas(own);
        w->applyToolSet(1);
        w->project()->markModified();

        prompter.messageAnswers << QMessageBox::Yes << QMessageBox::Cancel;
        w->on_actionAppTour_triggered();
        QCOMPARE(prompter.messages.size(), 2);
        QCOMPARE(prompter.messages.at(1).text, QStringLiteral("Project has been modified."));
        QCOMPARE(w->project()->canvases(), QList<Canvas *>{own});
        QVERIFY(w->project()->isModified());
        QVERIFY(tourOf(*w)->tourBox()->isHidden());
        QCOMPARE(w->statusBar()->currentMessage(), QString());
    }

    void missingSampleChangesNothing_data()
    {
        QTest::addColumn<QString>("otherFile");
        QTest::addColumn<bool>("projectOpen");
        QTest::newRow("empty Examples") << QString() << false;
        QTest::newRow("firmware Examples") << QStringLiteral("blink.c") << false;
        QTest::newRow("other examples only") << QStringLiteral("Example_2.qsmd") << false;
        QTest::newRow("with a project open") << QStringLiteral("Example_2.qsmd") << true;
    }

    void missingSampleChangesNothing()
    {
        QFETCH(QString, otherFile);
        QFETCH(bool, projectOpen);
        ExamplesFolder folder;
        if (!otherFile.isEmpty())
            QVERIFY(folder.writeFile(otherFile, "<QsmdProject/>"));
        ScriptedPrompter prompter;
        auto w = makeWindow();
        Canvas *own = nullptr;
        if (projectOpen) {
            own = w->project()->createCanvas({1, 1, 1, 1, 1, QStringLiteral("Mine")});
            w->project()->showCanvas(own);
            w->applyToolSet(1);
            prompter.messageAnswers << QMessageBox::Yes;
        }

        w->on_actionAppTour_triggered();
        const MessageRequest &message = prompter.messages.last();
        QCOMPARE(message.title, QStringLiteral("Kestro"));
        QCOMPARE(message.icon, QMessageBox::Critical);
        QCOMPARE(message.text, QStringLiteral("App tour can only be taken on Sample Projects. Kestro could not "
                                              "find a sample project on this computer."));
        QCOMPARE(prompter.messages.size(), projectOpen ? 2 : 1);
        QCOMPARE(w->project()->canvases().size(), projectOpen ? 1 : 0);
        QCOMPARE(w->project()->shownCanvas(), own);
        QCOMPARE(w->toolContext(), projectOpen ? 1 : ToolSets::NoProject);
        QCOMPARE(tourOf(*w)->tourStep(), 0);
        QVERIFY(tourOf(*w)->tourBox()->isHidden());
        QCOMPARE(w->statusBar()->currentMessage(), QString());
    }

    // A sample that cannot be read is reported by the open; the tour must
    // not start on a window without a project.
    void unreadableSampleStartsNoTour()
    {
        ExamplesFolder folder;
        QVERIFY(folder.writeFile(QStringLiteral("Example_1.qsmd"), "not a project"));
        ScriptedPrompter prompter;
        auto w = makeWindow();
        w->on_actionAppTour_triggered();
        QCOMPARE(prompter.messages.size(), 1);
        QCOMPARE(prompter.messages.first().icon, QMessageBox::Critical);
        QVERIFY(w->project()->canvases().isEmpty());
        QCOMPARE(w->toolContext(), ToolSets::NoProject);
        QVERIFY(tourOf(*w)->tourBox()->isHidden());
        QCOMPARE(tourOf(*w)->tourStep(), 0);
    }

    // Started on the sample (as the README's run command does), the tour
    // runs on it as it is: no question, no reopening.
    void sampleOpenAndUnchangedIsTouredWithoutTheQuestion()
    {
        ExamplesFolder folder;
        QVERIFY(folder.copyShippedSample());
        ScriptedPrompter prompter;
        auto w = makeWindow();
        w->openFromCommandLine(folder.examplePath());
        QVERIFY(!w->project()->canvases().isEmpty());
        const QList<Canvas *> opened = w->project()->canvases();

        w->on_actionAppTour_triggered();
        QCOMPARE(prompter.messages.size(), 0);
        QCOMPARE(w->project()->canvases(), opened);
        QCOMPARE(tourOf(*w)->tourStep(), 1);
        QVERIFY(tourOf(*w)->isRunning());
        QVERIFY(!tourOf(*w)->tourBox()->isHidden());

        // Quitting leaves the sample open, as it was before the tour.
        w->tourQuitLinkClicked();
        QCOMPARE(w->project()->canvases(), opened);

        // With unsaved changes the question is asked, and No keeps them.
        w->openFromCommandLine(folder.examplePath());
        w->project()->markModified();
        prompter.messageAnswers << QMessageBox::No;
        w->on_actionAppTour_triggered();
        QCOMPARE(prompter.messages.size(), 1);
        QVERIFY(prompter.messages.first().text.startsWith(QStringLiteral("App tour can only")));
        QVERIFY(!tourOf(*w)->isRunning());
        QVERIFY(w->project()->isModified());
    }

    // The shipped sample shows every step. Every box of the tour lies inside
    // the window, and every box that points at a diagram element inside the
    // view, at any window size.
    void boxesStayInsideTheView_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("small") << QSize(820, 560);
        QTest::newRow("medium") << QSize(1100, 720);
        QTest::newRow("large") << QSize(1600, 1000);
    }

    void boxesStayInsideTheView()
    {
        QFETCH(QSize, size);
        ExamplesFolder folder;
        QVERIFY(folder.copyShippedSample());
        ScriptedPrompter prompter;
        auto w = makeWindow();
        w->resize(size);
        QTRY_COMPARE(w->size(), size);
        w->on_actionAppTour_triggered();
        AppTour *tour = tourOf(*w);
        for (int step = 0; step < TourSteps::StepCount; ++step) {
            if (step > 0)
                clickNext(*w);
            QCOMPARE(tour->tourStep(), step + 1);
            QVERIFY2(shownText(*w).startsWith(TourSteps::title(step)), qPrintable(shownText(*w)));
            QVERIFY(checkBoxInside(*w, step));
        }
        clickNext(*w);
        QCOMPARE(tour->tourStep(), 0);
        QVERIFY(w->project()->canvases().isEmpty());
    }

    // The box moves with its element when the view scrolls or shrinks.
    void boxFollowsScrollingAndResizing()
    {
        ExamplesFolder folder;
        QVERIFY(folder.writeSample(sampleWithoutMemory()));
        ScriptedPrompter prompter;
        auto w = makeWindow();
        w->on_actionAppTour_triggered();
        while (tourOf(*w)->tourStep() != 8)
            clickNext(*w);   // the Text Item step
        TourBox *box = tourOf(*w)->tourBox();
        QVERIFY(checkBoxInside(*w, TourSteps::TextItemStep));

        QScrollBar *bar = viewOf(*w)->verticalScrollBar();
        QVERIFY(bar->value() + 40 <= bar->maximum());
        const QPoint before = box->pos();
        bar->setValue(bar->value() + 40);
        QCOMPARE(box->pos(), before - QPoint(0, 40));

        w->resize(760, 520);
        QTRY_COMPARE(w->size(), QSize(760, 520));
        QVERIFY(checkBoxInside(*w, TourSteps::TextItemStep));
        w->resize(1400, 900);
        QTRY_COMPARE(w->size(), QSize(1400, 900));
        QVERIFY(checkBoxInside(*w, TourSteps::TextItemStep));
        TextItem *text = w->project()->shownCanvas()->textItems().first();
        QCOMPARE(box->pos(), besideItem(*w, text, text->width()));
        QVERIFY(!box->pointerOnRight());
    }

    // The first start's tour is used up only by a tour that started or that
    // the user declined; a start without a sample to tour shows nothing.
    void firstStartWaitsForATourThatCanStart()
    {
        QSettings settings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"));
        settings.remove(FirstStart::settingsKey());
        ScriptedPrompter prompter;
        {
            QTemporaryDir nowhere;
            const QString previous = QDir::currentPath();
            QDir::setCurrent(nowhere.path());
            auto w = makeWindow();
            const bool scheduled = FirstStart::scheduleTourOnFirstStart(w.get());
            QTest::qWait(FirstStart::TourDelayMs * 2);
            QDir::setCurrent(previous);
            QVERIFY(!scheduled);
            QVERIFY(prompter.messages.isEmpty());
            QVERIFY(FirstStart::isPending(settings));
        }
        {
            ExamplesFolder folder;
            QVERIFY(folder.writeFile(QStringLiteral("Example_1.qsmd"), "not a project"));
            auto w = makeWindow();
            QVERIFY(FirstStart::scheduleTourOnFirstStart(w.get()));
            QTRY_COMPARE_WITH_TIMEOUT(prompter.messages.size(), 1, 5000);
            QCOMPARE(prompter.messages.first().icon, QMessageBox::Critical);
            QVERIFY(w->project()->canvases().isEmpty());
            settings.sync();
            QVERIFY(FirstStart::isPending(settings));
        }
        {
            ExamplesFolder folder;
            QVERIFY(folder.writeSample(sampleWithoutMemory()));
            auto w = makeWindow();
            Canvas *own = w->project()->createCanvas({1, 1, 1, 1, 1, QStringLiteral("Mine")});
            w->project()->showCanvas(own);
            w->applyToolSet(1);
            prompter.messageAnswers << QMessageBox::No;
            QVERIFY(FirstStart::scheduleTourOnFirstStart(w.get()));
            QTRY_COMPARE_WITH_TIMEOUT(prompter.messages.size(), 2, 5000);
            QCOMPARE(w->project()->canvases(), QList<Canvas *>{own});
            settings.sync();
            QVERIFY(!FirstStart::isPending(settings));
        }
    }

    void firstStartSchedulesTheTourOnce()
    {
        ExamplesFolder folder;
        QVERIFY(folder.writeSample(sampleWithoutMemory()));
        QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro")).remove(FirstStart::settingsKey());
        ScriptedPrompter prompter;
        {
            auto w = makeWindow();
            QElapsedTimer clock;
            clock.start();
            QVERIFY(FirstStart::scheduleTourOnFirstStart(w.get()));
            QVERIFY(w->project()->canvases().isEmpty());
            QTRY_COMPARE_WITH_TIMEOUT(w->project()->canvases().size(), 6, 5000);
            QVERIFY(clock.elapsed() >= FirstStart::TourDelayMs - 5);
            QCOMPARE(tourOf(*w)->tourStep(), 1);
        }
        // The flag is in the settings store: a later start takes no tour.
        QVERIFY(QSettings(QStringLiteral("Orvanta"), QStringLiteral("Kestro"))
                    .value(FirstStart::settingsKey()).toBool());
        auto w = makeWindow();
        QVERIFY(!FirstStart::scheduleTourOnFirstStart(w.get()));
        QTest::qWait(FirstStart::TourDelayMs * 2);
        QVERIFY(w->project()->canvases().isEmpty());
        QVERIFY(!tourOf(*w)->tourBox());
    }
};

QTEST_MAIN(TestAppTour)
#include "tst_apptour.moc"
