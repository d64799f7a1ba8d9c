#include "NavigationHistory.h"

#include "Canvas.h"

NavigationHistory::NavigationHistory(QObject *parent) : QObject(parent) {}

void NavigationHistory::visit(Canvas *canvas)
{
    if (!canvas)
        return;
    dropDeadEntries();
    if (current() == canvas)
        return;
    while (m_entries.size() > m_current + 1)
        m_entries.removeLast();
    m_entries.append(canvas);
    while (m_entries.size() > MaxEntries)
        m_entries.removeFirst();
    m_current = m_entries.size() - 1;
    emit changed();
}

Canvas *NavigationHistory::step(int direction)
{
    const bool dropped = dropDeadEntries();
    const int target = m_current + direction;
    if (target < 0 || target >= m_entries.size()) {
        if (dropped)
            emit changed();
        return nullptr;
    }
    m_current = target;
    emit changed();
    return m_entries.at(m_current);
}

Canvas *NavigationHistory::back()
{
    return step(-1);
}

Canvas *NavigationHistory::forward()
{
    return step(+1);
}

bool NavigationHistory::canGoBack() const
{
    // Only a living entry before the current one counts.
    for (int i = m_current - 1; i >= 0; --i)
        if (m_entries.at(i) && m_entries.at(i) != current())
            return true;
    return false;
}

bool NavigationHistory::canGoForward() const
{
    for (int i = m_current + 1; i < m_entries.size(); ++i)
        if (m_entries.at(i) && m_entries.at(i) != current())
            return true;
    return false;
}

Canvas *NavigationHistory::current() const
{
    return m_current >= 0 && m_current < m_entries.size() ? m_entries.at(m_current).data() : nullptr;
}

int NavigationHistory::count() const
{
    return m_entries.size();
}

void NavigationHistory::clear()
{
    if (m_entries.isEmpty())
        return;
    m_entries.clear();
    m_current = -1;
    emit changed();
}

void NavigationHistory::prune(const QList<Canvas *> &kept)
{
    if (dropDeadEntries(&kept))
        emit changed();
}

bool NavigationHistory::dropDeadEntries(const QList<Canvas *> *kept)
{
    // The current entry moves with what is left before it; neighbours that
    // meet after a removal are one visit.
    bool dropped = false;
    for (int i = 0; i < m_entries.size();) {
        const bool dead = !m_entries.at(i) || (kept && !kept->contains(m_entries.at(i).data()));
        const bool repeated = !dead && i > 0 && m_entries.at(i) == m_entries.at(i - 1);
        if (!dead && !repeated) {
            ++i;
            continue;
        }
        m_entries.removeAt(i);
        if (m_current >= i)
            m_current = qMax(m_current - 1, m_entries.isEmpty() ? -1 : 0);
        dropped = true;
    }
    if (m_current >= m_entries.size())
        m_current = m_entries.size() - 1;
    return dropped;
}
