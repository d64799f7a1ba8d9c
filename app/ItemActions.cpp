#include "ItemActions.h"

#include "Canvas.h"
#include "CanvasSize.h"
#include "ItemKind.h"
#include "ItemKinds.h"
#include "ItemTypes.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectBrowser.h"
#include "ProjectWindow.h"
#include "PropertyDialogs.h"
#include "Prompter.h"
#include "StackingCommand.h"
#include "StateItem.h"

#include <QGraphicsLineItem>
#include <QtMath>
#include <QUndoGroup>

#include <utility>

ItemActions::ItemActions(ProjectWindow *window, Project *project, ProjectBrowser *browser)
    : QObject(project),
      m_window(window),
      m_project(project),
      m_browser(browser),
      m_canvasSize(new CanvasSize(window->dialogParent())),
      m_dialogs(std::make_unique<PropertyDialogs>())
{
    connect(project, &Project::propertiesRequested, this, &ItemActions::editProperties);
    // The size is stored on close, whichever step set it last.
    connect(project, &Project::canvasSizeChanged, this, [this](const QSize &size) {
        m_window->storedSettings().canvasWidth = size.width();
        m_window->storedSettings().canvasHeight = size.height();
    });
    m_processDeleteHandler = [this](ProcessItem *item) {
        if (m_browser)
            m_browser->deleteProcessItem(item);
        else
            refuseLastProcessItem(canvas(), m_window->dialogParent());
    };
}

ItemActions::~ItemActions() = default;

Canvas *ItemActions::canvas() const
{
    return m_project->shownCanvas();
}

// --- property dialogs ---------------------------------------------------------------

// The dialogs open only for an item still on the canvas: the current item
// may have been deleted since it was right-clicked. The project counts as
// modified only when an accepted dialog changed something: the same route
// a double-click takes.
void ItemActions::editCurrent(int kind)
{
    if (Canvas *c = canvas())
        editProperties(c, c->currentItem(kind));
}


void ItemActions::editProperties(Canvas *canvas, QGraphicsItem *item)
{
    DiagramItem *listed = canvas ? canvas->registeredItem(item) : nullptr;
    if (!listed || canvas != this->canvas())
        return;
    // An accepted change is one undo step on the canvas's stack, which
    // makes the project modified.
    if (listed->type() == ItemType::State && m_stateEditor) {
        m_stateEditor(canvas, static_cast<StateItem *>(listed));
        return;
    }
    if (!ItemKinds::of(listed->type())->opensDiagram()) {
        m_dialogs->edit(canvas, listed);
        return;
    }
    // Renaming a process item renames its node and canvas: the dialog is
    // shown only while both are found.
    auto *process = static_cast<ProcessItem *>(listed);
    if (m_project->structure().canRenameProcessItem(canvas, process))
        m_project->processItemEdited(canvas, m_dialogs->editChanges(canvas, process));
}

// --- stacking ---------------------------------------------------------------------------

DiagramItem *ItemActions::firstStackableSelection() const
{
    Canvas *c = canvas();
    if (!c)
        return nullptr;
    const QList<QGraphicsItem *> selection = c->selectedItems();
    if (selection.isEmpty() || selection.first()->type() == QGraphicsLineItem::Type)
        return nullptr;
    return c->registeredItem(selection.first());
}

void ItemActions::restack(qreal z, const QString &verb)
{
    DiagramItem *item = firstStackableSelection();
    if (!item)
        return;
    const qreal before = item->zValue();
    item->setZValue(z);
    canvas()->pushCommand(new StackingCommand(canvas(), item, before, z, verb));
}

void ItemActions::bringToFront()
{
    // Even the topmost item goes one higher: the new value is the highest.
    if (firstStackableSelection())
        restack(canvas()->nextZValue(), QStringLiteral("Bring to Front"));
}

void ItemActions::sendToBack()
{
    // Every created item stands at 1 or higher, connector lines at 0.
    restack(1, QStringLiteral("Send to Back"));
}

// --- delete, undo, self transition ------------------------------------------------------------

void ItemActions::setProcessDeleteHandler(ProcessDeleteHandler handler)
{
    m_processDeleteHandler = std::move(handler);
}

bool ItemActions::refuseLastProcessItem(const Canvas *canvas, QWidget *parent)
{
    if (!canvas || canvas->processItems().size() >= 2)
        return false;
    Prompter::information(parent, QStringLiteral("Kestro"),
                          QStringLiteral("Last Process Item cannot be deleted"));
    return true;
}

void ItemActions::deleteSelection()
{
    // Each deletion reaches the project: through an undo stack, the canvas's
    // report of an edit no stack holds, or the process-item route.
    if (Canvas *c = canvas())
        c->deleteSelection(m_processDeleteHandler);
}

void ItemActions::stepUndoStack(bool forward)
{
    Canvas *c = canvas();
    if (!c)
        return;
    // The shown canvas's stack is the group's active one. Whether the
    // project then differs from its file follows the stacks' clean state.
    if (forward)
        m_project->undoGroup()->redo();
    else
        m_project->undoGroup()->undo();
    c->update();
}

void ItemActions::undo()
{
    stepUndoStack(false);
}

void ItemActions::redo()
{
    stepUndoStack(true);
}

void ItemActions::addSelfTransition()
{
    if (Canvas *c = canvas())
        c->addSelfTransition(c->selectedState());
}

// --- canvas size -------------------------------------------------------------------------

QSize ItemActions::itemsExtent(const Canvas *canvas)
{
    // The scene starts at the origin: what the items need is how far right
    // and down they reach.
    const QRectF items = canvas->itemsBoundingRect();
    if (items.isEmpty())
        return QSize();
    return QSize(qMax(0, qCeil(items.right())), qMax(0, qCeil(items.bottom())));
}

void ItemActions::setCanvasSize()
{
    StoredSettings &stored = m_window->storedSettings();
    m_canvasSize->setCanvasWidth(stored.canvasWidth);
    m_canvasSize->setCanvasHeight(stored.canvasHeight);
    m_canvasSize->setRequiredSize(canvas() ? itemsExtent(canvas()) : QSize());
    if (m_canvasSize->exec() != QDialog::Accepted)
        return;
    // The shown canvas and those created from now on get the size (one
    // undo step); the settings follow the project's size.
    m_project->resizeCanvas(canvas(), QSize(m_canvasSize->canvasWidth(), m_canvasSize->canvasHeight()));
}
