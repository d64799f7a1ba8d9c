#pragma once

// The window's actions on the items of the canvas it shows: the property
// dialogs (from the context menus and from a double-click on an item),
// bring to front, send to back, delete, undo, redo, self transition and the
// canvas size. The window's slots delegate here; every action does nothing
// while no canvas is shown.

#include <QObject>
#include <QSize>

#include <functional>
#include <memory>

class Canvas;
class CanvasSize;
class DiagramItem;
class ProcessItem;
class Project;
class ProjectBrowser;
class ProjectWindow;
class PropertyDialogs;
class QGraphicsItem;
class QWidget;
class StateItem;

class ItemActions : public QObject
{
    Q_OBJECT
public:
    // Deletes one selected process item of the shown canvas: that needs the
    // project tree and the other canvases.
    using ProcessDeleteHandler = std::function<void(ProcessItem *)>;
    // Runs the dialog of a state: a state may get or lose a sub-machine
    // there, which needs the project's other canvases.
    using StateEditor = std::function<void(Canvas *, StateItem *)>;

    // Creates the canvas-size dialog, reused for the window's life, and
    // opens the properties of every item the project reports double-clicked.
    ItemActions(ProjectWindow *window, Project *project, ProjectBrowser *browser);
    ~ItemActions() override;

    // The dialog of the shown canvas's current item of a kind (an ItemType
    // value). The project counts as modified when the dialog was accepted
    // and changed something; with no current item nothing happens.
    // Renaming a process item also renames its node and canvas.
    void editCurrent(int kind);
    // The dialog of any item of a canvas (a double-click).
    void editProperties(Canvas *canvas, QGraphicsItem *item);

    // Stacking of the first selected item (connector lines are left alone).
    void bringToFront();
    void sendToBack();
    // Deletes the selection; process items go to the process delete handler.
    void deleteSelection();
    // One step back or forward on the shown canvas's undo stack.
    void undo();
    void redo();
    // A transition from the selected state (the one clicked last when
    // several are) to itself.
    void addSelfTransition();
    // Runs the canvas-size dialog; on OK the shown canvas and the canvases
    // created later get the new size.
    void setCanvasSize();

    // By default a process item goes through the browser, which asks first.
    void setProcessDeleteHandler(ProcessDeleteHandler handler);
    // Without one a state's dialog is an item change like any other.
    void setStateEditor(StateEditor editor) { m_stateEditor = std::move(editor); }
    CanvasSize *canvasSizeDialog() const { return m_canvasSize; }
    PropertyDialogs *propertyDialogs() const { return m_dialogs.get(); }

    // Shows "Last Process Item cannot be deleted" and returns true when
    // canvas holds fewer than two process items.
    static bool refuseLastProcessItem(const Canvas *canvas, QWidget *parent);
    // How far right and down the items of a canvas reach, the smallest
    // canvas size that keeps them all.
    static QSize itemsExtent(const Canvas *canvas);

private:
    Canvas *canvas() const;
    DiagramItem *firstStackableSelection() const;
    // The first stackable selected item takes stacking value z, one undo step.
    void restack(qreal z, const QString &verb);
    void stepUndoStack(bool forward);

    ProjectWindow *m_window = nullptr;
    Project *m_project = nullptr;
    ProjectBrowser *m_browser = nullptr;
    CanvasSize *m_canvasSize = nullptr;
    std::unique_ptr<PropertyDialogs> m_dialogs;
    ProcessDeleteHandler m_processDeleteHandler;
    StateEditor m_stateEditor;
};
