#ifndef QUORVEX_STATISTICSMODEL_H
#define QUORVEX_STATISTICSMODEL_H

#include "src/statistics/statisticstable.h"

#include <QAbstractTableModel>

// A statistics table for a table view: its cells as they are, numbers right-aligned.
class TStatisticsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit TStatisticsModel(QObject *parent = nullptr);

    void Set_Table(const TStatisticsTable &table);
    const TStatisticsTable &Table() const { return d_table; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TStatisticsTable d_table;
};

#endif
