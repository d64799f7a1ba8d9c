#include "SubMachineActions.h"

#include "Canvas.h"
#include "ItemActions.h"
#include "ItemChangeCommand.h"
#include "ItemTypes.h"
#include "Project.h"
#include "ProjectBrowser.h"
#include "ProjectWindow.h"
#include "PropertyDialogs.h"
#include "Prompter.h"
#include "RecordEquality.h"
#include "StateItem.h"
#include "SubMachineLevels.h"
#include "SubMachineStructure.h"
#include "ToolSets.h"

#include <QAction>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QMenu>
#include <QUndoStack>

namespace {

// The most diagram names a question lists; the rest are counted.
constexpr int kNamesListed = 8;

QString counted(int count, const QString &noun)
{
    return QStringLiteral("%1 %2%3").arg(count).arg(noun).arg(count == 1 ? "" : "s");
}

// "\"A\"", "\"A\" and \"B\"", "\"A\", \"B\" and 3 more".
QString quotedList(const QStringList &names)
{
    QStringList shown;
    for (int i = 0; i < names.size() && i < kNamesListed; ++i)
        shown << QStringLiteral("\"%1\"").arg(names.at(i));
    if (names.size() > kNamesListed)
        shown << QStringLiteral("%1 more").arg(names.size() - kNamesListed);
    if (shown.size() < 2)
        return shown.join(QString());
    const QString last = shown.takeLast();
    return shown.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

QString stateLabels(const QList<StateItem *> &states)
{
    QStringList labels;
    for (const StateItem *state : states)
        labels << state->label();
    return quotedList(labels);
}

} // namespace

SubMachineActions::SubMachineActions(ProjectWindow *window, Project *project, ProjectBrowser *browser,
                                     ItemActions *items, QGraphicsView *view, QMenu *stateMenu)
    : QObject(project),
      m_window(window),
      m_project(project),
      m_browser(browser),
      m_items(items),
      m_view(view)
{
    m_add = new QAction(QStringLiteral("Add Sub-machine"), this);
    m_add->setObjectName(QStringLiteral("actionAdd_Sub_machine"));
    m_open = new QAction(QStringLiteral("Open Sub-machine"), this);
    m_open->setObjectName(QStringLiteral("actionOpen_Sub_machine"));
    m_open->setStatusTip(QStringLiteral("Shows the diagram of the state's sub-machine (Enter)"));
    connect(m_add, &QAction::triggered, this, &SubMachineActions::addToPointedState);
    connect(m_open, &QAction::triggered, this, &SubMachineActions::openPointedState);
    QAction *first = stateMenu->actions().value(0);
    stateMenu->insertAction(first, m_open);
    stateMenu->insertAction(first, m_add);
    stateMenu->insertSeparator(first);
    connect(stateMenu, &QMenu::aboutToShow, this, &SubMachineActions::updateForPointedState);
    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);
    items->setStateEditor([this](Canvas *canvas, StateItem *state) { editState(canvas, state); });
}

SubMachineActions::~SubMachineActions() = default;

void SubMachineActions::setContext(int context)
{
    m_context = context;
}

bool SubMachineActions::usable() const
{
    // A project node is shown and neither the tour nor a simulation runs.
    return m_context >= 1 && m_project->isOpen() && m_project->shownCanvas();
}

StateItem *SubMachineActions::pointedState() const
{
    Canvas *canvas = m_project->shownCanvas();
    StateItem *state = canvas ? canvas->current<StateItem>() : nullptr;
    return state && canvas->registeredItem(state) ? state : nullptr;
}

void SubMachineActions::updateForPointedState()
{
    Canvas *canvas = m_project->shownCanvas();
    StateItem *state = pointedState();
    const bool holds = state && m_project->subMachines().subMachineOf(canvas, state);
    const bool deepest = canvas && canvas->level() >= DeepestCanvasLevel;
    m_open->setEnabled(usable() && holds);
    m_add->setEnabled(usable() && state && !state->holdsSubMachine()
                      && SubMachineStructure::canHoldSubMachines(canvas));
    m_add->setStatusTip(deepest ? QStringLiteral("Sub-machines go %1 levels deep: the states of this "
                                                 "diagram cannot hold one.")
                                      .arg(MaxSubMachineDepth)
                                : QStringLiteral("Gives the state a state machine of its own, drawn "
                                                 "on a diagram below it"));
}

void SubMachineActions::addToPointedState()
{
    Canvas *canvas = m_project->shownCanvas();
    StateItem *state = pointedState();
    if (!usable() || !state)
        return;
    if (m_project->addSubMachine(canvas, state, QLatin1String(SubMachineStart)))
        m_window->showStatus(QStringLiteral("\"%1\" holds a sub-machine: Open Sub-machine (Enter) "
                                            "shows its diagram.")
                                 .arg(state->label()));
}

void SubMachineActions::openPointedState()
{
    if (usable())
        openSubMachineOf(m_project->shownCanvas(), pointedState());
}

bool SubMachineActions::openSelected()
{
    Canvas *canvas = m_project->shownCanvas();
    if (!usable() || !canvas)
        return false;
    QList<StateItem *> selected;
    for (QGraphicsItem *item : canvas->selectedItems()) {
        if (auto *state = qgraphicsitem_cast<StateItem *>(item))
            selected << state;
    }
    return selected.size() == 1 && openSubMachineOf(canvas, selected.first());
}

bool SubMachineActions::openSubMachineOf(Canvas *canvas, StateItem *state)
{
    Canvas *diagram = m_project->subMachines().subMachineOf(canvas, state);
    return diagram && m_browser->showCanvas(diagram);
}

// --- deleting -----------------------------------------------------------------------------

bool SubMachineActions::confirmRemoval(const QString &what, Canvas *canvas,
                                       const QList<StateItem *> &holders) const
{
    const SubMachineStructure structure = m_project->subMachines();
    SubMachineStructure::Subtree all;
    for (const StateItem *state : holders) {
        const SubMachineStructure::Subtree one = structure.subtreeOf(canvas, state);
        all.diagrams << one.diagrams;
        all.items += one.items;
    }
    MessageRequest request;
    request.icon = QMessageBox::Warning;
    request.title = QStringLiteral("Kestro");
    const QString whose = holders.size() == 1 ? QStringLiteral("its sub-machine")
                                              : QStringLiteral("the sub-machines of %1").arg(stateLabels(holders));
    request.text = QStringLiteral("%1 also deletes %2: %3 %4 with %5.")
                       .arg(what, whose,
                            all.diagrams.size() == 1 ? QStringLiteral("the diagram")
                                                     : QStringLiteral("the %1").arg(counted(all.diagrams.size(), QStringLiteral("diagram"))),
                            quotedList(all.diagrams), counted(all.items, QStringLiteral("item")));
    request.informativeText = QStringLiteral("Edit > Undo brings it back. Do you want to delete it?");
    request.buttons = QMessageBox::Yes | QMessageBox::No;
    request.defaultButton = QMessageBox::No;
    return Prompter::current()->message(m_window->dialogParent(), request) == QMessageBox::Yes;
}

bool SubMachineActions::deleteSelection()
{
    Canvas *canvas = m_project->shownCanvas();
    if (!canvas)
        return false;
    const SubMachineStructure structure = m_project->subMachines();
    QList<StateItem *> holders;
    for (QGraphicsItem *item : canvas->selectedItems()) {
        auto *state = qgraphicsitem_cast<StateItem *>(item);
        if (state && canvas->registeredItem(state) && structure.subMachineOf(canvas, state))
            holders << state;
    }
    if (holders.isEmpty())
        return false;
    const QString what = holders.size() == 1 && canvas->selectedItems().size() == 1
                             ? QStringLiteral("Deleting \"%1\"").arg(holders.first()->label())
                             : QStringLiteral("Deleting the selection");
    if (confirmRemoval(what, canvas, holders))
        m_project->deleteSelectionWithSubMachines(canvas);
    return true;
}

// --- the state dialog ------------------------------------------------------------------------

void SubMachineActions::editState(Canvas *canvas, StateItem *state)
{
    const QString before = state->subMachine();
    QVector<ItemChange> changes = m_items->propertyDialogs()->editChanges(canvas, state);
    if (changes.isEmpty())
        return;
    const QString after = state->subMachine();
    if (before.isEmpty() == after.isEmpty()) {
        // Start and resume are a field of the state like any other.
        canvas->pushCommand(new ItemChangeCommand(canvas, changes));
        return;
    }
    // The box was toggled: the sub-machine's own step changes the mode, so
    // the dialog's step keeps the old one.
    state->setSubMachine(before);
    if (auto *record = std::get_if<StateRecord>(&changes.first().after))
        record->subMachine = before;
    const bool othersChanged = changes.size() > 1
        || !RecordEquality::sameStoredFields(changes.first().before, changes.first().after);
    if (after.isEmpty()) {
        const SubMachineStructure::Subtree subtree = m_project->subMachines().subtreeOf(canvas, state);
        // The state as the user knew it before the dialog.
        const auto *was = std::get_if<StateRecord>(&changes.first().before);
        const QString label = was ? was->label : state->label();
        if (subtree.items > 0
            && !confirmRemoval(QStringLiteral("Clearing \"Sub-machine\" of \"%1\"").arg(label),
                               canvas, {state})) {
            // The dialog's other changes stay; the sub-machine stays too.
            if (othersChanged)
                canvas->pushCommand(new ItemChangeCommand(canvas, changes));
            return;
        }
    }
    QUndoStack *stack = canvas->undoStack();
    stack->beginMacro(after.isEmpty() ? QStringLiteral("Remove Sub-machine of \"%1\"").arg(state->label())
                                      : QStringLiteral("Add Sub-machine to \"%1\"").arg(state->label()));
    if (othersChanged)
        canvas->pushCommand(new ItemChangeCommand(canvas, changes));
    if (after.isEmpty())
        m_project->removeSubMachine(canvas, state);
    else
        m_project->addSubMachine(canvas, state, after);
    stack->endMacro();
}

// --- Enter ------------------------------------------------------------------------------------

bool SubMachineActions::eventFilter(QObject *watched, QEvent *event)
{
    // Enter typed into the view opens the selected state's sub-machine.
    if (event->type() != QEvent::KeyPress || (watched != m_view && watched != m_view->viewport()))
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    return enter && key->modifiers() == Qt::NoModifier && !key->isAutoRepeat() && openSelected();
}
