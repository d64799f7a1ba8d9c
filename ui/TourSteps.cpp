#include "TourSteps.h"

#include <QDir>
#include <QFileInfo>

namespace TourSteps {

namespace {
struct StepText
{
    const char *title;
    const char *text;
};

const StepText steps[StepCount] = {
    {"Project Browser",
     "Projects follow a fixed hierarchy up to level 3 \u2014 Hardware Module. You can add as many items "
     "in level 4 and 5 by adding a respective Process item. Each entry in the Project browser has an "
     "associated Process item and can be renamed from their properties tab."},
    {"Process Item",
     "Process items represent an entity in a project hierarchy. Process properties can be invoked by "
     "double-clicking on it or right-clicking and selecting properties(Applies to every graphics item). "
     "You can link two Processes to show their communication using Links. To add a Process, select the "
     "rounded rectangle on the toolbar and click on the canvas."},
    {"Link Item",
     "Links are used to show a connection between two Processes. Project modules often communicate with "
     "each other using Function calls/api's. A Link can be used to show dependencies between two modules. "
     "To insert a Link, select Link from the toolbar, click on the source Process and drag the mouse to "
     "the destination Process."},
    {"Initial State Item",
     "Initial State is the entry to the State Machine and is shown in red. There can be only one initial "
     "State in a State Machine. Only in the Initial State, an optional initial condition can be inserted "
     "which when true, the State action would be executed."},
    {"State Item",
     "A State can be inserted in the canvas by selecting insert State from the toolbar and clicking on the "
     "canvas. There is no limit on the number of states that can be inserted in a State Machine. In State "
     "properties, State action is the code for a State while label is the name of the State which would "
     "reflected as-is in the code generated."},
    {"Transition Item",
     "Transition Item represents a transition from one State to other. A transition would be executed when "
     "its condition(shown in blue) is true. The action code of transition is executed before making the "
     "transition to the destination State. To insert a Transition, select insert Transition from the "
     "toolbar, click on the source State and drag the mouse to the destination State."},
    {"Memory Item",
     "Memory Items are global variables used by the State Machine. In the generated code, Memory item would "
     "be defined as globals. Like any variable, a Memory item has a label and a datatype."},
    {"Text Item",
     "A Text item is a multipurpose graphics element. It can be used for defining Macros and including "
     "external files. Additionally, in the default mode, it can be used to insert comments and compilable "
     "code snippets to be placed in the global space."},
    {"Code generation",
     "Code generator can be invoked in the run option in the menu bar. A source file and a header file "
     "would be generated for each state machine. For a detailed introduction, see Help > Getting "
     "started."},
};
} // namespace

QString title(int step)
{
    return step >= 0 && step < StepCount ? QString::fromUtf8(steps[step].title) : QString();
}

QString text(int step)
{
    return step >= 0 && step < StepCount ? QString::fromUtf8(steps[step].text) : QString();
}

Advance advance(int tourStep, const std::function<bool(int step)> &hasTarget)
{
    for (int step = qMax(tourStep, 0); tourStep >= 0 && step < StepCount; ++step) {
        if (hasTarget(step)) {
            Advance result;
            result.step = step;
            result.nextTourStep = step + 1;
            return result;
        }
    }
    return Advance();
}

int diagramIndex(int step)
{
    if (step == LinkItemStep)
        return 2;
    if (step >= InitialStateStep && step <= TextItemStep)
        return 4;
    return -1;
}

QString findSampleProject(const QString &dir)
{
    const QDir examples(QDir(dir).filePath(QStringLiteral("Examples")));
    const QFileInfo sample(examples.absoluteFilePath(QStringLiteral("Example_1.qsmd")));
    return sample.isFile() ? sample.absoluteFilePath() : QString();
}

} // namespace TourSteps
