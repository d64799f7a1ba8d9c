#pragma once

// The window's commands on the sub-machines of states: "Add Sub-machine"
// and "Open Sub-machine" in the state context menu, Enter on a selected
// state that holds one (opens its diagram), the state dialog's
// "Sub-machine" box (adds or removes one, in one undo step with the
// dialog's other changes) and Delete on a selection whose states hold
// sub-machines (asks first, naming what goes). The commands are usable
// while a project node is shown; the tour and a simulation switch them off.

#include <QObject>
#include <QStringList>

class Canvas;
class ItemActions;
class Project;
class ProjectBrowser;
class ProjectWindow;
class QAction;
class QGraphicsView;
class QMenu;
class StateItem;

class SubMachineActions : public QObject
{
    Q_OBJECT
public:
    // stateMenu: the states' context menu, which gets both commands.
    SubMachineActions(ProjectWindow *window, Project *project, ProjectBrowser *browser,
                      ItemActions *items, QGraphicsView *view, QMenu *stateMenu);
    ~SubMachineActions() override;

    QAction *addAction() const { return m_add; }
    QAction *openAction() const { return m_open; }

    // The window's tool context (ToolSets).
    void setContext(int context);

    // The commands on the state whose context menu was opened last.
    void addToPointedState();
    void openPointedState();
    // The diagram of the selected state's sub-machine; false when no
    // selected state holds one or it cannot be shown.
    bool openSelected();
    // Delete on the shown canvas: when selected states hold sub-machines,
    // asks whether they go too and deletes all of it as one undo step.
    // Returns false, doing nothing, when no selected state holds one.
    bool deleteSelection();
    // The state dialog of `state` on `canvas`.
    void editState(Canvas *canvas, StateItem *state);

    // The question before sub-machines go: `what` names what is deleted
    // ("\"Idle\"", "the sub-machine of \"Idle\""), `holders` the states
    // whose sub-machines go with it. True when the user agrees.
    bool confirmRemoval(const QString &what, Canvas *canvas, const QList<StateItem *> &holders) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool usable() const;
    // Enables the commands for the state the menu is about to show.
    void updateForPointedState();
    StateItem *pointedState() const;
    bool openSubMachineOf(Canvas *canvas, StateItem *state);

    ProjectWindow *m_window;
    Project *m_project;
    ProjectBrowser *m_browser;
    ItemActions *m_items;
    QGraphicsView *m_view;
    QAction *m_add = nullptr;
    QAction *m_open = nullptr;
    int m_context = 0;
};
