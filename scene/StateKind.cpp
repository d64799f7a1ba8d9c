#include "StateKind.h"

#include "AddStateCommand.h"
#include "CanvasSteps.h"
#include "DeleteStateCommand.h"
#include "ItemCanvas.h"
#include "StateItem.h"
#include "SubMachineLevels.h"
#include "TransitionItem.h"
#include "TransitionKind.h"

int StateKind::type() const { return ItemType::State; }
QString StateKind::name() const { return QStringLiteral("State"); }
QString StateKind::noun() const { return QStringLiteral("state"); }

ItemKind::Tool StateKind::tool() const
{
    return {0, 0, "actionState", ":/Images/Images/stateCursor.png", MachineCanvasLevel, DeepestCanvasLevel};
}

void StateKind::insertAt(ItemCanvas &canvas, const QPointF &point) const
{
    // Centre the default 280 x 150 state on the point.
    auto *command = new AddStateCommand(&canvas, point.x() - 140, point.y() - 75);
    canvas.pushInsertion(command, command->state());
}

void StateKind::pushDeletion(ItemCanvas &canvas, DiagramItem *item) const
{
    auto *state = static_cast<StateItem *>(item);
    if (canvas.markedInitialState() == state)
        canvas.detachInitialMarker();
    canvas.pushCommand(new DeleteStateCommand(&canvas, state));
}

namespace {

// A machine has one initial state. If another state became initial while
// this one was away, this one comes back as an ordinary state.
void restoreInitialFlag(ItemCanvas *canvas, StateItem *state)
{
    for (StateItem *other : canvas->states()) {
        if (other != state && other->isInitialState()) {
            state->setInitialState(false);
            return;
        }
    }
    if (!canvas->markedInitialState())
        canvas->attachInitialMarker(state);
}

} // namespace

bool StateKind::putBack(CanvasSteps &steps, DiagramItem *item) const
{
    auto *state = static_cast<StateItem *>(item);
    if (!state || steps.isListed(state))
        return false;
    ItemCanvas *canvas = steps.canvas();
    steps.putIn(state);
    QList<TransitionItem *> back;
    for (TransitionItem *t : state->transitions()) {
        StateItem *other = t->startItem() == state ? t->endItem() : t->startItem();
        if (!steps.isListed(t) && steps.isListed(other))
            back.append(t);
    }
    for (TransitionItem *t : state->selfTransitions()) {
        if (!steps.isListed(t))
            back.append(t);
    }
    TransitionKind::restorePlaces(steps, back);
    if (state->isInitialState())
        restoreInitialFlag(canvas, state);
    return true;
}

bool StateKind::takeAway(CanvasSteps &steps, DiagramItem *item) const
{
    auto *state = static_cast<StateItem *>(item);
    if (!state || !steps.isListed(state))
        return false;
    ItemCanvas *canvas = steps.canvas();
    if (canvas->markedInitialState() == state)
        canvas->detachInitialMarker();
    QList<TransitionItem *> away;
    for (TransitionItem *t : state->transitions() + state->selfTransitions()) {
        if (steps.isListed(t))
            away.append(t);
    }
    TransitionKind::rememberPlaces(steps, away);
    for (TransitionItem *t : away) {
        canvas->unregisterItem(t);
        if (!t->isSelfTransition()) {
            StateItem *other = t->startItem() == state ? t->endItem() : t->startItem();
            other->removeTransition(t);
        }
        TransitionKind::hide(steps, t);
    }
    steps.takeOut(state);
    return true;
}

DiagramItem *StateKind::fromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z,
                                   DiagramItem *, DiagramItem *) const
{
    return placeFromRecord<StateRecord>(canvas, record, z, [&canvas](const StateRecord &r) {
        return new StateItem(canvas.menuOf(ItemType::State), r.xCoord, r.yCoord);
    });
}

void StateKind::loaded(ItemCanvas &canvas, DiagramItem *item) const
{
    auto *state = static_cast<StateItem *>(item);
    if (state->isInitialState() && !canvas.markedInitialState())
        canvas.attachInitialMarker(state);
}
