#pragma once

// The variables of a simulated machine as a table: name, role (local,
// input, output), C type and current value. The values of inputs and
// locals can be edited; an edit is not taken over here but announced by
// valueEdited(), and the value shown changes once the machine's program
// has taken it. Values that changed in the last cycle are shown bold.

#include "SimulationRecords.h"

#include <QAbstractTableModel>
#include <QSet>
#include <QVector>

class SimulationVariablesModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameColumn, RoleColumn, TypeColumn, ValueColumn, ColumnCount };

    explicit SimulationVariablesModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // Takes the variables and their values; `changed` rows are shown bold.
    // The same variables as before are updated in place, so that a value
    // being edited stays open.
    void setVariables(const QVector<SimulationVariable> &variables, const QSet<int> &changed = QSet<int>());
    const QVector<SimulationVariable> &variables() const { return m_variables; }
    bool isChanged(int row) const { return m_changed.contains(row); }
    // Inputs and locals of a numeric kind.
    static bool isEditable(const SimulationVariable &variable);

signals:
    void valueEdited(int row, const QString &literal);

private:
    QVector<SimulationVariable> m_variables;
    QSet<int> m_changed;
};
