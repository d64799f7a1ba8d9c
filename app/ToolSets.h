#pragma once

// Which tool actions are usable in which context. The main window enables
// and disables its tool actions together when the context changes: no
// project open, a node of tree level 1 to 5 shown, the app tour running, or
// a state machine being simulated.
// Tools a context does not name keep their state. The drawing tools are
// the item kinds' (ItemKinds): each kind names the tree levels whose
// diagrams offer it.

#include <QVector>

class ItemKind;

class ToolSets
{
public:
    // The tool actions besides the kinds' drawing tools, in the order the
    // window keeps them.
    enum Tool {
        Select, Save, New, Open, BringToFront, SendToBack, Delete, SetCanvasSize,
        CodeGenerator, CloseProject, Undo, Redo, EnableAutosave, ZoomIn, ZoomOut, FitToWindow,
        SaveAs, RenameProject, OpenExamples, SelfTransition, Simulate, ExportDiagram,
        ExportAllDiagrams, Print, PrintPreview,
        ToolCount
    };

    // Contexts besides the tree levels 1 to 9 (6 to 9: sub-machines).
    static constexpr int NoProject = 0;
    static constexpr int Tour = -1;
    // A state machine is being simulated: its diagram is read-only.
    static constexpr int Simulation = -2;

    struct ToolSet
    {
        QVector<Tool> enabled;
        QVector<Tool> disabled;
        // The kinds whose drawing tools are on and off (every kind is in one).
        QVector<const ItemKind *> enabledKinds;
        QVector<const ItemKind *> disabledKinds;
        bool wheelZoom = false;
    };

    // The tool set of a context: NoProject, Tour, Simulation or a tree level 1..9.
    // A sub-machine's level (6 to 9) offers a machine's tools; levels above 9
    // count as 9; any other value counts as NoProject.
    static ToolSet forContext(int context);
};
