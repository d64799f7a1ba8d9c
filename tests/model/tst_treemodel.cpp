#include "DefaultProject.h"
#include "RandomProject.h"
#include "TreeModel.h"
#include "TreeNode.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

namespace {

struct Identity
{
    QString name;
    int level, id, parentId, grandParentId;
};

void collect(const TreeNode *node, QVector<Identity> *out)
{
    for (int row = 0; row < node->childCount(); ++row) {
        const TreeNode *c = node->child(row);
        out->append({c->name(), c->level(), c->id(), c->parentId(), c->grandParentId()});
        collect(c, out);
    }
}

} // namespace

// The project tree: building from indented text, identity numbers, lookups
// and the item-model contract the browser relies on.
class TestTreeModel : public QObject
{
    Q_OBJECT

private slots:
    void buildsDefaultTree();
    void onlyBlanksIndent();
    void irregularIndentation();
    void removeFirstChildReplacesProject();
    void renumberFollowsRandomProject();
    void sameNameSiblingsToldApartById();
    void modelContract();
    void editingAndHeader();
    void rowsAndColumns();
};

void TestTreeModel::buildsDefaultTree()
{
    const QString text = DefaultProject::treeText(QStringLiteral("Demo"));
    TreeModel model({QString()}, text);
    QCOMPARE(model.columnCount(), 1);
    QCOMPARE(model.rowCount(), 1);
    QVector<Identity> nodes;
    collect(model.rootNode(), &nodes);
    QCOMPARE(nodes.size(), 5);
    const QStringList names = {"Demo", "Hardware Module", "Microcontroller", "Software Module",
                               "StateMachine_1"};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(nodes.at(i).name, names.at(i));
        QCOMPARE(nodes.at(i).level, i + 1);
        QCOMPARE(nodes.at(i).id, 1);
        QCOMPARE(nodes.at(i).parentId, 1);
        QCOMPARE(nodes.at(i).grandParentId, 1);
    }
    // A chain: every node is the only child of the one before.
    QModelIndex index;
    for (int level = 1; level <= 5; ++level) {
        QCOMPARE(model.rowCount(index), 1);
        index = model.index(0, 0, index);
        QCOMPARE(model.data(index, Qt::DisplayRole).toString(), names.at(level - 1));
    }
    QCOMPARE(model.rowCount(index), 0);
    QCOMPARE(model.indentedText(), text);
}

void TestTreeModel::onlyBlanksIndent()
{
    TreeNode root({QStringLiteral("name"), QStringLiteral("extra")});
    root.buildFromIndentedText({"Project", "\tTabbed", "    Child\tsecond\t\tthird", "", "   \t  "},
                               false);
    QCOMPARE(root.childCount(), 2);   // the tab did not nest
    QCOMPARE(root.child(0)->name(), QStringLiteral("Project"));
    QCOMPARE(root.child(0)->childCount(), 0);
    const TreeNode *tabbed = root.child(1);
    QCOMPARE(tabbed->name(), QStringLiteral("Tabbed"));
    QCOMPARE(tabbed->childCount(), 1);
    // Tabs split columns; columns beyond the root's are dropped.
    QCOMPARE(tabbed->child(0)->data(0).toString(), QStringLiteral("Child"));
    QCOMPARE(tabbed->child(0)->data(1).toString(), QStringLiteral("second"));
    QCOMPARE(tabbed->child(0)->columnCount(), 2);
}

void TestTreeModel::irregularIndentation()
{
    TreeNode root({QString()});
    root.buildFromIndentedText(QStringLiteral("P\r\n  A\r\n      A1\r\n         A1x\r\n   B\r\n"
                                              "  C\r\nQ\r\n")
                                   .split(QLatin1Char('\n')),
                               false);
    root.renumber();
    QVector<Identity> nodes;
    collect(&root, &nodes);
    QStringList shape;
    for (const Identity &n : nodes)
        shape << QStringLiteral("%1:%2/%3/%4/%5").arg(n.name).arg(n.level).arg(n.id).arg(n.parentId).arg(n.grandParentId);
    // B is less indented than A1 but more than A: it climbs to A's level.
    QCOMPARE(shape, (QStringList{"P:1/1/1/1", "A:2/1/1/1", "A1:3/1/1/1", "A1x:4/1/1/1",
                                 "B:2/2/1/1", "C:2/3/1/1", "Q:1/2/1/1"}));
}

void TestTreeModel::removeFirstChildReplacesProject()
{
    TreeModel model({QString()}, DefaultProject::treeText(QStringLiteral("Old")));
    QSignalSpy reset(&model, &TreeModel::modelReset);
    model.setupModelData(DefaultProject::treeText(QStringLiteral("New")), true);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.data(model.index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("New"));
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.indentedText(), QStringLiteral("\r\n"));
}

// The tree text of a project, read back and renumbered, gives every node
// the identity of the process item that stands for it.
void TestTreeModel::renumberFollowsRandomProject()
{
    RandomProjectOptions options;
    options.hardwareModules = options.microcontrollers = options.softwareModules = 3;
    options.stateMachines = 3;
    options.randomCounts = true;
    for (quint32 seed : {1u, 2u, 3u}) {
        const ProjectDocument document = randomProject(seed, options);
        TreeModel model({QString()}, QString());
        model.setupModelData(document.treeText, true);
        QCOMPARE(model.indentedText(), document.treeText);
        QVector<Identity> nodes;
        collect(model.rootNode(), &nodes);
        QCOMPARE(nodes.size(), document.blocks.size() + 1);
        QCOMPARE(nodes.first().name, document.root.label);
        for (int i = 0; i < document.blocks.size(); ++i) {
            const ProcessRecord &p = document.blocks.at(i).process;
            const Identity &n = nodes.at(i + 1);
            QCOMPARE(n.name, p.label);
            QCOMPARE(QVector<int>({n.level, n.id, n.parentId, n.grandParentId}),
                     QVector<int>({p.level, p.id, p.parentId, p.grandParentId}));
        }
    }
    // Sub-machine nodes are numbered down to level 9, nothing below.
    TreeNode root({QString()});
    QStringList lines;
    for (int level = 1; level <= 10; ++level)
        lines << QString(level - 1, QLatin1Char(' ')) + QString::number(level);
    root.buildFromIndentedText(lines, false);
    root.renumber();
    const TreeNode *node = root.child(0);
    for (int level = 1; level < 10; ++level) {
        QCOMPARE(node->level(), level);
        node = node->child(0);
    }
    QCOMPARE(node->level(), 0);
}

void TestTreeModel::sameNameSiblingsToldApartById()
{
    TreeModel model({QString()}, QStringLiteral("P\n    HW\n        MC\n            SW\n"
                                                "                SM\n                SM\n"));
    QModelIndex sw = model.index(0, 0);
    for (int level = 2; level <= 4; ++level)
        sw = model.index(0, 0, sw);
    QCOMPARE(model.rowCount(sw), 2);
    QCOMPARE(model.findChild(sw, QStringLiteral("SM"), 5, 2, 1, 1), model.index(1, 0, sw));
    QCOMPARE(model.findChild(sw, QStringLiteral("SM"), 5, 1, 1, 1), model.index(0, 0, sw));
    QVERIFY(!model.findChild(sw, QStringLiteral("SM"), 5, 2, 1, 2).isValid());
    QVERIFY(!model.findChild(sw, QStringLiteral("sm"), 5, 1, 1, 1).isValid());
    bool found = true;
    QCOMPARE(model.nodeFromIndex(sw)->findChild(QStringLiteral("SM"), 5, 3, 1, 1, &found), -1);
    QVERIFY(!found);

    // A new node goes at the end and is numbered at once.
    const QModelIndex added = model.appendNode(sw, QStringLiteral("SM"));
    QCOMPARE(added.row(), 2);
    QCOMPARE(model.nodeFromIndex(added)->id(), 3);
    QCOMPARE(model.findChild(sw, QStringLiteral("SM"), 5, 3, 1, 1), added);
    QVERIFY(model.renameNode(added, QStringLiteral("SM_3")));
    QVERIFY(model.indentedText().endsWith(QLatin1String("                SM_3\r\n")));
}

void TestTreeModel::modelContract()
{
    TreeModel model({QString()}, DefaultProject::treeText(QStringLiteral("Demo")));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QModelIndex project = model.index(0, 0);
    QVERIFY(model.insertRows(0, 2, project));
    QVERIFY(model.setData(model.index(0, 0, project), QStringLiteral("HW 0")));
    QVERIFY(model.removeRows(1, 1, project));
    model.appendNode(project, QStringLiteral("HW 2"));
    QCOMPARE(model.rowCount(project), 3);
    model.setupModelData(DefaultProject::treeText(QStringLiteral("Other")), true);
    QVERIFY(model.insertColumns(1, 1));
    QVERIFY(model.removeColumns(1, 1));
    QVERIFY(model.removeRows(0, 1));
    QVERIFY(!model.removeRows(0, 1));
}

void TestTreeModel::editingAndHeader()
{
    TreeModel model({QStringLiteral("Header")}, QStringLiteral("P\n    A\n"));
    const QModelIndex a = model.index(0, 0, model.index(0, 0));
    QCOMPARE(model.data(a, Qt::EditRole).toString(), QStringLiteral("A"));
    QVERIFY(!model.data(a, Qt::ToolTipRole).isValid());
    QVERIFY(!model.data(QModelIndex(), Qt::DisplayRole).isValid());
    QCOMPARE(model.flags(QModelIndex()), Qt::NoItemFlags);
    QVERIFY(model.flags(a) & Qt::ItemIsEditable);
    QVERIFY(model.flags(a) & Qt::ItemIsSelectable);

    QSignalSpy changed(&model, &TreeModel::dataChanged);
    QVERIFY(!model.setData(a, QStringLiteral("B"), Qt::DisplayRole));
    QCOMPARE(changed.count(), 0);
    QVERIFY(model.setData(a, QStringLiteral("B"), Qt::EditRole));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex(), a);
    QCOMPARE(changed.first().at(1).toModelIndex(), a);
    QCOMPARE(model.data(a, Qt::DisplayRole).toString(), QStringLiteral("B"));

    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Header"));
    QVERIFY(!model.headerData(0, Qt::Vertical).isValid());
    QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::EditRole).isValid());
    qRegisterMetaType<Qt::Orientation>();
    QSignalSpy header(&model, &TreeModel::headerDataChanged);
    QVERIFY(!model.setHeaderData(0, Qt::Vertical, QStringLiteral("x")));
    QVERIFY(!model.setHeaderData(0, Qt::Horizontal, QStringLiteral("x"), Qt::DisplayRole));
    QVERIFY(model.setHeaderData(0, Qt::Horizontal, QStringLiteral("New")));
    QCOMPARE(header.count(), 1);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("New"));

    // The browser's own model starts empty with one blank header.
    TreeModel browser({QString()}, QString());
    QCOMPARE(browser.rowCount(), 0);
    QCOMPARE(browser.columnCount(), 1);
    QCOMPARE(browser.headerData(0, Qt::Horizontal).toString(), QString());
}

void TestTreeModel::rowsAndColumns()
{
    TreeModel model({QString()}, QStringLiteral("P\n    A\n        A1\n    B\n"));
    const QModelIndex p = model.index(0, 0);
    QVERIFY(model.insertRows(1, 2, p));
    QCOMPARE(model.rowCount(p), 4);
    const QModelIndex blank = model.index(1, 0, p);
    QVERIFY(!model.data(blank, Qt::DisplayRole).isValid());
    QCOMPARE(model.nodeFromIndex(blank)->columnCount(), 1);
    QCOMPARE(model.data(model.index(3, 0, p), Qt::DisplayRole).toString(), QStringLiteral("B"));
    // Blank nodes keep their numbers, named ones are renumbered around them.
    model.renumber();
    QCOMPARE(model.nodeFromIndex(model.index(3, 0, p))->id(), 4);
    QCOMPARE(model.nodeFromIndex(blank)->id(), 0);

    QVERIFY(!model.insertRows(9, 1, p));
    QVERIFY(!model.removeRows(3, 2, p));
    QVERIFY(model.removeRows(0, 3, p));   // A with its child and the blanks
    QCOMPARE(model.rowCount(p), 1);
    QCOMPARE(model.indentedText(), QStringLiteral("\r\nP\r\n    B\r\n"));

    QVERIFY(model.insertColumns(1, 2));
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.nodeFromIndex(model.index(0, 0, p))->columnCount(), 3);
    QVERIFY(model.removeColumns(0, 3));
    QCOMPARE(model.columnCount(), 0);
    QCOMPARE(model.rowCount(), 0);   // no columns left: no rows either
}

QTEST_MAIN(TestTreeModel)
#include "tst_treemodel.moc"
