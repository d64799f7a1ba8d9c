#pragma once

// The steps of the app tour: their titles and texts, and the rule that picks
// the step to show when the user clicks Next.
//
// tourStep (kept by the main window, 0..9) is the step the next click on
// Next tries first: 0 before the tour shows anything, k after step k-1 was
// shown. Steps 0-7 point at elements of the sample project; step 8, "Code
// generation", points at the Run menu and is the last one shown, after which
// tourStep is 9 and the next Next ends the tour. A step whose element is
// missing falls through to the next step in the same click.

#include <QString>

#include <functional>

namespace TourSteps {

enum Step {
    ProjectBrowserStep = 0,
    ProcessItemStep = 1,
    LinkItemStep = 2,
    InitialStateStep = 3,
    StateStep = 4,
    TransitionStep = 5,
    MemoryItemStep = 6,
    TextItemStep = 7,
    CodeGenerationStep = 8,
};

constexpr int StepCount = 9;
// tourStep once the last step was shown: the next Next ends the tour.
constexpr int FinishedTourStep = 9;

QString title(int step);
QString text(int step);

struct Advance
{
    int step = -1;          // step to show; -1 when the tour ends
    int nextTourStep = 0;   // value of tourStep after this click
    bool ends() const { return step < 0; }
};

// Picks what a click on Next does with the current tourStep. hasTarget(step)
// tells whether the element of that step exists; it is called in step order,
// once per step tried, starting at tourStep, so the caller may do a step's
// preparation in it (open the node, show the diagram) before looking the
// element up. Ending the tour leaves tourStep at 0.
Advance advance(int tourStep, const std::function<bool(int step)> &hasTarget);

// Index in the main window's diagram list of the diagram a step shows: 2
// (the third diagram) for the link step, 4 (the fifth) for the state-machine
// steps 3-7; -1 for the steps that show no particular diagram (step 1 opens a
// tree node instead).
int diagramIndex(int step);

// The sample project used by the tour: dir/Examples/Example_1.qsmd as an
// absolute path when that file exists; an empty text otherwise.
QString findSampleProject(const QString &dir);

} // namespace TourSteps
