#pragma once

// The property dialogs of the diagram items, one per kind, built the first
// time a dialog of that kind is opened and reused after. Each fills its
// dialog from the item, runs it modally and, only when it is accepted,
// writes the values back to the item.
//
// edit() is how a canvas's item is edited: it looks up the editor of the
// item's kind (the one place that knows which dialog goes with which
// kind), judges labels against the canvas, keeps the initial-state marker
// in step and tells whether what the item stores changed.

#include "ItemChange.h"
#include "LabelCheck.h"

#include <QHash>
#include <QVector>

#include <functional>
#include <memory>

class Canvas;
class DataflowItem;
class DataflowProperties;
class DiagramItem;
class LinkItem;
class LinkProperties;
class MemoryItem;
class MemoryProperties;
class ProcessItem;
class ProcessProperties;
class QDialog;
class QGraphicsItem;
class StateItem;
class StateProperties;
class TextItem;
class TextProperties;
class TransitionItem;
class TransitionProperties;

class PropertyDialogs
{
public:
    PropertyDialogs();
    ~PropertyDialogs();
    PropertyDialogs(const PropertyDialogs &) = delete;
    PropertyDialogs &operator=(const PropertyDialogs &) = delete;

    // The dialog of an item listed on `canvas`. True when it was accepted
    // and changed what the item stores; the change is then one undo step on
    // the canvas's stack. An item not (or no longer) on the canvas opens
    // nothing.
    bool edit(Canvas *canvas, QGraphicsItem *item);
    // The same dialog without the undo step: what it changed (the item
    // first, then the dataflows that took a memory item's new texts), each
    // item already in its after state; empty when it was cancelled or
    // changed nothing.
    QVector<ItemChange> editChanges(Canvas *canvas, QGraphicsItem *item);

    // One dialog on one item; true when it was accepted. initialLocked:
    // another state of the machine is initial already. labelCheck judges
    // the label on OK.
    bool editState(StateItem *state, bool initialLocked, const LabelCheck &labelCheck = {},
                   const QString &initialLabel = QString());
    bool editTransition(TransitionItem *transition);
    bool editText(TextItem *text);
    bool editProcess(ProcessItem *process, const LabelCheck &labelCheck = {});
    bool editLink(LinkItem *link);
    // Also gives the memory item's dataflows its new label and datatype.
    bool editMemory(MemoryItem *memory, const LabelCheck &labelCheck = {});
    bool editDataflow(DataflowItem *dataflow);

    // The dialog of an item kind (an ItemType value), or null while none
    // of that kind has been opened.
    QDialog *dialog(int kind) const;

private:
    using Editor = std::function<bool(Canvas *, DiagramItem *)>;
    void registerEditors();
    // Registers the editor of a kind and the dialog slot it fills.
    template <class Dialog>
    void add(int kind, const std::unique_ptr<Dialog> &slot, const Editor &editor);
    template <class Dialog> Dialog *dialogFor(std::unique_ptr<Dialog> &slot);
    bool editState(Canvas *canvas, StateItem *state);

    QHash<int, Editor> m_editors;
    QHash<int, std::function<QDialog *()>> m_dialogs;
    std::unique_ptr<StateProperties> m_state;
    std::unique_ptr<TransitionProperties> m_transition;
    std::unique_ptr<TextProperties> m_text;
    std::unique_ptr<ProcessProperties> m_process;
    std::unique_ptr<LinkProperties> m_link;
    std::unique_ptr<MemoryProperties> m_memory;
    std::unique_ptr<DataflowProperties> m_dataflow;
};
