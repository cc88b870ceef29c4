#include "src/statistics/statisticsmodel.h"

TStatisticsModel::TStatisticsModel(QObject *parent) : QAbstractTableModel(parent) {}

void TStatisticsModel::Set_Table(const TStatisticsTable &table)
{
    beginResetModel();
    d_table = table;
    endResetModel();
}

int TStatisticsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : d_table.Row_Count();
}

int TStatisticsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : d_table.Column_Count();
}

QVariant TStatisticsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= d_table.Row_Count())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return d_table.Row(index.row()).value(index.column());
    if (role == Qt::TextAlignmentRole)
        return int((d_table.Numeric(index.column()) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return QVariant();
}

QVariant TStatisticsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    return d_table.Headers().value(section);
}
