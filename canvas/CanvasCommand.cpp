#include "CanvasCommand.h"

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

bool CanvasCommand::putTransitionBack(TransitionItem *transition)
{
    if (!transition || m_canvas->transitions().contains(transition))
        return false;
    StateItem *start = transition->startItem();
    StateItem *end = transition->endItem();
    if (!m_canvas->states().contains(start) || !m_canvas->states().contains(end))
        return false;
    showTransition(transition);
    m_canvas->appendTransition(transition);
    const auto &startList = transition->isSelfTransition() ? start->selfTransitions()
                                                           : start->transitions();
    if (!startList.contains(transition))
        start->addTransition(transition);
    if (!transition->isSelfTransition() && !end->transitions().contains(transition))
        end->addTransition(transition);
    return true;
}

bool CanvasCommand::takeTransitionAway(TransitionItem *transition)
{
    if (!transition || !m_canvas->removeTransition(transition))
        return false;
    transition->startItem()->removeTransition(transition);
    if (!transition->isSelfTransition())
        transition->endItem()->removeTransition(transition);
    hideTransition(transition);
    return true;
}

bool CanvasCommand::putStateBack(StateItem *state)
{
    if (!state || m_canvas->states().contains(state))
        return false;
    m_canvas->putInScene(state);
    m_canvas->appendState(state);
    for (TransitionItem *t : state->transitions()) {
        StateItem *other = t->startItem() == state ? t->endItem() : t->startItem();
        if (m_canvas->transitions().contains(t) || !m_canvas->states().contains(other))
            continue;
        showTransition(t);
        m_canvas->appendTransition(t);
        if (!other->transitions().contains(t))
            other->addTransition(t);
    }
    for (TransitionItem *t : state->selfTransitions()) {
        if (m_canvas->transitions().contains(t))
            continue;
        showTransition(t);
        m_canvas->appendTransition(t);
    }
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
    if (!state || !m_canvas->states().contains(state))
        return false;
    if (m_canvas->markedInitialState() == state)
        m_canvas->detachInitialMarker();
    const QList<TransitionItem *> ordinary = state->transitions();
    for (TransitionItem *t : ordinary) {
        if (!m_canvas->removeTransition(t))
            continue;
        StateItem *other = t->startItem() == state ? t->endItem() : t->startItem();
        other->removeTransition(t);
        hideTransition(t);
    }
    for (TransitionItem *t : state->selfTransitions()) {
        if (m_canvas->removeTransition(t))
            hideTransition(t);
    }
    m_canvas->removeState(state);
    m_canvas->takeFromScene(state);
    m_canvas->keepAlive(state);
    return true;
}

bool CanvasCommand::putTextBack(TextItem *text, bool onTop)
{
    if (!text || m_canvas->textItems().contains(text))
        return false;
    if (onTop)
        text->setZValue(m_canvas->nextZValue());
    m_canvas->putInScene(text);
    m_canvas->appendTextItem(text);
    return true;
}

bool CanvasCommand::takeTextAway(TextItem *text)
{
    if (!text || !m_canvas->removeTextItem(text))
        return false;
    m_canvas->takeFromScene(text);
    m_canvas->keepAlive(text);
    return true;
}
