#pragma once

// The marks of a running simulation on every diagram of a machine: its own
// diagram and each of its sub-machines' (a level each, as the simulation
// numbers them), one SimulationHighlighter per diagram. Each level shows
// its active state, the transition it fired and the initial arrow it
// took; a level whose sub-machine is not active shows nothing. Items are
// found by their index in their canvas's lists, the order the machine was
// read in. Deleting this takes every mark away.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QVector>

class Canvas;
class SimulationHighlighter;
class StateItem;
class TransitionItem;

class SimulationHighlighters : public QObject
{
    Q_OBJECT
public:
    // What one level shows: its active state (-1: none), the transition it
    // fired (-1: none), whether it took its initial transition.
    struct Mark
    {
        int state = -1;
        int fired = -1;
        bool initial = false;
    };

    // One canvas per level, the machine's own first; a null one (a diagram
    // not found) is left out.
    explicit SimulationHighlighters(const QList<Canvas *> &canvases, QObject *parent = nullptr);
    ~SimulationHighlighters() override;

    int levelCount() const { return m_canvases.size(); }
    Canvas *canvas(int level) const;
    // The level `canvas` shows, -1 for none of them.
    int levelOf(const Canvas *canvas) const;
    SimulationHighlighter *highlighter(int level) const;
    StateItem *state(int level, int index) const;
    TransitionItem *transition(int level, int index) const;

    // One mark per level; levels past the list show nothing.
    void show(const QVector<Mark> &marks);
    // The states with a breakpoint on each level (indices).
    void setBreakpoints(const QVector<QList<int>> &states);
    // The states and transitions of each level never reached; empty lists
    // take the veil away.
    void setUnreached(const QVector<QList<int>> &states, const QVector<QList<int>> &transitions);

private:
    QVector<QPointer<Canvas>> m_canvases;
    QVector<QPointer<SimulationHighlighter>> m_highlighters;
};
