#include "ProjectSnapshot.h"

#include "BlockRecords.h"
#include "Canvas.h"
#include "CanvasPaths.h"
#include "ItemKind.h"
#include "ItemKinds.h"
#include "NodePath.h"
#include "ProcessItem.h"
#include "StateItem.h"
#include "SubMachineLevels.h"
#include "TreeNode.h"

namespace {

// An item's identity is where it is: one level below its canvas, the
// canvas's id and parentId as its parent ids. Written from the canvas, so an
// item that was out of the scene (in an undo command) while its canvas was
// renumbered is still stored under the right canvas.
void stamp(ProcessRecord *record, const Canvas *canvas)
{
    record->level = canvas->level() + 1;
    record->parentId = canvas->id();
    record->grandParentId = canvas->parentId();
}

// The records of every item the canvas stores in its own block, kind by
// kind in load order, each kind in list order.
//
// A fresh load gives each item of a canvas the next stacking value in load
// order: process items first, then the other kinds (ProjectBuilder). A
// record stores the item's value only where it differs from that place, so
// an untouched project is written as before.
void addItemRecords(CanvasBlock *block, const Canvas *canvas, const ProjectSnapshot::Numbers &as)
{
    const bool machine = isMachineCanvasLevel(as.level);
    int place = 0;
    for (const ItemKind *kind : ItemKinds::all()) {
        const QList<DiagramItem *> items = canvas->itemsOfKind(kind->type());
        if (kind->opensDiagram()) {
            // Their records head blocks of their own; they take their places.
            place += items.size();
            continue;
        }
        if (kind->onMachinesOnly() && !machine)
            continue;
        for (const DiagramItem *item : items) {
            ItemRecord record = item->record();
            BlockRecords::stamp(&record, as.level + 1, as.id, as.parentId);
            const qreal z = item->zValue();
            BlockRecords::setStacking(&record, z == qreal(++place) ? 0 : z);
            BlockRecords::append(block, std::move(record));
        }
    }
}

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

// The Process record that heads a sub-machine's block.
ProcessRecord subMachineProcess(const QString &label, int id, int count)
{
    ProcessRecord record;
    record.id = id;
    record.nos = count;
    record.label = label;
    record.shape = 1;
    record.backgroundColour = QStringLiteral("#fc0127");
    return record;
}

class Walk
{
public:
    explicit Walk(const QList<Canvas *> &canvases) : m_byPath(CanvasPaths::index(canvases)) {}

    bool run(Canvas *top, ProjectDocument *document)
    {
        m_document = document;
        return visit(top, NodePath());
    }

    QString error() const { return m_error; }

private:
    bool visit(const Canvas *canvas, const NodePath &path)
    {
        if (isMachineCanvasLevel(canvas->level()))
            return visitSubMachines(canvas, path);
        // Level-5 canvases open no process diagram; the bound also ends the
        // walk on a malformed project.
        if (path.size() >= TreeNode::MaxLevel - 1)
            return true;
        const QList<ProcessItem *> items = canvas->processItems();
        for (int i = 0; i < items.size(); ++i) {
            const ProcessItem *item = items.at(i);
            const NodePath childPath = path + NodePath{item->id()};
            Canvas *child = m_byPath.value(childPath);
            if (!child) {
                m_error = QStringLiteral("No diagram found for process item '%1' (level %2, id "
                                         "%3, parentId %4) on '%5'.")
                              .arg(item->label())
                              .arg(item->level())
                              .arg(item->id())
                              .arg(item->parentId())
                              .arg(canvas->name());
                return false;
            }
            m_document->blocks.append(block(item, canvas, child));
            const qreal z = item->zValue();
            m_document->blocks.last().process.stacking = z == qreal(i + 1) ? 0 : z;
            m_document->treeText += QString(4 * qMax(0, item->level() - 1), QLatin1Char(' '))
                                    + child->name() + QStringLiteral("\r\n");
            if (!visit(child, childPath))
                return false;
        }
        return true;
    }

    bool visitSubMachines(const Canvas *canvas, const NodePath &path)
    {
        return ProjectSnapshot::subMachineBlocks(m_byPath, canvas, path, ProjectSnapshot::numbersOf(canvas),
                                                 {}, &m_document->blocks, &m_error);
    }

    // The block of `item` (drawn on `parent`) and the canvas it opens.
    static CanvasBlock block(const ProcessItem *item, const Canvas *parent, const Canvas *canvas)
    {
        CanvasBlock block;
        block.process = item->toRecord();
        stamp(&block.process, parent);
        addItemRecords(&block, canvas, ProjectSnapshot::numbersOf(canvas));
        return block;
    }

    QHash<NodePath, Canvas *> m_byPath;
    ProjectDocument *m_document = nullptr;
    QString m_error;
};

} // namespace

namespace ProjectSnapshot {

Numbers numbersOf(const Canvas *canvas)
{
    return Numbers{canvas->level(), canvas->id(), canvas->parentId()};
}

bool subMachineBlocks(const QHash<NodePath, Canvas *> &byPath, const Canvas *canvas, const NodePath &path,
                      const Numbers &as, const QList<const StateItem *> &only, QVector<CanvasBlock> *blocks,
                      QString *error)
{
    if (as.level >= DeepestCanvasLevel)
        return true;
    QList<const StateItem *> holders;
    for (const StateItem *state : canvas->states()) {
        if (state->holdsSubMachine() && (only.isEmpty() || only.contains(state)))
            holders << state;
    }
    for (int i = 0; i < holders.size(); ++i) {
        const StateItem *state = holders.at(i);
        const NodePath childPath = path + NodePath{state->subMachineId()};
        const Canvas *child = byPath.value(childPath);
        if (!child || child->level() != canvas->level() + 1) {
            return fail(error, QStringLiteral("No diagram found for the sub-machine of state '%1' on '%2'.")
                                   .arg(state->label(), canvas->name()));
        }
        // Its block, then the blocks of its own sub-machines.
        const Numbers childNumbers{as.level + 1, i + 1, as.id};
        CanvasBlock block;
        block.process = subMachineProcess(state->label(), i + 1, holders.size());
        block.process.level = childNumbers.level;
        block.process.parentId = as.id;
        block.process.grandParentId = as.parentId;
        addItemRecords(&block, child, childNumbers);
        blocks->append(block);
        if (!subMachineBlocks(byPath, child, childPath, childNumbers, {}, blocks, error))
            return false;
    }
    return true;
}

bool take(const QList<Canvas *> &canvases, ProjectDocument *document, QString *error)
{
    if (canvases.isEmpty())
        return fail(error, QStringLiteral("The project has no diagram."));
    Canvas *top = canvases.first();
    if (top->level() != 1 && top->id() != 1)
        return fail(error, QStringLiteral("The first diagram '%1' is not the project's own.")
                               .arg(top->name()));
    CanvasPaths::assignMissingPaths(canvases);

    ProjectDocument result;
    result.layout = GroupLayout::Saved;
    result.root = savedRootProcess(top->name());
    result.root.codeStyle = top->codeStyle();
    result.root.counterType = top->counterType();
    result.treeText = QStringLiteral("\r\n") + top->name() + QStringLiteral("\r\n");
    // The first canvas stands for the project node: the walk starts from
    // the empty path whatever path it carries.
    Walk walk(canvases);
    if (!walk.run(top, &result))
        return fail(error, walk.error());
    const QString problem = documentProblem(result);
    if (!problem.isEmpty())
        return fail(error, problem);
    *document = result;
    return true;
}

} // namespace ProjectSnapshot
