#include "TreeNode.h"

#include "SubMachineLevels.h"

TreeNode::TreeNode(const QVector<QVariant> &data, TreeNode *parent)
    : m_data(data), m_parent(parent)
{
}

TreeNode::~TreeNode() = default;

TreeNode *TreeNode::child(int row) const
{
    if (row < 0 || row >= childCount())
        return nullptr;
    return m_children[size_t(row)].get();
}

int TreeNode::childNumber() const
{
    if (!m_parent)
        return 0;
    const auto &siblings = m_parent->m_children;
    for (size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i].get() == this)
            return int(i);
    }
    return 0;
}

QVariant TreeNode::data(int column) const
{
    if (column < 0 || column >= m_data.size())
        return QVariant();
    return m_data.at(column);
}

bool TreeNode::setData(int column, const QVariant &value)
{
    if (column < 0 || column >= m_data.size())
        return false;
    m_data[column] = value;
    return true;
}

bool TreeNode::insertChildren(int position, int count, int columns)
{
    if (position < 0 || position > childCount() || count < 0)
        return false;
    std::vector<std::unique_ptr<TreeNode>> fresh;
    fresh.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        fresh.push_back(std::make_unique<TreeNode>(QVector<QVariant>(qMax(0, columns)), this));
    m_children.insert(m_children.begin() + position, std::make_move_iterator(fresh.begin()),
                      std::make_move_iterator(fresh.end()));
    return true;
}

bool TreeNode::removeChildren(int position, int count)
{
    if (position < 0 || count < 0 || position + count > childCount())
        return false;
    m_children.erase(m_children.begin() + position, m_children.begin() + position + count);
    return true;
}

bool TreeNode::insertColumns(int position, int columns)
{
    if (position < 0 || position > m_data.size() || columns < 0)
        return false;
    m_data.insert(position, columns, QVariant());
    for (auto &child : m_children)
        child->insertColumns(position, columns);
    return true;
}

bool TreeNode::removeColumns(int position, int columns)
{
    if (position < 0 || columns < 0 || position + columns > m_data.size())
        return false;
    m_data.remove(position, columns);
    for (auto &child : m_children)
        child->removeColumns(position, columns);
    return true;
}

TreeNode *TreeNode::appendChild(const QString &name, int columns)
{
    QVector<QVariant> values(qMax(1, columns));
    values[0] = name;
    m_children.push_back(std::make_unique<TreeNode>(values, this));
    return m_children.back().get();
}

void TreeNode::buildFromIndentedText(const QStringList &lines, bool removeFirstChild)
{
    if (removeFirstChild && childCount() > 0)
        removeChildren(0, 1);

    const int columns = qMax(1, columnCount());
    QVector<TreeNode *> parents{this};
    QVector<int> indentations{0};
    for (const QString &line : lines) {
        int position = 0;
        while (position < line.size() && line.at(position) == QLatin1Char(' '))
            ++position;
        const QString lineData = line.mid(position).trimmed();
        if (lineData.isEmpty())
            continue;
        const QStringList columnStrings =
            lineData.split(QLatin1Char('\t'), Qt::SkipEmptyParts);

        if (position > indentations.last()) {
            // Deeper than the last line: below the node appended last.
            TreeNode *top = parents.last();
            if (top->childCount() > 0) {
                parents << top->child(top->childCount() - 1);
                indentations << position;
            }
        } else {
            while (position < indentations.last() && parents.size() > 1) {
                parents.pop_back();
                indentations.pop_back();
            }
        }

        TreeNode *parent = parents.last();
        TreeNode *node = parent->appendChild(QString(), columns);
        for (int column = 0; column < columnStrings.size() && column < columns; ++column)
            node->setData(column, columnStrings.at(column));
    }
}

int TreeNode::findChild(const QString &name, int level, int id, int parentId,
                        int grandParentId, bool *found) const
{
    for (int row = 0; row < childCount(); ++row) {
        const TreeNode *c = child(row);
        if (c->name() == name && c->m_level == level && c->m_id == id
            && c->m_parentId == parentId && c->m_grandParentId == grandParentId) {
            if (found)
                *found = true;
            return row;
        }
    }
    if (found)
        *found = false;
    return -1;
}

void TreeNode::renumber()
{
    renumberChildren(1);
}

void TreeNode::renumberChildren(int depth)
{
    if (depth > DeepestCanvasLevel)   // sub-machine nodes sit below the machines
        return;
    for (int row = 0; row < childCount(); ++row) {
        TreeNode *node = child(row);
        if (node->data(0).canConvert<QString>()) {
            node->m_level = depth;
            node->m_id = row + 1;
            node->m_parentId = depth == 1 ? 1 : m_id;
            node->m_grandParentId = depth <= 2 ? 1 : m_parentId;
        }
        node->renumberChildren(depth + 1);
    }
}

QString TreeNode::indentedText() const
{
    QString text = QStringLiteral("\r\n");
    for (const auto &child : m_children)
        child->appendIndented(&text, 1);
    return text;
}

void TreeNode::appendIndented(QString *text, int depth) const
{
    *text += QString(4 * (depth - 1), QLatin1Char(' '));
    *text += name();
    *text += QLatin1String("\r\n");
    for (const auto &child : m_children)
        child->appendIndented(text, depth + 1);
}

QString TreeNode::subtreeText() const
{
    QString text;
    appendIndented(&text, 1);
    return text;
}
