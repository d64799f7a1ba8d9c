#include "ItemCommands.h"

#include "Canvas.h"
#include "CanvasSize.h"
#include "MainWindow.h"
#include "Prompter.h"

#include <QAction>
#include <QGraphicsLineItem>
#include <QUndoStack>

#include <utility>

ItemCommands::ItemCommands(MainWindow *window)
    : QObject(window), m_window(window), m_canvasSize(new CanvasSize(window))
{
    const QVector<QAction *> &actions = window->propertiesActions();
    connect(actions.at(MainWindow::StateMenu), &QAction::triggered, window,
            &MainWindow::displaySIPropertiesFromScene);
    connect(actions.at(MainWindow::TransitionMenu), &QAction::triggered, window,
            &MainWindow::displayTIPropertiesFromScene);
    connect(actions.at(MainWindow::TextMenu), &QAction::triggered, window,
            &MainWindow::displayTextItemPropertiesFromScene);
    connect(actions.at(MainWindow::LinkMenu), &QAction::triggered, window,
            &MainWindow::displayLinkItemPropertiesFromScene);
    connect(actions.at(MainWindow::MemoryMenu), &QAction::triggered, window,
            &MainWindow::displayMemoryItemPropertiesFromScene);
    connect(actions.at(MainWindow::DataflowMenu), &QAction::triggered, window,
            &MainWindow::displayDataflowItemPropertiesFromScene);

    m_processDeleteHandler = [this](ProcessItem *) { refuseLastProcessItem(canvas(), m_window); };
}

Canvas *ItemCommands::canvas() const
{
    return m_window->shownCanvas();
}

void ItemCommands::markModified()
{
    m_window->slot_enableSaveAction();
}

// --- property dialogs ---------------------------------------------------------------

// The canvas opens the dialog only for an item still listed on it (the
// current item may have been deleted since it was right-clicked) and marks
// the project modified only when an accepted dialog changed something: the
// same route a double-click takes.
void ItemCommands::openProperties(bool (Canvas::*display)())
{
    if (Canvas *c = canvas())
        (c->*display)();
}

void ItemCommands::displayStateProperties()
{
    openProperties(&Canvas::displayStateProperties);
}

void ItemCommands::displayTransitionProperties()
{
    openProperties(&Canvas::displayTransitionProperties);
}

void ItemCommands::displayTextItemProperties()
{
    openProperties(&Canvas::displayTextItemProperties);
}

void ItemCommands::displayLinkItemProperties()
{
    openProperties(&Canvas::displayLinkItemProperties);
}

void ItemCommands::displayMemoryItemProperties()
{
    openProperties(&Canvas::displayMemoryItemProperties);
}

void ItemCommands::displayDataflowItemProperties()
{
    openProperties(&Canvas::displayDataflowItemProperties);
}

// --- stacking ---------------------------------------------------------------------------

QGraphicsItem *ItemCommands::firstStackableSelection() const
{
    Canvas *c = canvas();
    if (!c)
        return nullptr;
    const QList<QGraphicsItem *> selection = c->selectedItems();
    if (selection.isEmpty() || selection.first()->type() == QGraphicsLineItem::Type)
        return nullptr;
    return selection.first();
}

void ItemCommands::bringToFront()
{
    QGraphicsItem *item = firstStackableSelection();
    if (!item)
        return;
    // Even the topmost item goes one higher: the new value is the highest.
    item->setZValue(canvas()->nextZValue());
    markModified();
}

void ItemCommands::sendToBack()
{
    QGraphicsItem *item = firstStackableSelection();
    if (!item)
        return;
    // Every created item stands at 1 or higher, connector lines at 0.
    item->setZValue(1);
    markModified();
}

// --- delete, undo, self transition ------------------------------------------------------------

void ItemCommands::setProcessDeleteHandler(ProcessDeleteHandler handler)
{
    m_processDeleteHandler = std::move(handler);
}

bool ItemCommands::refuseLastProcessItem(const Canvas *canvas, QWidget *parent)
{
    if (!canvas || canvas->processItems().size() >= 2)
        return false;
    Prompter::information(parent, QStringLiteral("Kestro"),
                          QStringLiteral("Last Process Item cannot be deleted"));
    return true;
}

void ItemCommands::deleteSelection()
{
    Canvas *c = canvas();
    if (!c)
        return;
    if (c->deleteSelection(m_processDeleteHandler))
        markModified();
}

void ItemCommands::stepUndoStack(bool forward)
{
    Canvas *c = canvas();
    if (!c)
        return;
    // The stack's own actions are disabled when there is nothing to do.
    const int before = c->undoStack()->index();
    (forward ? c->redoAction() : c->undoAction())->trigger();
    c->update();
    // The diagram now differs from what was saved.
    if (c->undoStack()->index() != before)
        markModified();
}

void ItemCommands::undo()
{
    stepUndoStack(false);
}

void ItemCommands::redo()
{
    stepUndoStack(true);
}

void ItemCommands::addSelfTransition()
{
    Canvas *c = canvas();
    if (!c)
        return;
    const int before = c->transitions().size();
    c->addSelfTransition(c->selectedState());
    if (c->transitions().size() != before)
        markModified();
}

// --- canvas size -------------------------------------------------------------------------

void ItemCommands::setCanvasSize()
{
    m_canvasSize->setCanvasWidth(m_window->canvasWidth());
    m_canvasSize->setCanvasHeight(m_window->canvasHeight());
    if (m_canvasSize->exec() != QDialog::Accepted)
        return;
    const int width = m_canvasSize->canvasWidth();
    const int height = m_canvasSize->canvasHeight();
    // Canvases created from now on get the size; it is stored on close.
    m_window->setCanvasSize(width, height);
    if (Canvas *c = canvas())
        c->setSceneRect(0, 0, width, height);
}
