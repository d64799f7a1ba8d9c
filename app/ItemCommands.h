#pragma once

// The main window's item commands on the canvas it shows: the property
// dialogs opened from the item context menus, bring to front, send to back,
// delete, undo, redo, self transition and the canvas size. The window's
// slots delegate here; every command does nothing while no canvas is shown.

#include <QObject>

#include <functional>

class Canvas;
class CanvasSize;
class MainWindow;
class ProcessItem;
class QGraphicsItem;
class QWidget;

class ItemCommands : public QObject
{
    Q_OBJECT
public:
    // Deletes one selected process item of the shown canvas: that needs the
    // project tree and the window's canvas list.
    using ProcessDeleteHandler = std::function<void(ProcessItem *)>;

    // Connects the "Properties" actions of the window's context menus (all
    // but the process one, which renames tree nodes) to the window's slots
    // and creates the canvas-size dialog, reused for the window's life.
    explicit ItemCommands(MainWindow *window);

    // The dialog of the current item of each kind on the shown canvas. The
    // project counts as modified when the dialog was accepted and changed
    // something; with no current item nothing happens.
    void displayStateProperties();
    void displayTransitionProperties();
    void displayTextItemProperties();
    void displayLinkItemProperties();
    void displayMemoryItemProperties();
    void displayDataflowItemProperties();

    // Stacking of the first selected item (connector lines are left alone).
    void bringToFront();
    void sendToBack();
    // Deletes the selection; process items go to the process delete handler.
    void deleteSelection();
    void undo();
    void redo();
    // A transition from the selected state (the one clicked last when
    // several are) to itself.
    void addSelfTransition();
    // Runs the canvas-size dialog; on OK the shown canvas and the canvases
    // created later get the new size.
    void setCanvasSize();

    // By default a process item is only refused when it is the last one.
    void setProcessDeleteHandler(ProcessDeleteHandler handler);
    CanvasSize *canvasSizeDialog() const { return m_canvasSize; }

    // Shows "Last Process Item cannot be deleted" and returns true when
    // canvas holds fewer than two process items.
    static bool refuseLastProcessItem(const Canvas *canvas, QWidget *parent);

private:
    Canvas *canvas() const;
    void markModified();
    QGraphicsItem *firstStackableSelection() const;
    void openProperties(bool (Canvas::*display)());
    void stepUndoStack(bool forward);

    MainWindow *m_window = nullptr;
    CanvasSize *m_canvasSize = nullptr;
    ProcessDeleteHandler m_processDeleteHandler;
};
