#pragma once

// The project browser's item model: one column, one row per tree node,
// the node's name as display and edit data. QtCore only.

#include <QAbstractItemModel>
#include <QStringList>

#include <memory>

class TreeNode;

class TreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    // `headers` become the root's column values (one column per header);
    // `data` is indented tree text (see TreeNode::buildFromIndentedText).
    TreeModel(const QStringList &headers, const QString &data, QObject *parent = nullptr);
    ~TreeModel() override;

    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &index) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;
    bool insertColumns(int position, int columns, const QModelIndex &parent = QModelIndex()) override;
    bool removeColumns(int position, int columns, const QModelIndex &parent = QModelIndex()) override;
    bool insertRows(int position, int rows, const QModelIndex &parent = QModelIndex()) override;
    bool removeRows(int position, int rows, const QModelIndex &parent = QModelIndex()) override;

    // The invisible root (holds the header); never null.
    TreeNode *rootNode() const { return m_root.get(); }
    // The node of an index; the root for an invalid index.
    TreeNode *nodeFromIndex(const QModelIndex &index) const;
    // The index of a node of this model (invalid for the root).
    QModelIndex indexForNode(const TreeNode *node, int column = 0) const;

    // Rebuilds below the root from indented text split at "\n" (see
    // TreeNode::buildFromIndentedText), then renumbers.
    void setupModelData(const QString &text, bool removeFirstChild);
    // Removes every node below the root.
    void clear();
    // Appends a named child below `parent` and renumbers; returns its index.
    QModelIndex appendNode(const QModelIndex &parent, const QString &name);
    // Renames the node of `index` (emits dataChanged).
    bool renameNode(const QModelIndex &index, const QString &name);
    // Index of the child of `parent` with this name and identity, or invalid.
    QModelIndex findChild(const QModelIndex &parent, const QString &name, int level, int id,
                          int parentId, int grandParentId) const;
    // Sets level, id, parentId and grandParentId of every node (levels 1-5).
    void renumber();
    // The tree as the project file stores it (TreeNode::indentedText).
    QString indentedText() const;
    // The node of `index` with everything below it, as indented text whose
    // first line is the node itself.
    QString subtreeText(const QModelIndex &index) const;
    // Puts a subtree taken with subtreeText back below `parent` at `row`
    // (clamped) and renumbers. Views are reset.
    void insertSubtree(const QModelIndex &parent, int row, const QString &text);

private:
    std::unique_ptr<TreeNode> m_root;
};
