#pragma once

// Sub-machines added record by record to a project document, placed as the
// project writer lays them out: a sub-machine's block right after its
// parent diagram's block and that diagram's other sub-machines.

#include "ProjectDocument.h"

#include <QString>
#include <QStringList>

namespace SubMachineProject {

// Gives the state `holder` on the diagram of block `parentBlock` (a machine
// or a sub-machine) a sub-machine (`resume`: it returns to the sub-state it
// was left in) with `states`, the first of them initial with an empty
// initial condition, chained by transitions "<from>To<to>" whose condition
// is `condition` (none when `states` has one state). Returns the index of
// the new block.
int add(ProjectDocument *document, int parentBlock, const QString &holder, const QStringList &states,
        bool resume = false, const QString &condition = QStringLiteral("(1)"));

// A state of a machine diagram of block level `blockLevel` at x.
StateRecord state(int blockLevel, const QString &label, double x = 0);

// A transition from `from` to `to`, entered in both states' lists.
void connect(CanvasBlock *block, const QString &label, const QString &from, const QString &to,
             const QString &condition);

} // namespace SubMachineProject
