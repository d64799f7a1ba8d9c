#include "TreeModel.h"

#include "TreeNode.h"

TreeModel::TreeModel(const QStringList &headers, const QString &data, QObject *parent)
    : QAbstractItemModel(parent)
{
    QVector<QVariant> rootData;
    for (const QString &header : headers)
        rootData << header;
    m_root = std::make_unique<TreeNode>(rootData);
    m_root->buildFromIndentedText(data.split(QLatin1Char('\n')), false);
    m_root->renumber();
}

TreeModel::~TreeModel() = default;

TreeNode *TreeModel::nodeFromIndex(const QModelIndex &index) const
{
    if (index.isValid()) {
        if (auto *node = static_cast<TreeNode *>(index.internalPointer()))
            return node;
    }
    return m_root.get();
}

QModelIndex TreeModel::indexForNode(const TreeNode *node, int column) const
{
    if (!node || node == m_root.get() || !node->parent())
        return QModelIndex();
    return createIndex(node->childNumber(), column, const_cast<TreeNode *>(node));
}

QVariant TreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return nodeFromIndex(index)->data(index.column());
}

QVariant TreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_root->data(section);
    return QVariant();
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return QModelIndex();
    if (column < 0 || column >= columnCount())
        return QModelIndex();
    TreeNode *child = nodeFromIndex(parent)->child(row);
    if (!child)
        return QModelIndex();
    return createIndex(row, column, child);
}

QModelIndex TreeModel::parent(const QModelIndex &index) const
{
    if (!index.isValid())
        return QModelIndex();
    TreeNode *parentNode = nodeFromIndex(index)->parent();
    if (!parentNode || parentNode == m_root.get())
        return QModelIndex();
    return createIndex(parentNode->childNumber(), 0, parentNode);
}

int TreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() && parent.column() > 0)
        return 0;
    return nodeFromIndex(parent)->childCount();
}

int TreeModel::columnCount(const QModelIndex &) const
{
    return m_root->columnCount();
}

Qt::ItemFlags TreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEditable | QAbstractItemModel::flags(index);
}

bool TreeModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return false;
    if (!nodeFromIndex(index)->setData(index.column(), value))
        return false;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

bool TreeModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                              int role)
{
    if (role != Qt::EditRole || orientation != Qt::Horizontal)
        return false;
    if (!m_root->setData(section, value))
        return false;
    emit headerDataChanged(orientation, section, section);
    return true;
}

bool TreeModel::insertColumns(int position, int columns, const QModelIndex &parent)
{
    if (position < 0 || position > columnCount() || columns <= 0)
        return false;
    beginInsertColumns(parent, position, position + columns - 1);
    const bool ok = m_root->insertColumns(position, columns);
    endInsertColumns();
    return ok;
}

bool TreeModel::removeColumns(int position, int columns, const QModelIndex &parent)
{
    if (position < 0 || columns <= 0 || position + columns > columnCount())
        return false;
    beginRemoveColumns(parent, position, position + columns - 1);
    const bool ok = m_root->removeColumns(position, columns);
    endRemoveColumns();
    if (m_root->columnCount() == 0)
        removeRows(0, rowCount());
    return ok;
}

bool TreeModel::insertRows(int position, int rows, const QModelIndex &parent)
{
    TreeNode *node = nodeFromIndex(parent);
    if (position < 0 || position > node->childCount() || rows <= 0)
        return false;
    beginInsertRows(parent, position, position + rows - 1);
    const bool ok = node->insertChildren(position, rows, m_root->columnCount());
    endInsertRows();
    return ok;
}

bool TreeModel::removeRows(int position, int rows, const QModelIndex &parent)
{
    TreeNode *node = nodeFromIndex(parent);
    if (position < 0 || rows <= 0 || position + rows > node->childCount())
        return false;
    beginRemoveRows(parent, position, position + rows - 1);
    const bool ok = node->removeChildren(position, rows);
    endRemoveRows();
    return ok;
}

void TreeModel::setupModelData(const QString &text, bool removeFirstChild)
{
    beginResetModel();
    m_root->buildFromIndentedText(text.split(QLatin1Char('\n')), removeFirstChild);
    m_root->renumber();
    endResetModel();
}

void TreeModel::clear()
{
    if (rowCount() > 0)
        removeRows(0, rowCount());
}

QModelIndex TreeModel::appendNode(const QModelIndex &parent, const QString &name)
{
    TreeNode *node = nodeFromIndex(parent);
    const int row = node->childCount();
    if (!insertRows(row, 1, parent))
        return QModelIndex();
    if (columnCount() == 0)
        insertColumns(0, 1);
    const QModelIndex child = index(row, 0, parent);
    setData(child, name, Qt::EditRole);
    renumber();
    return child;
}

bool TreeModel::renameNode(const QModelIndex &index, const QString &name)
{
    return setData(index.sibling(index.row(), 0), name, Qt::EditRole);
}

QModelIndex TreeModel::findChild(const QModelIndex &parent, const QString &name, int level,
                                 int id, int parentId, int grandParentId) const
{
    bool found = false;
    const int row =
        nodeFromIndex(parent)->findChild(name, level, id, parentId, grandParentId, &found);
    return found ? index(row, 0, parent) : QModelIndex();
}

void TreeModel::renumber()
{
    m_root->renumber();
}

QString TreeModel::indentedText() const
{
    return m_root->indentedText();
}

QString TreeModel::subtreeText(const QModelIndex &index) const
{
    return index.isValid() ? nodeFromIndex(index)->subtreeText() : QString();
}

void TreeModel::insertSubtree(const QModelIndex &parent, int row, const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.first().trimmed().isEmpty())
        lines.removeFirst();
    if (lines.isEmpty())
        return;
    TreeNode *parentNode = nodeFromIndex(parent);
    row = qBound(0, row, parentNode->childCount());
    const int columns = qMax(1, m_root->columnCount());
    beginResetModel();
    parentNode->insertChildren(row, 1, columns);
    TreeNode *node = parentNode->child(row);
    node->setData(0, lines.takeFirst().trimmed());
    // The node's own lines are one indentation step deeper than its line.
    for (QString &line : lines) {
        int spaces = 0;
        while (spaces < 4 && spaces < line.size() && line.at(spaces) == QLatin1Char(' '))
            ++spaces;
        line.remove(0, spaces);
    }
    node->buildFromIndentedText(lines, false);
    m_root->renumber();
    endResetModel();
}
