#include "tests/support/listclicks.h"

#include "src/browse/datawidget.h"

#include <QListView>

void TListClicks::Select(TDataWidget *list, const QStringList &texts)
{
    QListView *view = list->findChild<QListView *>();
    QItemSelection selection;
    for (int row = 0; row < view->model()->rowCount(); ++row)
    {
        const QModelIndex index = view->model()->index(row, 0);
        if (texts.contains(index.data().toString()))
            selection.select(index, index);
    }
    view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}
