#include "src/browse/selectionlists.h"

#include "src/browse/backgroundlist.h"
#include "src/database/database.h"
#include "src/browse/datawidget.h"

TSelectionLists::TSelectionLists(TDatabase *database, TDataWidget *dates, TDataWidget *programs, QObject *parent)
    : QObject(parent), d_database(database), d_date_list(dates), d_program_list(programs),
      d_program_names(new TBackgroundList(this))
{
    connect(d_date_list, &TDataWidget::Selection_Changed, this, &TSelectionLists::Dates_Chosen);
    connect(d_program_list, &TDataWidget::Selection_Changed, this, &TSelectionLists::Programs_Chosen);
    connect(d_program_names, &TBackgroundList::Finished, this, [this](QStringList names) {
        d_program_list->Set_List(names);
        d_program_list->setEnabled(true);
    });
}

void TSelectionLists::Dates_Chosen(const QStringList &dates)
{
    d_dates = dates;
    Read_Program_Names();
    // The programs chosen for other dates go, visibly too.
    d_program_list->Clear_Selection();
    d_programs.clear();
    emit Selection_Changed();
}

void TSelectionLists::Programs_Chosen(const QStringList &programs)
{
    d_programs = programs;
    emit Selection_Changed();
}

void TSelectionLists::Read_Program_Names()
{
    TDatabase *database = d_database;
    const QStringList dates = d_dates;
    d_program_names->Start([database, dates]() { return database->Program_Names(dates); });
    d_program_list->setEnabled(false);
}

void TSelectionLists::Refresh()
{
    d_date_list->Set_List(d_database->Dates());
    if (d_dates.isEmpty())
    {
        d_program_names->Drop();
        d_program_list->setEnabled(true);
        d_program_list->Set_List(d_database->Program_Names(QStringList()));
    }
    else
        Read_Program_Names();
}

void TSelectionLists::Stop() { d_program_names->Stop(); }
