#include "AppTour.h"

#include "TrustStore.h"

#include "Canvas.h"
#include "ExamplesLocator.h"
#include "LinkItem.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectActions.h"
#include "ProjectBrowser.h"
#include "ProjectWindow.h"
#include "Prompter.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TourBox.h"
#include "TourPlacement.h"
#include "ToolSets.h"
#include "TourSteps.h"
#include "TransitionItem.h"
#include "TreeModel.h"

#include <QDir>
#include <QDockWidget>
#include <QEvent>
#include <QFileInfo>
#include <QGraphicsView>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTreeView>

#include <utility>

namespace {

const QString kTitle = QStringLiteral("Kestro");

// A link's box is drawn a little higher so that the pointer meets the link's
// label rather than the line below it.
constexpr int kLinkRaise = 10;

// The pointer of the box sits this far below the box's top edge.
constexpr int kPointerY = 25;

template <typename Item>
Item *firstWhere(const QList<Item *> &items, bool (*wanted)(const Item *))
{
    for (Item *item : items)
        if (wanted(item))
            return item;
    return nullptr;
}

bool isInitial(const StateItem *state) { return state->isInitialState(); }
bool isNotInitial(const StateItem *state) { return !state->isInitialState(); }

} // namespace

AppTour::AppTour(ProjectWindow *window, Project *project, ProjectActions *actions,
                 const Widgets &widgets)
    : QObject(window->dialogParent()),
      m_window(window),
      m_widget(window->dialogParent()),
      m_project(project),
      m_actions(actions),
      m_widgets(widgets)
{
    // The box stays beside its element when the window is resized (which
    // resizes the view) or the view is scrolled.
    m_widget->installEventFilter(this);
    if (QGraphicsView *view = m_widgets.view) {
        view->viewport()->installEventFilter(this);
        for (QScrollBar *bar : {view->horizontalScrollBar(), view->verticalScrollBar()})
            connect(bar, &QScrollBar::valueChanged, this, &AppTour::placeBox);
    }
}

bool AppTour::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize)
        placeBox();
    return QObject::eventFilter(watched, event);
}

QString AppTour::findSampleProject()
{
    // The sample lives in the examples directory Open Examples uses; the
    // step rule wants the folder that holds "Examples".
    const QFileInfo examples(findExamplesDirectory());
    if (examples.fileName() != QLatin1String("Examples"))
        return QString();
    return TourSteps::findSampleProject(examples.absolutePath());
}

QPoint AppTour::pointRightOf(const QGraphicsView *view, const QGraphicsItem *item, int width,
                             int raise)
{
    // The right edge is mapped rather than added in pixels so that a zoomed
    // view still gets the box beside the item, not on top of it.
    const QPointF rightEdge = item->scenePos() + QPointF(width, 0);
    const QPoint inViewport = view->mapFromScene(rightEdge);
    QWidget *parent = view->parentWidget();
    const QPoint inParent = parent ? view->viewport()->mapTo(parent, inViewport)
                                   : view->viewport()->mapTo(view, inViewport);
    return inParent - QPoint(0, raise);
}

void AppTour::createBox()
{
    if (m_box)
        return;
    m_box = new TourBox(m_widget);
    connect(m_box, &TourBox::nextLinkClicked, this, [this] { stateMachineAppTour(false); });
    connect(m_box, &TourBox::quitLinkClicked, this, [this] { stateMachineAppTour(true); });
}

// The sample, or the copy the tour works on when the installed sample is
// read-only, is the open project and has no unsaved changes.
bool AppTour::isOpenAndUnchanged(const QString &sample) const
{
    if (!m_project->isOpen() || m_project->isModified())
        return false;
    const QString open = QFileInfo(m_project->filePath()).canonicalFilePath();
    if (open.isEmpty())
        return false;
    const QString copy = exampleCopyPath(sample, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    return open == QFileInfo(sample).canonicalFilePath() || open == QFileInfo(copy).canonicalFilePath();
}

bool AppTour::confirmReplacingProject()
{
    if (!m_project->isOpen())
        return true;
    MessageRequest request;
    request.icon = QMessageBox::Question;
    request.title = kTitle;
    request.text = QStringLiteral(
        "App tour can only be taken on the sample project. Kestro would attempt to save changes and "
        "close this project to open a sample project from this system.");
    request.informativeText = QStringLiteral("Do you wish to continue?");
    request.buttons = QMessageBox::Yes | QMessageBox::No;
    request.defaultButton = QMessageBox::Yes;
    return Prompter::current()->message(m_widget, request) == QMessageBox::Yes;
}

AppTour::StartResult AppTour::start()
{
    createBox();
    const QString sample = findSampleProject();
    m_keepSample = false;
    m_returnPath.clear();
    // Started on the sample itself (as the README's run command does):
    // there is nothing to replace, so nothing to ask.
    if (!sample.isEmpty() && isOpenAndUnchanged(sample)) {
        m_keepSample = true;
        begin();
        return StartResult::Started;
    }
    if (!confirmReplacingProject())
        return StartResult::Declined;

    if (sample.isEmpty()) {
        Prompter::critical(m_widget, kTitle,
                           QStringLiteral("App tour can only be taken on Sample Projects. Kestro could "
                                          "not find a sample project on this computer."));
        return StartResult::Unavailable;
    }

    // Opening from the command line replaces the project without asking;
    // closing it first gives the user the chance to save, as promised above.
    if (m_project->isOpen()) {
        const QString before = m_project->filePath();
        m_actions->closeProject();
        if (m_project->isOpen())
            return StartResult::Declined;   // the user cancelled, or the save failed
        m_returnPath = before;
    }
    if (!openSample(sample))
        return StartResult::Unavailable;
    begin();
    return StartResult::Started;
}

// Opens the sample, or a writable copy of it when it is installed read-only
// (the tour's end and the code generator would fail to write beside it).
bool AppTour::openSample(const QString &sample)
{
    const QString path = exampleToOpen(sample).path;
    // The bundled sample (or the tour's copy of it) runs without the question.
    TrustStore::trustProjectForSession(path);
    m_actions->openFromCommandLine(path);
    // A sample that could not be opened has been reported already; there is
    // nothing to tour.
    return m_project->isOpen();
}

void AppTour::begin()
{
    // Closing the project (Close Project, or Save As reopening it) ends the
    // tour: there is nothing left to point at.
    disconnect(m_projectWatch);
    m_projectWatch = connect(m_project, &Project::aboutToClose, this, &AppTour::projectClosed);
    m_running = true;
    m_tourStep = 0;
    showStatus(QStringLiteral("App Tour Started.."));
    m_window->applyToolSet(ToolSets::Tour);
    stateMachineAppTour(false);
}

void AppTour::stateMachineAppTour(bool quit)
{
    // A project closed while the box was showing leaves nothing to point at.
    if (quit || !m_project->isOpen()) {
        end();
        return;
    }
    createBox();
    showStatus(QStringLiteral("App Tour in progress.."));

    Target target;
    const TourSteps::Advance next = TourSteps::advance(m_tourStep, [&](int step) {
        target = Target();
        return prepareStep(step, &target);
    });
    if (next.ends()) {
        end();
        return;
    }
    // The box takes its height from the step's text, laid out only once the
    // box is shown, and needs that height to be placed beside its item.
    m_box->show();
    m_box->raise();
    m_box->showStep(next.step);
    m_tourStep = next.nextTourStep;
    m_target = target;
    scrollIntoView(target);
    placeBox();
}

bool AppTour::prepareStep(int step, Target *target)
{
    if (step == TourSteps::ProjectBrowserStep) {
        target->anchor = Anchor::Browser;
        return m_widgets.browserDock != nullptr;
    }
    if (step == TourSteps::CodeGenerationStep) {
        target->anchor = Anchor::RunMenu;
        return m_widgets.menuBar && m_widgets.runMenu;
    }

    Canvas *canvas = nullptr;
    if (step == TourSteps::ProcessItemStep) {
        if (!openFirstNodeThreeLevelsDown())
            return false;
        canvas = m_project->shownCanvas();
    } else {
        const int index = TourSteps::diagramIndex(step);
        if (index < 0 || index >= m_project->canvases().size())
            return false;
        canvas = m_project->canvases().at(index);
        m_project->showCanvas(canvas);
    }
    if (!canvas)
        return false;

    auto take = [target](auto *found) {
        if (found) {
            target->anchor = Anchor::Item;
            target->item = found;
            target->itemAlive = found;
            target->width = found->width();
        }
    };
    switch (step) {
    case TourSteps::ProcessItemStep: take(canvas->processItems().value(0)); break;
    case TourSteps::LinkItemStep:
        take(canvas->links().value(0));
        target->raise = kLinkRaise;
        break;
    case TourSteps::InitialStateStep: take(firstWhere(canvas->states(), isInitial)); break;
    case TourSteps::StateStep: take(firstWhere(canvas->states(), isNotInitial)); break;
    case TourSteps::TransitionStep: take(canvas->transitions().value(0)); break;
    case TourSteps::MemoryItemStep: take(canvas->memoryItems().value(0)); break;
    case TourSteps::TextItemStep: take(canvas->textItems().value(0)); break;
    default: break;
    }
    return target->item != nullptr;
}

// Scrolls the item and the room for the box beside it into view, as far as
// the view allows; where it does not, the box goes on the item's other side.
void AppTour::scrollIntoView(const Target &target)
{
    QGraphicsView *view = m_widgets.view;
    if (target.anchor != Anchor::Item || !view)
        return;
    const qreal scale = qMax<qreal>(view->transform().m11(), 0.01);
    const QPointF topLeft = target.item->scenePos();
    const QRectF needed(topLeft.x(), topLeft.y() - target.raise / scale,
                        target.width + m_box->width() / scale, m_box->height() / scale);
    view->ensureVisible(needed, 10, 10);
}

// Puts the shown box beside its element, wholly inside the view (the steps
// that point at the window's own parts: inside the window).
void AppTour::placeBox()
{
    if (!m_box || m_box->isHidden())
        return;
    const QRect view = viewBounds();
    TourPlacement::Placement placement;
    switch (m_target.anchor) {
    case Anchor::Item: {
        QGraphicsView *graphicsView = m_widgets.view;
        if (!m_target.itemAlive || !graphicsView || m_target.item->scene() != graphicsView->scene())
            return;
        const QPoint left = pointRightOf(graphicsView, m_target.item, 0, m_target.raise);
        const QPoint right = pointRightOf(graphicsView, m_target.item, m_target.width, m_target.raise);
        placement = TourPlacement::beside(QRect(left.x(), left.y(), right.x() - left.x(), 1), m_box->size(),
                                          view);
        break;
    }
    case Anchor::Browser: {
        // Beside the browser, 100 pixels below its top, level with the view.
        const QRect browser = m_widgets.browserDock->geometry();
        placement = TourPlacement::at(QPoint(browser.width(), browser.top() + 100), m_box->size(),
                                      QRect(0, view.top(), m_widget->width(), view.height()));
        break;
    }
    case Anchor::RunMenu:
        placement = TourPlacement::at(runMenuPoint(), m_box->size(), m_widget->rect());
        break;
    case Anchor::None:
        return;
    }
    m_box->setPointerOnRight(placement.pointerOnRight);
    m_box->move(placement.topLeft);
}

// The visible part of the canvas, in the window's coordinates.
QRect AppTour::viewBounds() const
{
    QGraphicsView *view = m_widgets.view;
    if (!view)
        return m_widget->rect();
    QWidget *viewport = view->viewport();
    return QRect(viewport->mapTo(m_widget, QPoint(0, 0)), viewport->size());
}

bool AppTour::openFirstNodeThreeLevelsDown()
{
    TreeModel *model = m_project->treeModel();
    QModelIndex index;
    for (int depth = 0; depth < 3; ++depth) {
        if (model->rowCount(index) == 0)
            return false;
        index = model->index(0, 0, index);
    }
    // As the browser's double-click opens it, floating ends of the parent's
    // connections included.
    m_actions->browser()->activate(index);
    // Opening a node selects its level's tools; the tour keeps its own.
    m_window->applyToolSet(ToolSets::Tour);
    return true;
}

QPoint AppTour::runMenuPoint() const
{
    // Beside the Run menu's title, the pointer level with the title's middle.
    const QRect title = m_widgets.menuBar->actionGeometry(m_widgets.runMenu->menuAction());
    const QPoint inWindow = m_widgets.menuBar->mapTo(m_widget, QPoint(title.right() + 1, title.center().y()));
    return QPoint(inWindow.x(), qMax(0, inWindow.y() - kPointerY));
}

void AppTour::end()
{
    stop();
    m_window->showStatus(QString());
    // Started on the open sample: the user stays in it.
    if (m_keepSample && m_project->isOpen()) {
        restoreProjectTools();
        return;
    }
    m_window->applyToolSet(ToolSets::NoProject);
    m_actions->closeProject();
    // Cancelling the close keeps the project open; it must stay usable
    // (saving and closing need the project's tools back).
    if (m_project->isOpen()) {
        restoreProjectTools();
        return;
    }
    // The project the tour replaced is open again.
    const QString back = std::exchange(m_returnPath, QString());
    if (!back.isEmpty() && QFileInfo(back).isFile())
        m_actions->openFromCommandLine(back);
}

void AppTour::restoreProjectTools()
{
    Canvas *shown = m_project->shownCanvas();
    m_window->applyToolSet(shown ? shown->level() : 1);
}

// Ends the tour without touching the project.
void AppTour::stop()
{
    disconnect(m_projectWatch);
    m_running = false;
    m_tourStep = 0;
    m_target = Target();
    if (m_box)
        m_box->hide();
}

void AppTour::projectClosed()
{
    // Whoever closed the project has set the window's tools and status.
    if (m_running)
        stop();
}

void AppTour::showStatus(const QString &text)
{
    m_window->showStatus(text);
}
