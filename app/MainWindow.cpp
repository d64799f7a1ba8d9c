#include "MainWindow.h"
#include "ui_MainWindow.h"

#include "AppTour.h"
#include "Autosaver.h"
#include "Canvas.h"
#include "DiagramViewStates.h"
#include "ExportActions.h"
#include "GraphicsViewZoom.h"
#include "HelpActions.h"
#include "HomeScreen.h"
#include "ItemActions.h"
#include "ItemKind.h"
#include "ItemKinds.h"
#include "NavigationActions.h"
#include "OpenRequestHandler.h"
#include "PackedIcons.h"
#include "PreferencesActions.h"
#include "Project.h"
#include "ProjectActions.h"
#include "ProjectBrowser.h"
#include "RecentProjects.h"
#include "RecentProjectsMenu.h"
#include "SubMachineActions.h"
#include "SimulationController.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "TreeModel.h"
#include "UndoActions.h"
#include "ClipboardActions.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QShortcut>
#include <QTimer>
#include <QWindow>


namespace {
const QString kTitle = QStringLiteral("Kestro");
const QString kBuildNumber = QStringLiteral("#dce7afc");
} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::MainWindow>())
{
    ui->setupUi(this);
    setIcons();
    // Tests install their own prompter before building the window; keep it.
    if (dynamic_cast<DefaultPrompter *>(Prompter::current()))
        Prompter::setCurrent(&m_prompter);
    m_project = new Project(this);
    m_undoActions = new UndoActions(m_project->undoGroup(), ui->actionUndo, ui->actionRedo, this);
    m_clipboardActions = new ClipboardActions(m_project, ui->graphicsView, ui->actionDelete,
                                              ui->menuEdit, ui->actionBringToFront, this);
    buildContextMenus();
    buildPropertiesActions();
    connectKindTools();
    setUpViewAndDock();
    m_simulation = new SimulationController(this, ui->graphicsView, ui->treeView, ui->menuRun);
    buildToolList();
    buildTreeModel();
    setApplicationIdentity();
    watchScreenChanges();
    m_settings = std::make_unique<QSettings>(QStringLiteral("Orvanta"), QStringLiteral("Kestro"));
    readSettings();
    m_statusLabel = new QLabel(QStringLiteral("Ready"), this);
    statusBar()->addPermanentWidget(m_statusLabel);
    setUpShortcuts();
    m_urlOpener = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    m_helpActions = new HelpActions(this, ui->actionCheck_for_Updates_at_Start);
    m_projectActions = new ProjectActions(this, m_project, ui->treeView);
    m_itemActions = new ItemActions(this, m_project, m_projectActions->browser());
    m_navigation = new NavigationActions({this, ui->graphicsView, ui->menuEdit, ui->menuView,
                                          ui->mainToolBar, contextMenuOf(ItemType::Process)},
                                         m_project, m_projectActions->browser());
    m_subMachineActions = new SubMachineActions(this, m_project, m_projectActions->browser(), m_itemActions,
                                                ui->graphicsView, contextMenuOf(ItemType::State));
    m_appTour = new AppTour(this, m_project, m_projectActions,
                            {ui->dockWidget, ui->treeView, ui->graphicsView, ui->menuBar, ui->menuRun});
    watchProject();
    setUpAutosaveAndRecent();
    m_exportActions = new ExportActions(this);
    enterNoProjectState();
}

void MainWindow::setUpAutosaveAndRecent()
{
    Autosaver::Source source;
    source.snapshot = [this](ProjectDocument *document, QString *error) {
        return m_project->snapshot(document, error);
    };
    source.projectPath = [this] { return m_projectActions->projectPath(); };
    source.projectName = [this] { return m_projectActions->projectName(); };
    m_autosaver = new Autosaver(ui->actionEnable_Autosave, m_project, source, this);
    connect(m_autosaver, &Autosaver::writeFailed, this, [this](const QString &reason) {
        statusBar()->showMessage(QStringLiteral("Autosave failed: %1").arg(reason));
    });
    // A stored interval autosave refused is said once, where it stays in
    // sight without holding up the start.
    if (!m_autosaver->settingsProblem().isEmpty())
        statusBar()->showMessage(m_autosaver->settingsProblem());
    m_preferences = new PreferencesActions(this, ui->menuEdit, m_autosaver, ui->actionEnable_Autosave,
                                           ui->actionCheck_for_Updates_at_Start);

    m_recent = new RecentProjects(this);
    m_recentMenu = new RecentProjectsMenu(m_recent, ui->menuFile, ui->actionOpen, this);
    connect(m_projectActions, &ProjectActions::projectOpened, m_recent, &RecentProjects::add);
    connect(m_recentMenu, &RecentProjectsMenu::projectChosen, this, &MainWindow::openRecentProject);
    connect(m_recent, &RecentProjects::changed, this,
            [this] { HomeScreen::instance()->setRecentProjects(m_recent->paths()); });
    connect(HomeScreen::instance(), &HomeScreen::recentProjectClicked, this,
            [this](QGraphicsView *view, const QString &path) {
                // Opened after the click is done with the home screen.
                if (view == ui->graphicsView)
                    QTimer::singleShot(0, this, [this, path] { openRecentProject(path); });
            });
    m_openRequests = new OpenRequestHandler(this, ui->actionOpen);
}

void MainWindow::openRecentProject(const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        m_recent->remove(path);
        MessageRequest request;
        request.icon = QMessageBox::Warning;
        request.title = kTitle;
        request.text = QStringLiteral("The project %1 no longer exists.").arg(QDir::toNativeSeparators(path));
        request.informativeText = QStringLiteral("It has been removed from the recent projects.");
        Prompter::current()->message(this, request);
        return;
    }
    m_projectActions->openFile(path);
}

MainWindow::~MainWindow()
{
    // A running simulation ends while its dock, browser and tools still
    // exist: the project's canvases are destroyed later, with the children.
    m_simulation->stop();
    if (Prompter::current() == &m_prompter)
        Prompter::setCurrent(nullptr);
}

void MainWindow::setIcons()
{
    // The images come decoded from the build (PackedIcons); reading them from
    // their files cost the start more than the rest of the window.
    setWindowIcon(PackedIcons::icon(QStringLiteral("app_icon")));
    const QVector<QPair<QAction *, const char *>> icons = {
        {ui->actionNew, "New"}, {ui->actionOpen, "Open"}, {ui->actionSave, "Save"},
        {ui->actionSelect, "Cursor"}, {ui->actionUndo, "undo"}, {ui->actionRedo, "redo"},
        {ui->actionProcessRect, "Process_Rect"}, {ui->actionLink, "link"}, {ui->actionState, "state"},
        {ui->actionText, "Text"}, {ui->actiontransition, "transition"}, {ui->actionMemory, "Memory"},
        {ui->actionDataflow, "Dataflow"}, {ui->actionBringToFront, "bringtofront"},
        {ui->actionSendToBack, "sendtoback"}, {ui->actionDelete, "delete"}, {ui->actionzoom_in, "zoom_in"},
        {ui->actionzoom_out, "zoom_out"}, {ui->actionFit_to_window, "fit_to_window"},
        {ui->actionSelf_transition, "Self_transition"},
    };
    for (const auto &icon : icons)
        icon.first->setIcon(PackedIcons::icon(QString::fromLatin1(icon.second)));
}

void MainWindow::buildContextMenus()
{
    // Every item kind gets the stacking and delete commands of the Edit
    // menu; a state can also get a transition to itself.
    const QList<const ItemKind *> &kinds = ItemKinds::all();
    m_contextMenus.resize(kinds.size());
    for (int index = 0; index < kinds.size(); ++index)
        m_contextMenus[index] = new QMenu(this);
    for (const ItemKind *kind : kinds) {
        QMenu *menu = m_contextMenus.at(kind->menuIndex());
        menu->addAction(ui->actionBringToFront);
        menu->addAction(ui->actionSendToBack);
        menu->addAction(ui->actionDelete);
        if (kind->type() == ItemType::State)
            menu->addAction(ui->actionSelf_transition);
    }
}

QMenu *MainWindow::contextMenuOf(int type) const
{
    const ItemKind *kind = ItemKinds::of(type);
    return kind ? m_contextMenus.value(kind->menuIndex()) : nullptr;
}

QAction *MainWindow::propertiesActionOf(int type) const
{
    const ItemKind *kind = ItemKinds::of(type);
    return kind ? m_propertiesActions.value(kind->menuIndex()) : nullptr;
}

QAction *MainWindow::toolActionOf(int type) const
{
    const ItemKind *kind = ItemKinds::of(type);
    return kind ? findChild<QAction *>(QLatin1String(kind->tool().action)) : nullptr;
}

void MainWindow::connectKindTools()
{
    for (const ItemKind *kind : ItemKinds::all()) {
        QAction *action = toolActionOf(kind->type());
        Q_ASSERT(action);
        connect(action, &QAction::triggered, this, [this, kind] { chooseMode(kind); });
    }
}

void MainWindow::buildPropertiesActions()
{
    const QIcon propertiesIcon = PackedIcons::icon(QStringLiteral("Properties"));
    for (QMenu *menu : qAsConst(m_contextMenus)) {
        QAction *properties = new QAction(propertiesIcon, QStringLiteral("Properties"), this);
        menu->addAction(properties);
        m_propertiesActions << properties;
    }
    // Each kind's Properties edits the item of that kind clicked last.
    for (const ItemKind *kind : ItemKinds::all()) {
        const int type = kind->type();
        connect(m_propertiesActions.at(kind->menuIndex()), &QAction::triggered, this,
                [this, type] { m_itemActions->editCurrent(type); });
    }
    m_project->setContextMenus(m_contextMenus);
}

void MainWindow::watchProject()
{
    // Save is enabled exactly while the project differs from its file.
    connect(m_project, &Project::modifiedChanged, ui->actionSave, &QAction::setEnabled);
    connect(m_project, &Project::canvasShown, this, &MainWindow::showCanvas);
    // A drawing tool that has done its work gives way to Select.
    connect(m_project, &Project::itemAdded, this, &MainWindow::on_actionSelect_triggered);
}

void MainWindow::setUpViewAndDock()
{
    setCentralWidget(ui->graphicsView);
    ui->graphicsView->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // In select mode a drag on empty canvas selects with a rubber band.
    ui->graphicsView->setDragMode(QGraphicsView::RubberBandDrag);
    addDockWidget(Qt::LeftDockWidgetArea, ui->dockWidget);
    ui->dockWidget->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    ui->dockWidget->setMaximumWidth(1000);
    ui->treeView->setHeaderHidden(true);
    ui->treeView->setFocusPolicy(Qt::NoFocus);
    ui->treeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A double-click opens the node's diagram and leaves the node as it is.
    ui->treeView->setExpandsOnDoubleClick(false);
    ui->treeView->setContextMenuPolicy(Qt::CustomContextMenu);
}

void MainWindow::buildToolList()
{
    m_tools.resize(ToolSets::ToolCount);
    m_tools[ToolSets::Select] = ui->actionSelect;
    m_tools[ToolSets::Save] = ui->actionSave;
    m_tools[ToolSets::New] = ui->actionNew;
    m_tools[ToolSets::Open] = ui->actionOpen;
    m_tools[ToolSets::BringToFront] = ui->actionBringToFront;
    m_tools[ToolSets::SendToBack] = ui->actionSendToBack;
    m_tools[ToolSets::Delete] = ui->actionDelete;
    m_tools[ToolSets::SetCanvasSize] = ui->actionSet_Canvas_Size;
    m_tools[ToolSets::CodeGenerator] = ui->actionCode_Generator;
    m_tools[ToolSets::CloseProject] = ui->actionClose_Project;
    m_tools[ToolSets::Undo] = ui->actionUndo;
    m_tools[ToolSets::Redo] = ui->actionRedo;
    m_tools[ToolSets::EnableAutosave] = ui->actionEnable_Autosave;
    m_tools[ToolSets::ZoomIn] = ui->actionzoom_in;
    m_tools[ToolSets::ZoomOut] = ui->actionzoom_out;
    m_tools[ToolSets::FitToWindow] = ui->actionFit_to_window;
    m_tools[ToolSets::SaveAs] = ui->actionSave_As;
    m_tools[ToolSets::RenameProject] = ui->actionRename_Project;
    m_tools[ToolSets::OpenExamples] = ui->actionOpen_Examples;
    m_tools[ToolSets::SelfTransition] = ui->actionSelf_transition;
    m_tools[ToolSets::Simulate] = m_simulation->simulateAction();
    m_tools[ToolSets::ExportDiagram] = ui->actionExport_Diagram;
    m_tools[ToolSets::ExportAllDiagrams] = ui->actionExport_All_Diagrams;
    m_tools[ToolSets::Print] = ui->actionPrint;
    m_tools[ToolSets::PrintPreview] = ui->actionPrint_Preview;
}

void MainWindow::buildTreeModel()
{
    ui->treeView->setModel(m_project->treeModel());
    ui->treeView->resizeColumnToContents(0);
}

void MainWindow::setApplicationIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QCoreApplication::setApplicationName(QStringLiteral("Kestro"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTRO_VERSION));
    QCoreApplication::setOrganizationDomain(QStringLiteral("orvanta.com"));
}

void MainWindow::readSettings()
{
    m_stored = readStoredSettings(*m_settings);
    m_project->setCanvasSize(QSize(m_stored.canvasWidth, m_stored.canvasHeight));
}

void MainWindow::writeSettings()
{
    writeStoredSettings(*m_settings, m_stored);
}

void MainWindow::setUpShortcuts()
{
    m_escapeShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_escapeShortcut->setAutoRepeat(false);
    // Escape leaves a simulation, else it returns to select mode.
    connect(m_escapeShortcut, &QShortcut::activated, this, [this] {
        if (m_simulation->isActive())
            m_simulation->stop();
        else
            on_actionSelect_triggered();
    });
    m_fitShortcut = new QShortcut(QKeySequence(Qt::Key_Space), this);
    m_fitShortcut->setAutoRepeat(false);
    connect(m_fitShortcut, &QShortcut::activated, this, &MainWindow::on_actionFit_to_window_triggered);

    // The plain wheel zooms, but only while a project node is shown.
    m_zoom = new GraphicsViewZoom(ui->graphicsView);
    m_zoom->setModifiers(Qt::NoModifier);
    m_zoom->setEnabled(false);
}

void MainWindow::watchScreenChanges()
{
    // A native window has a window handle to watch from the start.
    setAttribute(Qt::WA_NativeWindow);
    connect(windowHandle(), &QWindow::screenChanged, this, &MainWindow::sscreenChanged);
}

void MainWindow::sscreenChanged(QScreen *)
{
    for (Canvas *canvas : m_project->canvases()) {
        for (TextItem *text : canvas->textItems())
            text->fitToText();
        canvas->update();
        for (TransitionItem *transition : canvas->transitions())
            transition->fitToText();
        canvas->update();
        for (StateItem *state : canvas->states())
            state->fitToText();
        canvas->update();
    }
}

void MainWindow::addSideDock(QDockWidget *dock)
{
    addDockWidget(Qt::RightDockWidgetArea, dock);
}

void MainWindow::bringToFront()
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void MainWindow::showStatus(const QString &text)
{
    if (text.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(text);
}

void MainWindow::applyToolSet(int context)
{
    const ToolSets::ToolSet set = ToolSets::forContext(context);
    for (ToolSets::Tool tool : set.enabled)
        m_tools.at(tool)->setEnabled(true);
    for (ToolSets::Tool tool : set.disabled)
        m_tools.at(tool)->setEnabled(false);
    for (const ItemKind *kind : set.enabledKinds)
        toolActionOf(kind->type())->setEnabled(true);
    for (const ItemKind *kind : set.disabledKinds)
        toolActionOf(kind->type())->setEnabled(false);
    // Save is the project's modified flag, whatever the tool set says.
    ui->actionSave->setEnabled(m_project->isModified());
    // Undo and Redo also need a step to take.
    m_undoActions->setAllowed(set.enabled.contains(ToolSets::Undo));
    // Copy and paste edit wherever Delete does.
    m_clipboardActions->setAllowed(set.enabled.contains(ToolSets::Delete));
    m_zoom->setEnabled(set.wheelZoom);

    // Leaving the home screen for a project shows its diagram as a diagram
    // is first shown, with its items in view.
    if (m_toolContext == ToolSets::NoProject && context != ToolSets::NoProject && m_navigation)
        m_navigation->viewStates()->showFirstLook();
    m_toolContext = context;
    m_simulation->setContext(context);
    if (m_navigation)
        m_navigation->setContext(context);
    if (m_subMachineActions)
        m_subMachineActions->setContext(context);
}

void MainWindow::enterNoProjectState()
{
    m_project->treeModel()->clear();
    applyToolSet(ToolSets::NoProject);
    m_statusLabel->setText(QStringLiteral("Ready"));
    HomeScreen::instance()->setRecentProjects(m_recent->paths());
    ui->graphicsView->setScene(HomeScreen::instance());
    setViewScale(1.0, 1.0);
    // No tool can be chosen without a project, and Escape does nothing
    // then; a drawing cursor left over from the closed project would stick.
    setCursor(m_cursors.cursor(nullptr));
    m_helpActions->startRoutineCheck();
}

void MainWindow::setCanvasSize(int width, int height)
{
    m_stored.canvasWidth = width;
    m_stored.canvasHeight = height;
    m_project->setCanvasSize(QSize(width, height));
}

void MainWindow::setViewScale(qreal sx, qreal sy)
{
    ::setViewScale(ui->graphicsView, sx, sy);
}

void MainWindow::showCanvas(Canvas *canvas)
{
    // A drawing mode is chosen for the canvas shown. Showing another one
    // returns every canvas to select mode under the arrow cursor, so that a
    // canvas shown again never inserts on the next click unasked.
    QGraphicsScene *before = ui->graphicsView->scene();
    if (canvas != before) {
        for (Canvas *c : m_project->canvases())
            c->setMode(nullptr);
        setCursor(m_cursors.cursor(nullptr));
        ui->graphicsView->setDragMode(QGraphicsView::RubberBandDrag);
        // Each diagram keeps its own zoom and scroll position.
        if (Canvas *left = qobject_cast<Canvas *>(before))
            m_navigation->viewStates()->leave(left);
    }
    if (canvas)
        ui->graphicsView->setScene(canvas);
    else if (ui->graphicsView->scene() != HomeScreen::instance())
        ui->graphicsView->setScene(nullptr);
    if (canvas && canvas != before)
        m_navigation->viewStates()->enter(canvas);
}

void MainWindow::on_actionzoom_in_triggered()
{
    zoomViewIn(ui->graphicsView);
}

void MainWindow::on_actionzoom_out_triggered()
{
    zoomViewOut(ui->graphicsView);
}

void MainWindow::on_actionFit_to_window_triggered()
{
    if (!m_project->shownCanvas())
        return;
    fitViewToItems(ui->graphicsView, m_project->shownCanvas());
}

void MainWindow::openFromCommandLine(const QString &path)
{
    m_commandLinePath = path;
    m_projectActions->openFromCommandLine(path);
}

void MainWindow::chooseMode(const ItemKind *kind)
{
    // The window's own cursor, so that every child without a cursor of its
    // own shows it: the view, the browser, the toolbar and the menu bar.
    setCursor(m_cursors.cursor(kind));
    ui->graphicsView->setDragMode(kind ? QGraphicsView::NoDrag : QGraphicsView::RubberBandDrag);
    Canvas *shown = m_project->shownCanvas();
    if (!shown)
        return;
    if (kind && kind->type() == ItemType::Process)
        shown->setProcessShape(1);
    shown->setMode(kind);
}

void MainWindow::on_actionSelect_triggered()
{
    if (!m_project->isOpen())
        return;
    chooseMode(nullptr);
}

void MainWindow::on_actionShow_Project_Browser_triggered()
{
    ui->dockWidget->setVisible(!ui->dockWidget->isVisible());
    ui->actionShow_Project_Browser->setChecked(!ui->dockWidget->isHidden());
}

void MainWindow::on_treeView_customContextMenuRequested(const QPoint &)
{
    // The project browser has no context menu.
}

void MainWindow::on_actionExit_triggered()
{
    QApplication::closeAllWindows();
}

QString MainWindow::aboutText()
{
    return QStringLiteral("Kestro ") + QCoreApplication::applicationVersion() + QStringLiteral(" \n\n")
           + QStringLiteral("Build Number: ") + kBuildNumber + QStringLiteral("\n")
           + QStringLiteral("Powered by Qt") + QStringLiteral("\n\n");
}

void MainWindow::on_actionAbout_triggered()
{
    MessageRequest request;
    request.title = kTitle;
    request.text = aboutText();
    request.buttons = QMessageBox::Ok;
    request.defaultButton = QMessageBox::Ok;
    Prompter::current()->message(this, request);
}

void MainWindow::on_actionAbout_Qt_triggered()
{
    QMessageBox::aboutQt(this, QStringLiteral("About Qt"));
}

QUrl MainWindow::newIssueUrl()
{
    return QUrl(QStringLiteral("https://orvanta.com/kestro/issues/new"));
}

QUrl MainWindow::gettingStartedUrl()
{
    return QUrl(QStringLiteral("https://orvanta.com/kestro/articles/getting-started"));
}

void MainWindow::openUrl(const QUrl &url, const QString &elsewhere)
{
    if (m_urlOpener && m_urlOpener(url))
        return;
    // Without a browser the user still gets the address, to copy.
    MessageRequest request;
    request.icon = QMessageBox::Warning;
    request.title = kTitle;
    request.text = QStringLiteral("Kestro could not open this address in a web browser:\n\n%1")
                       .arg(url.toString());
    request.informativeText = elsewhere;
    request.textFormat = Qt::PlainText;
    request.selectableText = true;
    Prompter::current()->message(this, request);
}

void MainWindow::on_actionReport_a_bug_triggered() { openUrl(newIssueUrl()); }
void MainWindow::on_actionReuqest_feature_triggered() { openUrl(newIssueUrl()); }
void MainWindow::on_actionGetting_started_triggered()
{
    openUrl(gettingStartedUrl(),
            QStringLiteral("Copy the address into a web browser on any computer to read the article. "
                           "Help > Take a tour walks through Kestro without a browser."));
}

bool MainWindow::confirmClose()
{
    MessageRequest request;
    request.title = kTitle;
    if (!m_project->isModified()) {
        request.icon = QMessageBox::Question;
        request.text = QStringLiteral("Are you sure you want to quit Kestro?\n");
        request.buttons = QMessageBox::Yes | QMessageBox::Cancel;
        request.defaultButton = QMessageBox::Yes;
        return Prompter::current()->message(this, request) == QMessageBox::Yes;
    }

    request.icon = QMessageBox::Warning;
    request.text = QStringLiteral("Project has been modified.");
    request.informativeText = QStringLiteral("Do you want to save your changes before closing?");
    request.buttons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    request.defaultButton = QMessageBox::Save;
    const QMessageBox::StandardButton answer = Prompter::current()->message(this, request);
    if (answer == QMessageBox::Save) {
        ui->actionSave->trigger();
        // A save that failed leaves the project modified; closing now would
        // lose the changes the user asked to keep.
        if (m_project->isModified())
            return false;
    } else if (answer != QMessageBox::Discard) {
        return false;
    }
    m_project->close();
    enterNoProjectState();
    return true;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!confirmClose()) {
        event->ignore();
        return;
    }
    writeSettings();
    event->accept();
}

// Item commands

void MainWindow::on_actionBringToFront_triggered() { m_itemActions->bringToFront(); }
void MainWindow::on_actionSendToBack_triggered() { m_itemActions->sendToBack(); }
void MainWindow::on_actionDelete_triggered()
{
    // States holding sub-machines take them along, after a question.
    if (!m_subMachineActions->deleteSelection())
        m_itemActions->deleteSelection();
}
void MainWindow::on_actionUndo_triggered() { m_itemActions->undo(); }
void MainWindow::on_actionRedo_triggered() { m_itemActions->redo(); }
void MainWindow::on_actionSelf_transition_triggered() { m_itemActions->addSelfTransition(); }
void MainWindow::on_actionSet_Canvas_Size_triggered() { m_itemActions->setCanvasSize(); }

// App tour, agreement viewer and update check

void MainWindow::on_actionAppTour_triggered() { m_appTour->start(); }
void MainWindow::tourNextLinkClicked() { stateMachineAppTour(false); }
void MainWindow::tourQuitLinkClicked() { stateMachineAppTour(true); }
void MainWindow::stateMachineAppTour(bool quit) { m_appTour->stateMachineAppTour(quit); }
void MainWindow::on_actionEula_triggered() { m_helpActions->showEula(); }
void MainWindow::on_actionCheck_for_update_triggered() { m_helpActions->checkForUpdate(); }

// --- Project commands -------------------------------------------------------------

void MainWindow::on_actionNew_triggered() { m_projectActions->newProject(); }
void MainWindow::on_actionOpen_triggered() { m_projectActions->open(); }
void MainWindow::on_actionOpen_Examples_triggered() { m_projectActions->openExamples(); }
void MainWindow::on_actionSave_triggered() { m_projectActions->save(); }
void MainWindow::on_actionSave_As_triggered() { m_projectActions->saveAs(); }
void MainWindow::on_actionRename_Project_triggered() { m_projectActions->renameProject(); }
void MainWindow::on_actionClose_Project_triggered() { m_projectActions->closeProject(); }
void MainWindow::on_actionCode_Generator_triggered() { m_projectActions->runCodeGenerator(); }
void MainWindow::on_actionExport_Diagram_triggered() { m_exportActions->exportDiagram(); }
void MainWindow::on_actionExport_All_Diagrams_triggered() { m_exportActions->exportAllDiagrams(); }
void MainWindow::on_actionPrint_triggered() { m_exportActions->print(); }
void MainWindow::on_actionPrint_Preview_triggered() { m_exportActions->printPreview(); }

void MainWindow::on_treeView_doubleClicked(const QModelIndex &index)
{
    m_projectActions->browser()->activate(index);
}

