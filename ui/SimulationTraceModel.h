#pragma once

// The trace of a simulation in the editor, a row per cycle: its number, the
// state before, the transition fired, the state after and the variables that
// changed. The rows are those kestro-cli writes, and csv() is the same CSV.
// The list keeps the latest MaxRows cycles; dropped() counts those it let go,
// so that the dock can say so.

#include "SimulationTrace.h"

#include <QAbstractTableModel>
#include <QVector>

class SimulationTraceModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { CycleColumn, BeforeColumn, FiredColumn, AfterColumn, ChangedColumn, CallsColumn, ColumnCount };
    static constexpr int MaxRows = 100000;

    explicit SimulationTraceModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void append(const SimulationTrace::Row &row);
    void clear();

    const QVector<SimulationTrace::Row> &rows() const { return m_rows; }
    qint64 dropped() const { return m_dropped; }
    // The rows kept, as kestro-cli writes a trace.
    QByteArray csv() const;

private:
    QVector<SimulationTrace::Row> m_rows;
    qint64 m_dropped = 0;
};
