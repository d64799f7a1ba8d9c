#include "SimulationHighlighters.h"

#include "Canvas.h"
#include "SimulationHighlighter.h"
#include "StateItem.h"
#include "TransitionItem.h"

SimulationHighlighters::SimulationHighlighters(const QList<Canvas *> &canvases, QObject *parent) : QObject(parent)
{
    for (Canvas *canvas : canvases) {
        m_canvases << canvas;
        // A canvas shown on two levels (it cannot be) gets one highlighter.
        SimulationHighlighter *existing = nullptr;
        for (int k = 0; k + 1 < m_canvases.size() && canvas; ++k) {
            if (m_canvases.at(k) == canvas)
                existing = m_highlighters.at(k);
        }
        m_highlighters << (existing || !canvas ? existing : new SimulationHighlighter(canvas));
    }
}

SimulationHighlighters::~SimulationHighlighters()
{
    // A highlighter is its canvas's child: one whose canvas went is gone.
    for (const QPointer<SimulationHighlighter> &highlighter : qAsConst(m_highlighters))
        delete highlighter.data();
}

Canvas *SimulationHighlighters::canvas(int level) const
{
    return level >= 0 && level < m_canvases.size() ? m_canvases.at(level).data() : nullptr;
}

int SimulationHighlighters::levelOf(const Canvas *canvas) const
{
    for (int k = 0; canvas && k < m_canvases.size(); ++k) {
        if (m_canvases.at(k) == canvas)
            return k;
    }
    return -1;
}

SimulationHighlighter *SimulationHighlighters::highlighter(int level) const
{
    return level >= 0 && level < m_highlighters.size() ? m_highlighters.at(level).data() : nullptr;
}

StateItem *SimulationHighlighters::state(int level, int index) const
{
    const Canvas *c = canvas(level);
    return c && index >= 0 ? c->states().value(index) : nullptr;
}

TransitionItem *SimulationHighlighters::transition(int level, int index) const
{
    const Canvas *c = canvas(level);
    return c && index >= 0 ? c->transitions().value(index) : nullptr;
}

void SimulationHighlighters::show(const QVector<Mark> &marks)
{
    for (int k = 0; k < m_highlighters.size(); ++k) {
        SimulationHighlighter *h = highlighter(k);
        if (!h)
            continue;
        const Mark mark = marks.value(k);
        StateItem *active = state(k, mark.state);
        if (mark.initial && active)
            h->showInitial(active);
        else
            h->showActive(active, active ? transition(k, mark.fired) : nullptr);
    }
}

void SimulationHighlighters::setBreakpoints(const QVector<QList<int>> &states)
{
    for (int k = 0; k < m_highlighters.size(); ++k) {
        QList<StateItem *> items;
        for (int index : states.value(k)) {
            if (StateItem *item = state(k, index))
                items << item;
        }
        if (SimulationHighlighter *h = highlighter(k))
            h->setBreakpoints(items);
    }
}

void SimulationHighlighters::setUnreached(const QVector<QList<int>> &states, const QVector<QList<int>> &transitions)
{
    for (int k = 0; k < m_highlighters.size(); ++k) {
        QList<StateItem *> stateItems;
        for (int index : states.value(k)) {
            if (StateItem *item = state(k, index))
                stateItems << item;
        }
        QList<TransitionItem *> transitionItems;
        for (int index : transitions.value(k)) {
            if (TransitionItem *item = transition(k, index))
                transitionItems << item;
        }
        if (SimulationHighlighter *h = highlighter(k))
            h->setUnreached(stateItems, transitionItems);
    }
}
