#pragma once

// Base of the undo commands of a canvas. It holds the canvas and the steps
// the commands share: putting an item back on the canvas (scene, list and
// its ends' lists) and taking it away again, as the item's kind does it
// (ItemKind::putBack, takeAway). Every step checks the canvas's lists
// first, so a step whose work is already done (an item deleted together
// with its state in the same selection, say) changes nothing.

#include <QUndoCommand>

#include "CanvasSteps.h"
#include "DiagramItem.h"
#include "ItemCanvas.h"

class CanvasCommand : public QUndoCommand
{
public:
    ItemCanvas *canvas() const { return m_canvas; }

    // The item undoing this step puts back on the canvas (a deletion's), and
    // the item redoing it puts back (an insertion's); null where the step
    // brings back none. The label rules keep such labels taken.
    virtual const DiagramItem *itemUndoRestores() const { return nullptr; }
    virtual const DiagramItem *itemRedoRestores() const { return nullptr; }

protected:
    explicit CanvasCommand(ItemCanvas *canvas, QUndoCommand *parent = nullptr);

    // Identity of an item created on the canvas (Canvas::stampIdentity).
    void stampIdentity(DiagramItem *item) const { m_canvas->stampIdentity(item); }

    // Any item of a kind the canvas's steps handle (a process item is
    // handled by the project, which knows its node and canvas): false for
    // other kinds, and when nothing changed.
    bool putItemBack(DiagramItem *item) { return m_steps.putBack(item); }
    bool takeItemAway(DiagramItem *item) { return m_steps.takeAway(item); }

    void repaint();

    ItemCanvas *const m_canvas;
    // Whether the last redo changed anything; undo reverses only that.
    bool m_applied = false;

private:
    CanvasSteps m_steps;
};
