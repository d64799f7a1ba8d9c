#include "SimulationVariablesModel.h"

#include <QFont>

SimulationVariablesModel::SimulationVariablesModel(QObject *parent) : QAbstractTableModel(parent)
{
}

int SimulationVariablesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_variables.size();
}

int SimulationVariablesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

bool SimulationVariablesModel::isEditable(const SimulationVariable &variable)
{
    return variable.role != SimulationVariable::Output && variable.isNumeric();
}

QVariant SimulationVariablesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_variables.size())
        return QVariant();
    const SimulationVariable &v = m_variables.at(index.row());
    if (role == Qt::FontRole && index.column() == ValueColumn && m_changed.contains(index.row())) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role == Qt::ToolTipRole && index.column() == ValueColumn) {
        return isEditable(v) ? QStringLiteral("Double-click to give a new value (a C integer or floating literal); "
                                              "the machine takes it before the next cycle.")
                             : QStringLiteral("Written by the machine");
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    switch (index.column()) {
    case NameColumn:
        return v.name;
    case RoleColumn:
        return SimulationVariable::roleName(v.role);
    case TypeColumn:
        return v.datatype;
    case ValueColumn:
        return v.value;
    default:
        return QVariant();
    }
}

QVariant SimulationVariablesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const titles[ColumnCount] = { "Variable", "Role", "Type", "Value" };
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QVariant();
}

Qt::ItemFlags SimulationVariablesModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == ValueColumn && index.row() < m_variables.size()
        && isEditable(m_variables.at(index.row())))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool SimulationVariablesModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const QString literal = value.toString().trimmed();
    if (literal == m_variables.at(index.row()).value)
        return false;
    emit valueEdited(index.row(), literal);
    return false;
}

void SimulationVariablesModel::setVariables(const QVector<SimulationVariable> &variables, const QSet<int> &changed)
{
    bool same = variables.size() == m_variables.size();
    for (int i = 0; same && i < variables.size(); ++i)
        same = variables.at(i).name == m_variables.at(i).name;
    if (!same) {
        beginResetModel();
        m_variables = variables;
        m_changed = changed;
        endResetModel();
        return;
    }
    for (int i = 0; i < variables.size(); ++i) {
        const bool differs = variables.at(i).value != m_variables.at(i).value
            || changed.contains(i) != m_changed.contains(i);
        m_variables[i] = variables.at(i);
        if (differs) {
            m_changed.remove(i);
            if (changed.contains(i))
                m_changed.insert(i);
            const QModelIndex cell = index(i, ValueColumn);
            emit dataChanged(cell, cell);
        }
    }
}
