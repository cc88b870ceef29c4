#include "src/browse/datawidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPixmap>
#include <QScrollBar>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QStringListModel>
#include <QVBoxLayout>

TDataWidget::TDataWidget(QWidget *parent) : QWidget(parent), d_quiet(false)
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

void TDataWidget::Set_List(const QStringList &list)
{
    const QStringList before = Selection();
    const QSet<QString> kept(before.cbegin(), before.cend());
    const int scrolled = d_view->verticalScrollBar()->value();
    const QString current = d_view->currentIndex().data(Qt::DisplayRole).toString();
    d_quiet = true;
    d_list_model->setStringList(list);
    QItemSelection selection;
    QModelIndex current_index;
    for (int row = 0; row < list.size(); ++row)
    {
        const QModelIndex index = d_filter_model->mapFromSource(d_list_model->index(row));
        if (!index.isValid())
            continue;
        if (kept.contains(list.at(row)))
            selection.select(index, index);
        if (!current_index.isValid() && !current.isEmpty() && list.at(row) == current)
            current_index = index;
    }
    if (current_index.isValid())
        d_view->selectionModel()->setCurrentIndex(current_index, QItemSelectionModel::NoUpdate);
    d_view->selectionModel()->select(selection, QItemSelectionModel::Select);
    d_view->verticalScrollBar()->setValue(scrolled);
    d_quiet = false;
    const QStringList after = Selection();
    if (QSet<QString>(after.cbegin(), after.cend()) != kept)
        emit Selection_Changed(after);
}

void TDataWidget::Clear_Selection()
{
    d_quiet = true;
    d_view->selectionModel()->clearSelection();
    d_quiet = false;
}

void TDataWidget::Select_All() { d_view->selectAll(); }

QStringList TDataWidget::Selection() const
{
    QStringList selections;
    for (const QModelIndex &index : d_view->selectionModel()->selectedIndexes())
        selections.append(index.data(Qt::DisplayRole).toString());
    return selections;
}

void TDataWidget::Model_Selection_Changed(const QItemSelection &, const QItemSelection &)
{
    if (!d_quiet)
        emit Selection_Changed(Selection());
}
