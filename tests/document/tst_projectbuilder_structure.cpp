// Process items inserted, renamed and deleted on an open project: the tree,
// the canvas list and the identity numbers below the item follow, and what
// is saved afterwards reads back as the same project. Floating ends of a
// child diagram.

#include "ItemKind.h"
#include "ItemKinds.h"
#include "Canvas.h"
#include "DataflowItem.h"
#include "DefaultProject.h"
#include "FloatingLinkItem.h"
#include "FloatingMemoryItem.h"
#include "LinkItem.h"
#include "MemoryItem.h"
#include "CanvasPaths.h"
#include "NodePath.h"
#include "OpenProject.h"
#include "ProcessItem.h"
#include "Project.h"
#include "ProjectSnapshot.h"
#include "RandomProject.h"
#include "SceneMouse.h"
#include "StateItem.h"
#include "TransitionItem.h"
#include "TreeNode.h"

#include <QAction>
#include <QGraphicsSceneMouseEvent>
#include <QUndoStack>
#include <QtTest>

namespace {

void clickAt(Canvas *canvas, const QPointF &point)
{
    SceneMouse::click(canvas, point);
}

QList<TreeNode *> allNodes(TreeNode *node)
{
    QList<TreeNode *> nodes;
    for (int i = 0; i < node->childCount(); ++i)
        nodes << node->child(i) << allNodes(node->child(i));
    return nodes;
}

// Every node finds a canvas of its name and level, and every canvas
// belongs to exactly one node.
QString treeAndCanvasesAgree(const TreeModel &model, const ProjectStructure &structure,
                             const QList<Canvas *> &canvases)
{
    const QList<TreeNode *> nodes = allNodes(model.rootNode());
    QSet<Canvas *> found;
    for (TreeNode *node : nodes) {
        Canvas *canvas = structure.canvasForNode(node);
        if (!canvas || canvas->name() != node->name())
            return QStringLiteral("node %1 finds no canvas of its name").arg(node->name());
        found.insert(canvas);
    }
    if (found.size() != canvases.size())
        return QStringLiteral("%1 nodes, %2 canvases").arg(found.size()).arg(canvases.size());
    return QString();
}

QString treeAndCanvasesAgree(OpenProject &project)
{
    return treeAndCanvasesAgree(project.model(), project.structure(), project.canvases());
}

QString treeAndCanvasesAgree(Project &project)
{
    return treeAndCanvasesAgree(*project.treeModel(), project.structure(), project.canvases());
}

// Identity numbers of every item agree with the canvas it is on.
QString identitiesAgree(const QList<Canvas *> &canvases)
{
    for (const Canvas *c : canvases) {
        auto check = [c](auto *item) {
            return item->level() == c->level() + 1 && item->parentId() == c->id()
                && item->grandParentId() == c->parentId();
        };
        bool ok = true;
        for (auto *i : c->processItems()) ok = ok && check(i) && i->nos() == c->processItems().size();
        for (auto *i : c->states()) ok = ok && check(i);
        for (auto *i : c->transitions()) ok = ok && check(i);
        for (auto *i : c->links()) ok = ok && check(i);
        for (auto *i : c->memoryItems()) ok = ok && check(i);
        for (auto *i : c->dataflows()) ok = ok && check(i);
        for (int i = 0; i < c->processItems().size(); ++i)
            ok = ok && c->processItems().at(i)->id() == i + 1;
        if (!ok)
            return QStringLiteral("items on %1 carry other identity numbers").arg(c->name());
    }
    return QString();
}

// The saved document of `project` with identity numbers cleared, so that
// subtrees can be compared wherever they sit.
QStringList contentOf(const ProjectDocument &document, int firstBlock, int endBlock)
{
    QStringList lines;
    for (int i = firstBlock; i < endBlock; ++i) {
        const CanvasBlock &b = document.blocks.at(i);
        QStringList items;
        for (const StateRecord &s : b.states)
            items << s.label + QString::number(s.xCoord) + s.transitions.join(',');
        for (const TransitionRecord &t : b.transitions)
            items << t.label + t.startItem + t.endItem;
        for (const LinkRecord &l : b.links)
            items << l.label + l.startItem + l.endItem;
        for (const MemoryRecord &m : b.memories)
            items << m.label + QString::number(m.yCoord);
        for (const DataflowRecord &d : b.dataflows)
            items << d.label + d.startItem + d.endItem;
        lines << QString::number(b.process.level) + b.process.label + QLatin1Char(':') + items.join('|');
    }
    return lines;
}

// Index of the block after the subtree that starts at `block`.
int subtreeEnd(const ProjectDocument &document, int block)
{
    const int level = document.blocks.at(block).process.level;
    int end = block + 1;
    while (end < document.blocks.size() && document.blocks.at(end).process.level > level)
        ++end;
    return end;
}

} // namespace

class TestProjectStructure : public QObject
{
    Q_OBJECT

private slots:
    void insertingAProcessItemAddsCanvasAndNode();
    void renamingAProcessItemRenamesCanvasAndNode();
    void lastProcessItemIsNotDeleted();
    void deletingAProcessItemTakesItsWholeSubtree();
    void deletingRenumbersLaterSiblingsAndTheirDescendants();
    void canvasesWithoutPathsAreFoundByIdentity();
    void floatingEndsAreRebuiltWithoutDuplicates();
};

void TestProjectStructure::insertingAProcessItemAddsCanvasAndNode()
{
    OpenProject project;
    QVERIFY(project.open(DefaultProject::document(QStringLiteral("Demo"))));
    Canvas *micro = project.canvasNamed(QStringLiteral("Microcontroller"));
    QCOMPARE(project.canvases().size(), 5);
    micro->setMode(ItemKinds::of(ItemType::Process));
    clickAt(micro, QPointF(900, 300));
    micro->setMode(ItemKinds::of(ItemType::Process));
    clickAt(micro, QPointF(1400, 300));

    // Each insertion appended the canvas of its process item.
    const QList<Canvas *> created = project.canvases().mid(5);
    QCOMPARE(created.size(), 2);
    QVERIFY(created.at(0) && created.at(1));
    QCOMPARE(project.canvases().size(), 7);
    QCOMPARE(project.canvases().last(), created.at(1));
    Canvas *third = created.at(1);
    QCOMPARE(third->name(), QStringLiteral("process_43"));
    QCOMPARE(third->level(), 4);
    QCOMPARE(third->id(), 3);
    QCOMPARE(third->parentId(), 1);
    QCOMPARE(third->nos(), 3);
    QCOMPARE(project.canvasNamed(QStringLiteral("Software Module"))->nos(), 3);
    QCOMPARE(identitiesAgree(project.canvases()), QString());

    TreeNode *microNode = project.structure().nodeForCanvas(micro);
    QCOMPARE(microNode->childCount(), 3);
    QCOMPARE(microNode->child(2)->name(), QStringLiteral("process_43"));
    QCOMPARE(microNode->child(2)->id(), 3);
    QCOMPARE(project.structure().canvasForNode(microNode->child(2)), third);
    QCOMPARE(treeAndCanvasesAgree(project), QString());

    // Saved and opened again, the new diagrams are where they were.
    const QByteArray saved = project.save();
    OpenProject reopened;
    QVERIFY(reopened.open(saved));
    QCOMPARE(reopened.canvases().size(), 7);
    QCOMPARE(treeAndCanvasesAgree(reopened), QString());
    QCOMPARE(reopened.save(), saved);
}

void TestProjectStructure::renamingAProcessItemRenamesCanvasAndNode()
{
    OpenProject project;
    QVERIFY(project.open(DefaultProject::document(QStringLiteral("Demo"))));
    Canvas *micro = project.canvasNamed(QStringLiteral("Microcontroller"));
    ProcessItem *item = micro->processItems().first();
    QVERIFY(project.structure().canRenameProcessItem(micro, item));
    item->setLabel(QStringLiteral("Engine"));   // what the accepted dialog does
    QVERIFY(project.structure().processItemRenamed(micro, item));
    Canvas *engine = project.canvasNamed(QStringLiteral("Engine"));
    QVERIFY(engine);
    QCOMPARE(project.structure().nodeForCanvas(engine)->name(), QStringLiteral("Engine"));
    QCOMPARE(treeAndCanvasesAgree(project), QString());

    OpenProject reopened;
    QVERIFY(reopened.open(project.save()));
    QVERIFY(reopened.model().indentedText().contains(QStringLiteral("        Engine\r\n")));
    QCOMPARE(treeAndCanvasesAgree(reopened), QString());

    // Without its canvas the item cannot be renamed, and nothing changes.
    project.canvases().removeOne(engine);
    QVERIFY(!project.structure().canRenameProcessItem(micro, item));
    item->setLabel(QStringLiteral("Other"));
    QVERIFY(!project.structure().processItemRenamed(micro, item));
    QCOMPARE(engine->name(), QStringLiteral("Engine"));
    project.canvases().append(engine);
}

void TestProjectStructure::lastProcessItemIsNotDeleted()
{
    Project project;
    QVERIFY(openInProject(project, DefaultProject::document(QStringLiteral("Demo"))));
    Canvas *micro = project.canvases().at(2);
    QCOMPARE(micro->name(), QStringLiteral("Microcontroller"));
    ProcessItem *item = micro->processItems().first();
    QCOMPARE(project.deleteProcessItem(micro, item), ProjectStructure::DeleteResult::LastProcessItem);
    QCOMPARE(micro->processItems().size(), 1);
    QCOMPARE(project.canvases().size(), 5);
    QCOMPARE(micro->undoStack()->count(), 0);
    QCOMPARE(treeAndCanvasesAgree(project), QString());
}

void TestProjectStructure::deletingAProcessItemTakesItsWholeSubtree()
{
    Project project;
    QVERIFY(openInProject(project, randomProject(21)));   // 2 x 2 x 2 x 2 nodes
    QCOMPARE(project.canvases().size(), 31);
    ProjectDocument before;
    QVERIFY(project.snapshot(&before));
    const int secondStart = subtreeEnd(before, 0);
    const QStringList survivor = contentOf(before, secondStart, before.blocks.size());

    Canvas *top = project.canvases().first();
    QCOMPARE(project.deleteProcessItem(top, top->processItems().first()),
             ProjectStructure::DeleteResult::Deleted);
    QCOMPARE(project.canvases().size(), 16);
    QCOMPARE(top->processItems().size(), 1);
    QCOMPARE(top->processItems().first()->id(), 1);
    QCOMPARE(project.treeModel()->rootNode()->child(0)->childCount(), 1);
    QCOMPARE(identitiesAgree(project.canvases()), QString());
    QCOMPARE(treeAndCanvasesAgree(project), QString());

    const QByteArray saved = savedBytes(project);
    QVERIFY(!saved.isEmpty());
    OpenProject reopened;
    QVERIFY(reopened.open(saved));
    QVERIFY2(reopened.notes().isEmpty(), qPrintable(reopened.notes().join('\n')));
    ProjectDocument after;
    QVERIFY(reopened.snapshot(&after));
    QCOMPARE(contentOf(after, 0, after.blocks.size()), survivor);
    QCOMPARE(treeAndCanvasesAgree(reopened), QString());
    QCOMPARE(reopened.save(), saved);

    // The deletion is one undo step: undone, the project saves as before.
    top->undoStack()->undo();
    QCOMPARE(project.canvases().size(), 31);
    QCOMPARE(treeAndCanvasesAgree(project), QString());
    QCOMPARE(savedBytes(project), projectBytes(before));
}

void TestProjectStructure::deletingRenumbersLaterSiblingsAndTheirDescendants()
{
    RandomProjectOptions options;
    options.hardwareModules = 1;
    options.microcontrollers = 3;
    options.linksPerCanvas = 6;
    options.dataflowsPerCanvas = 6;
    Project project;
    QVERIFY(openInProject(project, randomProject(22, options)));
    Canvas *hardware = project.canvases().at(1);
    QCOMPARE(hardware->processItems().size(), 3);
    ProcessItem *middle = hardware->processItems().at(1);
    ProcessItem *last = hardware->processItems().at(2);
    const QString lastLabel = last->label();
    Canvas *lastCanvas = project.structure().canvasOpenedBy(hardware, last);
    QVERIFY(lastCanvas);
    const int linksOfMiddle = middle->links().size();
    const int linkCount = hardware->links().size();

    ProjectDocument before;
    QVERIFY(project.snapshot(&before));
    int lastBlock = 0;
    while (before.blocks.at(lastBlock).process.label != lastLabel)
        ++lastBlock;
    const QStringList lastSubtree = contentOf(before, lastBlock, subtreeEnd(before, lastBlock));

    QCOMPARE(project.deleteProcessItem(hardware, middle), ProjectStructure::DeleteResult::Deleted);
    QCOMPARE(hardware->links().size(), linkCount - linksOfMiddle);
    for (const LinkItem *link : hardware->links())
        QVERIFY(hardware->processItems().contains(link->startItem())
                && hardware->processItems().contains(link->endItem()));
    for (const DataflowItem *flow : hardware->dataflows())
        QVERIFY(hardware->processItems().contains(flow->process()));
    QCOMPARE(last->id(), 2);
    QCOMPARE(lastCanvas->id(), 2);
    QCOMPARE(CanvasPaths::canvasPath(lastCanvas), NodePath({1, 2}));
    QCOMPARE(identitiesAgree(project.canvases()), QString());
    QCOMPARE(treeAndCanvasesAgree(project), QString());

    OpenProject reopened;
    QVERIFY(reopened.open(savedBytes(project)));
    ProjectDocument after;
    QVERIFY(reopened.snapshot(&after));
    int moved = 0;
    while (after.blocks.at(moved).process.label != lastLabel)
        ++moved;
    QCOMPARE(after.blocks.at(moved).process.id, 2);
    QCOMPARE(contentOf(after, moved, subtreeEnd(after, moved)), lastSubtree);
}

void TestProjectStructure::canvasesWithoutPathsAreFoundByIdentity()
{
    // Canvases made without the builder (no node path yet) are claimed in
    // list order while walking the process items.
    OpenProject project;
    QVERIFY(project.open(randomProject(23)));
    const QByteArray saved = project.save();
    for (Canvas *canvas : project.canvases())
        CanvasPaths::clearCanvasPath(canvas);
    QCOMPARE(project.save(), saved);
    QCOMPARE(treeAndCanvasesAgree(project), QString());
}

void TestProjectStructure::floatingEndsAreRebuiltWithoutDuplicates()
{
    RandomProjectOptions options;
    options.linksPerCanvas = 8;
    options.dataflowsPerCanvas = 8;
    OpenProject project;
    QVERIFY(project.open(randomProject(24, options)));
    Canvas *child = nullptr;
    ProcessItem *item = nullptr;
    for (Canvas *canvas : project.canvases()) {
        item = project.structure().processItemFor(canvas);
        if (item && !item->links().isEmpty() && !item->dataflows().isEmpty()) {
            child = canvas;
            break;
        }
    }
    QVERIFY(child);
    const QByteArray saved = project.save();

    QVERIFY(project.structure().rebuildFloatingEnds(child));
    QVERIFY(project.structure().rebuildFloatingEnds(child));
    QCOMPARE(child->floatingLinks().size(), item->links().size());
    QCOMPARE(child->floatingMemories().size(), item->dataflows().size());
    for (int i = 0; i < item->links().size(); ++i) {
        const LinkItem *link = item->links().at(i);
        const FloatingLinkItem *end = child->floatingLinks().at(i);
        QCOMPARE(end->label(), link->label());
        QCOMPARE(end->direction() == FloatingLinkItem::Outgoing, link->startItem() == item);
        QCOMPARE(end->scene(), child);
    }
    const DataflowItem *flow = item->dataflows().first();
    QCOMPARE(child->floatingMemories().first()->label(), flow->label());
    QCOMPARE(child->floatingMemories().first()->datatype(), flow->datatype());
    QCOMPARE(child->floatingMemories().first()->backgroundColour(), flow->backgroundColour());
    int tags = 0;
    for (QGraphicsItem *i : child->items())
        tags += i->type() == ItemType::FloatingLink || i->type() == ItemType::FloatingMemory;
    QCOMPARE(tags, item->links().size() + item->dataflows().size());

    QCOMPARE(project.save(), saved);   // floating ends are never stored
    QVERIFY(!project.structure().rebuildFloatingEnds(project.canvases().first()));
}

QTEST_MAIN(TestProjectStructure)
#include "tst_projectbuilder_structure.moc"
