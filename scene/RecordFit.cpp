#include "RecordFit.h"

#include "ItemLayout.h"

#include <algorithm>

namespace {

template<typename Record>
void growTo(Record &record, const QSize &fitted)
{
    const int width = std::max(record.width, fitted.width());
    const int height = std::max(record.height, fitted.height());
    if (width == record.width && height == record.height)
        return;
    record.xCoord -= (width - record.width) / 2;
    record.yCoord -= (height - record.height) / 2;
    record.width = width;
    record.height = height;
    record.polygon = closedRectangle(width, height);
}

} // namespace

void growBoxesToTexts(CanvasBlock &block, const TextMetrics &metrics)
{
    for (StateRecord &state : block.states)
        growTo(state, stateAutoSize(state.label,
                                    stateBodyText(state.entryAction, state.action, state.exitAction),
                                    metrics));
    for (TransitionRecord &transition : block.transitions)
        growTo(transition, transitionAutoSize(transition.label, transition.condition, transition.action, metrics));
    for (TextRecord &text : block.texts)
        growTo(text, textAutoSize(text.action, metrics));
}

void growBoxesToTexts(ProjectDocument &document, const TextMetrics &metrics)
{
    for (CanvasBlock &block : document.blocks)
        growBoxesToTexts(block, metrics);
}
