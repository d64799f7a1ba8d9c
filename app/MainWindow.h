#pragma once

// The application's only top-level window: menus, toolbar, status bar, the
// project browser dock and the graphics view that shows one canvas at a
// time. It owns the canvases of the open project, the item context menus
// the canvases hand to their items, the actions through which a canvas
// notifies the window, and the settings kept between runs.

#include "CursorSet.h"
#include "Prompter.h"
#include "StoredSettings.h"
#include "ToolSets.h"

#include <QList>
#include <QMainWindow>
#include <QPointF>
#include <QScreen>
#include <QUrl>
#include <QVector>

#include <functional>
#include <memory>

class AppTour;
class Canvas;
class GraphicsViewZoom;
class HelpCommands;
class ItemCommands;
class QAction;
class QCloseEvent;
class QLabel;

class QMenu;
class ProjectCommands;
class SimulationController;
class QModelIndex;
class QSettings;
class QShortcut;
class TreeModel;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Kinds of diagram item, in the order of the context menus.
    enum ItemMenu { StateMenu, TransitionMenu, TextMenu, ProcessMenu, LinkMenu, MemoryMenu,
                    DataflowMenu, ItemMenuCount };

    using UrlOpener = std::function<bool(const QUrl &)>;

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Enables and disables the tool actions for a context: ToolSets::NoProject,
    // ToolSets::Tour or the tree level (1..5) of the node shown.
    void applyToolSet(int context);
    int toolContext() const { return m_toolContext; }
    // The wheel-zoom filter of the view; on while a project node is shown.
    GraphicsViewZoom *zoomFilter() const { return m_zoom; }

    // Clears the browser and returns the window to its start-up look.
    void enterNoProjectState();

    // The project browser's model, one for the window's whole life.
    TreeModel *treeModel() const { return m_treeModel; }

    // The canvases of the open project, in creation order, and the one shown.
    const QList<Canvas *> &canvases() const { return m_canvases; }
    Canvas *shownCanvas() const { return m_shownCanvas; }
    // Creates a canvas for a tree node, set up like every canvas (identity,
    // name, the current canvas size, the four notification actions), and
    // appends it to the list.
    Canvas *createCanvas(const QString &name, int level, int id, int parentId, int grandParentId,
                         int nos);
    // Shows a canvas of the list in the view (the zoom is kept). Showing
    // another canvas than before puts every canvas back in select mode.
    void showCanvas(Canvas *canvas);
    // Destroys every canvas, and with them all items and undo history.
    void clearCanvases();
    // The seven item context menus (index with ItemMenu) and their
    // "Properties" actions.
    const QVector<QMenu *> &contextMenus() const { return m_contextMenus; }
    const QVector<QAction *> &propertiesActions() const { return m_propertiesActions; }
    // The actions a canvas triggers to notify the window.
    QAction *processItemAddedAction() const { return m_processItemAddedAction; }
    QAction *processPropertiesAction() const { return m_processPropertiesAction; }
    QAction *modifiedAction() const { return m_modifiedAction; }
    QAction *selectAction() const { return m_selectAction; }

    // The project counts as modified while Save is enabled.
    bool isModified() const;

    // Scene size given to new canvases.
    int canvasWidth() const { return m_stored.canvasWidth; }
    int canvasHeight() const { return m_stored.canvasHeight; }
    void setCanvasSize(int width, int height);

    // Code generator values kept in the settings store.
    QString author() const { return m_stored.author; }
    void setAuthor(const QString &author) { m_stored.author = author; }
    QString organization() const { return m_stored.organization; }
    void setOrganization(const QString &organization) { m_stored.organization = organization; }
    bool hasVersion() const { return m_stored.hasVersion; }
    double version() const { return m_stored.version; }
    void setVersion(double version);

    // Resets the view's scale to (sx, sy), keeping its translation.
    void setViewScale(qreal sx, qreal sy);
    // The scale a project is shown at (kept while the home screen is shown).
    QPointF projectViewScale() const { return m_projectScale; }

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
    ItemCommands *itemCommands() const { return m_itemCommands; }
    // Run > Simulate and the simulation dock.
    SimulationController *simulation() const { return m_simulation; }

public slots:
    void slot_enableSaveAction();

    void on_actionState_triggered();
    void on_actiontransition_triggered();
    void on_actionText_triggered();
    void on_actionProcessRect_triggered();
    void on_actionLink_triggered();
    void on_actionMemory_triggered();
    void on_actionDataflow_triggered();
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
    void displaySIPropertiesFromScene();
    void displayTIPropertiesFromScene();
    void displayTextItemPropertiesFromScene();
    void displayLinkItemPropertiesFromScene();
    void displayMemoryItemPropertiesFromScene();
    void displayDataflowItemPropertiesFromScene();
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
    void on_treeView_doubleClicked(const QModelIndex &index);
    void slot_processItemAdded();
    void displayProcessItemPropertiesFromScene();

public:
    // Project commands: the list the project operations change, and the
    // commands themselves.
    QList<Canvas *> *canvasList() { return &m_canvases; }
    ProjectCommands *projectCommands() const { return m_projectCommands; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildContextMenus();
    void buildSignalActions();
    void setUpViewAndDock();
    void buildToolList();
    void buildTreeModel();
    void setApplicationIdentity();
    void readSettings();
    void writeSettings();
    void setUpShortcuts();
    void watchScreenChanges();
    void chooseMode(int mode);
    bool confirmClose();
    void openUrl(const QUrl &url);

    std::unique_ptr<Ui::MainWindow> ui;
    DefaultPrompter m_prompter;
    QList<Canvas *> m_canvases;
    Canvas *m_shownCanvas = nullptr;
    QVector<QMenu *> m_contextMenus;
    QVector<QAction *> m_propertiesActions;
    QAction *m_processItemAddedAction = nullptr;
    QAction *m_processPropertiesAction = nullptr;
    QAction *m_modifiedAction = nullptr;
    QAction *m_selectAction = nullptr;
    QVector<QAction *> m_tools;   // indexed by ToolSets::Tool
    TreeModel *m_treeModel = nullptr;
    CursorSet m_cursors;
    std::unique_ptr<QSettings> m_settings;
    StoredSettings m_stored;
    QPointF m_projectScale{1.0, 1.0};
    QLabel *m_statusLabel = nullptr;
    QShortcut *m_escapeShortcut = nullptr;
    QShortcut *m_fitShortcut = nullptr;
    GraphicsViewZoom *m_zoom = nullptr;
    int m_toolContext = ToolSets::NoProject;
    QString m_commandLinePath;
    UrlOpener m_urlOpener;

    // Item commands
    ItemCommands *m_itemCommands = nullptr;

    // App tour, agreement viewer and update check (children of the window)
    AppTour *m_appTour = nullptr;
    HelpCommands *m_helpCommands = nullptr;

    // Project commands
    ProjectCommands *m_projectCommands = nullptr;

    SimulationController *m_simulation = nullptr;
};
