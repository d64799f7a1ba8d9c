#include "ClipboardActions.h"

#include "Canvas.h"
#include "CanvasCopy.h"
#include "CanvasPaste.h"
#include "ClipRecords.h"
#include "Project.h"
#include "SubMachineClip.h"
#include "SubMachineLevels.h"

#include <QAction>
#include <QClipboard>
#include <QCursor>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMimeData>
#include <QUndoStack>

#include <algorithm>

namespace {

// How far a paste away from the pointer, and a duplicate, lands from the copy.
constexpr qreal kPasteStep = 20;

} // namespace

ClipboardActions::ClipboardActions(Project *project, QGraphicsView *view, QAction *deleteAction,
                                   QMenu *menu, QAction *before, QObject *parent)
    : QObject(parent), m_project(project), m_view(view), m_delete(deleteAction)
{
    m_cut = addAction(menu, before, "actionCut", QStringLiteral("Cu&t"), QKeySequence::Cut, &ClipboardActions::cut);
    m_copy = addAction(menu, before, "actionCopy", QStringLiteral("&Copy"), QKeySequence::Copy, &ClipboardActions::copy);
    m_paste = addAction(menu, before, "actionPaste", QStringLiteral("&Paste"), QKeySequence::Paste, &ClipboardActions::paste);
    m_duplicate = addAction(menu, before, "actionDuplicate", QStringLiteral("D&uplicate"), QKeySequence(Qt::CTRL + Qt::Key_D),
                            &ClipboardActions::duplicate);
    m_selectAll = addAction(menu, before, "actionSelect_All", QStringLiteral("Select &All"), QKeySequence::SelectAll,
                            &ClipboardActions::selectAll);
    menu->insertSeparator(before);
    connect(project, &Project::canvasShown, this, &ClipboardActions::watchCanvas);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &ClipboardActions::readClipboard);
    readClipboard();
}

QAction *ClipboardActions::addAction(QMenu *menu, QAction *before, const char *name, const QString &text,
                                     const QKeySequence &keys, void (ClipboardActions::*slot)())
{
    auto *action = new QAction(text, this);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    connect(action, &QAction::triggered, this, slot);
    menu->insertAction(before, action);
    return action;
}

void ClipboardActions::setAllowed(bool allowed)
{
    m_allowed = allowed;
    refresh();
}

Canvas *ClipboardActions::canvas() const
{
    return m_allowed ? m_project->shownCanvas() : nullptr;
}

void ClipboardActions::watchCanvas()
{
    if (m_watched)
        disconnect(m_watched, nullptr, this, nullptr);
    m_watched = m_project->shownCanvas();
    if (m_watched)
        connect(m_watched, &QGraphicsScene::selectionChanged, this, &ClipboardActions::refresh);
    refresh();
}

void ClipboardActions::refresh()
{
    Canvas *shown = canvas();
    bool selected = false;
    if (shown) {
        const QList<QGraphicsItem *> selection = shown->selectedItems();
        selected = std::any_of(selection.cbegin(), selection.cend(),
                               [shown](QGraphicsItem *item) { return shown->registeredItem(item); });
    }
    m_cut->setEnabled(selected);
    m_copy->setEnabled(selected);
    m_duplicate->setEnabled(selected);
    m_paste->setEnabled(shown && CanvasPaste::fits(*shown, m_clip)
                        && SubMachineClip::fitsDepth(shown, m_clip, m_subMachineClip));
    m_paste->setStatusTip(shown && !SubMachineClip::fitsDepth(shown, m_clip, m_subMachineClip)
                              ? QStringLiteral("The copied sub-machines would go deeper than %1 levels "
                                               "below their machine here.")
                                    .arg(MaxSubMachineDepth)
                              : QString());
    m_selectAll->setEnabled(shown != nullptr);
}

void ClipboardActions::readClipboard()
{
    // Read once per change: the actions are refreshed far more often.
    m_clip = ProjectRecordLists();
    m_subMachineClip = ProjectRecordLists();
    m_cascade = 0;
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (data && data->hasFormat(ClipRecords::mimeType()))
        ClipRecords::fromXml(data->data(ClipRecords::mimeType()), &m_clip, nullptr);
    if (data && data->hasFormat(SubMachineClip::mimeType()))
        SubMachineClip::fromXml(data->data(SubMachineClip::mimeType()), &m_subMachineClip);
    refresh();
}

void ClipboardActions::copy()
{
    Canvas *shown = canvas();
    if (!shown)
        return;
    const ProjectRecordLists records = CanvasCopy::selectedRecords(*shown);
    if (ClipRecords::isEmptyClip(records))
        return;
    auto *data = new QMimeData;
    data->setData(ClipRecords::mimeType(), ClipRecords::toXml(records));
    const QByteArray subMachines = SubMachineClip::toXml(m_project->canvases(), shown, records);
    if (!subMachines.isEmpty())
        data->setData(SubMachineClip::mimeType(), subMachines);
    data->setText(CanvasCopy::labelText(records));
    QGuiApplication::clipboard()->setMimeData(data);
}

void ClipboardActions::cut()
{
    copy();
    if (m_delete && m_copy->isEnabled())
        m_delete->trigger();
}

bool ClipboardActions::pointerInScene(QPointF *point) const
{
    QWidget *viewport = m_view->viewport();
    const QPoint local = viewport->mapFromGlobal(QCursor::pos());
    if (!viewport->rect().contains(local) || !viewport->isVisible())
        return false;
    *point = m_view->mapToScene(local);
    return true;
}

void ClipboardActions::paste()
{
    Canvas *shown = canvas();
    const ProjectRecordLists records = m_clip;
    if (!shown || !CanvasPaste::fits(*shown, records))
        return;
    QPointF offset;
    QPointF pointer;
    if (pointerInScene(&pointer)) {
        offset = pointer - CanvasCopy::topLeft(records);
    } else {
        ++m_cascade;
        offset = QPointF(kPasteStep, kPasteStep) * m_cascade;
    }
    pasteRecords(shown, records, m_subMachineClip, offset);
}

void ClipboardActions::pasteRecords(Canvas *canvas, const ProjectRecordLists &records,
                                    const ProjectRecordLists &subMachines, const QPointF &offset)
{
    if (!SubMachineClip::fitsDepth(canvas, records, subMachines))
        return;
    if (SubMachineClip::depth(records, subMachines) == 0) {
        CanvasPaste::paste(canvas, records, offset);
        return;
    }
    // The states and their sub-machines come and go together.
    QUndoStack *stack = canvas->undoStack();
    stack->beginMacro(QStringLiteral("Paste with Sub-machines"));
    QHash<QString, StateItem *> states;
    CanvasPaste::paste(canvas, records, offset, &states);
    SubMachineClip::attach(m_project, canvas, states, subMachines);
    stack->endMacro();
}

void ClipboardActions::duplicate()
{
    Canvas *shown = canvas();
    if (!shown)
        return;
    const ProjectRecordLists records = CanvasCopy::selectedRecords(*shown);
    ProjectRecordLists subMachines;
    SubMachineClip::fromXml(SubMachineClip::toXml(m_project->canvases(), shown, records), &subMachines);
    pasteRecords(shown, records, subMachines, QPointF(kPasteStep, kPasteStep));
}

void ClipboardActions::selectAll()
{
    if (Canvas *shown = canvas())
        shown->selectAllItems();
}
