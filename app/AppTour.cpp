#include "AppTour.h"

#include "Canvas.h"
#include "ExamplesLocator.h"
#include "LinkItem.h"
#include "MainWindow.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "Prompter.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TourBox.h"
#include "TourSteps.h"
#include "TransitionItem.h"
#include "TreeModel.h"

#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QGraphicsView>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTreeView>

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

AppTour::AppTour(MainWindow *window, const Widgets &widgets)
    : QObject(window), m_window(window), m_widgets(widgets)
{
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
    m_box = new TourBox(m_window);
    connect(m_box, &TourBox::nextLinkClicked, m_window, &MainWindow::tourNextLinkClicked);
    connect(m_box, &TourBox::quitLinkClicked, m_window, &MainWindow::tourQuitLinkClicked);
}

bool AppTour::confirmReplacingProject()
{
    if (m_window->canvases().isEmpty())
        return true;
    MessageRequest request;
    request.icon = QMessageBox::Question;
    request.title = kTitle;
    request.text = QStringLiteral(
        "App tour can can only be taken on sample project. Kestro would attempt to save changes and "
        "close this project to open a sample project from this system.");
    request.informativeText = QStringLiteral("Do you wish to continue?");
    request.buttons = QMessageBox::Yes | QMessageBox::No;
    request.defaultButton = QMessageBox::Yes;
    return Prompter::current()->message(m_window, request) == QMessageBox::Yes;
}

void AppTour::start()
{
    createBox();
    if (!confirmReplacingProject())
        return;

    const QString sample = findSampleProject();
    if (sample.isEmpty()) {
        Prompter::critical(m_window, kTitle,
                           QStringLiteral("App tour can only be taken on Sample Projects. Kestro could "
                                          "not find a sample project on this computer."));
        return;
    }

    // Opening from the command line replaces the project without asking;
    // closing it first gives the user the chance to save, as promised above.
    if (!m_window->canvases().isEmpty()) {
        m_window->on_actionClose_Project_triggered();
        if (!m_window->canvases().isEmpty())
            return;   // the user cancelled, or the save failed
    }

    m_window->openFromCommandLine(sample);
    // A sample that could not be opened has been reported already; there is
    // nothing to tour.
    if (m_window->canvases().isEmpty())
        return;

    m_tourStep = 0;
    showStatus(QStringLiteral("App Tour Started.."));
    applyToolSetKeepingModified(ToolSets::Tour);
    stateMachineAppTour(false);
}

void AppTour::stateMachineAppTour(bool quit)
{
    // A project closed while the box was showing leaves nothing to point at.
    if (quit || m_window->canvases().isEmpty()) {
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
    moveBox(placeFor(target));
    m_tourStep = next.nextTourStep;
}

bool AppTour::prepareStep(int step, Target *target)
{
    if (step == TourSteps::ProjectBrowserStep) {
        const QRect browser = m_widgets.browserDock ? m_widgets.browserDock->geometry() : QRect();
        target->point = QPoint(browser.width(), browser.top() + 100);
        return true;
    }
    if (step == TourSteps::CodeGenerationStep) {
        if (!m_widgets.menuBar || !m_widgets.runMenu)
            return false;
        target->point = runMenuPoint();
        return true;
    }

    Canvas *canvas = nullptr;
    if (step == TourSteps::ProcessItemStep) {
        if (!openFirstNodeThreeLevelsDown())
            return false;
        canvas = m_window->shownCanvas();
    } else {
        const int index = TourSteps::diagramIndex(step);
        if (index < 0 || index >= m_window->canvases().size())
            return false;
        canvas = m_window->canvases().at(index);
        m_window->showCanvas(canvas);
    }
    if (!canvas)
        return false;

    auto take = [target](auto *found) {
        if (found) {
            target->item = found;
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

QPoint AppTour::placeFor(const Target &target)
{
    QGraphicsView *view = m_widgets.view;
    if (!target.item || !view)
        return target.point;
    // Scroll the item and the room for the box beside it into view, as far
    // as the view allows.
    const qreal scale = qMax<qreal>(view->transform().m11(), 0.01);
    const QPointF topLeft = target.item->scenePos();
    const QRectF needed(topLeft.x(), topLeft.y() - target.raise / scale,
                        target.width + m_box->width() / scale, m_box->height() / scale);
    view->ensureVisible(needed, 10, 10);
    return pointRightOf(view, target.item, target.width, target.raise);
}

bool AppTour::openFirstNodeThreeLevelsDown()
{
    TreeModel *model = m_window->treeModel();
    QModelIndex index;
    for (int depth = 0; depth < 3; ++depth) {
        if (model->rowCount(index) == 0)
            return false;
        index = model->index(0, 0, index);
    }
    // As the browser's double-click opens it, floating ends of the parent's
    // connections included.
    m_window->on_treeView_doubleClicked(index);
    // Opening a node selects its level's tools; the tour keeps its own.
    applyToolSetKeepingModified(ToolSets::Tour);
    return true;
}

QPoint AppTour::runMenuPoint() const
{
    // Beside the Run menu's title, the pointer level with the title's middle.
    const QRect title = m_widgets.menuBar->actionGeometry(m_widgets.runMenu->menuAction());
    const QPoint inWindow = m_widgets.menuBar->mapTo(m_window, QPoint(title.right() + 1, title.center().y()));
    return QPoint(inWindow.x(), qMax(0, inWindow.y() - kPointerY));
}

void AppTour::moveBox(const QPoint &topLeft)
{
    m_box->move(topLeft);
}

void AppTour::applyToolSetKeepingModified(int context)
{
    // The tour's tool set enables Save and the no-project one disables it,
    // but Save's state is the project's modified flag: left to the tool
    // sets, every toured project would count as changed, and the changes
    // made during a tour would be dropped at its end without the question
    // Close Project asks about them.
    const bool modified = m_window->isModified();
    m_window->applyToolSet(context);
    if (m_widgets.saveAction)
        m_widgets.saveAction->setEnabled(modified);
}

void AppTour::end()
{
    m_tourStep = 0;
    if (m_box)
        m_box->hide();
    m_window->statusBar()->clearMessage();
    applyToolSetKeepingModified(ToolSets::NoProject);
    m_window->on_actionClose_Project_triggered();
    // Cancelling the close keeps the project open; it must stay usable
    // (saving and closing need the project's tools back).
    if (!m_window->canvases().isEmpty()) {
        Canvas *shown = m_window->shownCanvas();
        m_window->applyToolSet(shown ? shown->level() : 1);
    }
}

void AppTour::showStatus(const QString &text)
{
    m_window->statusBar()->showMessage(text);
}
