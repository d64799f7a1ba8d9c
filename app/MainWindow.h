#pragma once

// The application's only top-level window: menus, toolbar, status bar, the
// project browser dock and the graphics view that shows one canvas at a
// time. It owns the Project (the open project's canvases, tree and undo
// history), the item context menus the canvases hand to their items, and
// the settings kept between runs. It shows what the project reports through
// its signals; its helpers see it through the narrow ProjectWindow.

#include "CursorSet.h"
#include "ProjectWindow.h"
#include "Prompter.h"
#include "StoredSettings.h"
#include "ToolSets.h"

#include <QList>
#include <QMainWindow>
#include <QScreen>
#include <QUrl>
#include <QVector>

#include <functional>
#include <memory>

class AppTour;
class Autosaver;
class Canvas;
class ExportActions;
class GraphicsViewZoom;
class HelpActions;
class UndoActions;
class ClipboardActions;
class ItemActions;
class ItemKind;
class NavigationActions;
class Project;
class QAction;
class QCloseEvent;
class QLabel;

class QMenu;
class OpenRequestHandler;
class PreferencesActions;
class ProjectActions;
class SimulationController;
class SubMachineActions;
class QModelIndex;
class RecentProjects;
class RecentProjectsMenu;
class QSettings;
class QShortcut;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow, public ProjectWindow
{
    Q_OBJECT

public:
    using UrlOpener = std::function<bool(const QUrl &)>;

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // --- ProjectWindow ---------------------------------------------------------------
    QWidget *dialogParent() override { return this; }
    void showStatus(const QString &text) override;
    void applyToolSet(int context) override;
    int toolContext() const override { return m_toolContext; }
    // Clears the browser and returns the window to its start-up look.
    void enterNoProjectState() override;
    StoredSettings &storedSettings() override { return m_stored; }
    // The open project (its canvases, tree and undo history), one object
    // for the window's whole life.
    Project *project() const override { return m_project; }
    // Project commands: create, open, save, rename and close.
    ProjectActions *projectActions() const override { return m_projectActions; }
    // Autosave of the open project.
    Autosaver *autosaver() const override { return m_autosaver; }
    void chooseSelectTool() override { on_actionSelect_triggered(); }
    void addSideDock(QDockWidget *dock) override;
    void bringToFront() override;

    // The wheel-zoom filter of the view; on while a project node is shown.
    GraphicsViewZoom *zoomFilter() const { return m_zoom; }

    // The item context menus, one per kind in the order of the kinds' menu
    // indexes (ItemKind::Tool), and their "Properties" actions.
    const QVector<QMenu *> &contextMenus() const { return m_contextMenus; }
    const QVector<QAction *> &propertiesActions() const { return m_propertiesActions; }
    // The context menu and the Properties action of items of type `type`.
    QMenu *contextMenuOf(int type) const;
    QAction *propertiesActionOf(int type) const;
    // The tool action that chooses the drawing mode of items of type `type`.
    QAction *toolActionOf(int type) const;

    // Scene size given to new canvases (kept between runs).
    void setCanvasSize(int width, int height);

    // Resets the view's scale to (sx, sy), keeping its translation.
    void setViewScale(qreal sx, qreal sy);

    // The project file named on the command line.
    void openFromCommandLine(const QString &path);
    QString commandLinePath() const { return m_commandLinePath; }

    // Opens web pages; replaceable so that tests need no browser.
    void setUrlOpener(UrlOpener opener) { m_urlOpener = std::move(opener); }
    static QUrl newIssueUrl();
    static QUrl gettingStartedUrl();
    static QString aboutText();

    // Item commands
    // Property dialogs, stacking, delete, undo/redo, self transition and
    // canvas size on the shown canvas.
    ItemActions *itemActions() const { return m_itemActions; }
    // Run > Simulate and the simulation dock.
    SimulationController *simulation() const { return m_simulation; }
    // Back, Forward, Open Diagram, each diagram's zoom and scroll, Find.
    NavigationActions *navigation() const { return m_navigation; }
    SubMachineActions *subMachineActions() const { return m_subMachineActions; }
    // Edit > Preferences.
    PreferencesActions *preferences() const { return m_preferences; }

public slots:
    void on_actionSelect_triggered();
    void on_actionShow_Project_Browser_triggered();

    void on_actionzoom_in_triggered();
    void on_actionzoom_out_triggered();
    void on_actionFit_to_window_triggered();

    // Text metrics differ between screens: every box is fitted to its text again.
    void sscreenChanged(QScreen *screen);

    void on_actionExit_triggered();
    void on_actionAbout_triggered();
    void on_actionAbout_Qt_triggered();
    void on_actionReport_a_bug_triggered();
    void on_actionReuqest_feature_triggered();
    void on_actionGetting_started_triggered();

    void on_treeView_customContextMenuRequested(const QPoint &pos);

    // Item commands
    void on_actionBringToFront_triggered();
    void on_actionSendToBack_triggered();
    void on_actionDelete_triggered();
    void on_actionUndo_triggered();
    void on_actionRedo_triggered();
    void on_actionSelf_transition_triggered();
    void on_actionSet_Canvas_Size_triggered();

    // App tour, agreement viewer and update check
    void on_actionAppTour_triggered();
    void tourNextLinkClicked();
    void tourQuitLinkClicked();
    void stateMachineAppTour(bool quit);
    void on_actionEula_triggered();
    void on_actionCheck_for_update_triggered();

    // Project commands
    void on_actionNew_triggered();
    void on_actionOpen_triggered();
    void on_actionOpen_Examples_triggered();
    void on_actionSave_triggered();
    void on_actionSave_As_triggered();
    void on_actionRename_Project_triggered();
    void on_actionClose_Project_triggered();
    void on_actionCode_Generator_triggered();
    void on_actionExport_Diagram_triggered();
    void on_actionExport_All_Diagrams_triggered();
    void on_actionPrint_triggered();
    void on_actionPrint_Preview_triggered();
    void on_treeView_doubleClicked(const QModelIndex &index);

public:
    // Export, print and print preview of the diagrams.
    ExportActions *exportActions() const { return m_exportActions; }

    // Recent projects, and files handed over by a second start.
    RecentProjects *recentProjects() const { return m_recent; }
    RecentProjectsMenu *recentProjectsMenu() const { return m_recentMenu; }
    OpenRequestHandler *openRequests() const { return m_openRequests; }
    // Opens a project of the recent list; one that no longer exists is
    // taken off the list and the user is told.
    void openRecentProject(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildContextMenus();
    void setIcons();
    void buildPropertiesActions();
    void watchProject();
    // Shows a canvas of the project in the view (the zoom is kept). Showing
    // another canvas than before puts every canvas back in select mode.
    void showCanvas(Canvas *canvas);
    void setUpViewAndDock();
    void buildToolList();
    void buildTreeModel();
    void setApplicationIdentity();
    void readSettings();
    void writeSettings();
    void setUpShortcuts();
    void watchScreenChanges();
    // The drawing mode that makes `kind` (null: select) on the shown canvas,
    // with its cursor.
    void chooseMode(const ItemKind *kind);
    // Each kind's tool action chooses its mode.
    void connectKindTools();
    bool confirmClose();
    // Opens url in a browser; without one, shows it to copy, with `elsewhere`
    // saying where else to read it.
    void openUrl(const QUrl &url, const QString &elsewhere = QString());
    void setUpAutosaveAndRecent();

    std::unique_ptr<Ui::MainWindow> ui;
    DefaultPrompter m_prompter;
    Project *m_project = nullptr;
    QVector<QMenu *> m_contextMenus;
    QVector<QAction *> m_propertiesActions;
    QVector<QAction *> m_tools;   // indexed by ToolSets::Tool
    CursorSet m_cursors;
    std::unique_ptr<QSettings> m_settings;
    StoredSettings m_stored;
    QLabel *m_statusLabel = nullptr;
    QShortcut *m_escapeShortcut = nullptr;
    QShortcut *m_fitShortcut = nullptr;
    GraphicsViewZoom *m_zoom = nullptr;
    int m_toolContext = ToolSets::NoProject;
    QString m_commandLinePath;
    UrlOpener m_urlOpener;

    // Item commands
    ItemActions *m_itemActions = nullptr;
    UndoActions *m_undoActions = nullptr;   // Undo and Redo follow the shown stack
    ClipboardActions *m_clipboardActions = nullptr;

    // App tour, agreement viewer and update check (children of the window)
    AppTour *m_appTour = nullptr;
    HelpActions *m_helpActions = nullptr;

    // Project commands
    ProjectActions *m_projectActions = nullptr;
    ExportActions *m_exportActions = nullptr;

    SimulationController *m_simulation = nullptr;
    NavigationActions *m_navigation = nullptr;
    SubMachineActions *m_subMachineActions = nullptr;

    // Autosave, recent projects, hand-over
    Autosaver *m_autosaver = nullptr;
    PreferencesActions *m_preferences = nullptr;
    RecentProjects *m_recent = nullptr;
    RecentProjectsMenu *m_recentMenu = nullptr;
    OpenRequestHandler *m_openRequests = nullptr;
};
