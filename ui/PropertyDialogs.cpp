#include "PropertyDialogs.h"

#include "Canvas.h"
#include "DataflowItem.h"
#include "DataflowProperties.h"
#include "ItemChangeCommand.h"
#include "ItemTypes.h"
#include "LabelRules.h"
#include "LinkItem.h"
#include "LinkProperties.h"
#include "MemoryItem.h"
#include "MemoryProperties.h"
#include "ProcessItem.h"
#include "ProcessProperties.h"
#include "RecordEquality.h"
#include "StateItem.h"
#include "StateProperties.h"
#include "SubMachineLevels.h"
#include "TextItem.h"
#include "TextProperties.h"
#include "TransitionItem.h"
#include "TransitionProperties.h"

namespace {

// The texts and colour of a label, datatype and description dialog; the
// dialog fills them on OK.
struct LabelledValues
{
    QString label;
    QString description;
    QString datatype;
    QColor colour;
};

bool runLabelled(LabelledPropertiesDialog *dialog, LabelledValues *values)
{
    dialog->setLabel(values->label);
    dialog->setDescription(values->description);
    dialog->setDatatype(values->datatype);
    dialog->setBackgroundColour(values->colour);
    dialog->setPickedColour(values->colour);
    dialog->refresh();
    if (dialog->exec() != QDialog::Accepted)
        return false;
    *values = {dialog->label(), dialog->description(), dialog->datatype(), dialog->backgroundColour()};
    return true;
}

// A link or dataflow box: on OK its size follows the new label.
bool editLabelBox(LabelledPropertiesDialog *dialog, LabelBoxItem *box)
{
    LabelledValues values{box->label(), box->description(), box->datatype(), box->shownColour()};
    if (!runLabelled(dialog, &values))
        return false;
    box->setDescription(values.description);
    box->setDatatype(values.datatype);
    box->setBackgroundColour(values.colour);
    box->setLabel(values.label);
    return true;
}

} // namespace

PropertyDialogs::PropertyDialogs()
{
    registerEditors();
}

PropertyDialogs::~PropertyDialogs() = default;

// One editor and one dialog per item kind: adding a kind adds a line here.
void PropertyDialogs::registerEditors()
{
    add(ItemType::State, m_state, [this](Canvas *canvas, DiagramItem *item) {
        return editState(canvas, static_cast<StateItem *>(item));
    });
    add(ItemType::Transition, m_transition, [this](Canvas *, DiagramItem *item) {
        return editTransition(static_cast<TransitionItem *>(item));
    });
    add(ItemType::Text, m_text, [this](Canvas *, DiagramItem *item) {
        return editText(static_cast<TextItem *>(item));
    });
    add(ItemType::Process, m_process, [this](Canvas *canvas, DiagramItem *item) {
        return editProcess(static_cast<ProcessItem *>(item), LabelRules::check(*canvas, item->type(), item));
    });
    add(ItemType::Link, m_link, [this](Canvas *, DiagramItem *item) {
        return editLink(static_cast<LinkItem *>(item));
    });
    add(ItemType::Memory, m_memory, [this](Canvas *canvas, DiagramItem *item) {
        return editMemory(static_cast<MemoryItem *>(item), LabelRules::check(*canvas, item->type(), item));
    });
    add(ItemType::Dataflow, m_dataflow, [this](Canvas *, DiagramItem *item) {
        return editDataflow(static_cast<DataflowItem *>(item));
    });
}

template <class Dialog>
void PropertyDialogs::add(int kind, const std::unique_ptr<Dialog> &slot, const Editor &editor)
{
    m_editors.insert(kind, editor);
    const std::unique_ptr<Dialog> *dialog = &slot;
    m_dialogs.insert(kind, [dialog]() -> QDialog * { return dialog->get(); });
}

template <class Dialog> Dialog *PropertyDialogs::dialogFor(std::unique_ptr<Dialog> &slot)
{
    // Like every item dialog, a top-level window of its own.
    if (!slot)
        slot = std::make_unique<Dialog>();
    return slot.get();
}

QDialog *PropertyDialogs::dialog(int kind) const
{
    const auto shown = m_dialogs.value(kind);
    return shown ? shown() : nullptr;
}

namespace {

// The item and what follows its texts: a memory item's dataflows.
QList<DiagramItem *> editedTogether(DiagramItem *item)
{
    QList<DiagramItem *> items{item};
    if (item->type() == ItemType::Memory) {
        for (DataflowItem *flow : static_cast<MemoryItem *>(item)->dataflows())
            items.append(flow);
    }
    return items;
}

} // namespace

QVector<ItemChange> PropertyDialogs::editChanges(Canvas *canvas, QGraphicsItem *item)
{
    // The item may have left the canvas since it was clicked.
    DiagramItem *listed = canvas ? canvas->registeredItem(item) : nullptr;
    const Editor editor = listed ? m_editors.value(listed->type()) : Editor();
    if (!editor)
        return {};
    const QList<DiagramItem *> items = editedTogether(listed);
    QVector<ItemChange> changes;
    for (DiagramItem *one : items)
        changes.append(ItemChange{one, one->record(), ItemRecord()});
    if (!editor(canvas, listed))
        return {};
    QVector<ItemChange> changed;
    for (ItemChange &change : changes) {
        change.after = change.item->record();
        // The item itself comes first: the step is named after it.
        if (change.item == listed || !RecordEquality::sameStoredFields(change.before, change.after))
            changed.append(change);
    }
    if (RecordEquality::sameStoredFields(changed.first().before, changed.first().after)
        && changed.size() == 1)
        return {};
    return changed;
}

bool PropertyDialogs::edit(Canvas *canvas, QGraphicsItem *item)
{
    const QVector<ItemChange> changes = editChanges(canvas, item);
    if (changes.isEmpty())
        return false;
    canvas->pushCommand(new ItemChangeCommand(canvas, changes));
    return true;
}

// --- states ----------------------------------------------------------------------------

bool PropertyDialogs::editState(Canvas *canvas, StateItem *state)
{
    // A machine has one initial state: while another state is, the dialog
    // refuses the flag. The marker follows the flag.
    QString otherInitial;
    bool locked = false;
    for (const StateItem *other : canvas->states()) {
        if (other != state && other->isInitialState()) {
            locked = true;
            otherInitial = other->label();
        }
    }
    const bool wasInitial = state->isInitialState();
    if (!editState(state, locked, LabelRules::check(*canvas, ItemType::State, state), otherInitial))
        return false;
    if (state->isInitialState() != wasInitial) {
        if (state->isInitialState())
            canvas->attachInitialMarker(state);
        else
            canvas->detachInitialMarker();
    }
    return true;
}

bool PropertyDialogs::editState(StateItem *state, bool initialLocked, const LabelCheck &labelCheck,
                                const QString &initialLabel)
{
    StateProperties *d = dialogFor(m_state);
    d->setMetrics(state->diagramMetrics());
    d->setLabelCheck(labelCheck);
    d->setWidth(state->width());
    d->setHeight(state->height());
    d->setLabel(state->label());
    d->setAction(state->action());
    d->setEntryAction(state->entryAction());
    d->setExitAction(state->exitAction());
    d->setBackgroundColour(state->shownColour());
    d->setPickedColour(state->shownColour());
    d->setDescription(state->description());
    d->setInitialState(state->isInitialState());
    d->setInitialLocked(initialLocked, initialLabel);
    d->setSubMachine(state->subMachine());
    d->setSubMachineAllowed(state->level() < DeepestCanvasLevel + 1,
                            QStringLiteral("Sub-machines go %1 levels deep; this diagram is on the deepest level.")
                                .arg(MaxSubMachineDepth));
    const bool showInitial = !initialLocked && state->isInitialState();
    d->setInitialCondition(showInitial ? state->initialCondition() : QString());
    d->setInitialDescription(showInitial ? state->initialDescription() : QString());
    d->refresh();
    if (d->exec() != QDialog::Accepted)
        return false;

    state->setLabel(d->label());
    state->setAction(d->action());
    state->setEntryAction(d->entryAction());
    state->setExitAction(d->exitAction());
    state->setBackgroundColour(d->backgroundColour());
    state->setDescription(d->description());
    state->setSize(d->width(), d->height());
    state->setInitialState(d->isInitial());
    state->setSubMachine(d->subMachine());
    if (d->isInitial()) {
        state->setInitialCondition(d->initialCondition());
        state->setInitialDescription(d->initialDescription());
    }
    return true;
}

// --- transitions and text items --------------------------------------------------------------

bool PropertyDialogs::editTransition(TransitionItem *transition)
{
    TransitionProperties *d = dialogFor(m_transition);
    d->setMetrics(transition->diagramMetrics());
    d->setWidth(transition->width());
    d->setHeight(transition->height());
    d->setLabel(transition->label());
    d->setAction(transition->action());
    d->setCondition(transition->condition());
    d->setBackgroundColour(transition->shownColour());
    d->setPickedColour(transition->shownColour());
    d->setDescription(transition->description());
    d->refresh();
    if (d->exec() != QDialog::Accepted)
        return false;

    transition->setLabel(d->label());
    transition->setAction(d->action());
    transition->setCondition(d->condition());
    transition->setBackgroundColour(d->backgroundColour());
    transition->setDescription(d->description());
    transition->setSize(d->width(), d->height());
    return true;
}

bool PropertyDialogs::editText(TextItem *text)
{
    TextProperties *d = dialogFor(m_text);
    d->setMetrics(text->diagramMetrics());
    d->setWidth(text->width());
    d->setHeight(text->height());
    d->setAction(text->action());
    d->setTextType(text->textType());
    d->refresh();
    if (d->exec() != QDialog::Accepted)
        return false;

    text->setAction(d->action());
    text->setTextType(d->textType());
    text->setSize(d->width(), d->height());
    return true;
}

// --- process diagrams ---------------------------------------------------------------------------

bool PropertyDialogs::editProcess(ProcessItem *process, const LabelCheck &labelCheck)
{
    ProcessProperties *d = dialogFor(m_process);
    d->setLabelCheck(labelCheck);
    d->setLabel(process->label());
    d->setCode(process->code());
    d->setDescription(process->description());
    d->setWidth(process->width());
    d->setHeight(process->height());
    d->setBackgroundColour(process->shownColour());
    d->setPickedColour(process->shownColour());
    d->setShape(process->processShape());
    d->setCodeStyle(process->codeStyle());
    d->setCodeStyleShown(process->level() == 5);
    d->refresh();
    if (d->exec() != QDialog::Accepted)
        return false;

    process->resize(d->width(), d->height());
    process->setLabel(d->label());
    process->setCode(d->code());
    process->setDescription(d->description());
    process->setBackgroundColour(d->backgroundColour());
    process->setProcessShape(d->shape());
    process->setCodeStyle(d->codeStyle());
    return true;
}

bool PropertyDialogs::editLink(LinkItem *link)
{
    return editLabelBox(dialogFor(m_link), link);
}

bool PropertyDialogs::editDataflow(DataflowItem *dataflow)
{
    return editLabelBox(dialogFor(m_dataflow), dataflow);
}

bool PropertyDialogs::editMemory(MemoryItem *memory, const LabelCheck &labelCheck)
{
    MemoryProperties *d = dialogFor(m_memory);
    d->setLabelCheck(labelCheck);
    LabelledValues values{memory->label(), memory->description(), memory->datatype(), memory->shownColour()};
    if (!runLabelled(d, &values))
        return false;
    memory->setDescription(values.description);
    memory->setBackgroundColour(values.colour);
    memory->setDatatype(values.datatype);
    memory->setLabel(values.label);
    memory->shareTextsWithDataflows();
    return true;
}
