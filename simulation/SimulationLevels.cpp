#include "SimulationLevels.h"

#include <QStringList>

SimulationLevels::SimulationLevels(const MachineDescription &machine)
{
    m_levels << Level{ &machine, -1, -1, 0, 0 };
    m_stateSlots = machine.states.size();
    m_transitionSlots = machine.transitions.size();
    for (const MachineDescription &sub : machine.subMachines) {
        m_levels << Level{ &sub, sub.parent + 1, sub.holder, m_stateSlots, m_transitionSlots };
        m_stateSlots += sub.states.size();
        m_transitionSlots += sub.transitions.size();
    }
}

const MachineDescription &SimulationLevels::level(int level) const
{
    return *m_levels.at(level).machine;
}

int SimulationLevels::subLevel(int level, int state) const
{
    for (int k = level + 1; k < m_levels.size(); ++k) {
        if (m_levels.at(k).parent == level && m_levels.at(k).holder == state)
            return k;
    }
    return -1;
}

int SimulationLevels::parentLevel(int level) const
{
    return m_levels.at(level).parent;
}

int SimulationLevels::holderState(int level) const
{
    return m_levels.at(level).holder;
}

int SimulationLevels::levelOfSlot(int slot, bool transitions) const
{
    if (slot < 0 || slot >= (transitions ? m_transitionSlots : m_stateSlots))
        return -1;
    // Empty levels share their first slot with the next: the last level
    // starting at or before the slot that has slots holds it.
    for (int k = m_levels.size() - 1; k >= 0; --k) {
        const Level &l = m_levels.at(k);
        const int first = transitions ? l.firstTransition : l.firstState;
        const int size = transitions ? l.machine->transitions.size() : l.machine->states.size();
        if (slot >= first && slot < first + size)
            return k;
    }
    return -1;
}

int SimulationLevels::levelOfState(int slot) const
{
    return levelOfSlot(slot, false);
}

int SimulationLevels::levelOfTransition(int slot) const
{
    return levelOfSlot(slot, true);
}

int SimulationLevels::stateIndex(int slot) const
{
    const int k = levelOfState(slot);
    return k < 0 ? -1 : slot - m_levels.at(k).firstState;
}

int SimulationLevels::transitionIndex(int slot) const
{
    const int k = levelOfTransition(slot);
    return k < 0 ? -1 : slot - m_levels.at(k).firstTransition;
}

QString SimulationLevels::levelName(int level) const
{
    QStringList labels;
    for (int k = level; k > 0; k = m_levels.at(k).parent) {
        const Level &l = m_levels.at(k);
        const MachineDescription &parent = *m_levels.at(l.parent).machine;
        labels.prepend(l.holder >= 0 && l.holder < parent.states.size() ? parent.states.at(l.holder).label
                                                                         : QStringLiteral("?"));
    }
    return labels.join(QLatin1Char('/'));
}

QString SimulationLevels::stateName(int slot) const
{
    const int k = levelOfState(slot);
    if (k < 0)
        return QString();
    const QString label = level(k).states.at(stateIndex(slot)).label;
    return k == 0 ? label : levelName(k) + QLatin1Char('/') + label;
}

QString SimulationLevels::transitionName(int slot) const
{
    const int k = levelOfTransition(slot);
    if (k < 0)
        return QString();
    const QString label = level(k).transitions.at(transitionIndex(slot)).label;
    return k == 0 ? label : levelName(k) + QLatin1Char('/') + label;
}

int SimulationLevels::findState(const QString &name, QVector<int> *chain) const
{
    // A label first: labels are unique over the levels, and one may hold "/".
    const QStringList labels = name.split(QLatin1Char('/'));
    QVector<int> found;
    for (int k = 0; k < m_levels.size() && found.isEmpty(); ++k) {
        for (int s = 0; s < level(k).states.size() && found.isEmpty(); ++s) {
            if (level(k).states.at(s).label == name)
                found << stateSlot(k, s);
        }
    }
    for (int k = 0; k < m_levels.size() && found.isEmpty() && labels.size() > 1; ++k) {
        for (int s = 0; s < level(k).states.size() && found.isEmpty(); ++s) {
            if (level(k).states.at(s).label != labels.first())
                continue;
            // Down the levels, a label at a time.
            QVector<int> chainFound{ stateSlot(k, s) };
            int at = k;
            int state = s;
            for (int i = 1; i < labels.size() && !chainFound.isEmpty(); ++i) {
                at = subLevel(at, state);
                state = -1;
                for (int t = 0; at >= 0 && t < level(at).states.size(); ++t) {
                    if (level(at).states.at(t).label == labels.at(i))
                        state = t;
                }
                if (state < 0)
                    chainFound.clear();
                else
                    chainFound << stateSlot(at, state);
            }
            found = chainFound;
        }
    }
    if (chain)
        *chain = found;
    return found.isEmpty() ? -1 : found.last();
}

bool SimulationLevels::isActive(const QVector<int> &chain, const QVector<int> &path)
{
    if (chain.isEmpty())
        return false;
    for (int slot : chain) {
        if (!path.contains(slot))
            return false;
    }
    return true;
}

bool SimulationLevels::isPath(const QVector<int> &path, int top) const
{
    if (path.isEmpty())
        return top < 0 || top >= level(0).states.size();
    if (path.first() != top || levelOfState(top) != 0)
        return false;
    for (int i = 1; i < path.size(); ++i) {
        const int k = levelOfState(path.at(i));
        const int above = path.at(i - 1);
        if (k < 0 || subLevel(levelOfState(above), stateIndex(above)) != k)
            return false;
    }
    return true;
}

QVector<int> SimulationLevels::flatPath(int top) const
{
    return top >= 0 && top < level(0).states.size() ? QVector<int>{ top } : QVector<int>();
}

int SimulationLevels::firstEntered(const QVector<int> &before, const QVector<int> &after, int fired) const
{
    int first = 0;
    while (first < before.size() && first < after.size() && before.at(first) == after.at(first))
        ++first;
    // A transition leaves and enters again the level it belongs to, a self
    // transition included, and everything below.
    const int firedLevel = levelOfTransition(fired);
    for (int i = 0; firedLevel >= 0 && i < first; ++i) {
        if (levelOfState(after.at(i)) == firedLevel)
            return i;
    }
    return first;
}
