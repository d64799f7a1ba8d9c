#pragma once

// The hits of a find, one row each: the diagram's path in the tree, the
// item and the field with the line that holds the text.

#include "ProjectSearch.h"

#include <QAbstractTableModel>
#include <QVector>

class FindResultsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { DiagramColumn, ItemColumn, MatchColumn, ColumnCount };

    explicit FindResultsModel(QObject *parent = nullptr);

    void setHits(const QVector<SearchHit> &hits);
    const QVector<SearchHit> &hits() const { return m_hits; }
    // The hit of a row; null for an invalid index.
    const SearchHit *hitAt(const QModelIndex &index) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVector<SearchHit> m_hits;
};
