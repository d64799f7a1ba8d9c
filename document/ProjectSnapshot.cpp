#include "ProjectSnapshot.h"

#include "Canvas.h"
#include "DataflowItem.h"
#include "LinkItem.h"
#include "MemoryItem.h"
#include "CanvasPaths.h"
#include "NodePath.h"
#include "ProcessItem.h"
#include "StateItem.h"
#include "TextItem.h"
#include "TransitionItem.h"
#include "TreeNode.h"

namespace {

// An item's identity is where it is: one level below its canvas, the
// canvas's id and parentId as its parent ids. Written from the canvas, so an
// item that was out of the scene (in an undo command) while its canvas was
// renumbered is still stored under the right canvas.
template <typename Record>
void stamp(Record *record, const Canvas *canvas)
{
    record->level = canvas->level() + 1;
    record->parentId = canvas->id();
    record->grandParentId = canvas->parentId();
}

template <typename Record, typename Item>
QVector<Record> recordsOf(const QList<Item *> &items, const Canvas *canvas)
{
    QVector<Record> records;
    records.reserve(items.size());
    for (const Item *item : items) {
        records.append(item->toRecord());
        stamp(&records.last(), canvas);
    }
    return records;
}

// A fresh load gives each item of a canvas the next stacking value in load
// order: process items, states, transitions, texts, links, memory items,
// dataflows, each kind in list order (ProjectBuilder). A record stores the
// item's value only where it differs from that place, so an untouched
// project is written as before. Returns the last place taken.
template <typename Record, typename Item>
int markStacking(QVector<Record> *records, const QList<Item *> &items, int place)
{
    for (int i = 0; i < records->size(); ++i) {
        const qreal z = items.at(i)->zValue();
        (*records)[i].stacking = z == qreal(++place) ? 0 : z;
    }
    return place;
}

void markStacking(CanvasBlock *block, const Canvas *canvas)
{
    int place = canvas->processItems().size();
    place = markStacking(&block->states, canvas->states(), place);
    place = markStacking(&block->transitions, canvas->transitions(), place);
    place = markStacking(&block->texts, canvas->textItems(), place);
    place = markStacking(&block->links, canvas->links(), place);
    place = markStacking(&block->memories, canvas->memoryItems(), place);
    markStacking(&block->dataflows, canvas->dataflows(), place);
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
        // Level-5 canvases open nothing; the bound also ends the walk on a
        // malformed project.
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

    // The block of `item` (drawn on `parent`) and the canvas it opens.
    static CanvasBlock block(const ProcessItem *item, const Canvas *parent, const Canvas *canvas)
    {
        CanvasBlock block;
        block.process = item->toRecord();
        stamp(&block.process, parent);
        block.links = recordsOf<LinkRecord>(canvas->links(), canvas);
        block.memories = recordsOf<MemoryRecord>(canvas->memoryItems(), canvas);
        block.dataflows = recordsOf<DataflowRecord>(canvas->dataflows(), canvas);
        if (canvas->level() == TreeNode::MaxLevel) {
            block.states = recordsOf<StateRecord>(canvas->states(), canvas);
            block.transitions = recordsOf<TransitionRecord>(canvas->transitions(), canvas);
            block.texts = recordsOf<TextRecord>(canvas->textItems(), canvas);
        }
        markStacking(&block, canvas);
        return block;
    }

    QHash<NodePath, Canvas *> m_byPath;
    ProjectDocument *m_document = nullptr;
    QString m_error;
};

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

namespace ProjectSnapshot {

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
