#pragma once

// The coverage of a simulation in the editor, a row per state and per
// transition of the machine, of every level (a sub-machine's named with its
// place, "Running/Cruise"): its kind, its label and how often it was
// entered or fired so far (restarts included). Rows never reached are grey.

#include "MachineDescription.h"
#include "SimulationRecords.h"

#include <QAbstractTableModel>

#include <memory>

class SimulationLevels;

class SimulationCoverageModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { KindColumn, NameColumn, CountColumn, ColumnCount };

    explicit SimulationCoverageModel(QObject *parent = nullptr);
    ~SimulationCoverageModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // A new machine: every count zero.
    void setMachine(const MachineDescription &machine);
    void setCoverage(const SimulationCoverage &coverage);
    const SimulationCoverage &coverage() const { return m_coverage; }
    // "States entered: 4 of 5   Transitions fired: 6 of 8 (75%)"
    QString summary() const;

private:
    qint64 count(int row) const;

    MachineDescription m_machine;
    std::unique_ptr<SimulationLevels> m_levels;   // of m_machine, once set
    SimulationCoverage m_coverage;
};
