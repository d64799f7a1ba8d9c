#pragma once

// One edit of what items store (a property dialog's OK, a resize, a
// colour, a label, a condition, an action): each item's record before and
// after. Redo gives every item its after record, undo its before record;
// the item's place in the project (level and ids, which the structure of
// the project renumbers) is never taken from a record. The initial-state
// marker follows the states' initial flag.
//
// Every edit is a step of its own: two dialogs accepted in a row, even on
// the same field of the same item, are undone one at a time.

#include "CanvasCommand.h"
#include "ItemChange.h"

#include <QString>
#include <QVector>

class ItemChangeCommand : public CanvasCommand
{
public:
    // The items are already in their after state when the command is made:
    // its first redo changes nothing visible.
    ItemChangeCommand(ItemCanvas *canvas, const QVector<ItemChange> &changes,
                      QUndoCommand *parent = nullptr);

    // Whether any item's stored fields differ between before and after.
    bool changesAnything() const;
    const QVector<ItemChange> &changes() const { return m_changes; }

    void redo() override;
    void undo() override;

protected:
    // After every redo and undo, for what follows an item beyond its canvas.
    virtual void applied() {}

private:
    void apply(bool after);
    void describe();

    QVector<ItemChange> m_changes;
    // The one field the one item changed; empty when more changed.
    QString m_field;
};
