#pragma once

// One node of the project tree: its column values (column 0 is the node's
// name), its owned children and its identity numbers. QtCore only.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <memory>
#include <vector>

class TreeNode
{
public:
    // Deepest level of the project hierarchy (state machines).
    static constexpr int MaxLevel = 5;

    explicit TreeNode(const QVector<QVariant> &data, TreeNode *parent = nullptr);
    ~TreeNode();
    TreeNode(const TreeNode &) = delete;
    TreeNode &operator=(const TreeNode &) = delete;

    TreeNode *parent() const { return m_parent; }
    TreeNode *child(int row) const;
    int childCount() const { return int(m_children.size()); }
    // This node's row among its parent's children (0 for the root).
    int childNumber() const;

    int columnCount() const { return m_data.size(); }
    QVariant data(int column) const;
    bool setData(int column, const QVariant &value);
    // Column 0 as text.
    QString name() const { return data(0).toString(); }

    // Blank children with `columns` invalid values each.
    bool insertChildren(int position, int count, int columns);
    bool removeChildren(int position, int count);
    // Column changes apply to this node and its whole subtree.
    bool insertColumns(int position, int columns);
    bool removeColumns(int position, int columns);
    // Appends a child whose column 0 is `name` (columns: at least 1).
    TreeNode *appendChild(const QString &name, int columns);

    int level() const { return m_level; }
    void setLevel(int level) { m_level = level; }
    int id() const { return m_id; }
    void setId(int id) { m_id = id; }
    int parentId() const { return m_parentId; }
    void setParentId(int parentId) { m_parentId = parentId; }
    int grandParentId() const { return m_grandParentId; }
    void setGrandParentId(int grandParentId) { m_grandParentId = grandParentId; }

    // Appends the nodes described by indented lines below this node (the
    // root). A line's indentation is its count of leading blanks (tabs do
    // not indent); the rest, trimmed, is split at tabs into column values;
    // blank lines are skipped. A line more indented than the one before
    // goes below the last node appended; a less indented one climbs back up
    // to the first ancestor indented no more than it. With
    // `removeFirstChild` the first child is removed first.
    void buildFromIndentedText(const QStringList &lines, bool removeFirstChild);

    // Row of the first child named `name` (case-sensitive) with the four
    // identity numbers given, and whether one was found.
    int findChild(const QString &name, int level, int id, int parentId, int grandParentId,
                  bool *found) const;

    // Sets the identity numbers of every node down to level 5 below this
    // node (the root): level = depth, id = 1-based row, parentId = parent's
    // id, grandParentId = grandparent's id, 1 where there is none.
    void renumber();

    // The tree below this node (the root) as a project file stores it:
    // "\r\n", then one line per node depth first, four blanks per level
    // below 1, the name, "\r\n".
    QString indentedText() const;
    // This node's name on the first line, everything below it indented.
    QString subtreeText() const;

private:
    void renumberChildren(int depth);
    void appendIndented(QString *text, int depth) const;

    QVector<QVariant> m_data;
    std::vector<std::unique_ptr<TreeNode>> m_children;
    TreeNode *m_parent;
    int m_level = 0;
    int m_id = 0;
    int m_parentId = 0;
    int m_grandParentId = 0;
};
