#include "NavigationActions.h"

#include "Canvas.h"
#include "DiagramViewStates.h"
#include "FindPanel.h"
#include "ItemTypes.h"
#include "NavigationHistory.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectBrowser.h"
#include "ToolSets.h"

#include <QAction>
#include <QApplication>
#include <QGraphicsView>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QKeyEvent>
#include <QStyle>
#include <QToolBar>

NavigationActions::NavigationActions(const Places &places, Project *project, ProjectBrowser *browser)
    : QObject(places.window),
      m_window(places.window),
      m_view(places.view),
      m_project(project),
      m_browser(browser),
      m_history(new NavigationHistory(this)),
      m_viewStates(new DiagramViewStates(places.view, this))
{
    createActions(places);
    // The Find dock is built the first time Find is chosen.
    connect(m_find, &QAction::triggered, this, [this] { findPanel()->showAndFocus(); });
    watchProject();
    qApp->installEventFilter(this);
    updateEnabled();
}

NavigationActions::~NavigationActions()
{
    qApp->removeEventFilter(this);
}

void NavigationActions::createActions(const Places &places)
{
    QStyle *style = m_window->style();
    m_back = new QAction(style->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Back"), this);
    m_back->setObjectName(QStringLiteral("actionBack"));
    m_back->setToolTip(QStringLiteral("Back to the diagram shown before (Alt+Left)"));
    m_back->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Left), QKeySequence(Qt::Key_Back)});
    m_forward = new QAction(style->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Forward"), this);
    m_forward->setObjectName(QStringLiteral("actionForward"));
    m_forward->setToolTip(QStringLiteral("Forward to the next diagram visited (Alt+Right)"));
    m_forward->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Right), QKeySequence(Qt::Key_Forward)});
    m_find = new QAction(QStringLiteral("Find..."), this);
    m_find->setObjectName(QStringLiteral("actionFind"));
    m_find->setToolTip(QStringLiteral("Find in the labels, conditions and actions of the project"));
    m_find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_openDiagram = new QAction(QStringLiteral("Open Diagram"), this);
    m_openDiagram->setObjectName(QStringLiteral("actionOpen_Diagram"));
    for (QAction *action : {m_back, m_forward, m_find})
        action->setShortcutContext(Qt::WindowShortcut);
    connect(m_back, &QAction::triggered, this, &NavigationActions::goBack);
    connect(m_forward, &QAction::triggered, this, &NavigationActions::goForward);
    connect(m_openDiagram, &QAction::triggered, this, &NavigationActions::openPointedDiagram);

    // View menu and toolbar: Back and Forward first; Edit menu: Find.
    QAction *firstOfView = places.viewMenu->actions().value(0);
    places.viewMenu->insertAction(firstOfView, m_back);
    places.viewMenu->insertAction(firstOfView, m_forward);
    places.viewMenu->insertSeparator(firstOfView);
    places.editMenu->addSeparator();
    places.editMenu->addAction(m_find);
    places.toolBar->addAction(m_back);
    places.toolBar->addAction(m_forward);
    m_window->addAction(m_back);
    m_window->addAction(m_forward);
    m_window->addAction(m_find);
    QAction *firstOfMenu = places.processMenu->actions().value(0);
    places.processMenu->insertAction(firstOfMenu, m_openDiagram);
    places.processMenu->insertSeparator(firstOfMenu);
}

FindPanel *NavigationActions::findPanel()
{
    if (m_findPanel)
        return m_findPanel;
    m_findPanel = new FindPanel(m_window);
    m_window->addDockWidget(Qt::BottomDockWidgetArea, m_findPanel);
    m_findPanel->hide();
    m_findPanel->setSource([this](ProjectDocument *document, QString *error) {
        if (!m_project->isOpen()) {
            *error = QStringLiteral("No project is open.");
            return false;
        }
        return m_project->snapshot(document, error);
    });
    connect(m_findPanel, &FindPanel::hitChosen, this, &NavigationActions::showHit);
    m_findPanel->widget()->setEnabled(navigating());
    return m_findPanel;
}

void NavigationActions::watchProject()
{
    connect(m_project, &Project::canvasShown, m_history, &NavigationHistory::visit);
    // A deleted process item takes its diagrams and their entries along,
    // whether it was deleted or its deletion was redone.
    const auto prune = [this] { m_history->prune(m_project->canvases()); };
    connect(m_project, &Project::processItemRemoved, m_history, prune);
    connect(m_project, &Project::structureChanged, m_history, prune);
    connect(m_project, &Project::aboutToClose, this, [this] {
        m_history->clear();
        m_viewStates->clear();
        if (m_findPanel)
            m_findPanel->clear();
    });
    connect(m_history, &NavigationHistory::changed, this, &NavigationActions::updateEnabled);
}

void NavigationActions::setContext(int context)
{
    m_context = context;
    updateEnabled();
}

bool NavigationActions::navigating() const
{
    // A project node is shown and neither the tour nor a simulation runs.
    return m_context >= 1 && m_project->isOpen();
}

void NavigationActions::updateEnabled()
{
    const bool usable = navigating();
    m_back->setEnabled(usable && m_history->canGoBack());
    m_forward->setEnabled(usable && m_history->canGoForward());
    m_find->setEnabled(usable);
    m_openDiagram->setEnabled(usable);
    if (m_findPanel)
        m_findPanel->widget()->setEnabled(usable);
}

void NavigationActions::go(int direction)
{
    if (!navigating())
        return;
    // An entry whose diagram cannot be shown any more is skipped.
    for (;;) {
        Canvas *target = direction < 0 ? m_history->back() : m_history->forward();
        if (!target || target == m_project->shownCanvas() || m_browser->showCanvas(target))
            return;
    }
}

void NavigationActions::goBack()
{
    go(-1);
}

void NavigationActions::goForward()
{
    go(+1);
}

void NavigationActions::openPointedDiagram()
{
    Canvas *canvas = m_project->shownCanvas();
    if (!navigating() || !canvas)
        return;
    m_browser->openDiagramOf(static_cast<ProcessItem *>(canvas->currentItem(ItemType::Process)));
}

bool NavigationActions::openSelectedDiagram()
{
    Canvas *canvas = m_project->shownCanvas();
    if (!navigating() || !canvas)
        return false;
    QList<ProcessItem *> selected;
    for (QGraphicsItem *item : canvas->selectedItems()) {
        if (item->type() == ItemType::Process)
            selected << static_cast<ProcessItem *>(item);
    }
    return selected.size() == 1 && m_browser->openDiagramOf(selected.first());
}

void NavigationActions::showHit(const SearchHit &hit)
{
    if (navigating())
        m_browser->showHit(hit);
}

bool NavigationActions::eventFilter(QObject *watched, QEvent *event)
{
    // Enter typed into the view opens the selected process item's diagram;
    // typed anywhere else (a dock's field) it is left alone.
    if (event->type() == QEvent::KeyPress && (watched == m_view || watched == m_view->viewport())) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        return enter && key->modifiers() == Qt::NoModifier && !key->isAutoRepeat() && openSelectedDiagram();
    }
    if (event->type() != QEvent::MouseButtonPress)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::BackButton && mouse->button() != Qt::ForwardButton)
        return false;
    const auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != m_window)
        return false;
    QAction *action = mouse->button() == Qt::BackButton ? m_back : m_forward;
    if (action->isEnabled())
        action->trigger();
    return true;
}
