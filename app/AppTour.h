#pragma once

// The app tour as the main window runs it: opens the sample project, walks
// the user through it with the tour box, one element per click on Next, and
// closes the project again when the tour ends. The step texts and the rule
// that picks the next step are in TourSteps; this class does the window's
// part: showing diagrams, finding the elements and placing the box.

#include <QObject>
#include <QPoint>
#include <QString>

class MainWindow;
class QAction;
class QDockWidget;
class QGraphicsItem;
class QGraphicsView;
class QMenu;
class QMenuBar;
class QTreeView;
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
        // Enabled exactly while the project has unsaved changes.
        QAction *saveAction = nullptr;
    };

    AppTour(MainWindow *window, const Widgets &widgets);

    // Take a tour: asks before replacing an open project, opens the sample
    // project and shows the first step.
    void start();
    // Next (quit false) shows the next step whose element exists, or ends
    // the tour after the last one; Quit (quit true) ends it.
    void stateMachineAppTour(bool quit);

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

private:
    void createBox();
    bool confirmReplacingProject();
    // What a step points at: an item of the shown diagram (its width and
    // how much higher the box goes), or a fixed point of the window.
    struct Target
    {
        QGraphicsItem *item = nullptr;
        int width = 0;
        int raise = 0;
        QPoint point;
    };
    bool prepareStep(int step, Target *target);
    QPoint placeFor(const Target &target);
    bool openFirstNodeThreeLevelsDown();
    QPoint runMenuPoint() const;
    void moveBox(const QPoint &topLeft);
    void applyToolSetKeepingModified(int context);
    void end();
    void showStatus(const QString &text);

    MainWindow *m_window;
    Widgets m_widgets;
    TourBox *m_box = nullptr;
    int m_tourStep = 0;
};
