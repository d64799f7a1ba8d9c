#include "ToolSets.h"

#include "ItemKind.h"
#include "ItemKinds.h"
#include "SubMachineLevels.h"

namespace {
using Tool = ToolSets::Tool;

// Everything a project node offers whatever its level.
const QVector<Tool> commonProjectTools = {
    ToolSets::Select, ToolSets::New, ToolSets::Open, ToolSets::BringToFront, ToolSets::SendToBack,
    ToolSets::Delete, ToolSets::SetCanvasSize, ToolSets::CodeGenerator, ToolSets::CloseProject,
    ToolSets::ZoomIn, ToolSets::ZoomOut, ToolSets::FitToWindow, ToolSets::SaveAs,
    ToolSets::RenameProject, ToolSets::OpenExamples, ToolSets::EnableAutosave,
    ToolSets::ExportDiagram, ToolSets::ExportAllDiagrams, ToolSets::Print, ToolSets::PrintPreview,
};

// Each kind's drawing tool is on where the kind says its level is offered.
void offerKindsOfLevel(ToolSets::ToolSet *set, int level)
{
    for (const ItemKind *kind : ItemKinds::all()) {
        const ItemKind::Tool tool = kind->tool();
        if (level >= tool.firstLevel && level <= tool.lastLevel)
            set->enabledKinds << kind;
        else
            set->disabledKinds << kind;
    }
}

// Every drawing tool off.
void offerNoKinds(ToolSets::ToolSet *set)
{
    set->disabledKinds = QVector<const ItemKind *>::fromList(ItemKinds::all());
}

ToolSets::ToolSet processLevel(int level)
{
    // Level 1 draws only dataflows; level 2 adds memory items; levels 3 and
    // 4 add process items and links. State-machine tools stay off.
    ToolSets::ToolSet set;
    set.wheelZoom = true;
    set.enabled = commonProjectTools;
    // Every edit of a process diagram can be undone as well.
    set.enabled << ToolSets::Undo << ToolSets::Redo;
    set.disabled = {ToolSets::SelfTransition, ToolSets::Simulate};
    offerKindsOfLevel(&set, level);
    return set;
}

ToolSets::ToolSet stateMachineLevel(int level)
{
    ToolSets::ToolSet set;
    set.wheelZoom = true;
    set.enabled = commonProjectTools;
    set.enabled << ToolSets::Undo << ToolSets::Redo << ToolSets::SelfTransition
                << ToolSets::Simulate;
    offerKindsOfLevel(&set, level);
    return set;
}

ToolSets::ToolSet noProject()
{
    ToolSets::ToolSet set;
    set.enabled = {ToolSets::New, ToolSets::Open, ToolSets::OpenExamples};
    for (int t = 0; t < ToolSets::ToolCount; ++t) {
        const Tool tool = static_cast<Tool>(t);
        if (!set.enabled.contains(tool))
            set.disabled << tool;
    }
    offerNoKinds(&set);
    return set;
}

ToolSets::ToolSet tour()
{
    // The tour walks a sample project; nothing that edits it or opens
    // another one is offered meanwhile.
    ToolSets::ToolSet set;
    set.enabled = {ToolSets::Select, ToolSets::Save, ToolSets::BringToFront, ToolSets::SendToBack,
                   ToolSets::SetCanvasSize, ToolSets::CodeGenerator, ToolSets::CloseProject,
                   ToolSets::Undo, ToolSets::Redo, ToolSets::FitToWindow, ToolSets::SaveAs,
                   ToolSets::EnableAutosave, ToolSets::ExportDiagram, ToolSets::ExportAllDiagrams,
                   ToolSets::Print, ToolSets::PrintPreview};
    set.disabled = {ToolSets::New, ToolSets::Open, ToolSets::Delete, ToolSets::ZoomIn, ToolSets::ZoomOut, ToolSets::RenameProject,
                    ToolSets::OpenExamples, ToolSets::SelfTransition, ToolSets::Simulate};
    offerNoKinds(&set);
    return set;
}

ToolSets::ToolSet simulation()
{
    // The diagram only shows what the machine does: nothing edits it, and
    // nothing closes or replaces the project under the running machine.
    // Save keeps its state (it is the modified flag); autosave stays a
    // choice, as in every context with a project open.
    ToolSets::ToolSet set;
    set.wheelZoom = true;
    // Pictures of the diagrams change nothing and leave the highlight out.
    set.enabled = {ToolSets::Select, ToolSets::ZoomIn, ToolSets::ZoomOut, ToolSets::FitToWindow,
                   ToolSets::EnableAutosave, ToolSets::ExportDiagram, ToolSets::ExportAllDiagrams,
                   ToolSets::Print, ToolSets::PrintPreview};
    for (int t = 0; t < ToolSets::ToolCount; ++t) {
        const Tool tool = static_cast<Tool>(t);
        if (!set.enabled.contains(tool) && tool != ToolSets::Save && tool != ToolSets::SaveAs)
            set.disabled << tool;
    }
    offerNoKinds(&set);
    return set;
}
} // namespace

ToolSets::ToolSet ToolSets::forContext(int context)
{
    if (context == Tour)
        return tour();
    if (context == Simulation)
        return simulation();
    if (context <= NoProject)
        return noProject();
    // A machine's diagram and its sub-machines' diagrams offer the same tools.
    if (context >= MachineCanvasLevel)
        return stateMachineLevel(qMin(context, int(DeepestCanvasLevel)));
    return processLevel(context);
}
