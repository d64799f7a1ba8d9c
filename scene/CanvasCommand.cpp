#include "CanvasCommand.h"

#include <algorithm>
#include <climits>

#include "DataflowItem.h"
#include "DataflowLine.h"
#include "ItemTypes.h"
#include "LinkItem.h"
#include "LinkLine.h"
#include "MemoryItem.h"
#include "ProcessItem.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "TransitionLine.h"

CanvasCommand::CanvasCommand(Canvas *canvas, QUndoCommand *parent)
    : QUndoCommand(parent), m_canvas(canvas)
{
}

void CanvasCommand::repaint()
{
    m_canvas->update();
}

void CanvasCommand::hideTransition(TransitionItem *transition)
{
    if (transition->scene())
        transition->removeLines();
    QGraphicsItem *parts[] = {transition->startLine(), transition->endLine(), transition};
    for (QGraphicsItem *part : parts) {
        if (!part)
            continue;
        m_canvas->takeFromScene(part);
        m_canvas->keepAlive(part);
    }
}

void CanvasCommand::showTransition(TransitionItem *transition)
{
    m_canvas->putInScene(transition);
    if (transition->startLine())
        m_canvas->putInScene(transition->startLine());
    if (transition->endLine())
        m_canvas->putInScene(transition->endLine());
}

namespace {
int positionOr(int remembered, int fallback)
{
    return remembered >= 0 ? remembered : fallback;
}
} // namespace

void CanvasCommand::rememberTransitionPlaces(const QList<TransitionItem *> &transitions)
{
    // Taken before anything is removed, so every index refers to the lists
    // as they were; restoring in ascending order rebuilds them exactly.
    for (TransitionItem *t : transitions) {
        m_listIndex.insert(t, m_canvas->registeredIndex(t));
        for (StateItem *s : {t->startItem(), t->endItem()}) {
            const auto &list = t->isSelfTransition() ? s->selfTransitions() : s->transitions();
            if (list.contains(t))
                m_stateListIndex.insert(qMakePair(static_cast<const StateItem *>(s),
                                                  static_cast<const TransitionItem *>(t)),
                                        list.indexOf(t));
        }
    }
}

void CanvasCommand::restoreTransitionPlaces(const QList<TransitionItem *> &transitions)
{
    QList<TransitionItem *> order = transitions;
    std::stable_sort(order.begin(), order.end(), [this](TransitionItem *a, TransitionItem *b) {
        return positionOr(rememberedIndex(a), INT_MAX) < positionOr(rememberedIndex(b), INT_MAX);
    });
    for (TransitionItem *t : order) {
        showTransition(t);
        m_canvas->registerItemAt(rememberedIndex(t), t);
    }
    // Per state, ascending remembered positions; each state gets each
    // transition once (a self transition has one state).
    QList<QPair<const StateItem *, TransitionItem *>> entries;
    for (TransitionItem *t : transitions) {
        entries.append(qMakePair(static_cast<const StateItem *>(t->startItem()), t));
        if (!t->isSelfTransition())
            entries.append(qMakePair(static_cast<const StateItem *>(t->endItem()), t));
    }
    auto place = [this](const QPair<const StateItem *, TransitionItem *> &e) {
        return positionOr(m_stateListIndex.value(qMakePair(e.first, static_cast<const TransitionItem *>(e.second)), -1), INT_MAX);
    };
    std::stable_sort(entries.begin(), entries.end(), [&](const auto &a, const auto &b) {
        return place(a) < place(b);
    });
    for (const auto &e : entries) {
        StateItem *s = const_cast<StateItem *>(e.first);
        TransitionItem *t = e.second;
        const auto &list = t->isSelfTransition() ? s->selfTransitions() : s->transitions();
        if (list.contains(t))
            continue;
        const int at = place(e);
        s->insertTransition(at == INT_MAX ? list.size() : at, t);
    }
}

bool CanvasCommand::putTransitionBack(TransitionItem *transition)
{
    if (!transition || m_canvas->registeredItem(transition))
        return false;
    if (!m_canvas->states().contains(transition->startItem())
        || !m_canvas->states().contains(transition->endItem()))
        return false;
    restoreTransitionPlaces({transition});
    return true;
}

bool CanvasCommand::takeTransitionAway(TransitionItem *transition)
{
    if (!transition || !m_canvas->registeredItem(transition))
        return false;
    rememberTransitionPlaces({transition});
    m_canvas->unregisterItem(transition);
    transition->startItem()->removeTransition(transition);
    if (!transition->isSelfTransition())
        transition->endItem()->removeTransition(transition);
    hideTransition(transition);
    return true;
}

bool CanvasCommand::putStateBack(StateItem *state)
{
    if (!state || m_canvas->registeredItem(state))
        return false;
    m_canvas->putInScene(state);
    m_canvas->registerItemAt(rememberedIndex(state), state);
    QList<TransitionItem *> back;
    for (TransitionItem *t : state->transitions()) {
        StateItem *other = t->startItem() == state ? t->endItem() : t->startItem();
        if (!m_canvas->registeredItem(t) && m_canvas->registeredItem(other))
            back.append(t);
    }
    for (TransitionItem *t : state->selfTransitions()) {
        if (!m_canvas->registeredItem(t))
            back.append(t);
    }
    restoreTransitionPlaces(back);
    if (state->isInitialState())
        restoreInitialFlag(state);
    return true;
}

void CanvasCommand::restoreInitialFlag(StateItem *state)
{
    // A machine has one initial state. If another state became initial while
    // this one was away, this one comes back as an ordinary state.
    for (StateItem *other : m_canvas->states()) {
        if (other != state && other->isInitialState()) {
            state->setInitialState(false);
            return;
        }
    }
    if (!m_canvas->markedInitialState())
        m_canvas->attachInitialMarker(state);
}

bool CanvasCommand::takeStateAway(StateItem *state)
{
    if (!state || !m_canvas->registeredItem(state))
        return false;
    if (m_canvas->markedInitialState() == state)
        m_canvas->detachInitialMarker();
    m_listIndex.insert(state, m_canvas->registeredIndex(state));
    QList<TransitionItem *> away;
    for (TransitionItem *t : state->transitions() + state->selfTransitions()) {
        if (m_canvas->registeredItem(t))
            away.append(t);
    }
    rememberTransitionPlaces(away);
    for (TransitionItem *t : away) {
        m_canvas->unregisterItem(t);
        if (!t->isSelfTransition()) {
            StateItem *other = t->startItem() == state ? t->endItem() : t->startItem();
            other->removeTransition(t);
        }
        hideTransition(t);
    }
    m_canvas->unregisterItem(state);
    m_canvas->takeFromScene(state);
    m_canvas->keepAlive(state);
    return true;
}

bool CanvasCommand::putTextBack(TextItem *text)
{
    if (!text || m_canvas->registeredItem(text))
        return false;
    m_canvas->putInScene(text);
    m_canvas->registerItemAt(rememberedIndex(text), text);
    return true;
}

bool CanvasCommand::takeTextAway(TextItem *text)
{
    if (!text || !m_canvas->registeredItem(text))
        return false;
    m_listIndex.insert(text, m_canvas->registeredIndex(text));
    m_canvas->unregisterItem(text);
    m_canvas->takeFromScene(text);
    m_canvas->keepAlive(text);
    return true;
}

// --- links, dataflows and memory items ------------------------------------------------

void CanvasCommand::hideParts(const QList<QGraphicsItem *> &parts)
{
    for (QGraphicsItem *part : parts) {
        if (!part)
            continue;
        m_canvas->takeFromScene(part);
        m_canvas->keepAlive(part);
    }
}

void CanvasCommand::showParts(const QList<QGraphicsItem *> &parts)
{
    for (QGraphicsItem *part : parts)
        m_canvas->putInScene(part);
}

namespace {
QList<QGraphicsItem *> partsOf(LinkItem *link)
{
    return {link, link->startLine(), link->endLine()};
}

QList<QGraphicsItem *> partsOf(DataflowItem *dataflow)
{
    return {dataflow, dataflow->startLine(), dataflow->endLine()};
}
} // namespace

bool CanvasCommand::putLinkBack(LinkItem *link)
{
    if (!link || m_canvas->registeredItem(link) || !m_canvas->registeredItem(link->startItem())
        || !m_canvas->registeredItem(link->endItem()))
        return false;
    showParts(partsOf(link));
    m_canvas->registerItemAt(rememberedIndex(link), link);
    link->startItem()->addLink(link);
    link->endItem()->addLink(link);
    for (LinkLine *line : {link->startLine(), link->endLine()}) {
        if (line)
            line->updateGeometry();
    }
    return true;
}

bool CanvasCommand::takeLinkAway(LinkItem *link)
{
    if (!link || !m_canvas->registeredItem(link))
        return false;
    m_listIndex.insert(link, m_canvas->registeredIndex(link));
    m_canvas->unregisterItem(link);
    if (link->startItem())
        link->startItem()->removeLink(link);
    if (link->endItem())
        link->endItem()->removeLink(link);
    hideParts(partsOf(link));
    return true;
}

void CanvasCommand::showDataflow(DataflowItem *dataflow)
{
    showParts(partsOf(dataflow));
    m_canvas->registerItemAt(rememberedIndex(dataflow), dataflow);
    dataflow->process()->addDataflow(dataflow);
    for (DataflowLine *line : {dataflow->startLine(), dataflow->endLine()}) {
        if (line)
            line->updateGeometry();
    }
}

bool CanvasCommand::putDataflowBack(DataflowItem *dataflow)
{
    if (!dataflow || m_canvas->registeredItem(dataflow)
        || !m_canvas->registeredItem(dataflow->process())
        || !m_canvas->registeredItem(dataflow->memory()))
        return false;
    showDataflow(dataflow);
    if (!dataflow->memory()->dataflows().contains(dataflow))
        dataflow->memory()->addDataflow(dataflow);
    return true;
}

bool CanvasCommand::takeDataflowAway(DataflowItem *dataflow)
{
    if (!dataflow || !m_canvas->registeredItem(dataflow))
        return false;
    m_listIndex.insert(dataflow, m_canvas->registeredIndex(dataflow));
    m_canvas->unregisterItem(dataflow);
    if (dataflow->process())
        dataflow->process()->removeDataflow(dataflow);
    if (dataflow->memory())
        dataflow->memory()->removeDataflow(dataflow);
    hideParts(partsOf(dataflow));
    return true;
}

bool CanvasCommand::putMemoryBack(MemoryItem *memory)
{
    if (!memory || m_canvas->registeredItem(memory))
        return false;
    m_canvas->putInScene(memory);
    m_canvas->registerItemAt(rememberedIndex(memory), memory);
    // Ascending old places rebuild the dataflow list as it was.
    QList<DataflowItem *> flows = memory->dataflows();
    std::stable_sort(flows.begin(), flows.end(), [this](DataflowItem *a, DataflowItem *b) {
        return positionOr(rememberedIndex(a), INT_MAX) < positionOr(rememberedIndex(b), INT_MAX);
    });
    for (DataflowItem *flow : flows) {
        if (flow->process() && m_canvas->registeredItem(flow->process())
            && !m_canvas->registeredItem(flow))
            showDataflow(flow);
    }
    return true;
}

bool CanvasCommand::takeMemoryAway(MemoryItem *memory)
{
    if (!memory || !m_canvas->registeredItem(memory))
        return false;
    // Places are taken before anything is removed, so that each refers to
    // the list as it was.
    m_listIndex.insert(memory, m_canvas->registeredIndex(memory));
    const QList<DataflowItem *> flows = memory->dataflows();
    for (DataflowItem *flow : flows)
        m_listIndex.insert(flow, m_canvas->registeredIndex(flow));
    for (DataflowItem *flow : flows) {
        m_canvas->unregisterItem(flow);
        if (flow->process())
            flow->process()->removeDataflow(flow);
        hideParts(partsOf(flow));
    }
    m_canvas->unregisterItem(memory);
    m_canvas->takeFromScene(memory);
    m_canvas->keepAlive(memory);
    return true;
}

bool CanvasCommand::putItemBack(DiagramItem *item)
{
    switch (item ? item->type() : 0) {
    case ItemType::State: return putStateBack(static_cast<StateItem *>(item));
    case ItemType::Transition: return putTransitionBack(static_cast<TransitionItem *>(item));
    case ItemType::Text: return putTextBack(static_cast<TextItem *>(item));
    case ItemType::Link: return putLinkBack(static_cast<LinkItem *>(item));
    case ItemType::Memory: return putMemoryBack(static_cast<MemoryItem *>(item));
    case ItemType::Dataflow: return putDataflowBack(static_cast<DataflowItem *>(item));
    default: return false;
    }
}

bool CanvasCommand::takeItemAway(DiagramItem *item)
{
    switch (item ? item->type() : 0) {
    case ItemType::State: return takeStateAway(static_cast<StateItem *>(item));
    case ItemType::Transition: return takeTransitionAway(static_cast<TransitionItem *>(item));
    case ItemType::Text: return takeTextAway(static_cast<TextItem *>(item));
    case ItemType::Link: return takeLinkAway(static_cast<LinkItem *>(item));
    case ItemType::Memory: return takeMemoryAway(static_cast<MemoryItem *>(item));
    case ItemType::Dataflow: return takeDataflowAway(static_cast<DataflowItem *>(item));
    default: return false;
    }
}
