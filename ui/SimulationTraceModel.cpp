#include "SimulationTraceModel.h"

#include <QBrush>
#include <QFont>

namespace {

// Rows let go together, so that a long run does not move the whole list
// once per cycle.
const int DropChunk = 1000;

} // namespace

SimulationTraceModel::SimulationTraceModel(QObject *parent) : QAbstractTableModel(parent)
{
}

int SimulationTraceModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int SimulationTraceModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SimulationTraceModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    if (role == Qt::BackgroundRole && m_rows.at(index.row()).restart)
        return QBrush(QColor(0xd8, 0xd8, 0xd8));
    if (role == Qt::FontRole && m_rows.at(index.row()).restart) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return QVariant();
    const SimulationTrace::Row &row = m_rows.at(index.row());
    if (row.restart)
        return index.column() == CycleColumn ? QStringLiteral("Restart") : QVariant();
    switch (index.column()) {
    case CycleColumn:
        return row.cycle;
    case BeforeColumn:
        return row.before;
    case FiredColumn:
        return SimulationTrace::firedText(row);
    case AfterColumn:
        return row.after;
    case ChangedColumn:
        return SimulationTrace::changesText(row);
    case CallsColumn:
        return row.calls.join(QLatin1Char(' '));
    default:
        return QVariant();
    }
}

QVariant SimulationTraceModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const titles[ColumnCount] = { "Cycle", "State before", "Transition", "State after",
                                                     "Changed", "Calls" };
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QVariant();
}

void SimulationTraceModel::append(const SimulationTrace::Row &row)
{
    if (m_rows.size() >= MaxRows) {
        beginRemoveRows(QModelIndex(), 0, DropChunk - 1);
        m_rows.remove(0, DropChunk);
        m_dropped += DropChunk;
        endRemoveRows();
    }
    beginInsertRows(QModelIndex(), m_rows.size(), m_rows.size());
    m_rows << row;
    endInsertRows();
}

void SimulationTraceModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_dropped = 0;
    endResetModel();
}

QByteArray SimulationTraceModel::csv() const
{
    QByteArray bytes = SimulationTrace::header(SimulationTrace::Format::Csv, !m_rows.isEmpty() && m_rows.first().entryExit);
    for (const SimulationTrace::Row &row : m_rows)
        bytes += SimulationTrace::line(SimulationTrace::Format::Csv, row);
    return bytes;
}
