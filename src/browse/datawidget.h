#ifndef QUORVEX_DATAWIDGET_H
#define QUORVEX_DATAWIDGET_H

#include <QItemSelection>
#include <QStringList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListView;
class QSortFilterProxyModel;
class QStringListModel;

// A titled list of texts with a search field that narrows it as the user
// types (a case-insensitive regular expression) and with extended selection.
// Every selection change is reported with the texts of all selected entries;
// a new list keeps the selected texts it still holds, so that what is shown
// selected is always what was last reported.
class TDataWidget : public QWidget
{
    Q_OBJECT

public:
    explicit TDataWidget(QWidget *parent = nullptr);

    void Set_Title(const QString &title);
    void Set_List(const QStringList &list);
    // Unselects everything without reporting it: the caller already knows.
    void Clear_Selection();
    // Selects every entry shown, as Ctrl+A in the list does, and reports it.
    void Select_All();
    QStringList Selection() const;

signals:
    void Selection_Changed(QStringList selections);

private slots:
    void Model_Selection_Changed(const QItemSelection &selected, const QItemSelection &deselected);

private:
    QLabel *d_title;
    QLineEdit *d_search;
    QListView *d_view;
    QStringListModel *d_list_model;
    QSortFilterProxyModel *d_filter_model;
    // Set while the widget itself changes the selection.
    bool d_quiet;
};

#endif
