#pragma once

// What the project file writer writes: the tree text, the level-1 Process
// values and the canvases below level 1 in depth-first order, each as the
// Process record of the process item that stands for it plus the items of
// the canvas it opens. QtCore only.

#include "ProjectRecords.h"

#include <QString>
#include <QVector>

// The items of one canvas, after the Process record that opens it.
struct CanvasBlock
{
    ProcessRecord process;
    QVector<LinkRecord> links;
    QVector<MemoryRecord> memories;
    QVector<DataflowRecord> dataflows;
    QVector<StateRecord> states;             // machine and sub-machine canvases only
    QVector<TransitionRecord> transitions;   // machine and sub-machine canvases only
    QVector<TextRecord> texts;               // machine and sub-machine canvases only
};

// How the item groups are laid out in the file.
enum class GroupLayout
{
    // A saved project: every Process element is closed; after it follow the
    // canvas's LinkItems, MemoryItems and DataflowItems groups (and on a
    // level-5 canvas StateItems, TransitionItems and TextItems), empty ones
    // with number="0"; the level-1 Process is followed by three empty groups.
    Saved,
    // A new project: only groups that hold items are written, inside the
    // Process element of their canvas; the level-1 Process has none.
    NewProject,
};

struct ProjectDocument
{
    QString treeText;     // indented tree; line ends are written as "\r\n"
    ProcessRecord root;   // the level-1 Process element
    QVector<CanvasBlock> blocks;
    GroupLayout layout = GroupLayout::Saved;
    SimulationSettings simulation;   // written after SceneData when not empty
};

// The level-1 Process of a saved file for a project called `projectName`.
ProcessRecord savedRootProcess(const QString &projectName);

// The tree text a document's blocks describe: "\r\n", the root label, then
// every block's label indented by four blanks per level below 1, each line
// ended by "\r\n". Sub-machine blocks are not part of the tree text.
QString treeTextFromBlocks(const ProjectDocument &document);

// Why the writer would refuse the document, or an empty string: the root
// must have level 1 or id 1, and block levels must run depth first from 2
// to at most 5, or to the deepest sub-machine level below a machine (no
// level deeper than one below the block before it).
QString documentProblem(const ProjectDocument &document);

// Groups flat records, as read from a file, back into a document. The
// first Process record is the root; the others open the blocks, in order.
// Every other item goes to the block whose (level, id, parentId) equal the
// item's (level - 1, parentId, grandParentId); where several blocks share
// those numbers, the block the item was read in (its fileBlock) wins, and
// otherwise the first. Fails, naming the item, when an item has no such
// block (items of the level-1 canvas are never stored) or the Process
// records do not form a document the writer accepts.
bool groupRecords(const ProjectRecordLists &records, GroupLayout layout,
                  ProjectDocument *document, QString *error);

// The records a reader returns for the file written from `document`:
// the root and every block's Process in order, every item list in the
// order the writer emits them, fileBlock set to the item's block.
ProjectRecordLists flattenDocument(const ProjectDocument &document);
