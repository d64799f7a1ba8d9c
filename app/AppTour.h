#pragma once

// The app tour as the main window runs it: opens the sample project, walks
// the user through it with the tour box, one element per click on Next, and
// closes the project again when the tour ends. The step texts and the rule
// that picks the next step are in TourSteps, where the box goes in
// TourPlacement; this class does the window's part: showing diagrams,
// finding the elements and keeping the box beside them while the window is
// resized or the view scrolled.

#include <QMetaObject>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>

class Project;
class ProjectActions;
class ProjectWindow;
class QDockWidget;
class QGraphicsItem;
class QGraphicsView;
class QMenu;
class QMenuBar;
class QTreeView;
class QWidget;
class TourBox;

class AppTour : public QObject
{
    Q_OBJECT

public:
    // The window's widgets the tour points at.
    struct Widgets
    {
        QDockWidget *browserDock = nullptr;
        QTreeView *treeView = nullptr;
        QGraphicsView *view = nullptr;
        QMenuBar *menuBar = nullptr;
        QMenu *runMenu = nullptr;
    };

    // How a start ended: the tour runs; the user kept the open project; or
    // there is no sample project to tour (missing or unreadable).
    enum class StartResult { Started, Declined, Unavailable };

    AppTour(ProjectWindow *window, Project *project, ProjectActions *actions, const Widgets &widgets);

    // Take a tour: asks before replacing an open project, opens the sample
    // project and shows the first step. The sample itself, open and
    // unchanged, is toured as it is, without the question.
    StartResult start();
    // Next (quit false) shows the next step whose element exists, or ends
    // the tour after the last one; Quit (quit true) ends it.
    void stateMachineAppTour(bool quit);

    bool isRunning() const { return m_running; }
    // The step the next click on Next tries first (0 while no tour runs).
    int tourStep() const { return m_tourStep; }
    // The box, created by the first tour; null before.
    TourBox *tourBox() const { return m_box; }

    // The sample project the tour opens: "Example_1.qsmd" in the examples
    // directory, as an absolute path, or empty when there is none.
    static QString findSampleProject();

    // Where a box pointing at an item goes, in the coordinates of the view's
    // parent widget: the item's position plus its width to the right,
    // mapped through the view, raised by `raise` pixels.
    static QPoint pointRightOf(const QGraphicsView *view, const QGraphicsItem *item, int width,
                               int raise = 0);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // What a step points at: an item of the shown diagram (its width and
    // how much higher the box goes), or a fixed place of the window.
    enum class Anchor { None, Item, Browser, RunMenu };
    struct Target
    {
        Anchor anchor = Anchor::None;
        QGraphicsItem *item = nullptr;
        QPointer<QObject> itemAlive;   // the same item, to notice its deletion
        int width = 0;
        int raise = 0;
    };

    void createBox();
    bool isOpenAndUnchanged(const QString &sample) const;
    bool confirmReplacingProject();
    bool openSample(const QString &sample);
    void begin();
    bool prepareStep(int step, Target *target);
    void scrollIntoView(const Target &target);
    void placeBox();
    QRect viewBounds() const;
    bool openFirstNodeThreeLevelsDown();
    QPoint runMenuPoint() const;
    void end();
    // The tools of the shown diagram of the project left open.
    void restoreProjectTools();
    void stop();
    void projectClosed();
    void showStatus(const QString &text);

    ProjectWindow *m_window;
    QWidget *m_widget;
    Project *m_project;
    ProjectActions *m_actions;
    Widgets m_widgets;
    TourBox *m_box = nullptr;
    int m_tourStep = 0;
    bool m_running = false;
    // Where the tour's end leaves the user: on the sample when the tour
    // started on it, else back in the project open before (none: the home
    // screen).
    bool m_keepSample = false;
    QString m_returnPath;
    Target m_target;
    QMetaObject::Connection m_projectWatch;
};
