#include "FindResultsModel.h"

FindResultsModel::FindResultsModel(QObject *parent) : QAbstractTableModel(parent) {}

void FindResultsModel::setHits(const QVector<SearchHit> &hits)
{
    beginResetModel();
    m_hits = hits;
    endResetModel();
}

const SearchHit *FindResultsModel::hitAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.row() >= m_hits.size())
        return nullptr;
    return &m_hits.at(index.row());
}

int FindResultsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_hits.size();
}

int FindResultsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FindResultsModel::data(const QModelIndex &index, int role) const
{
    const SearchHit *hit = hitAt(index);
    if (!hit || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    switch (index.column()) {
    case DiagramColumn:
        return hit->diagramText();
    case ItemColumn:
        return hit->itemText();
    case MatchColumn:
        return hit->matchText();
    default:
        return QVariant();
    }
}

QVariant FindResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case DiagramColumn:
        return QStringLiteral("Diagram");
    case ItemColumn:
        return QStringLiteral("Item");
    case MatchColumn:
        return QStringLiteral("Found in");
    default:
        return QVariant();
    }
}
