#include "SimulationCoverageModel.h"

#include "ItemRef.h"
#include "SimulationLevels.h"

#include <QBrush>
#include <QColor>

SimulationCoverageModel::SimulationCoverageModel(QObject *parent) : QAbstractTableModel(parent)
{
}

SimulationCoverageModel::~SimulationCoverageModel() = default;

int SimulationCoverageModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_levels ? 0 : m_levels->stateSlots() + m_levels->transitionSlots();
}

int SimulationCoverageModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

qint64 SimulationCoverageModel::count(int row) const
{
    const int states = m_levels->stateSlots();
    return row < states ? m_coverage.stateEntries.value(row) : m_coverage.transitionFires.value(row - states);
}

QVariant SimulationCoverageModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const int row = index.row();
    const int states = m_levels->stateSlots();
    const qint64 n = count(row);
    if (role == Qt::ForegroundRole)
        return n == 0 ? QBrush(QColor(0x90, 0x90, 0x90)) : QVariant();
    if (role == Qt::TextAlignmentRole && index.column() == CountColumn)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return QVariant();
    switch (index.column()) {
    case KindColumn:
        return row < states ? QStringLiteral("State") : QStringLiteral("Transition");
    case NameColumn:
        // A sub-machine's items with their place ("Running/Cruise").
        return row < states ? m_levels->stateName(row) : m_levels->transitionName(row - states);
    case CountColumn:
        if (n > 0)
            return n;
        return row < states ? QStringLiteral("never entered") : QStringLiteral("never fired");
    default:
        return QVariant();
    }
}

QVariant SimulationCoverageModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const titles[ColumnCount] = { "Item", "Label", "Entered / fired" };
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QVariant();
}

void SimulationCoverageModel::setMachine(const MachineDescription &machine)
{
    beginResetModel();
    m_machine = machine;
    m_levels = std::make_unique<SimulationLevels>(m_machine);
    m_coverage = SimulationCoverage();
    m_coverage.stateEntries.fill(0, m_levels->stateSlots());
    m_coverage.transitionFires.fill(0, m_levels->transitionSlots());
    endResetModel();
}

void SimulationCoverageModel::setCoverage(const SimulationCoverage &coverage)
{
    if (!m_levels || coverage.stateEntries.size() != m_levels->stateSlots()
        || coverage.transitionFires.size() != m_levels->transitionSlots())
        return;
    m_coverage = coverage;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

QString SimulationCoverageModel::summary() const
{
    return QStringLiteral("States entered: %1 of %2    Transitions fired: %3 of %4 (%5%)")
        .arg(m_coverage.statesEntered())
        .arg(m_coverage.stateEntries.size())
        .arg(m_coverage.transitionsFired())
        .arg(m_coverage.transitionFires.size())
        .arg(QString::number(m_coverage.transitionPercent(), 'f', 0));
}
