#include "EntryExitMarker.h"

#include <algorithm>

namespace EntryExitMarker {

QString label()
{
    return QStringLiteral("This file has entry and exit actions of states, which need a newer "
                          "Kestro; this version drops them when it saves the file");
}

StateRecord record()
{
    // Level 0 holds no state in any release, and no diagram has the numbers
    // it names, so placement refuses it before looking at anything else.
    StateRecord marker;
    marker.level = 0;
    marker.parentId = 0;
    marker.grandParentId = 0;
    marker.label = label();
    marker.backgroundColour = QStringLiteral("#e5e7e9");
    return marker;
}

bool isMarker(const StateRecord &state)
{
    return state.level == 0 && state.label == label();
}

bool needsMarker(const StateRecord &state)
{
    return !state.entryAction.isEmpty() || !state.exitAction.isEmpty();
}

bool needsMarker(const QVector<StateRecord> &states)
{
    return std::any_of(states.cbegin(), states.cend(),
                       [](const StateRecord &state) { return needsMarker(state); });
}

} // namespace EntryExitMarker
