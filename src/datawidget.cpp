#include "src/datawidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPixmap>
#include <QSortFilterProxyModel>
#include <QStringListModel>
#include <QVBoxLayout>

TDataWidget::TDataWidget(QWidget *parent) : QWidget(parent)
{
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    d_title = new QLabel(QStringLiteral("title"), this);
    QFont title_font;
    title_font.setPointSize(14);
    title_font.setUnderline(true);
    d_title->setFont(title_font);
    layout->addWidget(d_title);

    QHBoxLayout *search_layout = new QHBoxLayout;
    QLabel *search_icon = new QLabel(this);
    search_icon->setPixmap(QPixmap(QStringLiteral(":/icons/search_x16.png")));
    d_search = new QLineEdit(this);
    search_layout->addWidget(search_icon);
    search_layout->addWidget(d_search);
    layout->addLayout(search_layout);

    d_view = new QListView(this);
    d_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(d_view);

    d_list_model = new QStringListModel(this);
    d_filter_model = new QSortFilterProxyModel(this);
    d_filter_model->setSourceModel(d_list_model);
    d_filter_model->setFilterCaseSensitivity(Qt::CaseInsensitive);
    d_view->setModel(d_filter_model);

    // Only the user's edits filter: text the program puts into the field does not.
    connect(d_search, &QLineEdit::textEdited, d_filter_model,
            qOverload<const QString &>(&QSortFilterProxyModel::setFilterRegExp));
    connect(d_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TDataWidget::Model_Selection_Changed);
}

void TDataWidget::Set_Title(const QString &title) { d_title->setText(title); }

void TDataWidget::Set_List(const QStringList &list) { d_list_model->setStringList(list); }

void TDataWidget::Model_Selection_Changed(const QItemSelection &, const QItemSelection &)
{
    QStringList selections;
    for (const QModelIndex &index : d_view->selectionModel()->selectedIndexes())
        selections.append(index.data(Qt::DisplayRole).toString());
    emit Selection_Changed(selections);
}
