#include "TransitionKind.h"

#include "AddTransitionCommand.h"
#include "CanvasSteps.h"
#include "ConnectedBox.h"
#include "DeleteTransitionCommand.h"
#include "ItemCanvas.h"
#include "StateItem.h"
#include "SubMachineLevels.h"
#include "TransitionItem.h"
#include "TransitionLine.h"

#include <algorithm>
#include <climits>

int TransitionKind::type() const { return ItemType::Transition; }
QString TransitionKind::name() const { return QStringLiteral("Transition"); }
QString TransitionKind::noun() const { return QStringLiteral("transition"); }

ItemKind::Tool TransitionKind::tool() const
{
    return {1, 1, "actiontransition", ":/Images/Images/transitionCursor.png", MachineCanvasLevel, DeepestCanvasLevel};
}

QGraphicsItem *TransitionKind::connect(ItemCanvas &canvas, QGraphicsItem *start,
                                       QGraphicsItem *end) const
{
    if (start->type() != ItemType::State || end->type() != ItemType::State)
        return nullptr;
    auto *command = new AddTransitionCommand(&canvas, static_cast<StateItem *>(start),
                                             static_cast<StateItem *>(end));
    QGraphicsItem *made = command->transition();
    canvas.pushCommand(command);
    return made;
}

void TransitionKind::pushDeletion(ItemCanvas &canvas, DiagramItem *item) const
{
    canvas.pushCommand(new DeleteTransitionCommand(&canvas, static_cast<TransitionItem *>(item)));
}

void TransitionKind::hide(CanvasSteps &steps, TransitionItem *transition)
{
    if (transition->scene())
        transition->removeLines();
    steps.hideParts({transition->startLine(), transition->endLine(), transition});
}

namespace {

const QList<TransitionItem *> &stateList(const StateItem *state, const TransitionItem *t)
{
    return t->isSelfTransition() ? state->selfTransitions() : state->transitions();
}

} // namespace

void TransitionKind::rememberPlaces(CanvasSteps &steps, const QList<TransitionItem *> &transitions)
{
    for (TransitionItem *t : transitions) {
        steps.rememberIndex(t);
        for (StateItem *s : {t->startItem(), t->endItem()}) {
            const auto &list = stateList(s, t);
            if (list.contains(t))
                steps.rememberIndexIn(s, t, list.indexOf(t));
        }
    }
}

void TransitionKind::restorePlaces(CanvasSteps &steps, const QList<TransitionItem *> &transitions)
{
    QList<TransitionItem *> order = transitions;
    std::stable_sort(order.begin(), order.end(), [&steps](TransitionItem *a, TransitionItem *b) {
        return positionOr(steps.rememberedIndex(a), INT_MAX)
               < positionOr(steps.rememberedIndex(b), INT_MAX);
    });
    for (TransitionItem *t : order) {
        steps.showParts({t, t->startLine(), t->endLine()});
        steps.relist(t);
    }
    // Per state, ascending remembered positions; each state gets each
    // transition once (a self transition has one state).
    QList<QPair<StateItem *, TransitionItem *>> entries;
    for (TransitionItem *t : transitions) {
        entries.append(qMakePair(t->startItem(), t));
        if (!t->isSelfTransition())
            entries.append(qMakePair(t->endItem(), t));
    }
    auto place = [&steps](const QPair<StateItem *, TransitionItem *> &e) {
        return positionOr(steps.rememberedIndexIn(e.first, e.second), INT_MAX);
    };
    std::stable_sort(entries.begin(), entries.end(), [&](const auto &a, const auto &b) {
        return place(a) < place(b);
    });
    for (const auto &e : entries) {
        StateItem *s = e.first;
        TransitionItem *t = e.second;
        const auto &list = stateList(s, t);
        if (list.contains(t))
            continue;
        const int at = place(e);
        s->insertTransition(at == INT_MAX ? list.size() : at, t);
    }
}

bool TransitionKind::putBack(CanvasSteps &steps, DiagramItem *item) const
{
    auto *transition = static_cast<TransitionItem *>(item);
    if (!transition || steps.isListed(transition))
        return false;
    const QList<StateItem *> states = steps.canvas()->states();
    if (!states.contains(transition->startItem()) || !states.contains(transition->endItem()))
        return false;
    restorePlaces(steps, {transition});
    return true;
}

bool TransitionKind::takeAway(CanvasSteps &steps, DiagramItem *item) const
{
    auto *transition = static_cast<TransitionItem *>(item);
    if (!transition || !steps.isListed(transition))
        return false;
    rememberPlaces(steps, {transition});
    steps.canvas()->unregisterItem(transition);
    transition->startItem()->removeTransition(transition);
    if (!transition->isSelfTransition())
        transition->endItem()->removeTransition(transition);
    hide(steps, transition);
    return true;
}

DiagramItem *TransitionKind::fromRecord(ItemCanvas &canvas, const ItemRecord &record, qreal z,
                                        DiagramItem *start, DiagramItem *end) const
{
    const auto *r = std::get_if<TransitionRecord>(&record);
    if (!r)
        return nullptr;
    auto *from = static_cast<StateItem *>(start);
    auto *to = static_cast<StateItem *>(end);
    auto *transition = new TransitionItem(canvas.menuOf(ItemType::Transition), from, to);
    transition->applyRecord(*r);
    transition->setZValue(z);
    addConnectedBox<TransitionLine>(canvas, from, transition, to);
    from->addTransition(transition);
    if (to != from)
        to->addTransition(transition);
    return transition;
}
