#include "HandMachine.h"

namespace HandMachine {

MachineState state(const QString &label, const QString &action, bool initial)
{
    MachineState s;
    s.label = label;
    s.action = action;
    s.initial = initial;
    return s;
}

void join(MachineDescription &m, int from, int to, const QString &label, const QString &condition,
          const QString &action)
{
    MachineTransition t;
    t.label = label;
    t.condition = condition;
    t.action = action;
    t.start = from;
    t.end = to;
    m.transitions << t;
    const int at = m.transitions.size() - 1;
    if (from == to) {
        m.states[from].selfTransitions << at;
    } else {
        m.states[from].transitions << at;
        m.states[to].transitions << at;
    }
    m.transitionCount = m.transitions.size();
}

} // namespace HandMachine
