#include "SimulationFunctionsModel.h"

SimulationFunctionsModel::SimulationFunctionsModel(QObject *parent) : QAbstractTableModel(parent)
{
}

int SimulationFunctionsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_stubs.size();
}

int SimulationFunctionsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SimulationFunctionsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_stubs.size())
        return QVariant();
    const SimulationStub &stub = m_stubs.at(index.row());
    if (role == Qt::ToolTipRole) {
        if (index.column() == NameColumn)
            return stub.prototyped ? QStringLiteral("%1 %2(...): nothing defines it; the simulation stubs it")
                                         .arg(stub.returnType, stub.name)
                                   : QStringLiteral("%1: no prototype in the machine's texts or the prelude; stubbed "
                                                    "as %2 %1(), recording only its calls")
                                         .arg(stub.name, stub.returnType);
        if (index.column() == ReturnsColumn)
            return stub.returnsValue() ? QStringLiteral("Double-click to set what it returns: a C literal, or several "
                                                        "separated by blanks, one per call (the last repeats).")
                                       : QStringLiteral("Returns nothing the simulation can set");
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    switch (index.column()) {
    case NameColumn:
        return stub.name;
    case CallsColumn:
        return stub.calls;
    case ReturnsColumn:
        return stub.returns == 'v' ? QStringLiteral("(void)") : stub.returns == 'p' ? QStringLiteral("NULL")
                                                                                    : stub.returnText;
    default:
        return QVariant();
    }
}

QVariant SimulationFunctionsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const titles[ColumnCount] = { "Function", "Calls", "Returns" };
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QVariant();
}

Qt::ItemFlags SimulationFunctionsModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == ReturnsColumn && index.row() < m_stubs.size()
        && m_stubs.at(index.row()).returnsValue())
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool SimulationFunctionsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const QStringList values = value.toString().simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const SimulationStub &stub = m_stubs.at(index.row());
    if (values.isEmpty() || values.join(QLatin1Char(' ')) == stub.returnText)
        return false;
    emit returnsEdited(stub.name, values, values.size() > 1);
    return false;
}

void SimulationFunctionsModel::setStubs(const QVector<SimulationStub> &stubs)
{
    bool same = stubs.size() == m_stubs.size();
    for (int i = 0; same && i < stubs.size(); ++i)
        same = stubs.at(i).name == m_stubs.at(i).name;
    if (!same) {
        beginResetModel();
        m_stubs = stubs;
        endResetModel();
        return;
    }
    for (int i = 0; i < stubs.size(); ++i) {
        const bool differs = stubs.at(i).calls != m_stubs.at(i).calls || stubs.at(i).returnText != m_stubs.at(i).returnText;
        m_stubs[i] = stubs.at(i);
        if (differs)
            emit dataChanged(index(i, CallsColumn), index(i, ReturnsColumn));
    }
}
