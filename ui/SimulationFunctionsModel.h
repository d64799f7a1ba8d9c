#pragma once

// The "Functions" table of the simulation dock: the functions the machine
// calls that nothing defines (stubbed for the simulation), with their calls
// in the last cycle and what they return. The return value of a stub that
// returns a number can be edited: one C literal for every call, or several
// separated by blanks, one per call with the last repeating. An edit is
// announced by returnsEdited() and shown once the machine has taken it.

#include "SimulationRecords.h"

#include <QAbstractTableModel>
#include <QVector>

class SimulationFunctionsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameColumn, CallsColumn, ReturnsColumn, ColumnCount };

    explicit SimulationFunctionsModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // The same stubs as before are updated in place, so that an edit stays open.
    void setStubs(const QVector<SimulationStub> &stubs);
    const QVector<SimulationStub> &stubs() const { return m_stubs; }

signals:
    // `values`: one value, or a sequence when `sequence`.
    void returnsEdited(const QString &name, const QStringList &values, bool sequence);

private:
    QVector<SimulationStub> m_stubs;
};
