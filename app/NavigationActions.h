#pragma once

// Moving between the diagrams of the open project: Back and Forward over
// the diagrams visited (Alt+Left, Alt+Right and the mouse's back and
// forward buttons), "Open Diagram" on a process item (its context menu, or
// Enter with one process item selected), each diagram's own zoom and
// scroll position, and Find (Ctrl+F) with its dock. The actions are usable
// while a project node is shown; the tour and a simulation switch them off.

#include <QObject>

class Canvas;
class DiagramViewStates;
class FindPanel;
class NavigationHistory;
class Project;
class ProjectBrowser;
class QAction;
class QGraphicsView;
class QMainWindow;
class QMenu;
class QToolBar;
struct SearchHit;

class NavigationActions : public QObject
{
    Q_OBJECT
public:
    // Where the actions and the dock go in the window.
    struct Places
    {
        QMainWindow *window = nullptr;
        QGraphicsView *view = nullptr;
        QMenu *editMenu = nullptr;
        QMenu *viewMenu = nullptr;
        QToolBar *toolBar = nullptr;
        QMenu *processMenu = nullptr;   // the process items' context menu
    };

    NavigationActions(const Places &places, Project *project, ProjectBrowser *browser);
    ~NavigationActions() override;

    QAction *backAction() const { return m_back; }
    QAction *forwardAction() const { return m_forward; }
    QAction *openDiagramAction() const { return m_openDiagram; }
    QAction *findAction() const { return m_find; }
    // The Find dock, made on first use.
    FindPanel *findPanel();
    NavigationHistory *history() const { return m_history; }
    DiagramViewStates *viewStates() const { return m_viewStates; }

    // The window's tool context (ToolSets): no project, a tree level, the
    // tour or a simulation.
    void setContext(int context);

    void goBack();
    void goForward();
    // The diagram of the process item whose context menu was opened.
    void openPointedDiagram();
    // The diagram of the one selected process item of the shown canvas;
    // false when there is none or it cannot be shown.
    bool openSelectedDiagram();
    // Shows the diagram of a find hit with its item selected and centred.
    void showHit(const SearchHit &hit);

protected:
    // The mouse's back and forward buttons anywhere in the window; Enter on
    // the view.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createActions(const Places &places);
    void watchProject();
    void go(int direction);
    void updateEnabled();
    bool navigating() const;

    QMainWindow *m_window;
    QGraphicsView *m_view;
    Project *m_project;
    ProjectBrowser *m_browser;
    NavigationHistory *m_history;
    DiagramViewStates *m_viewStates;
    FindPanel *m_findPanel = nullptr;
    QAction *m_back = nullptr;
    QAction *m_forward = nullptr;
    QAction *m_openDiagram = nullptr;
    QAction *m_find = nullptr;
    int m_context = 0;
};
